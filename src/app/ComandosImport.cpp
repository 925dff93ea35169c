// Commands of the runner for the shipment import: import, list, delete, run.
#include "app/Asistente.h"
#include "app/Consola.h"
#include "app/OperadorConsola.h"
#include "comun/Aplicacion.h"
#include "import/Importacion.h"
#include "import/ListaInternos.h"
#include "platform/Texto.h"

#include <algorithm>
#include <iostream>
#include <unistd.h>

namespace Consola {

namespace {

const char* const kUsoImport = "import FILE [--interno N] [--tipo ICR1|ICR2] [--relacion PAI=ORI:ESM ...]\n"
                               "    [--reemplazar-correcciones si|no]";
const char* const kUsoRun = "run \"INTNRO|FILE\" [--tipo ICR1|ICR2] [--relacion PAI=ORI:ESM ...] [--reemplazar si|no]\n"
                            "    [--reemplazar-correcciones si|no]";

// --tipo and --relacion answer the questions an import may ask; what they do
// not answer is asked on a terminal, or stops the run without one.
void TomarRespuestas(Contexto& c) {
    std::string tipo = UCase(c.Opcion("--tipo"));
    if (!tipo.empty() && tipo != "ICR1" && tipo != "ICR2")
        throw UsoIncorrecto("--tipo admite ICR1 o ICR2, no " + tipo);
    c.Op->Tipo = tipo;
    for (const std::string& r : c.Opciones("--relacion")) {
        size_t igual = r.find('=');
        size_t dos = igual == std::string::npos ? std::string::npos : r.find(':', igual);
        if (igual == 0 || dos == std::string::npos || dos == igual + 1)
            throw UsoIncorrecto("--relacion espera PAI=ORI:ESM, no " + r);
        c.Op->Relaciones[r.substr(0, igual)] = {r.substr(igual + 1, dos - igual - 1), r.substr(dos + 1)};
    }
    // Without it, replacing an interno that holds hand corrections is asked on a terminal or stops the run.
    std::string correcciones = c.Opcion("--reemplazar-correcciones");
    if (!correcciones.empty()) {
        if (correcciones != "si" && correcciones != "no")
            throw UsoIncorrecto("--reemplazar-correcciones admite si o no, no " + correcciones);
        c.Op->Respuestas[Operador::Preguntas::ReemplazarCorrecciones] = correcciones == "si";
    }
    c.Op->Terminal = isatty(STDIN_FILENO) != 0;
}

void ImprimirResumen(Contexto& c) {
    const Importacion::Resumen& r = Importacion::UltimoResumen();
    if (r.Interno.empty())
        return;
    *c.Out << "Interno " << r.Interno << " importado (tipo " << (r.Tipo.empty() ? "sin tipo" : r.Tipo)
           << "): " << r.RegistrosH << " registros H, " << r.RegistrosP << " registros P, " << r.Articulos
           << " artículos, " << r.Insumos << " insumos.\n";
}

// The summary goes out when the import hands the interno over, before the
// classification and transfer print their own lines.
void ResumenAlTraspasar(Contexto& c, Aplicacion& app) {
    auto siguiente = app.MAIN_CambiarPaso;
    app.MAIN_CambiarPaso = [&c, siguiente] {
        ImprimirResumen(c);
        siguiente();
    };
}

} // namespace

int CmdImport(Contexto& c) {
    std::string interno = c.Opcion("--interno");
    TomarRespuestas(c);
    c.Exigir(1, kUsoImport);
    Aplicacion app;
    if (!c.Arrancar(app))
        return 1;
    app.InternoLinea = interno;
    // The wizard takes the new interno over (and classifies it); with no
    // command-line file it never transfers.
    Asistente asistente(app);
    asistente.FRAM1_CargarInternos();
    ResumenAlTraspasar(c, app);
    Importacion::OlvidarResumen();
    bool ok = Importacion::ProcesarArchivo(app, c.Args[0]);
    return ok && asistente.UltimoResultado() == Resultado::Hecho ? 0 : 1;
}

int CmdList(Contexto& c) {
    c.Exigir(0, "list");
    Aplicacion app;
    if (!c.Arrancar(app))
        return 1;
    bool ok = true;
    for (const ListaInternos::Item& i : ListaInternos::FRAM1_CargarInternos(app, &ok))
        *c.Out << i.INTNRO << "\t" << i.INTDSC << "\n";
    return ok ? 0 : 1;
}

int CmdDelete(Contexto& c) {
    bool si = c.Bandera("--si");
    c.Exigir(1, "delete INTNRO [--si]");
    Aplicacion app;
    if (!c.Arrancar(app))
        return 1;
    const std::string& interno = c.Args[0];
    c.Op->Respuestas[Operador::Preguntas::EliminarInterno] = si;
    switch (ListaInternos::FRAM1_EliminarInterno(app, interno)) {
    case Resultado::Hecho:
        *c.Out << "Interno " << interno << " eliminado.\n";
        return 0;
    case Resultado::Detenido:
        if (si)
            c.Op->MsgBox("El interno " + interno + " no está en la lista.", Operador::Icono::Exclamacion);
        return 1;
    case Resultado::Fallido:
        break;
    }
    return 1;
}

int CmdRun(Contexto& c) {
    TomarRespuestas(c);
    TomarReemplazo(c);
    c.Exigir(1, kUsoRun);
    const std::string& linea = c.Args[0];
    size_t barra = linea.find('|');
    if (std::count(linea.begin(), linea.end(), '|') != 1 || barra == 0 || barra + 1 == linea.size())
        throw UsoIncorrecto("run espera \"INTNRO|FILE\" (un número de interno y un archivo separados por una \"|\")");
    Aplicacion app;
    if (!c.Arrancar(app, linea))
        return 1;
    Asistente asistente(app);
    ResumenAlTraspasar(c, app);
    Importacion::OlvidarResumen();
    return asistente.Iniciar() == Resultado::Hecho ? 0 : 1;
}

} // namespace Consola
