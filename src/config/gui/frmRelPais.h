#pragma once
#include "config/RelacionPais.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QString>

struct Aplicacion;
class ClCntrl;
class QComboBox;
class QLineEdit;

// "Establecer Pais": relates a file's country code to a country of the list
// and a goods status. No country is chosen at first; typing in the country box
// finds a name. F11 saves (and closes), Esc closes without saving.
class frmRelPais : public QDialog {
    Q_OBJECT
public:
    // `porImportacion`: opened by an import for a code without relation; Esc
    // then asks whether to cancel the import instead of only reopening.
    explicit frmRelPais(Aplicacion& app, QWidget* parent = nullptr, bool porImportacion = false);

    // F11. True when the relation was stored and the dialog closed.
    bool f_Grabar();
    // Esc (and the close box): nothing handed back.
    void reject() override;
    // The operator chose to cancel the import that opened the dialog.
    bool ImportacionCancelada() const { return m_cancelada; }

protected:
    void keyPressEvent(QKeyEvent* evento) override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    Aplicacion& m_app;
    bool m_porImportacion, m_cancelada = false;
    RelacionPais::FormRelPais m_form;
    QLineEdit *m_txtValor, *m_txtESM;
    QComboBox *m_cboPais, *m_cboidPais;
    ClCntrl* m_ctlPais;
    QString m_buscado;      // the letters typed in the country box
    QElapsedTimer m_tecleo; // since the last of them
};
