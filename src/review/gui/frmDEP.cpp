#include "review/gui/frmDEP.h"

#include "comun/Aplicacion.h"
#include "controls/gui/ClCntrl.h"
#include "controls/gui/OperadorQt.h"
#include "platform/AppError.h"
#include "platform/Numeros.h"
#include "review/Sugerencias.h"
#include "review/gui/frmModificar.h"

#include "controls/gui/Ventana.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
constexpr int kColumnas = 12;    // the ten of the list, the reason and the suggestion
constexpr int kColMotivo = 10;   // the column that takes the room the others leave
constexpr int kPrimerNumero = 4; // Cantidad, Unitario, Total
constexpr int kMaxDecimales = 5; // the most the editor stores (the unit price)

const std::string* Celda(const Depuracion::Fila& f, int columna) {
    const std::string* celdas[kColumnas] = {&f.Orden,  &f.ARTNRO, &f.PRCVIN, &f.ARTORG, &f.ARTCAN, &f.ARTUNI,
                                            &f.ARTTOT, &f.PRCNCM, &f.PRCEST, &f.PRCCRC, &f.Motivo, &f.Sugerencia};
    return celdas[columna];
}

bool EsNumerica(int columna) {
    return columna >= kPrimerNumero && columna < kPrimerNumero + 3;
}
} // namespace

void ModeloDEP::Poner(std::vector<Depuracion::Fila> filas) {
    beginResetModel();
    m_filas = std::move(filas);
    m_decimales = {};
    for (const Depuracion::Fila& f : m_filas)
        for (int c = 0; c < 3; ++c)
            m_decimales[static_cast<size_t>(c)] =
                std::min(kMaxDecimales, std::max(m_decimales[static_cast<size_t>(c)],
                                                 Depuracion::Decimales(*Celda(f, kPrimerNumero + c))));
    endResetModel();
}

int ModeloDEP::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : static_cast<int>(m_filas.size());
}

int ModeloDEP::columnCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : kColumnas;
}

