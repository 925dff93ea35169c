#pragma once
#include "platform/AppError.h"

#include <exception>
#include <string>
#include <vector>

struct Aplicacion;

// Everything the logic asks of the person in front of the program: message
// boxes, questions, input boxes, the modal dialogs that hand values back, the
// mouse pointer, the status line and the progress bar. The windows implement
// it with Qt; the command-line runner and the tests implement it too, so every
// run can be driven without a display.
class Operador {
public:
    enum class Icono { Ninguno, Critico, Pregunta, Exclamacion, Informacion };
    enum class Botones { Aceptar, SiNo };
    enum class Respuesta { Aceptar, Si, No };

    // Identifiers of the yes/no questions the logic asks. The windows show the
    // question's text; the command line answers by identifier.
    struct Preguntas {
        static constexpr const char* EliminarInterno = "eliminar";
        static constexpr const char* EliminarRelacion = "eliminar-relacion";
        static constexpr const char* Reemplazar = "reemplazar";
        static constexpr const char* SinPais = "sin-pais";
        static constexpr const char* Cancelar = "cancelar";
        static constexpr const char* Deshacer = "deshacer";
        static constexpr const char* ReemplazarCorrecciones = "reemplazar-correcciones";
        static constexpr const char* CancelarImportacion = "cancelar-importacion";
        static constexpr const char* DescartarCambios = "descartar-cambios";
        static constexpr const char* ReplicarVehiculos = "replicar-vehiculos";
    };

    // The answer a question gives when the person just presses Enter: No for
    // every question whose Yes deletes, replaces or discards something, so
    // that destroying work always takes a deliberate choice. The one table of
    // safe defaults: the windows' default button and any operator that needs
    // a default read it here. Every question asked today deletes, replaces or
    // discards something on Yes, or saves an article without its origin
    // ("sin-pais"); a question whose Yes is harmless is listed with Si.
    static Respuesta RespuestaSegura(const std::string& id) {
        struct Defecto {
            const char* Id;
            Respuesta R;
        };
        static constexpr Defecto kDefectos[] = {
            {Preguntas::EliminarInterno, Respuesta::No},
            {Preguntas::EliminarRelacion, Respuesta::No},
            {Preguntas::Reemplazar, Respuesta::No},
            {Preguntas::SinPais, Respuesta::No},
            {Preguntas::Cancelar, Respuesta::No},
            {Preguntas::Deshacer, Respuesta::No},
            {Preguntas::ReemplazarCorrecciones, Respuesta::No},
            {Preguntas::CancelarImportacion, Respuesta::No},
            {Preguntas::DescartarCambios, Respuesta::No},
            {Preguntas::ReplicarVehiculos, Respuesta::No},
        };
        for (const Defecto& d : kDefectos)
            if (id == d.Id)
                return d.R;
        return Respuesta::No; // a question not listed yet: the careful answer
    }

    virtual ~Operador() = default;

    // A message box with the application's title.
    virtual Respuesta MsgBox(const std::string& texto, Icono icono = Icono::Ninguno,
                             Botones botones = Botones::Aceptar) = 0;
    // A question with the question icon and Yes and No; true for Yes. `id` is
    // one of Preguntas.
    virtual bool Preguntar(const std::string& /*id*/, const std::string& texto) {
        return MsgBox(texto, Icono::Pregunta, Botones::SiNo) == Respuesta::Si;
    }
    // An input box; "" when cancelled. `id` names the value asked for (a suffix
    // value question: its code).
    virtual std::string InputBox(const std::string& id, const std::string& prompt, const std::string& titulo,
                                 const std::string& defecto) = 0;
    // The option picker "Carga de Sufijos": one line of `lineas` ("AC01 - detail"),
    // the first line beginning with `actual` pre-selected. The line chosen, or ""
    // when closed without choosing. `id` is the option group (its two letters).
    virtual std::string ElegirOpcion(const std::string& id, const std::vector<std::string>& lineas,
                                     const std::string& actual) = 0;
    // A file dialog: an existing file to open, or a file to write (`guardar`).
    // `filtro` as "Descripción (*.txt *.TXT)", `sugerido` the initial name or
    // folder. The full path chosen, or "" when cancelled.
    virtual std::string ElegirArchivo(const std::string& titulo, const std::string& filtro, bool guardar,
                                      const std::string& sugerido) = 0;

