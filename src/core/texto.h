#pragma once
// Text helpers. All text of the program is Windows-1252 bytes in std::string;
// only the windows convert it to Unicode for display.
#include <array>
#include <string>
#include <string_view>

namespace bindelora {

// "Enero" .. "Diciembre" and "Ene" .. "Dic", index 1 to 12 (index 0 is empty).
extern const std::array<const char*, 13> NombresMes;
extern const std::array<const char*, 13> NombresMesCortos;

// Comparison form of a text: a-z to capitals, á é í ó ú (any case) to plain
// capitals, Ñ/ñ to N when foldN is on (else Ñ), everything else unchanged.
// Same length as the input.
std::string NormalizarTexto(std::string_view s, bool foldN);
// The same for one character.
char NormalizarCaracter(char c, bool foldN);

// True when every character is a digit 0-9; the empty text passes.
bool EsNumero(std::string_view s);

// 1..12 when the first three characters (a-z made capitals) are ENE..DIC, else 0.
int MesDeTexto(std::string_view s);

// Decimal text of n with "0" in front until it is at least w characters long.
std::string RellenarConCeros(long long n, int w);

// Strict decimal integer, as the events file and the editor convert numbers:
// optional sign, digits only, must fit in 32 bits. False otherwise.
bool TextoAEntero(std::string_view s, int& valor);

// Windows-1252 <-> Unicode. Unmappable code points become '?'.
char32_t Cp1252ACodigo(unsigned char c);
std::string Cp1252AUtf8(std::string_view s);
std::string Utf8ACp1252(std::string_view s);

}  // namespace bindelora
