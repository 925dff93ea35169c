#pragma once
#include "classify/Estadisticas.h"
#include "comun/Operador.h"
#include "import/ListaInternos.h"

#include <functional>
#include <string>
#include <vector>

struct Aplicacion;

// The three-step wizard of the main window as logic: what each step shows and
// how the wizard moves. The main window draws `Pantalla` after every change;
// the command-line runner and the tests drive the same object.
class Asistente {
public:
    enum class Marco { FRAM1, FRAM3 };

    struct Pantalla {
        std::string lbPasoNro = "Paso 1";
        std::string lbPasoDesc = "Seleccione el interno a procesar";
        std::string cmdSiguiente = "Siguiente >";
        bool cmdSiguienteHabilitado = true;
        bool cmdVolverHabilitado = false;
        bool FRAM1Habilitado = true;
        Marco Frente = Marco::FRAM1;
        std::vector<ListaInternos::Item> Internos; // FRAM1LstInternos
        int Seleccionado = -1;                     // selected list item
        Estadisticas::Contadores Contadores;       // FRAM3 counters
        std::vector<Estadisticas::TotalCIF> lstCIF;
    };

    // `refrescar` is called after every change of the screen state.
    Asistente(Aplicacion& app, std::function<void()> refrescar = {});

    const Pantalla& pantalla() const { return m_p; }
    void Seleccionar(int indice);

    // Start-up steps 8 and 9: the interno list, or the unattended import,
    // classification and transfer of the command-line file, and how that ended.
    Resultado Iniciar();

    // The wizard's forward move (also the step-3 "Transferir").
    void MAIN_CambiarPaso();
    // "Siguiente >" / "Transferir"
    void cmdSiguiente_Click() { MAIN_CambiarPaso(); }
    // "< Volver": back to step 1, list reloaded.
    void cmdVolver_Click();
    // Enter or double-click on the list: the selected interno at step 3, not classified.
    void ElegirInterno();
    void FRAM1_CargarInternos();
    void FRAM1_EliminarInterno();
    // Step 3's counters and CIF totals read again, after a correction, its
    // replication or its undo changed the interno's articles. Nothing at step 1.
    void RecargarResultados();

    // How the last forward move ended: Hecho when it did all it set out to do
    // (classification, step 3, and the transfer of an unattended run) with no
    // error shown on the way.
    Resultado UltimoResultado() const { return m_resultado; }

    // The classification and the transfer of the current interno, each leaving
    // its line in the run log (the runner's classify and transfer use them too).
    bool Clasificar();
    Resultado Transferir();

private:
    void Refrescar();
    void MostrarPaso3();
    // A stopped run leaves its last status in the line, so the operator sees
    // where it stopped; a change of step or a new run starts from a clean line.
    void LimpiarEstado();

    Aplicacion& m_app;
    std::function<void()> m_refrescar;
    Pantalla m_p;
    Resultado m_resultado = Resultado::Hecho;
};
