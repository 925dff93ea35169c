#include "import/modEntidadesTarvelo.h"

#include "comun/Aplicacion.h"
#include "comun/Operador.h"
#include "global/modGlobal.h"
#include "platform/AppError.h"
#include "platform/Numeros.h"
#include "platform/SentenciaSql.h"
#include "platform/Texto.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace modEntidadesTarvelo {

namespace {

// Called inside a catch block: the error in flight goes on to the caller with
// this function's section in front of its source.
[[noreturn]] void Relanzar(const char* funcion, int nro) {
    throw AppError::Actual().Relanzar(
        kErrorModulo,
        std::string("seccion ") + funcion + " de Módulo modEntidadesTarvelo:: ", " nro: " + std::to_string(nro));
}

// A line cut into fields by characters. Lines are nearly always ASCII, where
// a character is a byte: that is checked once per line, not once per field.
// Any other line has the byte offset of each of its characters found once, so
// its fields are cut as cheaply (finding them field by field from the line's
// start made such a line cost many times an ASCII one).
double NumeroAscii(std::string_view t, int enteros, int decimales);

// The bytes of the character that starts at s[i], read as the text functions
// read it: a stray or cut-off byte is a character of its own.
size_t LargoCaracter(std::string_view s, size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const size_t largo = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return i + largo > s.size() ? 1 : largo;
}

class Linea {
public:
    explicit Linea(const std::string& texto) : m_texto(texto), m_ascii(EsAscii(texto)) {
        if (m_ascii)
            return;
        m_inicios.reserve(texto.size() + 1);
        for (size_t i = 0; i < texto.size(); i += LargoCaracter(texto, i))
            m_inicios.push_back(static_cast<uint32_t>(i));
        m_inicios.push_back(static_cast<uint32_t>(texto.size()));
    }
    // A number field, read without copying the field when the line is ASCII.
    double Numero(size_t inicio, long largo, int enteros, int decimales) const {
        if (!m_ascii)
            return getNumerofromString(Corte(inicio, largo), enteros, decimales);
        return NumeroAscii(Vista(inicio, largo), enteros, decimales);
    }
    std::string Corte(size_t inicio, long largo) const { return std::string(Vista(inicio, largo)); }
    // A text field: trimmed (cut and trimmed in one copy).
    std::string Campo(size_t inicio, long largo) const { return Trim(Vista(inicio, largo)); }

private:
    // The `largo` characters from the 1-based character `inicio`, as far as the line goes.
    std::string_view Vista(size_t inicio, long largo) const {
        const std::string_view t(m_texto);
        const size_t n = static_cast<size_t>(largo);
        if (m_ascii)
            return inicio > t.size() ? std::string_view() : t.substr(inicio - 1, n);
        const size_t caracteres = m_inicios.size() - 1;
        if (inicio > caracteres)
            return {};
        const size_t desde = m_inicios[inicio - 1];
        const size_t hasta = m_inicios[std::min(caracteres, inicio - 1 + n)];
        return t.substr(desde, hasta - desde);
    }

