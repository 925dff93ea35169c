#include "platform/Esquema.h"

#include "platform/Almacor.h"
#include "platform/AppError.h"
#include "platform/SentenciaSql.h"

#include <sqlite3.h>

#include <vector>

namespace Esquema {

namespace {

// The words of the nomenclator's descriptions, for the search by words: an
// index over ncm's own rows (no second copy of the texts), accents and case
// ignored. The triggers keep it in step with every change to ncm. It follows
// ncm's rowids: after a VACUUM of the file (which may renumber them) it needs
// a 'rebuild'.
const char* const kTextoNcm = "create virtual table ncm_texto using fts5([010], [004], content='ncm', "
                              "tokenize='unicode61 remove_diacritics 2')";
const char* const kTextoNcmAlta = R"(create trigger ncm_texto_alta after insert on ncm begin
        insert into ncm_texto (rowid, [010], [004]) values (new.rowid, new.[010], new.[004]);
    end)";
const char* const kTextoNcmBaja = R"(create trigger ncm_texto_baja after delete on ncm begin
        insert into ncm_texto (ncm_texto, rowid, [010], [004]) values ('delete', old.rowid, old.[010], old.[004]);
    end)";
const char* const kTextoNcmCambio = R"(create trigger ncm_texto_cambio after update on ncm begin
        insert into ncm_texto (ncm_texto, rowid, [010], [004]) values ('delete', old.rowid, old.[010], old.[004]);
        insert into ncm_texto (rowid, [010], [004]) values (new.rowid, new.[010], new.[004]);
    end)";

// Number columns of ART and ARTINS default to 0, so sums and checks never meet
// a null the import did not write; ARTKGU stays null (nothing writes it). Text
// that statements compare is case-insensitive: codes come in either case.
// Code columns are TEXT so "0001" stays "0001".
// What every correction of the editor changed, so it can be read back and
// undone as a whole: one HIST_LOTE row per correction (when, who, which
// interno), one HIST row per article and column it changed. Values keep their
// type. HIST is keyed by its correction, column and article: the one b-tree a
// save writes and an undo reads.
constexpr const char* kHistoriaLotes = R"(create table if not exists HIST_LOTE (
        LOTE integer primary key,
        FECHA text,
        USUARIO text,
        INTNRO text collate nocase not null,
        DESHECHA integer default 0))";
constexpr const char* kHistoriaLotesIndice = "create index if not exists HIST_LOTE_INTERNO on HIST_LOTE (INTNRO, LOTE)";
constexpr const char* kHistoria = R"(create table if not exists HIST (
        LOTE integer not null,
        COLUMNA text not null,
        ARTORD integer not null,
        ANTES,
        DESPUES,
        TIPO text,
        primary key (LOTE, COLUMNA, ARTORD)) without rowid)";

// Indexes of ART and ARTINS that the import reads only to link inputs to
// articles, or not at all: a large import drops them and builds them again once
// its rows are in (see SuspenderIndicesImportacion).
const char* const kArtArticulo = "create index ART_ARTICULO on ART (INTNRO, ARTNRO, PRCVIN)";
const char* const kArtArticuloOrden = "create index ART_ARTICULO_ORDEN on ART (INTNRO, ARTNRO, ARTORD)";
const char* const kArtinsPadre = "create index ARTINS_PADRE on ARTINS (INTNRO, PARENTART)";
const char* const kArtinsIdPadre = "create index ARTINS_IDPADRE on ARTINS (INTNRO, IDPARENT)";

// The suggestions look up earlier declarations by article number.
const char* const kSubitemsArticulo = "create index if not exists subitems_articulo on subitems (idarticulo)";

