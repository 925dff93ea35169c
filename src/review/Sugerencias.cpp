#include "review/Sugerencias.h"

#include "comun/Aplicacion.h"
#include "global/modGlobal.h"
#include "platform/Cursor.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"
#include "review/Depuracion.h"

#include <algorithm>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace Sugerencias {

namespace {

// Values per statement when a query names many of them: the statement stays
// small enough for either engine to plan at once.
constexpr size_t kPorConsulta = 400;

// The nomenclator's keys of the positions asked so far, each [001] asked once.
class Claves {
public:
    explicit Claves(Aplicacion& app) : m_app(app) {}
    // Asks the nomenclator about every [001] of `posiciones` not asked yet.
    void Consultar(const std::vector<std::string>& posiciones) {
        std::vector<std::string> nuevas;
        for (const std::string& p : posiciones) {
            if (p.size() < 14 || p.size() > 15)
                continue;
            std::string k = LCaseAscii(p.substr(0, 10));
            if (m_pedidas.insert(k).second)
                nuevas.push_back(p.substr(0, 10));
        }
        Conexion& ncm = m_app.Entidades->getDataConnectionByEntity("NCM");
        SentenciaSql s;
        for (size_t i = 0; i < nuevas.size(); i += kPorConsulta) {
            s.Limpiar();
            s.Sql("select [001] as a,[002] as b,[003] as c from ncm where [001] in (");
            for (size_t j = i; j < std::min(nuevas.size(), i + kPorConsulta); ++j)
                (j == i ? s : s.Sql(",")).Texto(nuevas[j]);
            s.Sql(")");
            Recordset rs;
            ncm.Sql(s);
            if (ncm.CrearRs(rs))
                for (; !rs.Eof(); rs.MoveNext()) {
                    const std::string clave = LCaseAscii(rs.Fields("a").Texto() + "." + rs.Fields("b").Texto());
                    const std::string letra = Trim(rs.Fields("c").Texto());
                    // The first row's letter, or the one the check letter
                    // gives where several rows match, as the classification
                    // and the position check complete a position.
                    auto [it, nueva] = m_letras.emplace(clave, letra);
                    if (!nueva && UCase(letra) == modGlobal::LetraVerificadora(clave))
                        it->second = letra;
                    m_completas.insert(clave + LCaseAscii(letra));
                }
        }
    }
    // The position as it is written once completed: a 14-character one gets
    // its check letter as the classification gives it; "" when the
    // nomenclator does not hold it.
    std::string Completa(const std::string& texto) const {
        const std::string p = Reemplazar(Trim(texto), ",", ".");
        if (p.size() == 14) {
            auto it = m_letras.find(LCaseAscii(p));
            return it == m_letras.end() || it->second.empty() ? "" : UCase(p + it->second);
        }
        if (p.size() == 15 && m_completas.count(LCaseAscii(p)))
            return UCase(p);
        return "";
    }
    // Whether the position check finds it (14 characters never: its last
    // character is no letter).
    bool Existe(const std::string& texto) const {
        const std::string p = Reemplazar(Trim(texto), ",", ".");
        return p.size() == 15 && m_completas.count(LCaseAscii(p)) > 0;
    }

private:
    Aplicacion& m_app;
    std::unordered_set<std::string> m_pedidas;
    std::unordered_map<std::string, std::string> m_letras; // [001].[002] -> [003]
    std::unordered_set<std::string> m_completas;           // [001].[002][003]
};

// An article that needs a suggestion.
struct Pendiente {
    long long artord;
    std::string artnro, modelo; // modelo as written
};

struct Mano {
    std::string posicion, sufijos;
    long long artord, lote;
};
struct Catalogo {
    long articulos = 0;
    struct Texto {
        long n = 0;
        std::string ultimo; // the greatest article number with it
    };
    std::map<std::string, Texto> sufijos;
};
struct Declarada {
    long articulos = 0;
    std::set<std::string> internos;
    std::string fecha, interno, sufijos; // of the latest
    bool hay = false;
};

std::string Orden(long long artord) {
    return Formatear(static_cast<double>(artord), "0000");
}

// "(ARTNRO = 'K' or ARTNRO like 'K %')" for a model without LIKE wildcards; "" otherwise.
void FiltroModelo(SentenciaSql& s, const char* columna, const std::string& modelo) {
    if (modelo.find_first_of("%_") != std::string::npos)
        return;
    s.Sql(" and (").Sql(columna).Sql(" = ").Texto(modelo).Sql(" or ").Sql(columna).Sql(" like ").Texto(modelo + " %");
    s.Sql(")");
}

// The model's variants as one range of an index on `columna`: the model
// itself, or the model, a blank and anything (a blank, then anything, sorts
// below "!"). The outer range, implied by the exact test, is what lets the
// index seek.
void Rango(SentenciaSql& s, const char* columna, const std::string& modelo) {
    s.Sql(" and ").Sql(columna).Sql(" >= ").Texto(modelo).Sql(" and ").Sql(columna).Sql(" < ").Texto(modelo + "!");
    s.Sql(" and (").Sql(columna).Sql(" = ").Texto(modelo).Sql(" or (").Sql(columna).Sql(" >= ").Texto(modelo + " ");
    s.Sql(" and ").Sql(columna).Sql(" < ").Texto(modelo + "!").Sql("))");
}

// The articles to depurate, and their positions as the check sees them.
std::vector<Pendiente> LeerPendientes(Aplicacion& app, const long long* solo, Claves& claves) {
    std::vector<Pendiente> articulos;
    std::vector<std::string> actuales;
    SentenciaSql s("select ARTORD, ARTNRO, PRCNCM from ART where INTNRO = ");
    s.Texto(app.InternoActual).Sql(" and (PRCEST = '' or PRCEST IS NULL or PRCCRC <> 'OK' or PRCCRC is null)");
    if (solo)
        s.Sql(" and ARTORD = ").Numero(*solo);
    std::vector<std::pair<Pendiente, std::string>> leidos;
    for (Almacor::Cursor c(app.Db, s); !c.Eof(); c.MoveNext()) {
        const std::string nro = c.Fields(size_t{1}).Texto();
        const std::string ncm = Reemplazar(Trim(c.Fields(size_t{2}).Texto()), ",", ".");
        leidos.push_back({{c.Fields(size_t{0}).Entero(), nro, Modelo(nro)}, ncm});
        if (!ncm.empty())
            actuales.push_back(ncm);
    }
    std::sort(actuales.begin(), actuales.end());
    actuales.erase(std::unique(actuales.begin(), actuales.end()), actuales.end());
    claves.Consultar(actuales);
    for (auto& [a, ncm] : leidos)
        if (ncm.empty() || !claves.Existe(ncm))
            articulos.push_back(std::move(a));
    return articulos;
}

// (a) Corrections by hand in this interno, with the lot that last saved each,
// by model in lower case. `unModelo` narrows the reading to one model's
// variants (one article asked); null reads the whole interno.
std::unordered_map<std::string, std::vector<Mano>> LeerManos(Aplicacion& app, const std::string* unModelo,
                                                             const std::unordered_set<std::string>& modelos,
                                                             std::vector<std::string>& candidatas) {
    std::unordered_map<std::string, std::vector<Mano>> manos;
    std::unordered_map<long long, long long> lotes;
    SentenciaSql s("select h.ARTORD, max(h.LOTE) from HIST h join HIST_LOTE l on l.LOTE = h.LOTE where l.INTNRO = ");
    s.Texto(app.InternoActual).Sql(" and l.DESHECHA = 0 and h.TIPO = 'M' group by h.ARTORD");
    for (Almacor::Cursor c(app.Db, s); !c.Eof(); c.MoveNext())
        lotes[c.Fields(size_t{0}).Entero()] = c.Fields(size_t{1}).Entero();
    // The work file: the model's variants are one range of the article index.
    s.Limpiar();
    s.Sql("select ARTORD, ARTNRO, PRCNCM, PRCSUF from ART where INTNRO = ").Texto(app.InternoActual);
    s.Sql(" and PRCEST = 'M'");
    if (unModelo)
        Rango(s, "ARTNRO", *unModelo);
    for (Almacor::Cursor c(app.Db, s); !c.Eof(); c.MoveNext()) {
        const std::string modelo = LCaseAscii(Modelo(c.Fields(size_t{1}).Texto()));
        if (!modelos.count(modelo))
            continue;
        const long long artord = c.Fields(size_t{0}).Entero();
        auto l = lotes.find(artord);
        Mano m{c.Fields(size_t{2}).Texto(), c.Fields(size_t{3}).Texto(), artord, l == lotes.end() ? 0 : l->second};
        candidatas.push_back(Reemplazar(Trim(m.posicion), ",", "."));
        manos[modelo].push_back(std::move(m));
    }
    return manos;
}

struct FilaCatalogo {
    std::string modelo, ncm, sufijos, ultimo;
    long n;
};

// (b) The configured catalog, grouped by model, position and suffixes.
std::vector<FilaCatalogo> LeerCatalogo(Aplicacion& app, const std::string* unModelo,
                                       const std::unordered_set<std::string>& modelos,
                                       std::vector<std::string>& candidatas) {
    std::vector<FilaCatalogo> filasCatalogo;
    if (app.Config.INTCAT.empty())
        return filasCatalogo;
    const char* modelo = "case when instr(1, idarticulo, ' ') > 0 then left(idarticulo, instr(1, idarticulo, ' ') "
                         "- 1) else idarticulo end";
    Conexion& cat = app.Entidades->getDataConnectionByEntity("CATALOGOS");
    SentenciaSql s("select ");
    s.Sql(modelo).Sql(" as modelo, ncm, sufijos, count(*) as n, max(idarticulo) as ultimo from catarticulos ");
    s.Sql("where idcatalogo = ").Texto(app.Config.INTCAT);
    if (unModelo) {
        // On the file the model's variants are one range of its index; a
        // server's collation may order blanks otherwise, so there LIKE says it.
        if (cat.MotorDatos() == Conexion::Motor::Sqlite)
            Rango(s, "idarticulo", *unModelo);
        else
            FiltroModelo(s, "idarticulo", *unModelo);
    }
    s.Sql(" group by modelo, ncm, sufijos");
    Recordset rs;
    cat.Sql(s);
    if (cat.CrearRs(rs))
        for (; !rs.Eof(); rs.MoveNext()) {
            std::string m = rs.Fields("modelo").Texto();
            if (!modelos.count(LCaseAscii(m)))
                continue;
            FilaCatalogo f{std::move(m), Reemplazar(Trim(rs.Fields("ncm").Texto()), ",", "."),
                           rs.Fields("sufijos").Texto(), rs.Fields("ultimo").Texto(),
                           static_cast<long>(rs.Fields("n").Numero())};
            candidatas.push_back(f.ncm);
            filasCatalogo.push_back(std::move(f));
        }
    return filasCatalogo;
}

struct FilaDeclarada {
    std::string articulo, ncm, sufijos, interno, fecha;
    long n;
};

// (c) Earlier declarations of the same article numbers.
std::vector<FilaDeclarada> LeerDeclaradas(Aplicacion& app, const std::unordered_set<std::string>& numeros,
                                          std::vector<std::string>& candidatas) {
    std::vector<FilaDeclarada> filasDeclaradas;
    std::vector<std::string> lista(numeros.begin(), numeros.end());
    std::sort(lista.begin(), lista.end());
    Conexion& dec = app.Entidades->getDataConnectionByEntity("INTERNOS");
    SentenciaSql s;
    for (size_t i = 0; i < lista.size(); i += kPorConsulta) {
        s.Limpiar();
        s.Sql("select s.idarticulo as articulo, s.ncm as ncm, s.sufijos as sufijos, s.interno as interno, "
              "count(*) as n, (select max(c.fechaalta) from caratula c where c.interno = s.interno) as fecha "
              "from subitems s where s.interno <> ");
        s.Texto(app.InternoActual).Sql(" and (");
        for (size_t j = i; j < std::min(lista.size(), i + kPorConsulta); ++j)
            s.Sql(j == i ? "s.idarticulo = " : " or s.idarticulo = ").Texto(lista[j]);
        s.Sql(") group by s.idarticulo, s.ncm, s.sufijos, s.interno");
        Recordset rs;
        dec.Sql(s);
        if (dec.CrearRs(rs))
            for (; !rs.Eof(); rs.MoveNext()) {
                FilaDeclarada f{rs.Fields("articulo").Texto(), Reemplazar(Trim(rs.Fields("ncm").Texto()), ",", "."),
                                rs.Fields("sufijos").Texto(),  rs.Fields("interno").Texto(),
                                rs.Fields("fecha").Texto(),    static_cast<long>(rs.Fields("n").Numero())};
                candidatas.push_back(f.ncm);
                filasDeclaradas.push_back(std::move(f));
            }
    }
    return filasDeclaradas;
}

// The catalog's rows whose position the nomenclator completes: model -> position -> ...
std::unordered_map<std::string, std::map<std::string, Catalogo>>
AgruparCatalogo(const std::vector<FilaCatalogo>& filasCatalogo, const Claves& claves) {
    std::unordered_map<std::string, std::map<std::string, Catalogo>> catalogo;
    for (const FilaCatalogo& f : filasCatalogo) {
        const std::string p = claves.Completa(f.ncm);
        if (p.empty())
            continue;
        Catalogo& c = catalogo[LCaseAscii(f.modelo)][p];
        c.articulos += f.n;
        Catalogo::Texto& t = c.sufijos[f.sufijos];
        t.n += f.n;
        if (LCaseAscii(f.ultimo) > LCaseAscii(t.ultimo))
            t.ultimo = f.ultimo;
    }
    return catalogo;
}

// The declarations whose position the nomenclator completes: number -> position -> ...
std::unordered_map<std::string, std::map<std::string, Declarada>>
AgruparDeclaradas(const std::vector<FilaDeclarada>& filasDeclaradas, const Claves& claves) {
    std::unordered_map<std::string, std::map<std::string, Declarada>> declaradas;
    for (const FilaDeclarada& f : filasDeclaradas) {
        const std::string p = claves.Completa(f.ncm);
        if (p.empty())
            continue;
        Declarada& d = declaradas[LCaseAscii(f.articulo)][p];
        d.articulos += f.n;
        d.internos.insert(f.interno);
        if (!d.hay || std::make_pair(f.fecha, f.interno) > std::make_pair(d.fecha, d.interno)) {
            d.hay = true;
            d.fecha = f.fecha;
            d.interno = f.interno;
            d.sufijos = f.sufijos;
        }
    }
    return declaradas;
}

struct Acumulada {
    Sugerencia s;
    std::vector<std::string> evidencias;
    bool sufijoFijo = false;
};
using PorPosicion = std::map<std::string, Acumulada>; // by position

// The position's suggestion; the first source to propose it is its origin.
Acumulada& Tomar(PorPosicion& por, const std::string& p, Fuente f) {
    Acumulada& x = por[p];
    if (x.s.Posicion.empty()) {
        x.s.Posicion = p;
        x.s.Origen = f;
    }
    return x;
}

void SumarManos(PorPosicion& por, const Pendiente& a, const std::vector<Mano>& manos, const Claves& claves) {
    std::map<std::string, std::vector<const Mano*>> deMano;
    for (const Mano& m : manos)
        if (std::string p = claves.Completa(m.posicion); !p.empty())
            deMano[p].push_back(&m);
    for (auto& [p, lista] : deMano) {
        const Mano* ultimo = *std::max_element(lista.begin(), lista.end(), [](const Mano* x, const Mano* y) {
            return std::make_pair(x->lote, x->artord) < std::make_pair(y->lote, y->artord);
        });
        Acumulada& x = Tomar(por, p, Fuente::Mano);
        x.s.Articulos += static_cast<long>(lista.size());
        x.s.Sufijos = ultimo->sufijos;
        x.sufijoFijo = true;
        x.evidencias.push_back(lista.size() == 1 ? "corregido a mano: artículo " + Orden(ultimo->artord)
                                                 : "corregido a mano: " + std::to_string(lista.size()) + " artículos " +
                                                       a.modelo + ", el último " + Orden(ultimo->artord));
    }
}

void SumarCatalogo(PorPosicion& por, const Pendiente& a, const std::map<std::string, Catalogo>& catalogo) {
    for (const auto& [p, c] : catalogo) {
        Acumulada& x = Tomar(por, p, Fuente::Catalogo);
        x.s.Articulos += c.articulos;
        if (!x.sufijoFijo) {
            // The commonest; on a tie, the one of the greatest article number.
            const auto mejor = std::max_element(c.sufijos.begin(), c.sufijos.end(), [](const auto& u, const auto& v) {
                return std::make_pair(u.second.n, LCaseAscii(u.second.ultimo)) <
                       std::make_pair(v.second.n, LCaseAscii(v.second.ultimo));
            });
            x.s.Sufijos = mejor->first;
            x.sufijoFijo = true;
        }
        x.evidencias.push_back(std::to_string(c.articulos) + (c.articulos == 1 ? " artículo " : " artículos ") +
                               a.modelo + " en el catálogo");
    }
}

void SumarDeclaradas(PorPosicion& por, const std::map<std::string, Declarada>& declaradas) {
    for (const auto& [p, d] : declaradas) {
        Acumulada& x = Tomar(por, p, Fuente::Declaracion);
        x.s.Articulos += d.articulos;
        if (!x.sufijoFijo) {
            x.s.Sufijos = d.sufijos;
            x.sufijoFijo = true;
        }
        x.evidencias.push_back(d.internos.size() == 1 ? "despachado en el interno " + d.interno
                                                      : "despachado en " + std::to_string(d.internos.size()) +
                                                            " internos, el último " + d.interno);
    }
}

// The article's suggestions, their evidence in words, most trusted source first.
void Ordenar(PorPosicion& por, std::vector<Sugerencia>& lista) {
    for (auto& [p, x] : por) {
        for (const std::string& e : x.evidencias)
            x.s.Evidencia += (x.s.Evidencia.empty() ? "" : "; ") + e;
        lista.push_back(std::move(x.s));
    }
    std::stable_sort(lista.begin(), lista.end(), [](const Sugerencia& u, const Sugerencia& v) {
        if (u.Origen != v.Origen)
            return u.Origen < v.Origen;
        return u.Articulos > v.Articulos;
    });
}

std::map<long long, std::vector<Sugerencia>> Calcular(Aplicacion& app, const long long* solo) {
    std::map<long long, std::vector<Sugerencia>> r;
    Claves claves(app);
    const std::vector<Pendiente> articulos = LeerPendientes(app, solo, claves);
    if (articulos.empty())
        return r;

    std::unordered_set<std::string> modelos, numeros;
    for (const Pendiente& a : articulos) {
        modelos.insert(LCaseAscii(a.modelo));
        numeros.insert(LCaseAscii(a.artnro));
    }
    // One article asked: the sources need only its model's variants.
    const std::string* unModelo = solo ? &articulos.front().modelo : nullptr;
    std::vector<std::string> candidatas;
    const auto manos = LeerManos(app, unModelo, modelos, candidatas);
    const std::vector<FilaCatalogo> filasCatalogo = LeerCatalogo(app, unModelo, modelos, candidatas);
    const std::vector<FilaDeclarada> filasDeclaradas = LeerDeclaradas(app, numeros, candidatas);

    // Every candidate position completed and checked before it counts.
    std::sort(candidatas.begin(), candidatas.end());
    candidatas.erase(std::unique(candidatas.begin(), candidatas.end()), candidatas.end());
    claves.Consultar(candidatas);
    const auto catalogo = AgruparCatalogo(filasCatalogo, claves);
    const auto declaradas = AgruparDeclaradas(filasDeclaradas, claves);

    for (const Pendiente& a : articulos) {
        PorPosicion por;
        const std::string modelo = LCaseAscii(a.modelo);
        if (auto it = manos.find(modelo); it != manos.end())
            SumarManos(por, a, it->second, claves);
        if (auto it = catalogo.find(modelo); it != catalogo.end())
            SumarCatalogo(por, a, it->second);
        if (auto it = declaradas.find(LCaseAscii(a.artnro)); it != declaradas.end())
            SumarDeclaradas(por, it->second);
        if (por.empty())
            continue;
        Ordenar(por, r[a.artord]);
    }
    return r;
}

} // namespace

