// --hoy puts today's texts in order with ICU alone; the window does it with
// Qt's collator. The two must agree on every text the files can hold.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "linea_ordenes.h"
#include "orden_hoy.h"

using namespace bindelora;

namespace {

std::vector<std::size_t> OrdenIcu(const std::vector<std::string>& textos)
{
    std::vector<const char*> datos;
    std::vector<std::size_t> largos;
    for (const std::string& t : textos) {
        datos.push_back(t.data());
        largos.push_back(t.size());
    }
    return OrdenHoyIcu(textos.size(), datos.data(), largos.data());
}

}  // namespace

TEST(OrdenHoy, ElDeIcuSoloEsElDeLaVentana)
{
    // Pieces that sort close to each other: accents, case, Ñ, ligatures and
    // sharp s (expansions), digits, punctuation, blanks, symbols, control
    // and unassigned bytes (which the collator ignores) and a NUL.
    const std::vector<std::string> piezas = {
        "a", "A", "\xE1", "\xC1", "\xE0", "\xE4", "n", "N", "\xF1", "\xD1", "o", "O", "e", "\xE9", "ae", "\xE6",
        "\xC6", "oe", "\x9C", "ss", "\xDF", "c", "\xE7", "ch", "ll", "z", "Z", "0", "1", "9", "10", " ", "-", "'",
        ".", ",", "\x80", "\xBA", "\xAA", "\x01", "\x81", "\x9D", std::string(1, '\0'), "\xA0", "\x96", "\xBF", "?"};
    std::mt19937 azar(20261208);
    for (int ronda = 0; ronda < 40; ++ronda) {
        std::vector<std::string> textos;
        const int n = 2 + static_cast<int>(azar() % 60);
        for (int i = 0; i < n; ++i) {
            std::string t;
            const int largo = static_cast<int>(azar() % 6);
            for (int k = 0; k < largo; ++k) t += piezas[azar() % piezas.size()];
            textos.push_back(t);
            // Twins that differ in a single piece, and repeats.
            if (azar() % 4 == 0) textos.push_back(t + piezas[azar() % piezas.size()]);
            if (azar() % 8 == 0) textos.push_back(t);
        }
        const std::vector<std::size_t> icu = OrdenIcu(textos), ventana = OrdenTextosHoy(textos);
        ASSERT_EQ(icu, ventana) << "ronda " << ronda;
    }
    // What the window shows first: accents and case aside, then small
    // letters before capitals.
    const std::vector<std::string> textos = {"beta", "\xC1lamo", "Zeta", "alfa", "", "Alfa", "\xF1u", "nu", "ozono"};
    const std::vector<std::size_t> esperado = {4, 1, 3, 5, 0, 7, 6, 8, 2};
    EXPECT_EQ(OrdenIcu(textos), esperado);
}
