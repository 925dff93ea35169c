#pragma once
#include "comun/Operador.h"

#include <string>
#include <vector>

struct Aplicacion;
class Recordset;
class SentenciaSql;

// Depuration: the record lists of frmDEP, the article editor frmModificar as
// logic (its controls are the fields of FormModificar), the position check, the
// suffix collection, the replication of a correction, and the history of
// corrections with its undo. The windows and the command line drive the same
// objects; questions and messages go through the operator interface.
namespace Depuracion {

// The record lists.
inline constexpr const char* kColumnas[] = {"Orden",    "Articulo", "Nro VIN",  "Origen", "Cantidad",
                                            "Unitario", "Total",    "Posición", "Estado", "CRC"};
enum class Color { Normal, RojoOscuro, AzulOscuro, CianOscuro };

struct Fila {
    std::string Orden; // ARTORD as "0000"
    std::string ARTNRO, PRCVIN, ARTORG, ARTCAN, ARTUNI, ARTTOT, PRCNCM, PRCEST, PRCCRC;
    std::string Motivo;     // why the article needs depuration ("" in the OK list)
    std::string Sugerencia; // the best suggested position, when asked for ("" when none)
    Color Colour = Color::Normal;
};

// Records with errors (modo 1) or without (any other modo). An error shows its
// message; the rows read so far are returned and `ok` (when given) says false.
std::vector<Fila> CargarRegConErrores(Aplicacion& app, bool* ok = nullptr);
std::vector<Fila> CargarRegOK(Aplicacion& app, bool* ok = nullptr);
std::vector<Fila> Cargar(Aplicacion& app, int modo, bool* ok = nullptr);

// The decimals a number of the list is written with ("12,5" -> 1, "3" -> 0).
int Decimales(const std::string& numero);
// A number of the list with exactly `decimales` decimals, so that a column
// lines up on its separator; empty text stays empty.
std::string ConDecimales(const std::string& numero, int decimales);
// The reasons of the list, each with how many rows give it, in the order they
// first appear (the list's own order: articles without status first).
struct CuentaMotivo {
    std::string Motivo;
    int Filas = 0;
};
std::vector<CuentaMotivo> Motivos(const std::vector<Fila>& filas);

// The article editor's controls and hidden values.
class FormModificar {
public:
    explicit FormModificar(Aplicacion& app) : m_app(app) {}

    // Loads the article of order number `tag` of the current interno. False
    // when there is no such article (the controls keep their design values).
    bool CargarDatos(const std::string& tag);
    // The position check of Enter in the position box. The position found,
    // rebuilt from the nomenclator, or "" (messages shown). A 14-character
    // position is completed with its nomenclator letter, and the box shows it so.
    std::string ProcesarNCM(std::string posicion);
    // Collects the suffixes of a position anew, asking values and options.
    std::string VerificarSufijos(const std::string& ncm, const std::string& sufijoAnt, int modificar);
    // The checks of a save. The position to be saved comes first: a
    // 14-character one is completed as the check completes it, and a position
    // other than the one the editor's units came from takes its units, LAPI
    // mark and specific duty from its own nomenclator row.
    bool VerificarDatos();
    // The column of the box the last failed check was about ("PRCNCM", "ARTUNI"...),
    // empty when the check passed: the window puts the cursor there.
    std::string CampoConFalla;
    // F11: checks, saves the article with its replication and history in one
    // transaction, then tells how many like articles took the correction.
    Resultado GrabarDatos();
    // The statements of a save as they run: the edited article's update, and
    // the one that replicates it to the untouched like articles without a VIN.
    SentenciaSql SentenciaGrabar() const;
    SentenciaSql SentenciaReplicar() const;

