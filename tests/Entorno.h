#pragma once
// A test home: a temporary program folder with fresh databases, an application
// state connected to them, and a scripted operator that records every message.
#include "comun/Aplicacion.h"
#include "comun/Operador.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

class OperadorPrueba : public Operador {
public:
    struct Mensaje {
        std::string Texto;
        Icono Icon;
        Botones Botones_;
    };

    Respuesta MsgBox(const std::string& texto, Icono icono, Botones botones) override;
    bool Preguntar(const std::string& id, const std::string& texto) override;
    std::string InputBox(const std::string& id, const std::string& prompt, const std::string& titulo,
                         const std::string& defecto) override;
    std::string ElegirOpcion(const std::string& id, const std::vector<std::string>& lineas,
                             const std::string& actual) override;
    std::string ElegirArchivo(const std::string&, const std::string&, bool, const std::string&) override {
        return Archivo;
    }
    std::string PreguntarTipo() override;
    void MostrarRelPais(Aplicacion& app) override;
    void PunteroEspera(bool espera) override { Espera = espera; }
    void Estado(const std::string& texto) override { Estados.push_back(texto); }
    void ProgresoVisible(bool visible) override { BarraVisible = visible; }
    void ProgresoRango(int minimo, int maximo) override { BarraMin = minimo, BarraMax = maximo; }
    void ProgresoValor(int valor) override { BarraValor = valor; }
    void ContadoresImportacion(long h, long p) override { ContadorH = h, ContadorP = p; }
    void ProcesarEventos() override { ++Eventos; }

    // Answers
    std::deque<Respuesta> RespuestasSiNo; // taken in order, then PorDefecto
    Respuesta PorDefecto = Respuesta::No;
    std::string Tipo;
    std::map<std::string, std::pair<std::string, std::string>> Relaciones; // PAI -> ORI, ESM
    std::function<void(Aplicacion&)> AlMostrarRelPais;                     // replaces the scripted relation
    std::deque<std::string> Entradas;            // input boxes, in order ("<defecto>" takes the default)
    std::map<std::string, std::string> Opciones; // option picker by group: the code chosen ("" closes it)
    std::string Archivo;                         // every file dialog

    // Record
    std::vector<Mensaje> Mensajes;
    std::vector<std::string> Estados;
    std::vector<std::string> Preguntas;
    std::vector<std::string> IdsPreguntas;    // identifiers of the yes/no questions, in order
    std::vector<std::string> EntradasPedidas; // identifiers of the input boxes, in order
    std::vector<std::string> Defectos;        // the default each input box offered
    std::vector<std::string> OpcionesPedidas; // groups of the option pickers, in order
    int PreguntasTipo = 0, DialogosRelacion = 0, Eventos = 0;
    bool Espera = false, BarraVisible = false;
    int BarraMin = 0, BarraMax = 0, BarraValor = 0;
    long ContadorH = 0, ContadorP = 0;

    // The text of the last message ("" when none).
    std::string Ultimo() const { return Mensajes.empty() ? "" : Mensajes.back().Texto; }
};

class SentenciaSql;

struct EntornoPrueba {
    // A fresh home with empty databases; with `referencias`, the demo reference
    // data too (nomenclator, suffixes, units, countries).
    explicit EntornoPrueba(bool referencias = false);
    ~EntornoPrueba();

    std::filesystem::path Home;
    Aplicacion App;
    OperadorPrueba Op;

    Conexion& Aduana() { return App.Entidades->getDataConnectionByEntity("INTERNOS"); }
    // The customs database as a SQLite file (nullptr when it is on a server).
    Almacor::Gestor* AduanaArchivo() { return dynamic_cast<Almacor::Gestor*>(&Aduana()); }
    // The schema of this test on the server ("" on the file engine).
    std::string EsquemaPrueba;
    std::string Conninfo; // its connection string, with that schema first
    // Runs a statement on the work database; returns the rows changed.
    long Trabajo(const SentenciaSql& sentencia);
    long EnAduana(const SentenciaSql& sentencia);
    // The first field of the first row of a query ("" when there is none).
    std::string Valor(const SentenciaSql& sentencia);
    std::string ValorAduana(const SentenciaSql& sentencia);
    Recordset Filas(const SentenciaSql& sentencia);
    Recordset FilasAduana(const SentenciaSql& sentencia);
    // The same for a test's own statement written whole: its values are the
    // test's fixtures, not the program's.
    long Trabajo(const std::string& sql) { return Trabajo(SentenciaSql(sql)); }
    long Trabajo(const char* sql) { return Trabajo(SentenciaSql(sql)); }
    long EnAduana(const std::string& sql) { return EnAduana(SentenciaSql(sql)); }
    long EnAduana(const char* sql) { return EnAduana(SentenciaSql(sql)); }
    std::string Valor(const std::string& sql) { return Valor(SentenciaSql(sql)); }
    std::string Valor(const char* sql) { return Valor(SentenciaSql(sql)); }
    std::string ValorAduana(const std::string& sql) { return ValorAduana(SentenciaSql(sql)); }
    std::string ValorAduana(const char* sql) { return ValorAduana(SentenciaSql(sql)); }
    Recordset Filas(const std::string& sql) { return Filas(SentenciaSql(sql)); }
    Recordset Filas(const char* sql) { return Filas(SentenciaSql(sql)); }
    Recordset FilasAduana(const std::string& sql) { return FilasAduana(SentenciaSql(sql)); }
    Recordset FilasAduana(const char* sql) { return FilasAduana(SentenciaSql(sql)); }
    // Runs velmarion-cli on this home and its settings file; its standard output
    // stays in SalidaCli.
    int Cli(std::vector<std::string> args);
    std::string SalidaCli;
    // A file in the home folder with the given bytes.
    std::filesystem::path Archivo(const std::string& nombre, const std::string& contenido);
};

// The customs side of every test home is on a PostgreSQL server when
// VELMARION_PRUEBA_SERVIDOR holds a connection string (each home gets a schema
// of its own there), otherwise in a SQLite file.
std::string ServidorDePrueba();
bool EnServidor();
// A test that checks the file engine's own ways stops here on the server.
#define SOLO_ARCHIVO()                                                                                                 \
    do {                                                                                                               \
        if (EnServidor())                                                                                              \
            GTEST_SKIP() << "propio de la base en archivo";                                                            \
    } while (0)

// The data folder of the source tree.
std::string CarpetaDatosFuente();

// A test row's value written as SQL writes it ('text' with its quotes
// doubled, a number, or null), appended to `s` as a value apart.
SentenciaSql& Dato(SentenciaSql& s, const std::string& literal);
