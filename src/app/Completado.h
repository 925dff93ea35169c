#pragma once
#include <string>
#include <vector>

// Shell completion for velmarion-cli, written from the same command table that
// prints --help, so a command or option added there is offered without more work.
namespace Completado {

// What may follow an option.
enum class Valor { Ninguno, Libre, Archivo, Carpeta, Opciones };

struct Opcion {
    std::string Nombre;               // "--tipo"
    Valor Tipo = Valor::Ninguno;      // Ninguno: a flag
    std::vector<std::string> Valores; // for Valor::Opciones: "ICR1", "ICR2"
};

struct Orden {
    std::string Nombre;
    std::vector<Opcion> Opciones;
    std::vector<std::string> Palabras; // literal first arguments ("relacion list | add ...")
    bool Archivo = false;              // a FILE argument: the shell completes paths
};

// Reads one usage line as the table writes it: "import FILE [--interno N] [--tipo ICR1|ICR2]".
// An option's value is the word that follows it inside the same brackets; a value
// with "|" lists its choices, FILE/ARCHIVO and DIR/CARPETA are paths.
Orden LeerUso(const std::string& uso);

// The bash script for `complete -F`: the global options, the commands, each
// command's options and their values.
std::string ScriptBash(const std::string& programa, const std::vector<Opcion>& globales,
                       const std::vector<Orden>& ordenes);

} // namespace Completado
