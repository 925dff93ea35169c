// Commands of the runner for the reports: reporte, catalogo.
#include "app/Consola.h"
#include "app/OperadorConsola.h"
#include "comun/Aplicacion.h"
#include "platform/AppError.h"
#include "platform/Idioma.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"
#include "reports/Informe.h"
#include "reports/Reporte.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace Consola {

namespace {

// Writes the requested files, or the rows as text when none is asked for.
int Entregar(Contexto& c, const Reportes::Informe& inf, const std::string& pdf, const std::string& xlsx) {
    if (pdf.empty() && xlsx.empty()) {
        Reportes::EscribirTexto(inf, *c.Out);
        return 0;
    }
    try {
        if (!xlsx.empty()) {
            Reportes::EscribirXlsx(inf, xlsx);
            *c.Err << "Reporte guardado en " << xlsx << "\n";
        }
        if (!pdf.empty()) {
            // Pages are drawn with fonts, which need a GUI application; the
            // offscreen platform keeps this command free of a display.
            std::unique_ptr<QGuiApplication> qt;
            static int argc = 3;
            static char arg0[] = "velmarion-cli", arg1[] = "-platform", arg2[] = "offscreen";
            static char* argv[] = {arg0, arg1, arg2, nullptr};
            if (!QGuiApplication::instance()) {
                qt = std::make_unique<QGuiApplication>(argc, argv);
                InstalarTraduccionesQt();
            }
            Reporte reporte(inf);
            reporte.EscribirPdf(QString::fromStdString(pdf));
            *c.Err << "Reporte guardado en " << pdf << " (" << reporte.Paginas() << " paginas)\n";
        }
    } catch (...) {
        AppError e = AppError::Actual();
        c.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin.Reportes]", Operador::Icono::Critico);
        return 1;
    }
    return 0;
}

// A file option given with an empty name is a mistake, not a request for text.
std::string ArchivoDe(Contexto& c, const std::string& opcion, const std::string& uso) {
    const bool dada = std::find(c.Args.begin(), c.Args.end(), opcion) != c.Args.end();
    std::string ruta = c.Opcion(opcion);
    if (dada && Trim(ruta).empty())
        throw UsoIncorrecto(opcion + " espera el nombre de un archivo: " + uso);
    return ruta;
}

} // namespace

int CmdReporte(Contexto& c) {
    const std::string uso = "reporte INTNRO [--ok] [--pdf FILE] [--xlsx FILE]";
    const bool ok = c.Bandera("--ok");
    const std::string pdf = ArchivoDe(c, "--pdf", uso), xlsx = ArchivoDe(c, "--xlsx", uso);
    c.Exigir(1, uso);
    Aplicacion app;
    if (!c.Arrancar(app))
        return 1;
    Recordset rs;
    app.Db.Sql(SentenciaSql("select INTNRO from INTN where INTNRO = ").Texto(c.Args[0]));
    if (!app.Db.CrearRs(rs)) {
        c.Op->MsgBox("No existe el interno " + c.Args[0] + ".", Operador::Icono::Exclamacion);
        return 1;
    }
    app.InternoActual = rs.Fields("INTNRO").Texto();
    Reportes::Informe inf;
    if (!Reportes::PrepararArticulos(app, ok, inf, ok ? "FRAM3_cmdRepOK_Click" : "FRAM3_cmdRepErr_Click"))
        return 1;
    return Entregar(c, inf, pdf, xlsx);
}

int CmdCatalogo(Contexto& c) {
    const std::string uso = "catalogo [--pdf FILE] [--xlsx FILE]";
    const std::string pdf = ArchivoDe(c, "--pdf", uso), xlsx = ArchivoDe(c, "--xlsx", uso);
    c.Exigir(0, uso);
    Aplicacion app;
    if (!c.Arrancar(app))
        return 1;
    Reportes::Informe inf;
    try {
        inf = Reportes::RevisionCatalogo(app, app.Config.INTCAT);
    } catch (...) {
        AppError e = AppError::Actual();
        c.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin.RevisarCatalogo]", Operador::Icono::Critico);
        return 1;
    }
    // A healthy catalog is the whole work done.
    if (inf.Vacio()) {
        c.Op->MsgBox("El catálogo " + app.Config.INTCAT + " no tiene articulos con errores.",
                     Operador::Icono::Informacion);
        return 0;
    }
    return Entregar(c, inf, pdf, xlsx);
}

} // namespace Consola
