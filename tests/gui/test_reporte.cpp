// The report layout and its preview window: pagination by measured height,
// wrapping of a long second line, orientation, and the exports with a path
// that cannot be written.
#include "Entorno.h"
#include "Ventanas.h"
#include "app/gui/frmMain.h"
#include "reports/Informe.h"
#include "reports/Reporte.h"
#include "reports/gui/frmReporte.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>

namespace {

Reportes::Informe Ejemplo(int filas, int largasCada) {
    Reportes::Informe inf;
    inf.Titulo = "Prueba";
    inf.Identidad = "Interno 1 - hoy";
    inf.Columnas = Reportes::ColumnasArticulos();
    inf.Grupos = {{"Desde Archivo", 0, 6}, {"Proceso o Depuración", 6, 8}};
    inf.TituloSegunda = "Sufijos";
    std::string largo;
    for (int i = 0; i < 60; ++i)
        largo += "AB(VALOR " + std::to_string(i) + ")-";
    for (int i = 0; i < filas; ++i) {
        Reportes::Fila f;
        f.Textos.assign(inf.Columnas.size(), "x");
        f.Textos[0] = "A" + std::to_string(i);
        f.Numeros.assign(4, 1.0);
        f.Segunda = largasCada && i % largasCada == 0 ? largo : "AA(MARCA)-";
        inf.Filas.push_back(std::move(f));
    }
    return inf;
}

// Pages cover every row once, in order, each page holding at least one row.
void Cubre(const Reporte& r, size_t filas) {
    size_t siguiente = 0;
    for (int p = 0; p < r.Paginas(); ++p) {
        EXPECT_EQ(r.PrimeraFila(p), siguiente) << "pagina " << p;
        EXPECT_GT(r.FinDeFilas(p), r.PrimeraFila(p)) << "pagina " << p;
        siguiente = r.FinDeFilas(p);
    }
    EXPECT_EQ(siguiente, filas);
}

} // namespace

TEST(Reporte, PaginaPorAlturaMedida) {
    const Reportes::Informe cortas = Ejemplo(300, 0), largas = Ejemplo(300, 2);
    Reporte a(cortas), b(largas);
    Cubre(a, 300);
    Cubre(b, 300);
    // Rows whose second line wraps take more room: more pages for the same rows.
    EXPECT_GT(b.Paginas(), a.Paginas());
    const int horizontal = a.Paginas();
    a.Paginar(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    Cubre(a, 300);
    EXPECT_LT(a.Paginas(), horizontal); // a taller page holds more rows

    // The wrapped text loses nothing and every line fits the width.
    const QString texto = QString::fromStdString(largas.Filas[0].Segunda);
    const auto lineas = b.Partir(texto, 300);
    EXPECT_GT(lineas.size(), 3u);
    QString junto;
    for (const QString& l : lineas)
        junto += l;
    EXPECT_EQ(junto.remove(u' '), QString(texto).remove(u' ')); // blanks at a break are dropped
    // A word longer than the line is cut, never left to overflow.
    const auto cortado = b.Partir(QString(400, u'W'), 100);
    EXPECT_GT(cortado.size(), 1u);
    EXPECT_EQ(cortado.front().size() + cortado.back().size() <= 400, true);

    Reportes::Informe vacio = Ejemplo(0, 0);
    Reporte c(vacio);
    EXPECT_EQ(c.Paginas(), 1); // an empty report is still one page, never zero
}

TEST(Reporte, VistaPreviaYExportaciones) {
    EntornoPrueba e;
    OperadorVentanas op;
    frmReporte d(Ejemplo(200, 3), op);
    d.show();
    auto* pagina = d.findChild<QLabel*>("lbPagina");
    ASSERT_NE(pagina, nullptr);
    const int n = d.reporte().Paginas();
    EXPECT_EQ(pagina->text(), QString("Pagina 1 de %1").arg(n));
    d.findChild<QPushButton*>("cmdUltima")->click();
    EXPECT_EQ(pagina->text(), QString("Pagina %1 de %1").arg(n));
    EXPECT_FALSE(d.findChild<QPushButton*>("cmdSiguiente")->isEnabled());
    // The page is drawn on demand and is not blank.
    QImage img = d.Imagen(0, 600);
    EXPECT_NEAR(img.width(), 600, 10); // whole dots per inch
    EXPECT_NE(img.pixelColor(img.width() / 2, img.height() / 10), img.pixelColor(2, 2));

    d.findChild<QPushButton*>("cmdOrientacion")->click();
    EXPECT_EQ(d.reporte().Pagina().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(pagina->text().endsWith(QString(" de %1").arg(d.reporte().Paginas())), true);

    // A path that cannot be written: a message, the window stays, and the next try works.
    const auto carpeta = e.Home / "no-existe";
    for (const char* boton : {"cmdExportarPdf", "cmdExportarExcel"}) {
        op.OlvidarMensajes();
        op.SiguienteArchivo((carpeta / "r").string());
        d.findChild<QPushButton*>(boton)->click();
        ASSERT_EQ(op.Mensajes().size(), 1u) << boton;
        EXPECT_EQ(op.Mensajes()[0].Icon, Operador::Icono::Critico) << boton;
        EXPECT_NE(op.Mensajes()[0].Texto.find("No se pudo"), std::string::npos) << op.Mensajes()[0].Texto;
        EXPECT_TRUE(d.isVisible());
        const std::string ruta = (e.Home / (std::string(boton) + ".salida")).string();
        op.SiguienteArchivo(ruta);
        d.findChild<QPushButton*>(boton)->click();
        EXPECT_EQ(op.Mensajes().back().Texto, "Reporte guardado en " + ruta);
        EXPECT_GT(std::filesystem::file_size(ruta), 1000u) << boton;
    }
    // Cancelling the file dialog writes nothing and says nothing.
    op.OlvidarMensajes();
    op.SiguienteArchivo("");
    d.findChild<QPushButton*>("cmdExportarPdf")->click();
    EXPECT_TRUE(op.Mensajes().empty());
}

// The preview's keys: exports, and zoom in steps with its limits.
TEST(Reporte, TeclasDeLaVistaPrevia) {
    EntornoPrueba e;
    OperadorVentanas op;
    frmReporte d(Ejemplo(20, 0), op);
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    // Keys reach the window from whatever button has the focus.
    d.findChild<QPushButton*>("cmdCerrar")->setFocus();
    struct Tecla {
        Qt::KeyboardModifiers mod;
        const char* archivo;
    } exportar[] = {{Qt::ControlModifier, "ctrl-e.pdf"},
                    {Qt::ControlModifier | Qt::ShiftModifier, "ctrl-shift-e.xlsx"}};
    for (const Tecla& t : exportar) {
        const std::string ruta = (e.Home / t.archivo).string();
        op.SiguienteArchivo(ruta);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, t.mod);
        ASSERT_TRUE(std::filesystem::exists(ruta)) << t.archivo;
        EXPECT_EQ(op.Mensajes().back().Texto, "Reporte guardado en " + ruta);
    }
    // The PDF is a PDF, the other one a workbook (a zip).
    std::ifstream pdf(e.Home / "ctrl-e.pdf", std::ios::binary), xls(e.Home / "ctrl-shift-e.xlsx", std::ios::binary);
    std::string a(4, '\0'), b(2, '\0');
    pdf.read(a.data(), 4);
    xls.read(b.data(), 2);
    EXPECT_EQ(a, "%PDF");
    EXPECT_EQ(b, "PK");

    auto* zoom = d.findChild<QLabel*>("lbZoom");
    ASSERT_NE(zoom, nullptr);
    EXPECT_EQ(zoom->text(), "Zoom 100 %");
    struct Paso {
        int tecla;
        double zoom;
    } pasos[] = {{Qt::Key_Plus, 1.25},  {Qt::Key_Plus, 1.5},  {Qt::Key_Minus, 1.25}, {Qt::Key_0, 1.0},
                 {Qt::Key_Minus, 0.75}, {Qt::Key_Minus, 0.5}, {Qt::Key_Minus, 0.5}};
    for (const Paso& p : pasos) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(p.tecla), Qt::ControlModifier);
        EXPECT_DOUBLE_EQ(d.Zoom(), p.zoom) << p.tecla;
    }
    EXPECT_EQ(zoom->text(), "Zoom 50 %");
    // Zoomed in, the page is larger than the desk and scrolls.
    d.FijarZoom(2.0);
    EXPECT_GT(d.findChild<QWidget*>("vistaPagina")->width(), d.findChild<QWidget*>("mesa")->width());
    for (int i = 0; i < 6; ++i)
        d.Acercar(true);
    EXPECT_DOUBLE_EQ(d.Zoom(), 4.0);
    // Ctrl+P is the print command (no printer here: it says so).
    op.OlvidarMensajes();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::ControlModifier);
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        ASSERT_EQ(op.Mensajes().size(), 1u);
        EXPECT_EQ(op.Mensajes()[0].Icon, Operador::Icono::Exclamacion);
    }
}

