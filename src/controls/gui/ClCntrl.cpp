#include "controls/gui/ClCntrl.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QTimer>
#include <QToolTip>

ClCntrl::ClCntrl(QObject* parent) : QObject(parent) {
    ObtenerDecimal();
}

void ClCntrl::sLinkText(QLineEdit* texto) {
    if (m_txt)
        m_txt->removeEventFilter(this);
    m_txt = texto;
    if (m_txt)
        m_txt->installEventFilter(this);
}

void ClCntrl::sLinkListBox(QAbstractItemView* lista) {
    if (m_visor)
        m_visor->removeEventFilter(this);
    m_lst = lista;
    m_visor = lista ? lista->viewport() : nullptr;
    if (m_lst) {
        m_lst->setMouseTracking(true);
        m_visor->installEventFilter(this);
    }
}

void ClCntrl::sLinkCBoBox(QComboBox* combo) {
    m_cbo = combo;
}

QString ClCntrl::Plegar(const QString& texto) {
    const QString descompuesto = texto.normalized(QString::NormalizationForm_D);
    QString r;
    r.reserve(descompuesto.size());
    for (QChar c : descompuesto)
        if (c.category() != QChar::Mark_NonSpacing)
            r += c;
    return r.toCaseFolded();
}

void ClCntrl::LstBuscarStr(const QString& valor) {
    if (!m_lst || !m_lst->model())
        return;
    QAbstractItemModel* m = m_lst->model();
    const QString buscado = Plegar(valor);
    QModelIndex hallado;
    for (int i = 0; i < m->rowCount() && !hallado.isValid(); ++i) {
        QModelIndex x = m->index(i, 0);
        if (Plegar(x.data(Qt::DisplayRole).toString()).startsWith(buscado))
            hallado = x;
    }
    if (!hallado.isValid()) {
        m_lst->clearSelection();
        m_lst->setCurrentIndex(QModelIndex());
    } else {
        m_lst->setCurrentIndex(hallado);
        m_lst->scrollTo(hallado);
    }
}

void ClCntrl::BuscarCBO(const QString& valor) {
    if (!m_cbo)
        return;
    const QString buscado = Plegar(valor);
    int hallado = -1;
    for (int i = 0; i < m_cbo->count() && hallado < 0; ++i)
        if (Plegar(m_cbo->itemText(i)).startsWith(buscado))
            hallado = i;
    m_cbo->setCurrentIndex(hallado);
}

QString ClCntrl::Separador_Decimal() {
    ObtenerDecimal();
    return m_separador;
}

void ClCntrl::ObtenerDecimal() {
    m_separador = QLocale().decimalPoint();
}

void ClCntrl::VaciarTxt(QWidget* frm) {
    for (QLineEdit* t : frm->findChildren<QLineEdit*>())
        t->clear();
}

bool ClCntrl::eventFilter(QObject* objeto, QEvent* evento) {
    // Controls keep sending events while they are destroyed: only a whole one is handled.
    if (objeto == m_visor.data() && qobject_cast<QAbstractItemView*>(objeto->parent()))
        return m_lst ? EventoLista(evento) : false;
    if (qobject_cast<QLineEdit*>(objeto) && objeto == static_cast<QObject*>(m_txt.data()))
        return EventoTexto(evento);
    return QObject::eventFilter(objeto, evento);
}

void ClCntrl::Pintar(const QColor& color) {
    QPalette p = m_txt->palette();
    p.setColor(QPalette::Base, color);
    m_txt->setPalette(p);
}

void ClCntrl::Tabular(bool adelante) {
    QKeyEvent tab(QEvent::KeyPress, adelante ? Qt::Key_Tab : Qt::Key_Backtab,
                  adelante ? Qt::NoModifier : Qt::ShiftModifier);
    QApplication::sendEvent(m_txt, &tab);
}

bool ClCntrl::EventoTexto(QEvent* evento) {
    const QString tag = m_txt->property("Tag").toString();
    const bool libre = tag.startsWith("BB");
    switch (evento->type()) {
    case QEvent::FocusIn:
        if (libre) {
            // Qt selects the whole text of a box reached by Tab; a "BB" box keeps its caret.
            auto razon = static_cast<QFocusEvent*>(evento)->reason();
            if (!m_reenvio &&
                (razon == Qt::TabFocusReason || razon == Qt::BacktabFocusReason || razon == Qt::ShortcutFocusReason)) {
                m_reenvio = true;
                QFocusEvent otro(QEvent::FocusIn, Qt::OtherFocusReason);
                QApplication::sendEvent(m_txt, &otro);
                m_reenvio = false;
                return true;
            }
        } else {
            Pintar(tag.endsWith("#F6") ? kDurazno : kVerde);
            m_txt->selectAll();
            // A mouse click places the caret after the focus arrives: select again once it has.
            QTimer::singleShot(0, m_txt, [t = m_txt] {
                if (t && t->hasFocus())
                    t->selectAll();
            });
        }
        break;
    case QEvent::FocusOut:
        if (!libre)
            Pintar(kBlanco);
        break;
    case QEvent::KeyPress: {
        auto* k = static_cast<QKeyEvent*>(evento);
        switch (k->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Down:
            Tabular(true);
            return true;
        case Qt::Key_Up:
            Tabular(false);
            return true;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            // Only the keypad's key; the main keyboard's "." stays a dot.
            if (k->modifiers() & Qt::KeypadModifier) {
                m_txt->insert(Separador_Decimal().left(1));
                return true;
            }
            break;
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
    return false;
}

bool ClCntrl::EventoLista(QEvent* evento) {
    if (evento->type() == QEvent::MouseMove) {
        auto* m = static_cast<QMouseEvent*>(evento);
        if (m->buttons() == Qt::NoButton) {
            QModelIndex i = m_lst->indexAt(m->position().toPoint());
            m_lst->setToolTip(i.isValid() ? i.siblingAtColumn(0).data().toString() : QString());
        }
    } else if (evento->type() == QEvent::ToolTip) {
        auto* h = static_cast<QHelpEvent*>(evento);
        if (m_lst->toolTip().isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(h->globalPos(), m_lst->toolTip(), m_lst);
        return true;
    }
    return false;
}
