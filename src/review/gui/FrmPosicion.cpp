#include "review/gui/FrmPosicion.h"

#include "comun/Operador.h"
#include "controls/gui/ClCntrl.h"
#include "platform/AppError.h"
#include "review/Nomenclador.h"

#include "controls/gui/Ventana.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

// The hourglass for the length of a look-up; the operator shows the arrow
// again over any message box it raises meanwhile.
struct Espera {
    Operador& op;
    explicit Espera(Operador& o) : op(o) { op.PunteroEspera(true); }
    ~Espera() { op.PunteroEspera(false); }
};

bool EsEnter(int tecla) {
    return tecla == Qt::Key_Return || tecla == Qt::Key_Enter;
}

} // namespace

FrmPosicion::FrmPosicion(Pontevar::Principal& entidades, Operador& op, QWidget* parent)
    : QDialog(parent), m_entidades(entidades), m_op(op) {
    setObjectName("FrmPosicion");
    Ventana::Recordar(this);
    setWindowTitle("Buscar Posición");
    setModal(true);

    // Positions and suffix codes line up in columns in a fixed-width font.
    const QFont fija = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    auto* lbBuscar = new QLabel("&Posición:", this);
    m_txtNCMF = new QLineEdit(this);
    m_txtNCMF->setObjectName("TxtNCMF");
    m_txtNCMF->setPlaceholderText("8703.23, 87032310, 8703.23.10.100A o palabras de la descripción");
    m_txtNCMF->setClearButtonEnabled(true);
    lbBuscar->setBuddy(m_txtNCMF);

    auto* lbLista = new QLabel("Posiciones &encontradas", this);
    m_lbCantidad = lbLista;
    m_lstNCM = new QListWidget(this);
    m_lstNCM->setObjectName("LstNCM");
    m_lstNCM->setFont(fija);
    m_lstNCM->setUniformItemSizes(true); // lists of thousands of positions stay quick
    m_lstNCM->setMinimumWidth(QFontMetrics(fija).horizontalAdvance("8703.23.10.100A") + 48);
    lbLista->setBuddy(m_lstNCM);

    auto* lbDesc = new QLabel("Descripción", this);
    m_lbDescripcion = new QPlainTextEdit(this);
    m_lbDescripcion->setObjectName("LbDescripcion");
    m_lbDescripcion->setReadOnly(true);
    m_lbDescripcion->setTabChangesFocus(true);
    m_lbDescripcion->setFocusPolicy(Qt::ClickFocus);

    auto* lbSuf = new QLabel("Sufijos", this);
    m_lstSufijos = new QListWidget(this);
    m_lstSufijos->setObjectName("LstSufijos");
    m_lstSufijos->setFont(fija);
    m_lstSufijos->setFocusPolicy(Qt::ClickFocus);
    m_cntrl = new ClCntrl(this);
    m_cntrl->sLinkListBox(m_lstSufijos);

    auto* ayuda = new QLabel("[Enter] Buscar / Elegir   [\u2190\u2191\u2192\u2193] Ver datos   [Esc] Salir", this);
    ayuda->setAlignment(Qt::AlignCenter);
    ayuda->setStyleSheet("color: palette(dark); padding-top: 4px;");

    auto* arriba = new QHBoxLayout;
    arriba->addWidget(lbBuscar);
    arriba->addWidget(m_txtNCMF, 1);

    auto* izquierda = new QWidget(this);
    auto* li = new QVBoxLayout(izquierda);
    li->setContentsMargins(0, 0, 0, 0);
    li->addWidget(lbLista);
    li->addWidget(m_lstNCM);

    auto* derecha = new QSplitter(Qt::Vertical, this);
    auto* panelDesc = new QWidget(derecha);
    auto* ld = new QVBoxLayout(panelDesc);
    ld->setContentsMargins(0, 0, 0, 0);
    ld->addWidget(lbDesc);
    ld->addWidget(m_lbDescripcion);
    auto* panelSuf = new QWidget(derecha);
    auto* ls = new QVBoxLayout(panelSuf);
    ls->setContentsMargins(0, 0, 0, 0);
    ls->addWidget(lbSuf);
    ls->addWidget(m_lstSufijos);
    derecha->addWidget(panelDesc);
    derecha->addWidget(panelSuf);
    derecha->setChildrenCollapsible(false);

    auto* centro = new QSplitter(Qt::Horizontal, this);
    centro->addWidget(izquierda);
    centro->addWidget(derecha);
    centro->setStretchFactor(0, 0);
    centro->setStretchFactor(1, 1);
    centro->setChildrenCollapsible(false);
    centro->setSizes({230, 530});

    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(14, 12, 14, 10);
    l->setSpacing(8);
    l->addLayout(arriba);
    l->addWidget(centro, 1);
    l->addWidget(ayuda);
    resize(760, 460);

    // The details follow the current row however it moved: keys, mouse, or the search's first hit.
    connect(m_lstNCM, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* actual) {
        if (actual)
            MostrarDatos(actual->text());
    });

    for (QWidget* w : {static_cast<QWidget*>(m_txtNCMF), static_cast<QWidget*>(m_lstNCM),
                       static_cast<QWidget*>(m_lbDescripcion), static_cast<QWidget*>(m_lstSufijos)})
        w->installEventFilter(this);
    m_txtNCMF->setFocus();
}

