#pragma once
#include "reports/Informe.h"
#include "reports/Reporte.h"

#include <QDialog>
#include <QImage>

#include <memory>

class Operador;
class QLabel;
class QPrinter;
class QPushButton;
class QScrollArea;

// The print preview of a report: one page at a time, drawn when it is shown
// (a report of thousands of pages opens at once), with page navigation, the
// orientation and page set-up, zoom, printing, and the exports "Exportar PDF"
// and "Exportar Excel" (Ctrl+P, Ctrl+E, Ctrl+Shift+E; Ctrl++ / Ctrl+- zoom).
// Errors are shown in a message box; the window stays usable.
class frmReporte : public QDialog {
    Q_OBJECT
public:
    frmReporte(Reportes::Informe informe, Operador& op, QWidget* parent = nullptr);
    ~frmReporte() override;

    const Reporte& reporte() const { return *m_reporte; }
    void IrAPagina(int pagina);
    // Lays the report out again on another page size or orientation.
    void CambiarPagina(const QPageLayout& pagina);
    void CambiarOrientacion();
    void ConfigurarPagina();
    void Imprimir();
    // Ask for the file and write it; false when cancelled or failed (message shown).
    bool ExportarPdf();
    bool ExportarExcel();
    // Ctrl++ / Ctrl+- : one step of zoom in or out; 1 is the whole page in the window.
    void Acercar(bool acercar);
    void FijarZoom(double zoom);
    double Zoom() const { return m_zoom; }
    // The page as the preview shows it, `ancho` pixels wide.
    QImage Imagen(int pagina, int ancho) const;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    class Vista;
    void Actualizar();
    void PrepararImpresora(QPrinter& impresora) const;
    std::string Sugerido(const char* extension) const;

    std::unique_ptr<Reportes::Informe> m_informe;
    std::unique_ptr<Reporte> m_reporte;
    Operador& m_op;
    int m_actual = 0;
    Vista* m_vista;
    QScrollArea* m_mesa;
    double m_zoom = 1.0;
    QLabel *m_lbPagina, *m_lbZoom;
    QPushButton *m_cmdPrimera, *m_cmdAnterior, *m_cmdSiguiente, *m_cmdUltima, *m_cmdOrientacion;
};
