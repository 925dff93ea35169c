#pragma once
#include "platform/Almacor.h"

#include <string>
#include <string_view>
#include <vector>

// A statement written piece by piece: the SQL around its values, and the
// values apart. Its text (`TextoSql`) is what appending the same pieces to a
// string gives, text values between single quotes with their quotes doubled;
// beside it, the same statement with "?" for each value (`Plantilla`) and the
// values as a scan of that text would take them out (`Valores`). A connection
// that binds values runs the template and never reads the text back; any other
// gets the text. A walk reuses one object row after row: nothing is allocated
// per value once the first row has been written.
class SentenciaSql {
public:
    using Literal = Almacor::Gestor::Literal;

    SentenciaSql() = default;
    // A statement that holds no value apart: written whole, as it runs.
    explicit SentenciaSql(std::string_view sql) { Sql(sql); }

    // Empties it for the next statement, keeping its storage.
    void Limpiar();
    // SQL that holds no value: names, keywords, punctuation. Never a quote,
    // a number, "+" or a comment.
    SentenciaSql& Sql(std::string_view sql);
    // A text value: '...' in the text, quotes doubled.
    SentenciaSql& Texto(std::string_view valor);
    SentenciaSql& Texto(const Valor& valor); // as its text ('' for null)
    // A number as the statement writes it ("12.5", "-3", "012.50"), or the
    // word null. A form the template cannot take apart (an exponent) leaves
    // the statement to be run from its text.
    SentenciaSql& Numero(std::string_view numero);
    // A number as NumeroSql / std::to_string write it: the same text, template
    // and value as that text given to Numero above, without writing it first
    // and reading it back.
    SentenciaSql& Numero(double valor);
    SentenciaSql& Numero(long long valor);
    // Another statement's pieces and values, after these.
    SentenciaSql& Anexar(const SentenciaSql& otra);

    std::string TextoSql() const;
    const std::string& Plantilla() const { return m_plantilla; }
    const std::vector<Literal>& Valores() const { return m_valores; }
    size_t NumValores() const { return m_usados; }
    // False when the template cannot stand for the text: run the text.
    bool Vinculable() const { return m_vinculable; }

    // The template with each value's "?" as one character telling its kind,
    // which the dialect translations read as a quoted text or a number: a
    // "+" next to a text value joins, next to a number adds.
    static constexpr char kHuecoTexto = '\x01', kHuecoNumero = '\x02';
    std::string Forma() const;
    // Whether the template holds what a dialect may translate: "+", or the
    // words left or top (a false alarm only costs one translation per shape).
    bool Dialectal() const;
    // Whether the value kinds change the translation ("+" is in the template).
    bool ConMas() const { return m_plantilla.find('+') != std::string::npos; }

private:
    Literal& Hueco(Literal::Tipo tipo);

    std::string m_plantilla;
    std::vector<Literal> m_valores; // slots reused from statement to statement
    std::vector<size_t> m_huecos;   // where each value's "?" stands in the template
    size_t m_usados = 0;
    bool m_vinculable = true;
};