void FrmPosicion::setBusqueda(const QString& texto) {
    m_txtNCMF->setText(texto);
}

void FrmPosicion::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    if (m_lstNCM->count() > 0)
        m_lstNCM->setFocus();
}

void FrmPosicion::Buscar() {
    const std::string texto = m_txtNCMF->text().toStdString();
    if (m_txtNCMF->text().trimmed().isEmpty())
        return;
    std::vector<std::string> posiciones;
    {
        Espera espera(m_op);
        m_lstNCM->clear();
        m_lbCantidad->setText("Posiciones &encontradas");
        try {
            posiciones = Nomenclador::Buscar(m_entidades, texto);
        } catch (...) {
            AppError e = AppError::Actual();
            m_op.MsgBox(std::to_string(e.Number) + " - " + e.Description + "Sección []", Operador::Icono::Ninguno,
                        Operador::Botones::Aceptar);
            return;
        }
        if (!posiciones.empty()) {
            QStringList items;
            items.reserve(static_cast<qsizetype>(posiciones.size()));
            for (const std::string& p : posiciones)
                items << QString::fromStdString(p);
            {
                // The details are drawn once, for the first row, below.
                QSignalBlocker b(m_lstNCM);
                m_lstNCM->addItems(items);
                m_lstNCM->setCurrentRow(0);
            }
            m_lbCantidad->setText(QString("Posiciones &encontradas: %1").arg(items.size()));
            // The Enter that searched must not also take the first hit: the
            // list ignores Enter until that key is released.
            m_enterDeBusqueda = true;
            m_lstNCM->setFocus();
            MostrarDatos(m_lstNCM->item(0)->text());
            return;
        }
    }
    m_op.MsgBox("Posición no encontrada.", Operador::Icono::Exclamacion, Operador::Botones::Aceptar);
}

void FrmPosicion::MostrarDatos(const QString& posicion) {
    m_lbDescripcion->clear();
    m_lstSufijos->clear();
    Nomenclador::Detalle d;
    {
        Espera espera(m_op);
        try {
            d = Nomenclador::MostrarDatos(m_entidades, posicion.toStdString());
        } catch (...) {
            std::string mensaje = AppError::Actual().Description;
            m_op.PunteroEspera(false);
            m_op.MsgBox(mensaje, Operador::Icono::Ninguno, Operador::Botones::Aceptar);
            return;
        }
    }
    m_lbDescripcion->setPlainText(QString::fromStdString(d.Descripcion));
    for (const std::string& s : d.Sufijos)
        m_lstSufijos->addItem(QString::fromStdString(s));
}

bool FrmPosicion::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() != QEvent::KeyPress && evento->type() != QEvent::KeyRelease)
        return QDialog::eventFilter(objeto, evento);
    auto* k = static_cast<QKeyEvent*>(evento);
    const bool pulsada = evento->type() == QEvent::KeyPress;
    // Ctrl+C closes from anywhere, before a box would take it as "copy".
    if (pulsada && k->key() == Qt::Key_C && (k->modifiers() & Qt::ControlModifier)) {
        reject();
        return true;
    }
    if (objeto == m_txtNCMF && EsEnter(k->key())) {
        if (pulsada)
            Buscar();
        else if (!k->isAutoRepeat())
            m_enterDeBusqueda = false;
        return true; // never the dialog's default action
    }
    if (objeto == m_lstNCM) {
        if (EsEnter(k->key())) {
            if (!pulsada && !k->isAutoRepeat())
                m_enterDeBusqueda = false;
            else if (!m_enterDeBusqueda && !k->isAutoRepeat()) {
                QListWidgetItem* actual = m_lstNCM->currentItem();
                m_posicion = actual ? actual->text() : QString();
                accept();
            }
            return true;
        }
        // Typing in the list refines the search: the letters go to the search box.
        const QString texto = k->text();
        if (pulsada && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
            ((!texto.isEmpty() && texto.at(0).isPrint()) || k->key() == Qt::Key_Backspace)) {
            m_txtNCMF->setFocus();
            m_txtNCMF->deselect();
            m_txtNCMF->end(false);
            QKeyEvent copia(QEvent::KeyPress, k->key(), k->modifiers(), texto, k->isAutoRepeat(), k->count());
            QCoreApplication::sendEvent(m_txtNCMF, &copia);
            return true;
        }
    }
    return QDialog::eventFilter(objeto, evento);
}
