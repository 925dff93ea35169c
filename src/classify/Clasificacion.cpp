#include "classify/Clasificacion.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "import/modEntidadesTarvelo.h"
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

// The catalog and the nomenclator do not change during a classification, and
// many articles share a position: each distinct nomenclator query is asked once
// per run and its rows kept. Articles come in number order, so the catalog
// query of the previous article is the only one worth keeping.
class ConsultasAduana {
public:
    explicit ConsultasAduana(Aplicacion& app) : m_app(app) {}
    // The rows of the query, on the first; nullptr when there are none.
    const Recordset* Catalogo(const std::string& sql) {
        if (!m_hayCatalogo || sql != m_sqlCatalogo) {
            m_hayCatalogo = false;
            Consultar(m_conCatalogo, "CATALOGOS", sql, m_catalogo);
            m_sqlCatalogo = sql;
            m_hayCatalogo = true;
        }
        return m_catalogo.RecordCount() > 0 ? &m_catalogo : nullptr;
    }
    const Recordset* Ncm(const std::string& sql) {
        auto it = m_ncm.find(sql);
        if (it == m_ncm.end()) {
            Recordset r;
            Consultar(m_conNcm, "NCM", sql, r);
            if (m_ncm.size() >= kMaxNcm)
                m_ncm.clear();
            it = m_ncm.emplace(sql, std::move(r)).first;
        }
        return it->second.RecordCount() > 0 ? &it->second : nullptr;
    }

private:
    // The entity manager hands out the same connection for an entity every
    // time: it is asked once, at the entity's first query.
    bool Consultar(Conexion*& conexion, const char* entidad, const std::string& sql, Recordset& rs) {
        if (!conexion)
            conexion = &m_app.Entidades->getDataConnectionByEntity(entidad);
        conexion->Sql(sql);
        return conexion->CrearRs(rs);
    }

