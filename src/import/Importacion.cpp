#include "import/Importacion.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "global/modGlobal.h"
#include "import/modEntidadesTarvelo.h"
#include "platform/AppError.h"
#include "platform/Bitacora.h"
#include "platform/Esquema.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"

#include <filesystem>
#include <set>
#include <vector>

namespace Importacion {

namespace {

using namespace modEntidadesTarvelo;
using Icono = Operador::Icono;

constexpr long kErrorOrden = -2147220392; // a detail record before any header

Resumen g_resumen;

// The state of one run of ProcesarArchivo.
struct Corrida {
    std::string Interno;
    std::string Tipo;      // decided at the first header, holds for the whole file
    std::string Respuesta; // the operator's type answer given in this run
    long Orden = 0;        // article order counter (ARTORD, "Registros H:")
    long Linea = 0;        // input-line counter (IdReg, "Registros P:")
    bool PrimerH = false;
    long H = 0, P = 0, Articulos = 0, Insumos = 0;
    SentenciaSql Sentencia; // each line's statements, written into the same storage
};

void InsertarArticulo(Aplicacion& app, Corrida& c) {
    app.Db.Ejecutar(c.Sentencia);
    ++c.Articulos;
}

void InsertarInsumo(Aplicacion& app, Corrida& c) {
    app.Db.Ejecutar(c.Sentencia);
    ++c.Insumos;
}

bool TipoConocido(const std::string& tipo) {
    return tipo == "RR01" || tipo == "ECR1" || tipo == "ICR1" || tipo == "ICR2";
}

void ProcesarH(Aplicacion& app, Corrida& c, const std::string& linea) {
    RegistroH reg = getRegistroHfromString(linea);
    ++c.Orden;
    ++c.H;
    if (!c.PrimerH) {
        c.Interno = app.InternoLinea.empty() ? reg.Interno + "//" + reg.InternoSufijo : app.InternoLinea;
        // Replacing the interno loses every hand correction it holds: that takes
        // the operator's word. The run's transaction already holds the database,
        // so the count asked about is the count deleted.
        Recordset corregidos;
        app.Db.Sql(SentenciaSql("select count(*) as n from ART where INTNRO = ")
                       .Texto(c.Interno)
                       .Sql(" and PRCEST in ('M', 'R')"));
        const long n_corregidos = app.Db.CrearRs(corregidos) ? static_cast<long>(corregidos.Fields("n").Numero()) : 0;
        if (n_corregidos > 0) {
            app.Op->PunteroEspera(false);
            const bool si = app.Op->Preguntar(Operador::Preguntas::ReemplazarCorrecciones,
                                              "El interno " + c.Interno + " tiene " + std::to_string(n_corregidos) +
                                                  " artículos corregidos a mano. ¿Reemplazarlo con el archivo y "
                                                  "perder esas correcciones?");
            app.Op->PunteroEspera(true);
            if (!si)
                throw Cancelacion("El interno " + c.Interno + " conserva sus correcciones: no se importó el archivo.");
        }
        app.Db.Ejecutar(SentenciaSql("delete from ART where INTNRO = ").Texto(c.Interno));
        app.Db.Ejecutar(SentenciaSql("delete from ARTINS where INTNRO = ").Texto(c.Interno));
        Esquema::OlvidarHistorial(app.Db, c.Interno);
        c.Tipo = reg.Tipo;
        if (c.Tipo != "RR01" && c.Tipo != "ECR1") {
            app.RespuestaTipo.clear();
            app.Op->PunteroEspera(false);
            app.RespuestaTipo = app.Op->PreguntarTipo();
            app.Op->PunteroEspera(true);
            // The answer also types this header's article, whatever code it had:
            // the transfer reads the type back from the first article.
            if (!app.RespuestaTipo.empty())
                c.Tipo = c.Respuesta = reg.Tipo = app.RespuestaTipo;
        }
        // Classification and transfer read the type the articles were imported with.
        app.TipoDeclaracion = c.Tipo;
        c.PrimerH = true;
    }
    // The answer types every later header that leaves the type open; a later
    // header naming a type of its own keeps it.
    if (!c.Respuesta.empty() && !TipoConocido(reg.Tipo))
        reg.Tipo = c.Respuesta;
    SentenciaDeRegH(app, reg, c.Orden, c.Interno, c.Sentencia);
    if (c.Tipo != "ICR2" && c.Tipo != "RR01")
        InsertarArticulo(app, c);
    app.Op->ContadoresImportacion(c.Orden, c.Linea);
}

void ProcesarP(Aplicacion& app, Corrida& c, const std::string& linea, long nroLinea) {
    // Without a header there is no interno number nor type to store the line under.
    if (!c.PrimerH)
        throw AppError(kErrorOrden, "Leyendo archivo",
                       "La línea " + std::to_string(nroLinea) +
                           " es un registro P anterior al primer registro H: el archivo no es válido.");
    RegistroP reg = getRegistroPfromString(linea);
    ++c.Linea;
    ++c.P;
    if (c.Tipo == "ICR2" || c.Tipo == "RR01") {
        ++c.Orden;
        SentenciaDeRegPtoART(app, reg, c.Interno, c.Orden, c.Tipo, c.Sentencia);
        InsertarArticulo(app, c);
        SentenciaDeRegP(app, reg, c.Interno, c.Linea, EnteroSql(c.Orden), c.Sentencia);
        InsertarInsumo(app, c);
    } else if (c.Tipo == "ICR1") {
        if (InStr(1, reg.DIT, "ICR2") == 0) {
            SentenciaDeRegP(app, reg, c.Interno, c.Linea, "", c.Sentencia);
            InsertarInsumo(app, c);
            ++c.Orden;
            SentenciaDeRegPtoART(app, reg, c.Interno, c.Orden, "", c.Sentencia);
            InsertarArticulo(app, c);
        }
    } else {
        SentenciaDeRegP(app, reg, c.Interno, c.Linea, "", c.Sentencia);
        InsertarInsumo(app, c);
    }
    app.Op->ContadoresImportacion(c.Orden, c.Linea);
    app.Op->ProcesarEventos();
}

// The file codes that have a relation before the run.
std::set<std::string> PaisesRelacionados(Aplicacion& app) {
    std::set<std::string> r;
    Recordset rs;
    app.Db.Sql("select PAI from ORG");
    if (app.Db.CrearRs(rs))
        for (; !rs.Eof(); rs.MoveNext())
            r.insert(rs.Fields("PAI").Texto());
    return r;
}

struct Relacion {
    std::string PAI, ORI, ESM;
};

// Undoes the run. Relations the operator created during it are settings, not
// import data: they are read before the rollback and stored again after it.
// Returns "" or what could not be kept, for the run's message.
std::string Deshacer(Aplicacion& app, const std::set<std::string>& paisesAntes) {
    std::string nota;
    std::vector<Relacion> nuevas;
    try {
        Recordset rs;
        app.Db.Sql("select PAI, ORI, ESM from ORG");
        if (app.Db.CrearRs(rs))
            for (; !rs.Eof(); rs.MoveNext())
                if (!paisesAntes.count(rs.Fields("PAI").Texto()))
                    nuevas.push_back({rs.Fields("PAI").Texto(), rs.Fields("ORI").Texto(), rs.Fields("ESM").Texto()});
    } catch (...) {
        nota += "No se pudieron leer las relaciones de país creadas durante la importación (" +
                AppError::Actual().Description + "): si creó alguna, vuelva a crearla." + vbCrLf;
    }
    std::string rollback = app.Db.DeshacerOReconectar();
    if (!rollback.empty())
        nota += rollback + vbCrLf;
    for (const Relacion& r : nuevas) {
        try {
            app.Db.Ejecutar(
                SentenciaSql("insert into ORG (PAI, ORI, ESM) values (").Textos({r.PAI, r.ORI, r.ESM}).Sql(")"));
        } catch (...) {
            nota += "No se pudo guardar la relación de país " + r.PAI + " - " + r.ORI + " (estado " + r.ESM +
                    "): " + AppError::Actual().Description + vbCrLf;
        }
    }
    return nota;
}

} // namespace

const Resumen& UltimoResumen() {
    return g_resumen;
}
void OlvidarResumen() {
    g_resumen = {};
}

bool ProcesarArchivo(Aplicacion& app, const std::string& ruta) {
    Operador& op = *app.Op;
    // Events run during an import: a second run started meanwhile must not
    // write into (or roll back) the first one's transaction.
    if (app.Db.EnTransaccion()) {
        op.MsgBox("Hay una importación en curso: espere a que termine.", Icono::Exclamacion);
        return false;
    }
    op.PunteroEspera(true);
    const double inicio = Bitacora::Ahora();
    Lectran::Gestor archivo;
    Corrida c;
    long nro = 0; // the file line being processed, for the message
    std::set<std::string> paisesAntes;
    bool enTransaccion = false;
    modGlobal::RecordarRelaciones relaciones;
    try {
        paisesAntes = PaisesRelacionados(app);
        archivo.Ubicacion_Archivo(ruta);
        archivo.Abrir_Archivo(1);
        op.ContadoresImportacion(0, 0);
        // One transaction: a failure anywhere leaves the work database as it was,
        // with the earlier rows of the same interno still there.
        app.Db.ComenzarTransaccion();
        enTransaccion = true;
        // A shipment line is some 230 bytes and becomes one or two rows.
        std::error_code ec;
        const auto bytes = std::filesystem::file_size(ruta, ec);
        Esquema::IndicesImportacion indices =
            Esquema::SuspenderIndicesImportacion(app.Db, ec ? 0 : static_cast<long>(bytes / 230));
        const unsigned long long tamanio = ec ? 0 : static_cast<unsigned long long>(bytes);
        op.ProgresoImportacion(0, tamanio);
        while (!archivo.FindeArchivo()) {
            std::string linea = archivo.LeerLinea();
            ++nro;
            op.ProgresoImportacion(archivo.BytesLeidos(), tamanio);
            if (EmpiezaCon(linea, "H"))
                ProcesarH(app, c, linea);
            else if (EmpiezaCon(linea, "P"))
                ProcesarP(app, c, linea, nro);
        }
        nro = 0;
        app.Db.Ejecutar(SentenciaSql("delete from INTN where INTNRO = ").Texto(c.Interno));
        app.Db.Ejecutar(SentenciaSql("insert into INTN (INTNRO, INTDSC) values (")
                            .Texto(c.Interno)
                            .Sql(",")
                            .Texto(c.Interno)
                            .Sql(")"));
        Esquema::ReanudarIndicesEnlace(app.Db, indices);
        EstablecerParents(app, c.Interno);
        Esquema::ReanudarIndicesImportacion(app.Db, indices);
        // Committed before the hand-over: classification and transfer never undo the import.
        app.Db.ConfirmarTransaccion();
    } catch (const Cancelacion& x) {
        std::string nota = enTransaccion ? Deshacer(app, paisesAntes) : "";
        archivo.Cerrar_Archivo();
        op.PunteroEspera(false);
        Bitacora::Registrar(app.Home, c.Interno.empty() ? app.InternoLinea : c.Interno, "importacion",
                            "detenido: " + x.Motivo, Bitacora::Ahora() - inicio);
        op.MsgBox(x.Motivo + vbCrLf + vbCrLf + "La importación se deshizo: la base de trabajo quedó como estaba." +
                      (nota.empty() ? std::string() : std::string(vbCrLf) + vbCrLf + nota),
                  Icono::Exclamacion);
        return false;
    } catch (...) {
        AppError e = AppError::Actual();
        if (enTransaccion) {
            std::string nota = Deshacer(app, paisesAntes);
            if (!nota.empty())
                e.Description += vbCrLf + nota;
        }
        Bitacora::Registrar(app.Home, c.Interno.empty() ? app.InternoLinea : c.Interno, "importacion",
                            "fallido: " + e.Description, Bitacora::Ahora() - inicio);
        op.MsgBox(e.Mensaje() + " - seccion ProcesarArchivo de Formulario frmInterno - nro " + std::to_string(nro) +
                  " :: [" + e.Source + "]");
        archivo.Cerrar_Archivo();
        op.PunteroEspera(false);
        return false;
    }
    archivo.Cerrar_Archivo();
    g_resumen = {c.Interno, c.Tipo, c.H, c.P, c.Articulos, c.Insumos};
    // Logged before the hand-over: classification and transfer log their own lines.
    Bitacora::Registrar(app.Home, c.Interno, "importacion", "hecho", Bitacora::Ahora() - inicio);

    app.Paso = 1;
    app.InternoActual = c.Interno;
    app.ClasificarAlEntrar = true;
    try {
        if (app.MAIN_CambiarPaso)
            app.MAIN_CambiarPaso();
    } catch (...) {
        op.PunteroEspera(false);
        throw;
    }
    op.PunteroEspera(false);
    return true;
}

} // namespace Importacion
