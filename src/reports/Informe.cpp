#include "reports/Informe.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/AppError.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "platform/Tesmira.h"
#include "platform/Texto.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <functional>
#include <limits>
#include <map>
#include <ostream>

namespace Reportes {

namespace {

using A = Alineacion;

// What a number cell shows: the pattern's text, or nothing for a null.
std::string Celda(const Valor& v, const std::string& patron) {
    if (patron.empty())
        return v.Texto();
    return v.EsNulo() ? std::string() : Formatear(v.Numero(), patron);
}

void Llenar(Informe& inf, Recordset& rs, const std::string& campoSegunda) {
    const std::vector<size_t> numericas = inf.ColumnasNumericas();
    inf.Filas.reserve(static_cast<size_t>(rs.RecordCount()));
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
        Fila f;
        f.Textos.reserve(inf.Columnas.size());
        for (const Columna& c : inf.Columnas)
            f.Textos.push_back(Celda(rs.Fields(c.Campo), c.Patron));
        for (size_t i : numericas) {
            const Valor& v = rs.Fields(inf.Columnas[i].Campo);
            f.Numeros.push_back(v.EsNulo() ? std::numeric_limits<double>::quiet_NaN() : v.Numero());
        }
        if (!campoSegunda.empty())
            f.Segunda = rs.Fields(campoSegunda).Texto();
        inf.Filas.push_back(std::move(f));
    }
}

bool Preparar(Aplicacion& app, Informe& informe, const std::string& seccion, const std::function<Informe()>& armar,
              const std::string& vacio) {
    try {
        app.Op->PunteroEspera(true);
        informe = armar();
        app.Op->PunteroEspera(false);
    } catch (...) {
        app.Op->PunteroEspera(false);
        AppError e = AppError::Actual();
        app.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin." + seccion + "]", Operador::Icono::Critico);
        return false;
    }
    if (informe.Vacio()) {
        app.Op->MsgBox(vacio, Operador::Icono::Informacion);
        return false;
    }
    return true;
}

} // namespace

std::vector<size_t> Informe::ColumnasNumericas() const {
    std::vector<size_t> r;
    for (size_t i = 0; i < Columnas.size(); ++i)
        if (!Columnas[i].Patron.empty())
            r.push_back(i);
    return r;
}

const std::vector<Columna>& ColumnasArticulos() {
    static const std::vector<Columna> columnas = {
        {"Articulo", "ARTNRO", A::Izquierda, "", 105},
        {"Descripcion", "ARTDSC", A::Izquierda, "", 125},
        {"Pais", "ARTORG", A::Izquierda, "", 30},
        {"Cantidad", "ARTCAN", A::Derecha, "00.00", 50},
        {"Unitario", "ARTUNI", A::Derecha, "00.0000", 60},
        {"Total", "ARTTOT", A::Derecha, "00.00", 60},
        {"Posición", "PRCNCM", A::Izquierda, "", 88},
        {"Declar", "PRCDUN", A::Centro, "", 34},
        {"Estadis", "PRCEUN", A::Centro, "", 34},
        {"Estad Cant", "PRCECA", A::Derecha, "00.00", 50},
        {"Merc", "PRCESM", A::Centro, "", 28},
        {"Orig", "PRCORI", A::Centro, "", 28},
        {"Modo", "PRCEST", A::Centro, "", 28},
        {"Estad", "PRCCRC", A::Centro, "", 34},
    };
    return columnas;
}

std::string FechaImpresion() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%d/%m/%Y %H:%M", &tm);
    return buf;
}

Informe ReporteArticulos(Aplicacion& app, bool ok) {
    Informe inf;
    inf.Titulo = ok ? "Registros OK" : "Datos sin Depurar";
    inf.Identidad = "Interno " + app.InternoActual + " - " + FechaImpresion();
    inf.Columnas = ColumnasArticulos();
    inf.Grupos = {{"Desde Archivo", 0, 6}, {"Proceso o Depuración", 6, 8}};
    inf.TituloSegunda = "Sufijos";
    // Only the printed columns: a whole row of a large interno would double the memory.
    std::string campos;
    for (const Columna& c : inf.Columnas)
        campos += c.Campo + ",";
    campos += "PRCSUF";
    Recordset rs;
    app.Db.Sql(SentenciaSql("select ")
                   .Sql(campos)
                   .Sql(" from ART where INTNRO = ")
                   .Texto(app.InternoActual)
                   .Sql(ok ? " and PRCCRC = 'OK' order by ARTORD"
                           : " and (PRCEST = '' or PRCEST IS NULL or PRCCRC <> 'OK' or PRCCRC is null) order by "
                             "PRCEST,PRCCRC,ARTORD"));
    if (app.Db.CrearRs(rs))
        Llenar(inf, rs, "PRCSUF");
    return inf;
}

