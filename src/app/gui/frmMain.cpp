#include "app/gui/frmMain.h"

#include "app/Arranque.h"

#include "comun/Aplicacion.h"
#include "config/gui/frmConfig.h"
#include "controls/gui/ClCntrl.h"
#include "controls/gui/OperadorQt.h"
#include "import/gui/frmInterno.h"
#include "platform/AppError.h"
#include "reports/Informe.h"
#include "reports/gui/frmReporte.h"
#include "review/gui/frmDEP.h"

#include "controls/gui/Ventana.h"
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QLabel* Etiqueta(QWidget* padre, const char* nombre, const QString& texto) {
    auto* l = new QLabel(texto, padre);
    l->setObjectName(nombre);
    return l;
}

QPushButton* Boton(QWidget* padre, const char* nombre, const QString& texto) {
    auto* b = new QPushButton(texto, padre);
    b->setObjectName(nombre);
    b->setAutoDefault(true); // Enter presses the focused button
    return b;
}

QTreeWidget* Lista(QWidget* padre, const char* nombre, const QStringList& columnas) {
    auto* t = new QTreeWidget(padre);
    t->setObjectName(nombre);
    t->setHeaderLabels(columnas);
    t->setRootIsDecorated(false);
    t->setUniformRowHeights(true);
    t->setAlternatingRowColors(true);
    t->setAllColumnsShowFocus(true);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    return t;
}

// A one-line label that gives up width: the text is cut with "..." when the
// room is short, and the whole of it stays in the tooltip.
class EtiquetaRecortada : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override {
        const QSize h = QLabel::minimumSizeHint();
        return {fontMetrics().horizontalAdvance(QStringLiteral("...")) + 2 * margin(), h.height()};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect r = contentsRect();
        p.setPen(palette().color(foregroundRole()));
        p.drawText(r, alignment(), fontMetrics().elidedText(text(), Qt::ElideRight, r.width()));
    }
};

bool Iguales(const std::vector<ListaInternos::Item>& a, const std::vector<ListaInternos::Item>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].INTNRO != b[i].INTNRO || a[i].INTDSC != b[i].INTDSC || a[i].Articulos != b[i].Articulos ||
            a[i].PorDepurar != b[i].PorDepurar || a[i].EnAduana != b[i].EnAduana)
            return false;
    return true;
}
} // namespace

