#include "reports/gui/frmReporte.h"

#include "comun/Operador.h"
#include "platform/AppError.h"

#include "controls/gui/Ventana.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

// The page on a grey desk, scaled to fit; only the page shown is drawn.
class frmReporte::Vista : public QWidget {
public:
    explicit Vista(frmReporte& f) : QWidget(&f), m_f(f) {
        setObjectName("vistaPagina");
        setMinimumSize(160, 120);
    }
    void Invalidar() {
        m_cache = QImage();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(128, 128, 128));
        const QSizeF hoja = m_f.reporte().Pagina().fullRectPoints().size();
        const double escala = std::min((width() - 24) / hoja.width(), (height() - 24) / hoja.height());
        if (escala <= 0)
            return;
        const int ancho = static_cast<int>(hoja.width() * escala);
        if (m_cache.isNull() || m_ancho != ancho || m_pagina != m_f.m_actual) {
            m_cache = m_f.Imagen(m_f.m_actual, ancho);
            m_pagina = m_f.m_actual;
            m_ancho = ancho;
        }
        const QPoint origen((width() - m_cache.width()) / 2, (height() - m_cache.height()) / 2);
        p.fillRect(QRect(origen + QPoint(4, 4), m_cache.size()), QColor(60, 60, 60));
        p.drawImage(origen, m_cache);
    }

private:
    frmReporte& m_f;
    QImage m_cache;
    int m_pagina = -1, m_ancho = 0;
};

frmReporte::frmReporte(Reportes::Informe informe, Operador& op, QWidget* parent)
    : QDialog(parent), m_informe(std::make_unique<Reportes::Informe>(std::move(informe))),
      m_reporte(std::make_unique<Reporte>(*m_informe)), m_op(op) {
    setObjectName("Reporte");
    Ventana::Recordar(this);
    setWindowTitle(Q(m_informe->Titulo));
    auto boton = [this](const char* nombre, const QString& texto) {
        auto* b = new QPushButton(texto, this);
        b->setObjectName(nombre);
        b->setAutoDefault(true);
        return b;
    };
    m_cmdPrimera = boton("cmdPrimera", "|<");
    m_cmdAnterior = boton("cmdAnterior", "<");
    m_cmdSiguiente = boton("cmdSiguiente", ">");
    m_cmdUltima = boton("cmdUltima", ">|");
    m_lbPagina = new QLabel(this);
    m_lbPagina->setObjectName("lbPagina");
    m_cmdOrientacion = boton("cmdOrientacion", "Vertical");
    auto* cmdPagina = boton("cmdPagina", "Página...");
    auto* cmdImprimir = boton("cmdImprimir", "Imprimir...");
    auto* cmdPdf = boton("cmdExportarPdf", "Exportar PDF");
    auto* cmdExcel = boton("cmdExportarExcel", "Exportar Excel");
    auto* cmdCerrar = boton("cmdCerrar", "Cerrar");
    for (QPushButton* b : {m_cmdPrimera, m_cmdAnterior, m_cmdSiguiente, m_cmdUltima})
        b->setMaximumWidth(40);

    connect(m_cmdPrimera, &QPushButton::clicked, this, [this] { IrAPagina(0); });
    connect(m_cmdAnterior, &QPushButton::clicked, this, [this] { IrAPagina(m_actual - 1); });
    connect(m_cmdSiguiente, &QPushButton::clicked, this, [this] { IrAPagina(m_actual + 1); });
    connect(m_cmdUltima, &QPushButton::clicked, this, [this] { IrAPagina(m_reporte->Paginas() - 1); });
    connect(m_cmdOrientacion, &QPushButton::clicked, this, &frmReporte::CambiarOrientacion);
    connect(cmdPagina, &QPushButton::clicked, this, &frmReporte::ConfigurarPagina);
    connect(cmdImprimir, &QPushButton::clicked, this, &frmReporte::Imprimir);
    connect(cmdPdf, &QPushButton::clicked, this, &frmReporte::ExportarPdf);
    connect(cmdExcel, &QPushButton::clicked, this, &frmReporte::ExportarExcel);
    connect(cmdCerrar, &QPushButton::clicked, this, &QDialog::close);

    // The window's keys, also while a button has the focus.
    auto tecla = [this](const char* nombre, const QList<QKeySequence>& teclas, auto accion) {
        auto* a = new QAction(this);
        a->setObjectName(nombre);
        a->setShortcuts(teclas);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, accion);
        addAction(a);
        return a;
    };
    tecla("accImprimir", {QKeySequence(Qt::CTRL | Qt::Key_P)}, [this] { Imprimir(); });
    tecla("accExportarPdf", {QKeySequence(Qt::CTRL | Qt::Key_E)}, [this] { ExportarPdf(); });
    tecla("accExportarExcel", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E)}, [this] { ExportarExcel(); });
    // Ctrl++ whether "+" is typed with Shift or on the keypad; Ctrl+= where it shares the key.
    tecla("accAcercar",
          {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus),
           QKeySequence(Qt::CTRL | Qt::Key_Equal)},
          [this] { Acercar(true); });
    tecla("accAlejar", {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, [this] { Acercar(false); });
    tecla("accZoomPagina", {QKeySequence(Qt::CTRL | Qt::Key_0)}, [this] { FijarZoom(1.0); });
    cmdImprimir->setToolTip("Imprimir [Ctrl+P]");
    cmdPdf->setToolTip("Exportar PDF [Ctrl+E]");
    cmdExcel->setToolTip("Exportar Excel [Ctrl+Shift+E]");
    m_lbZoom = new QLabel(this);
    m_lbZoom->setObjectName("lbZoom");
    m_lbZoom->setToolTip("[Ctrl++] Acercar  [Ctrl+-] Alejar  [Ctrl+0] Página entera");

    auto* barra = new QHBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_cmdPrimera, m_cmdAnterior, m_lbPagina, m_cmdSiguiente, m_cmdUltima})
        barra->addWidget(w);
    barra->addSpacing(16);
    barra->addWidget(m_cmdOrientacion);
    barra->addWidget(cmdPagina);
    barra->addSpacing(16);
    barra->addWidget(m_lbZoom);
    barra->addStretch(1);
    for (QWidget* w : std::initializer_list<QWidget*>{cmdImprimir, cmdPdf, cmdExcel, cmdCerrar})
        barra->addWidget(w);
    m_vista = new Vista(*this);
    // The page fits the window at 100 %; zoomed, the desk scrolls.
    m_mesa = new QScrollArea(this);
    m_mesa->setObjectName("mesa");
    m_mesa->setAlignment(Qt::AlignCenter);
    m_mesa->setBackgroundRole(QPalette::Dark);
    m_mesa->setWidget(m_vista);
    m_mesa->setWidgetResizable(true);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(6, 6, 6, 6);
    l->addLayout(barra);
    l->addWidget(m_mesa, 1);
    resize(1100, 800);
    Actualizar();
}

