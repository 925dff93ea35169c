#pragma once
#include "config/Configuracion.h"

#include <QDialog>

struct Aplicacion;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QTreeWidget;

// "Configuración": catalog, declared unit, origin, brand, the model-and-variant
// rule and the country relations. Esc saves and closes; an empty origin keeps
// it open. There is no other way out.
class frmConfig : public QDialog {
    Q_OBJECT
public:
    explicit frmConfig(Aplicacion& app, QWidget* parent = nullptr);

    // Esc (and the close box).
    bool GrabarySalir();
    void reject() override { GrabarySalir(); }
    void Ori_Nuevo();
    void ORI_Eliminar();
    // The catalog health report of the catalog chosen in the combo.
    void cmdRevisarCatalogo_Click();

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void Dibujar();
    void DibujarRelaciones();

    Aplicacion& m_app;
    FormConfig m_form;
    QComboBox *m_cboCatalogo, *m_cboIdCatalogo, *m_cboUnidad, *m_cboIdUnidad;
    QLineEdit *m_txtOrigen, *m_txtMarca;
    QCheckBox* m_chk;
    QTreeWidget* m_lstRELPAIS;
};
