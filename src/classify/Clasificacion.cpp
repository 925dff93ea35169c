#include "classify/Clasificacion.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "global/modGlobal.h"
#include "platform/Almacor.h"
#include "platform/AppError.h"
#include "platform/Cursor.h"
#include "platform/Numeros.h"
#include "platform/Pontevar.h"
#include "platform/SentenciaSql.h"
#include "platform/Tesmira.h"
#include "platform/Texto.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

const char* const kSavepoint = "clasificacion";
const char* const kSavepointCierre = "clasificacion_cierre";

// The catalog and the nomenclator do not change during a classification, and
// many articles share a position: each distinct nomenclator query is asked once
// per run and its rows kept. Articles come in number order, so the catalog
// query of the previous article is the only one worth keeping.
class ConsultasAduana {
public:
    explicit ConsultasAduana(Aplicacion& app) : m_app(app) {}
    // The catalog's rows of an article, on the first; nullptr when there are none.
    const Recordset* Catalogo(const std::string& catalogo, const std::string& articulo) {
        if (!m_hayCatalogo || articulo != m_articulo || catalogo != m_idCatalogo) {
            m_hayCatalogo = false;
            m_sentencia.Limpiar();
            m_sentencia
                .Sql("select ncm, lapi, sufijos, idunidad, estadistica, estadomerc, deresp, preciounitario, "
                     "descripcion, idpais, ArtKgUnitario from catarticulos where idcatalogo = ")
                .Texto(catalogo)
                .Sql(" and idarticulo = ")
                .Texto(articulo);
            Consultar(m_conCatalogo, "CATALOGOS", m_sentencia, m_catalogo);
            m_idCatalogo = catalogo;
            m_articulo = articulo;
            m_hayCatalogo = true;
        }
        return m_catalogo.RecordCount() > 0 ? &m_catalogo : nullptr;
    }
    // The nomenclator's `columnas` of a position's first ten characters and
    // its three after the point, on the first; nullptr when there are none.
    const Recordset* Ncm(const char* columnas, const std::string& n001, const std::string& n002) {
        // The key tells the queries apart as their texts would, kept in one
        // string reused from query to query.
        m_clave.assign(columnas).append(1, '\0').append(n001).append(1, '\0').append(n002);
        auto it = m_ncm.find(m_clave);
        if (it == m_ncm.end()) {
            m_sentencia.Limpiar();
            m_sentencia.Sql("select ")
                .Sql(columnas)
                .Sql(" from ncm where  [001] = ")
                .Texto(n001)
                .Sql(" and [002] = ")
                .Texto(n002);
            Recordset r;
            Consultar(m_conNcm, "NCM", m_sentencia, r);
            if (m_ncm.size() >= kMaxNcm)
                m_ncm.clear();
            it = m_ncm.emplace(m_clave, std::move(r)).first;
        }
        return it->second.RecordCount() > 0 ? &it->second : nullptr;
    }

private:
    // The entity manager hands out the same connection for an entity every
    // time: it is asked once, at the entity's first query.
    bool Consultar(Conexion*& conexion, const char* entidad, const SentenciaSql& sql, Recordset& rs) {
        if (!conexion)
            conexion = &m_app.Entidades->getDataConnectionByEntity(entidad);
        conexion->Sql(sql);
        return conexion->CrearRs(rs);
    }

    static constexpr size_t kMaxNcm = 100000; // three queries per position: memory stays bounded
    Aplicacion& m_app;
    Conexion* m_conCatalogo = nullptr;
    Conexion* m_conNcm = nullptr;
    SentenciaSql m_sentencia; // the query being asked, written into the same storage
    std::string m_idCatalogo, m_articulo;
    Recordset m_catalogo;
    bool m_hayCatalogo = false;
    std::unordered_map<std::string, Recordset> m_ncm;
    std::string m_clave;
};

// One article row of stage 2 to look up: the first of its number and VIN.
struct ArticuloPorBuscar {
    std::string artnro;
    Valor vin;
    bool sinOrigen = false; // ARTORG blank
    long posicion = 0;      // its row in the query, for the progress bar
};

// One column a stage-2 update sets, with its value.
struct Asignacion {
    const char* columna;
    std::string valor;
};

// The stage-2 update of ART that sets `asignaciones` (each "COLUMN = 'value',"),
// up to the "A" status and before its row filter. Built with its values apart:
// the work database runs it bound, and its text, which an error quotes, comes
// from the same pieces.
void ArmarUpdate(SentenciaSql& s, const std::vector<Asignacion>& asignaciones) {
    s.Limpiar();
    s.Sql("update ART set ");
    for (const Asignacion& a : asignaciones)
        s.Sql(a.columna).Sql(" = ").Texto(a.valor).Sql(",");
}

// The stage-2 columns the closing pass may take from a pair, in the order of
// the codes its function is called with.
constexpr const char* kColumnasEtapa2[] = {"PRCLAP", "PRCNCM", "PRCSUF", "PRCORI", "PRCEUN", "PRCSUN"};
constexpr int kCodigoEstado = 6, kCodigoResultado = 7, kCodigoSufijoVacio = 8;
// Stage 4's result code by verdict: 0 valid, 1 position, 2 suffixes, 3 other.
constexpr std::string_view kCodigosResultado[] = {"OK", "POS", "SUF", "ERR"};

