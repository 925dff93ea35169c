#include "reports/Reporte.h"

#include "platform/AppError.h"
#include "reports/ArchivoExportado.h"

#include <QFile>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace {

constexpr double kMargen = 28;     // about 10 mm on every side
constexpr double kPie = 16;        // footer band
constexpr double kEspacioFila = 3; // between two detail bands
constexpr double kSangria = 14;    // the second line starts a little in
constexpr double kRelleno = 2;     // inside a column, on either side

// Layout is measured on this device, in tenths of a point, whatever device
// draws it later: a page break never depends on the screen or the printer.
const QPaintDevice& Referencia() {
    static QImage imagen = [] {
        QImage i(8, 8, QImage::Format_RGB32);
        i.setDotsPerMeterX(28346); // 720 dpi
        i.setDotsPerMeterY(28346);
        return i;
    }();
    return imagen;
}

double Puntos(double decimas) {
    return decimas / 10.0;
}

int Alinear(Reportes::Alineacion a) {
    switch (a) {
    case Reportes::Alineacion::Derecha:
        return Qt::AlignRight | Qt::AlignVCenter;
    case Reportes::Alineacion::Centro:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

QFont Letra(double puntos, bool negrita) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setPointSizeF(puntos);
    f.setBold(negrita);
    return f;
}

} // namespace

Reporte::Reporte(const Reportes::Informe& informe)
    : m_inf(informe), m_letra(Letra(7.5, false)), m_negrita(Letra(7.5, true)), m_titulo(Letra(10, true)) {
    m_linea = Puntos(QFontMetricsF(m_letra, &Referencia()).height()) + 1;
    m_lineaTitulo = Puntos(QFontMetricsF(m_titulo, &Referencia()).height()) + 2;
    m_raw = QRawFont::fromFont(m_letra);
    m_raw.setPixelSize(m_letra.pointSizeF()); // the painter draws in points
    Paginar(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF()));
}

size_t Reporte::FinDeFilas(int pagina) const {
    size_t i = static_cast<size_t>(pagina) + 1;
    return i < m_inicios.size() ? m_inicios[i] : m_inf.Filas.size();
}

int Reporte::SeccionDe(size_t fila) const {
    const auto& s = m_inf.Secciones;
    auto it =
        std::upper_bound(s.begin(), s.end(), fila, [](size_t f, const Reportes::Seccion& x) { return f < x.Desde; });
    return it == s.begin() ? -1 : static_cast<int>(it - s.begin()) - 1;
}

std::vector<QString> Reporte::Partir(const QString& texto, double ancho) const {
    QFontMetricsF fm(m_letra, &Referencia());
    const double limite = ancho * 10;
    if (fm.horizontalAdvance(texto) <= limite)
        return {texto};
    // Greedy, breaking after a blank or a suffix's closing "-"; a piece with no
    // such place is cut where it reaches the edge.
    std::vector<QString> lineas;
    qsizetype inicio = 0;
    const qsizetype n = texto.size();
    while (inicio < n) {
        double w = 0;
        qsizetype j = inicio, corte = -1;
        for (; j < n; ++j) {
            w += fm.horizontalAdvance(texto[j]);
            if (w > limite)
                break;
            if (texto[j] == u' ' || texto[j] == u'-')
                corte = j + 1;
        }
        qsizetype fin = j >= n ? n : (corte > inicio ? corte : std::max(j, inicio + 1));
        lineas.push_back(texto.mid(inicio, fin - inicio).trimmed());
        inicio = fin;
        while (inicio < n && texto[inicio] == u' ')
            ++inicio;
    }
    return lineas;
}

double Reporte::AltoFila(size_t fila) const {
    const std::string& s = m_inf.Filas[fila].Segunda;
    size_t lineas = s.empty() ? 1 : Partir(QString::fromStdString(s), m_ancho - kSangria).size();
    return m_linea * static_cast<double>(1 + lineas) + kEspacioFila;
}

double Reporte::AltoEncabezado(int pagina) const {
    double alto = m_lineaTitulo + 2 + m_linea + 2 + m_linea + 4 + 3;
    if (m_inf.Grupos.empty())
        alto -= m_linea + 2;
    if (pagina == 0 && !m_inf.Resumen.empty())
        alto += m_linea * static_cast<double>(m_inf.Resumen.size()) + 6;
    return alto;
}

