#include "app/Asistente.h"

#include "classify/Clasificacion.h"
#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "import/Importacion.h"
#include "platform/AppError.h"
#include "platform/Bitacora.h"
#include "transfer/Transferencia.h"

namespace {

// Notes the last message a stage showed (notices aside) or question it asked: the log line of a
// stage that failed or was stopped gives it as the reason, so the office can
// tell afterwards what went wrong without the operator's word.
class OperadorQueAnota : public OperadorReenvio {
public:
    explicit OperadorQueAnota(Aplicacion& app) : OperadorReenvio(*app.Op), m_app(app) { m_app.Op = this; }
    ~OperadorQueAnota() override { m_app.Op = &m_op; }
    OperadorQueAnota(const OperadorQueAnota&) = delete;
    OperadorQueAnota& operator=(const OperadorQueAnota&) = delete;

    Respuesta MsgBox(const std::string& texto, Icono icono, Botones botones) override {
        if (icono != Icono::Informacion && botones == Botones::Aceptar)
            Ultimo = texto;
        return m_op.MsgBox(texto, icono, botones);
    }
    // A question noted with its answer: a No may be what stopped the stage.
    bool Preguntar(const std::string& id, const std::string& texto) override {
        bool si = m_op.Preguntar(id, texto);
        Ultimo = texto + (si ? " -> Si" : " -> No");
        return si;
    }

    std::string Ultimo;

private:
    Aplicacion& m_app;
};

std::string ConMotivo(const char* resultado, const std::string& motivo) {
    return motivo.empty() ? std::string(resultado) : std::string(resultado) + ": " + motivo;
}

} // namespace

Asistente::Asistente(Aplicacion& app, std::function<void()> refrescar) : m_app(app), m_refrescar(std::move(refrescar)) {
    m_app.MAIN_CambiarPaso = [this] { MAIN_CambiarPaso(); };
}

void Asistente::Refrescar() {
    if (m_refrescar)
        m_refrescar();
}

void Asistente::Seleccionar(int indice) {
    m_p.Seleccionado = (indice >= 0 && indice < static_cast<int>(m_p.Internos.size())) ? indice : -1;
}

Resultado Asistente::Iniciar() {
    Resultado r = Resultado::Hecho;
    if (m_app.InternoLinea.empty()) {
        // A file without an interno is no unattended run: kept, it would
        // transfer every interno the operator merely opens.
        m_app.ArchivoLinea.clear();
        FRAM1_CargarInternos();
        m_app.Paso = 1;
    } else {
        // The import hands over to MAIN_CambiarPaso, which records how the rest went.
        m_resultado = Resultado::Hecho;
        r = Importacion::ProcesarArchivo(m_app, m_app.ArchivoLinea) ? m_resultado : Resultado::Fallido;
        // The run is over: the window stays on the interno it processed, and a
        // later "Transferir" must not take the command line as a new run.
        m_app.InternoLinea.clear();
        m_app.ArchivoLinea.clear();
        if (m_p.Frente != Marco::FRAM3) {
            FRAM1_CargarInternos();
            m_app.Paso = 1;
        }
    }
    Refrescar();
    return r;
}

void Asistente::FRAM1_CargarInternos() {
    m_p.Internos = ListaInternos::FRAM1_CargarInternos(m_app);
    m_p.Seleccionado = m_p.Internos.empty() ? -1 : 0;
    Refrescar();
}

void Asistente::FRAM1_EliminarInterno() {
    if (m_p.Internos.empty())
        return;
    int i = m_p.Seleccionado >= 0 ? m_p.Seleccionado : 0;
    if (ListaInternos::FRAM1_EliminarInterno(m_app, m_p.Internos[i].INTNRO) == Resultado::Hecho) {
        m_p.Internos.erase(m_p.Internos.begin() + i);
        if (m_p.Seleccionado >= static_cast<int>(m_p.Internos.size()))
            m_p.Seleccionado = static_cast<int>(m_p.Internos.size()) - 1;
    }
    Refrescar();
}

void Asistente::ElegirInterno() {
    m_app.Paso = 1;
    m_app.ClasificarAlEntrar = false;
    MAIN_CambiarPaso();
}

void Asistente::MostrarPaso3() {
    m_p.Frente = Marco::FRAM3;
    m_p.lbPasoNro = "Paso 3";
    m_p.lbPasoDesc = "Depuración de Datos procesados";
    m_p.Contadores = Estadisticas::FRAM3_CargarEstadisticas(m_app);
    m_p.cmdSiguiente = "Transferir";
}

void Asistente::LimpiarEstado() {
    if (m_app.Op)
        m_app.Op->Estado("");
}