frmMain::frmMain(Aplicacion& app, OperadorQt& op, QWidget* parent)
    : QWidget(parent), m_app(app), m_op(op), m_asistente(app, [this] { Dibujar(); }) {
    setObjectName("frmMain");
    Ventana::Recordar(this);
    setWindowTitle(OperadorQt::kTitulo);

    m_pila = new QStackedWidget(this);
    m_fram1 = CrearFRAM1();
    m_fram3 = CrearFRAM3();
    m_pila->addWidget(m_fram1);
    m_pila->addWidget(m_fram3);

    m_lbMensaje = Etiqueta(this, "Main_lbMensaje", "");
    m_lbMensaje->setMinimumWidth(200);
    m_barra = new QProgressBar(this);
    m_barra->setObjectName("Main_PrB");
    m_barra->setTextVisible(false);
    m_barra->setFixedWidth(260);
    m_barra->setVisible(false);
    auto* estado = new QFrame(this);
    estado->setObjectName("barraEstado");
    estado->setFrameShape(QFrame::StyledPanel);
    estado->setFrameShadow(QFrame::Sunken);
    auto* le = new QHBoxLayout(estado);
    le->setContentsMargins(8, 3, 8, 3);
    le->addWidget(m_lbMensaje, 1);
    le->addWidget(m_barra);

    m_lbVersion = new EtiquetaRecortada(this);
    m_lbVersion->setObjectName("lbVersion");
    m_lbVersion->setForegroundRole(QPalette::Dark);
    m_lbVersion->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_cmdConfig = Boton(this, "cmdConfig", "Configur.");
    m_cmdConfig->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    m_cmdAcercaDe = Boton(this, "cmdAcercaDe", "Acerca de");
    m_cmdAcercaDe->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    m_command4 = Boton(this, "Command4", "Cancelar");
    m_cmdVolver = Boton(this, "cmdVolver", "< Volver");
    m_cmdSiguiente = Boton(this, "cmdSiguiente", "Siguiente >");
    for (QPushButton* b : {m_cmdConfig, m_cmdAcercaDe, m_command4, m_cmdVolver, m_cmdSiguiente})
        b->setMinimumSize(104, 30);
    auto* botones = new QHBoxLayout;
    botones->addWidget(m_cmdConfig);
    botones->addWidget(m_cmdAcercaDe);
    botones->addSpacing(12);
    botones->addWidget(m_lbVersion, 1);
    botones->addWidget(m_command4);
    botones->addSpacing(18);
    botones->addWidget(m_cmdVolver);
    botones->addWidget(m_cmdSiguiente);

    auto* cuerpo = new QVBoxLayout;
    cuerpo->setContentsMargins(14, 12, 14, 12);
    cuerpo->setSpacing(10);
    cuerpo->addWidget(m_pila, 1);
    cuerpo->addWidget(estado);
    auto* linea = new QFrame(this);
    linea->setFrameShape(QFrame::HLine);
    linea->setFrameShadow(QFrame::Sunken);
    cuerpo->addWidget(linea);
    cuerpo->addLayout(botones);

    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    l->addWidget(CrearEncabezado());
    l->addLayout(cuerpo, 1);

    connect(m_cmdSiguiente, &QPushButton::clicked, this, &frmMain::cmdSiguiente_Click);
    connect(m_cmdVolver, &QPushButton::clicked, this, &frmMain::cmdVolver_Click);
    connect(m_cmdConfig, &QPushButton::clicked, this, &frmMain::cmdConfig_Click);
    connect(m_command4, &QPushButton::clicked, this, &frmMain::Command4_Click);
    connect(m_cmdAcercaDe, &QPushButton::clicked, this, &frmMain::cmdAcercaDe_Click);
    connect(m_cmdRegErr, &QPushButton::clicked, this, &frmMain::FRAM3_cmdRegErr_Click);
    connect(m_cmdRegOk, &QPushButton::clicked, this, &frmMain::FRAM3_cmdRegOk_Click);
    connect(m_cmdRepErr, &QPushButton::clicked, this, &frmMain::FRAM3_cmdRepErr_Click);
    connect(m_cmdRepOK, &QPushButton::clicked, this, &frmMain::FRAM3_cmdRepOK_Click);
    connect(m_lstInternos, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        m_asistente.Seleccionar(item ? m_lstInternos->indexOfTopLevelItem(item) : -1);
    });

    m_op.Ventana(this);
    m_op.EnlazarEstado(m_lbMensaje, m_barra);
    // The window sees its keys before its controls (F1 and F2 of step 3).
    qApp->installEventFilter(this);
    // No fixed minimum: the layouts' own keeps every control whole, and it fits a
    // screen of 800 x 500 (a 1600 x 1000 one at 200 %).
    resize(900, 620);
    Dibujar();
}

frmMain::~frmMain() {
    qApp->removeEventFilter(this);
    m_op.EnlazarEstado(nullptr, nullptr);
    m_op.Ventana(nullptr);
    m_app.MAIN_CambiarPaso = nullptr;
}

