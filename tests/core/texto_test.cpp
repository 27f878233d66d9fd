#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/fecha.h"
#include "core/texto.h"
#include "ayudas.h"

using namespace bindelora;

namespace {

// The sources are UTF-8; the program's text is Windows-1252.
TEST(Texto, NormalizarTexto)
{
    const std::tuple<std::string, bool, std::string> casos[] = {
        {C("álvarez ÁÉÍÓÚ éíóú"), true, "ALVAREZ AEIOU EIOU"},
        {C("Muñoz Ñandú"), true, "MUNOZ NANDU"},
        {C("Muñoz Ñandú"), false, C("MUÑOZ ÑANDU")},
        {C("àüçÀÜÇ €ºª"), true, C("àüçÀÜÇ €ºª")},  // not folded, lower case included
        {std::string("a\0b", 3), true, std::string("A\0B", 3)},
    };
    for (const auto& [entrada, foldN, esperado] : casos) {
        EXPECT_EQ(NormalizarTexto(entrada, foldN), esperado) << Cp1252AUtf8(entrada);
        EXPECT_EQ(NormalizarTexto(entrada, foldN).size(), entrada.size());
    }
}

TEST(Texto, SmallHelpers)
{
    EXPECT_TRUE(EsNumero(""));
    EXPECT_TRUE(EsNumero("0123456789"));
    for (const char* s : {"12a", " 1", "-1"}) EXPECT_FALSE(EsNumero(s)) << s;

    const std::pair<const char*, int> meses[] = {{"ene", 1}, {"Febrero", 2}, {"DIC", 12}, {"12", 0}, {"ab", 0}, {"xyz", 0}};
    for (const auto& [texto, mes] : meses) EXPECT_EQ(MesDeTexto(texto), mes) << texto;

    EXPECT_EQ(RellenarConCeros(5, 3), "005");
    EXPECT_EQ(RellenarConCeros(1234, 2), "1234");
    EXPECT_EQ(RellenarConCeros(0, 0), "0");
}

TEST(Texto, TextoAEntero)
{
    const std::pair<const char*, int> buenos[] = {{"123", 123}, {"-45", -45}, {"+7", 7}, {" 12", 12},
                                                  {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1}};
    for (const auto& [texto, esperado] : buenos) {
        int v = 0;
        EXPECT_TRUE(TextoAEntero(texto, v)) << texto;
        EXPECT_EQ(v, esperado) << texto;
    }
    for (const char* malo : {"", " ", "-", "12 ", "2147483648", "-2147483649", "1.5", "-+1", "abc", "1e3"}) {
        int v = 99;
        EXPECT_FALSE(TextoAEntero(malo, v)) << malo;
        EXPECT_EQ(v, 99) << malo;
    }
}

TEST(Texto, TextoAEnteroTakesOneSignOnly)
{
    int v = 99;
    EXPECT_FALSE(TextoAEntero("+-1", v));
    EXPECT_FALSE(TextoAEntero(" +-12", v));
    EXPECT_EQ(v, 99);
}

TEST(Texto, Cp1252)
{
    std::string todos;
    for (int c = 0; c < 256; ++c) todos += static_cast<char>(c);
    EXPECT_EQ(Utf8ACp1252(Cp1252AUtf8(todos)), todos);
    EXPECT_EQ(Cp1252AUtf8("\x80\xF1"), "\xE2\x82\xAC\xC3\xB1");  // € ñ
    // The five undefined bytes stand for the C1 controls of the same value.
    for (unsigned char c : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(Cp1252ACodigo(c), static_cast<char32_t>(c));
    EXPECT_EQ(Utf8ACp1252("\xE4\xB8\xAD|\xF0\x9F\x98\x80|\xFF|a\xC3"), "?|?|?|a?");
}

TEST(Fechas, KnownValuesBothWays)
{
    const std::tuple<int, int, int, double> casos[] = {
        {2001, 1, 1, 36892}, {1, 1, 1, -693593}, {9999, 12, 31, 2958465}, {1899, 12, 30, 0},
        {1899, 12, 31, 1},   {1900, 3, 1, 61},   {2000, 2, 29, 36585},    {1, 12, 31, -693229}};
    for (const auto& [a, m, d, valor] : casos) {
        double v = -1e9;
        ASSERT_TRUE(CodificarFecha(a, m, d, v)) << a << "-" << m << "-" << d;
        EXPECT_EQ(v, valor);
        Fecha f;
        // The fraction is the time of day, on the far side of zero for days before 1899.
        ASSERT_TRUE(DecodificarFecha(valor < 0 ? valor - 0.75 : valor + 0.75, f));
        EXPECT_EQ(f, (Fecha{a, m, d}));
    }
    EXPECT_EQ(DiasEntre(Fecha{2023, 12, 31}, Fecha{2024, 3, 1}), 61);
}

TEST(Fechas, InvalidOrOutOfRange)
{
    double v = 123;
    for (auto [a, m, d] : {std::tuple{1900, 2, 29}, {1, 2, 29}, {2023, 4, 31}, {2023, 13, 1}, {2023, 0, 1},
                           {0, 12, 31}, {10000, 1, 1}})
        EXPECT_FALSE(CodificarFecha(a, m, d, v)) << a << "-" << m << "-" << d;
    EXPECT_EQ(v, 123);
    Fecha f;
    for (double malo : {-693594.0, 2958466.0, std::nan(""), double(INFINITY)}) EXPECT_FALSE(DecodificarFecha(malo, f)) << malo;
}

}  // namespace
