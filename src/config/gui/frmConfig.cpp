#include "config/gui/frmConfig.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "controls/gui/ClCntrl.h"
#include "platform/AppError.h"
#include "reports/Informe.h"
#include "reports/gui/frmReporte.h"

#include "controls/gui/Ventana.h"
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

void MostrarError(Aplicacion& app, const std::string& seccion) {
    AppError e = AppError::Actual();
    app.Op->MsgBox(e.Mensaje() + " - seccion [" + seccion + "]::" + e.Source, Operador::Icono::Critico);
}
} // namespace

frmConfig::frmConfig(Aplicacion& app, QWidget* parent) : QDialog(parent), m_app(app), m_form(app) {
    setObjectName("frmConfig");
    Ventana::Recordar(this);
    setWindowTitle("Configuración");
    setModal(true);

    auto etiqueta = [this](const char* nombre, const char* texto) {
        auto* l = new QLabel(texto, this);
        l->setObjectName(nombre);
        return l;
    };
    auto* lbCatalogo = etiqueta("Label2", "Catálogo");
    m_cboCatalogo = new QComboBox(this);
    m_cboCatalogo->setObjectName("cboCatalogo");
    m_cboIdCatalogo = new QComboBox(this);
    m_cboIdCatalogo->setObjectName("cboIdCatalogo");
    auto* lbUnidad = etiqueta("Label1", "Unidad Declarada por Defecto");
    m_cboUnidad = new QComboBox(this);
    m_cboUnidad->setObjectName("cboUnidad");
    m_cboIdUnidad = new QComboBox(this);
    m_cboIdUnidad->setObjectName("cboIdUnidad");
    // The twins hold the identifiers at the positions of the descriptions.
    m_cboIdCatalogo->setVisible(false);
    m_cboIdUnidad->setVisible(false);
    for (QComboBox* c : {m_cboCatalogo, m_cboUnidad}) {
        c->setMinimumWidth(340);
        c->setMaxVisibleItems(20);
    }
    connect(m_cboCatalogo, &QComboBox::currentIndexChanged, m_cboIdCatalogo, &QComboBox::setCurrentIndex);
    connect(m_cboUnidad, &QComboBox::currentIndexChanged, m_cboIdUnidad, &QComboBox::setCurrentIndex);

    auto* lbOrigen = etiqueta("lbOrigen", "Origen");
    m_txtOrigen = new QLineEdit(this);
    m_txtOrigen->setObjectName("txtOrigen");
    m_txtOrigen->setMaximumWidth(120);
    auto* lbMarca = etiqueta("Label6", "MARCA - Sufijo AA");
    m_txtMarca = new QLineEdit(this);
    m_txtMarca->setObjectName("txtMarca");
    auto* lbVin = etiqueta("lbLeerVIN", "Leer VIN de Archivo");
    m_chk = new QCheckBox("Modelo y Variante sin espacios (Q&&R)", this);
    m_chk->setObjectName("chkModeloyVariantesinespacio");
    lbCatalogo->setBuddy(m_cboCatalogo);
    lbUnidad->setBuddy(m_cboUnidad);
    lbOrigen->setBuddy(m_txtOrigen);
    lbMarca->setBuddy(m_txtMarca);
    for (QLineEdit* t : {m_txtOrigen, m_txtMarca}) {
        auto* c = new ClCntrl(this);
        c->sLinkText(t);
    }
    for (QComboBox* cbo : {m_cboCatalogo, m_cboUnidad}) {
        auto* c = new ClCntrl(this);
        c->sLinkCBoBox(cbo);
    }

    auto* lbRel = etiqueta("Label3", "Relación PAIS");
    m_lstRELPAIS = new QTreeWidget(this);
    m_lstRELPAIS->setObjectName("lstRELPAIS");
    m_lstRELPAIS->setHeaderLabels({"Pais", "Origen", "Nombre", "Est Mer"});
    m_lstRELPAIS->setRootIsDecorated(false);
    m_lstRELPAIS->setAlternatingRowColors(true);
    m_lstRELPAIS->setUniformRowHeights(true);
    m_lstRELPAIS->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_lstRELPAIS->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    m_lstRELPAIS->setMinimumHeight(150);
    m_lstRELPAIS->installEventFilter(this);
    auto* cRel = new ClCntrl(this);
    cRel->sLinkListBox(m_lstRELPAIS);
    auto* lbTeclas = etiqueta("Label5", "[INSERT] Agregar - [DELETE] Eliminar");
    auto* lbCerrar = etiqueta("Label4", "[ESC] Cerrar");
    for (QLabel* l : {lbTeclas, lbCerrar})
        l->setStyleSheet("color: palette(dark);");

    auto* generales = new QGroupBox(this);
    auto* g = new QGridLayout(generales);
    g->addWidget(lbCatalogo, 0, 0);
    g->addWidget(m_cboCatalogo, 0, 1, 1, 2);
    g->addWidget(lbUnidad, 1, 0);
    g->addWidget(m_cboUnidad, 1, 1, 1, 2);
    g->addWidget(lbOrigen, 2, 0);
    g->addWidget(m_txtOrigen, 2, 1);
    g->addWidget(lbMarca, 3, 0);
    g->addWidget(m_txtMarca, 3, 1, 1, 2);
    g->addWidget(lbVin, 4, 0);
    g->addWidget(m_chk, 4, 1, 1, 2);
    g->setColumnStretch(2, 1);
    g->setHorizontalSpacing(12);

    auto* cmdRevisar = new QPushButton("Revisar catálogo", this);
    cmdRevisar->setObjectName("cmdRevisarCatalogo");
    cmdRevisar->setAutoDefault(true);
    cmdRevisar->setToolTip("Articulos del catálogo cuya posición o cuyos sufijos ya no son válidos");
    connect(cmdRevisar, &QPushButton::clicked, this, &frmConfig::cmdRevisarCatalogo_Click);
    g->addWidget(cmdRevisar, 0, 3);

    auto* pie = new QHBoxLayout;
    pie->addWidget(lbTeclas);
    pie->addStretch(1);
    pie->addWidget(lbCerrar);

    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(16, 14, 16, 12);
    l->addWidget(generales);
    l->addSpacing(6);
    l->addWidget(lbRel);
    l->addWidget(m_lstRELPAIS, 1);
    l->addLayout(pie);
    resize(560, 480);

    try {
        m_form.Form_Load();
    } catch (...) {
        // What loaded stays; saving keeps a setting whose list could not be read.
        MostrarError(m_app, "Quelvorin.frmConfig.Form_Load");
    }
    Dibujar();
}