frmReporte::~frmReporte() = default;

void frmReporte::Acercar(bool acercar) {
    static constexpr double kPasos[] = {0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};
    double nuevo = m_zoom;
    if (acercar) {
        for (double p : kPasos)
            if (p > m_zoom + 1e-9) {
                nuevo = p;
                break;
            }
    } else {
        for (double p : kPasos)
            if (p < m_zoom - 1e-9)
                nuevo = p;
    }
    FijarZoom(nuevo);
}

void frmReporte::FijarZoom(double zoom) {
    m_zoom = std::clamp(zoom, 0.5, 4.0);
    if (m_zoom == 1.0) {
        m_mesa->setWidgetResizable(true);
    } else {
        m_mesa->setWidgetResizable(false);
        m_vista->resize((QSizeF(m_mesa->viewport()->size()) * m_zoom).toSize());
    }
    m_lbZoom->setText(QStringLiteral("Zoom %1 %").arg(qRound(m_zoom * 100)));
    m_vista->Invalidar();
}

void frmReporte::Actualizar() {
    const int n = m_reporte->Paginas();
    m_actual = std::clamp(m_actual, 0, n - 1);
    m_lbPagina->setText(QStringLiteral("Pagina %1 de %2").arg(m_actual + 1).arg(n));
    m_cmdPrimera->setEnabled(m_actual > 0);
    m_cmdAnterior->setEnabled(m_actual > 0);
    m_cmdSiguiente->setEnabled(m_actual < n - 1);
    m_cmdUltima->setEnabled(m_actual < n - 1);
    m_cmdOrientacion->setText(m_reporte->Pagina().orientation() == QPageLayout::Landscape ? "Vertical" : "Horizontal");
    m_lbZoom->setText(QStringLiteral("Zoom %1 %").arg(qRound(m_zoom * 100)));
    m_vista->Invalidar();
}

void frmReporte::IrAPagina(int pagina) {
    m_actual = pagina;
    Actualizar();
}

void frmReporte::CambiarPagina(const QPageLayout& pagina) {
    // Keep the same first row in sight after the rows move to other pages.
    const size_t fila = m_reporte->PrimeraFila(m_actual);
    m_reporte->Paginar(pagina);
    int nueva = 0;
    while (nueva + 1 < m_reporte->Paginas() && m_reporte->PrimeraFila(nueva + 1) <= fila)
        ++nueva;
    m_actual = nueva;
    Actualizar();
}

void frmReporte::CambiarOrientacion() {
    QPageLayout p = m_reporte->Pagina();
    p.setOrientation(p.orientation() == QPageLayout::Landscape ? QPageLayout::Portrait : QPageLayout::Landscape);
    CambiarPagina(p);
}

void frmReporte::PrepararImpresora(QPrinter& impresora) const {
    // The report keeps its own margins: the device draws from the paper's corner.
    impresora.setFullPage(true);
    impresora.setPageLayout(
        QPageLayout(m_reporte->Pagina().pageSize(), m_reporte->Pagina().orientation(), QMarginsF()));
    impresora.setDocName(Q(m_informe->Titulo));
}