Informe RevisionCatalogo(Aplicacion& app, const std::string& catalogo) {
    Informe inf;
    inf.Titulo = "Revisión del catálogo";
    inf.Identidad = "Catálogo " + catalogo + " - " + FechaImpresion();
    inf.Columnas = {{"Articulo", "idarticulo", A::Izquierda, "", 90},
                    {"Descripcion", "descripcion", A::Izquierda, "", 170},
                    {"Posición", "ncm", A::Izquierda, "", 90},
                    {"Motivo", "motivo", A::Izquierda, "", 330}};
    inf.TituloSegunda = "Sufijos";

    Conexion& cat = app.Entidades->getDataConnectionByEntity("CATALOGOS");
    cat.Sql(SentenciaSql("select idarticulo, descripcion, ncm, sufijos from catarticulos where idcatalogo = ")
                .Texto(catalogo)
                .Sql(" order by idarticulo"));
    Recordset rs;
    cat.CrearRs(rs);
    Tesmira::Motor validador;
    validador.ConexionString(*app.Entidades);

    // Two reasons an operator acts on differently: a position to replace, or
    // suffixes to fix; the row says exactly what is wrong.
    const char* kRazones[] = {"", "Posición fuera del nomenclador", "Sufijos que no corresponden a la posición",
                              "Otro error del validador"};
    std::map<int, std::vector<Fila>> porRazon;
    for (; !rs.Eof(); rs.MoveNext()) {
        const std::string sufijos = rs.Fields("sufijos").Texto();
        int r = validador.ValidarSufijos(Trim(rs.Fields("ncm").Texto()), sufijos);
        if (r == 0)
            continue;
        if (r < 1 || r > 2)
            r = 3;
        Fila f;
        f.Textos = {rs.Fields("idarticulo").Texto(), rs.Fields("descripcion").Texto(), rs.Fields("ncm").Texto(),
                    validador.Motivo()};
        f.Segunda = sufijos;
        porRazon[r].push_back(std::move(f));
    }
    std::vector<std::pair<int, size_t>> orden;
    for (const auto& [r, filas] : porRazon)
        orden.push_back({r, filas.size()});
    std::stable_sort(orden.begin(), orden.end(), [](auto& a, auto& b) { return a.second > b.second; });
    size_t total = 0;
    for (const auto& [r, n] : orden)
        total += n;
    if (total > 0)
        inf.Resumen.push_back(std::to_string(total) + " articulos con errores");
    for (const auto& [r, n] : orden) {
        const std::string titulo = std::string(kRazones[r]) + ": " + std::to_string(n) + " articulos";
        inf.Resumen.push_back(titulo);
        inf.Secciones.push_back({titulo, inf.Filas.size()});
        for (Fila& f : porRazon[r])
            inf.Filas.push_back(std::move(f));
    }
    return inf;
}

bool PrepararArticulos(Aplicacion& app, bool ok, Informe& informe, const std::string& seccion) {
    return Preparar(
        app, informe, seccion, [&] { return ReporteArticulos(app, ok); }, "No hay articulos para mostrar");
}

bool PrepararCatalogo(Aplicacion& app, const std::string& catalogo, Informe& informe, const std::string& seccion) {
    return Preparar(
        app, informe, seccion, [&] { return RevisionCatalogo(app, catalogo); },
        "El catálogo " + catalogo + " no tiene articulos con errores.");
}

void EscribirTexto(const Informe& informe, std::ostream& salida) {
    for (const std::string& r : informe.Resumen)
        salida << r << "\n";
    if (!informe.Resumen.empty())
        salida << "\n";
    for (const Columna& c : informe.Columnas)
        salida << c.Titulo << "\t";
    salida << informe.TituloSegunda << "\n";
    for (const Fila& f : informe.Filas) {
        for (const std::string& t : f.Textos)
            salida << t << "\t";
        salida << f.Segunda << "\n";
    }
}

} // namespace Reportes
