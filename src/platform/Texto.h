#pragma once
#include <string>
#include <string_view>

// Text helpers. Text inside the program is UTF-8; the fixed-width shipment
// fields and the SQL functions count characters, not bytes, so an "Ñ" never
// shifts the fields after it.

// Blanks (spaces only; tabs and other white space stay) removed from both ends.
std::string Trim(std::string_view s);

// Number of characters.
size_t Len(std::string_view s);
// Characters from the 1-based position `inicio`, at most `largo` of them
// (all the rest when largo is negative). Past the end gives "".
std::string Mid(std::string_view s, size_t inicio, long largo = -1);
std::string Left(std::string_view s, size_t n);
std::string Right(std::string_view s, size_t n);
// 1-based character position of `buscado` in `s` at or after `inicio`; 0 when absent.
size_t InStr(size_t inicio, std::string_view s, std::string_view buscado, bool sinMayusculas = false);

// Upper case for the Windows-1252 letters (a-z, à-þ, ÿ, š, ž, œ).
std::string UCase(std::string_view s);
// ASCII-only case folding, as the database compares text.
std::string LCaseAscii(std::string_view s);

std::string Reemplazar(std::string s, std::string_view de, std::string_view a);
bool EmpiezaCon(std::string_view s, std::string_view prefijo);
bool TerminaCon(std::string_view s, std::string_view sufijo);
bool IgualSinMayusculas(std::string_view a, std::string_view b);

// Code points of a UTF-8 text and back.
std::u32string Utf8aU32(std::string_view s);
std::string U32aUtf8(std::u32string_view s);
void AgregarUtf8(std::string& destino, char32_t c);

// The characters a suffix value may hold: A-Z, "Ñ", digits, "/", "," and "&".
bool CaracterPermitido(char32_t c);

// Windows-1252 code of a character, or -1 when the code page has none.
int CodigoAnsi(char32_t c);
bool EsUtf8Valido(std::string_view bytes);
std::string Cp1252aUtf8(std::string_view bytes);
bool EsAscii(std::string_view s);
