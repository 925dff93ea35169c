#include "import/ListaInternos.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "platform/AppError.h"
#include "platform/Esquema.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"

#include <map>
#include <set>

namespace ListaInternos {

using Icono = Operador::Icono;

const char* TextoTransferido(Transferido t) {
    return t == Transferido::Si ? "Sí" : t == Transferido::No ? "No" : "?";
}

namespace {

// Interno numbers compare as the work database keys them: without regard to case.
std::string Clave(const std::string& interno) {
    return UCase(interno);
}

void ContarArticulos(Aplicacion& app, std::vector<Item>& items) {
    std::map<std::string, Item*> porNumero;
    for (Item& i : items)
        porNumero[Clave(i.INTNRO)] = &i;
    Recordset rs;
    // The same condition as the list of records to depurate.
    app.Db.Sql("select INTNRO, count(*) as articulos, sum(case when PRCEST = '' or PRCEST IS NULL or "
               "PRCCRC <> 'OK' or PRCCRC is null then 1 else 0 end) as pendientes from ART group by INTNRO");
    if (app.Db.CrearRs(rs))
        for (; !rs.Eof(); rs.MoveNext())
            if (auto it = porNumero.find(Clave(rs.Fields("INTNRO").Texto())); it != porNumero.end()) {
                it->second->Articulos = static_cast<long>(rs.Fields("articulos").Numero());
                it->second->PorDepurar = static_cast<long>(rs.Fields("pendientes").Numero());
            }
}

void MarcarTransferidos(Aplicacion& app, std::vector<Item>& items) {
    if (items.empty())
        return;
    try {
        if (!app.Entidades)
            throw AppError(0, "", "sin base de la aduana");
        SentenciaSql consulta("select distinct interno from caratula where interno in (");
        for (size_t k = 0; k < items.size(); ++k)
            (k ? consulta.Sql(",") : consulta).Texto(items[k].INTNRO);
        consulta.Sql(")");
        std::set<std::string> conCaratula;
        Recordset rs;
        Conexion& internos = app.Entidades->getDataConnectionByEntity("INTERNOS");
        internos.Sql(consulta);
        if (internos.CrearRs(rs))
            for (; !rs.Eof(); rs.MoveNext())
                conCaratula.insert(Clave(rs.Fields("interno").Texto()));
        for (Item& i : items)
            i.EnAduana = conCaratula.count(Clave(i.INTNRO)) ? Transferido::Si : Transferido::No;
    } catch (...) {
        AppError::Actual();
        for (Item& i : items)
            i.EnAduana = Transferido::Desconocido;
    }
}

} // namespace

std::vector<Item> FRAM1_CargarInternos(Aplicacion& app, bool* ok) {
    std::vector<Item> items;
    if (ok)
        *ok = true;
    try {
        Recordset rs;
        app.Db.Sql("select * from INTN order by INTNRO");
        if (app.Db.CrearRs(rs))
            for (; !rs.Eof(); rs.MoveNext())
                items.push_back({rs.Fields("INTNRO").Texto(), rs.Fields("INTDSC").Texto(), 0, 0, Transferido::No});
        ContarArticulos(app, items);
        MarcarTransferidos(app, items);
    } catch (...) {
        AppError e = AppError::Actual();
        app.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmMain.FRAM1_CargarInternos]", Icono::Critico);
        if (ok)
            *ok = false;
    }
    return items;
}

Resultado FRAM1_EliminarInterno(Aplicacion& app, const std::string& interno) {
    if (!app.Op->Preguntar(Operador::Preguntas::EliminarInterno, "Desea eliminar el Interno " + interno + "?"))
        return Resultado::Detenido;
    try {
        // The three deletes stand or fall together: a failure part-way must not
        // leave an interno without its articles.
        app.Db.ComenzarTransaccion();
        app.Db.Ejecutar(SentenciaSql("delete from ARTINS where INTNRO = ").Texto(interno));
        app.Db.Ejecutar(SentenciaSql("delete from ART where INTNRO = ").Texto(interno));
        Esquema::OlvidarHistorial(app.Db, interno);
        long borradas = app.Db.Ejecutar(SentenciaSql("delete from INTN where INTNRO = ").Texto(interno));
        app.Db.ConfirmarTransaccion();
        return borradas > 0 ? Resultado::Hecho : Resultado::Detenido;
    } catch (...) {
        AppError e = AppError::Actual();
        std::string nota = app.Db.DeshacerOReconectar();
        if (!nota.empty())
            e.Description += vbCrLf + nota;
        app.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmInterno.EliminarInterno]", Icono::Critico);
        return Resultado::Fallido;
    }
}

} // namespace ListaInternos