void frmReporte::ConfigurarPagina() {
    QPrinter impresora(QPrinter::HighResolution);
    PrepararImpresora(impresora);
    QPageSetupDialog d(&impresora, this);
    if (d.exec() == QDialog::Accepted)
        CambiarPagina(impresora.pageLayout());
}

void frmReporte::Imprimir() {
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        m_op.MsgBox("No hay ninguna impresora instalada. El reporte puede exportarse a PDF o a Excel.",
                    Operador::Icono::Exclamacion);
        return;
    }
    QPrinter impresora(QPrinter::HighResolution);
    PrepararImpresora(impresora);
    impresora.setFromTo(1, m_reporte->Paginas());
    QPrintDialog d(&impresora, this);
    d.setMinMax(1, m_reporte->Paginas());
    if (d.exec() != QDialog::Accepted)
        return;
    // The page chosen in the printer's dialog is the one printed, and previewed from now on.
    const QPageLayout elegida = impresora.pageLayout();
    if (!(elegida.pageSize().isEquivalentTo(m_reporte->Pagina().pageSize()) &&
          elegida.orientation() == m_reporte->Pagina().orientation()))
        CambiarPagina(QPageLayout(elegida.pageSize(), elegida.orientation(), QMarginsF()));
    impresora.setFullPage(true);
    int desde = 1, hasta = m_reporte->Paginas();
    if (impresora.printRange() == QPrinter::PageRange) {
        desde = std::max(1, impresora.fromPage());
        hasta = std::min(hasta, impresora.toPage());
    } else if (impresora.printRange() == QPrinter::CurrentPage) {
        desde = hasta = m_actual + 1;
    }
    QPainter p;
    if (!p.begin(&impresora)) {
        m_op.MsgBox("No se pudo comenzar la impresión en " + impresora.printerName().toStdString() + ".",
                    Operador::Icono::Critico);
        return;
    }
    m_op.PunteroEspera(true);
    for (int i = desde; i <= hasta; ++i) {
        if (i > desde)
            impresora.newPage();
        m_reporte->PintarPagina(p, impresora, i - 1);
    }
    p.end();
    m_op.PunteroEspera(false);
}

std::string frmReporte::Sugerido(const char* extension) const {
    std::string nombre = m_informe->Titulo + " " + m_informe->Identidad.substr(0, m_informe->Identidad.find(" - "));
    for (char& c : nombre)
        if (c == ' ' || c == '/' || c == '\\' || c == ':')
            c = '-';
    return nombre + extension;
}

bool frmReporte::ExportarPdf() {
    const std::string ruta = m_op.ElegirArchivo("Exportar PDF", "Documento PDF (*.pdf)", true, Sugerido(".pdf"));
    if (ruta.empty())
        return false;
    try {
        m_op.PunteroEspera(true);
        m_reporte->EscribirPdf(Q(ruta));
        m_op.PunteroEspera(false);
    } catch (...) {
        m_op.PunteroEspera(false);
        m_op.MsgBox(AppError::Actual().Mensaje() + " - seccion [Quelvorin.Reporte.ExportarPdf]",
                    Operador::Icono::Critico);
        return false;
    }
    m_op.MsgBox("Reporte guardado en " + ruta, Operador::Icono::Informacion);
    return true;
}

bool frmReporte::ExportarExcel() {
    const std::string ruta = m_op.ElegirArchivo("Exportar Excel", "Libro de Excel (*.xlsx)", true, Sugerido(".xlsx"));
    if (ruta.empty())
        return false;
    try {
        m_op.PunteroEspera(true);
        Reportes::EscribirXlsx(*m_informe, ruta);
        m_op.PunteroEspera(false);
    } catch (...) {
        m_op.PunteroEspera(false);
        m_op.MsgBox(AppError::Actual().Mensaje() + " - seccion [Quelvorin.Reporte.ExportarExcel]",
                    Operador::Icono::Critico);
        return false;
    }
    m_op.MsgBox("Reporte guardado en " + ruta, Operador::Icono::Informacion);
    return true;
}

QImage frmReporte::Imagen(int pagina, int ancho) const {
    const QSizeF hoja = m_reporte->Pagina().fullRectPoints().size();
    // The image's resolution is what makes the page `ancho` pixels wide.
    const int dpi = std::max(10, static_cast<int>(72.0 * ancho / hoja.width()));
    QImage img(static_cast<int>(std::lround(hoja.width() * dpi / 72.0)),
               static_cast<int>(std::lround(hoja.height() * dpi / 72.0)), QImage::Format_RGB32);
    const int dpm = static_cast<int>(std::lround(dpi / 0.0254));
    img.setDotsPerMeterX(dpm);
    img.setDotsPerMeterY(dpm);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    m_reporte->PintarPagina(p, img, pagina);
    return img;
}

void frmReporte::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_PageDown:
        IrAPagina(m_actual + 1);
        return;
    case Qt::Key_PageUp:
        IrAPagina(m_actual - 1);
        return;
    case Qt::Key_Home:
        IrAPagina(0);
        return;
    case Qt::Key_End:
        IrAPagina(m_reporte->Paginas() - 1);
        return;
    default:
        QDialog::keyPressEvent(e);
    }
}