// A pair found in the catalog, with what its update sets (PRCEST = 'A' besides).
// A shipment's pairs are all kept until the closing pass, so each keeps its
// values in one piece: one after another, in the columns' order, which is the
// order its update sets them in.
struct Pendiente {
    static constexpr size_t kColumnas = std::size(kColumnasEtapa2);
    Pendiente(size_t art, const std::vector<Asignacion>& asignaciones) : articulo(art) {
        size_t k = 0;
        for (const Asignacion& a : asignaciones) {
            while (k < kColumnas && std::string_view(kColumnasEtapa2[k]) != a.columna)
                fin[k++] = static_cast<uint32_t>(valores.size());
            if (k == kColumnas)
                break; // not a column of the list: never built so
            valores += a.valor;
            fin[k] = static_cast<uint32_t>(valores.size());
            puestas |= static_cast<uint8_t>(1u << k++);
        }
        for (; k < kColumnas; ++k)
            fin[k] = static_cast<uint32_t>(valores.size());
    }
    bool Pone(size_t k) const { return (puestas >> k) & 1u; }
    std::string_view Valor(size_t k) const {
        const uint32_t desde = k ? fin[k - 1] : 0;
        return std::string_view(valores).substr(desde, fin[k] - desde);
    }
    bool MismosValores(const Pendiente& o) const {
        return puestas == o.puestas && valores == o.valores && std::equal(fin, fin + kColumnas, o.fin);
    }

    size_t articulo; // into the articles looked up
    std::string valores;
    uint32_t fin[kColumnas] = {}; // where each column's value ends in `valores`
    uint8_t puestas = 0;          // the columns it sets, one bit each
    // Its position and suffixes for stage 4, filled once stage 2 is over.
    uint32_t clave = 0;
    bool sufijoVacio = false; // its suffixes hold a value left empty, "()"
};

// The found pairs of one article number, as their updates would be written:
// one update of the whole number when they all set the same values.
struct Grupo {
    std::vector<Pendiente> pares;
    bool juntos = false;
};

// What stages 2 and 4 work out, kept in memory: the closing pass writes it
// with everything else it writes, so each row is rewritten once. Should the
// run stop part-way, or the closing pass fail, it is written instead with the
// stages' own statements, in their order, leaving what they would have left.
struct Clasificados {
    std::vector<ArticuloPorBuscar> articulos;
    std::vector<Grupo> grupos;
    // Per article looked up, the pair whose values its rows take: its own,
    // its number's first when one update does the number, or none.
    std::vector<const Pendiente*> efectoDeArticulo;
    // Every row of the interno as stage 2's walk read it; then, in the same
    // storage, stage 4's rows. A shipment's rows are all held until the
    // closing pass, so each takes 16 bytes.
    struct Fila {
        long long artord;
        // Stage 2's walk: whose update reaches the row; -1: none (a null
        // number). Stage 4: whose values the row takes; -1: none, it was "A" already.
        int32_t articulo;
        // Its position and suffixes: when it is "A" already (-1 when it is
        // not) in the walk; the ones it is validated with in stage 4.
        int32_t clave;
    };
    std::vector<Fila> filas;
    // The distinct positions and suffixes, each validated once.
    std::vector<std::pair<std::string, std::string>> claves;
    std::unordered_map<std::string, uint32_t> indiceClaves;
    // Stage 4's rows, the "A" ones (already or by stage 2), in article order,
    // and each one's verdict: 0 valid, 1 position, 2 suffixes, 3 other; -1 not validated.
    using Validada = Fila;
    std::vector<Validada> validadas;
    std::vector<signed char> resultados;
    // The stage-2 values a stage-4 row takes, if any.
    const Pendiente* Efecto(const Validada& v) const {
        return v.articulo >= 0 ? efectoDeArticulo[static_cast<size_t>(v.articulo)] : nullptr;
    }
    // Whole-number article orders, one row each: the closing pass can find a
    // row by its order. Otherwise the stages write with their own statements.
    bool porOrden = true;

    uint32_t Clave(const std::string& ncm, const std::string& suf) {
        std::string k = ncm;
        k.push_back('\0');
        k += suf;
        auto [it, nueva] = indiceClaves.try_emplace(std::move(k), static_cast<uint32_t>(claves.size()));
        if (nueva)
            claves.emplace_back(ncm, suf);
        return it->second;
    }
};

// The update of a found pair, or of its whole number (without its VIN).
void ArmarLanzamiento(SentenciaSql& update, const std::string& interno, const ArticuloPorBuscar& a, const Pendiente& p,
                      bool conVin) {
    update.Limpiar();
    update.Sql("update ART set ");
    for (size_t k = 0; k < Pendiente::kColumnas; ++k)
        if (p.Pone(k))
            update.Sql(kColumnasEtapa2[k]).Sql(" = ").Texto(p.Valor(k)).Sql(",");
    update.Sql("PRCEST = ").Texto("A").Sql(" WHERE INTNRO = ").Texto(interno);
    update.Sql("   and ARTNRO = ").Texto(a.artnro).Sql(" ");
    if (conVin) {
        if (a.vin.EsNulo())
            update.Sql("  and PRCVIN is null ");
        else
            update.Sql("  and PRCVIN = ").Texto(a.vin.Texto()).Sql(" ");
    }
    update.Sql("  and (PRCEST <> ").Texto("A").Sql(" or PRCEST is null)");
}

// Writes the updates of a number's found pairs; `juntos`: one for the whole
// number when the group allows it. A failing update is quoted in `sSQL`.
void EscribirGrupo(Aplicacion& app, const Clasificados& c, const std::vector<Pendiente>& pares, bool juntos,
                   SentenciaSql& update, std::string& sSQL) {
    auto Lanzar = [&](const Pendiente& p, bool conVin) {
        ArmarLanzamiento(update, app.InternoActual, c.articulos[p.articulo], p, conVin);
        try {
            app.Db.Ejecutar(update);
        } catch (...) {
            sSQL = update.TextoSql();
            throw;
        }
    };
    if (juntos && !pares.empty())
        Lanzar(pares[0], false);
    else
        for (const Pendiente& p : pares)
            Lanzar(p, true);
}

