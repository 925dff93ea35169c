// The windows' import against the command line's on the same shipment: the
// main window's Insert, the import dialog with its counters and event
// processing, the classification that follows, each in a child process of its
// own on a fresh demo home. Prints both processor times and their ratio.
//
//   bench_import_ventanas [H P]      (default 5,000 H + 100,000 P; runs offscreen)
#include "tests/Entorno.h"

#include "app/Arranque.h"
#include "app/Consola.h"
#include "app/gui/Dialogos.h"
#include "app/gui/frmMain.h"
#include "bench/EnHijo.h"
#include "comun/Aplicacion.h"
#include "controls/gui/OperadorQt.h"
#include "import/gui/frmInterno.h"
#include "platform/Ajustes.h"
#include "tools/generador.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

double Cpu() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return r.ru_utime.tv_sec + r.ru_utime.tv_usec / 1e6 + r.ru_stime.tv_sec + r.ru_stime.tv_usec / 1e6;
}

// The processor seconds `trabajo` reports, run in a child process (negative: it failed).
double EnHijo(const std::function<double()>& trabajo) {
    return ::EnHijo<double>(trabajo, -1);
}

bool Cli(std::vector<std::string> args) {
    std::ostringstream o, e;
    bool ok = Consola::Ejecutar(args, o, e) == 0;
    if (!ok)
        std::fprintf(stderr, "%s\n%s\n", o.str().c_str(), e.str().c_str());
    return ok;
}

struct Home {
    fs::path dir;
    std::vector<std::string> args; // --home and --settings
};

Home CrearHome(const fs::path& dir) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    Home h{dir, {"--home", dir.string(), "--settings", (dir / "ajustes.ini").string()}};
    std::vector<std::string> init = h.args;
    init.insert(init.end(), {"init", "--demo"});
    Cli(init);
    return h;
}

// Every message box is answered at once, as a person pressing Enter would:
// the run must not wait on a window nobody sees.
class OperadorBench : public OperadorQt {
public:
    OperadorBench() { EntregarDialogos(*this); }
    Respuesta MsgBox(const std::string& texto, Icono icono, Botones botones) override {
        if (!RespuestasPendientes())
            SiguienteRespuesta(botones == Botones::SiNo ? Respuesta::No : Respuesta::Aceptar);
        return OperadorQt::MsgBox(texto, icono, botones);
    }
};

double Ventanas(const Home& h, const std::string& envio, const std::string& tipo) {
    int argc = 1;
    char nombre[] = "bench_import_ventanas";
    char* argv[] = {nombre, nullptr};
    QApplication a(argc, argv);
    OperadorBench op;
    Aplicacion app;
    app.Home = h.dir.string();
    app.Almacen = std::make_unique<AlmacenAjustes>((h.dir / "ajustes.ini").string());
    app.Op = &op;
    frmMain w(app, op);
    Arranque::Form_Load(app, "");
    w.show();
    w.Iniciar();
    if (tipo != "ECR1" && tipo != "RR01")
        op.SiguienteTipo(tipo);
    // The dialog is modal: the file is typed and Aceptar pressed from inside its loop.
    QTimer t;
    t.setInterval(0);
    QObject::connect(&t, &QTimer::timeout, [&] {
        if (auto* d = qobject_cast<frmInterno*>(QApplication::activeModalWidget())) {
            t.stop();
            d->findChild<QLineEdit*>("txtArchivo")->setText(QString::fromStdString(envio));
            d->findChild<QPushButton*>("cmdAceptar")->click();
        }
    });
    t.start();
    const double c0 = Cpu();
    w.FRAM1_NuevoInterno();
    const double s = Cpu() - c0;
    return app.InternoActual.empty() ? -1 : s;
}

double LineaDeComandos(const Home& h, const std::string& envio, const std::string& tipo) {
    std::vector<std::string> args = h.args;
    args.insert(args.end(), {"import", envio});
    if (tipo == "ICR1" || tipo == "ICR2")
        args.insert(args.end(), {"--tipo", tipo});
    const double c0 = Cpu();
    bool ok = Cli(args);
    const double s = Cpu() - c0;
    return ok ? s : -1;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    const long cabeceras = argc > 2 ? std::atol(argv[1]) : 5000;
    const long detalles = argc > 2 ? std::atol(argv[2]) : 100000;
    const fs::path carpeta = fs::temp_directory_path() / ("velmarion-ventanas-" + std::to_string(::getpid()));
    fs::create_directories(carpeta);
    std::printf("Import + classification, %ld H + %ld P: windows (Insert, dialog, counters) vs command line\n",
                cabeceras, detalles);
    for (const char* t : {"ECR1", "ICR1"}) {
        const std::string tipo = t;
        const std::string envio = (carpeta / ("envio-" + tipo + ".txt")).string();
        {
            OpcionesGenerador o;
            o.Semilla = 42;
            o.Cabeceras = cabeceras;
            o.DetallesTotal = detalles;
            o.Tipo = tipo;
            o.CarpetaDatos = CarpetaDatosFuente();
            std::ofstream f(envio, std::ios::binary);
            GenerarEnvio(f, o);
        }
        const double cli = EnHijo([&] { return LineaDeComandos(CrearHome(carpeta / "cli"), envio, tipo); });
        const double ven = EnHijo([&] { return Ventanas(CrearHome(carpeta / "ventanas"), envio, tipo); });
        std::printf("%-4s  command line cpu %6.2f s   windows cpu %6.2f s   ratio %4.2f×%s\n", t, cli, ven, ven / cli,
                    cli < 0 || ven < 0 ? "  FAILED" : "");
        std::fflush(stdout);
    }
    fs::remove_all(carpeta);
    return 0;
}
