#pragma once
#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

struct Aplicacion;

// The printable reports: what goes on the pages, in what order and format,
// without any drawing. One `Informe` feeds the preview, the printer, the PDF,
// the workbook and the runner's text output alike.
namespace Reportes {

enum class Alineacion { Izquierda, Derecha, Centro };

struct Columna {
    std::string Titulo;
    std::string Campo; // column of the query
    Alineacion Alin = Alineacion::Izquierda;
    std::string Patron; // number pattern ("00.00"); "" for text
    double Ancho = 1;   // share of the line's width
};

// A caption over the columns [Desde, Desde + Cuantas).
struct Grupo {
    std::string Titulo;
    size_t Desde = 0, Cuantas = 0;
};

// A heading printed before row `Desde` (and again at the top of a page that
// continues it).
struct Seccion {
    std::string Titulo;
    size_t Desde = 0;
};

struct Fila {
    std::vector<std::string> Textos; // one per column, already formatted
    std::vector<double> Numeros;     // one per column with a pattern (NaN for a null)
    std::string Segunda;             // the full-width second line
};

struct Informe {
    std::string Titulo;
    std::string Identidad; // printed on every page: which interno or catalog, and when
    std::vector<Columna> Columnas;
    std::vector<Grupo> Grupos;
    std::string TituloSegunda;        // caption of the second line where one is shown (workbook, text)
    std::vector<std::string> Resumen; // lines before the rows, first page only
    std::vector<Seccion> Secciones;
    std::vector<Fila> Filas;

    bool Vacio() const { return Filas.empty(); }
    // Columns that carry a number pattern, in order (index into Columnas).
    std::vector<size_t> ColumnasNumericas() const;
};

// The article columns, their captions, alignments and patterns.
const std::vector<Columna>& ColumnasArticulos();

// The articles of the current interno still to depurate (`ok` false), by
// status, result code and order; or those without errors (`ok` true), by order.
// A failing query raises an AppError.
Informe ReporteArticulos(Aplicacion& app, bool ok);

// The articles of catalog `catalogo` whose position is not in the
// nomenclator or whose suffixes do not fit it, grouped by reason, the larger
// groups first, with the reason in words on each row.
Informe RevisionCatalogo(Aplicacion& app, const std::string& catalogo);

// The texts every page names the report by: "Interno 1001 - 03/06/2025 10:12".
std::string FechaImpresion();

// Prepares a report for one of the window commands: the report in `informe`
// and true; or false after the message box ("No hay articulos para mostrar"
// for an empty selection, the error with `seccion` for a failing query).
bool PrepararArticulos(Aplicacion& app, bool ok, Informe& informe, const std::string& seccion);
bool PrepararCatalogo(Aplicacion& app, const std::string& catalogo, Informe& informe, const std::string& seccion);

// Tab-separated text: the summary lines (if any) and an empty line, the
// captions, then one line per row with the second line as the last field.
void EscribirTexto(const Informe& informe, std::ostream& salida);

// An .xlsx workbook: one sheet, the captions as a frozen, filtered header row,
// numbers as numbers with the patterns as cell formats, the second line as the
// last column, columns fitted to their texts. A file that cannot be written
// raises an AppError naming it.
void EscribirXlsx(const Informe& informe, const std::string& ruta);

} // namespace Reportes
