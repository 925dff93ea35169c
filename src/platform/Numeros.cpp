#include "platform/Numeros.h"

#include "platform/Texto.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {
char g_separador = 0;
}

char SeparadorDecimal() {
    if (!g_separador) {
        const lconv* lc = std::localeconv();
        g_separador = (lc && lc->decimal_point && lc->decimal_point[0]) ? lc->decimal_point[0] : '.';
    }
    return g_separador;
}

void FijarSeparadorDecimal(char separador) {
    g_separador = separador;
}

namespace {

constexpr double kDecenas[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
constexpr unsigned long long kPotencias[] = {
    1,         10,         100,         1000,         10000,         100000,         1000000,         10000000,
    100000000, 1000000000, 10000000000, 100000000000, 1000000000000, 10000000000000, 100000000000000, 1000000000000000};

// The digits of `m`, at least `minimo` of them (zeros before), written backwards from `p`.
char* DigitosAtras(char* p, unsigned long long m, int minimo) {
    for (int d = 0; d < minimo || m > 0; ++d, m /= 10)
        *--p = static_cast<char>('0' + m % 10);
    return p;
}

} // namespace

// Tries 0 to 7 decimals: the first that gives back the value exactly is the decimal.
bool DecimalCorto(double a, unsigned long long& escalado, int& k) {
    if (!(a >= 1e-4 && a < 1e15))
        return false;
    for (k = 0; k < static_cast<int>(std::size(kDecenas)); ++k) {
        const double e = std::nearbyint(a * kDecenas[k]);
        if (e >= 1e15)
            return false;
        if (e / kDecenas[k] == a) {
            escalado = static_cast<unsigned long long>(e);
            return true;
        }
    }
    return false;
}

void EscribirDecimal(std::string& destino, unsigned long long escalado, int decimales, char separador) {
    char buf[40];
    char* fin = buf + sizeof buf;
    char* p = DigitosAtras(fin, escalado % kPotencias[decimales], decimales);
    if (decimales > 0)
        *--p = separador;
    p = DigitosAtras(p, escalado / kPotencias[decimales], 1);
    destino.append(p, fin);
}

namespace {

// The text the 15-digit general form prints, trailing zeros dropped, in fixed notation.
bool TextoCorto(double valor, std::string& r) {
    unsigned long long escalado;
    int k;
    if (!DecimalCorto(std::fabs(valor), escalado, k))
        return false;
    r.clear();
    if (valor < 0)
        r += '-';
    EscribirDecimal(r, escalado, k, SeparadorDecimal());
    return true;
}

} // namespace

std::string NumeroTexto(double valor) {
    if (valor == 0)
        return "0";
    if (std::string r; TextoCorto(valor, r))
        return r;
    // Locale-independent conversion; the general form keeps no trailing zeros.
    char buf[64];
    auto fin = std::to_chars(buf, buf + sizeof buf, valor, std::chars_format::general, 15).ptr;
    std::string s(buf, fin);
    for (char& c : s) {
        if (c == '.')
            c = SeparadorDecimal();
        else if (c == 'e')
            c = 'E';
    }
    return s;
}

std::string Formatear(double valor, std::string_view patron) {
    size_t punto = patron.find('.');
    int enteros = 0, decimales = 0;
    for (size_t i = 0; i < patron.size(); ++i)
        if (patron[i] == '0')
            (punto == std::string_view::npos || i < punto ? enteros : decimales)++;

    bool negativo = valor < 0;
    double absoluto = std::fabs(valor);
    // Round on the 15-significant-digit decimal value, the number as the person
    // reads it, so 1.005 gives 1.01 rather than the binary neighbour's 1.00.
    // A short decimal (every price and quantity of a shipment) is rounded as
    // an integer count of its last decimal.
    unsigned long long escalado = 0;
    int k = 0;
    if (enteros + decimales <= 40 && (absoluto == 0 || DecimalCorto(absoluto, escalado, k))) {
        if (k > decimales) {
            const unsigned long long paso = kPotencias[k - decimales];
            const bool subir = escalado % paso * 2 >= paso; // the first digit dropped is 5 or more
            escalado = escalado / paso + (subir ? 1 : 0);
            k = decimales;
        }
        char buf[64];
        char* fin = buf + sizeof buf;
        char* p = fin - (decimales - k);
        std::memset(p, '0', static_cast<size_t>(decimales - k));
        p = DigitosAtras(p, escalado % kPotencias[k], k);
        if (decimales > 0)
            *--p = SeparadorDecimal();
        p = DigitosAtras(p, escalado / kPotencias[k], enteros);
        if (negativo && escalado != 0)
            *--p = '-';
        return std::string(p, fin);
    }
    char buf[64];
    *std::to_chars(buf, buf + sizeof buf - 1, absoluto, std::chars_format::scientific, 14).ptr = 0;
    std::string mantisa;
    for (char* p = buf; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            mantisa += *p;
    int exponente = std::atoi(std::strchr(buf, 'e') + 1);
    // digitos[k] has weight 10^(exponente - k); keep the weights down to 10^-decimales.
    int ultimo = exponente + decimales;
    std::string digitos = mantisa;
    if (ultimo < -1) {
        digitos = "0";
        exponente = 0;
    } else if (ultimo == -1) {
        bool subir = digitos[0] >= '5';
        digitos = subir ? "1" : "0";
        exponente = subir ? -decimales : 0;
    } else if (ultimo + 1 < static_cast<int>(digitos.size())) {
        bool subir = digitos[ultimo + 1] >= '5';
        digitos.resize(ultimo + 1);
        for (int k = ultimo; subir && k >= 0; --k) {
            if (digitos[k] == '9') {
                digitos[k] = '0';
            } else {
                ++digitos[k];
                subir = false;
            }
        }
        if (subir) {
            digitos.insert(digitos.begin(), '1');
            ++exponente;
        }
    }
    // Lay the digits out as integer and fraction parts.
    std::string parteEntera, parteDecimal;
    for (int k = 0; k < static_cast<int>(digitos.size()); ++k) {
        int peso = exponente - k;
        (peso >= 0 ? parteEntera : parteDecimal) += digitos[k];
    }
    if (exponente < 0)
        parteDecimal.insert(0, static_cast<size_t>(-exponente - 1), '0');
    else if (static_cast<int>(digitos.size()) <= exponente)
        parteEntera.append(static_cast<size_t>(exponente + 1 - static_cast<int>(digitos.size())), '0');
    size_t p = parteEntera.find_first_not_of('0');
    parteEntera = p == std::string::npos ? "" : parteEntera.substr(p);
    if (static_cast<int>(parteEntera.size()) < enteros)
        parteEntera.insert(0, enteros - parteEntera.size(), '0');
    parteDecimal.resize(decimales, '0');

    bool cero = parteEntera.find_first_not_of('0') == std::string::npos &&
                parteDecimal.find_first_not_of('0') == std::string::npos;
    std::string r = (negativo && !cero) ? "-" : "";
    r += parteEntera;
    if (decimales > 0) {
        r += SeparadorDecimal();
        r += parteDecimal;
    }
    return r;
}

std::string NumeroSql(std::string_view textoNumero) {
    std::string r(textoNumero);
    for (char& c : r)
        if (c == ',')
            c = '.';
    return r;
}

std::string NumeroSql(double valor) {
    return NumeroSql(NumeroTexto(valor));
}

std::string EnteroSql(long long valor) {
    return std::to_string(valor);
}

// Digits (with at most one point) whose value as a whole number fits a double
// exactly, over a power of ten that does too: one division, which rounds
// correctly, gives the nearest double, the same one a full decimal conversion
// gives, at a fraction of its cost. The import reads four numbers a line, and
// statements carry prices and totals.
bool LeerDecimalExacto(const char* numero, size_t n, double& v) {
    static constexpr double kPotencias[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                            1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    unsigned long long m = 0;
    int significativos = 0, decimales = 0;
    bool punto = false;
    for (size_t i = 0; i < n; ++i) {
        const char c = numero[i];
        if (c == '.') {
            punto = true;
            continue;
        }
        decimales += punto;
        if (m == 0 && c == '0')
            continue;
        if (++significativos > 19)
            return false;
        m = m * 10 + static_cast<unsigned>(c - '0');
    }
    if (m > (1ULL << 53) || decimales > 22)
        return false;
    v = static_cast<double>(m) / kPotencias[decimales];
    return true;
}

double LeerNumero(std::string_view texto) {
    // The digits are gathered on the stack: the import reads several numbers a line.
    char corto[64];
    std::string largo;
    char* numero = corto;
    if (texto.size() + 1 > sizeof corto) {
        largo.resize(texto.size() + 1);
        numero = largo.data();
    }
    size_t n = 0;
    numero[n++] = '0'; // so that ".5" reads as 0.5
    bool negativo = false, primero = true, punto = false, digitos = false;
    for (char c : texto) {
        if (c == ' ' || c == '\t')
            continue; // blanks anywhere are ignored
        if (primero) {
            primero = false;
            if (c == '+' || c == '-') {
                negativo = c == '-';
                continue;
            }
        }
        if (c >= '0' && c <= '9') {
            numero[n++] = c;
            digitos = true;
        } else if (c == '.' && !punto) {
            punto = true;
            numero[n++] = c;
        } else {
            break;
        }
    }
    if (!digitos)
        return 0;
    if (numero[n - 1] == '.')
        --n;
    double v = 0;
    if (!LeerDecimalExacto(numero, n, v))
        std::from_chars(numero, numero + n, v);
    return negativo ? -v : v;
}

bool EsNumerico(std::string_view texto) {
    std::string t = Trim(texto);
    if (t.empty())
        return false;
    size_t i = 0;
    if (t[0] == '+' || t[0] == '-')
        ++i;
    bool digitos = false, separador = false;
    for (; i < t.size(); ++i) {
        char c = t[i];
        if (c >= '0' && c <= '9')
            digitos = true;
        else if ((c == '.' || c == SeparadorDecimal()) && !separador)
            separador = true;
        else
            return false;
    }
    return digitos;
}

double ValorNumerico(std::string_view texto) {
    if (!EsNumerico(texto))
        return 0;
    std::string t = Trim(texto);
    for (char& c : t)
        if (c == SeparadorDecimal())
            c = '.';
    return LeerNumero(t);
}

double ADosDecimales(double valor) {
    return ValorNumerico(Formatear(valor, "00.00"));
}
