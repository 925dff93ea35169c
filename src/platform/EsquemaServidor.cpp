#include "platform/EsquemaServidor.h"

#include "platform/AppError.h"
#include "platform/Postgres.h"

#include <vector>

namespace EsquemaServidor {

namespace {

// citext keeps the file database's "collate nocase": codes come in either case
// and every comparison of the statements must ignore it. unaccent serves the
// word search, which ignores accents as the file's word index does.
const char* const kExtensiones = "create extension if not exists citext; create extension if not exists unaccent";

// The functions the statements call that the server lacks, with the same
// rules as the file database's: 1-based characters, a start below 1 or a
// negative length fails loudly, instr compares without case.
const char* const kFunciones = R"sql(
create or replace function mid(t text, inicio bigint) returns text language plpgsql immutable strict as $f$
begin
    if inicio < 1 then raise exception 'Argumento o llamada a procedimiento no válida (mid)'; end if;
    return substr(t, inicio::int);
end $f$;
create or replace function mid(t text, inicio bigint, largo bigint) returns text language plpgsql immutable strict as $f$
begin
    if inicio < 1 or largo < 0 then raise exception 'Argumento o llamada a procedimiento no válida (mid)'; end if;
    return substr(t, inicio::int, largo::int);
end $f$;
create or replace function vb_left(t text, n bigint) returns text language plpgsql immutable strict as $f$
begin
    if n < 0 then raise exception 'Argumento o llamada a procedimiento no válida (left)'; end if;
    return substr(t, 1, n::int);
end $f$;
create or replace function instr(inicio bigint, t text, buscado text) returns bigint language plpgsql immutable strict as $f$
declare p int;
begin
    if inicio < 1 then raise exception 'Argumento o llamada a procedimiento no válida (instr)'; end if;
    if inicio > length(t) + 1 then return 0; end if;
    if buscado = '' then return inicio; end if;
    p := position(lower(buscado) in lower(substr(t, inicio::int)));
    return case when p = 0 then 0 else p + inicio - 1 end;
end $f$;
-- The word search: every quoted word of the query ("word"* ...) must begin a
-- word of one of the two descriptions, accents and case ignored.
create or replace function ncm_coincide(a text, b text, consulta text) returns boolean language sql stable as $f$
    select coalesce(bool_and(t ~ ('\m' || lower(unaccent(m[1])))), false)
    from (select lower(unaccent(coalesce(a, '') || ' ' || coalesce(b, ''))) as t) x,
         regexp_matches(consulta, '"([^"]*)"', 'g') as m
$f$;
)sql";

const std::vector<const char*> kTablas = {
    R"(create table catalogo (
        idcatalogo citext primary key,
        descripcion citext))",
    R"(create table catarticulos (
        idcatalogo citext not null,
        idarticulo citext not null,
        descripcion citext,
        idpais citext,
        cantidad double precision default 0,
        preciounitario double precision default 0,
        ncm citext,
        lapi citext,
        sufijos citext,
        idunidad citext,
        estadistica citext,
        valorrelacionestadistica double precision default 0,
        estadomerc citext,
        deresp citext,
        ArtKgUnitario double precision default 0,
        valorderesp double precision default 0))",
    "create index catarticulos_articulo on catarticulos (idcatalogo, idarticulo)",
    R"(create table unidades (
        id citext primary key,
        descripcion citext))",
    R"(create table ncm (
        "001" citext not null,
        "002" citext not null,
        "003" citext not null,
        "004" text,
        "010" text,
        "012" text,
        "019" text,
        "020" text,
        "059" text))",
    R"(create index ncm_posicion on ncm ("001", "002", "003"))",
    R"(create table sufidos (
        sim citext not null,
        sufijo citext not null,
        detalle text))",
    "create index sufidos_sim on sufidos (sim, sufijo)",
    R"(create table caratula (
        interno citext not null,
        fechaalta text,
        ONCCAHabilitado text,
        idsubreg text,
        fobdivisas double precision default 0,
        fletedivisas double precision default 0,
        segurodivisas double precision default 0,
        ajusteincluir double precision default 0))",
    "create index caratula_interno on caratula (interno)",
    R"(create table facturas (
        interno citext not null,
        orden integer,
        factura citext))",
    "create index facturas_interno on facturas (interno, orden)",
    R"(create table subitems (
        interno citext not null,
        idcatalogo citext,
        idarticulo citext,
        descripcion citext,
        ncm citext,
        IdUnidad citext,
        Cantidad double precision default 0,
        Preciounitario double precision default 0,
        fob double precision default 0,
        IdPais citext,
        idpaisproc citext,
        estadistica citext,
        valorrelacionestadistica double precision default 0,
        sufijos citext,
        LAPI citext,
        deresp citext,
        valorderesp double precision default 0,
        kgbruto double precision default 0,
        KGNETO double precision default 0,
        idext integer,
        certorig text,
        ctit text,
        EstadoMerc citext,
        tipoitem citext,
        biendeuso citext,
        insumostemp double precision default 0,
        insumosacons double precision default 0))",
    "create index subitems_interno on subitems (interno, idext)",
    R"(create table descargas (
        interno citext not null,
        idreg integer,
        idext integer,
        dit citext,
        item citext,
        subitem citext,
        ncm citext,
        expctit citext,
        cantidad double precision default 0,
        factorponderacion double precision default 0))",
    "create index descargas_interno on descargas (interno, idext)",
    // Several workstations write the register: one id is never handed out
    // twice for an interno and origin, whatever the program does.
    R"(create table DESPACHO_RESUMEN (
        ORIGEN citext not null,
        id integer not null,
        INTERNO citext not null,
        CAMPO citext,
        Valor double precision default 0,
        unique (INTERNO, ORIGEN, id)))",
    // The schema version, where the file keeps it in its header.
    "create table velmarion_esquema (version integer not null)",
};