// Stage 2's updates, all of them, as the stage writes them.
void EscribirEtapa2(Aplicacion& app, const Clasificados& c, std::string& sSQL) {
    SentenciaSql update;
    for (const Grupo& g : c.grupos)
        EscribirGrupo(app, c, g.pares, g.juntos, update, sSQL);
}

// Stage 4's codes of the rows found wrong among the first `hasta` validated,
// as the stage writes them, one statement each.
void EscribirFallidas(Aplicacion& app, const Clasificados& c, size_t hasta, std::string& sSQL) {
    SentenciaSql update;
    for (size_t i = 0; i < hasta; ++i) {
        const signed char resultado = c.resultados[i];
        if (resultado <= 0)
            continue;
        update.Limpiar();
        update.Sql("update ART set PRCCRC = ")
            .Texto(kCodigosResultado[resultado])
            .Sql(", PRCEST = 'E' where INTNRO = ")
            .Texto(app.InternoActual)
            .Sql("  and ARTORD = ")
            .Numero(c.validadas[i].artord);
        try {
            app.Db.Ejecutar(update);
        } catch (...) {
            sSQL = update.TextoSql();
            throw;
        }
    }
}

// Adds a value to the key of a distinct row, compared as its column is: a
// null apart from an empty text, numbers as numbers, texts ignoring ASCII
// case when `sinMayusculas`.
void AgregarAClave(std::string& clave, const Valor& v, bool sinMayusculas) {
    if (v.EsNulo()) {
        clave += 'n';
        return;
    }
    if (v.tipo() == Valor::Tipo::Entero || v.tipo() == Valor::Tipo::Real) {
        double d = v.Numero();
        if (d == 0)
            d = 0; // -0 is 0
        clave += 'd';
        clave.append(reinterpret_cast<const char*>(&d), sizeof d);
        return;
    }
    const std::string t = sinMayusculas ? LCaseAscii(v.Texto()) : v.Texto();
    const uint32_t largo = static_cast<uint32_t>(t.size());
    clave += 't';
    clave.append(reinterpret_cast<const char*>(&largo), sizeof largo);
    clave += t;
}

// Stage 2's walk over the interno's rows. The update of an article number and
// VIN marks all its rows "A", so a later row of the same pair (another price
// or origin) would change nothing: only the first of each pair is kept to be
// looked up. Per row it keeps what later stages need: its order, its pair, and
// the position and suffixes of a row classified already.
// The distinct rows (number, price, origin, VIN) are told apart here, not by a
// DISTINCT that would sort every row into a temporary index: the walk reads
// the rows in number, then article order, and a row counts when its
// combination is new, which is where DISTINCT would have kept it. ARTNRO
// compares ignoring case, so the order brings the rows of one number together
// and what was seen needs remembering only within that number. Returns the
// number of distinct rows, which is what the progress bar counts.
long LeerFilas(Aplicacion& app, Clasificados& c) {
    long filas = 0;
    std::string numero; // the number being read, in lower case
    // Per distinct row and per VIN of the number, its pair.
    std::unordered_map<std::string, int32_t> vistos, distintas;
    std::string clave;
    // Every row is held until the closing pass: sized once, the rows are
    // never copied to a larger block while the page cache is full.
    const SentenciaSql filtro = SentenciaSql(" from ART where INTNRO = ").Texto(app.InternoActual);
    c.filas.reserve(static_cast<size_t>(Almacor::ContarFilas(app.Db, filtro)));
    // The query's columns, read by position: every row reads most of them.
    enum : size_t { kNro, kUni, kOrg, kVin, kOrd, kClasificado, kNcm, kSuf };
    for (Almacor::Cursor art(app.Db, SentenciaSql("select ARTNRO, ARTUNI, ARTORG, PRCVIN, ARTORD, PRCEST = 'A' as "
                                                  "CLASIFICADO, PRCNCM, PRCSUF")
                                         .Anexar(filtro)
                                         .Sql(" order by ARTNRO, ARTORD"));
         !art.Eof(); art.MoveNext()) {
        const Valor& nro = art.Fields(kNro);
        std::string bajo = LCaseAscii(nro.Texto());
        if (bajo != numero || filas == 0) {
            numero = std::move(bajo);
            vistos.clear();
            distintas.clear();
        }
        const Valor& org = art.Fields(kOrg);
        const Valor& vin = art.Fields(kVin);
        clave.assign(1, nro.EsNulo() ? 'n' : 't'); // a null number is not an empty one
        AgregarAClave(clave, art.Fields(kUni), false);
        AgregarAClave(clave, org, true);
        AgregarAClave(clave, vin, true);
        auto [distinta, nueva] = distintas.try_emplace(clave, -1);
        if (nueva) {
            ++filas;
            auto [par, nuevo] = vistos.try_emplace(vin.EsNulo() ? std::string("n") : "v" + LCaseAscii(vin.Texto()),
                                                   static_cast<int32_t>(c.articulos.size()));
            if (nuevo)
                c.articulos.push_back({nro.Texto(), vin, Trim(org.Texto()).empty(), filas});
            distinta->second = par->second;
        }
        const Valor& orden = art.Fields(kOrd);
        if (orden.tipo() != Valor::Tipo::Entero)
            c.porOrden = false;
        Clasificados::Fila f{static_cast<long long>(orden.Numero()), nro.EsNulo() ? -1 : distinta->second, -1};
        if (art.Fields(kClasificado).Numero() != 0)
            f.clave = static_cast<int32_t>(c.Clave(art.Fields(kNcm).Texto(), art.Fields(kSuf).Texto()));
        c.filas.push_back(f);
    }
    return filas;
}

