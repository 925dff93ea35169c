#pragma once
#include "review/Depuracion.h"
#include "review/Sugerencias.h"

#include <QDialog>

#include <string>
#include <vector>

struct Aplicacion;
class OperadorQt;
class QComboBox;
class QLabel;
class QLineEdit;

// "Modificar": the article editor. Its logic is Depuracion::FormModificar;
// this window copies the controls into it before every operation and draws it
// back after. F11 saves, Esc closes, F6 in the position box opens the
// nomenclator search, Enter in it runs the position check. Under the position
// box, the best suggestion and why; F7 types it in and runs the check.
class frmModificar : public QDialog {
    Q_OBJECT
public:
    frmModificar(Aplicacion& app, OperadorQt& op, QWidget* parent = nullptr);

    // The ARTORD of the article, set by the opener before the window is shown.
    std::string Tag;

    void GrabarDatos();
    void ProcesarNCM();
    void BuscarPosicion();
    // F7: the best suggestion into the position box, checked as Enter does
    // (nothing when there is none).
    void AplicarSugerencia();
    Depuracion::FormModificar& Formulario() { return m_f; }
    // True when a box differs from what was loaded.
    bool HayCambios() const;
    // Esc, "Cerrar [Esc]" and the close box: with unsaved changes, asks first (No keeps editing).
    void reject() override;

protected:
    void showEvent(QShowEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void Leer();
    void Dibujar();
    void EnfocarFalla();
    QStringList Valores() const;
    void CargarSugerencias();

    Aplicacion& m_app;
    OperadorQt& m_op;
    Depuracion::FormModificar m_f;

    QLineEdit *m_txtARTNRO, *m_txtARTCAN, *m_txtARTUNI, *m_txtARTTOT, *m_txtNroVin, *m_txtFactura, *m_txtCTC;
    QLineEdit *m_txtPRCNCM, *m_txtPRCSUF, *m_txtPRCDUN, *m_txtPRCCAN, *m_txtPRCECA, *m_txtPRCSCA, *m_txtPRCESM;
    QLabel *m_lbPRCEUN, *m_lbPRCSUN, *m_lbPRCLAP, *m_lbSugerencia, *m_lbEstado;
    QComboBox *m_cboPRCORI, *m_cboPRCDST;
    std::vector<Sugerencias::Sugerencia> m_sugerencias; // best first, as loaded
    QStringList m_cargados;                             // the boxes as loaded, to tell an edit from none
};