QWidget* frmMain::CrearEncabezado() {
    auto* e = new QFrame(this);
    e->setObjectName("encabezado");
    e->setStyleSheet("#encabezado { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #1d3557, "
                     "stop:1 #2f6690); } #encabezado QLabel { color: white; }");
    auto* titulo = Etiqueta(e, "lbTitulo", "PROCESO de Archivos");
    QFont ft = titulo->font();
    ft.setPointSizeF(ft.pointSizeF() * 1.7);
    ft.setBold(true);
    titulo->setFont(ft);
    auto* subtitulo = Etiqueta(e, "lbSubtitulo", "Proceso de ECR1/ICR1/ICR2/RR01");
    subtitulo->setStyleSheet("color: #d8e4f0;");
    m_lbPasoNro = Etiqueta(e, "lbPasoNro", "Paso 1");
    QFont fp = m_lbPasoNro->font();
    fp.setPointSizeF(fp.pointSizeF() * 1.5);
    fp.setBold(true);
    m_lbPasoNro->setFont(fp);
    m_lbPasoNro->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lbPasoDesc = Etiqueta(e, "lbPasoDesc", "Seleccione el interno a procesar");
    m_lbPasoDesc->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lbPasoDesc->setStyleSheet("color: #d8e4f0;");

    auto* g = new QGridLayout(e);
    g->setContentsMargins(18, 12, 18, 12);
    g->setVerticalSpacing(2);
    g->addWidget(titulo, 0, 0);
    g->addWidget(subtitulo, 1, 0);
    g->addWidget(m_lbPasoNro, 0, 1);
    g->addWidget(m_lbPasoDesc, 1, 1);
    g->setColumnStretch(0, 1);
    return e;
}

QFrame* frmMain::CrearFRAM1() {
    auto* f = new QFrame(this);
    f->setObjectName("FRAM1");
    // Beside each interno, what tells it apart from the others: its articles,
    // those still to depurate, and whether it is already in the customs database.
    m_lstInternos = Lista(f, "FRAM1LstInternos", {"Interno", "Descripcion", "Articulos", "Por depurar", "Transferido"});
    m_lstInternos->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    m_lstInternos->header()->resizeSection(0, 200);
    m_lstInternos->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    for (int c = 2; c < 5; ++c) {
        m_lstInternos->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
        m_lstInternos->headerItem()->setTextAlignment(c, c < 4 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignCenter);
    }
    m_lstInternos->header()->setStretchLastSection(false);
    m_lstInternos->installEventFilter(this);
    m_lstInternos->viewport()->installEventFilter(this);
    auto* c = new ClCntrl(f);
    c->sLinkListBox(m_lstInternos);

    auto* ayudas = new QHBoxLayout;
    const char* textos[][2] = {{"FRAM1_lbInsert", "   [Insert]   Nuevo Interno"},
                               {"FRAM1_lbDelete", "  [Delete] Eliminar Interno"},
                               {"FRAM1_lbEnter", " [ENTER] Seleccione un interno"}};
    for (auto& t : textos) {
        auto* a = Etiqueta(f, t[0], t[1]);
        a->setStyleSheet("color: palette(dark);");
        ayudas->addWidget(a);
        ayudas->addStretch(1);
    }
    auto* l = new QVBoxLayout(f);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(m_lstInternos, 1);
    l->addLayout(ayudas);
    return f;
}

