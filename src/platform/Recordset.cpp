#include "platform/Recordset.h"

#include "platform/AppError.h"
#include "platform/Numeros.h"
#include "platform/Texto.h"

Valor Valor::DeEntero(long long v) {
    Valor r;
    r.m_tipo = Tipo::Entero;
    r.m_entero = v;
    return r;
}

Valor Valor::DeReal(double v) {
    Valor r;
    r.m_tipo = Tipo::Real;
    r.m_real = v;
    return r;
}

Valor Valor::DeTexto(std::string v) {
    Valor r;
    r.m_tipo = Tipo::Texto;
    r.m_texto = std::move(v);
    return r;
}

void Valor::PonerTexto(const char* texto, size_t largo) {
    m_tipo = Tipo::Texto;
    m_texto.assign(texto, largo);
}

std::string Valor::Texto() const {
    switch (m_tipo) {
    case Tipo::Nulo:
        return {};
    case Tipo::Entero:
        return std::to_string(m_entero);
    case Tipo::Real:
        return NumeroTexto(m_real);
    case Tipo::Texto:
        return m_texto;
    }
    return {};
}

void Valor::TextoEn(std::string& destino) const {
    if (m_tipo == Tipo::Texto)
        destino.assign(m_texto);
    else
        destino = Texto();
}

double Valor::Numero() const {
    switch (m_tipo) {
    case Tipo::Nulo:
        return 0;
    case Tipo::Entero:
        return static_cast<double>(m_entero);
    case Tipo::Real:
        return m_real;
    case Tipo::Texto:
        return ValorNumerico(m_texto);
    }
    return 0;
}

Recordset::Recordset(std::vector<std::string> columnas, std::vector<Valor> celdas)
    : m_columnas(std::move(columnas)), m_celdas(std::move(celdas)) {}

long Recordset::RecordCount() const {
    return m_columnas.empty() ? 0 : static_cast<long>(m_celdas.size() / m_columnas.size());
}

const Valor& Recordset::Fields(size_t indice) const {
    if (Eof())
        throw AppError(3021, "Recordset", "No hay registro actual (fin del recordset).");
    if (indice >= m_columnas.size())
        throw AppError(3265, "Recordset",
                       "No se encontró el elemento en la colección (campo " + std::to_string(indice) + ").");
    return m_celdas[m_fila * m_columnas.size() + indice];
}

const Valor& Recordset::Fields(const std::string& nombre) const {
    for (size_t i = 0; i < m_columnas.size(); ++i)
        if (IgualSinMayusculas(m_columnas[i], nombre))
            return Fields(i);
    throw AppError(3265, "Recordset", "No se encontró el campo '" + nombre + "' en el recordset.");
}
