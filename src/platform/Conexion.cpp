#include "platform/Conexion.h"

#include "platform/SentenciaSql.h"

void Conexion::Sql(const SentenciaSql& sentencia) {
    m_puesta = sentencia;
    m_textoAlDia = false;
}

const std::string& Conexion::Sql() const {
    if (!m_textoAlDia) {
        m_texto = m_puesta.TextoSql();
        m_textoAlDia = true;
    }
    return m_texto;
}

std::string Conexion::LiteralFecha(std::time_t fecha) const {
    std::tm t{};
    localtime_r(&fecha, &t);
    char buf[32];
    std::strftime(buf, sizeof buf, "'%Y-%m-%d %H:%M:%S'", &t);
    return buf;
}

std::vector<char> Conexion::HayFilas(const std::vector<SentenciaSql>& consultas) {
    std::vector<char> hay;
    hay.reserve(consultas.size());
    Recordset rs;
    for (const SentenciaSql& consulta : consultas) {
        Sql(consulta);
        hay.push_back(CrearRs(rs));
    }
    return hay;
}

long Conexion::Ejecutar(const SentenciaSql& sentencia) {
    Sql(sentencia);
    return Ejecutar();
}

void Conexion::Enviar(const SentenciaSql& sentencia) {
    Sql(sentencia);
    Enviar();
}