const char* const kNuestras[] = {"velmarion_esquema", "despacho_resumen", "descargas", "subitems", "facturas",
                                 "caratula", "sufidos", "ncm", "unidades", "catarticulos", "catalogo"};

} // namespace

bool TieneTablas(Postgres::Gestor& db) {
    Recordset rs;
    db.Sql("select count(*) as n from information_schema.tables where table_schema = current_schema() and "
           "table_name in ('velmarion_esquema', 'catarticulos', 'ncm', 'caratula', 'subitems')");
    db.CrearRs(rs);
    return rs.Fields("n").Numero() > 0;
}

void Crear(Postgres::Gestor& db, bool reemplazar) {
    db.ComenzarTransaccion();
    try {
        if (reemplazar)
            for (const char* t : kNuestras)
                db.EjecutarDirecto(std::string("drop table if exists ") + t);
        db.EjecutarDirecto(kExtensiones);
        db.EjecutarDirecto(kFunciones);
        for (const char* t : kTablas)
            db.EjecutarDirecto(t);
        db.EjecutarDirecto("insert into velmarion_esquema (version) values (" + std::to_string(kVersion) + ")");
        db.ConfirmarTransaccion();
    } catch (...) {
        db.DeshacerTransaccion();
        throw;
    }
}

void Verificar(Postgres::Gestor& db) {
    Recordset rs;
    db.Sql("select count(*) as n from information_schema.tables where table_schema = current_schema() and "
           "table_name = 'velmarion_esquema'");
    db.CrearRs(rs);
    if (rs.Fields("n").Numero() == 0)
        throw AppError(-2147467259, "EsquemaServidor.Verificar",
                       "La base del servidor " + db.Destino() +
                           " no tiene las tablas del sistema aduanero (velmarion-cli init-servidor).");
    db.Sql("select max(version) as v from velmarion_esquema");
    db.CrearRs(rs);
    if (rs.Fields("v").Numero() > kVersion)
        throw AppError(-2147467259, "EsquemaServidor.Verificar",
                       "La base del servidor " + db.Destino() + " fue creada por una versión más nueva del programa.");
}

} // namespace EsquemaServidor