void frmConfig::Dibujar() {
    m_chk->setChecked(m_form.chkModeloyVariantesinespacio == 1);
    m_txtMarca->setText(Q(m_form.txtMarca));
    m_txtOrigen->setText(Q(m_form.txtOrigen));
    m_cboUnidad->clear();
    m_cboIdUnidad->clear();
    for (size_t i = 0; i < m_form.cboUnidad.size(); ++i) {
        m_cboUnidad->addItem(Q(m_form.cboUnidad[i]));
        m_cboIdUnidad->addItem(Q(m_form.cboIdUnidad[i]));
    }
    m_cboUnidad->setCurrentIndex(m_form.unidad);
    m_cboCatalogo->clear();
    m_cboIdCatalogo->clear();
    for (size_t i = 0; i < m_form.cboCatalogo.size(); ++i) {
        m_cboCatalogo->addItem(Q(m_form.cboCatalogo[i]));
        m_cboIdCatalogo->addItem(Q(m_form.cboIdCatalogo[i]));
    }
    m_cboCatalogo->setCurrentIndex(m_form.catalogo);
    DibujarRelaciones();
}

void frmConfig::DibujarRelaciones() {
    m_lstRELPAIS->clear();
    for (const RelacionPais::Relacion& r : m_form.lstRELPAIS)
        new QTreeWidgetItem(m_lstRELPAIS, {Q(r.PAI), Q(r.ORI), Q(r.Pais), Q(r.ESM)});
    if (m_lstRELPAIS->topLevelItemCount() > 0)
        m_lstRELPAIS->setCurrentItem(m_lstRELPAIS->topLevelItem(0));
}

bool frmConfig::GrabarySalir() {
    m_form.txtOrigen = m_txtOrigen->text().toStdString();
    m_form.txtMarca = m_txtMarca->text().toStdString();
    m_form.chkModeloyVariantesinespacio = m_chk->isChecked() ? 1 : 0;
    m_form.catalogo = m_cboCatalogo->currentIndex();
    m_form.unidad = m_cboUnidad->currentIndex();
    bool ok = false;
    try {
        ok = m_form.GrabarySalir();
    } catch (...) {
        // The values are in force for this run and the message says they were
        // not stored; staying open would only repeat it on every Esc.
        MostrarError(m_app, "Quelvorin.frmConfig.GrabarySalir");
        ok = true;
    }
    if (ok)
        QDialog::accept();
    return ok;
}

void frmConfig::Ori_Nuevo() {
    try {
        m_form.Ori_Nuevo();
    } catch (...) {
        MostrarError(m_app, "Quelvorin.frmConfig.Ori_Nuevo");
    }
    DibujarRelaciones();
}

void frmConfig::ORI_Eliminar() {
    if (m_lstRELPAIS->topLevelItemCount() == 0)
        return;
    int i = m_lstRELPAIS->currentItem() ? m_lstRELPAIS->indexOfTopLevelItem(m_lstRELPAIS->currentItem()) : 0;
    try {
        if (m_form.ORI_Eliminar(i)) {
            delete m_lstRELPAIS->takeTopLevelItem(i);
        }
    } catch (...) {
        MostrarError(m_app, "Quelvorin.frmConfig.ORI_Eliminar");
    }
}

bool frmConfig::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == m_lstRELPAIS && evento->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(evento)->key()) {
        case Qt::Key_Insert:
            Ori_Nuevo();
            return true;
        case Qt::Key_Delete:
            ORI_Eliminar();
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(objeto, evento);
}

void frmConfig::cmdRevisarCatalogo_Click() {
    const std::string catalogo = m_cboIdCatalogo->currentText().toStdString();
    Reportes::Informe informe;
    if (!Reportes::PrepararCatalogo(m_app, catalogo.empty() ? m_app.Config.INTCAT : catalogo, informe,
                                    "frmConfig.cmdRevisarCatalogo_Click"))
        return;
    frmReporte d(std::move(informe), *m_app.Op, this);
    d.exec();
}