QFrame* frmMain::CrearFRAM3() {
    auto* f = new QFrame(this);
    f->setObjectName("FRAM3");

    auto* resultados = new QGroupBox("Resultados del proceso automático", f);
    resultados->setObjectName("FRAM3_Resultados");
    auto* gr = new QGridLayout(resultados);
    gr->setVerticalSpacing(8);
    gr->setHorizontalSpacing(14);
    struct Fila {
        QLabel*& contador;
        const char* nombre;
        const char* caption;
    };
    Fila filas[] = {{m_lbTotal, "FRAM3_lbTotal", "Total de Registros"},
                    {m_lbEnCatalogo, "FRAM3_lbEnCatalogo", "Articulos en Catalogo"},
                    {m_lbNuevos, "FRAM3_lbNuevos", "Articulos Nuevos"},
                    {m_lbErroneos, "FRAM3_lbErroneos", "Registros con Errores"},
                    {m_lbErrPos, "FRAM3_lbErrPos", "Errores de Posición"},
                    {m_lbErrSuf, "FRAM3_lbErrSuf", "Errores de Sufijos"}};
    int fila = 0;
    for (Fila& x : filas) {
        gr->addWidget(new QLabel(x.caption, resultados), fila, 0);
        x.contador = Etiqueta(resultados, x.nombre, "");
        x.contador->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        x.contador->setMinimumWidth(72);
        x.contador->setFrameShape(QFrame::StyledPanel);
        x.contador->setFrameShadow(QFrame::Sunken);
        x.contador->setStyleSheet("background: palette(base); padding: 2px 6px; font-weight: bold;");
        QFont fc = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        fc.setBold(true);
        x.contador->setFont(fc);
        gr->addWidget(x.contador, fila, 1);
        ++fila;
    }
    gr->setColumnStretch(0, 1);
    gr->setRowStretch(fila, 1);

    auto* depuracion = new QGroupBox("Depuración de registros", f);
    depuracion->setObjectName("FRAM3_Depuracion");
    m_cmdRegErr = Boton(depuracion, "FRAM3_cmdRegErr", "[F1] - Datos sin Depurar");
    m_cmdRegOk = Boton(depuracion, "FRAM3_cmdRegOk", "[F2] - Registros OK");
    m_cmdRepErr = Boton(depuracion, "FRAM3_cmdRepErr", "Datos sin Depurar");
    m_cmdRepOK = Boton(depuracion, "FRAM3_cmdRepOK", "Registros OK");
    m_cmdRegErr->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
    m_cmdRegOk->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    m_cmdRepErr->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    m_cmdRepOK->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    auto* ld = new QVBoxLayout(depuracion);
    ld->setSpacing(8);
    for (QPushButton* b : {m_cmdRegErr, m_cmdRegOk}) {
        b->setMinimumHeight(34);
        b->setStyleSheet("text-align: left; padding-left: 10px;");
        ld->addWidget(b);
    }
    auto* separador = new QFrame(depuracion);
    separador->setFrameShape(QFrame::HLine);
    separador->setFrameShadow(QFrame::Sunken);
    ld->addWidget(separador);
    for (QPushButton* b : {m_cmdRepErr, m_cmdRepOK}) {
        b->setMinimumHeight(30);
        b->setStyleSheet("text-align: left; padding-left: 10px;");
        ld->addWidget(b);
    }
    ld->addStretch(1);

    auto* totales = new QGroupBox("Totales CIF por SubReg", f);
    totales->setObjectName("FRAM3_Totales");
    m_lstCIF = Lista(totales, "lstCIF", {"SubReg", "CIF"});
    m_lstCIF->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    m_lstCIF->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_lstCIF->header()->setStretchLastSection(true);
    auto* lt = new QVBoxLayout(totales);
    lt->addWidget(m_lstCIF);

    auto* l = new QGridLayout(f);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(12);
    // Side by side rather than stacked: step 3 then fits a short screen.
    l->addWidget(resultados, 0, 0);
    l->addWidget(depuracion, 0, 1);
    l->addWidget(totales, 0, 2);
    l->setColumnStretch(0, 4);
    l->setColumnStretch(1, 4);
    l->setColumnStretch(2, 3);
    return f;
}