QVariant ModeloDEP::data(const QModelIndex& i, int rol) const {
    if (!i.isValid())
        return {};
    const Depuracion::Fila& f = m_filas[static_cast<size_t>(i.row())];
    const int c = i.column();
    if (rol == Qt::ToolTipRole)
        return f.Motivo.empty() ? QVariant() : Q(f.Motivo);
    if (rol == Qt::DisplayRole) {
        if (EsNumerica(c))
            return Q(Depuracion::ConDecimales(*Celda(f, c), m_decimales[static_cast<size_t>(c - kPrimerNumero)]));
        return Q(*Celda(f, c));
    }
    if (rol == kRolOrden) {
        if (c == 0 || EsNumerica(c)) {
            // An empty number sorts before every number.
            const std::string& t = *Celda(f, c);
            return t.empty() ? -HUGE_VAL : ValorNumerico(t);
        }
        return ClCntrl::Plegar(Q(*Celda(f, c)));
    }
    if (rol == Qt::ForegroundRole) {
        switch (f.Colour) {
        case Depuracion::Color::RojoOscuro:
            return QColor(0x80, 0, 0);
        case Depuracion::Color::AzulOscuro:
            return QColor(0, 0, 0x80);
        case Depuracion::Color::CianOscuro:
            return QColor(0, 0x80, 0x80);
        case Depuracion::Color::Normal:
            break;
        }
        return {};
    }
    if (rol == Qt::TextAlignmentRole && (c == 0 || EsNumerica(c)))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant ModeloDEP::headerData(int seccion, Qt::Orientation o, int rol) const {
    if (o != Qt::Horizontal)
        return {};
    if (rol == Qt::TextAlignmentRole && (seccion == 0 || EsNumerica(seccion)))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (rol != Qt::DisplayRole)
        return {};
    if (seccion < 10)
        return QString(Depuracion::kColumnas[seccion]);
    return seccion == 10 ? QString("Motivo") : QString("Sugerencia");
}

void FiltroDEP::Filtrar(const QString& texto, const QString& motivo) {
    m_texto = ClCntrl::Plegar(texto.trimmed());
    m_motivo = motivo;
    invalidateFilter();
}

bool FiltroDEP::filterAcceptsRow(int fila, const QModelIndex& padre) const {
    const auto* m = static_cast<const ModeloDEP*>(sourceModel());
    const Depuracion::Fila& f = m->Fila(fila);
    if (!m_motivo.isEmpty() && Q(f.Motivo) != m_motivo)
        return false;
    if (m_texto.isEmpty())
        return true;
    // As shown: a quantity is found as the list writes it.
    for (int c = 0; c < kColumnas; ++c)
        if (ClCntrl::Plegar(m->index(fila, c, padre).data().toString()).contains(m_texto))
            return true;
    return false;
}

bool FiltroDEP::lessThan(const QModelIndex& a, const QModelIndex& b) const {
    const QVariant x = a.data(ModeloDEP::kRolOrden), y = b.data(ModeloDEP::kRolOrden);
    if (x.typeId() == QMetaType::Double && y.typeId() == QMetaType::Double)
        return x.toDouble() < y.toDouble();
    const int r = QString::compare(x.toString(), y.toString());
    // Equal keys keep the list's own order.
    return r != 0 ? r < 0 : a.row() < b.row();
}

frmDEP::frmDEP(Aplicacion& app, OperadorQt& op, QWidget* parent)
    : QWidget(parent, Qt::Window), m_app(app), m_op(op), m_modo(app.ModoDepuracion), m_interno(app.InternoActual) {
    setObjectName("frmDEP");
    Ventana::Recordar(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString("Resultados - Interno %1 - %2")
                       .arg(Q(app.InternoActual), m_modo == 1 ? "Datos sin Depurar" : "Registros OK"));
    m_modelo = new ModeloDEP(this);
    m_filtro = new FiltroDEP(this);
    m_filtro->setSourceModel(m_modelo);
    m_filtro->setSortRole(ModeloDEP::kRolOrden);
    m_lstDEP = new QTableView(this);
    m_lstDEP->setObjectName("lstDEP");
    m_lstDEP->setModel(m_filtro);
    QFont courier("Courier New");
    courier.setStyleHint(QFont::Monospace);
    m_lstDEP->setFont(courier);
    m_lstDEP->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lstDEP->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lstDEP->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lstDEP->setAlternatingRowColors(true);
    m_lstDEP->setWordWrap(false);
    m_lstDEP->verticalHeader()->hide();
    // Fixed row heights and column widths: a long list lays out at once and scrolls smoothly.
    m_lstDEP->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_lstDEP->verticalHeader()->setDefaultSectionSize(QFontMetrics(courier).height() + 6);
    const int anchos[kColumnas] = {52, 170, 150, 52, 70, 80, 80, 128, 52, 44, 210, 128};
    for (int c = 0; c < kColumnas; ++c)
        m_lstDEP->setColumnWidth(c, anchos[c]);
    // The reason is read whole: its column fills what the others leave and
    // grows past the window's edge (with a scroll bar) rather than cut it.
    connect(m_lstDEP->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int seccion) {
        if (seccion != kColMotivo)
            AjustarMotivo();
    });
    // A click on a header sorts by it, a second click the other way, a third
    // one brings the list's own order back.
    m_lstDEP->horizontalHeader()->setSortIndicatorClearable(true);
    m_lstDEP->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_lstDEP->setSortingEnabled(true);
    m_lstDEP->installEventFilter(this);
    m_lstDEP->viewport()->installEventFilter(this);

    auto* lbFiltro = new QLabel("&Filtrar:", this);
    m_txtFiltro = new QLineEdit(this);
    m_txtFiltro->setObjectName("txtFiltro");
    m_txtFiltro->setPlaceholderText("artículo, VIN, posición... (Ctrl+F)");
    m_txtFiltro->setClearButtonEnabled(true);
    m_txtFiltro->installEventFilter(this);
    lbFiltro->setBuddy(m_txtFiltro);
    auto* lbMotivo = new QLabel("&Motivo:", this);
    m_cboMotivo = new QComboBox(this);
    m_cboMotivo->setObjectName("cboMotivo");
    m_cboMotivo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cboMotivo->setMinimumContentsLength(40);
    m_cboMotivo->installEventFilter(this);
    lbMotivo->setBuddy(m_cboMotivo);
    // The good articles have no reason to filter by.
    lbMotivo->setVisible(m_modo == 1);
    m_cboMotivo->setVisible(m_modo == 1);
    connect(m_txtFiltro, &QLineEdit::textChanged, this, [this] { Filtrar(); });
    connect(m_cboMotivo, &QComboBox::currentIndexChanged, this, [this] { Filtrar(); });

    m_lbCuenta = new QLabel(this);
    m_lbCuenta->setObjectName("lbCuenta");
    auto* ayuda = new QLabel("[ENTER] Modificar -  [CTRL+Z] Deshacer la última corrección -  [ESC] Salir", this);
    ayuda->setStyleSheet("color: palette(dark);");
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(6, 6, 6, 6);
    auto* filtros = new QHBoxLayout;
    filtros->addWidget(lbFiltro);
    filtros->addWidget(m_txtFiltro, 1);
    filtros->addSpacing(12);
    filtros->addWidget(lbMotivo);
    filtros->addWidget(m_cboMotivo, 2);
    l->addLayout(filtros);
    l->addWidget(m_lstDEP, 1);
    auto* pie = new QHBoxLayout;
    pie->addWidget(m_lbCuenta);
    pie->addStretch(1);
    pie->addWidget(ayuda);
    l->addLayout(pie);
    resize(1240, 560);
    Form_Load();
    m_lstDEP->setFocus();
}

