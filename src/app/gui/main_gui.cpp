// velmarion: the windows. velmarion [--home DIR] [--settings FILE] ["INTNRO|path"]
#include "app/Arranque.h"
#include "app/gui/Captura.h"
#include "app/gui/Dialogos.h"
#include "app/gui/frmMain.h"
#include "app/gui/frmPrimerInicio.h"
#include "comun/Aplicacion.h"
#include "controls/gui/OperadorQt.h"
#include "controls/gui/Ventana.h"
#include "platform/AppError.h"
#include "platform/Bitacora.h"
#include "platform/Idioma.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QTimer>

#include <clocale>
#include <cstring>
#include <iostream>

namespace {

void Ayuda() {
    std::cout << "Uso: velmarion [OPCIÓN]... [\"INTNRO|ARCHIVO\"]\n"
                 "Prepara los despachos de importación en la ventana del asistente de tres pasos.\n"
                 "Con \"INTNRO|ARCHIVO\" importa, clasifica y transfiere ese archivo por sí solo.\n\n"
                 "Opciones:\n"
              << Arranque::AyudaOpciones()
              << "\n"
                 "Sin bases de datos en la carpeta, la ventana ofrece crearlas (vacías o con datos de\n"
                 "demostración) o elegir otra carpeta. Cada corrida deja una línea en DIR/velmarion.log.\n\n"
                 "Estado de salida:\n"
                 "  0  la ventana se cerró después de hacer su trabajo\n"
                 "  1  no pudo abrir las bases, se salió del primer inicio, o la corrida desatendida se detuvo\n"
                 "  2  uso incorrecto\n";
}

} // namespace

int main(int argc, char** argv) {
    // Help and version need no display: answered before the application exists.
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            Ayuda();
            return 0;
        }
        if (!std::strcmp(argv[i], "--version") || !std::strcmp(argv[i], "-V")) {
            std::cout << Arranque::TextoVersion("velmarion");
            return 0;
        }
    }

    QApplication a(argc, argv);
    QApplication::setApplicationName(OperadorQt::kTitulo);
    QApplication::setApplicationVersion(Arranque::kVersion);
    QApplication::setWindowIcon(QIcon::fromTheme("velmarion"));
    InstalarTraduccionesQt();
    std::setlocale(LC_NUMERIC, ""); // numbers shown with the user's decimal separator

    QCommandLineParser p;
    const QCommandLineOption home(QStringList{"home"}, "", "DIR"), ajustesOpcion(QStringList{"settings"}, "", "FILE"),
        captura(QStringList{"captura"}, "", "DIR");
    p.addOptions({home, ajustesOpcion, captura});
    if (!p.parse(QApplication::arguments())) {
        const QStringList desconocidas = p.unknownOptionNames();
        std::cerr << "velmarion: "
                  << (desconocidas.isEmpty() ? "falta el valor de una opción (" + p.errorText().toStdString() + ")"
                                             : "opción desconocida " + desconocidas.first().toStdString())
                  << "\n"
                  << "Uso: velmarion [--home DIR] [--settings FILE] [\"INTNRO|archivo\"]\n"
                  << "Pruebe 'velmarion --help' para más información.\n";
        return 2;
    }
    // The command line is one text: a path with blanks may come split.
    std::string linea;
    for (const QString& x : p.positionalArguments())
        linea += (linea.empty() ? "" : " ") + x.toStdString();
    const std::string carpetaCaptura = p.value(captura).toStdString();

    OperadorQt op;
    EntregarDialogos(op);
    Aplicacion app;
    app.Home = Arranque::CarpetaPrograma(p.value(home).toStdString());
    app.Almacen = std::make_unique<AlmacenAjustes>(p.value(ajustesOpcion).toStdString());
    app.Op = &op;
    Ventana::Almacen(app.Almacen.get());
    if (!frmPrimerInicio::Resolver(app, op))
        return 1;
    frmMain ventana(app, op);
    try {
        Arranque::Form_Load(app, linea);
    } catch (...) {
        AppError e = AppError::Actual();
        Bitacora::Registrar(app.Home, "", "arranque", "fallido: " + e.Description, 0);
        static_cast<Operador&>(op).MsgBox(e.Mensaje() + " - " + e.Source, Operador::Icono::Critico);
        return 1;
    }
    ventana.show();
    if (!carpetaCaptura.empty()) {
        ventana.Iniciar();
        QTimer::singleShot(0, &ventana, [&] {
            QApplication::exit(CapturarVentanas(ventana, app, carpetaCaptura) == kCapturas ? 0 : 1);
        });
    } else if (app.InternoLinea.empty()) {
        ventana.Iniciar();
    } else {
        // The unattended run starts once the window is on screen, so its
        // status line and progress bar can be seen.
        QTimer::singleShot(0, &ventana, [&] { ventana.Iniciar(); });
    }
    return QApplication::exec();
}
