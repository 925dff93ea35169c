// Command of the runner for the nomenclator search: nomenclador.
#include "app/Consola.h"
#include "app/OperadorConsola.h"
#include "platform/AppError.h"
#include "platform/Pontevar.h"
#include "review/Nomenclador.h"

#include <iostream>

namespace Consola {

namespace {
constexpr const char* kUso = "nomenclador TEXT... | --detalle POS";
}

int CmdNomenclador(Contexto& c) {
    std::string detalle = c.Opcion("--detalle");
    c.Exigir(detalle.empty() ? c.Args.size() : 0, kUso);
    std::string texto;
    for (const std::string& a : c.Args)
        texto += (texto.empty() ? "" : " ") + a;
    if (detalle.empty() && texto.find_first_not_of(' ') == std::string::npos)
        throw UsoIncorrecto(std::string("uso: ") + kUso);

    // Only the customs databases are needed: no work database, no settings.
    Pontevar::Principal entidades(c.Home);
    entidades.LoadParameters();
    std::ostream& out = *c.Out;

    if (!detalle.empty()) {
        // A 14-character position gets its letter, as the editor would hand it over.
        std::string posicion = Nomenclador::PosicionCompleta(detalle);
        if (posicion.empty())
            posicion = detalle;
        Nomenclador::Detalle d;
        try {
            d = Nomenclador::MostrarDatos(entidades, posicion);
        } catch (...) {
            c.Op->MsgBox(AppError::Actual().Description, Operador::Icono::Ninguno, Operador::Botones::Aceptar);
            return 1;
        }
        if (!d.Encontrada) {
            c.Op->MsgBox("La posición " + posicion + " no está en el nomenclador.", Operador::Icono::Exclamacion,
                         Operador::Botones::Aceptar);
            return 1;
        }
        out << d.Descripcion << "\n";
        if (!d.Sufijos.empty())
            out << "\n";
        for (const std::string& s : d.Sufijos)
            out << s << "\n";
        return 0;
    }

    std::vector<Nomenclador::Encontrada> filas;
    try {
        filas = Nomenclador::BuscarConDescripcion(entidades, texto);
    } catch (...) {
        AppError e = AppError::Actual();
        c.Op->MsgBox(std::to_string(e.Number) + " - " + e.Description + "Sección []", Operador::Icono::Ninguno,
                     Operador::Botones::Aceptar);
        return 1;
    }
    if (filas.empty()) {
        c.Op->MsgBox("Posición no encontrada.", Operador::Icono::Exclamacion, Operador::Botones::Aceptar);
        return 1;
    }
    for (const auto& f : filas)
        out << f.Posicion << "\t" << f.Descripcion << "\n";
    return 0;
}

} // namespace Consola
