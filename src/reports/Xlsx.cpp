// The workbook export, written with libxlsxwriter.
#include "reports/Informe.h"

#include "reports/ArchivoExportado.h"

#include "platform/AppError.h"
#include "platform/Texto.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>

namespace Reportes {

namespace {

[[noreturn]] void Fallar(const std::string& ruta, const std::string& porque) {
    throw AppError(75, "Reportes.EscribirXlsx", "No se pudo escribir el archivo " + ruta + ": " + porque);
}

} // namespace

void EscribirXlsx(const Informe& informe, const std::string& ruta) {
    // Rows go straight to a temporary file: a large interno never sits in memory twice.
    lxw_workbook_options opciones{};
    opciones.constant_memory = LXW_TRUE;
    ArchivoExportado archivo(ruta);
    lxw_workbook* libro = workbook_new_opt(archivo.Destino().c_str(), &opciones);
    if (!libro)
        Fallar(ruta, "no se pudo crear el libro");
    lxw_worksheet* hoja = workbook_add_worksheet(libro, "Reporte");
    lxw_format* titulo = workbook_add_format(libro);
    format_set_bold(titulo);
    format_set_bg_color(titulo, 0xE0E0E0);
    format_set_border(titulo, LXW_BORDER_THIN);

    const size_t columnas = informe.Columnas.size();
    const bool conSegunda = !informe.TituloSegunda.empty();
    std::vector<lxw_format*> formatos(columnas, nullptr);
    for (size_t c = 0; c < columnas; ++c) {
        const Columna& col = informe.Columnas[c];
        if (col.Patron.empty() && col.Alin == Alineacion::Izquierda)
            continue;
        formatos[c] = workbook_add_format(libro);
        if (!col.Patron.empty())
            format_set_num_format(formatos[c], col.Patron.c_str());
        if (col.Alin == Alineacion::Centro)
            format_set_align(formatos[c], LXW_ALIGN_CENTER);
    }

    // Widths from the longest text of each column, the caption included.
    std::vector<size_t> anchos(columnas + 1, 0);
    for (size_t c = 0; c < columnas; ++c)
        anchos[c] = Len(informe.Columnas[c].Titulo);
    anchos[columnas] = Len(informe.TituloSegunda);
    for (const Fila& f : informe.Filas) {
        for (size_t c = 0; c < columnas; ++c)
            anchos[c] = std::max(anchos[c], f.Textos[c].size() < 80 ? Len(f.Textos[c]) : 80);
        anchos[columnas] = std::max(anchos[columnas], f.Segunda.size() < 80 ? Len(f.Segunda) : 80);
    }
    const size_t total = columnas + (conSegunda ? 1 : 0);
    for (size_t c = 0; c < total; ++c)
        worksheet_set_column(hoja, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                             std::min<double>(static_cast<double>(anchos[c]) + 2, 82), nullptr);

    for (size_t c = 0; c < columnas; ++c)
        worksheet_write_string(hoja, 0, static_cast<lxw_col_t>(c), informe.Columnas[c].Titulo.c_str(), titulo);
    if (conSegunda)
        worksheet_write_string(hoja, 0, static_cast<lxw_col_t>(columnas), informe.TituloSegunda.c_str(), titulo);

    const std::vector<size_t> numericas = informe.ColumnasNumericas();
    lxw_row_t fila = 1;
    for (const Fila& f : informe.Filas) {
        size_t n = 0;
        for (size_t c = 0; c < columnas; ++c) {
            const auto col = static_cast<lxw_col_t>(c);
            if (n < numericas.size() && numericas[n] == c) {
                double v = f.Numeros[n++];
                if (!std::isnan(v))
                    worksheet_write_number(hoja, fila, col, v, formatos[c]);
            } else if (!f.Textos[c].empty()) {
                worksheet_write_string(hoja, fila, col, f.Textos[c].c_str(), formatos[c]);
            }
        }
        if (conSegunda && !f.Segunda.empty())
            worksheet_write_string(hoja, fila, static_cast<lxw_col_t>(columnas), f.Segunda.c_str(), nullptr);
        ++fila;
    }
    worksheet_freeze_panes(hoja, 1, 0);
    worksheet_autofilter(hoja, 0, 0, fila > 1 ? fila - 1 : 1, static_cast<lxw_col_t>(total - 1));

    lxw_error err = workbook_close(libro);
    if (err != LXW_NO_ERROR)
        Fallar(ruta, lxw_strerror(err));
    // A workbook ends with the zip's closing record.
    archivo.Terminar(std::string("PK\x05\x06", 4));
}

} // namespace Reportes