// Stage 2: every distinct article row looked up in the catalog and completed
// from the nomenclator. What the updates would set is kept in the run's
// Clasificados, not written, except when the stage stops with an error: then
// what came before is written as the stage goes.
class Etapa2 {
public:
    Etapa2(Aplicacion& app, std::string& sSQL, Clasificados& c) : m_app(app), m_sSQL(sSQL), m_c(c), m_aduana(app) {}

    void Correr() {
        Operador& op = *m_app.Op;
        op.Estado("Procesando... Etapa 2 de 4: Buscando articulos en catalogo");
        op.ProgresoRango(0, 10);
        op.ProgresoValor(1);
        const long filas = LeerFilas(m_app, m_c);
        if (filas > 0)
            op.ProgresoRango(0, static_cast<int>(filas));
        m_efecto.assign(m_c.articulos.size(), {-1, -1});
        for (size_t i = 0; i < m_c.articulos.size(); ++i) {
            if (std::string bajo = LCaseAscii(m_c.articulos[i].artnro); bajo != m_numero) {
                Guardar(i);
                m_numero = std::move(bajo);
                m_inicio = i;
            }
            Buscar(i);
            if (m_pendientes.empty())
                Mostrar(m_c.articulos[i].posicion);
        }
        Guardar(m_c.articulos.size());
        Mostrar(filas);
        Citar(); // what a later error quotes until the next update is built
        Enlazar();
    }

private:
    // Looks article `i` up and keeps its pair's values when it is found. A
    // failing look-up writes what came before as the stage would have
    // written it by now: the numbers before this one, and this number's pairs
    // each on its own; the message shows the update that failed.
    void Buscar(size_t i) {
        const ArticuloPorBuscar& a = m_c.articulos[i];
        try {
            if (const Recordset* cat = m_aduana.Catalogo(m_app.Config.INTCAT, a.artnro)) {
                m_actual.clear();
                m_ultima = Ultima::Armando;
                ValoresDelCatalogo(*cat, a);
                m_ultima = Ultima::Armada;
                m_pendientes.emplace_back(i, m_actual);
            }
        } catch (...) {
            const Ultima fallida = m_ultima;
            EscribirEtapa2(m_app, m_c, m_sSQL);
            EscribirGrupo(m_app, m_c, m_pendientes, false, m_update, m_sSQL);
            for (const Pendiente& p : m_pendientes)
                Mostrar(m_c.articulos[p.articulo].posicion);
            m_ultima = fallida;
            Citar();
            throw;
        }
    }

    // What the update of a found pair sets, in its order: the LAPI, the
    // position completed with its letter, the suffixes with the VIN, the
    // origin of an article without one, the units.
    void ValoresDelCatalogo(const Recordset& cat, const ArticuloPorBuscar& a) {
        const std::string ncm = cat.Fields("ncm").Texto();
        std::string posicion = Trim(ncm);
        const std::string n001 = Left(ncm, 10), n002 = Mid(ncm, 12, 3);
        const std::string lapi = cat.Fields("lapi").Texto();
        if (!Trim(lapi).empty()) {
            m_actual.push_back({"PRCLAP", lapi});
            const Recordset* nom = nullptr;
            if (Len(posicion) == 14 && (nom = m_aduana.Ncm("[003] as letra", n001, n002)))
                posicion += modGlobal::LetraDeFilas(*nom, posicion);
        } else if (const Recordset* nom = m_aduana.Ncm("[003] as letra,[059] as lapi", n001, n002); !nom) {
            m_actual.push_back({"PRCLAP", "N"});
        } else {
            m_actual.push_back({"PRCLAP", nom->Fields("lapi").Texto() == "*" ? "S" : "N"});
            if (Len(posicion) == 14)
                posicion += modGlobal::LetraDeFilas(*nom, posicion);
        }
        m_actual.push_back({"PRCNCM", posicion});
        m_actual.push_back(
            {"PRCSUF", modEntidadesTarvelo::ImplementarVINenSufijos(cat.Fields("sufijos").Texto(), a.vin.Texto())});
        const std::string idpais = cat.Fields("idpais").Texto();
        if (a.sinOrigen && !Trim(idpais).empty())
            m_actual.push_back({"PRCORI", idpais});
        if (const Recordset* uni = m_aduana.Ncm("[012] as estadistica,[020] as deresp", n001, n002)) {
            m_actual.push_back({"PRCEUN", uni->Fields("estadistica").Texto()});
            const std::string deresp = uni->Fields("deresp").Texto();
            if (!Trim(deresp).empty())
                m_actual.push_back({"PRCSUN", deresp});
        }
    }

