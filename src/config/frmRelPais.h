#pragma once
#include "config/RelacionPais.h"

#include <QDialog>

struct Aplicacion;
class QComboBox;
class QLineEdit;

// "Establecer Pais": relates a file's country code to a country of the list
// and a goods status. F11 saves (and closes), Esc closes without saving.
class frmRelPais : public QDialog {
    Q_OBJECT
public:
    explicit frmRelPais(Aplicacion& app, QWidget* parent = nullptr);

    // F11. True when the relation was stored and the dialog closed.
    bool f_Grabar();
    // Esc (and the close box): nothing handed back.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* evento) override;

private:
    Aplicacion& m_app;
    RelacionPais::FormRelPais m_form;
    QLineEdit *m_txtValor, *m_txtESM;
    QComboBox *m_cboPais, *m_cboidPais;
};
