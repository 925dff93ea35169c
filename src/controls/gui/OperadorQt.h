#pragma once
#include "comun/Operador.h"

#include <QElapsedTimer>
#include <QPointer>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QLabel;
class QProgressBar;
class QWidget;

// The operator interface of the windows: message boxes titled "Velmarion",
// input boxes, the type question and the relation dialog, the hourglass, and
// the main window's status line and progress bar.
//
// Tests answer ahead of time, as a person would, with the Siguiente* calls:
// a queued answer is taken instead of showing the window, so no test waits
// on a modal loop. Every message box is recorded either way.
class OperadorQt : public Operador {
public:
    explicit OperadorQt(QWidget* ventana = nullptr) : m_ventana(ventana) {}
    ~OperadorQt() override;

    // The three dialogs that hand values back are the subsystems' windows,
    // which sit above this operator: the windows' program hands them in
    // (app/gui/Dialogos.h). Each runs modal over `duenio`.
    struct Dialogos {
        // The suffix picker: the chosen line, "" when closed.
        std::function<std::string(const std::vector<std::string>& lineas, const std::string& actual, QWidget* duenio)>
            CargaSufijos;
        // The declaration type question: the type, "" when closed.
        std::function<std::string(QWidget* duenio)> Tipo;
        // The country-relation list; `porImportacion` when an import's look-up
        // opened it. True when the person cancelled the import from it.
        std::function<bool(Aplicacion& app, QWidget* duenio, bool porImportacion)> RelPais;
    };
    void EnlazarDialogos(Dialogos dialogos) { m_dialogos = std::move(dialogos); }

    // The window that owns the message boxes when no modal dialog is open.
    void Ventana(QWidget* ventana) { m_ventana = ventana; }
    // The main window's status line and progress bar.
    void EnlazarEstado(QLabel* estado, QProgressBar* barra);
    // The counters and the progress bar of the open import dialog (nullptr
    // when it closes). Linking them starts a run: no stop asked yet.
    void EnlazarContadores(QLabel* registrosH, QLabel* registrosP, QProgressBar* barra = nullptr);
    // The person asked to stop the import: the next ProcesarEventos raises
    // Cancelacion, and the import rolls its work back.
    void PedirCancelacion() { m_cancelar = true; }

    Respuesta MsgBox(const std::string& texto, Icono icono = Icono::Ninguno,
                     Botones botones = Botones::Aceptar) override;
    // The box's default button (what Enter answers) is the question's safe answer.
    bool Preguntar(const std::string& id, const std::string& texto) override;
    std::string InputBox(const std::string& id, const std::string& prompt, const std::string& titulo,
                         const std::string& defecto) override;
    std::string ElegirOpcion(const std::string& id, const std::vector<std::string>& lineas,
                             const std::string& actual) override;
    std::string ElegirArchivo(const std::string& titulo, const std::string& filtro, bool guardar,
                              const std::string& sugerido) override;
    std::string PreguntarTipo() override;
    void MostrarRelPais(Aplicacion& app) override;
    void PunteroEspera(bool espera) override;
    void Estado(const std::string& texto) override;
    void ProgresoVisible(bool visible) override;
    void ProgresoRango(int minimo, int maximo) override;
    void ProgresoValor(int valor) override;
    void ContadoresImportacion(long registrosH, long registrosP) override;
    void ProgresoImportacion(unsigned long long leidos, unsigned long long total) override;
    void ProcesarEventos() override;

    struct Mensaje {
        std::string Texto;
        Icono Icon;
        Botones Botones_;
        // Yes/No boxes: the button that Enter presses.
        Respuesta Defecto = Respuesta::Aceptar;
    };
    void SiguienteRespuesta(Respuesta r) { m_respuestas.push_back(r); }
    bool RespuestasPendientes() const { return !m_respuestas.empty(); }
    void SiguienteTipo(const std::string& tipo) { m_tipos.push_back(tipo); }
    void SiguienteEntrada(const std::string& texto) { m_entradas.push_back(texto); }
    // The next option picker returns the line beginning with `codigo` ("" = closed).
    void SiguienteOpcion(const std::string& codigo) { m_opciones.push_back(codigo); }
    // The next file dialog returns `ruta` ("" = cancelled) without showing.
    void SiguienteArchivo(const std::string& ruta) { m_archivos.push_back(ruta); }
    const std::vector<Mensaje>& Mensajes() const { return m_mensajes; }
    void OlvidarMensajes() { m_mensajes.clear(); }
    bool Espera() const { return m_espera; }

    static constexpr const char* kTitulo = "Velmarion";

private:
    QWidget* Duenio() const;
    static constexpr qint64 kPintura = 50; // milliseconds between paints of per-row figures
    bool TocaPintar();
    // Shows the counters and bar value held back by TocaPintar; everything that
    // shows something else first (a box, the status line, the end) calls it.
    void PintarPendientes();
    // The arrow while a modal window waits for the person, the hourglass back after.
    struct Flecha {
        explicit Flecha(bool espera);
        ~Flecha();
        bool m_espera;
    };

    QPointer<QWidget> m_ventana;
    QPointer<QLabel> m_estado, m_contadorH, m_contadorP;
    QPointer<QProgressBar> m_barra, m_barraImportacion;
    std::optional<int> m_importacionPendiente; // per thousand of the file
    bool m_cancelar = false;
    bool m_espera = false;
    QElapsedTimer m_reloj, m_eventos;
    std::optional<int> m_valorPendiente;
    std::pair<long, long> m_contadores;
    bool m_contadoresPendientes = false, m_contadoresMostrados = false;
    // The safe answer of the question being asked, for the next Yes/No box.
    std::optional<Respuesta> m_defectoPregunta;
    std::deque<Respuesta> m_respuestas;
    std::deque<std::string> m_tipos, m_entradas, m_opciones, m_archivos;
    std::vector<Mensaje> m_mensajes;
    Dialogos m_dialogos;
};
