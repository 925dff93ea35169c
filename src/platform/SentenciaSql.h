#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class Valor;

// The one form a statement takes on its way to a database: the SQL around its
// values, and the values apart. Each engine renders its own dialect from the
// template (`Plantilla`, "?" for each value) once per shape and binds the
// values (`Valores`); nothing reads a statement's text back. Its text
// (`TextoSql`) is what appending the same pieces to a string gives, text
// values between single quotes with their quotes doubled: the messages that
// quote a statement show it. A walk reuses one object row after row: nothing
// is allocated per value once the first row has been written.
class SentenciaSql {
public:
    // A value of a statement, bound to its "?".
    struct Literal {
        enum class Tipo { Texto, Entero, Real } tipo = Tipo::Texto;
        std::string texto;
        long long entero = 0;
        double real = 0;
    };

    SentenciaSql() = default;
    // A statement that holds no value apart: written whole, as it runs. A
    // literal converts by itself (db.Ejecutar("drop index X")); a text built
    // at run time must say so, so that no value is pasted into one unseen.
    SentenciaSql(const char* sql) { Sql(sql); }
    explicit SentenciaSql(std::string_view sql) { Sql(sql); }

    // Empties it for the next statement, keeping its storage.
    void Limpiar();
    // SQL that holds no value of the run: names, keywords, punctuation, the
    // statement's own constants ('OK', 0). Never a comment.
    SentenciaSql& Sql(std::string_view sql);
    // A text value: '...' in the text, quotes doubled.
    SentenciaSql& Texto(std::string_view valor);
    SentenciaSql& Texto(const Valor& valor); // as its text ('' for null)
    // Text values separated by commas: 'a','b','c'.
    SentenciaSql& Textos(std::initializer_list<std::string_view> valores);
    // A number as the statement writes it ("12.5", "-3", "012.50"), or the
    // word null. A form that is not a plain decimal (an exponent) is written
    // into the template as it stands.
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
};