    // The pairs of one number found in the catalog, kept as one group when the
    // next number comes. When every pair of the number sets the same values
    // (the suffixes take no VIN, the origin is filled alike), one update of
    // the number does what theirs would one after the other: together they
    // reach every row of the number. `fin`: the number's end among the articles.
    void Guardar(size_t fin) {
        if (m_pendientes.empty())
            return;
        bool iguales = m_pendientes.size() > 1;
        for (size_t i = 1; iguales && i < m_pendientes.size(); ++i)
            iguales = m_pendientes[i].MismosValores(m_pendientes[0]);
        const int32_t g = static_cast<int32_t>(m_c.grupos.size());
        if (iguales)
            for (size_t k = m_inicio; k < fin; ++k)
                m_efecto[k] = {g, 0};
        for (size_t i = 0; i < m_pendientes.size(); ++i) {
            if (!iguales)
                m_efecto[m_pendientes[i].articulo] = {g, static_cast<int32_t>(i)};
            Mostrar(m_c.articulos[m_pendientes[i].articulo].posicion);
        }
        m_c.grupos.push_back({std::move(m_pendientes), iguales});
        m_pendientes.clear();
        m_ultima = Ultima::Escrita;
    }

    // Puts the update most recently built in `sSQL`, which an error quotes: the
    // one last kept (as it would be written), or the pair's being put
    // together (as far as it got).
    void Citar() {
        if (m_ultima == Ultima::Ninguna)
            return;
        if (m_ultima == Ultima::Escrita) {
            const Grupo& g = m_c.grupos.back();
            const Pendiente& p = g.juntos ? g.pares.front() : g.pares.back();
            ArmarLanzamiento(m_update, m_app.InternoActual, m_c.articulos[p.articulo], p, !g.juntos);
        } else {
            ArmarUpdate(m_update, m_actual);
            if (m_ultima == Ultima::Armada)
                m_update.Sql("PRCEST = ").Texto("A").Sql(" ");
        }
        m_sSQL = m_update.TextoSql();
    }

    // The progress bar up to distinct row `hasta`.
    void Mostrar(long hasta) {
        for (; m_avance <= hasta; ++m_avance)
            m_app.Op->ProgresoValor(static_cast<int>(m_avance));
    }

    // Each pair's position and suffixes, and each article's pair.
    void Enlazar() {
        for (Grupo& g : m_c.grupos)
            for (Pendiente& p : g.pares) {
                const std::string_view suf = p.Valor(2);
                p.clave = m_c.Clave(std::string(p.Valor(1)), std::string(suf));
                p.sufijoVacio = suf.find("()") != std::string_view::npos;
            }
        m_c.efectoDeArticulo.assign(m_c.articulos.size(), nullptr);
        for (size_t k = 0; k < m_c.articulos.size(); ++k)
            if (m_efecto[k].first >= 0)
                m_c.efectoDeArticulo[k] =
                    &m_c.grupos[static_cast<size_t>(m_efecto[k].first)].pares[static_cast<size_t>(m_efecto[k].second)];
    }

    Aplicacion& m_app;
    std::string& m_sSQL;
    Clasificados& m_c;
    ConsultasAduana m_aduana;
    long m_avance = 1;                   // the next row whose progress is due
    std::vector<Pendiente> m_pendientes; // found pairs of the number being looked up
    std::string m_numero;                // of the pending pairs, in lower case
    size_t m_inicio = 0;                 // the number's first article
    // Per article, its group and pair there (-1: none), or the group's first
    // pair for all the number's articles when one update does the number.
    std::vector<std::pair<int32_t, int32_t>> m_efecto;
    SentenciaSql m_update;
    std::vector<Asignacion> m_actual; // of the pair being put together
    enum class Ultima { Ninguna, Armando, Armada, Escrita } m_ultima = Ultima::Ninguna;
};

// Stage 4: every classified article through the validator. Its verdicts are
// kept in `c` for the closing pass; only a validation that fails with an error
// has what came before written here.
void Etapa4(Aplicacion& app, std::unique_ptr<Tesmira::Motor>& validador, std::string& sSQL, Clasificados& c,
            bool conCatalogo) {
    Operador& op = *app.Op;
    op.Estado("Procesando... Etapa 4 de 4: Validando NCM...");
    op.ProgresoValor(0);
    op.ProgresoValor(1);
    // The "A" rows: as stage 2 leaves them, from its walk; without stage 2,
    // read here.
    if (conCatalogo) {
        // Held through the closing pass: the walk's rows become these in place,
        // so the run's peak does not carry every row twice.
        size_t n = 0;
        for (const Clasificados::Fila& f : c.filas) {
            const Pendiente* p = f.articulo >= 0 ? c.efectoDeArticulo[static_cast<size_t>(f.articulo)] : nullptr;
            if (f.clave >= 0)
                c.filas[n++] = {f.artord, -1, f.clave};
            else if (p)
                c.filas[n++] = {f.artord, f.articulo, static_cast<int32_t>(p->clave)};
        }
        c.filas.resize(n);
        c.filas.shrink_to_fit();
        c.validadas.swap(c.filas);
    } else {
        for (Almacor::Cursor rs(app.Db, SentenciaSql("select PRCNCM, PRCSUF, INTNRO, ARTORD, ARTKGU from ART where "
                                                     "INTNRO = ")
                                            .Texto(app.InternoActual)
                                            .Sql(" and PRCEST = 'A'"));
             !rs.Eof(); rs.MoveNext()) {
            const Valor& orden = rs.Fields("ARTORD");
            if (orden.tipo() != Valor::Tipo::Entero)
                c.porOrden = false;
            c.validadas.push_back(
                {static_cast<long long>(orden.Numero()), -1,
                 static_cast<int32_t>(c.Clave(rs.Fields("PRCNCM").Texto(), rs.Fields("PRCSUF").Texto()))});
        }
    }
    if (c.validadas.empty())
        return;
    op.ProgresoRango(0, static_cast<int>(c.validadas.size()));
    // The skipped declaration types create no validator; an interno of theirs
    // classified earlier under another type can still hold "A" rows.
    if (!validador) {
        validador = std::make_unique<Tesmira::Motor>();
        validador->ConexionString(*app.Entidades);
    }
    // Each distinct position and suffixes is validated once. The walk goes in
    // article order, so when a validation fails with an error, the rows before
    // it are the ones validated: stage 2 and their codes are written, the
    // valid ones marked "OK" together.
    std::sort(c.validadas.begin(), c.validadas.end(),
              [](const Clasificados::Validada& a, const Clasificados::Validada& b) { return a.artord < b.artord; });
    std::vector<signed char> resultados(c.claves.size(), -1); // -1: not validated yet
    c.resultados.assign(c.validadas.size(), -1);
    for (size_t i = 0; i < c.validadas.size(); ++i) {
        const Clasificados::Validada& v = c.validadas[i];
        signed char& resultado = resultados[static_cast<size_t>(v.clave)];
        if (resultado < 0) {
            const auto& [ncm, suf] = c.claves[v.clave];
            try {
                int r = validador->ValidarSufijos(ncm, suf);
                resultado = static_cast<signed char>(r >= 0 && r <= 2 ? r : 3);
            } catch (...) {
                EscribirEtapa2(app, c, sSQL);
                EscribirFallidas(app, c, i, sSQL);
                const SentenciaSql validas = SentenciaSql("update ART set PRCCRC = 'OK' where INTNRO = ")
                                                 .Texto(app.InternoActual)
                                                 .Sql(" and PRCEST = 'A' and ARTORD < ")
                                                 .Numero(v.artord);
                sSQL = validas.TextoSql();
                app.Db.Ejecutar(validas);
                throw;
            }
        }
        c.resultados[i] = resultado;
        op.ProgresoValor(static_cast<int>(i + 1));
    }
    for (size_t i = 1; i < c.validadas.size() && c.porOrden; ++i)
        if (c.validadas[i].artord == c.validadas[i - 1].artord)
            c.porOrden = false;
}

