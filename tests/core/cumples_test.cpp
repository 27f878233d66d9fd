// The birthday list's keys, ages and rows.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/cumples.h"
#include "core/texto.h"
#include "ayudas.h"

using namespace bindelora;

namespace {

TEST(Cumples, DaysToTheNextBirthdayAroundTheYearsEnd)
{
    const Fecha hoy{2026, 12, 7};
    EXPECT_EQ(DiasParaCumple(7, 12, hoy), 0);
    EXPECT_EQ(DiasParaCumple(8, 12, hoy), 1);
    EXPECT_EQ(DiasParaCumple(6, 12, hoy), 364);  // yesterday, the next year is common
    EXPECT_EQ(DiasParaCumple(1, 1, hoy), 25);

    // In a leap year tomorrow never ties with today.
    EXPECT_EQ(DiasParaCumple(1, 1, Fecha{2024, 12, 31}), 1);
    EXPECT_EQ(DiasParaCumple(31, 12, Fecha{2024, 1, 1}), 365);
    EXPECT_EQ(DiasParaCumple(31, 12, Fecha{2024, 12, 31}), 0);
    EXPECT_EQ(DiasParaCumple(30, 12, Fecha{2023, 12, 31}), 365);  // 2024 is leap

    // 29 February: on 28 February in a common year.
    EXPECT_EQ(DiasParaCumple(29, 2, Fecha{2026, 2, 28}), 0);
    EXPECT_EQ(DiasParaCumple(29, 2, Fecha{2026, 2, 27}), 1);
    EXPECT_EQ(DiasParaCumple(29, 2, Fecha{2026, 3, 1}), 364);  // 28 February 2027
    EXPECT_EQ(DiasParaCumple(29, 2, Fecha{2027, 3, 1}), 365);  // 29 February 2028
    EXPECT_EQ(DiasParaCumple(29, 2, Fecha{2028, 2, 28}), 1);
    EXPECT_EQ(DiasParaCumple(31, 4, Fecha{2026, 1, 1}), -1);
}

TEST(Cumples, AgeOnTheComingBirthday)
{
    const Fecha hoy{2026, 12, 7};
    EXPECT_EQ(EdadEnCumple(1980, 12, 7, hoy), 46);  // today
    EXPECT_EQ(EdadEnCumple(1980, 12, 8, hoy), 46);  // still to come
    EXPECT_EQ(EdadEnCumple(1980, 12, 6, hoy), 47);  // passed: next year's
    EXPECT_EQ(EdadEnCumple(1980, 1, 1, hoy), 47);
    EXPECT_EQ(EdadEnCumple(1880, 12, 31, hoy), 146);
    EXPECT_EQ(EdadEnCumple(1980, 2, 29, Fecha{2026, 2, 28}), 46);  // counted on the 28th
    EXPECT_EQ(EdadEnCumple(1980, 2, 29, Fecha{2026, 3, 1}), 47);
}

TEST(Cumples, RowsOrderCellsAndWhatIsLeftOut)
{
    const Fecha hoy{2026, 12, 7};
    ListaPibes l;
    auto anadir = [&l](const char* nombre, double cumple, const char* ape1 = "", const char* ape2 = "") {
        auto p = std::make_unique<TPibe>();
        p->Nombre = nombre;
        p->Ape1 = ape1;
        p->Ape2 = ape2;
        p->Grupo = "G" + std::string(nombre);
        p->Cumple = cumple;
        l.push_back(std::move(p));
    };
    anadir("Ayer", Dia(1990, 12, 6), "A", "B");
    anadir("Nadie", 0);
    anadir("Roto", 5e9);  // no date
    anadir("SinAno", Dia(1, 1, 5));
    anadir("Hoy", Dia(2000, 12, 7));
    anadir("Viejo", Dia(1895, 12, 16));
    anadir("HoyTambien", Dia(1, 12, 7));

    const auto filas = FilasCumples(l, hoy);
    ASSERT_EQ(filas.size(), 5u);
    auto textos = [&](std::size_t i) { return filas[i].textos; };
    // Equal counts keep the book's order.
    EXPECT_EQ(textos(0), (std::vector<std::string>{"0000", "4", "7-Dic", "26", "Hoy  ", "GHoy"}));
    EXPECT_EQ(textos(1), (std::vector<std::string>{"0000", "6", "7-Dic", "", "HoyTambien  ", "GHoyTambien"}));
    EXPECT_EQ(textos(2)[ColFechaCumple], "16-Dic");
    EXPECT_EQ(textos(2)[ColAnos], "131");
    EXPECT_EQ(textos(3)[ColFaltan], "0029");
    EXPECT_EQ(textos(3)[ColFechaCumple], "5-Ene");
    EXPECT_EQ(textos(3)[ColAnos], "");
    EXPECT_EQ(textos(4), (std::vector<std::string>{"0364", "0", "6-Dic", "37", "Ayer A B", "GAyer"}));
    EXPECT_EQ(filas[4].pibe, l[0].get());
    EXPECT_TRUE(FilasCumples(ListaPibes{}, hoy).empty());
}

}  // namespace
