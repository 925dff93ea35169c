#pragma once
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

struct Aplicacion;
class OperadorConsola;

// The command-line runner: `velmarion-cli [--home DIR] [--settings FILE] COMMAND ...`.
// Exit status 0 when the command did its whole work with no error shown, 1 when
// it stopped early or showed an error, 2 for a usage error.
namespace Consola {

// A usage error: unknown command or option, missing argument (exit status 2).
struct UsoIncorrecto : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Contexto {
    std::string Home;              // resolved program folder
    std::string ArchivoAjustes;    // --settings, or "" for the per-user store
    std::vector<std::string> Args; // after the command name
    OperadorConsola* Op = nullptr;
    std::ostream* Out = nullptr;
    std::ostream* Err = nullptr;

    // Runs the start-up (components, databases, settings) for commands that
    // need the databases; prints the error and returns false when it fails.
    bool Arrancar(Aplicacion& app, const std::string& lineaComandos = "");
    // Raises an error when --settings names a folder.
    void ComprobarAjustes() const;
    // Takes "--name VALUE" out of Args; "" when absent. Usage error when the value is missing.
    std::string Opcion(const std::string& nombre);
    // Takes every "--name VALUE" out of Args.
    std::vector<std::string> Opciones(const std::string& nombre);
    // Takes "--name" out of Args; true when present.
    bool Bandera(const std::string& nombre);
    // The remaining arguments must be exactly n (after options were taken).
    void Exigir(size_t n, const std::string& uso);
};

using Comando = int (*)(Contexto&);

// Starts up and makes the interno current; false (message shown) when it does not exist.
bool AbrirInterno(Contexto& c, Aplicacion& app, const std::string& interno);

// Runs the whole command line (argv without the program name).
int Ejecutar(const std::vector<std::string>& argumentos, std::ostream& out, std::ostream& err);

// The commands, by subsystem.
int CmdInit(Contexto& c);
int CmdInitServidor(Contexto& c);
int CmdConfig(Contexto& c);
int CmdRelacion(Contexto& c);
int CmdTransfer(Contexto& c);
// Takes --reemplazar si|no: the answer to the transfer's replace question (No when absent).
void TomarReemplazo(Contexto& c);
int CmdImport(Contexto& c);
int CmdList(Contexto& c);
int CmdDelete(Contexto& c);
int CmdRun(Contexto& c);
int CmdClassify(Contexto& c);
int CmdStats(Contexto& c);
int CmdDepurar(Contexto& c);
int CmdEditar(Contexto& c);
int CmdSugerir(Contexto& c);
int CmdHistorial(Contexto& c);
int CmdDeshacer(Contexto& c);
int CmdNomenclador(Contexto& c);
// Where the home, the databases, the settings, the entity parameters and the run log are.
int CmdDonde(Contexto& c);
int CmdReporte(Contexto& c);
int CmdCatalogo(Contexto& c);

} // namespace Consola