const std::vector<const char*> kTrabajo = {
    R"(create table INTN (
        INTNRO text collate nocase primary key,
        INTDSC text collate nocase))",
    R"(create table ART (
        INTNRO text collate nocase not null,
        ARTORD integer not null,
        ARTNRO text collate nocase,
        ARTDSC text collate nocase,
        ARTCAN real default 0,
        ARTUNI real default 0,
        ARTTOT real default 0,
        ARTFAC text collate nocase,
        ARTORG text collate nocase,
        ARTKGU real,
        PRCCAN real default 0,
        PRCCTC text collate nocase,
        PRCVIN text collate nocase,
        PRCDST text collate nocase,
        PRCORI text collate nocase,
        PRCESM text collate nocase,
        PRCTDS text collate nocase,
        PRCNCM text collate nocase,
        PRCSUF text collate nocase,
        PRCLAP text collate nocase,
        PRCEUN text collate nocase,
        PRCSUN text collate nocase,
        PRCDUN text collate nocase,
        PRCECA real default 0,
        PRCSCA real default 0,
        PRCEST text collate nocase,
        PRCCRC text collate nocase))",
    "create unique index ART_ORDEN on ART (INTNRO, ARTORD)",
    kArtArticulo,
    // The import links input lines to the first article of each number.
    kArtArticuloOrden,
    R"(create table ARTINS (
        INTNRO text collate nocase not null,
        PARENTART text collate nocase,
        IdReg integer default 0,
        DIT text collate nocase,
        Item text collate nocase,
        SubItem text collate nocase,
        Posicion text collate nocase,
        CTIT text collate nocase,
        cif real default 0,
        IDPARENT integer default 0,
        Cantidad real default 0))",
    kArtinsPadre,
    kArtinsIdPadre,
    R"(create table ORG (
        PAI text collate nocase primary key,
        ORI text collate nocase,
        ESM text collate nocase))",
    R"(create table pais (
        id text collate nocase primary key,
        descripcion text collate nocase))",
    kHistoriaLotes,
    kHistoriaLotesIndice,
    kHistoria,
};

const std::vector<const char*> kAduana = {
    R"(create table catalogo (
        idcatalogo text collate nocase primary key,
        descripcion text collate nocase))",
    R"(create table catarticulos (
        idcatalogo text collate nocase not null,
        idarticulo text collate nocase not null,
        descripcion text collate nocase,
        idpais text collate nocase,
        cantidad real default 0,
        preciounitario real default 0,
        ncm text collate nocase,
        lapi text collate nocase,
        sufijos text collate nocase,
        idunidad text collate nocase,
        estadistica text collate nocase,
        valorrelacionestadistica real default 0,
        estadomerc text collate nocase,
        deresp text collate nocase,
        ArtKgUnitario real default 0,
        valorderesp real default 0))",
    "create index catarticulos_articulo on catarticulos (idcatalogo, idarticulo)",
    R"(create table unidades (
        id text collate nocase primary key,
        descripcion text collate nocase))",
    R"(create table ncm (
        [001] text collate nocase not null,
        [002] text collate nocase not null,
        [003] text collate nocase not null,
        [004] text,
        [010] text,
        [012] text,
        [019] text,
        [020] text,
        [059] text))",
    "create index ncm_posicion on ncm ([001], [002], [003])",
    kTextoNcm,
    kTextoNcmAlta,
    kTextoNcmBaja,
    kTextoNcmCambio,
    R"(create table sufidos (
        sim text collate nocase not null,
        sufijo text collate nocase not null,
        detalle text))",
    "create index sufidos_sim on sufidos (sim, sufijo)",
    R"(create table caratula (
        interno text collate nocase not null,
        fechaalta text,
        ONCCAHabilitado text,
        idsubreg text,
        fobdivisas real default 0,
        fletedivisas real default 0,
        segurodivisas real default 0,
        ajusteincluir real default 0))",
    "create index caratula_interno on caratula (interno)",
    R"(create table facturas (
        interno text collate nocase not null,
        orden integer,
        factura text collate nocase))",
    "create index facturas_interno on facturas (interno, orden)",
    R"(create table subitems (
        interno text collate nocase not null,
        idcatalogo text collate nocase,
        idarticulo text collate nocase,
        descripcion text collate nocase,
        ncm text collate nocase,
        IdUnidad text collate nocase,
        Cantidad real default 0,
        Preciounitario real default 0,
        fob real default 0,
        IdPais text collate nocase,
        idpaisproc text collate nocase,
        estadistica text collate nocase,
        valorrelacionestadistica real default 0,
        sufijos text collate nocase,
        LAPI text collate nocase,
        deresp text collate nocase,
        valorderesp real default 0,
        kgbruto real default 0,
        KGNETO real default 0,
        idext integer,
        certorig text,
        ctit text,
        EstadoMerc text collate nocase,
        tipoitem text collate nocase,
        biendeuso text collate nocase,
        insumostemp real default 0,
        insumosacons real default 0))",
    "create index subitems_interno on subitems (interno, idext)",
    kSubitemsArticulo,
    R"(create table descargas (
        interno text collate nocase not null,
        idreg integer,
        idext integer,
        dit text collate nocase,
        item text collate nocase,
        subitem text collate nocase,
        ncm text collate nocase,
        expctit text collate nocase,
        cantidad real default 0,
        factorponderacion real default 0))",
    "create index descargas_interno on descargas (interno, idext)",
    R"(create table DESPACHO_RESUMEN (
        ORIGEN text collate nocase not null,
        id integer not null,
        INTERNO text collate nocase not null,
        CAMPO text collate nocase,
        Valor real default 0))",
    "create index despacho_resumen_interno on DESPACHO_RESUMEN (INTERNO, ORIGEN, id)",
};

