#include "review/gui/frmModificar.h"

#include "comun/Aplicacion.h"
#include "controls/gui/ClCntrl.h"
#include "controls/gui/OperadorQt.h"
#include "platform/AppError.h"
#include "review/Sugerencias.h"
#include "review/gui/FrmPosicion.h"

#include "controls/gui/Ventana.h"
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string S(const QString& s) {
    return s.toStdString();
}
} // namespace

frmModificar::frmModificar(Aplicacion& app, OperadorQt& op, QWidget* parent)
    : QDialog(parent), m_app(app), m_op(op), m_f(app) {
    setObjectName("frmModificar");
    Ventana::Recordar(this);
    setWindowTitle("Modificar");
    setModal(true);

    auto caja = [this](const char* nombre, bool soloLectura = false) {
        auto* t = new QLineEdit(this);
        t->setObjectName(nombre);
        t->setReadOnly(soloLectura);
        return t;
    };
    auto etiqueta = [this](const char* nombre, const QString& texto) {
        auto* l = new QLabel(texto, this);
        l->setObjectName(nombre);
        return l;
    };
    // Values as the file brought them; only the quantities and prices can change.
    m_txtARTNRO = caja("txtARTNRO", true);
    m_txtARTCAN = caja("txtARTCAN");
    m_txtARTUNI = caja("txtARTUNI");
    m_txtARTTOT = caja("txtARTTOT");
    m_txtNroVin = caja("txtNroVin", true);
    m_txtFactura = caja("txtFactura", true);
    m_txtCTC = caja("txtCTC", true);
    m_txtPRCNCM = caja("txtPRCNCM");
    m_txtPRCNCM->setPlaceholderText("8252.00.00.000B");
    // The position box has a look-up (F6): the peach focus colour.
    m_txtPRCNCM->setProperty("Tag", "#F6");
    m_txtPRCSUF = caja("txtPRCSUF");
    m_txtPRCDUN = caja("txtPRCDUN");
    m_txtPRCCAN = caja("txtPRCCAN");
    m_txtPRCECA = caja("txtPRCECA");
    m_txtPRCSCA = caja("txtPRCSCA");
    m_txtPRCESM = caja("txtPRCESM");
    m_lbPRCEUN = etiqueta("lbPRCEUN", "Unidad Estadistica");
    m_lbPRCSUN = etiqueta("lbPRCSUN", "Derecho Especifico [01]");
    m_lbPRCLAP = etiqueta("lbPRCLAP", "LAPI");
    m_lbPRCLAP->setStyleSheet("color: #a00000; font-weight: bold;");
    m_lbSugerencia = etiqueta("lbSugerencia", "");
    m_lbSugerencia->setWordWrap(true);
    m_lbSugerencia->setStyleSheet("color: #00607a;");
    m_lbEstado = etiqueta("lbEstado", "");
    m_lbEstado->setStyleSheet("font-weight: bold;");
    m_cboPRCORI = new QComboBox(this);
    m_cboPRCORI->setObjectName("cboPRCORI");
    m_cboPRCDST = new QComboBox(this);
    m_cboPRCDST->setObjectName("cboPRCDST");
    m_cboPRCDST->setEnabled(false);
    for (QLineEdit* t : {m_txtARTCAN, m_txtARTUNI, m_txtARTTOT, m_txtPRCCAN, m_txtPRCECA, m_txtPRCSCA})
        t->setAlignment(Qt::AlignRight);
    for (QLineEdit* t : {m_txtARTNRO, m_txtNroVin, m_txtFactura, m_txtCTC}) {
        t->setProperty("Tag", "BB"); // read-only: no focus colours
        t->setMinimumWidth(230);
        // Shown on the window's colour and out of the tab order: nothing to type there.
        t->setFocusPolicy(Qt::NoFocus);
        t->setStyleSheet("QLineEdit { background: palette(window); }");
    }

    auto* origen = new QGroupBox("Datos del archivo origen", this);
    auto* go = new QGridLayout(origen);
    int f = 0;
    for (auto [texto, w] : std::initializer_list<std::pair<const char*, QWidget*>>{{"Articulo", m_txtARTNRO},
                                                                                   {"Cantidad", m_txtARTCAN},
                                                                                   {"Unitario", m_txtARTUNI},
                                                                                   {"Total", m_txtARTTOT},
                                                                                   {"Nro VIN", m_txtNroVin},
                                                                                   {"Factura", m_txtFactura},
                                                                                   {"Nro CTC", m_txtCTC}}) {
        go->addWidget(new QLabel(texto, origen), f, 0);
        go->addWidget(w, f++, 1);
    }
    go->setRowStretch(f, 1);

    auto* extra = new QGroupBox("Datos Extra", this);
    auto* ge = new QGridLayout(extra);
    f = 0;
    ge->addWidget(new QLabel("Posición", extra), f, 0);
    ge->addWidget(m_txtPRCNCM, f, 1);
    ge->addWidget(m_lbPRCLAP, f++, 2);
    ge->addWidget(m_lbSugerencia, f++, 1, 1, 2);
    ge->addWidget(new QLabel("Sufijos", extra), f, 0);
    ge->addWidget(m_txtPRCSUF, f++, 1, 1, 2);
    ge->addWidget(new QLabel("Unidad Declarada  ", extra), f, 0);
    ge->addWidget(m_txtPRCDUN, f++, 1);
    ge->addWidget(new QLabel("Cantidad Declarada", extra), f, 0);
    ge->addWidget(m_txtPRCCAN, f++, 1);
    ge->addWidget(m_lbPRCEUN, f, 0);
    ge->addWidget(m_txtPRCECA, f++, 1);
    ge->addWidget(m_lbPRCSUN, f, 0);
    ge->addWidget(m_txtPRCSCA, f++, 1);
    ge->addWidget(new QLabel("Estado Mercaderia", extra), f, 0);
    ge->addWidget(m_txtPRCESM, f++, 1);
    ge->addWidget(new QLabel("Pais Origen", extra), f, 0);
    ge->addWidget(m_cboPRCORI, f++, 1, 1, 2);
    ge->addWidget(new QLabel("Destino", extra), f, 0);
    ge->addWidget(m_cboPRCDST, f++, 1, 1, 2);
    ge->addWidget(new QLabel("Estado", extra), f, 0);
    ge->addWidget(m_lbEstado, f++, 1);
    ge->setColumnStretch(1, 1);
    m_txtPRCSUF->setMinimumWidth(420);

    auto* cuerpo = new QHBoxLayout;
    cuerpo->addWidget(origen, 2);
    cuerpo->addWidget(extra, 3);
    auto* ayuda = new QLabel(
        "[F11] Guardar -  [ESC]  Salir          [F6] en Posición: buscar en el nomenclador  -  [F7] Sugerencia", this);
    ayuda->setObjectName("lbAyuda");
    ayuda->setStyleSheet("color: palette(dark);");
    auto* cmdGuardar = new QPushButton("Guardar [F11]", this);
    cmdGuardar->setObjectName("cmdGuardar");
    auto* cmdCerrar = new QPushButton("Cerrar [Esc]", this);
    cmdCerrar->setObjectName("cmdCerrar");
    for (QPushButton* b : {cmdGuardar, cmdCerrar}) {
        b->setAutoDefault(true); // Enter on a button presses it; in a box it moves on
        b->setMinimumWidth(120);
    }
    connect(cmdGuardar, &QPushButton::clicked, this, &frmModificar::GrabarDatos);
    connect(cmdCerrar, &QPushButton::clicked, this, &frmModificar::reject);
    auto* pie = new QHBoxLayout;
    pie->addWidget(ayuda, 1);
    pie->addWidget(cmdGuardar);
    pie->addWidget(cmdCerrar);
    auto* l = new QVBoxLayout(this);
    l->addLayout(cuerpo, 1);
    l->addLayout(pie);

    // The tab order of the editing: the classification first, then the prices.
    QWidget* orden[] = {m_txtPRCNCM, m_txtPRCSUF, m_txtPRCDUN, m_txtPRCCAN, m_txtPRCECA, m_txtPRCSCA,
                        m_txtPRCESM, m_cboPRCORI, m_txtARTCAN, m_txtARTUNI, m_txtARTTOT};
    for (size_t i = 0; i + 1 < std::size(orden); ++i)
        setTabOrder(orden[i], orden[i + 1]);

    // One input-control helper per text box, in the window's order of controls.
    for (QLineEdit* t : findChildren<QLineEdit*>()) {
        auto* c = new ClCntrl(this);
        c->sLinkText(t);
    }
    m_txtPRCNCM->installEventFilter(this);
}