    static constexpr size_t kMaxNcm = 100000; // three queries per position: memory stays bounded
    Aplicacion& m_app;
    Conexion* m_conCatalogo = nullptr;
    Conexion* m_conNcm = nullptr;
    std::string m_sqlCatalogo;
    Recordset m_catalogo;
    bool m_hayCatalogo = false;
    std::unordered_map<std::string, Recordset> m_ncm;
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
    bool operator==(const Asignacion& o) const {
        return std::string_view(columna) == o.columna && valor == o.valor;
    }
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

// Stage 2: every distinct article row looked up in the catalog and completed
// from the nomenclator.
void Etapa2(Aplicacion& app, std::string& sSQL) {
    Operador& op = *app.Op;
    const std::string interno = SqlTexto(app.InternoActual);
    op.Estado("Procesando... Etapa 2 de 4: Buscando articulos en catalogo");
    op.ProgresoRango(0, 10);
    op.ProgresoValor(1);
    // The update of an article number and VIN marks all its rows "A", so a later
    // row of the same pair (another price or origin) would change nothing: only
    // the first of each pair is looked up. The database compares them ignoring
    // ASCII case, and a null VIN is not an empty one.
    // The walk updates ART, so the rows are read whole first; only the pairs to
    // look up are kept, not every row of the query. ARTNRO compares ignoring
    // case, so the order brings the rows of one number together and the pairs
    // seen need remembering only within that number.
    // The distinct rows (number, price, origin, VIN) are told apart here, not
    // by a DISTINCT that would sort every row into a temporary index: the walk
    // reads the rows in the order that query reads them (number, then article
    // order), and a row counts when its combination is new, which is where
    // DISTINCT would have kept it. Texts compare as their columns do (origin
    // and VIN ignoring ASCII case, a null apart from an empty text), the price
    // as a number.
    std::vector<ArticuloPorBuscar> articulos;
    long filas = 0; // the distinct rows so far
    {
        std::string numero; // the number being read, in lower case
        std::unordered_set<std::string> vistos, distintas;
        std::string clave;
        auto Agregar = [&clave](const Valor& v, bool sinMayusculas) {
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
        };
        for (Almacor::Cursor art(app.Db, "select ARTNRO, ARTUNI, ARTORG, PRCVIN from ART where INTNRO = '" + interno +
                                             "' order by ARTNRO, ARTORD");
             !art.Eof(); art.MoveNext()) {
            const Valor& nro = art.Fields("ARTNRO");
            std::string bajo = LCaseAscii(nro.Texto());
            if (bajo != numero || filas == 0) {
                numero = std::move(bajo);
                vistos.clear();
                distintas.clear();
            }
            const Valor& org = art.Fields("ARTORG");
            const Valor& vin = art.Fields("PRCVIN");
            clave.assign(1, nro.EsNulo() ? 'n' : 't'); // a null number is not an empty one
            Agregar(art.Fields("ARTUNI"), false);
            Agregar(org, true);
            Agregar(vin, true);
            if (!distintas.insert(clave).second)
                continue;
            ++filas;
            if (!vistos.insert(vin.EsNulo() ? std::string("n") : "v" + LCaseAscii(vin.Texto())).second)
                continue;
            articulos.push_back({nro.Texto(), vin, Trim(org.Texto()).empty(), filas});
        }
    }
    if (filas > 0)
        op.ProgresoRango(0, static_cast<int>(filas));
    ConsultasAduana aduana(app);
    long avance = 1; // the next row whose progress is due
    auto Mostrar = [&](long hasta) {
        for (; avance <= hasta; ++avance)
            op.ProgresoValor(static_cast<int>(avance));
    };
    // The pairs of one number found in the catalog, with what their update
    // sets, written when the next number comes. When every pair of the number
    // sets the same values (the suffixes take no VIN, the origin is filled
    // alike), one update of the number does what theirs would one after the
    // other: together they reach every row of the number.
    struct Pendiente {
        const ArticuloPorBuscar* articulo;
        std::vector<Asignacion> asignaciones; // PRCEST = 'A' besides
    };
    std::vector<Pendiente> pendientes;
    std::string numero; // of the pending pairs, in lower case
    // The update most recently built, which an error quotes: the one being
    // written, or the pair's being put together (as far as it got).
    SentenciaSql update;
    std::vector<Asignacion> actual; // of the pair being put together
    enum class Ultima { Ninguna, Armando, Armada, Escrita } ultima = Ultima::Ninguna;
    auto Citar = [&] {
        if (ultima == Ultima::Ninguna)
            return;
        if (ultima != Ultima::Escrita) {
            ArmarUpdate(update, actual);
            if (ultima == Ultima::Armada)
                update.Sql("PRCEST = ").Texto("A").Sql(" ");
        }
        sSQL = update.TextoSql();
    };
    auto Escribir = [&](bool juntos) {
        if (pendientes.empty())
            return;
        bool iguales = juntos && pendientes.size() > 1;
        for (size_t i = 1; iguales && i < pendientes.size(); ++i)
            iguales = pendientes[i].asignaciones == pendientes[0].asignaciones;
        // The pair's update, or the number's (without its VIN).
        auto Lanzar = [&](const Pendiente& p, bool conVin) {
            ultima = Ultima::Escrita;
            ArmarUpdate(update, p.asignaciones);
            update.Sql("PRCEST = ").Texto("A").Sql(" WHERE INTNRO = ").Texto(app.InternoActual);
            update.Sql("   and ARTNRO = ").Texto(p.articulo->artnro).Sql(" ");
            if (conVin) {
                if (p.articulo->vin.EsNulo())
                    update.Sql("  and PRCVIN is null ");
                else
                    update.Sql("  and PRCVIN = ").Texto(p.articulo->vin.Texto()).Sql(" ");
            }
            update.Sql("  and (PRCEST <> ").Texto("A").Sql(" or PRCEST is null)");
            try {
                app.Db.Ejecutar(update);
            } catch (...) {
                Citar();
                throw;
            }
        };
        if (iguales)
            Lanzar(pendientes[0], false);
        for (const Pendiente& p : pendientes) {
            if (!iguales)
                Lanzar(p, true);
            Mostrar(p.articulo->posicion);
        }
        pendientes.clear();
    };
    for (const ArticuloPorBuscar& a : articulos) {
        const std::string& artnro = a.artnro;
        if (std::string bajo = LCaseAscii(artnro); bajo != numero) {
            Escribir(true);
            numero = std::move(bajo);
        }
        try {
            if (const Recordset* c = aduana.Catalogo(
                    "select ncm, lapi, sufijos, idunidad, estadistica, estadomerc, deresp, preciounitario, "
                    "descripcion, idpais, ArtKgUnitario from catarticulos where idcatalogo = '" +
                    SqlTexto(app.Config.INTCAT) + "' and idarticulo = '" + SqlTexto(artnro) + "'")) {
                const Recordset& cat = *c;
                actual.clear();
                ultima = Ultima::Armando;
                const std::string ncm = cat.Fields("ncm").Texto();
                std::string posicion = Trim(ncm);
                const std::string filtro =
                    " [001] = '" + SqlTexto(Left(ncm, 10)) + "' and [002] = '" + SqlTexto(Mid(ncm, 12, 3)) + "'";

                const std::string lapi = cat.Fields("lapi").Texto();
                if (!Trim(lapi).empty()) {
                    actual.push_back({"PRCLAP", lapi});
                    const Recordset* nom = nullptr;
                    if (Len(posicion) == 14 && (nom = aduana.Ncm("select [003] as letra from ncm where " + filtro)))
                        posicion += Trim(nom->Fields("letra").Texto());
                } else if (const Recordset* nom =
                               aduana.Ncm("select [003] as letra,[059] as lapi from ncm where " + filtro);
                           !nom) {
                    actual.push_back({"PRCLAP", "N"});
                } else {
                    actual.push_back({"PRCLAP", nom->Fields("lapi").Texto() == "*" ? "S" : "N"});
                    if (Len(posicion) == 14)
                        posicion += Trim(nom->Fields("letra").Texto());
                }
                actual.push_back({"PRCNCM", posicion});
                actual.push_back({"PRCSUF", modEntidadesTarvelo::ImplementarVINenSufijos(cat.Fields("sufijos").Texto(),
                                                                                          a.vin.Texto())});
                const std::string idpais = cat.Fields("idpais").Texto();
                if (a.sinOrigen && !Trim(idpais).empty())
                    actual.push_back({"PRCORI", idpais});
                if (const Recordset* uni =
                        aduana.Ncm("select [012] as estadistica,[020] as deresp from ncm where " + filtro)) {
                    actual.push_back({"PRCEUN", uni->Fields("estadistica").Texto()});
                    const std::string deresp = uni->Fields("deresp").Texto();
                    if (!Trim(deresp).empty())
                        actual.push_back({"PRCSUN", deresp});
                }
                ultima = Ultima::Armada;
                pendientes.push_back({&a, actual});
            }
        } catch (...) {
            // The pairs before this one are written, each on its own, as they
            // would have been; the message shows the update that failed.
            const Ultima fallida = ultima;
            Escribir(false);
            ultima = fallida;
            Citar();
            throw;
        }
        if (pendientes.empty())
            Mostrar(a.posicion);
    }
    Escribir(true);
    Mostrar(filas);
    Citar(); // what a later error quotes until the next update is built
}

// Stage 4: every classified article through the validator.
void Etapa4(Aplicacion& app, std::unique_ptr<Tesmira::Motor>& validador, std::string& sSQL) {
    Operador& op = *app.Op;
    const std::string interno = SqlTexto(app.InternoActual);
    op.Estado("Procesando... Etapa 4 de 4: Validando NCM...");
    op.ProgresoValor(0);
    op.ProgresoValor(1);
    // The walk updates the rows it reads, so they are read whole first, kept
    // small: each article's order and its position and suffixes, which many
    // articles share, kept once.
    struct Fila {
        long long artord;
        uint32_t clave; // into `claves`
    };
    std::vector<Fila> filas;
    std::vector<std::pair<std::string, std::string>> claves;
    {
        std::unordered_map<std::string, uint32_t> indice;
        std::string k;
        for (Almacor::Cursor rs(app.Db, "select PRCNCM, PRCSUF, INTNRO, ARTORD, ARTKGU from ART where INTNRO = '" +
                                            interno + "' and PRCEST = 'A'");
             !rs.Eof(); rs.MoveNext()) {
            std::string ncm = rs.Fields("PRCNCM").Texto(), suf = rs.Fields("PRCSUF").Texto();
            k.assign(ncm).push_back('\0');
            k += suf;
            auto [it, nueva] = indice.try_emplace(k, static_cast<uint32_t>(claves.size()));
            if (nueva)
                claves.emplace_back(std::move(ncm), std::move(suf));
            filas.push_back({static_cast<long long>(rs.Fields("ARTORD").Numero()), it->second});
        }
    }
    if (filas.empty())
        return;
    op.ProgresoRango(0, static_cast<int>(filas.size()));
    // The skipped declaration types create no validator; an interno of theirs
    // classified earlier under another type can still hold "A" rows.
    if (!validador) {
        validador = std::make_unique<Tesmira::Motor>();
        validador->ConexionString(*app.Entidades);
    }
    // Each distinct position and suffixes is validated once. An article that
    // fails is marked on its own. The ones that pass are the "A" rows left when
    // the walk ends, and the closing pass marks them "OK" (it rewrites every
    // row anyway). The walk goes in article order, so when a validation fails
    // with an error the "A" rows before it are the ones found valid, and they
    // are marked here, as if each had been written as it was validated.
    std::sort(filas.begin(), filas.end(), [](const Fila& a, const Fila& b) { return a.artord < b.artord; });
    std::vector<signed char> resultados(claves.size(), -1); // -1: not validated yet
    for (size_t i = 0; i < filas.size(); ++i) {
        signed char& resultado = resultados[filas[i].clave];
        if (resultado < 0) {
            const auto& [ncm, suf] = claves[filas[i].clave];
            try {
                int r = validador->ValidarSufijos(ncm, suf);
                resultado = static_cast<signed char>(r >= 0 && r <= 2 ? r : 3);
            } catch (...) {
                sSQL = "update ART set PRCCRC = 'OK' where INTNRO = '" + interno + "' and PRCEST = 'A' and ARTORD < " +
                       EnteroSql(filas[i].artord);
                app.Db.Ejecutar(sSQL);
                throw;
            }
        }
        if (resultado != 0) {
            const char* codigos = resultado == 1   ? "PRCCRC = 'POS', PRCEST = 'E' "
                                  : resultado == 2 ? "PRCCRC = 'SUF', PRCEST = 'E' "
                                                   : "PRCCRC = 'ERR', PRCEST = 'E' ";
            sSQL = std::string("update ART set ") + codigos + "where INTNRO = '" + interno +
                   "'  and ARTORD = " + EnteroSql(filas[i].artord);
            app.Db.Ejecutar(sSQL);
        }
        op.ProgresoValor(static_cast<int>(i + 1));
    }
}

// The run's transaction. Inside a caller's transaction it is a savepoint, so
// it can be undone alone. Otherwise it is a transaction of its own: a
// savepoint there would have SQLite copy aside every page the run changes,
// for a partial rollback nothing asks for.
class TransaccionDeLaCorrida {
public:
    explicit TransaccionDeLaCorrida(Almacor::Gestor& db) : m_db(db) {}
    void Abrir() {
        m_propia = !m_db.EnTransaccion();
        if (m_propia)
            m_db.ComenzarTransaccion();
        else
            m_db.Savepoint(kSavepoint);
    }
    void Confirmar() {
        if (m_propia)
            m_db.ConfirmarTransaccion();
        else
            m_db.LiberarSavepoint(kSavepoint);
    }
    void Deshacer() {
        if (m_propia)
            m_db.DeshacerTransaccion();
        else
            m_db.VolverASavepoint(kSavepoint);
    }

private:
    Almacor::Gestor& m_db;
    bool m_propia = false;
};

} // namespace