// Step 3's report buttons: the error report is modal, the OK report is not.
TEST(Reporte, BotonesDelPaso3) {
    EntornoPrueba e;
    OperadorVentanas op;
    e.App.Op = &op;
    e.Trabajo("insert into INTN (INTNRO, INTDSC) values ('1002//B','1002//B'),('1003//C','1003//C')");
    e.Trabajo("insert into ART (INTNRO, ARTORD, ARTNRO, PRCEST, PRCCRC) values "
              "('1002//B',1,'X1','A','OK'),('1002//B',2,'X2','A','POS'),('1002//B',3,'X3',NULL,NULL),"
              "('1003//C',1,'Y1','A','OK')");
    frmMain w(e.App, op);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.Iniciar();
    auto* lista = w.findChild<QTreeWidget*>("FRAM1LstInternos");
    ASSERT_NE(lista, nullptr);
    lista->setCurrentItem(lista->topLevelItem(0));
    QTest::keyClick(lista, Qt::Key_Return);
    ASSERT_EQ(e.App.InternoActual, "1002//B");

    int filas = -1;
    CuandoAparezca<frmReporte>([&](frmReporte* d) {
        filas = static_cast<int>(d->reporte().FinDeFilas(d->reporte().Paginas() - 1));
        d->close();
    });
    w.findChild<QPushButton*>("FRAM3_cmdRepErr")->click();
    EXPECT_EQ(filas, 2);

    w.findChild<QPushButton*>("FRAM3_cmdRepOK")->click();
    auto* ok = w.findChild<frmReporte*>();
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isVisible());
    EXPECT_FALSE(ok->isModal());
    EXPECT_EQ(ok->reporte().FinDeFilas(0), 1u);
    ok->close();

    w.cmdVolver_Click();
    lista->setCurrentItem(lista->topLevelItem(1));
    QTest::keyClick(lista, Qt::Key_Return);
    ASSERT_EQ(e.App.InternoActual, "1003//C");
    op.OlvidarMensajes();
    w.findChild<QPushButton*>("FRAM3_cmdRepErr")->click();
    EXPECT_EQ(op.Textos(), std::vector<std::string>{"No hay articulos para mostrar"});
}