void Reporte::Paginar(const QPageLayout& pagina) {
    m_pagina = pagina;
    const QRectF papel = pagina.fullRectPoints();
    m_ancho = papel.width() - 2 * kMargen;
    m_alto = papel.height() - 2 * kMargen;
    double total = 0;
    for (const auto& c : m_inf.Columnas)
        total += c.Ancho;
    m_x.assign(1, 0);
    for (const auto& c : m_inf.Columnas)
        m_x.push_back(m_x.back() + m_ancho * c.Ancho / total);

    const double altoSeccion = m_linea + 3;
    const double limite = m_alto - kPie;
    const size_t n = m_inf.Filas.size();
    m_inicios.clear();
    size_t i = 0;
    do {
        const int numero = static_cast<int>(m_inicios.size());
        m_inicios.push_back(i);
        double y = AltoEncabezado(numero);
        int s = i < n ? SeccionDe(i) : -1;
        if (s >= 0 && m_inf.Secciones[static_cast<size_t>(s)].Desde != i)
            y += altoSeccion; // the heading again, continued
        bool primera = true;
        while (i < n) {
            s = SeccionDe(i);
            double h = AltoFila(i) + (s >= 0 && m_inf.Secciones[static_cast<size_t>(s)].Desde == i ? altoSeccion : 0);
            if (!primera && y + h > limite)
                break;
            y += h;
            ++i;
            primera = false;
        }
    } while (i < n);
}

void Reporte::PintarPagina(QPainter& p, const QPaintDevice& dispositivo, int pagina) const {
    const double dpi = dispositivo.logicalDpiY();
    const double k = dpi / 72.0;
    // The painter works in points; fonts are sized so that the device's own
    // resolution and the scale together give their size in points.
    auto enPuntos = [&](QFont f) {
        f.setPointSizeF(f.pointSizeF() * 72.0 / dpi);
        return f;
    };
    const QFont letra = enPuntos(m_letra), negrita = enPuntos(m_negrita), titulo = enPuntos(m_titulo);
    const QFontMetricsF fm(letra, const_cast<QPaintDevice*>(&dispositivo));

    p.save();
    p.scale(k, k);
    p.translate(kMargen, kMargen);
    p.setPen(Qt::black);
    QPen fina(Qt::black, 0.6);

    double y = 0;
    p.setFont(titulo);
    p.drawText(QRectF(0, y, m_ancho, m_lineaTitulo), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromStdString(m_inf.Titulo));
    p.setFont(letra);
    p.drawText(QRectF(0, y, m_ancho, m_lineaTitulo), Qt::AlignRight | Qt::AlignVCenter,
               QString::fromStdString(m_inf.Identidad));
    y += m_lineaTitulo + 2;

    p.setPen(fina);
    if (!m_inf.Grupos.empty()) {
        p.setFont(negrita);
        for (const auto& g : m_inf.Grupos) {
            const double x0 = m_x[g.Desde], x1 = m_x[g.Desde + g.Cuantas];
            p.drawText(QRectF(x0, y, x1 - x0, m_linea), Qt::AlignHCenter | Qt::AlignVCenter,
                       QString::fromStdString(g.Titulo));
            p.drawLine(QPointF(x0 + 2, y + m_linea + 1), QPointF(x1 - 2, y + m_linea + 1));
        }
        y += m_linea + 2;
    } else {
        p.drawLine(QPointF(0, y), QPointF(m_ancho, y));
    }
    const double banda = m_linea + 4;
    p.fillRect(QRectF(0, y, m_ancho, banda), QColor(224, 224, 224));
    p.setFont(letra);
    for (size_t c = 0; c < m_inf.Columnas.size(); ++c) {
        const auto& col = m_inf.Columnas[c];
        p.drawText(QRectF(m_x[c] + kRelleno, y, m_x[c + 1] - m_x[c] - 2 * kRelleno, banda), Alinear(col.Alin),
                   QString::fromStdString(col.Titulo));
    }
    y += banda;
    p.drawLine(QPointF(0, y), QPointF(m_ancho, y));
    y += 3;

    if (pagina == 0 && !m_inf.Resumen.empty()) {
        for (size_t r = 0; r < m_inf.Resumen.size(); ++r) {
            p.setFont(r == 0 ? negrita : letra);
            p.drawText(QRectF(0, y, m_ancho, m_linea), Qt::AlignLeft | Qt::AlignVCenter,
                       QString::fromStdString(m_inf.Resumen[r]));
            y += m_linea;
        }
        y += 6;
    }

    const double altoSeccion = m_linea + 3;
    auto encabezadoSeccion = [&](int s, bool continua) {
        p.setFont(negrita);
        QString t = QString::fromStdString(m_inf.Secciones[static_cast<size_t>(s)].Titulo);
        if (continua)
            t += QStringLiteral(" (continúa)");
        p.drawText(QRectF(0, y, m_ancho, m_linea), Qt::AlignLeft | Qt::AlignVCenter, t);
        y += altoSeccion;
    };
    const size_t desde = PrimeraFila(pagina), hasta = FinDeFilas(pagina);
    if (desde < hasta) {
        int s = SeccionDe(desde);
        if (s >= 0 && m_inf.Secciones[static_cast<size_t>(s)].Desde != desde)
            encabezadoSeccion(s, true);
    }
    const QColor gris(70, 70, 70);
    // Detail text goes straight to glyphs, aligned by their advances: shaping
    // and laying out every cell would cost more than everything else in a PDF
    // of thousands of pages, and these texts need neither.
    const double base = (m_linea - fm.height()) / 2 + fm.ascent();
    QList<QPointF> posiciones;
    auto glifos = [&](const QString& t, QGlyphRun& run) {
        const QList<quint32> indices = m_raw.glyphIndexesForString(t);
        const QList<QPointF> avances = m_raw.advancesForGlyphIndexes(indices);
        posiciones.resize(indices.size());
        double x = 0;
        for (qsizetype i = 0; i < indices.size(); ++i) {
            posiciones[i] = QPointF(x, 0);
            x += avances[i].x();
        }
        run.setRawFont(m_raw);
        run.setGlyphIndexes(indices);
        run.setPositions(posiciones);
        return x;
    };
    for (size_t i = desde; i < hasta; ++i) {
        const auto& f = m_inf.Filas[i];
        int s = SeccionDe(i);
        if (s >= 0 && m_inf.Secciones[static_cast<size_t>(s)].Desde == i)
            encabezadoSeccion(s, false);
        p.setFont(letra);
        p.setPen(Qt::black);
        for (size_t c = 0; c < f.Textos.size(); ++c) {
            if (f.Textos[c].empty())
                continue;
            const double w = m_x[c + 1] - m_x[c] - 2 * kRelleno;
            QString t = QString::fromStdString(f.Textos[c]);
            QGlyphRun run;
            double ancho = glifos(t, run);
            if (ancho > w)
                ancho = glifos(fm.elidedText(t, Qt::ElideRight, w), run);
            double x = m_x[c] + kRelleno;
            if (m_inf.Columnas[c].Alin == Reportes::Alineacion::Derecha)
                x += w - ancho;
            else if (m_inf.Columnas[c].Alin == Reportes::Alineacion::Centro)
                x += (w - ancho) / 2;
            p.drawGlyphRun(QPointF(x, y + base), run);
        }
        y += m_linea;
        p.setPen(gris);
        if (f.Segunda.empty()) {
            y += m_linea;
        } else {
            for (const QString& l : Partir(QString::fromStdString(f.Segunda), m_ancho - kSangria)) {
                QGlyphRun run;
                glifos(l, run);
                p.drawGlyphRun(QPointF(kSangria, y + base), run);
                y += m_linea;
            }
        }
        y += kEspacioFila;
    }

    p.setPen(Qt::black);
    p.setFont(letra);
    p.drawText(QRectF(0, m_alto - kPie, m_ancho, kPie), Qt::AlignHCenter | Qt::AlignBottom,
               QStringLiteral("Pagina %1 de %2").arg(pagina + 1).arg(Paginas()));
    p.restore();
}