void frmMain::Dibujar() {
    const Asistente::Pantalla& p = m_asistente.pantalla();
    m_lbPasoNro->setText(Q(p.lbPasoNro));
    m_lbPasoDesc->setText(Q(p.lbPasoDesc));
    m_lbVersion->setText(Q(m_app.Version));
    m_lbVersion->setToolTip(Q(m_app.Version));
    setWindowTitle(m_app.InternoActual.empty()
                       ? QString(OperadorQt::kTitulo)
                       : QString("%1 - Interno %2").arg(OperadorQt::kTitulo, Q(m_app.InternoActual)));
    m_cmdSiguiente->setText(Q(p.cmdSiguiente));
    m_cmdSiguiente->setEnabled(p.cmdSiguienteHabilitado && !m_enCurso);
    m_cmdVolver->setEnabled(p.cmdVolverHabilitado && !m_enCurso);
    m_cmdConfig->setEnabled(!m_enCurso);
    m_command4->setEnabled(!m_enCurso);
    m_fram1->setEnabled(p.FRAM1Habilitado);
    m_pila->setCurrentWidget(p.Frente == Asistente::Marco::FRAM1 ? m_fram1 : m_fram3);

    if (!m_listaDibujada || !Iguales(p.Internos, m_internosDibujados)) {
        QSignalBlocker b(m_lstInternos);
        m_lstInternos->clear();
        const QIcon icono = style()->standardIcon(QStyle::SP_FileIcon);
        for (const ListaInternos::Item& i : p.Internos) {
            auto* item = new QTreeWidgetItem(m_lstInternos, {Q(i.INTNRO), Q(i.INTDSC), QString::number(i.Articulos),
                                                             QString::number(i.PorDepurar),
                                                             ListaInternos::TextoTransferido(i.EnAduana)});
            item->setIcon(0, icono);
            for (int c = 2; c < 4; ++c)
                item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
            item->setTextAlignment(4, Qt::AlignCenter);
            if (i.PorDepurar > 0)
                item->setForeground(3, QColor(0x80, 0, 0));
        }
        m_internosDibujados = p.Internos;
        m_listaDibujada = true;
    }
    {
        QSignalBlocker b(m_lstInternos);
        m_lstInternos->setCurrentItem(p.Seleccionado >= 0 ? m_lstInternos->topLevelItem(p.Seleccionado) : nullptr);
    }

    m_lbTotal->setText(Q(p.Contadores.Total));
    m_lbEnCatalogo->setText(Q(p.Contadores.EnCatalogo));
    m_lbNuevos->setText(Q(p.Contadores.Nuevos));
    m_lbErroneos->setText(Q(p.Contadores.Erroneos));
    m_lbErrPos->setText(Q(p.Contadores.ErrPos));
    m_lbErrSuf->setText(Q(p.Contadores.ErrSuf));

    m_lstCIF->clear();
    for (const Estadisticas::TotalCIF& t : p.lstCIF) {
        auto* item = new QTreeWidgetItem(m_lstCIF, {Q(t.SubReg), Q(t.CIF)});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    CerrarListasAjenas();
    // Runs hold the event loop: the step-2 captions must be on screen before the classification starts.
    if (isVisible())
        repaint();
}

template <class F> bool frmMain::Ejecutar(F&& operacion) {
    if (m_enCurso)
        return false;
    m_enCurso = true;
    Dibujar();
    // Classification and transfer run here: the hourglass until they end (the
    // message boxes on the way bring the arrow back while they wait).
    m_op.PunteroEspera(true);
    bool ok = true;
    try {
        operacion();
    } catch (const Cancelacion& c) {
        // The run stopped and undid its own work: why, not an error number.
        m_op.PunteroEspera(false);
        m_app.Op->MsgBox(c.Motivo, Operador::Icono::Exclamacion);
        ok = false;
    } catch (...) {
        m_op.PunteroEspera(false);
        AppError e = AppError::Actual();
        m_app.Op->MsgBox(e.Mensaje());
        ok = false;
    }
    m_op.PunteroEspera(false);
    m_enCurso = false;
    Dibujar();
    return ok;
}

void frmMain::cmdAcercaDe_Click() {
    m_op.MsgBox("Velmarion\r\n" + m_app.Version + "\r\n\r\n" +
                    Arranque::Ubicaciones(m_app.Home, m_app.Almacen ? m_app.Almacen->Ubicacion() : ""),
                Operador::Icono::Informacion);
}

bool frmMain::Iniciar() {
    bool ok = false;
    Ejecutar([&] { ok = m_asistente.Iniciar() == Resultado::Hecho; });
    EnfocarLista();
    return ok;
}

void frmMain::EnfocarLista() {
    // The list takes the keys (Insert, Delete, Enter) whenever it is reloaded.
    if (m_asistente.pantalla().Frente == Asistente::Marco::FRAM1)
        m_lstInternos->setFocus();
}

void frmMain::cmdSiguiente_Click() {
    Ejecutar([&] { m_asistente.cmdSiguiente_Click(); });
}

void frmMain::cmdVolver_Click() {
    Ejecutar([&] { m_asistente.cmdVolver_Click(); });
    EnfocarLista();
}

void frmMain::cmdConfig_Click() {
    if (m_enCurso)
        return;
    frmConfig d(m_app, this);
    d.exec();
}

void frmMain::Command4_Click() {
    if (m_enCurso)
        return;
    close();
    QCoreApplication::quit();
}

void frmMain::ElegirInterno() {
    Ejecutar([&] { m_asistente.ElegirInterno(); });
}

void frmMain::FRAM1_NuevoInterno() {
    if (m_enCurso)
        return;
    frmInterno d(m_app, m_op, this);
    d.exec();
}

void frmMain::FRAM1_EliminarInterno() {
    Ejecutar([&] { m_asistente.FRAM1_EliminarInterno(); });
}

void frmMain::Form_KeyDown(int tecla) {
    if (m_app.Paso != 2 || m_enCurso)
        return;
    if (tecla == Qt::Key_F1)
        FRAM3_cmdRegErr_Click();
    else if (tecla == Qt::Key_F2)
        FRAM3_cmdRegOk_Click();
}

void frmMain::AbrirLista(int16_t modo) {
    if (m_enCurso)
        return;
    m_app.ModoDepuracion = modo;
    auto* lista = new frmDEP(m_app, m_op, this);
    // A correction, its replication or an undo changes the step-3 figures.
    lista->AlCambiarArticulos = [this] { m_asistente.RecargarResultados(); };
    lista->show();
}

void frmMain::FRAM3_cmdRegErr_Click() {
    AbrirLista(1);
}

void frmMain::FRAM3_cmdRegOk_Click() {
    AbrirLista(2);
}

void frmMain::CerrarListasAjenas() {
    // A record list shows one interno's rows: once another one is current (or
    // none, back at step 1), those rows are no longer the operator's work.
    for (frmDEP* lista : findChildren<frmDEP*>(Qt::FindDirectChildrenOnly))
        if (lista->Interno() != m_app.InternoActual && lista->isVisible())
            lista->close();
}

void frmMain::FRAM3_cmdRepErr_Click() {
    Reportes::Informe informe;
    if (m_enCurso || !Reportes::PrepararArticulos(m_app, false, informe, "FRAM3_cmdRepErr_Click"))
        return;
    frmReporte d(std::move(informe), *m_app.Op, this);
    d.exec();
}

void frmMain::FRAM3_cmdRepOK_Click() {
    Reportes::Informe informe;
    if (m_enCurso || !Reportes::PrepararArticulos(m_app, true, informe, "FRAM3_cmdRepOK_Click"))
        return;
    auto* d = new frmReporte(std::move(informe), *m_app.Op, this);
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->show();
}

bool frmMain::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(evento);
        if (k->key() == Qt::Key_F1 || k->key() == Qt::Key_F2) {
            auto* w = qobject_cast<QWidget*>(objeto);
            if (w && w->window() == this) {
                Form_KeyDown(k->key());
                return true;
            }
        }
        if (objeto == m_lstInternos) {
            switch (k->key()) {
            case Qt::Key_Insert:
                FRAM1_NuevoInterno();
                return true;
            case Qt::Key_Delete:
                FRAM1_EliminarInterno();
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                ElegirInterno();
                return true;
            default:
                break;
            }
        }
    } else if (evento->type() == QEvent::MouseButtonDblClick && objeto == m_lstInternos->viewport()) {
        ElegirInterno();
        return true;
    }
    return QWidget::eventFilter(objeto, evento);
}

void frmMain::closeEvent(QCloseEvent* evento) {
    // A run in progress finishes first; its work is never cut off half-way.
    if (m_enCurso)
        evento->ignore();
    else
        evento->accept();
}
