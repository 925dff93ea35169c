#pragma once
// Helpers of the window tests: an operator that never leaves a test waiting,
// and a way to act inside a modal dialog once its loop runs.
#include "app/gui/Dialogos.h"
#include "controls/gui/OperadorQt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

// Unanswered message boxes are answered at once (OK, or No) unless the test
// asks to see the real window; AlMensaje runs while the box would be up.
class OperadorVentanas : public OperadorQt {
public:
    OperadorVentanas() { EntregarDialogos(*this); }
    bool Mostrar = false;
    std::function<void(const std::string&)> AlMensaje;

    Respuesta MsgBox(const std::string& texto, Icono icono, Botones botones) override {
        if (AlMensaje)
            AlMensaje(texto);
        if (!Mostrar && !RespuestasPendientes())
            SiguienteRespuesta(botones == Botones::SiNo ? Respuesta::No : Respuesta::Aceptar);
        return OperadorQt::MsgBox(texto, icono, botones);
    }
    // Every input box's and option picker's default, in order; with
    // TomarDefectos the ones not answered ahead take it, as Enter would.
    std::vector<std::string> Defectos;
    bool TomarDefectos = false;
    std::string InputBox(const std::string& id, const std::string& prompt, const std::string& titulo,
                         const std::string& defecto) override {
        Defectos.push_back(defecto);
        if (TomarDefectos)
            return defecto;
        return OperadorQt::InputBox(id, prompt, titulo, defecto);
    }
    std::string ElegirOpcion(const std::string& id, const std::vector<std::string>& lineas,
                             const std::string& actual) override {
        Defectos.push_back(actual);
        if (TomarDefectos && !actual.empty())
            for (const std::string& l : lineas)
                if (QString::fromStdString(l).startsWith(QString::fromStdString(actual), Qt::CaseInsensitive))
                    return l;
        return OperadorQt::ElegirOpcion(id, lineas, actual);
    }
    std::vector<std::string> Textos() const {
        std::vector<std::string> r;
        for (const Mensaje& m : Mensajes())
            r.push_back(m.Texto);
        return r;
    }
};

// Runs `accion` on the modal window of type T once it is up: each turn of the
// event loop looks for it (a run may let events through before its dialog
// shows). After five seconds without it, the test fails and whatever modal
// window is up gets closed, so the test cannot hang.
template <class T> void CuandoAparezca(std::function<void(T*)> accion) {
    auto* reloj = new QElapsedTimer;
    reloj->start();
    auto* t = new QTimer(qApp);
    t->setInterval(0);
    QObject::connect(t, &QTimer::timeout, qApp, [t, reloj, accion] {
        QWidget* w = QApplication::activeModalWidget();
        if (T* d = qobject_cast<T*>(w)) {
            t->stop();
            t->deleteLater();
            delete reloj;
            accion(d);
        } else if (reloj->elapsed() > 5000) {
            t->stop();
            t->deleteLater();
            delete reloj;
            ADD_FAILURE() << "no apareció " << T::staticMetaObject.className()
                          << "; ventana modal: " << (w ? w->metaObject()->className() : "ninguna");
            if (w)
                w->close();
        }
    });
    t->start();
}