void frmModificar::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    if (m_f.Cargado)
        return;
    m_f.CargarDatos(Tag);
    CargarSugerencias();
    Dibujar();
    m_cargados = Valores();
    m_txtPRCNCM->setFocus();
}

void frmModificar::Dibujar() {
    m_txtARTNRO->setText(Q(m_f.txtARTNRO));
    m_txtARTCAN->setText(Q(m_f.txtARTCAN));
    m_txtARTUNI->setText(Q(m_f.txtARTUNI));
    m_txtARTTOT->setText(Q(m_f.txtARTTOT));
    m_txtNroVin->setText(Q(m_f.txtNroVin));
    m_txtFactura->setText(Q(m_f.txtFactura));
    m_txtCTC->setText(Q(m_f.txtCTC));
    m_txtPRCNCM->setText(Q(m_f.txtPRCNCM));
    m_txtPRCSUF->setText(Q(m_f.txtPRCSUF));
    m_txtPRCDUN->setText(Q(m_f.txtPRCDUN));
    m_txtPRCCAN->setText(Q(m_f.txtPRCCAN));
    m_lbPRCEUN->setText(Q(m_f.lbPRCEUN));
    m_txtPRCECA->setText(Q(m_f.txtPRCECA));
    m_lbPRCSUN->setText(Q(m_f.lbPRCSUN));
    m_lbPRCSUN->setVisible(m_f.PRCSCAVisible);
    m_txtPRCSCA->setText(Q(m_f.txtPRCSCA));
    m_txtPRCSCA->setVisible(m_f.PRCSCAVisible);
    m_lbPRCLAP->setVisible(m_f.lbPRCLAPVisible);
    m_txtPRCESM->setText(Q(m_f.txtPRCESM));
    if (m_cboPRCORI->count() != static_cast<int>(m_f.cboPRCORI.size())) {
        QSignalBlocker b1(m_cboPRCORI), b2(m_cboPRCDST);
        m_cboPRCORI->clear();
        m_cboPRCDST->clear();
        for (const std::string& p : m_f.cboPRCORI)
            m_cboPRCORI->addItem(Q(p));
        for (const std::string& p : m_f.cboPRCDST)
            m_cboPRCDST->addItem(Q(p));
    }
    m_cboPRCORI->setCurrentIndex(m_f.cboPRCORI_Indice);
    m_cboPRCDST->setCurrentIndex(m_f.cboPRCDST_Indice);
    m_lbEstado->setText(Q(m_f.lbEstado));
}

