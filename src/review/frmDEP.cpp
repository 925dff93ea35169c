#include "review/frmDEP.h"

#include "app/gui/OperadorQt.h"
#include "comun/Aplicacion.h"
#include "platform/AppError.h"
#include "review/frmModificar.h"

#include "controls/gui/Ventana.h"
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
constexpr int kColumnas = 11; // the ten of the list and the reason
} // namespace

void ModeloDEP::Poner(std::vector<Depuracion::Fila> filas) {
    beginResetModel();
    m_filas = std::move(filas);
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
    if (rol == Qt::DisplayRole || rol == Qt::ToolTipRole) {
        const std::string* celdas[kColumnas] = {&f.Orden,  &f.ARTNRO, &f.PRCVIN, &f.ARTORG, &f.ARTCAN, &f.ARTUNI,
                                                &f.ARTTOT, &f.PRCNCM, &f.PRCEST, &f.PRCCRC, &f.Motivo};
        if (rol == Qt::ToolTipRole)
            return f.Motivo.empty() ? QVariant() : Q(f.Motivo);
        return Q(*celdas[i.column()]);
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
    if (rol == Qt::TextAlignmentRole && i.column() >= 4 && i.column() <= 6)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant ModeloDEP::headerData(int seccion, Qt::Orientation o, int rol) const {
    if (o != Qt::Horizontal || rol != Qt::DisplayRole)
        return {};
    return seccion < 10 ? QString(Depuracion::kColumnas[seccion]) : QString("Motivo");
}

frmDEP::frmDEP(Aplicacion& app, OperadorQt& op, QWidget* parent)
    : QWidget(parent, Qt::Window), m_app(app), m_op(op), m_modo(app.ModoDepuracion), m_interno(app.InternoActual) {
    setObjectName("frmDEP");
    Ventana::Recordar(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString("Resultados - Interno %1 - %2")
                       .arg(Q(app.InternoActual), m_modo == 1 ? "Datos sin Depurar" : "Registros OK"));
    m_modelo = new ModeloDEP(this);
    m_lstDEP = new QTableView(this);
    m_lstDEP->setObjectName("lstDEP");
    m_lstDEP->setModel(m_modelo);
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
    const int anchos[kColumnas] = {52, 190, 160, 52, 70, 80, 80, 128, 52, 44, 360};
    for (int c = 0; c < kColumnas; ++c)
        m_lstDEP->setColumnWidth(c, anchos[c]);
    m_lstDEP->horizontalHeader()->setStretchLastSection(true);
    m_lstDEP->installEventFilter(this);
    connect(m_lstDEP, &QTableView::doubleClicked, this, [this] { AbrirEditor(); });

    m_lbCuenta = new QLabel(this);
    m_lbCuenta->setObjectName("lbCuenta");
    auto* ayuda = new QLabel("[ENTER] Modificar -  [CTRL+Z] Deshacer la última corrección -  [ESC] Salir", this);
    ayuda->setStyleSheet("color: palette(dark);");
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(6, 6, 6, 6);
    l->addWidget(m_lstDEP, 1);
    auto* pie = new QHBoxLayout;
    pie->addWidget(m_lbCuenta);
    pie->addStretch(1);
    pie->addWidget(ayuda);
    l->addLayout(pie);
    resize(1240, 560);
    Form_Load();
}

void frmDEP::Form_Load() {
    // The mode the window was opened with, whatever the main window set since.
    m_modelo->Poner(Depuracion::Cargar(m_app, m_modo));
    m_lbCuenta->setText(QString("%1 articulos").arg(m_modelo->rowCount()));
    if (m_modelo->rowCount() > 0)
        m_lstDEP->selectRow(0);
}

bool frmDEP::Vigente() {
    if (m_app.InternoActual == m_interno)
        return true;
    m_op.MsgBox("Esta lista es del interno " + m_interno + ", que ya no es el interno en proceso: se cierra.",
                Operador::Icono::Exclamacion);
    close();
    return false;
}

void frmDEP::AbrirEditor() {
    if (m_modelo->rowCount() == 0 || !Vigente())
        return;
    QModelIndex i = m_lstDEP->currentIndex();
    int fila = i.isValid() ? i.row() : 0;
    const std::string orden = m_modelo->Fila(fila).Orden;
    m_app.Retorno1.clear();
    {
        frmModificar d(m_app, m_op, this);
        d.Tag = orden;
        d.exec();
    }
    if (m_app.Retorno1 == "OK")
        Form_Load();
    // The operator goes on from the row they were at, in this list, whatever box came up meanwhile.
    if (m_modelo->rowCount() > 0)
        m_lstDEP->selectRow(std::min(fila, m_modelo->rowCount() - 1));
    activateWindow();
    m_lstDEP->setFocus();
}

void frmDEP::Deshacer() {
    if (!Vigente())
        return;
    try {
        if (Depuracion::Deshacer(m_app, m_app.InternoActual, true) == Resultado::Hecho)
            Form_Load();
    } catch (...) {
        // Nothing above a key handler catches: the message is shown here.
        AppError e = AppError::Actual();
        m_op.MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmDEP.Deshacer]", Operador::Icono::Critico);
    }
}

bool frmDEP::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == m_lstDEP && evento->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(evento);
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
    }
    return QWidget::eventFilter(objeto, evento);
}