    const std::string& m_texto;
    bool m_ascii;
    std::vector<uint32_t> m_inicios; // byte offset of each character, then the line's length
};

bool SoloDigitos(const std::string& s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool FechaValida(int dia, int mes, int anio) {
    static const int kDias[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (anio < 1 || mes < 1 || mes > 12 || dia < 1)
        return false;
    bool bisiesto = (anio % 4 == 0 && anio % 100 != 0) || anio % 400 == 0;
    return dia <= kDias[mes - 1] + (mes == 2 && bisiesto ? 1 : 0);
}

// The integer digits, a point, and the decimals, cut from an ASCII field
// without copying it (a field too long for the buffer is read the long way).
double NumeroAscii(std::string_view t, int enteros, int decimales) {
    const size_t e = std::min(t.size(), static_cast<size_t>(enteros));
    char buf[96];
    const std::string_view dec = decimales == 0 ? std::string_view("0")
                                 : static_cast<size_t>(enteros) >= t.size()
                                     ? std::string_view()
                                     : t.substr(e, static_cast<size_t>(decimales));
    // Nearly every field is digits only: their value as a whole number over a
    // power of ten, both exact in a double, is one correctly rounded division,
    // the value the reader below gives. Anything else (blanks, a sign, more
    // digits than a double holds exactly) takes the reader.
    static constexpr double kPotencias[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                            1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (dec.size() < std::size(kPotencias)) {
        // Leading zeros first; then at most 19 digits, which cannot overflow.
        std::string_view entera = t.substr(0, e), fraccion = dec;
        while (!entera.empty() && entera.front() == '0')
            entera.remove_prefix(1);
        if (entera.empty())
            while (!fraccion.empty() && fraccion.front() == '0')
                fraccion.remove_prefix(1);
        if (entera.size() + fraccion.size() <= 19) {
            unsigned long long m = 0;
            unsigned malo = 0;
            for (char c : entera) {
                const unsigned d = static_cast<unsigned char>(c) - static_cast<unsigned>('0');
                malo |= d > 9;
                m = m * 10 + d;
            }
            for (char c : fraccion) {
                const unsigned d = static_cast<unsigned char>(c) - static_cast<unsigned>('0');
                malo |= d > 9;
                m = m * 10 + d;
            }
            if (!malo && m <= (1ULL << 53))
                return static_cast<double>(m) / kPotencias[dec.size()];
        }
    }
    if (e + 1 + dec.size() > sizeof buf)
        return getNumerofromString(std::string(t), enteros, decimales);
    // An empty view may hold no pointer at all: copy only what is there.
    if (e > 0)
        std::memcpy(buf, t.data(), e);
    buf[e] = '.';
    if (!dec.empty())
        std::memcpy(buf + e + 1, dec.data(), dec.size());
    return LeerNumero(std::string_view(buf, e + 1 + dec.size()));
}

} // namespace

RegistroH getRegistroHfromString(const std::string& linea) {
    int nro = 0;
    try {
        const Linea l(linea);
        RegistroH r;
        nro = 1;
        r.Reservado1 = l.Campo(2, 10);
        r.Interno = l.Campo(12, 10);
        r.InternoSufijo = l.Campo(22, 2);
        r.Factura = l.Campo(24, 12);
        r.NroCTC = l.Campo(36, 20);
        r.Modelo = l.Campo(56, 9);
        r.Variante = l.Campo(65, 21);
        nro = 2;
        r.Importe = l.Numero(86, 12, 10, 2);
        nro = 3;
        r.NroVIN = l.Campo(98, 17);
        r.Reservado2 = l.Campo(115, 7);
        r.Pais = l.Campo(122, 3);
        r.Reservado3 = l.Campo(125, 1);
        r.Tipo = l.Campo(126, 4);
        return r;
    } catch (...) {
        Relanzar("getRegistroHfromString", nro);
    }
}

RegistroP getRegistroPfromString(const std::string& linea) {
    int nro = 0;
    try {
        const Linea l(linea);
        RegistroP r;
        nro = 1;
        r.Reservado1 = l.Campo(2, 10);
        r.Reservado2 = l.Campo(12, 2);
        r.Articulo = Reemplazar(l.Campo(14, 21), "*", "");
        nro = 2;
        r.Cantidad = l.Numero(35, 13, 10, 3);
        r.Reservado3 = l.Campo(48, 2);
        r.Cif = l.Numero(50, 22, 18, 4);
        r.Posicion = l.Campo(72, 15);
        nro = 3;
        r.Fecha = getFechafromString(l.Corte(87, 8));
        nro = 4;
        r.DIT = l.Campo(95, 16);
        r.Reservado4 = l.Campo(111, 4);
        r.Reservado5 = l.Campo(115, 3);
        r.Item = l.Campo(118, 4);
        r.SubItem = l.Campo(122, 4);
        r.Modelo = l.Campo(126, 9);
        r.Variante = l.Campo(135, 19);
        r.PrecioUnitario = l.Numero(154, 22, 18, 4);
        r.Origen = l.Campo(176, 3);
        r.Pais = l.Campo(179, 3);
        r.Importe1 = l.Numero(182, 22, 18, 4);
        r.Importe2 = l.Numero(204, 22, 18, 4);
        nro = 5;
        // The file gives the unit CIF; the input line keeps the line's total.
        r.Cif = r.Cif * r.Cantidad;
        if (r.Origen == "000")
            r.Origen.clear();
        if (r.Pais == "000")
            r.Pais.clear();
        return r;
    } catch (...) {
        Relanzar("getRegistroPfromString", nro);
    }
}

double getNumerofromString(const std::string& texto, int enteros, int decimales) {
    try {
        // The same cut as below without the copies: a byte is a character.
        if (EsAscii(texto) && static_cast<size_t>(enteros) + 1 + static_cast<size_t>(decimales) < 96)
            return NumeroAscii(texto, enteros, decimales);
        std::string entera = Left(texto, static_cast<size_t>(enteros));
        std::string decimal = decimales == 0 ? "0" : Mid(texto, static_cast<size_t>(enteros) + 1, decimales);
        return LeerNumero(entera + "." + decimal);
    } catch (...) {
        Relanzar("getNumerofromString", 0);
    }
}

std::string getFechafromString(const std::string& texto) {
    // Every detail line has one: eight digits that make a calendar date are
    // answered without the cuts and conversions below, which also tell what is wrong.
    if (texto.size() == 8 && SoloDigitos(texto)) {
        auto valor = [&](size_t desde, size_t largo) {
            int v = 0;
            for (size_t i = desde; i < desde + largo; ++i)
                v = v * 10 + (texto[i] - '0');
            return v;
        };
        if (FechaValida(valor(6, 2), valor(4, 2), valor(0, 4))) {
            std::string fecha(10, '/');
            texto.copy(&fecha[0], 2, 6);
            texto.copy(&fecha[3], 2, 4);
            texto.copy(&fecha[6], 4, 0);
            return fecha;
        }
    }
    int nro = 0;
    try {
        nro = 1;
        std::string anio = Mid(texto, 1, 4), mes = Mid(texto, 5, 2), dia = Mid(texto, 7, 2);
        std::string fecha = dia + "/" + mes + "/" + anio;
        nro = 2;
        // A day or month padded with a blank (" 1/ 2/2023") still reads as a
        // date; a blank or short field, a year of fewer than four digits or
        // 30 February stop the import.
        const std::string d = Trim(dia), m = Trim(mes);
        if (anio.size() != 4 || !SoloDigitos(anio) || !SoloDigitos(m) || !SoloDigitos(d) ||
            !FechaValida(std::stoi(d), std::stoi(m), std::stoi(anio)))
            throw AppError(111, "Validando Fecha desde String", "Fecha " + fecha + " inválida!");
        return fecha;
    } catch (...) {
        Relanzar("getFechafromString", nro);
    }
}

std::string setNumeroAnsi(double valor) {
    try {
        return NumeroSql(NumeroTexto(valor));
    } catch (...) {
        Relanzar("setNumeroAnsi", 0);
    }
}

std::string setNumeroAnsi(const std::string& numeroFormateado) {
    try {
        return NumeroSql(numeroFormateado);
    } catch (...) {
        Relanzar("setNumeroAnsi", 0);
    }
}

std::string UnirModeloVariante(const Aplicacion& app, const std::string& modelo, const std::string& variante) {
    return modelo + (app.Config.MODELOVARIANTESINSPC ? "" : " ") + variante;
}

void SentenciaDeRegH(Aplicacion& app, const RegistroH& reg, long orden, const std::string& interno, SentenciaSql& s) {
    int nro = 0;
    try {
        nro = 1;
        std::string destino = modGlobal::BuscarRelacionPais(app, reg.Pais).first;
        nro = 2;
        std::string importe = setNumeroAnsi(reg.Importe);
        s.Limpiar();
        s.Sql("insert into ART (INTNRO,ARTORD,ARTNRO,ARTCAN,ARTTOT,ARTUNI,ARTFAC,PRCCAN,PRCCTC,PRCVIN,PRCDST,ARTORG,"
              "PRCORI,PRCESM,PRCTDS) values (");
        s.Texto(interno).Sql(",").Numero(EnteroSql(orden)).Sql(",");
        s.Texto(UnirModeloVariante(app, reg.Modelo, reg.Variante)).Sql(",").Numero("1").Sql(",");
        s.Numero(importe).Sql(",").Numero(importe).Sql(",");
        s.Texto(reg.Factura).Sql(",").Numero("1").Sql(",").Texto(reg.NroCTC).Sql(",").Texto(reg.NroVIN).Sql(",");
        s.Texto(destino).Sql(",").Texto(app.Config.ORIGEN).Sql(",").Texto(app.Config.ORIGEN).Sql(",");
        s.Texto("1").Sql(",").Texto(reg.Tipo).Sql(")");
    } catch (...) {
        Relanzar("getSQLfromRegH", nro);
    }
}

std::string getSQLfromRegH(Aplicacion& app, const RegistroH& reg, long orden, const std::string& interno) {
    SentenciaSql s;
    SentenciaDeRegH(app, reg, orden, interno, s);
    return s.TextoSql();
}

void SentenciaDeRegP(Aplicacion& app, const RegistroP& reg, const std::string& interno, long idReg,
                     const std::string& parent, SentenciaSql& s) {
    int nro = 0;
    try {
        nro = 1;
        // IDPARENT stands unquoted: only an order number may go there.
        if (!parent.empty() && !SoloDigitos(parent))
            throw AppError(13, "getSQLfromRegP", "No coinciden los tipos: IDPARENT '" + parent + "'");
        nro = 2;
        s.Limpiar();
        s.Sql(parent.empty() ? "insert into ARTINS(INTNRO, PARENTART ,IdReg ,DIT ,Item ,SubItem ,Posicion ,CTIT "
                               ",cif,Cantidad) values ("
                             : "insert into ARTINS(INTNRO, PARENTART ,IdReg ,DIT ,Item ,SubItem ,Posicion ,CTIT "
                               ",cif,IDPARENT,Cantidad) values (");
        s.Texto(interno).Sql(",");
        s.Texto(UnirModeloVariante(app, reg.Modelo, reg.Variante)).Sql(",");
        s.Numero(EnteroSql(idReg)).Sql(",");
        s.Texto(reg.DIT).Sql(",").Texto(reg.Item).Sql(",").Texto(reg.SubItem).Sql(",").Texto(reg.Posicion).Sql(",");
        s.Texto("").Sql(",").Numero(reg.Cif).Sql(",");
        if (!parent.empty())
            s.Numero(parent).Sql(",");
        s.Numero(reg.Cantidad).Sql(")");
    } catch (...) {
        Relanzar("getSQLfromRegP", nro);
    }
}

std::string getSQLfromRegP(Aplicacion& app, const RegistroP& reg, const std::string& interno, long idReg,
                           const std::string& parent) {
    SentenciaSql s;
    SentenciaDeRegP(app, reg, interno, idReg, parent, s);
    return s.TextoSql();
}

void SentenciaDeRegPtoART(Aplicacion& app, const RegistroP& reg, const std::string& interno, long orden,
                          const std::string& tipo, SentenciaSql& s) {
    try {
        std::string destino = modGlobal::BuscarRelacionPais(app, reg.Pais).first;
        std::string cantidad = setNumeroAnsi(Formatear(reg.Cantidad, "00.00"));
        std::string posicion = (tipo == "ICR2" || tipo == "RR01") ? reg.Posicion : "";
        s.Limpiar();
        s.Sql("insert into ART (INTNRO,ARTORD,ARTNRO,ARTCAN,ARTTOT,ARTUNI,ARTFAC,PRCCAN,PRCCTC,PRCVIN,PRCDST,ARTORG,"
              "PRCORI,PRCESM,PRCNCM,PRCTDS) values (");
        s.Texto(interno).Sql(",").Numero(EnteroSql(orden)).Sql(",").Texto(reg.Articulo).Sql(",");
        s.Numero(cantidad).Sql(",");
        s.Numero(setNumeroAnsi(Formatear(reg.Cantidad * reg.PrecioUnitario, "00.00"))).Sql(",");
        s.Numero(setNumeroAnsi(Formatear(reg.PrecioUnitario, "00.00000"))).Sql(",");
        s.Texto("").Sql(",").Numero(cantidad).Sql(",").Texto("").Sql(",").Texto("").Sql(",");
        s.Texto(destino).Sql(",").Texto(reg.Origen).Sql(",").Texto(reg.Origen).Sql(",");
        s.Texto("1").Sql(",").Texto(posicion).Sql(",").Texto(tipo).Sql(")");
    } catch (...) {
        throw AppError::Actual().Relanzar(kErrorRegPtoART, "getSQLfromRegPtoART.modEntidadesTarvelo.Velmarion ");
    }
}

std::string getSQLfromRegPtoART(Aplicacion& app, const RegistroP& reg, const std::string& interno, long orden,
                                const std::string& tipo) {
    SentenciaSql s;
    SentenciaDeRegPtoART(app, reg, interno, orden, tipo, s);
    return s.TextoSql();
}

void SentenciaDeEnlace(const std::string& interno, const std::string& artnro, long long artord, const std::string& ctc,
                       SentenciaSql& s) {
    s.Limpiar();
    s.Sql("update ARTINS set IDPARENT = ")
        .Numero(artord)
        .Sql(", CTIT = ")
        .Texto(ctc)
        .Sql(" where INTNRO = ")
        .Texto(interno)
        .Sql(" and PARENTART = ")
        .Texto(artnro);
}

void EstablecerParents(Aplicacion& app, const std::string& interno) {
    try {
        Recordset articulos;
        app.Db.Sql(SentenciaSql("select distinct ARTNRO from ART where INTNRO = ").Texto(interno));
        if (!app.Db.CrearRs(articulos))
            throw AppError(-2147220393, "Buscar articulos", "No se encontro articulos en el interno " + interno);
        // One article number after another: both statements keep their storage.
        SentenciaSql primeroDe, enlace;
        for (; !articulos.Eof(); articulos.MoveNext()) {
            const std::string& artnro = articulos.Fields("ARTNRO").Texto();
            Recordset primero;
            primeroDe.Limpiar();
            primeroDe.Sql("select top 1 ARTORD, PRCCTC from ART where INTNRO = ")
                .Texto(interno)
                .Sql(" and ARTNRO = ")
                .Texto(artnro)
                .Sql(" order by artord");
            app.Db.Sql(primeroDe);
            if (!app.Db.CrearRs(primero))
                continue;
            SentenciaDeEnlace(interno, artnro, std::llround(primero.Fields("ARTORD").Numero()),
                              primero.Fields("PRCCTC").Texto(), enlace);
            app.Db.Ejecutar(enlace);
        }
    } catch (...) {
        throw AppError::Actual().Relanzar(kErrorEnlace, "EstablecerParents.modEntidadesTarvelo.Velmarion ");
    }
}

} // namespace modEntidadesTarvelo