int VersionDe(Almacor::Gestor& db) {
    Recordset rs;
    db.Sql("pragma user_version");
    db.CrearRs(rs);
    return static_cast<int>(rs.Fields(size_t{0}).Numero());
}

void Crear(Almacor::Gestor& db, const std::vector<const char*>& tablas, int version) {
    db.Sql("pragma journal_mode = wal");
    Recordset rs;
    db.CrearRs(rs);
    db.ComenzarTransaccion();
    try {
        for (const char* t : tablas)
            db.Ejecutar(t);
        db.Ejecutar(SentenciaSql("pragma user_version = ").Numero(static_cast<long long>(version)));
        db.ConfirmarTransaccion();
    } catch (...) {
        db.DeshacerTransaccion();
        throw;
    }
}

void Verificar(Almacor::Gestor& db, int actual, const char* que) {
    int v = VersionDe(db);
    if (v == 0)
        throw AppError(-2147467259, "Esquema.Verificar",
                       db.Ruta() + " no es una base de datos " + que + " de Velmarion (sin versión de esquema).");
    if (v > actual)
        throw AppError(-2147467259, "Esquema.Verificar",
                       db.Ruta() + " fue creada por una versión más nueva del programa (esquema " + std::to_string(v) +
                           ").");
}

} // namespace

void CrearTrabajo(Almacor::Gestor& db) {
    Crear(db, kTrabajo, kVersionTrabajo);
}
void CrearAduana(Almacor::Gestor& db) {
    Crear(db, kAduana, kVersionAduana);
}
void VerificarTrabajo(Almacor::Gestor& db) {
    Verificar(db, kVersionTrabajo, "de trabajo");
    // Upgrades of older work databases, one step per version, all in one transaction.
    struct Paso {
        int version;
        const char* sql;
    };
    static const Paso kPasos[] = {
        // Linking inputs to their first article reads (INTNRO, ARTNRO) in ARTORD order.
        {2, "create index if not exists ART_ARTICULO_ORDEN on ART (INTNRO, ARTNRO, ARTORD)"},
        // Nothing needed (INTNRO, PRCEST) that the other indexes do not give, and every insert paid for it.
        {3, "drop index if exists ART_ESTADO"},
        // The history of corrections.
        {4, kHistoriaLotes},
        {4, kHistoriaLotesIndice},
        {4, kHistoria},
    };
    int v = VersionDe(db);
    if (v >= kVersionTrabajo)
        return;
    db.ComenzarTransaccion();
    try {
        for (const Paso& p : kPasos)
            if (v < p.version)
                db.Ejecutar(p.sql);
        db.Ejecutar(SentenciaSql("pragma user_version = ").Numero(static_cast<long long>(kVersionTrabajo)));
        db.ConfirmarTransaccion();
    } catch (...) {
        db.DeshacerTransaccion();
        throw;
    }
}
void OlvidarHistorial(Almacor::Gestor& db, const std::string& interno) {
    SentenciaSql s;
    s.Sql("delete from HIST where LOTE in (select LOTE from HIST_LOTE where INTNRO = ").Texto(interno).Sql(")");
    db.Ejecutar(s);
    s.Limpiar();
    s.Sql("delete from HIST_LOTE where INTNRO = ").Texto(interno);
    db.Ejecutar(s);
}

