#pragma once
#include "global/modGlobal.h" // ImplementarVINenSufijos, shared with the classification

#include <string>

struct Aplicacion;
class SentenciaSql;

// Record parsers and statement builders of the shipment file. Fields are cut
// by characters (lines arrive as UTF-8), text fields trimmed of blanks.
namespace modEntidadesTarvelo {

// Header record: one article (vehicle) with its invoice, model, variant and VIN.
struct RegistroH {
    std::string Reservado1;
    std::string Interno;
    std::string InternoSufijo;
    std::string Factura;
    std::string NroCTC;
    std::string Modelo;
    std::string Variante;
    double Importe = 0;
    std::string NroVIN;
    std::string Reservado2;
    std::string Pais;
    std::string Reservado3;
    std::string Tipo;
};

// Detail record: one declared input line. `Cif` already holds Cif x Cantidad.
struct RegistroP {
    std::string Reservado1;
    std::string Reservado2;
    std::string Articulo;
    double Cantidad = 0;
    std::string Reservado3;
    double Cif = 0;
    std::string Posicion;
    std::string Fecha; // day/month/year, validated, not stored
    std::string DIT;
    std::string Reservado4;
    std::string Reservado5;
    std::string Item;
    std::string SubItem;
    std::string Modelo;
    std::string Variante;
    double PrecioUnitario = 0;
    std::string Origen;
    std::string Pais;
    double Importe1 = 0;
    double Importe2 = 0;
};

// Error numbers of the module's traps.
inline constexpr long kErrorModulo = -2036030393;
inline constexpr long kErrorRegPtoART = -2146102393;
inline constexpr long kErrorEnlace = 1119111;

RegistroH getRegistroHfromString(const std::string& linea);
RegistroP getRegistroPfromString(const std::string& linea);

// The untrimmed field read as `enteros` integer digits followed by `decimales`
// decimal digits, "." as the point whatever the locale; never fails.
double getNumerofromString(const std::string& texto, int enteros, int decimales);
// YYYYMMDD as "DD/MM/YYYY"; error 111 "Fecha ... inválida!" when that is no calendar date.
std::string getFechafromString(const std::string& texto);

// The SQL text of a number: its ordinary text (or the formatted text given)
// with every "," replaced by ".".
std::string setNumeroAnsi(double valor);
std::string setNumeroAnsi(const std::string& numeroFormateado);

// Model and variant as one article number: one blank between them, none when
// MODELOVARIANTESINSPC is on.
std::string UnirModeloVariante(const Aplicacion& app, const std::string& modelo, const std::string& variante);

// "insert into ART ..." of an article made from a header record. Looks the
// country up (which may ask the operator for a missing relation).
std::string getSQLfromRegH(Aplicacion& app, const RegistroH& reg, long orden, const std::string& interno);
// "insert into ARTINS ..." of an input line; `parent` is an article order
// number as text, or "" for a line inserted without IDPARENT.
std::string getSQLfromRegP(Aplicacion& app, const RegistroP& reg, const std::string& interno, long idReg,
                           const std::string& parent);
// "insert into ART ..." of an article made from a detail record, with `tipo`
// as its declaration type.
std::string getSQLfromRegPtoART(Aplicacion& app, const RegistroP& reg, const std::string& interno, long orden,
                                const std::string& tipo);

// The same three statements written into `s` (reused line after line), with
// their values apart: the work database binds them without reading the text.
void SentenciaDeRegH(Aplicacion& app, const RegistroH& reg, long orden, const std::string& interno, SentenciaSql& s);
void SentenciaDeRegP(Aplicacion& app, const RegistroP& reg, const std::string& interno, long idReg,
                     const std::string& parent, SentenciaSql& s);
void SentenciaDeRegPtoART(Aplicacion& app, const RegistroP& reg, const std::string& interno, long orden,
                          const std::string& tipo, SentenciaSql& s);

// Links every input line of the interno to the first article (lowest ARTORD)
// whose number equals its PARENTART, and copies that article's CTC into CTIT.
// An interno without articles raises error 1119111.
void EstablecerParents(Aplicacion& app, const std::string& interno);
// Its update of one article number: the lines under `artnro` take the order
// and CTC of the number's first article.
void SentenciaDeEnlace(const std::string& interno, const std::string& artnro, long long artord, const std::string& ctc,
                       SentenciaSql& s);

} // namespace modEntidadesTarvelo