void Reporte::EscribirPdf(const QString& ruta) const {
    Reportes::ArchivoExportado archivo(ruta.toStdString());
    auto fallar = [&](const std::string& que, const QString& porque) {
        throw AppError(75, "Reporte.EscribirPdf",
                       "No se pudo " + que + " el archivo " + ruta.toStdString() + ": " + porque.toStdString() + ".");
    };
    // Our own file: the writer's device tells whether every byte was taken.
    QFile salida(QString::fromStdString(archivo.Destino()));
    if (!salida.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fallar("escribir", salida.errorString());
    {
        QPdfWriter pdf(&salida);
        pdf.setPageLayout(QPageLayout(m_pagina.pageSize(), m_pagina.orientation(), QMarginsF()));
        pdf.setTitle(QString::fromStdString(m_inf.Titulo));
        pdf.setCreator(QStringLiteral("Velmarion"));
        QPainter p;
        if (!p.begin(&pdf))
            fallar("escribir", salida.errorString());
        for (int i = 0; i < Paginas(); ++i) {
            if (i > 0)
                pdf.newPage();
            PintarPagina(p, pdf, i);
        }
        if (!p.end())
            fallar("terminar", salida.errorString());
    }
    if (salida.error() != QFileDevice::NoError || !salida.flush())
        fallar("escribir", salida.errorString());
    salida.close();
    if (salida.error() != QFileDevice::NoError)
        fallar("escribir", salida.errorString());
    archivo.Terminar("%%EOF");
}