void frmModificar::Leer() {
    m_f.txtARTCAN = S(m_txtARTCAN->text());
    m_f.txtARTUNI = S(m_txtARTUNI->text());
    m_f.txtARTTOT = S(m_txtARTTOT->text());
    m_f.txtPRCNCM = S(m_txtPRCNCM->text());
    m_f.txtPRCSUF = S(m_txtPRCSUF->text());
    m_f.txtPRCDUN = S(m_txtPRCDUN->text());
    m_f.txtPRCCAN = S(m_txtPRCCAN->text());
    m_f.txtPRCECA = S(m_txtPRCECA->text());
    m_f.txtPRCSCA = S(m_txtPRCSCA->text());
    m_f.txtPRCESM = S(m_txtPRCESM->text());
    m_f.cboPRCORI_Indice = m_cboPRCORI->currentIndex();
}

void frmModificar::GrabarDatos() {
    Leer();
    Resultado r = Resultado::Fallido;
    try {
        r = m_f.GrabarDatos();
    } catch (...) {
        // Nothing above a key handler catches: the message is shown here.
        AppError e = AppError::Actual();
        m_op.MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmModificar_GrabarDatos]", Operador::Icono::Critico);
    }
    Dibujar();
    if (r == Resultado::Hecho)
        accept();
    else
        EnfocarFalla();
}