void SuspenderTextoNcm(Conexion& db) {
    if (db.MotorDatos() != Conexion::Motor::Sqlite)
        return; // the server searches the rows themselves
    db.Ejecutar("drop trigger if exists ncm_texto_alta");
}

void ReanudarTextoNcm(Conexion& db) {
    if (db.MotorDatos() != Conexion::Motor::Sqlite)
        return;
    db.Ejecutar("insert into ncm_texto (ncm_texto) values ('rebuild')");
    db.Ejecutar(kTextoNcmAlta);
}

IndicesImportacion SuspenderIndicesImportacion(Almacor::Gestor& db, long filasNuevas) {
    struct Indice {
        const char *nombre, *tabla, *crear;
        bool enlace; // read by the linking of inputs to articles
    };
    static const Indice kIndices[] = {{"ART_ARTICULO", "ART", kArtArticulo, false},
                                      {"ART_ARTICULO_ORDEN", "ART", kArtArticuloOrden, true},
                                      {"ARTINS_PADRE", "ARTINS", kArtinsPadre, true},
                                      {"ARTINS_IDPADRE", "ARTINS", kArtinsIdPadre, false}};
    IndicesImportacion r;
    for (const Indice& i : kIndices) {
        // Building an index again reads the whole table: it pays only while the
        // rows already there are not many more than the ones coming. The largest
        // rowid stands for the count, which would read the table itself.
        Recordset rs;
        db.Sql(SentenciaSql("select (select count(*) from sqlite_master where type = 'index' and name = ")
                   .Texto(i.nombre)
                   .Sql("), (select coalesce(max(rowid), 0) from ")
                   .Sql(i.tabla)
                   .Sql(")"));
        db.CrearRs(rs);
        if (rs.Fields(size_t{0}).Numero() != 1 || rs.Fields(size_t{1}).Numero() > filasNuevas)
            continue;
        db.Ejecutar(SentenciaSql("drop index ").Sql(i.nombre));
        (i.enlace ? r.Enlace : r.Resto).emplace_back(i.crear);
    }
    return r;
}

void ReanudarIndicesEnlace(Almacor::Gestor& db, IndicesImportacion& indices) {
    for (const std::string& crear : indices.Enlace)
        db.Ejecutar(SentenciaSql(crear));
    indices.Enlace.clear();
}

void ReanudarIndicesImportacion(Almacor::Gestor& db, IndicesImportacion& indices) {
    ReanudarIndicesEnlace(db, indices);
    for (const std::string& crear : indices.Resto)
        db.Ejecutar(SentenciaSql(crear));
    indices.Resto.clear();
}

void VerificarAduana(Almacor::Gestor& db) {
    Verificar(db, kVersionAduana, "del sistema aduanero");
    int v = VersionDe(db);
    if (v >= kVersionAduana)
        return;
    db.ComenzarTransaccion();
    try {
        if (v < 2) {
            // The search by words: the index and its triggers, then filled from the rows already there.
            for (const char* sql : {kTextoNcm, kTextoNcmAlta, kTextoNcmBaja, kTextoNcmCambio})
                db.Ejecutar(sql);
            db.Ejecutar("insert into ncm_texto (ncm_texto) values ('rebuild')");
        }
        if (v < 3)
            db.Ejecutar(kSubitemsArticulo);
        db.Ejecutar(SentenciaSql("pragma user_version = ").Numero(static_cast<long long>(kVersionAduana)));
        db.ConfirmarTransaccion();
    } catch (...) {
        db.DeshacerTransaccion();
        throw;
    }
}

} // namespace Esquema
