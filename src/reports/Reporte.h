#pragma once
#include "reports/Informe.h"

#include <QFont>
#include <QPageLayout>
#include <QRawFont>
#include <QString>

#include <vector>

class QPainter;
class QPaintDevice;

// The report layout `Reporte`: page header (title and identity, group
// captions, two rules, the column captions on light grey), one detail band per
// row with its second line wrapped over the full width, and the footer
// "Pagina N de M". One code lays out and draws every page, whatever the device
// (preview image, printer, PDF), so they never disagree: the layout is worked
// out in points once, and each device only scales it.
class Reporte {
public:
    explicit Reporte(const Reportes::Informe& informe);

    // Lays the rows out on pages of this size and orientation (the margins of
    // the layout are ignored: the report keeps its own). Only heights are
    // measured here; pages are drawn when asked for.
    void Paginar(const QPageLayout& pagina);
    const QPageLayout& Pagina() const { return m_pagina; }
    int Paginas() const { return static_cast<int>(m_inicios.size()); }
    // First row of a page (0-based) and the row after its last.
    size_t PrimeraFila(int pagina) const { return m_inicios[static_cast<size_t>(pagina)]; }
    size_t FinDeFilas(int pagina) const;

    // Draws page `pagina` (0-based) with the painter open on `dispositivo`,
    // whose origin is the paper's top-left corner.
    void PintarPagina(QPainter& p, const QPaintDevice& dispositivo, int pagina) const;

    // Writes every page to a PDF file; an AppError when it cannot be written.
    void EscribirPdf(const QString& ruta) const;

    // The lines a second-line text takes at the given width, in points.
    std::vector<QString> Partir(const QString& texto, double ancho) const;

private:
    double AltoFila(size_t fila) const;
    double AltoEncabezado(int pagina) const;
    int SeccionDe(size_t fila) const; // index into Secciones, -1 when none

    const Reportes::Informe& m_inf;
    QPageLayout m_pagina;
    QFont m_letra, m_negrita, m_titulo;
    QRawFont m_raw;                        // the detail font, for drawing glyphs directly
    double m_linea = 0, m_lineaTitulo = 0; // line heights in points
    double m_ancho = 0, m_alto = 0;        // the usable area in points
    std::vector<double> m_x;               // left edge of every column, and the right edge of the last
    std::vector<size_t> m_inicios;         // first row of every page
};
