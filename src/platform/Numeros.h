#pragma once
#include <string>
#include <string_view>

// Numbers as the program shows and writes them. Display follows the locale's
// decimal separator; anything bound for SQL goes through NumeroSql, which
// always uses "." whatever the locale.

// The locale's decimal separator (read once from the C locale, "." when unset).
char SeparadorDecimal();
// Tests and the command line may fix the separator.
void FijarSeparadorDecimal(char separador);

// The ordinary text of a number: shortest general form, up to 15 significant
// digits, no grouping, the locale's separator (5 -> "5", 2.5 -> "2,5" in a comma locale).
std::string NumeroTexto(double valor);

// A value that is the double nearest to a decimal of at most 15 significant
// digits and 7 decimals, from 1E-4 up (prices, quantities, totals), as that
// decimal: `escalado` / 10^`decimales`, with as few decimals as it takes.
// That decimal is what the 15-digit conversion gives; it is found with a few
// multiplications instead. False when the value is no such number.
bool DecimalCorto(double absoluto, unsigned long long& escalado, int& decimales);
// Appends that decimal's digits ("1234", "12" + separador + "05").
void EscribirDecimal(std::string& destino, unsigned long long escalado, int decimales, char separador);
// Digits with at most one "." among them: the double nearest to that
// decimal, as a full conversion finds it, when it takes a single division
// (up to 2^53 as a whole number, 22 decimals). False otherwise.
bool LeerDecimalExacto(const char* numero, size_t n, double& v);

// The number formatted with a pattern of zeros: "00.00", "00.0000", "0000", "000000"...
// at least as many integer digits as zeros before the point, exactly as many
// decimals as zeros after it, rounded half away from zero on the decimal value.
std::string Formatear(double valor, std::string_view patron);

// A formatted number (or NumeroTexto) turned into SQL text: every "," becomes ".".
std::string NumeroSql(std::string_view textoNumero);
std::string NumeroSql(double valor);
// A whole number as SQL text, without decimals.
std::string EnteroSql(long long valor);

// Reads a number with "." as decimal point: blanks are skipped, a leading sign
// is honoured, reading stops at the first character that cannot continue the
// number, and text without digits reads as 0. Never fails.
double LeerNumero(std::string_view texto);

// True when the text is a number in the locale's form or with "." (blanks around allowed).
bool EsNumerico(std::string_view texto);
// The number of a numeric text (EsNumerico), 0 otherwise.
double ValorNumerico(std::string_view texto);

// A formatted text read back as a number, as "reduced to two decimals" does.
double ADosDecimales(double valor);
