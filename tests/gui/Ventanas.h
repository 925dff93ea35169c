#pragma once
// Helpers of the window tests: an operator that never leaves a test waiting,
// and a way to act inside a modal dialog once its loop runs.
#include "app/gui/OperadorQt.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

// Unanswered message boxes are answered at once (OK, or No) unless the test
// asks to see the real window; AlMensaje runs while the box would be up.
class OperadorVentanas : public OperadorQt {
public:
    bool Mostrar = false;
    std::function<void(const std::string&)> AlMensaje;

    Respuesta MsgBox(const std::string& texto, Icono icono, Botones botones) override {
        if (AlMensaje)
            AlMensaje(texto);
        if (!Mostrar && !RespuestasPendientes())
            SiguienteRespuesta(botones == Botones::SiNo ? Respuesta::No : Respuesta::Aceptar);
        return OperadorQt::MsgBox(texto, icono, botones);
    }
    std::vector<std::string> Textos() const {
        std::vector<std::string> r;
        for (const Mensaje& m : Mensajes())
            r.push_back(m.Texto);
        return r;
    }
};

// Runs `accion` inside the next modal loop, on the modal window of type T.
// Any other window is closed so the test cannot hang.
template <class T> void CuandoAparezca(std::function<void(T*)> accion) {
    QTimer::singleShot(0, qApp, [accion] {
        QWidget* w = QApplication::activeModalWidget();
        T* d = qobject_cast<T*>(w);
        if (!d) {
            ADD_FAILURE() << "se esperaba otra ventana modal: "
                          << (w ? w->metaObject()->className() : "ninguna");
            if (w)
                w->close();
            return;
        }
        accion(d);
    });
}