    // The type question "PROCESAR COMO:": "ICR1", "ICR2", or "" when closed
    // without a button. The caller stores it as the type answer.
    virtual std::string PreguntarTipo() = 0;
    // The country-relation dialog "Establecer Pais", shown modally. On entry the
    // first dialog return text of `app` holds the code to relate; a saved
    // relation leaves its ORI and ESM in the two return texts, closing without
    // saving leaves the first one empty (see RelacionPais for the dialog's logic).
    virtual void MostrarRelPais(Aplicacion& app) = 0;

    // Hourglass (true) or arrow (false).
    virtual void PunteroEspera(bool espera) = 0;
    // The main window's status line, repainted at once.
    virtual void Estado(const std::string& texto) = 0;
    // The main window's progress bar.
    virtual void ProgresoVisible(bool visible) = 0;
    virtual void ProgresoRango(int minimo, int maximo) = 0;
    virtual void ProgresoValor(int valor) = 0;
    // The import dialog's counters "Registros H:" and "Registros P:".
    virtual void ContadoresImportacion(long registrosH, long registrosP) = 0;
    // How far the import has read its file: `leidos` of `total` bytes. Only
    // the windows show it.
    virtual void ProgresoImportacion(unsigned long long /*leidos*/, unsigned long long /*total*/) {}
    // Lets pending window events run (the import does it after every detail
    // line). An operator whose person asked to stop the run raises Cancelacion here.
    virtual void ProcesarEventos() = 0;
};

// An operator that hands everything to another one: the base of those that
// change only part of what is done (keeping boxes back, noting them).
class OperadorReenvio : public Operador {
public:
    explicit OperadorReenvio(Operador& op) : m_op(op) {}

    Respuesta MsgBox(const std::string& texto, Icono icono, Botones botones) override {
        return m_op.MsgBox(texto, icono, botones);
    }
    bool Preguntar(const std::string& id, const std::string& texto) override { return m_op.Preguntar(id, texto); }
    std::string InputBox(const std::string& id, const std::string& prompt, const std::string& titulo,
                         const std::string& defecto) override {
        return m_op.InputBox(id, prompt, titulo, defecto);
    }
    std::string ElegirOpcion(const std::string& id, const std::vector<std::string>& lineas,
                             const std::string& actual) override {
        return m_op.ElegirOpcion(id, lineas, actual);
    }
    std::string ElegirArchivo(const std::string& titulo, const std::string& filtro, bool guardar,
                              const std::string& sugerido) override {
        return m_op.ElegirArchivo(titulo, filtro, guardar, sugerido);
    }
    std::string PreguntarTipo() override { return m_op.PreguntarTipo(); }
    void MostrarRelPais(Aplicacion& app) override { m_op.MostrarRelPais(app); }
    void PunteroEspera(bool espera) override { m_op.PunteroEspera(espera); }
    void Estado(const std::string& texto) override { m_op.Estado(texto); }
    void ProgresoVisible(bool visible) override { m_op.ProgresoVisible(visible); }
    void ProgresoRango(int minimo, int maximo) override { m_op.ProgresoRango(minimo, maximo); }
    void ProgresoValor(int valor) override { m_op.ProgresoValor(valor); }
    void ContadoresImportacion(long h, long p) override { m_op.ContadoresImportacion(h, p); }
    void ProgresoImportacion(unsigned long long leidos, unsigned long long total) override {
        m_op.ProgresoImportacion(leidos, total);
    }
    void ProcesarEventos() override { m_op.ProcesarEventos(); }

protected:
    Operador& m_op;
};

// How a run ended: it did its whole work; the operator (or a rule the operator
// must act on) stopped it; or an error stopped it or was shown on the way.
enum class Resultado { Hecho, Detenido, Fallido };
// The result column of the run log: "hecho", "detenido", "fallido".
inline const char* TextoResultado(Resultado r) {
    return r == Resultado::Hecho ? "hecho" : r == Resultado::Detenido ? "detenido" : "fallido";
}
