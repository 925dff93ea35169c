#include "platform/SentenciaSql.h"

#include "platform/Numeros.h"
#include "platform/Recordset.h"
#include "platform/Texto.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {
// A text value as the statement's text writes it: between single quotes,
// each quote inside doubled; runs without a quote go in whole.
void AgregarEntrecomillado(std::string& r, std::string_view valor) {
    r += '\'';
    for (size_t q; (q = valor.find('\'')) != std::string_view::npos; valor.remove_prefix(q + 1)) {
        r.append(valor.data(), q + 1);
        r += '\'';
    }
    r.append(valor);
    r += '\'';
}
} // namespace

void SentenciaSql::Limpiar() {
    m_plantilla.clear();
    m_huecos.clear();
    m_usados = 0;
}

SentenciaSql& SentenciaSql::Sql(std::string_view sql) {
    m_plantilla += sql;
    return *this;
}

SentenciaSql::Literal& SentenciaSql::Hueco(Literal::Tipo tipo) {
    if (m_usados == m_valores.size())
        m_valores.emplace_back();
    Literal& v = m_valores[m_usados++];
    v.tipo = tipo;
    m_huecos.push_back(m_plantilla.size());
    m_plantilla += '?';
    return v;
}

SentenciaSql& SentenciaSql::Texto(std::string_view valor) {
    Hueco(Literal::Tipo::Texto).texto.assign(valor);
    return *this;
}

SentenciaSql& SentenciaSql::Texto(const Valor& valor) {
    valor.TextoEn(Hueco(Literal::Tipo::Texto).texto);
    return *this;
}

SentenciaSql& SentenciaSql::Textos(std::initializer_list<std::string_view> valores) {
    bool primero = true;
    for (std::string_view v : valores) {
        if (!primero)
            m_plantilla += ',';
        Texto(v);
        primero = false;
    }
    return *this;
}

// A leading "-" stays in the template as the operator it is, so a number
// binds as the same value whatever its sign; a whole number too large for 64
// bits stays as written.
SentenciaSql& SentenciaSql::Numero(std::string_view numero) {
    if (numero == "null") {
        m_plantilla += numero;
        return *this;
    }
    std::string_view cuerpo = numero;
    if (!cuerpo.empty() && cuerpo.front() == '-')
        cuerpo.remove_prefix(1);
    size_t digitos = 0, puntos = 0;
    for (char c : cuerpo) {
        if (c >= '0' && c <= '9')
            ++digitos;
        else if (c == '.')
            ++puntos;
        else
            digitos = 0, puntos = 2; // anything else: not ours to take apart
        if (puntos > 1)
            break;
    }
    if (digitos == 0 || puntos > 1 || cuerpo.front() == '.' || cuerpo.back() == '.') {
        m_plantilla += numero;
        return *this;
    }
    m_plantilla.append(numero.data(), numero.size() - cuerpo.size());
    const char* desde = cuerpo.data();
    const char* hasta = desde + cuerpo.size();
    Literal leido;
    bool bien;
    if (puntos == 0) {
        leido.tipo = Literal::Tipo::Entero;
        auto r = std::from_chars(desde, hasta, leido.entero);
        bien = r.ec == std::errc() && r.ptr == hasta;
    } else {
        leido.tipo = Literal::Tipo::Real;
        bien = LeerDecimalExacto(cuerpo.data(), cuerpo.size(), leido.real);
        if (!bien) {
            auto r = std::from_chars(desde, hasta, leido.real);
            bien = r.ec == std::errc() && r.ptr == hasta;
        }
    }
    if (!bien) {
        m_plantilla += cuerpo;
        return *this;
    }
    Literal& v = Hueco(leido.tipo);
    v.entero = leido.entero;
    v.real = leido.real;
    v.texto.assign(cuerpo); // as written, for the text
    return *this;
}

SentenciaSql& SentenciaSql::Numero(double valor) {
    unsigned long long escalado = 0;
    int decimales = 0;
    if (valor != 0 && !DecimalCorto(std::fabs(valor), escalado, decimales))
        return Numero(NumeroSql(valor)); // an exponent, or more digits than a short decimal has
    if (valor < 0)
        m_plantilla += '-';
    Literal& v = Hueco(decimales == 0 ? Literal::Tipo::Entero : Literal::Tipo::Real);
    v.entero = decimales == 0 ? static_cast<long long>(escalado) : 0;
    v.real = decimales == 0 ? 0 : std::fabs(valor);
    v.texto.clear();
    EscribirDecimal(v.texto, escalado, decimales, '.');
    return *this;
}

SentenciaSql& SentenciaSql::Numero(long long valor) {
    if (valor == std::numeric_limits<long long>::min())
        return Numero(std::to_string(valor)); // its digits do not fit once the sign is apart
    if (valor < 0)
        m_plantilla += '-';
    Literal& v = Hueco(Literal::Tipo::Entero);
    v.entero = valor < 0 ? -valor : valor;
    v.real = 0;
    char buf[24];
    v.texto.assign(buf, std::to_chars(buf, buf + sizeof buf, v.entero).ptr);
    return *this;
}

std::string SentenciaSql::TextoSql() const {
    std::string r;
    r.reserve(m_plantilla.size() + 16 * m_usados);
    size_t desde = 0;
    for (size_t k = 0; k < m_usados; ++k) {
        const size_t hueco = m_huecos[k];
        r.append(m_plantilla, desde, hueco - desde);
        const Literal& v = m_valores[k];
        if (v.tipo == Literal::Tipo::Texto)
            AgregarEntrecomillado(r, v.texto);
        else
            r += v.texto;
        desde = hueco + 1;
    }
    r.append(m_plantilla, desde, std::string::npos);
    return r;
}

std::string SentenciaSql::Forma() const {
    std::string r = m_plantilla;
    for (size_t k = 0; k < m_usados; ++k)
        r[m_huecos[k]] = m_valores[k].tipo == Literal::Tipo::Texto ? kHuecoTexto : kHuecoNumero;
    return r;
}

bool SentenciaSql::Dialectal() const {
    const std::string& t = m_plantilla;
    if (ConMas())
        return true;
    for (size_t i = 0; i + 3 <= t.size(); ++i) {
        const char c = static_cast<char>(t[i] | 0x20);
        if ((c == 'l' && i + 4 <= t.size() && (t[i + 1] | 0x20) == 'e' && (t[i + 2] | 0x20) == 'f' &&
             (t[i + 3] | 0x20) == 't') ||
            (c == 't' && (t[i + 1] | 0x20) == 'o' && (t[i + 2] | 0x20) == 'p'))
            return true;
    }
    return false;
}

SentenciaSql& SentenciaSql::Anexar(const SentenciaSql& otra) {
    size_t desde = 0;
    for (size_t k = 0; k < otra.m_usados; ++k) {
        const size_t hueco = otra.m_huecos[k];
        m_plantilla.append(otra.m_plantilla, desde, hueco - desde);
        const Literal& o = otra.m_valores[k];
        Literal& v = Hueco(o.tipo);
        v.texto = o.texto;
        v.entero = o.entero;
        v.real = o.real;
        desde = hueco + 1;
    }
    m_plantilla.append(otra.m_plantilla, desde, std::string::npos);
    return *this;
}