void Asistente::RecargarResultados() {
    if (m_app.Paso != 2 || m_p.Frente != Marco::FRAM3 || m_app.InternoActual.empty())
        return;
    // After a failed classification the window stays at the step-2 captions,
    // without counters: only the totals are shown then.
    if (m_p.lbPasoNro == "Paso 3") {
        try {
            m_p.Contadores = Estadisticas::FRAM3_CargarEstadisticas(m_app);
        } catch (...) {
            AppError e = AppError::Actual();
            m_app.Op->MsgBox(e.Mensaje());
        }
    }
    m_p.lstCIF = Estadisticas::CargarTotalesCIF(m_app);
    Refrescar();
}

void Asistente::MAIN_CambiarPaso() {
    m_resultado = Resultado::Hecho;
    LimpiarEstado();
    try {
        if (m_app.Paso == 1) {
            // After "< Volver" the current interno is empty; with the flag still
            // set from an import there is nothing to classify, so take the list's
            // selection as a pick would.
            bool clasificar = m_app.ClasificarAlEntrar && !m_app.InternoActual.empty();
            if (!clasificar) {
                if (m_p.Internos.empty()) {
                    m_app.Op->MsgBox("Debe seleccionar un interno para continuar, presione [ INSERT ] para crear uno.",
                                     Operador::Icono::Exclamacion);
                    m_resultado = Resultado::Detenido;
                    return;
                }
                m_app.InternoActual = m_p.Internos[m_p.Seleccionado >= 0 ? m_p.Seleccionado : 0].INTNRO;
            }
            m_app.Paso = 2;
            m_p.FRAM1Habilitado = false;
            m_p.Frente = Marco::FRAM3;
            m_p.cmdSiguienteHabilitado = false;
            m_p.cmdVolverHabilitado = true;
            m_p.lbPasoNro = "Paso 2";
            m_p.lbPasoDesc = "Depurar Articulos";
            m_p.Contadores = {};
            m_p.lstCIF.clear();
            Refrescar();

            bool clasificado = !clasificar || Clasificar();
            if (clasificado)
                MostrarPaso3();
            else
                m_resultado = Resultado::Fallido;
            bool cifOk = true;
            m_p.lstCIF = Estadisticas::CargarTotalesCIF(m_app, &cifOk);
            if (!cifOk)
                m_resultado = Resultado::Fallido;
            m_p.cmdSiguienteHabilitado = true;
            Refrescar();

            if (!m_app.ArchivoLinea.empty() && m_app.Paso == 2) {
                Resultado t = Transferir();
                if (m_resultado == Resultado::Hecho)
                    m_resultado = t;
            }
        } else {
            m_resultado = Transferir();
        }
    } catch (...) {
        AppError e = AppError::Actual();
        m_resultado = Resultado::Fallido;
        m_app.Op->MsgBox(e.Mensaje());
    }
    Refrescar();
}

bool Asistente::Clasificar() {
    const double inicio = Bitacora::Ahora();
    OperadorQueAnota anota(m_app);
    bool ok = FRAM2_GuardarDatosToBase(m_app);
    Bitacora::Registrar(m_app.Home, m_app.InternoActual, "clasificacion",
                        ok ? std::string("hecho") : ConMotivo("fallido", anota.Ultimo), Bitacora::Ahora() - inicio);
    return ok;
}

Resultado Asistente::Transferir() {
    const double inicio = Bitacora::Ahora();
    const std::string interno = m_app.InternoActual;
    Resultado r = Resultado::Fallido;
    OperadorQueAnota anota(m_app);
    try {
        r = FRM3_Tranferir(m_app);
    } catch (const Cancelacion& c) {
        Bitacora::Registrar(m_app.Home, interno, "transferencia", ConMotivo("detenido", c.Motivo),
                            Bitacora::Ahora() - inicio);
        throw;
    } catch (...) {
        Bitacora::Registrar(m_app.Home, interno, "transferencia", ConMotivo("fallido", AppError::Actual().Mensaje()),
                            Bitacora::Ahora() - inicio);
        throw;
    }
    Bitacora::Registrar(m_app.Home, interno, "transferencia",
                        r == Resultado::Hecho ? std::string("hecho") : ConMotivo(TextoResultado(r), anota.Ultimo),
                        Bitacora::Ahora() - inicio);
    return r;
}

void Asistente::cmdVolver_Click() {
    LimpiarEstado();
    m_app.Paso = 1;
    m_app.InternoActual.clear();
    m_p.FRAM1Habilitado = true;
    m_p.Frente = Marco::FRAM1;
    m_p.cmdSiguienteHabilitado = true;
    m_p.cmdSiguiente = "Siguiente >";
    m_p.lbPasoNro = "Paso 1";
    m_p.lbPasoDesc = "Seleccionar Interno a procesar";
    m_p.cmdVolverHabilitado = false;
    FRAM1_CargarInternos();
}
