#pragma once
#include <QDialog>

struct Aplicacion;
class OperadorQt;
class ClCntrl;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// The import dialog "NUEVO INTERNO": the shipment file is chosen (F6 or
// "[F6] Examinar") and "Aceptar" imports it. The counters and the bar (bytes
// read of the file) follow the run; "Aceptar" and "Examinar" stay disabled
// while it goes, so no second run starts inside it, and Esc or "Cancelar"
// stops it with nothing written. A successful import hands the interno to the
// wizard and closes the dialog.
class frmInterno : public QDialog {
    Q_OBJECT
public:
    frmInterno(Aplicacion& app, OperadorQt& op, QWidget* parent = nullptr);

    void cmdExaminar_Click();
    void cmdAceptar_Click();
    void Command2_Click() { reject(); }
    bool EnCurso() const { return m_enCurso; }

    void reject() override;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void Habilitar(bool habilitado);

    Aplicacion& m_app;
    OperadorQt& m_op;
    QLineEdit* m_txtArchivo;
    QPushButton *m_cmdExaminar, *m_cmdAceptar, *m_command2;
    QLabel *m_lbH, *m_lbP;
    QProgressBar* m_prbArchivo;
    ClCntrl* m_ctlArchivo;
    bool m_enCurso = false;
};