int frmDEP::Filas() const {
    return m_filtro->rowCount();
}

void frmDEP::Form_Load() {
    // The mode the window was opened with, whatever the main window set since.
    bool completa = true;
    auto filas = Depuracion::Cargar(m_app, m_modo, &completa);
    if (m_modo == 1 && completa && !filas.empty())
        PonerSugerencias(filas);
    m_modelo->Poner(std::move(filas));
    LlenarMotivos();
    MostrarCuenta();
    if (m_filtro->rowCount() > 0)
        m_lstDEP->selectRow(0);
}

void frmDEP::PonerSugerencias(std::vector<Depuracion::Fila>& filas) {
    // One pass for the whole interno: a query per source, not per row.
    try {
        const auto sugerencias = Sugerencias::DelInterno(m_app);
        for (Depuracion::Fila& f : filas)
            if (auto it = sugerencias.find(std::stoll(f.Orden)); it != sugerencias.end() && !it->second.empty())
                f.Sugerencia = it->second.front().Posicion;
    } catch (...) {
        // The list is still worth showing without them.
        AppError e = AppError::Actual();
        m_op.MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmDEP.PonerSugerencias]", Operador::Icono::Exclamacion);
    }
}

void frmDEP::LlenarMotivos() {
    const QString elegido = m_cboMotivo->currentData().toString();
    QSignalBlocker b(m_cboMotivo);
    m_cboMotivo->clear();
    m_cboMotivo->addItem(QString("Todos los motivos (%1)").arg(m_modelo->rowCount()), QString());
    for (const Depuracion::CuentaMotivo& c : Depuracion::Motivos(m_modelo->Filas()))
        m_cboMotivo->addItem(QString("%1 (%2)").arg(Q(c.Motivo)).arg(c.Filas), Q(c.Motivo));
    const QFontMetrics fm(m_lstDEP->font());
    m_anchoMotivo = fm.horizontalAdvance(QStringLiteral("Motivo")) + 24;
    for (const Depuracion::CuentaMotivo& c : Depuracion::Motivos(m_modelo->Filas()))
        m_anchoMotivo = std::max(m_anchoMotivo, fm.horizontalAdvance(Q(c.Motivo)) + 16);
    AjustarMotivo();
    const int i = m_cboMotivo->findData(elegido);
    m_cboMotivo->setCurrentIndex(i >= 0 ? i : 0);
    m_filtro->Filtrar(m_txtFiltro->text(), m_cboMotivo->currentData().toString());
}

void frmDEP::Filtrar() {
    m_filtro->Filtrar(m_txtFiltro->text(), m_cboMotivo->currentData().toString());
    MostrarCuenta();
    if (m_filtro->rowCount() > 0 && !m_lstDEP->currentIndex().isValid())
        m_lstDEP->selectRow(0);
}

void frmDEP::MostrarCuenta() {
    const int vistas = m_filtro->rowCount(), todas = m_modelo->rowCount();
    m_lbCuenta->setText(vistas == todas ? QString("%1 articulos").arg(todas)
                                        : QString("%1 de %2 articulos").arg(vistas).arg(todas));
}