// The closing pass's view of stages 2 and 4, by article order: for each
// column code, the row's value once both stages are written.
class Efectos {
public:
    explicit Efectos(const Clasificados& c) : m_c(c) {
        long long menor = c.validadas.front().artord, mayor = c.validadas.back().artord;
        // Article orders run from 1 without gaps in practice; a table by
        // order costs one slot per order in between.
        m_denso = mayor - menor < static_cast<long long>(c.validadas.size()) * 4 + 64;
        m_base = menor;
        if (m_denso) {
            m_tabla.assign(static_cast<size_t>(mayor - menor + 1), -1);
            for (size_t i = 0; i < c.validadas.size(); ++i)
                m_tabla[static_cast<size_t>(c.validadas[i].artord - menor)] = static_cast<int32_t>(i);
        } else {
            for (size_t i = 0; i < c.validadas.size(); ++i)
                m_mapa.emplace(c.validadas[i].artord, static_cast<int32_t>(i));
        }
    }
    // Arguments: ARTORD and a column code. Null when the row keeps the
    // column's value; for kCodigoSufijoVacio, whether the suffixes the row
    // takes from stage 2 hold "()" (null when it takes none).
    void operator()(Almacor::LlamadaSql& llamada) const {
        const long long i = Buscar(llamada.Entero(0));
        if (i < 0) {
            llamada.DevolverNulo();
            return;
        }
        const long long codigo = llamada.Entero(1);
        const signed char resultado = m_c.resultados[static_cast<size_t>(i)];
        const Pendiente* efecto = m_c.Efecto(m_c.validadas[static_cast<size_t>(i)]);
        if (codigo == kCodigoEstado) {
            if (resultado > 0)
                llamada.DevolverTextoFijo("E");
            else if (efecto)
                llamada.DevolverTextoFijo("A");
            else
                llamada.DevolverNulo();
        } else if (codigo == kCodigoResultado) {
            if (resultado >= 0)
                llamada.DevolverTextoFijo(kCodigosResultado[resultado]);
            else
                llamada.DevolverNulo();
        } else if (codigo == kCodigoSufijoVacio) {
            if (efecto)
                llamada.DevolverEntero(efecto->sufijoVacio ? 1 : 0);
            else
                llamada.DevolverNulo();
        } else if (codigo >= 0 && codigo < kCodigoEstado && efecto && efecto->Pone(static_cast<size_t>(codigo))) {
            llamada.DevolverTextoFijo(efecto->Valor(static_cast<size_t>(codigo)));
        } else {
            llamada.DevolverNulo();
        }
    }

private:
    // The row's place among stage 4's rows; -1 when it is not one.
    long long Buscar(long long artord) const {
        if (m_denso) {
            const unsigned long long i = static_cast<unsigned long long>(artord - m_base);
            return i < m_tabla.size() ? m_tabla[i] : -1;
        }
        auto it = m_mapa.find(artord);
        return it == m_mapa.end() ? -1 : it->second;
    }

    const Clasificados& m_c;
    bool m_denso = true;
    long long m_base = 0;
    std::vector<int32_t> m_tabla;
    std::unordered_map<long long, int32_t> m_mapa;
};

// How the closing pass reads what stages 2 and 4 set: from the rows, once the
// stages have written it with their own statements, or through the run's
// function `clasificada`, which answers what they worked out (null: the row
// keeps its value). The pass's rules are written once, over these readings.
struct Lectura {
    bool porFuncion = false;