    // Controls (text as shown) and their hidden values.
    std::string Tag; // ARTORD of the article
    bool Cargado = false;
    std::string txtARTNRO, txtARTNRO_Tag;
    std::string txtARTCAN, txtARTUNI, txtARTTOT;
    std::string txtNroVin, txtFactura, txtCTC;
    std::string txtPRCNCM, txtPRCNCM_Tag; // tag: statistical unit
    std::string txtPRCSUF, txtPRCDUN, txtPRCCAN;
    std::string lbPRCEUN = "Unidad Estadistica", lbPRCEUN_Tag;
    std::string txtPRCECA;
    std::string lbPRCSUN = "Derecho Especifico [01]", lbPRCSUN_Tag;
    std::string txtPRCSCA, txtPRCSCA_Tag; // tag: specific-duty unit as read
    bool PRCSCAVisible = false;           // lbPRCSUN and txtPRCSCA
    std::string lbPRCLAP_Tag;
    bool lbPRCLAPVisible = false;
    std::string txtPRCESM;
    std::vector<std::string> cboPRCORI, cboidPRCORI, cboPRCDST, cboIdPRCDST;
    int cboPRCORI_Indice = -1, cboPRCDST_Indice = -1;
    std::string lbEstado;

    // How many like articles the last save replicated to.
    long Replicados() const { return m_replicados; }
    // How many vehicles of the same number (each with its own VIN) it replicated to.
    long Vehiculos() const { return m_vehiculos; }

private:
    // The save itself, after the checks passed.
    Resultado Grabar();
    // The replication, inside the save's transaction. Rows changed by its first step.
    long CopiarModificacion();
    // The untouched articles of the edited number that carry a VIN, the edited one aside.
    long VehiculosSinTocar();
    // Those vehicles take the correction, each with its own VIN's suffix. Rows changed.
    long CopiarAVehiculos();
    std::string ArticuloDeSufijos() const;
    // The 15-character position of a 14-character one, its letter from the
    // nomenclator; "" when no row has its [001] and [002].
    std::string CompletarPosicion(const std::string& posicion14);
    // The nomenclator row of a 15-character position (uest, deresp, lapi and the keys).
    bool FilaDePosicion(const std::string& posicion, Recordset& rs);
    // The statistical unit and the specific duty of a row; then its LAPI mark.
    void UnidadesDeFila(const Recordset& rs);
    void LapiDeFila(const Recordset& rs);
    void PrepararPosicion();
    bool UnidadExiste(const std::string& unidad);

    Aplicacion& m_app;
    long m_replicados = 0;
    long m_vehiculos = 0;
    bool m_conVehiculos = false; // the operator said Yes to the vehicles of this save
    // The position (dotted, upper case) whose nomenclator row the units, LAPI
    // mark and specific duty in the controls come from.
    std::string m_posicionDeUnidades;
};

// The number formats of the editor: shown in the locale's form, stored as
// numbers. A number is shown with the decimals it has, at least two and at
// most `maxDecimales`, so a value nobody touched is saved as it was stored.
std::string Mostrar(double valor, int maxDecimales = 15);

// History of corrections.
struct Cambio {
    long Lote = 0;
    std::string FECHA, USUARIO, INTNRO;
    long ARTORD = 0;
    std::string COLUMNA, ANTES, DESPUES, TIPO;
    bool Deshecha = false;
};
std::vector<Cambio> Historial(Aplicacion& app, const std::string& interno);
// The history rows of lot `lote`: one for each column the save of article
// `orden` or its replication changed, the articles as they were before being
// in temp.HIST_ANTES.
SentenciaSql SentenciaHistoria(const std::string& interno, long long lote, long long orden);
// Into `s` (emptied first): the undo of one column of lot `lote`.
void SentenciaDeshacer(SentenciaSql& s, const std::string& interno, long long lote, const char* columna);
// Undoes the last correction of the interno (its save and its replication) as
// a whole; asks first when `preguntar`. Refused, with its reason, once the
// interno was transferred after that correction.
Resultado Deshacer(Aplicacion& app, const std::string& interno, bool preguntar);

} // namespace Depuracion