bool frmDEP::Vigente() {
    if (m_app.InternoActual == m_interno)
        return true;
    m_op.MsgBox("Esta lista es del interno " + m_interno + ", que ya no es el interno en proceso: se cierra.",
                Operador::Icono::Exclamacion);
    close();
    return false;
}

void frmDEP::Avisar() {
    if (AlCambiarArticulos)
        AlCambiarArticulos();
}

void frmDEP::AbrirEditor() {
    if (m_filtro->rowCount() == 0 || !Vigente())
        return;
    QModelIndex i = m_lstDEP->currentIndex();
    const int fila = i.isValid() ? i.row() : 0;
    // The row under the cursor as sorted and filtered, found in the rows loaded.
    const QModelIndex origen = m_filtro->mapToSource(m_filtro->index(fila, 0));
    const std::string orden = m_modelo->Fila(origen.row()).Orden;
    m_app.Retorno1.clear();
    {
        frmModificar d(m_app, m_op, this);
        d.Tag = orden;
        d.exec();
    }
    if (m_app.Retorno1 == "OK") {
        Form_Load();
        Avisar();
    }
    // The operator goes on from the row they were at, in this list, whatever box came up meanwhile.
    if (m_filtro->rowCount() > 0)
        m_lstDEP->selectRow(std::min(fila, m_filtro->rowCount() - 1));
    activateWindow();
    m_lstDEP->setFocus();
}

void frmDEP::Deshacer() {
    if (!Vigente())
        return;
    try {
        if (Depuracion::Deshacer(m_app, m_app.InternoActual, true) == Resultado::Hecho) {
            Form_Load();
            Avisar();
        }
    } catch (...) {
        // Nothing above a key handler catches: the message is shown here.
        AppError e = AppError::Actual();
        m_op.MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmDEP.Deshacer]", Operador::Icono::Critico);
    }
}

void frmDEP::AjustarMotivo() {
    QHeaderView* h = m_lstDEP->horizontalHeader();
    // A layout kept from before may bring the stretch back; it would squeeze the reason.
    h->setStretchLastSection(false);
    int otras = 0;
    for (int c = 0; c < kColumnas; ++c)
        if (c != kColMotivo && !h->isSectionHidden(c))
            otras += h->sectionSize(c);
    const int ancho = std::max(m_anchoMotivo, m_lstDEP->viewport()->width() - otras);
    if (h->sectionSize(kColMotivo) != ancho)
        h->resizeSection(kColMotivo, ancho);
}

bool frmDEP::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == m_lstDEP->viewport() && evento->type() == QEvent::Resize)
        AjustarMotivo();
    if (objeto == m_lstDEP->viewport() && evento->type() == QEvent::MouseButtonDblClick) {
        // The row double-clicked, whatever row was current before.
        const QModelIndex i = m_lstDEP->indexAt(static_cast<QMouseEvent*>(evento)->position().toPoint());
        if (i.isValid()) {
            m_lstDEP->setCurrentIndex(i);
            AbrirEditor();
        }
        return true;
    }
    if (evento->type() != QEvent::KeyPress)
        return QWidget::eventFilter(objeto, evento);
    auto* k = static_cast<QKeyEvent*>(evento);
    if (k->matches(QKeySequence::Find)) {
        m_txtFiltro->setFocus();
        m_txtFiltro->selectAll();
        return true;
    }
    if (objeto == m_lstDEP) {
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            AbrirEditor();
            return true;
        }
        if (k->matches(QKeySequence::Undo)) {
            Deshacer();
            return true;
        }
        if (k->key() == Qt::Key_Escape) {
            close();
            return true;
        }
    } else if (objeto == m_txtFiltro || objeto == m_cboMotivo) {
        // From the filters, Enter and the cursor keys go down to the rows.
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter ||
            (objeto == m_txtFiltro && k->key() == Qt::Key_Down)) {
            m_lstDEP->setFocus();
            if (!m_lstDEP->currentIndex().isValid() && m_filtro->rowCount() > 0)
                m_lstDEP->selectRow(0);
            return true;
        }
        if (k->key() == Qt::Key_Escape && objeto == m_txtFiltro && !m_txtFiltro->text().isEmpty()) {
            m_txtFiltro->clear();
            return true;
        }
        if (k->key() == Qt::Key_Escape) {
            close();
            return true;
        }
    }
    return QWidget::eventFilter(objeto, evento);
}