    // The column of stage 2's list with code `k`, as the stages leave it. The
    // function's answer compares as the column would.
    void Columna(SentenciaSql& s, int k) const { Leer(s, k, kColumnasEtapa2[k]); }
    // The result code as stage 4 leaves it: "OK" for an "A" row by then.
    void Resultado(SentenciaSql& s) const {
        if (porFuncion)
            Leer(s, kCodigoResultado, "PRCCRC");
        else
            s.Sql("case when PRCEST = 'A' then 'OK' else PRCCRC end");
    }
    // Whether the row's suffixes hold a value left empty, "()".
    void SufijoVacio(SentenciaSql& s) const {
        if (porFuncion)
            s.Sql("ifnull(clasificada(ARTORD, ")
                .Numero(static_cast<long long>(kCodigoSufijoVacio))
                .Sql("), instr(1,PRCSUF,'()')>0)");
        else
            s.Sql("instr(1,PRCSUF,'()')>0");
    }

private:
    void Leer(SentenciaSql& s, int codigo, const char* columna) const {
        if (!porFuncion) {
            s.Sql(columna);
            return;
        }
        s.Sql("ifnull(clasificada(ARTORD, ")
            .Numero(static_cast<long long>(codigo))
            .Sql("), ")
            .Sql(columna)
            .Sql(") collate nocase");
    }
};

// The closing pass: stage 3, stage 4's "OK" for the articles it found valid
// and the closing checks, in one pass over the interno's rows, each column as
// they leave it one after the other: stage 3's quantities and declared unit;
// the unit quantity of the valid articles whose declared unit (INTDUN by then)
// is the statistical one; "CERO" for a valid article without price; origin and
// destination "200" for ICR1; and "SUF" for suffixes with an empty value,
// whatever the code was. Every expression reads the row as it was before the
// pass, so the quantity check sees it before the price check changes its code.
// Read through the function, the pass also writes what stages 2 and 4 set.
SentenciaSql PasadaDeCierre(const Lectura& leer, const std::string& dun, const std::string& interno) {
    SentenciaSql s("update ART set ");
    auto Valida = [&] {
        s.Sql("(");
        leer.Resultado(s);
        s.Sql(") = 'OK' collate nocase");
    };
    if (leer.porFuncion) {
        for (int k : {0, 1, 2, 4, 5}) {
            s.Sql(kColumnasEtapa2[k]).Sql(" = ");
            leer.Columna(s, k);
            s.Sql(", ");
        }
        s.Sql("PRCEST = ifnull(clasificada(ARTORD, ").Numero(static_cast<long long>(kCodigoEstado)).Sql("), PRCEST), ");
    }
    s.Sql("PRCECA = case ");
    leer.Columna(s, 4);
    s.Sql(" when '07' then ARTCAN when ").Texto(dun).Sql(" then case when ");
    Valida();
    s.Sql(" then ARTCAN else PRCECA end else PRCECA end, PRCSCA = case when ");
    leer.Columna(s, 5);
    s.Sql(" = '07' then ARTCAN else PRCSCA end, PRCDUN = ").Texto(dun).Sql(", PRCCRC = case when ");
    leer.SufijoVacio(s);
    s.Sql(" then 'SUF' when (ARTTOT = 0 OR ARTUNI = 0) and ");
    Valida();
    s.Sql(" then 'CERO' else ");
    leer.Resultado(s);
    s.Sql(" end, PRCORI = case when PRCTDS = 'ICR1' then '200' else ");
    leer.Columna(s, 3);
    s.Sql(" end, PRCDST = case when PRCTDS = 'ICR1' then '200' else PRCDST end where INTNRO = ").Texto(interno);
    return s;
}

// The run's transaction. Inside a caller's transaction it is a savepoint, so
// it can be undone alone. Otherwise it is a transaction of its own: a
// savepoint there would have SQLite copy aside every page the run changes,
// for a partial rollback nothing asks for.
class TransaccionDeLaCorrida {
public:
    explicit TransaccionDeLaCorrida(Almacor::Gestor& db) : m_db(db) {}
    // A run the operator stopped leaves through here with its transaction
    // still open: it is undone, nothing of it kept.
    ~TransaccionDeLaCorrida() {
        if (!m_abierta)
            return;
        try {
            Deshacer();
        } catch (...) {
            m_db.DeshacerOReconectar();
        }
    }
    TransaccionDeLaCorrida(const TransaccionDeLaCorrida&) = delete;
    TransaccionDeLaCorrida& operator=(const TransaccionDeLaCorrida&) = delete;
    void Abrir() {
        m_propia = !m_db.EnTransaccion();
        if (m_propia)
            m_db.ComenzarTransaccion();
        else
            m_db.Savepoint(kSavepoint);
        m_abierta = true;
    }
    void Confirmar() {
        m_abierta = false;
        if (m_propia)
            m_db.ConfirmarTransaccion();
        else
            m_db.LiberarSavepoint(kSavepoint);
    }
    void Deshacer() {
        m_abierta = false;
        if (m_propia)
            m_db.DeshacerTransaccion();
        else
            m_db.VolverASavepoint(kSavepoint);
    }

private:
    Almacor::Gestor& m_db;
    bool m_propia = false;
    bool m_abierta = false;
};

