// Commands of the runner for depuration: depurar, editar, sugerir, historial, deshacer.
#include "app/Consola.h"
#include "app/OperadorConsola.h"
#include "comun/Aplicacion.h"
#include "platform/Numeros.h"
#include "platform/Texto.h"
#include "review/Depuracion.h"
#include "review/Sugerencias.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <unistd.h>

namespace Consola {

namespace {

const char* const kUsoEditar = "editar INTNRO ARTORD [opciones]";

bool SiNo(const std::string& opcion, const std::string& valor) {
    if (valor != "si" && valor != "no")
        throw UsoIncorrecto(opcion + " admite si o no, no " + valor);
    return valor == "si";
}

// "CODE=VALUE" of --valor and --opcion.
std::pair<std::string, std::string> Par(const std::string& opcion, const std::string& texto) {
    size_t igual = texto.find('=');
    if (igual == std::string::npos || igual == 0)
        throw UsoIncorrecto(opcion + " espera CODIGO=VALOR, no " + texto);
    return {UCase(texto.substr(0, igual)), texto.substr(igual + 1)};
}

// Numbers on the command line are written with "." whatever the locale.
std::string Numero(const std::string& opcion, const std::string& valor) {
    std::string t = Trim(valor);
    bool digito = false, punto = false;
    for (size_t i = 0; i < t.size(); ++i) {
        char c = t[i];
        if (c >= '0' && c <= '9')
            digito = true;
        else if (c == '.' && !punto)
            punto = true;
        else if (!(i == 0 && (c == '-' || c == '+')))
            throw UsoIncorrecto(opcion + " espera un número escrito con \".\", no " + valor);
    }
    if (!digito)
        throw UsoIncorrecto(opcion + " espera un número escrito con \".\", no " + valor);
    return t;
}

// Selects a country by its id ("" selects none). False (message shown) for an unknown id.
bool ElegirOrigen(Contexto& c, Depuracion::FormModificar& f, const std::string& id) {
    auto it = std::find(f.cboidPRCORI.begin(), f.cboidPRCORI.end(), id);
    if (!id.empty() && it == f.cboidPRCORI.end()) {
        c.Op->MsgBox("El país " + id + " no está en la tabla de países.", Operador::Icono::Exclamacion);
        return false;
    }
    f.cboPRCORI_Indice = id.empty() ? -1 : static_cast<int>(it - f.cboidPRCORI.begin());
    return true;
}

} // namespace

int CmdDepurar(Contexto& c) {
    bool ok = c.Bandera("--ok");
    c.Exigir(1, "depurar INTNRO [--ok]");
    Aplicacion app;
    if (!AbrirInterno(c, app, c.Args[0]))
        return 1;
    bool completa = true;
    auto filas = Depuracion::Cargar(app, ok ? 2 : 1, &completa);
    if (!ok && completa && !filas.empty()) {
        const auto sugerencias = Sugerencias::DelInterno(app);
        for (Depuracion::Fila& f : filas)
            if (auto it = sugerencias.find(std::stoll(f.Orden)); it != sugerencias.end() && !it->second.empty())
                f.Sugerencia = it->second.front().Posicion;
    }
    std::ostream& out = *c.Out;
    for (const char* col : Depuracion::kColumnas)
        out << col << "\t";
    out << "Motivo\tSugerencia\n";
    for (const Depuracion::Fila& f : filas)
        out << f.Orden << "\t" << f.ARTNRO << "\t" << f.PRCVIN << "\t" << f.ARTORG << "\t" << f.ARTCAN << "\t"
            << f.ARTUNI << "\t" << f.ARTTOT << "\t" << f.PRCNCM << "\t" << f.PRCEST << "\t" << f.PRCCRC << "\t"
            << f.Motivo << "\t" << f.Sugerencia << "\n";
    return completa ? 0 : 1;
}

int CmdEditar(Contexto& c) {
    // Edits in the window's tab order; each is typed into its box.
    struct Edicion {
        const char* opcion;
        std::string Depuracion::FormModificar::*campo;
        bool numero;
    };
    const Edicion ediciones[] = {
        {"--unidad-declarada", &Depuracion::FormModificar::txtPRCDUN, false},
        {"--cantidad-declarada", &Depuracion::FormModificar::txtPRCCAN, true},
        {"--cantidad-estadistica", &Depuracion::FormModificar::txtPRCECA, true},
        {"--der-especifico", &Depuracion::FormModificar::txtPRCSCA, true},
        {"--estado-mercaderia", &Depuracion::FormModificar::txtPRCESM, false},
    };
    const Edicion precios[] = {
        {"--cantidad", &Depuracion::FormModificar::txtARTCAN, true},
        {"--unitario", &Depuracion::FormModificar::txtARTUNI, true},
        {"--total", &Depuracion::FormModificar::txtARTTOT, true},
    };
    auto tomar = [&c](const Edicion& e, bool& dada) {
        auto it = std::find(c.Args.begin(), c.Args.end(), std::string(e.opcion));
        dada = it != c.Args.end();
        std::string v = c.Opcion(e.opcion);
        return dada && e.numero ? Numero(e.opcion, v) : v;
    };
    std::vector<std::pair<const Edicion*, std::string>> valores;
    for (const Edicion* lista : {ediciones, precios}) {
        size_t n = lista == ediciones ? std::size(ediciones) : std::size(precios);
        for (size_t i = 0; i < n; ++i) {
            bool dada = false;
            std::string v = tomar(lista[i], dada);
            if (dada)
                valores.push_back({&lista[i], v});
        }
    }
    const bool hayPosicion = std::find(c.Args.begin(), c.Args.end(), "--posicion") != c.Args.end();
    const std::string posicion = c.Opcion("--posicion");
    const bool haySugerencia = std::find(c.Args.begin(), c.Args.end(), "--sugerencia") != c.Args.end();
    const std::string sugerencia = c.Opcion("--sugerencia");
    if (haySugerencia && hayPosicion)
        throw UsoIncorrecto("--sugerencia y --posicion escriben la misma casilla: use una de las dos");
    if (haySugerencia && (sugerencia.empty() || sugerencia.size() > 6 ||
                          sugerencia.find_first_not_of("0123456789") != std::string::npos || std::stol(sugerencia) < 1))
        throw UsoIncorrecto("--sugerencia espera el número de una sugerencia (1 = la mejor), no " + sugerencia);
    const bool haySufijos = std::find(c.Args.begin(), c.Args.end(), "--sufijos") != c.Args.end();
    const std::string sufijos = c.Opcion("--sufijos");
    const bool hayOrigen = std::find(c.Args.begin(), c.Args.end(), "--origen") != c.Args.end();
    const std::string origen = c.Opcion("--origen");
    for (const std::string& v : c.Opciones("--valor")) {
        auto [codigo, valor] = Par("--valor", v);
        c.Op->Valores[codigo] = valor;
    }
    for (const std::string& v : c.Opciones("--opcion")) {
        auto [grupo, codigo] = Par("--opcion", v);
        c.Op->Opciones[grupo] = codigo;
    }
    if (std::string v = c.Opcion("--sin-pais"); !v.empty())
        c.Op->Respuestas[Operador::Preguntas::SinPais] = SiNo("--sin-pais", v);
    if (std::string v = c.Opcion("--cancelar"); !v.empty())
        c.Op->Respuestas[Operador::Preguntas::Cancelar] = SiNo("--cancelar", v);
    if (std::string v = c.Opcion("--vehiculos"); !v.empty())
        c.Op->Respuestas[Operador::Preguntas::ReplicarVehiculos] = SiNo("--vehiculos", v);
    c.Op->Terminal = isatty(STDIN_FILENO) != 0;
    c.Exigir(2, kUsoEditar);
    const std::string& orden = c.Args[1];
    if (orden.empty() || orden.find_first_not_of("0123456789") != std::string::npos)
        throw UsoIncorrecto("ARTORD es el número de orden del artículo, no " + orden);

    Aplicacion app;
    if (!AbrirInterno(c, app, c.Args[0]))
        return 1;
    Depuracion::FormModificar f(app);
    if (!f.CargarDatos(orden)) {
        c.Op->MsgBox("No existe el artículo " + orden + " en el interno " + app.InternoActual + ".",
                     Operador::Icono::Exclamacion);
        return 1;
    }
    // Position first (Enter runs the check and collects the suffixes), then the
    // suffix box, then the other boxes in tab order.
    if (hayPosicion) {
        f.txtPRCNCM = posicion;
        f.ProcesarNCM(f.txtPRCNCM);
    } else if (haySugerencia) {
        const auto lista = Sugerencias::DelArticulo(app, std::stoll(orden));
        const size_t n = static_cast<size_t>(std::stol(sugerencia));
        if (n > lista.size()) {
            c.Op->MsgBox("El artículo " + Formatear(std::stod(orden), "0000") + " no tiene la sugerencia " +
                             sugerencia +
                             (lista.empty() ? std::string(": no tiene ninguna.")
                                            : ": tiene " + std::to_string(lista.size()) +
                                                  (lista.size() == 1 ? " sugerencia." : " sugerencias.")),
                         Operador::Icono::Exclamacion);
            return 1;
        }
        c.Op->TomarDefectos = true;
        Sugerencias::Aplicar(f, lista[n - 1], app.Config.MODELOVARIANTESINSPC);
        c.Op->TomarDefectos = false;
    }
    if (haySufijos)
        f.txtPRCSUF = sufijos;
    bool origenHecho = false;
    for (const auto& [e, v] : valores) {
        // The origin box stands between the goods state and the prices.
        const bool precio =
            std::any_of(std::begin(precios), std::end(precios), [e = e](const Edicion& p) { return &p == e; });
        if (!origenHecho && precio) {
            origenHecho = true;
            if (hayOrigen && !ElegirOrigen(c, f, origen))
                return 1;
        }
        f.*(e->campo) = v;
    }
    if (!origenHecho && hayOrigen && !ElegirOrigen(c, f, origen))
        return 1;
    if (f.GrabarDatos() != Resultado::Hecho)
        return 1;
    *c.Out << "Artículo " << orden << " del interno " << app.InternoActual << " guardado (" << f.txtPRCNCM << " "
           << f.txtPRCSUF << ").\n";
    return 0;
}

int CmdSugerir(Contexto& c) {
    const char* uso = "sugerir INTNRO [ARTORD]";
    if (c.Args.size() == 2) {
        const std::string& orden = c.Args[1];
        if (orden.empty() || orden.size() > 12 || orden.find_first_not_of("0123456789") != std::string::npos)
            throw UsoIncorrecto("ARTORD es el número de orden del artículo, no " + orden);
    }
    if (c.Args.size() != 2)
        c.Exigir(1, uso);
    else
        c.Exigir(2, uso);
    Aplicacion app;
    if (!AbrirInterno(c, app, c.Args[0]))
        return 1;
    std::map<long long, std::vector<Sugerencias::Sugerencia>> todas;
    if (c.Args.size() == 2) {
        const long long artord = std::stoll(c.Args[1]);
        todas[artord] = Sugerencias::DelArticulo(app, artord);
    } else {
        todas = Sugerencias::DelInterno(app);
    }
    for (const auto& [artord, lista] : todas)
        for (const Sugerencias::Sugerencia& s : lista)
            *c.Out << Formatear(static_cast<double>(artord), "0000") << "\t" << s.Posicion << "\t" << s.Sufijos << "\t"
                   << s.Evidencia << "\n";
    return 0;
}

int CmdHistorial(Contexto& c) {
    c.Exigir(1, "historial INTNRO");
    Aplicacion app;
    if (!AbrirInterno(c, app, c.Args[0]))
        return 1;
    *c.Out << "Lote\tFecha\tUsuario\tOrden\tColumna\tAntes\tDespues\tTipo\n";
    for (const Depuracion::Cambio& h : Depuracion::Historial(app, app.InternoActual))
        *c.Out << h.Lote << "\t" << h.FECHA << "\t" << h.USUARIO << "\t" << h.ARTORD << "\t" << h.COLUMNA << "\t"
               << h.ANTES << "\t" << h.DESPUES << "\t" << h.TIPO << (h.Deshecha ? " (deshecha)" : "") << "\n";
    return 0;
}

int CmdDeshacer(Contexto& c) {
    c.Exigir(1, "deshacer INTNRO");
    Aplicacion app;
    if (!AbrirInterno(c, app, c.Args[0]))
        return 1;
    // The command itself is the confirmation.
    return Depuracion::Deshacer(app, app.InternoActual, false) == Resultado::Hecho ? 0 : 1;
}

} // namespace Consola
