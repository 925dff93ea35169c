#pragma once
#include <string>
#include <vector>

// One value read from a database: null, whole number, real number or text.
// A whole number reads back as "5", never "5.0".
class Valor {
public:
    enum class Tipo { Nulo, Entero, Real, Texto };

    Valor() = default;
    static Valor DeEntero(long long v);
    static Valor DeReal(double v);
    static Valor DeTexto(std::string v);
    // Makes this value the given text, reusing its storage: a walk reads the
    // same columns row after row.
    void PonerTexto(const char* texto, size_t largo);

    Tipo tipo() const { return m_tipo; }
    bool EsNulo() const { return m_tipo == Tipo::Nulo; }
    // The value as text: "" for null, numbers in their ordinary form (locale separator).
    std::string Texto() const;
    // The same into `destino`, reusing its storage.
    void TextoEn(std::string& destino) const;
    // The value as a number: 0 for null, empty or non-numeric text.
    double Numero() const;
    // The whole number itself (0 unless the value is one): no trip through a double.
    long long Entero() const { return m_tipo == Tipo::Entero ? m_entero : 0; }

private:
    Tipo m_tipo = Tipo::Nulo;
    long long m_entero = 0;
    double m_real = 0;
    std::string m_texto;
};

// A snapshot of every row a query returned, read when the query ran, so that
// updates made while walking it do not disturb it.
class Recordset {
public:
    Recordset() = default;
    Recordset(std::vector<std::string> columnas, std::vector<Valor> celdas);

    bool Eof() const { return static_cast<long>(m_fila) >= RecordCount(); }
    void MoveNext() { ++m_fila; }
    void MoveFirst() { m_fila = 0; }
    long RecordCount() const;
    // 1-based position of the current row.
    long AbsolutePosition() const { return static_cast<long>(m_fila) + 1; }
    // The named field of the current row (names compare without case); an
    // unknown name or a read past the end raises an error.
    const Valor& Fields(const std::string& nombre) const;
    const Valor& Fields(size_t indice) const;
    const std::vector<std::string>& Columnas() const { return m_columnas; }

private:
    std::vector<std::string> m_columnas;
    std::vector<Valor> m_celdas;
    size_t m_fila = 0;
};
