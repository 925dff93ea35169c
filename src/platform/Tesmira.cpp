#include "platform/Tesmira.h"

#include "platform/AppError.h"
#include "platform/Pontevar.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"

namespace Tesmira {

namespace {

bool Consultar(Pontevar::Principal& entidades, const SentenciaSql& sql, Recordset& rs) {
    Conexion& ncm = entidades.getDataConnectionByEntity("NCM");
    ncm.Sql(sql);
    return ncm.CrearRs(rs);
}

// Letters A-Z, "Ñ", digits, "/", ",", "&" and blanks, not only blanks. The
// editor's normalised values may begin or end with a blank where it dropped
// a character, so outer blanks are allowed.
bool ValorValido(const std::string& valor, bool numerico) {
    std::u32string u = Utf8aU32(valor);
    if (numerico) {
        if (u.size() != 6)
            return false;
        for (char32_t c : u)
            if (c < U'0' || c > U'9')
                return false;
        return true;
    }
    bool alguno = false;
    for (char32_t c : u) {
        if (c == U' ')
            continue;
        if (!CaracterPermitido(c))
            return false;
        alguno = true;
    }
    return alguno;
}

} // namespace

void ClavesDeSufijos(SentenciaSql& s, const std::string& posicion) {
    s.Sql("(")
        .Textos({Left(posicion, 2) + "  .  .  .   ", Left(posicion, 4) + ".  .  .   ", Left(posicion, 7) + ".  .   ",
                 Left(posicion, 14)})
        .Sql(")");
}

void Motor::ConexionString(Pontevar::Principal& entidades) {
    m_entidades = &entidades;
    m_posiciones.clear();
    m_grupos.clear();
}

bool Motor::PosicionExiste(const std::string& posicion) {
    auto it = m_posiciones.find(posicion);
    if (it != m_posiciones.end())
        return it->second;
    size_t largo = Len(posicion);
    bool existe = false;
    if (largo == 14 || largo == 15) {
        SentenciaSql sql("select [001] from ncm where [001] = ");
        sql.Texto(Left(posicion, 10)).Sql(" and [002] = ").Texto(Mid(posicion, 12, 3));
        if (largo == 15)
            sql.Sql(" and [003] = ").Texto(Mid(posicion, 15, 1));
        Recordset rs;
        existe = Consultar(*m_entidades, sql, rs);
    }
    m_posiciones[posicion] = existe;
    return existe;
}

const Motor::Grupos& Motor::GruposDe(const std::string& posicion) {
    std::string completa = Left(posicion, 14);
    auto it = m_grupos.find(completa);
    if (it != m_grupos.end())
        return it->second;
    SentenciaSql sql("select sim, sufijo from sufidos where sim in ");
    ClavesDeSufijos(sql, posicion);
    sql.Sql(" order by sim, sufijo");
    // Blanks sort before digits, so the keys come from the chapter down to the
    // full position: a group's first code is the one the editor sees first.
    Recordset rs;
    Consultar(*m_entidades, sql, rs);
    Grupos grupos;
    std::map<std::string, bool> ignorados;
    for (; !rs.Eof(); rs.MoveNext()) {
        std::string codigo = UCase(Trim(rs.Fields("sufijo").Texto()));
        std::string g = Left(codigo, 2);
        size_t largo = Len(codigo);
        auto existente = grupos.find(g);
        if (existente == grupos.end()) {
            if (ignorados.count(g))
                continue;
            if (largo != 2 && largo != 4) {
                ignorados[g] = true;
                continue;
            }
            Grupo nuevo;
            nuevo.Valor = largo == 2;
            nuevo.Numerico = nuevo.Valor && g[0] == 'Z';
            existente = grupos.emplace(g, nuevo).first;
        }
        if (!existente->second.Valor && largo == 4)
            existente->second.Codigos.push_back(codigo);
    }
    return m_grupos[completa] = std::move(grupos);
}

namespace {
std::string ListaGrupos(const std::map<std::string, bool>& grupos) {
    std::string r;
    for (const auto& [g, _] : grupos)
        r += (r.empty() ? "" : ", ") + g;
    return r;
}
} // namespace

std::string Motor::MotivoSufijos(const Grupos& grupos, const std::string& texto) {
    std::map<std::string, bool> pedidos;
    for (const auto& [g, _] : grupos)
        pedidos[g] = true;
    std::string sufijos = Trim(texto);
    if (sufijos == "SIN SUFIJOS")
        return grupos.empty() ? "" : "La posición pide los sufijos " + ListaGrupos(pedidos) + " y dice SIN SUFIJOS.";
    if (sufijos.empty())
        return grupos.empty() ? "La posición no lleva sufijos: debe decir SIN SUFIJOS."
                              : "Faltan los sufijos " + ListaGrupos(pedidos) + ".";
    if (grupos.empty())
        return "La posición no lleva sufijos: debe decir SIN SUFIJOS, no " + sufijos + ".";
    if (sufijos.back() != '-')
        return "Los sufijos deben terminar con \"-\".";
    std::map<std::string, bool> vistos;
    size_t desde = 0;
    while (desde < sufijos.size()) {
        size_t guion = sufijos.find('-', desde);
        std::string entrada = sufijos.substr(desde, guion - desde);
        desde = guion + 1;
        std::string g = entrada.substr(0, 2);
        auto it = grupos.find(g);
        if (it == grupos.end())
            return "El sufijo " + (entrada.empty() ? std::string("vacío") : entrada) + " no corresponde a la posición.";
        if (vistos[g])
            return "El grupo de sufijos " + g + " está repetido.";
        vistos[g] = true;
        const Grupo& grupo = it->second;
        if (grupo.Valor) {
            if (entrada.size() < 4 || entrada[2] != '(' || entrada.back() != ')')
                return "El sufijo " + g + " debe llevar su valor entre paréntesis: " + entrada + ".";
            const std::string valor = entrada.substr(3, entrada.size() - 4);
            // The customs field of a suffix value holds 21 characters.
            if (const size_t largo = Utf8aU32(valor).size(); largo > 21)
                return "El valor del sufijo " + g + " tiene " + std::to_string(largo) + " caracteres; admite hasta 21.";
            if (!ValorValido(valor, grupo.Numerico))
                return grupo.Numerico
                           ? "Valor inválido en el sufijo " + g + ": debe tener seis dígitos."
                           : "Valor inválido en el sufijo " + g + ": " + entrada.substr(3, entrada.size() - 4) + ".";
        } else {
            if (entrada.size() != 4)
                return "La opción " + entrada + " del grupo " + g + " debe tener cuatro caracteres.";
            bool conocido = entrada == g + "00";
            for (const std::string& c : grupo.Codigos)
                conocido = conocido || c == entrada;
            if (!conocido)
                return "La opción " + entrada + " no existe en el grupo " + g + ".";
        }
    }
    std::map<std::string, bool> faltan;
    for (const auto& [g, _] : grupos)
        if (!vistos.count(g))
            faltan[g] = true;
    if (!faltan.empty())
        return (faltan.size() == 1 ? "Falta el sufijo " : "Faltan los sufijos ") + ListaGrupos(faltan) + ".";
    return "";
}

int Motor::ValidarSufijos(const std::string& posicion, const std::string& sufijos) {
    if (!m_entidades)
        throw AppError(91, "Tesmira.Motor.ValidarSufijos",
                       "El validador no tiene conexión con el nomenclador (falta ConexionString).");
    m_motivo.clear();
    try {
        if (!PosicionExiste(posicion)) {
            size_t largo = Len(posicion);
            m_motivo = largo == 14 || largo == 15 ? "La posición " + posicion + " no está en el nomenclador."
                                                  : "La posición \"" + posicion + "\" no tiene 14 ni 15 caracteres.";
            return 1;
        }
        m_motivo = MotivoSufijos(GruposDe(posicion), sufijos);
        return m_motivo.empty() ? 0 : 2;
    } catch (...) {
        AppError e = AppError::Actual();
        throw e.Relanzar(e.Number, "Tesmira.Motor.ValidarSufijos ");
    }
}

} // namespace Tesmira
