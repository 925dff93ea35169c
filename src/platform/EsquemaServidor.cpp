#include "platform/EsquemaServidor.h"

#include "platform/AppError.h"
#include "platform/Postgres.h"

#include <vector>

namespace EsquemaServidor {

namespace {

// citext keeps the file database's "collate nocase": codes come in either case
// and every comparison of the statements must ignore it. unaccent serves the
// word search, which ignores accents as the file's word index does, and
// pg_trgm gives that search its index.
const char* const kExtensiones = "create extension if not exists citext; create extension if not exists unaccent; "
                                 "create extension if not exists pg_trgm";

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
create or replace function ncm_todas(a text, b text, consulta text) returns boolean language sql stable as $f$
    select coalesce(bool_and(t ~ ('\m' || btrim(ncm_normal(m[1], null)))), false)
    from (select ncm_normal(a, b) as t) x,
         regexp_matches(consulta, '"([^"]*)"', 'g') as m
$f$;
-- The longest word of a query as the beginning of a word: a row without it
-- cannot match, and the trigram index finds the rows with it.
create or replace function ncm_patron(consulta text) returns text language sql immutable as $f$
    select '\m' || regexp_replace(p, '([^[:alnum:]])', '\\\1', 'g')
    from (select btrim(ncm_normal(m[1], null)) as p from regexp_matches(consulta, '"([^"]*)"', 'g') as m) x
    order by length(p) desc, p limit 1
$f$;
-- A plain expression, so the server writes it into the query: the first
-- condition is answered by the index ncm_palabras, the second checks every word.
create or replace function ncm_coincide(a text, b text, consulta text) returns boolean language sql stable as $f$
    select ncm_normal(a, b) ~ ncm_patron(consulta) and ncm_todas(a, b, consulta)
$f$;
)sql";

// ncm_normal: the two descriptions as the word search reads them, one text
// without accents or case. Its unaccent is named by schema and dictionary,
// written in when it is created, so it gives the same text whatever the
// caller's search path, and can be indexed.
const char* const kNormal = R"sql(
do $d$
declare
    s text := (select extnamespace::regnamespace::text from pg_extension where extname = 'unaccent');
begin
    execute format('create or replace function ncm_normal(a text, b text) returns text language sql immutable '
                   'parallel safe as %L',
                   format('select lower(%s.unaccent(%L::regdictionary, coalesce(a, %L) || %L || coalesce(b, %L)))',
                          s, s || '.unaccent', '', ' ', ''));
end $d$;
)sql";

// Codes are compared as citext compares them, lower() of both sides, but the
// statements are sent with lower() written out (Postgres::Gestor) so these
// indexes answer them: citext's own comparisons cost about three times as
// much (bench/citext.sql). citext still decides ordering, grouping and LIKE.
const std::vector<const char*> kIndicesLower = {
    R"(create index if not exists catalogo_lower on catalogo (lower(idcatalogo::text)))",
    R"(create index if not exists catarticulos_articulo_lower on catarticulos (lower(idcatalogo::text), lower(idarticulo::text)))",
    R"(create index if not exists caratula_interno_lower on caratula (lower(interno::text)))",
    R"(create index if not exists facturas_interno_lower on facturas (lower(interno::text), orden))",
    R"(create index if not exists subitems_interno_lower on subitems (lower(interno::text), idext))",
    R"(create index if not exists subitems_articulo_lower on subitems (lower(idarticulo::text)))",
    R"(create index if not exists descargas_interno_lower on descargas (lower(interno::text), idext))",
    R"(create index if not exists despacho_resumen_interno_lower on DESPACHO_RESUMEN (lower(INTERNO::text), ORIGEN))",
    R"(create index if not exists ncm_palabras on ncm using gin (ncm_normal("010", "004") gin_trgm_ops))",
};
// What version 2 had in their place.
const char* const kIndicesViejos = "drop index if exists catarticulos_articulo; drop index if exists caratula_interno; "
                                   "drop index if exists facturas_interno; drop index if exists subitems_interno; "
                                   "drop index if exists descargas_interno";

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
    R"(create table facturas (
        interno citext not null,
        orden integer,
        factura citext))",
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

const char* const kNuestras[] = {"velmarion_esquema", "despacho_resumen", "descargas", "subitems",
                                 "facturas",          "caratula",         "sufidos",   "ncm",
                                 "unidades",          "catarticulos",     "catalogo"};

// The extensions, the normaliser and the functions the statements call: a new
// database and one brought up from an earlier version get the same.
void Funciones(Postgres::Gestor& db) {
    db.EjecutarDirecto(kExtensiones);
    db.EjecutarDirecto(kNormal);
    db.EjecutarDirecto(kFunciones);
}

void IndicesYVersion(Postgres::Gestor& db) {
    for (const char* t : kIndicesLower)
        db.EjecutarDirecto(t);
    db.EjecutarDirecto("insert into velmarion_esquema (version) values (" + std::to_string(kVersion) + ")");
}

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
        Funciones(db);
        for (const char* t : kTablas)
            db.EjecutarDirecto(t);
        IndicesYVersion(db);
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
    if (rs.Fields("v").Numero() < kVersion)
        Actualizar(db);
}

void Actualizar(Postgres::Gestor& db) {
    db.ComenzarTransaccion();
    try {
        // Workstations starting at once: one brings it up to date, the others
        // find it done.
        db.EjecutarDirecto("select pg_advisory_xact_lock(hashtext('velmarion_esquema'))");
        Recordset rs;
        db.Sql("select max(version) as v from velmarion_esquema");
        db.CrearRs(rs);
        if (rs.Fields("v").Numero() < kVersion) {
            Funciones(db);
            db.EjecutarDirecto(kIndicesViejos);
            IndicesYVersion(db);
        }
        db.ConfirmarTransaccion();
    } catch (...) {
        db.DeshacerTransaccion();
        throw;
    }
}

} // namespace EsquemaServidor
