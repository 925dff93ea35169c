#include "review/Nomenclador.h"

#include "global/modGlobal.h"
#include "platform/Pontevar.h"
#include "platform/Recordset.h"
#include "platform/SentenciaSql.h"
#include "platform/Tesmira.h"
#include "platform/Texto.h"

namespace Nomenclador {

namespace {

// The position as the dialog lists it, in the customs engine's dialect ("+"
// joins texts; the connection translates it).
constexpr const char* kPosicion = "[001]+ '.' +[002] + [003] as ncm";

bool EsDigito(char c) {
    return c >= '0' && c <= '9';
}

bool EsLetra(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0x80;
}

bool SoloDigitos(const std::string& s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (!EsDigito(c))
            return false;
    return true;
}

// Every statement is set and run through the entity's connection, asked for afresh each time.
bool Consultar(Pontevar::Principal& entidades, const SentenciaSql& sql, Recordset& rs) {
    entidades.getDataConnectionByEntity("NCM").Sql(sql);
    return entidades.getDataConnectionByEntity("NCM").CrearRs(rs);
}

std::vector<Encontrada> Filas(Pontevar::Principal& entidades, const SentenciaSql& sql, bool descripcion) {
    std::vector<Encontrada> r;
    Recordset rs;
    Consultar(entidades, sql, rs);
    for (; !rs.Eof(); rs.MoveNext())
        r.push_back({Trim(rs.Fields("ncm").Texto()), descripcion ? Trim(rs.Fields("descrip").Texto()) : ""});
    return r;
}

std::string Columnas(bool descripcion) {
    return std::string(kPosicion) + (descripcion ? ",[010] as descrip" : "");
}

// The search as the dialog has always done it: each "." of the text matches
// any run of characters, and the text is a prefix of [001]. Every other
// character stands for itself: "%", "_" and a backslash (the server's own escape
// in a like) are escaped, and only then is an escape clause written, so the
// ordinary search keeps its plain prefix pattern.
std::vector<Encontrada> PorPrefijo(Pontevar::Principal& entidades, const std::string& texto, bool descripcion) {
    std::string patron;
    bool escapado = false;
    for (char c : texto) {
        if (c == '%' || c == '_' || c == '\\') {
            patron += '\\';
            escapado = true;
        }
        patron += c == '.' ? '%' : c;
    }
    SentenciaSql s("select ");
    s.Sql(Columnas(descripcion)).Sql(",[012] as estadistica,[020] as deresp from ncm where [001] like ");
    s.Texto(patron + "%");
    if (escapado)
        s.Sql(" escape ").Texto("\\");
    s.Sql(" order by [001],[002],[003]");
    return Filas(entidades, s, descripcion);
}

std::vector<Encontrada> PorClave(Pontevar::Principal& entidades, const std::string& completa, bool descripcion) {
    SentenciaSql s("select ");
    s.Sql(Columnas(descripcion)).Sql(" from ncm where [001] = ").Texto(Mid(completa, 1, 10));
    s.Sql(" and [002] = ").Texto(Mid(completa, 12, 3)).Sql(" and [003] = ").Texto(Mid(completa, 15, 1));
    return Filas(entidades, s, descripcion);
}

// Digits typed without dots, cut as a position is: 8703 23 10 100.
std::string Puntear(const std::string& digitos) {
    std::string r;
    for (size_t i = 0; i < digitos.size(); ++i) {
        if (i == 4 || i == 6 || i == 8)
            r += '.';
        r += digitos[i];
    }
    return r;
}

// Words of the descriptions: each one the beginning of a word of [010] or
// [004], all of them required. Each word is quoted, so nothing typed is read
// as the index's own syntax (AND, NEAR, "-", "*").
std::vector<Encontrada> PorPalabras(Pontevar::Principal& entidades, const std::string& texto, bool descripcion) {
    std::string consulta;
    std::string palabra;
    auto cerrar = [&] {
        if (palabra.empty())
            return;
        consulta += (consulta.empty() ? "\"" : " \"") + palabra + "\"*";
        palabra.clear();
    };
    for (char c : texto) {
        if (EsDigito(c) || EsLetra(c))
            palabra += c;
        else
            cerrar();
    }
    cerrar();
    if (consulta.empty())
        return {};
    // The index gives the rows; ncm gives their keys, in position order.
    SentenciaSql s("select ncm.[001]+ '.' +ncm.[002] + ncm.[003] as ncm");
    if (descripcion)
        s.Sql(",ncm.[010] as descrip");
    s.Sql(" from ncm_texto join ncm on ncm.rowid = ncm_texto.rowid where ncm_texto match ").Texto(consulta);
    s.Sql(" order by ncm.[001],ncm.[002],ncm.[003]");
    return Filas(entidades, s, descripcion);
}

std::vector<Encontrada> Busqueda(Pontevar::Principal& entidades, const std::string& texto, bool descripcion) {
    const std::string t = Trim(texto);
    if (t.empty())
        return {};
    std::vector<Encontrada> r = PorPrefijo(entidades, texto, descripcion);
    if (!r.empty())
        return r;

    // A full position, as the editor hands it over: the prefix rule only reads [001].
    if (std::string completa = PosicionCompleta(t); !completa.empty())
        return PorClave(entidades, completa, descripcion);

    std::string puntos = Reemplazar(t, ",", ".");
    if (SoloDigitos(puntos)) {
        if (puntos.size() <= 8)
            return PorPrefijo(entidades, Puntear(puntos), descripcion);
        if (puntos.size() <= 10) { // the position and the beginning of its sub-item
            SentenciaSql s("select ");
            s.Sql(Columnas(descripcion)).Sql(" from ncm where [001] = ").Texto(Puntear(puntos.substr(0, 8)));
            s.Sql(" and [002] like ").Texto(puntos.substr(8) + "%").Sql(" order by [001],[002],[003]");
            return Filas(entidades, s, descripcion);
        }
        return {}; // more digits than a position has
    }
    bool letras = false;
    for (char c : t)
        letras = letras || EsLetra(c);
    if (letras)
        return PorPalabras(entidades, t, descripcion);
    if (puntos != t) // commas typed for dots
        return PorPrefijo(entidades, puntos, descripcion);
    return {};
}

} // namespace

std::vector<std::string> Buscar(Pontevar::Principal& entidades, const std::string& texto) {
    std::vector<std::string> r;
    for (Encontrada& e : Busqueda(entidades, texto, false))
        r.push_back(std::move(e.Posicion));
    return r;
}

std::vector<Encontrada> BuscarConDescripcion(Pontevar::Principal& entidades, const std::string& texto) {
    return Busqueda(entidades, texto, true);
}

std::string PosicionCompleta(const std::string& texto) {
    std::string t = Reemplazar(Trim(texto), ",", ".");
    std::string letra;
    if (t.size() == 15 || t.size() == 12) {
        letra = UCase(t.substr(t.size() - 1));
        t.pop_back();
        if (letra[0] < 'A' || letra[0] > 'Z')
            return {};
    }
    if (t.size() == 11 && SoloDigitos(t))
        t = Puntear(t);
    std::string calculada = modGlobal::LetraVerificadora(t);
    if (calculada.empty())
        return {};
    return t + (letra.empty() ? calculada : letra);
}

Detalle MostrarDatos(Pontevar::Principal& entidades, const std::string& posicion) {
    Detalle d;
    if (Trim(posicion).empty())
        return d;
    Recordset rs;
    SentenciaSql s(
        "Select [010] as descrip,[004] as descrip1, [012] as estadistica,[020] as deresp, [059],[019] as rein "
        "from ncm where [001] = ");
    s.Texto(Mid(posicion, 1, 10)).Sql(" and [002] = ").Texto(Mid(posicion, 12, 3));
    s.Sql(" and [003] = ").Texto(Mid(posicion, 15, 1));
    if (Consultar(entidades, s, rs)) {
        d.Encontrada = true;
        // "\n\n": the dialog's multi-line box breaks lines on it.
        d.Descripcion = rs.Fields("descrip").Texto() + "\n\n" + rs.Fields("descrip1").Texto();
    }
    s.Limpiar();
    s.Sql("select * from sufidos where sim in ");
    Tesmira::ClavesDeSufijos(s, posicion);
    if (Consultar(entidades, s, rs)) {
        for (; !rs.Eof(); rs.MoveNext()) {
            std::string codigo = Trim(rs.Fields("Sufijo").Texto());
            // A code longer than the column of five is listed as it is, not refused.
            size_t largo = Len(codigo);
            if (largo < 5)
                codigo += std::string(5 - largo, ' ');
            d.Sufijos.push_back(codigo + Trim(rs.Fields("detalle").Texto()));
        }
    }
    return d;
}

} // namespace Nomenclador