std::string Modelo(const std::string& artnro) {
    const size_t blanco = artnro.find(' ');
    return blanco == std::string::npos ? artnro : artnro.substr(0, blanco);
}

std::map<long long, std::vector<Sugerencia>> DelInterno(Aplicacion& app) {
    return Calcular(app, nullptr);
}

std::vector<Sugerencia> DelArticulo(Aplicacion& app, long long artord) {
    auto r = Calcular(app, &artord);
    auto it = r.find(artord);
    return it == r.end() ? std::vector<Sugerencia>{} : std::move(it->second);
}

std::string SufijosPrevios(const Sugerencia& s, const std::string& vin, bool modeloVariantes) {
    const std::string propio = modeloVariantes ? vin : Left(vin, 9);
    std::string t = s.Sufijos == "SIN SUFIJOS" ? std::string() : s.Sufijos;
    // The suggestion's AM entry, whatever VIN it holds, goes; the article's own takes its place.
    for (size_t p; (p = t.find("AM(")) != std::string::npos && (p == 0 || t[p - 1] == '-');) {
        size_t fin = t.find(')', p);
        fin = fin == std::string::npos ? t.size() : fin + 1;
        if (fin < t.size() && t[fin] == '-')
            ++fin;
        t.erase(p, fin - p);
    }
    if (!propio.empty())
        t += "AM(" + propio + ")-";
    return t;
}

std::string Aplicar(Depuracion::FormModificar& f, const Sugerencia& s, bool modeloVariantes) {
    f.txtPRCNCM = s.Posicion;
    f.txtPRCSUF = SufijosPrevios(s, f.txtNroVin, modeloVariantes);
    return f.ProcesarNCM(f.txtPRCNCM);
}

} // namespace Sugerencias
