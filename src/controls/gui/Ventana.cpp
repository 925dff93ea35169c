#include "controls/gui/Ventana.h"

#include "platform/Ajustes.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QHeaderView>
#include <QScreen>
#include <QWidget>

namespace Ventana {

namespace {

AlmacenAjustes* g_almacen = nullptr;

std::string Clave(const QWidget* ventana, const QHeaderView* h = nullptr) {
    std::string c = ventana->objectName().toStdString();
    if (h && h->parentWidget())
        c += "." + h->parentWidget()->objectName().toStdString();
    return c;
}

// The horizontal headers of the window's named tables.
QList<QHeaderView*> Cabeceras(QWidget* ventana) {
    QList<QHeaderView*> r;
    for (QAbstractItemView* v : ventana->findChildren<QAbstractItemView*>())
        if (!v->objectName().isEmpty())
            for (QHeaderView* h : v->findChildren<QHeaderView*>())
                if (h->orientation() == Qt::Horizontal && h->parentWidget() == v)
                    r << h;
    return r;
}

class Recordador : public QObject {
public:
    explicit Recordador(QWidget* ventana) : QObject(ventana), m_ventana(ventana) { ventana->installEventFilter(this); }

    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (objeto == m_ventana && evento->type() == QEvent::Show && !m_restaurada) {
            m_restaurada = true;
            Restaurar();
        } else if (objeto == m_ventana && evento->type() == QEvent::Hide && m_restaurada) {
            Guardar();
        }
        return false;
    }

private:
    void Restaurar() {
        if (g_almacen) {
            const std::string g = g_almacen->GetVentana(Clave(m_ventana));
            if (!g.empty())
                m_ventana->restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(g)));
            for (QHeaderView* h : Cabeceras(m_ventana)) {
                const std::string e = g_almacen->GetVentana(Clave(m_ventana, h));
                if (!e.empty())
                    h->restoreState(QByteArray::fromBase64(QByteArray::fromStdString(e)));
            }
        }
        Encajar(m_ventana);
    }
    void Guardar() {
        if (!g_almacen || m_ventana->objectName().isEmpty())
            return;
        g_almacen->SaveVentana(Clave(m_ventana), m_ventana->saveGeometry().toBase64().toStdString());
        for (QHeaderView* h : Cabeceras(m_ventana))
            g_almacen->SaveVentana(Clave(m_ventana, h), h->saveState().toBase64().toStdString());
    }

    QWidget* m_ventana;
    bool m_restaurada = false;
};

} // namespace

void Almacen(AlmacenAjustes* almacen) {
    g_almacen = almacen;
}

void Recordar(QWidget* ventana) {
    new Recordador(ventana);
}

void Encajar(QWidget* ventana) {
    QScreen* pantalla = ventana->screen();
    if (!pantalla)
        return;
    const QRect area = pantalla->availableGeometry();
    // The frame's own border, once the window has one; none before it is mapped.
    const QMargins borde(ventana->geometry().left() - ventana->frameGeometry().left(),
                         ventana->geometry().top() - ventana->frameGeometry().top(),
                         ventana->frameGeometry().right() - ventana->geometry().right(),
                         ventana->frameGeometry().bottom() - ventana->geometry().bottom());
    const QRect libre = area.marginsRemoved(borde);
    QRect g = ventana->geometry();
    g.setWidth(std::max(ventana->minimumWidth(), std::min(g.width(), libre.width())));
    g.setHeight(std::max(ventana->minimumHeight(), std::min(g.height(), libre.height())));
    if (g.right() > libre.right())
        g.moveRight(libre.right());
    if (g.bottom() > libre.bottom())
        g.moveBottom(libre.bottom());
    if (g.left() < libre.left())
        g.moveLeft(libre.left());
    if (g.top() < libre.top())
        g.moveTop(libre.top());
    if (g != ventana->geometry())
        ventana->setGeometry(g);
}

} // namespace Ventana