void frmModificar::EnfocarFalla() {
    // The cursor goes to the box the failed check was about, so the operator
    // types the fix at once.
    if (m_f.CampoConFalla.empty())
        return;
    const QString campo = QString::fromStdString(m_f.CampoConFalla);
    QWidget* caja = findChild<QLineEdit*>("txt" + campo);
    if (!caja)
        caja = findChild<QComboBox*>("cbo" + campo);
    if (!caja || !caja->isEnabled() || !caja->isVisible())
        return;
    caja->setFocus(Qt::OtherFocusReason);
    if (auto* t = qobject_cast<QLineEdit*>(caja))
        t->selectAll();
}

void frmModificar::ProcesarNCM() {
    Leer();
    try {
        m_f.ProcesarNCM(m_f.txtPRCNCM);
    } catch (...) {
        AppError e = AppError::Actual();
        m_op.MsgBox(e.Mensaje() + " - seccion [Nembral.frmModificar.ProcesarNCM]", Operador::Icono::Critico);
    }
    Dibujar();
}

void frmModificar::BuscarPosicion() {
    FrmPosicion d(*m_app.Entidades, m_op, this);
    d.setBusqueda(m_txtPRCNCM->text());
    if (d.exec() == QDialog::Accepted)
        m_txtPRCNCM->setText(d.Posicion());
}

void frmModificar::CargarSugerencias() {
    m_sugerencias.clear();
    try {
        if (m_f.Cargado)
            m_sugerencias = Sugerencias::DelArticulo(m_app, std::stoll(Tag));
    } catch (...) {
        // The editor works without them; the operator learns why there are none.
        AppError e = AppError::Actual();
        m_op.MsgBox(e.Mensaje() + " - seccion [Nembral.frmModificar.CargarSugerencias]", Operador::Icono::Exclamacion);
    }
    if (m_sugerencias.empty()) {
        m_lbSugerencia->setText("Sin sugerencia");
    } else {
        const Sugerencias::Sugerencia& s = m_sugerencias.front();
        m_lbSugerencia->setText(QString("[F7] Sugerencia: %1 — %2").arg(Q(s.Posicion), Q(s.Evidencia)));
    }
}

void frmModificar::AplicarSugerencia() {
    if (m_sugerencias.empty())
        return;
    Leer();
    try {
        Sugerencias::Aplicar(m_f, m_sugerencias.front(), m_app.Config.MODELOVARIANTESINSPC);
    } catch (...) {
        AppError e = AppError::Actual();
        m_op.MsgBox(e.Mensaje() + " - seccion [Nembral.frmModificar.AplicarSugerencia]", Operador::Icono::Critico);
    }
    Dibujar();
    // As after Enter in the position box: on to the suffixes.
    m_txtPRCSUF->setFocus();
}

QStringList frmModificar::Valores() const {
    QStringList v;
    for (QLineEdit* t : {m_txtARTCAN, m_txtARTUNI, m_txtARTTOT, m_txtPRCNCM, m_txtPRCSUF, m_txtPRCDUN, m_txtPRCCAN,
                         m_txtPRCECA, m_txtPRCSCA, m_txtPRCESM})
        v << t->text();
    v << QString::number(m_cboPRCORI->currentIndex());
    return v;
}

bool frmModificar::HayCambios() const {
    return m_f.Cargado && Valores() != m_cargados;
}

void frmModificar::reject() {
    if (HayCambios() && !m_op.Preguntar(Operador::Preguntas::DescartarCambios,
                                        "El artículo tiene cambios sin guardar. ¿Descartar los cambios?"))
        return;
    m_f.Cargado = false;
    QDialog::reject();
}

void frmModificar::keyPressEvent(QKeyEvent* evento) {
    if (evento->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    if (evento->key() == Qt::Key_F11) {
        GrabarDatos();
        return;
    }
    if (evento->key() == Qt::Key_F7) {
        AplicarSugerencia();
        return;
    }
    QDialog::keyPressEvent(evento);
}

bool frmModificar::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == m_txtPRCNCM && evento->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(evento);
        if (k->key() == Qt::Key_F6) {
            BuscarPosicion();
            return true;
        }
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            // The check runs; the helper's Enter still moves to the next box.
            ProcesarNCM();
            return false;
        }
    }
    return QDialog::eventFilter(objeto, evento);
}