bool FRAM2_GuardarDatosToBase(Aplicacion& app) {
    Operador& op = *app.Op;
    const std::string interno = SqlTexto(app.InternoActual);
    std::string sSQL; // the update being built, quoted by the error message
    bool abierta = false;
    std::string etapa3; // stage 3's own update while the closing pass has not done it
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
                    lecturas.push_back(std::make_unique<Almacor::LecturaSostenida>(
                        app.Entidades->getDataConnectionByEntity(entidad)));
                } catch (...) {
                }
            }
        }

        if (conCatalogo)
            Etapa2(app, sSQL);

        // Stage 3 writes the quantities and the declared unit, which stage 4
        // neither reads nor writes, so the closing pass does its work: it
        // rewrites every row anyway. Should stage 4 stop with an error, stage 3
        // is written on its own before the error is reported.
        op.Estado("Procesando... Etapa 3 de 4: Actualizando datos comunes");
        const std::string dun = SqlTexto(app.Config.INTDUN);
        const std::string unidades =
            "PRCSCA = case when PRCSUN = '07' then ARTCAN else PRCSCA end, PRCDUN = '" + dun + "'";
        etapa3 = "update ART set PRCECA = case when PRCEUN = '07' then ARTCAN else PRCECA end, " + unidades +
                 " where INTNRO = '" + interno + "'";

        Etapa4(app, validador, sSQL);
        lecturas.clear(); // the customs databases are not read after stage 4

        // Stage 3, stage 4's "OK" for the articles it found valid (the "A" rows
        // left) and the closing checks, in one pass over the interno's rows,
        // each column as they leave it one after the other: stage 3's
        // quantities and declared unit; the unit quantity of the valid articles
        // whose declared unit (INTDUN by then) is the statistical one; "CERO"
        // for a valid article without price; origin and destination "200" for
        // ICR1; and "SUF" for suffixes with an empty value, whatever the code
        // was. Every expression reads the row as it was before the pass, so
        // "valid" is an "A" row or one that was "OK" already, and the quantity
        // check sees it before the price check changes its code.
        op.Estado("Procesando... validando precios");
        op.Estado("Procesando... estableciendo pais destino y proc ");
        op.Estado("Procesando... validando sufijos");
        sSQL = "update ART set PRCECA = case when PRCEUN = '07' or (PRCEUN = '" + dun +
               "' and (PRCEST = 'A' or PRCCRC = 'OK')) then ARTCAN else PRCECA end, " + unidades +
               ", PRCCRC = case when instr(1,PRCSUF,'()')>0 then 'SUF' "
               "when (ARTTOT = 0 OR ARTUNI = 0) and (PRCEST = 'A' or PRCCRC = 'OK') then 'CERO' "
               "when PRCEST = 'A' then 'OK' else PRCCRC end, "
               "PRCORI = case when PRCTDS = 'ICR1' then '200' else PRCORI end, "
               "PRCDST = case when PRCTDS = 'ICR1' then '200' else PRCDST end "
               "where INTNRO = '" +
               interno + "'";
        app.Db.Ejecutar(sSQL);
        etapa3.clear();

        abierta = false;
        transaccion.Confirmar();
        op.Estado("Fin de Proceso");
        op.ProgresoVisible(false);
        return true;
    } catch (const Cancelacion&) {
        if (abierta)
            transaccion.Deshacer();
        throw;
    } catch (...) {
        AppError e = AppError::Actual();
        // What was classified before the failing statement stays classified,
        // stage 3 included when the run got past it.
        if (abierta && !etapa3.empty()) {
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
        op.MsgBox(e.Mensaje() + " - seccion [Quelvorin.frmMain.FRAM2_GuardarDatosToBase]::" + e.Source + vbCrLf +
                      vbCrLf + "SQL:" + vbCrLf + sSQL,
                  Operador::Icono::Critico);
        return false;
    }
}