// Writes what stages 2 and 4 worked out and the closing pass. When every row
// can be found by its order, one pass writes it all through the run's
// function; otherwise, or when that pass fails (it is undone), the stages are
// written with their own statements and then the pass, so a failure is met,
// and reported, where they meet it. `etapa3` is emptied when stage 2's own
// statements fail, which is before stage 3 was reached.
void Cerrar(Aplicacion& app, const Clasificados& c, const std::string& dun, std::string& sSQL, SentenciaSql& etapa3) {
    const std::string& interno = app.InternoActual;
    // The pass, quoted in `sSQL` before it runs.
    auto Pasada = [&] {
        const SentenciaSql pasada = PasadaDeCierre(Lectura{false}, dun, interno);
        sSQL = pasada.TextoSql();
        app.Db.Ejecutar(pasada);
    };
    auto UnaTrasOtra = [&] {
        try {
            EscribirEtapa2(app, c, sSQL);
        } catch (...) {
            etapa3.Limpiar();
            throw;
        }
        EscribirFallidas(app, c, c.validadas.size(), sSQL);
        Pasada();
    };
    if (c.validadas.empty()) {
        Pasada();
        return;
    }
    if (!c.porOrden) {
        UnaTrasOtra();
        return;
    }
    Almacor::FuncionSql funcion(app.Db, "clasificada", 2, Efectos(c));
    const SentenciaSql pasada = PasadaDeCierre(Lectura{true}, dun, interno);
    sSQL = pasada.TextoSql();
    app.Db.Savepoint(kSavepointCierre);
    try {
        app.Db.Ejecutar(pasada);
    } catch (const std::exception&) {
        app.Db.VolverASavepoint(kSavepointCierre);
        UnaTrasOtra();
        return;
    }
    app.Db.LiberarSavepoint(kSavepointCierre);
}

// The run's error message. What was classified before the failing statement
// stays classified, stage 3 included when the run got past it.
void InformarFallo(Aplicacion& app, TransaccionDeLaCorrida& transaccion, bool abierta, const SentenciaSql& etapa3,
                   const std::string& sSQL) {
    AppError e = AppError::Actual();
    if (abierta && !etapa3.Plantilla().empty()) {
        try {
            app.Db.Ejecutar(etapa3);
        } catch (...) {
            e.Description += vbCrLf + std::string("No se pudo guardar la etapa 3: ") + AppError::Actual().Description;
        }
    }
    if (abierta) {
        try {
            transaccion.Confirmar();
        } catch (...) {
            AppError c = AppError::Actual();
            std::string nota = app.Db.DeshacerOReconectar();
            e.Description += vbCrLf + std::string("No se pudo guardar lo clasificado: ") + c.Description;
            if (!nota.empty())
                e.Description += vbCrLf + nota;
        }
    }
    app.Op->MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmMain.FRAM2_GuardarDatosToBase]::" + e.Source + vbCrLf +
                       vbCrLf + "SQL:" + vbCrLf + sSQL,
                   Operador::Icono::Critico);
}

} // namespace

bool FRAM2_GuardarDatosToBase(Aplicacion& app) {
    Operador& op = *app.Op;
    std::string sSQL; // the update being built, quoted by the error message
    bool abierta = false;
    SentenciaSql etapa3; // stage 3's own update while the closing pass has not done it (empty: none)
    TransaccionDeLaCorrida transaccion(app.Db);
    try {
        std::unique_ptr<Tesmira::Motor> validador;
        const bool conCatalogo = app.TipoDeclaracion != "ICR2" && app.TipoDeclaracion != "RR01";
        if (conCatalogo) {
            op.ProgresoVisible(true);
            validador = std::make_unique<Tesmira::Motor>();
            validador->ConexionString(*app.Entidades);
            if (app.Config.INTCAT.empty()) {
                op.MsgBox(std::string("Falta seleccionar el CATALOGO") + vbCrLf + vbCrLf +
                              "Haga click en CONFIGURACIÓN",
                          Operador::Icono::Exclamacion);
                return false;
            }
        }
        // One transaction for the whole run.
        transaccion.Abrir();
        abierta = true;

        // The catalog and nomenclator look-ups of stages 2 and 4 share one
        // read transaction per customs database. Should a connection not be
        // at hand, each query opens its own and reports its own failure.
        std::vector<std::unique_ptr<Almacor::LecturaSostenida>> lecturas;
        if (conCatalogo) {
            for (const char* entidad : {"CATALOGOS", "NCM"}) {
                try {
                    lecturas.push_back(
                        std::make_unique<Almacor::LecturaSostenida>(app.Entidades->getDataConnectionByEntity(entidad)));
                } catch (...) {
                }
            }
        }

        Clasificados clasificados;
        if (conCatalogo)
            Etapa2(app, sSQL, clasificados).Correr();

        // Stage 3 writes the quantities and the declared unit, which stage 4
        // neither reads nor writes, so the closing pass does its work: it
        // rewrites every row anyway. Should stage 4 stop with an error, stage 3
        // is written on its own before the error is reported.
        op.Estado("Procesando... Etapa 3 de 4: Actualizando datos comunes");
        const std::string& dun = app.Config.INTDUN;
        etapa3
            .Sql("update ART set PRCECA = case when PRCEUN = '07' then ARTCAN else PRCECA end, "
                 "PRCSCA = case when PRCSUN = '07' then ARTCAN else PRCSCA end, PRCDUN = ")
            .Texto(dun)
            .Sql(" where INTNRO = ")
            .Texto(app.InternoActual);

        Etapa4(app, validador, sSQL, clasificados, conCatalogo);
        lecturas.clear(); // the customs databases are not read after stage 4

        op.Estado("Procesando... validando precios");
        op.Estado("Procesando... estableciendo pais destino y proc ");
        op.Estado("Procesando... validando sufijos");
        Cerrar(app, clasificados, dun, sSQL, etapa3);
        etapa3.Limpiar();

        abierta = false;
        transaccion.Confirmar();
        op.Estado("Fin de Proceso");
        op.ProgresoVisible(false);
        return true;
    } catch (...) {
        InformarFallo(app, transaccion, abierta, etapa3, sSQL);
        return false;
    }
}
