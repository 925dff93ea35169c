#include "platform/Texto.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// Windows-1252 bytes 0x80..0x9F; 0 marks the five unassigned ones.
constexpr char32_t kCp1252Alto[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Decodes one code point starting at s[i]; advances i. Invalid bytes decode as U+FFFD.
char32_t Siguiente(std::string_view s, size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        ++i;
        return c;
    }
    int largo = (c >= 0xF0) ? 4 : (c >= 0xE0) ? 3 : (c >= 0xC0) ? 2 : 1;
    if (largo == 1 || i + largo > s.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t cp = c & (0xFF >> (largo + 1));
    for (int k = 1; k < largo; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += largo;
    return cp;
}

// Byte offset of the 1-based character position `pos` (s.size() when past the end).
size_t Desplazamiento(std::string_view s, size_t pos) {
    size_t i = 0;
    for (size_t n = 1; n < pos && i < s.size(); ++n)
        Siguiente(s, i);
    return i;
}

char32_t Mayuscula(char32_t c) {
    if (c >= 'a' && c <= 'z')
        return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 32;
    switch (c) {
    case 0xFF:
        return 0x178;
    case 0x161:
        return 0x160;
    case 0x17E:
        return 0x17D;
    case 0x153:
        return 0x152;
    default:
        return c;
    }
}

} // namespace

std::string Trim(std::string_view s) {
    size_t i = 0, n = s.size();
    while (i < n && s[i] == ' ')
        ++i;
    while (n > i && s[n - 1] == ' ')
        --n;
    return std::string(s.substr(i, n - i));
}

// Eight bytes at a time: every line of a shipment file goes through it.
bool EsAscii(std::string_view s) {
    const char* p = s.data();
    size_t n = s.size();
    uint64_t bits = 0;
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        bits |= w;
    }
    for (; n > 0; ++p, --n)
        bits |= static_cast<unsigned char>(*p);
    return (bits & 0x8080808080808080ULL) == 0;
}

size_t Len(std::string_view s) {
    if (EsAscii(s))
        return s.size();
    size_t n = 0;
    for (size_t i = 0; i < s.size(); ++n)
        Siguiente(s, i);
    return n;
}

std::string Mid(std::string_view s, size_t inicio, long largo) {
    if (inicio < 1)
        inicio = 1;
    if (EsAscii(s)) {
        if (inicio > s.size())
            return {};
        return std::string(s.substr(inicio - 1, largo < 0 ? std::string_view::npos : static_cast<size_t>(largo)));
    }
    size_t desde = Desplazamiento(s, inicio);
    if (desde >= s.size())
        return {};
    if (largo < 0)
        return std::string(s.substr(desde));
    size_t hasta = desde;
    for (long n = 0; n < largo && hasta < s.size(); ++n)
        Siguiente(s, hasta);
    return std::string(s.substr(desde, hasta - desde));
}

std::string Left(std::string_view s, size_t n) {
    return Mid(s, 1, static_cast<long>(n));
}

std::string Right(std::string_view s, size_t n) {
    size_t total = Len(s);
    return n >= total ? std::string(s) : Mid(s, total - n + 1);
}

size_t InStr(size_t inicio, std::string_view s, std::string_view buscado, bool sinMayusculas) {
    if (inicio < 1)
        inicio = 1;
    if (s.empty())
        return 0;
    if (buscado.empty())
        return inicio;
    if (inicio > Len(s))
        return 0;
    std::string texto(s), patron(buscado);
    if (sinMayusculas) {
        texto = LCaseAscii(texto);
        patron = LCaseAscii(patron);
    }
    size_t p = texto.find(patron, Desplazamiento(texto, inicio));
    if (p == std::string::npos)
        return 0;
    return Len(std::string_view(texto).substr(0, p)) + 1;
}

std::string UCase(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            r += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
            ++i;
        } else {
            AgregarUtf8(r, Mayuscula(Siguiente(s, i)));
        }
    }
    return r;
}

std::string LCaseAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return r;
}

std::string Reemplazar(std::string s, std::string_view de, std::string_view a) {
    if (de.empty())
        return s;
    size_t p = 0;
    while ((p = s.find(de, p)) != std::string::npos) {
        s.replace(p, de.size(), a);
        p += a.size();
    }
    return s;
}

bool EmpiezaCon(std::string_view s, std::string_view prefijo) {
    return s.substr(0, prefijo.size()) == prefijo;
}

bool TerminaCon(std::string_view s, std::string_view sufijo) {
    return s.size() >= sufijo.size() && s.substr(s.size() - sufijo.size()) == sufijo;
}

bool IgualSinMayusculas(std::string_view a, std::string_view b) {
    // Compared in place: record fields are looked up by name on every row.
    if (a.size() != b.size())
        return false;
    auto bajo = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (bajo(a[i]) != bajo(b[i]))
            return false;
    return true;
}

std::u32string Utf8aU32(std::string_view s) {
    std::u32string r;
    r.reserve(s.size());
    for (size_t i = 0; i < s.size();)
        r += Siguiente(s, i);
    return r;
}

void AgregarUtf8(std::string& d, char32_t c) {
    if (c < 0x80) {
        d += static_cast<char>(c);
    } else if (c < 0x800) {
        d += static_cast<char>(0xC0 | (c >> 6));
        d += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        d += static_cast<char>(0xE0 | (c >> 12));
        d += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        d += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        d += static_cast<char>(0xF0 | (c >> 18));
        d += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        d += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        d += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string U32aUtf8(std::u32string_view s) {
    std::string r;
    r.reserve(s.size());
    for (char32_t c : s)
        AgregarUtf8(r, c);
    return r;
}

int CodigoAnsi(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (int k = 0; k < 32; ++k)
        if (kCp1252Alto[k] == c && c != 0)
            return 0x80 + k;
    return -1;
}

bool EsUtf8Valido(std::string_view b) {
    size_t i = 0;
    while (i < b.size()) {
        unsigned char c = static_cast<unsigned char>(b[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int largo;
        char32_t minimo;
        if ((c & 0xE0) == 0xC0) {
            largo = 2;
            minimo = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            largo = 3;
            minimo = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            largo = 4;
            minimo = 0x10000;
        } else {
            return false;
        }
        if (i + largo > b.size())
            return false;
        char32_t cp = c & (0xFF >> (largo + 1));
        for (int k = 1; k < largo; ++k) {
            unsigned char d = static_cast<unsigned char>(b[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (cp < minimo || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += largo;
    }
    return true;
}

std::string Cp1252aUtf8(std::string_view b) {
    std::string r;
    r.reserve(b.size() + b.size() / 8);
    for (char ch : b) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            r += ch;
        else if (c < 0xA0)
            AgregarUtf8(r, kCp1252Alto[c - 0x80] ? kCp1252Alto[c - 0x80] : c);
        else
            AgregarUtf8(r, c);
    }
    return r;
}

bool CaracterPermitido(char32_t c) {
    int ansi = CodigoAnsi(c);
    return ansi == 47 || ansi == 44 || ansi == 38 || (ansi >= 48 && ansi <= 57) || (ansi >= 65 && ansi <= 90) ||
           ansi == 209;
}
