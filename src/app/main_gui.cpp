// velmarion: the windows. velmarion [--home DIR] [--settings FILE] ["INTNRO|path"]
#include "comun/Aplicacion.h"
#include "app/Arranque.h"
#include "app/frmMain.h"
#include "app/gui/Captura.h"
#include "app/gui/OperadorQt.h"
#include "platform/AppError.h"

#include <QApplication>
#include <QTimer>

#include <clocale>
#include <iostream>

int main(int argc, char** argv) {
    QApplication a(argc, argv);
    QApplication::setApplicationName(OperadorQt::kTitulo);
    std::setlocale(LC_NUMERIC, ""); // numbers shown with the user's decimal separator

    std::string home, ajustes, captura, linea;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& x = args[i];
        if ((x == "--home" || x == "--settings" || x == "--captura") && i + 1 < args.size()) {
            std::string v = args[++i].toStdString();
            (x == "--home" ? home : x == "--settings" ? ajustes : captura) = v;
        } else if (x.startsWith("--")) {
            std::cerr << "velmarion: opción desconocida " << x.toStdString() << "\n"
                      << "Uso: velmarion [--home DIR] [--settings FILE] [\"INTNRO|archivo\"]\n";
            return 2;
        } else {
            // The command line is one text: a path with blanks may come split.
            linea += (linea.empty() ? "" : " ") + x.toStdString();
        }
    }

    OperadorQt op;
    Aplicacion app;
    app.Home = Arranque::CarpetaPrograma(home);
    app.Almacen = std::make_unique<AlmacenAjustes>(ajustes);
    app.Op = &op;
    frmMain ventana(app, op);
    try {
        Arranque::Form_Load(app, linea);
    } catch (...) {
        AppError e = AppError::Actual();
        static_cast<Operador&>(op).MsgBox(e.Mensaje() + " - " + e.Source, Operador::Icono::Critico);
        return 1;
    }
    ventana.show();
    if (!captura.empty()) {
        ventana.Iniciar();
        QTimer::singleShot(0, &ventana,
                           [&] { QApplication::exit(CapturarVentanas(ventana, app, captura) == 9 ? 0 : 1); });
    } else if (app.InternoLinea.empty()) {
        ventana.Iniciar();
    } else {
        // The unattended run starts once the window is on screen, so its
        // status line and progress bar can be seen.
        QTimer::singleShot(0, &ventana, [&] { ventana.Iniciar(); });
    }
    return QApplication::exec();
}
