#pragma once
#include "app/Operador.h"

#include <deque>
#include <iosfwd>
#include <map>
#include <string>
#include <utility>

// The operator of the command-line runner: every message box is printed as
// one block on standard output with its icon as a word in front, every
// question with the answer the runner took; status texts go to standard error.
class OperadorConsola : public Operador {
public:
    OperadorConsola(std::ostream& out, std::ostream& err);

    Respuesta MsgBox(const std::string& texto, Icono icono, Botones botones) override;
    std::string InputBox(const std::string& prompt, const std::string& titulo, const std::string& defecto) override;
    std::string PreguntarTipo() override;
    void MostrarRelPais(Aplicacion& app) override;
    void PunteroEspera(bool) override {}
    void Estado(const std::string& texto) override;
    void ProgresoVisible(bool) override {}
    void ProgresoRango(int, int) override {}
    void ProgresoValor(int) override {}
    void ContadoresImportacion(long, long) override {}
    void ProcesarEventos() override {}

    // The answers the runner gives.
    Respuesta RespuestaSiNo = Respuesta::No;     // every Yes/No question
    std::map<std::string, Respuesta> Respuestas; // by the question's first words, before RespuestaSiNo
    std::string Tipo;                            // the type question ("" = closed without a button)
    std::map<std::string, std::pair<std::string, std::string>> Relaciones; // PAI -> (ORI, ESM)
    bool Terminal = false;            // missing answers may be asked on the terminal
    std::deque<std::string> Entradas; // input box answers, in order

    // How many messages with the critical icon were shown.
    int Criticos = 0;
    // How many messages reported an error: the critical icon, or an error
    // trap's box without icon (a run may show one and still go on).
    int Errores = 0;

    static const char* NombreIcono(Icono icono);

private:
    std::ostream& m_out;
    std::ostream& m_err;
};
