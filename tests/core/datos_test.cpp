// Reading the editor's fields into a contact, and what a contact shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/datos.h"
#include "core/fecha.h"
#include "core/orden.h"
#include "core/texto.h"
#include "ayudas.h"

using namespace bindelora;

namespace {

constexpr int kAnoHoy = 2026;

struct CasoCumple {
    const char *dia, *mes, *ano;
    bool aceptada;
    double cumple;
};

TEST(LeerCumple, TypedBirthdays)
{
    const CasoCumple casos[] = {
        {"5", "Jun", "1980", true, Dia(1980, 6, 5)},
        {"05", "06", "1980", true, Dia(1980, 6, 5)},
        {"5", "6", "", true, Dia(1, 6, 5)},  // no year: stored in the year 1
        {"7", "Febrero", "", true, Dia(1, 2, 7)},
        {"7", "feb", "", true, Dia(1, 2, 7)},
        {"7", "FEBxx", "", true, Dia(1, 2, 7)},
        {"7", "02", "", true, Dia(1, 2, 7)},
        {"7", "2", "", true, Dia(1, 2, 7)},
        {"29", "2", "1980", true, Dia(1980, 2, 29)},
        {"1", "1", "1895", true, Dia(1895, 1, 1)},
        {"1", "1", "2025", true, Dia(2025, 1, 1)},  // the year before this one
        {"3", "mar", "19x0", true, Dia(1, 3, 3)},   // a year with letters is no year
    };
    for (const auto& c : casos) {
        const LecturaCumple r = LeerCumple(c.dia, c.mes, c.ano, kAnoHoy);
        EXPECT_EQ(r.aceptada, c.aceptada) << c.dia << "/" << c.mes << "/" << c.ano;
        EXPECT_EQ(r.Cumple, c.cumple) << c.dia << "/" << c.mes << "/" << c.ano;
    }
}

TEST(LeerCumple, WhatMakesNoBirthdayWithoutAWord)
{
    const CasoCumple casos[] = {
        {"", "6", "1980", true, 0},       {"5", "", "1980", true, 0},     {"x5", "6", "1980", true, 0},
        {"-5", "6", "1980", true, 0},     {"31", "4", "1980", true, 0},   {"29", "2", "", true, 0},
        {"29", "Feb", "1981", true, 0},   {"0", "6", "1980", true, 0},    {"5", "13", "1980", true, 0},
        {"5", "0", "1980", true, 0},      {"5", "Xyz", "1980", true, 0},  {"5", "6", "0", true, 0},
        {"5", "6", "00000", true, 0},     {"99999999999999999999", "6", "", true, 0},
        {"5", "99999999999999999999", "", true, 0},
        {"5", "6", "99999999999999999999", true, 0},  // does not convert: no birthday, no message
    };
    for (const auto& c : casos) {
        const LecturaCumple r = LeerCumple(c.dia, c.mes, c.ano, kAnoHoy);
        EXPECT_TRUE(r.aceptada) << c.dia << "/" << c.mes << "/" << c.ano;
        EXPECT_EQ(r.Cumple, 0) << c.dia << "/" << c.mes << "/" << c.ano;
    }
}

TEST(LeerCumple, ThisYearOrLaterIsRefused)
{
    for (const char* ano : {"2026", "2027", "123456789", "9999"})
        EXPECT_FALSE(LeerCumple("5", "6", ano, kAnoHoy).aceptada) << ano;
    // The year is checked before the date is made: even a day that does not
    // exist is refused with a year that is not past.
    EXPECT_FALSE(LeerCumple("31", "4", "2026", kAnoHoy).aceptada);
    EXPECT_FALSE(LeerCumple("5", "zz", "2030", kAnoHoy).aceptada);
    // Without a day or month there is nothing to check.
    EXPECT_TRUE(LeerCumple("", "6", "2030", kAnoHoy).aceptada);
}

CamposPibe Campos()
{
    CamposPibe c;
    c.Nombre = "Ana";
    c.Ape1 = "Gil";
    c.Ape2 = " Pe\xF1" "a ";  // taken as typed, blanks included
    c.TfnoCasa = "91 555";
    c.TfnoMovil = "600";
    c.EMail = "ana@x.es";
    c.Grupo = "amigos";
    c.Direccion = "Calle Mayor 1\n\n28001 Madrid";
    c.Varios = "";
    c.CumpleDia = "5";
    c.CumpleMes = "Jun";
    c.CumpleAno = "1980";
    return c;
}

TEST(LeerDatos, CopiesEveryField)
{
    TPibe p;
    p.Varios = {"old"};
    p.EnAvisal = true;
    ASSERT_TRUE(LeerDatos(Campos(), kAnoHoy, p));
    EXPECT_EQ(p.Nombre, "Ana");
    EXPECT_EQ(p.Ape2, " Pe\xF1" "a ");
    EXPECT_EQ(p.Grupo, "amigos");
    EXPECT_EQ(p.Direccion, (std::vector<std::string>{"Calle Mayor 1", "", "28001 Madrid"}));
    EXPECT_TRUE(p.Varios.empty());
    EXPECT_EQ(p.Cumple, Dia(1980, 6, 5));
    EXPECT_TRUE(p.EnAvisal);  // never touched by the editor
}

TEST(LeerDatos, ARefusedBirthdayLeavesTheContactAsItWas)
{
    TPibe p;
    p.Nombre = "Viejo";
    p.Direccion = {"a"};
    p.Cumple = Dia(1970, 1, 2);
    CamposPibe c = Campos();
    c.CumpleAno = "2026";
    EXPECT_FALSE(LeerDatos(c, kAnoHoy, p));
    EXPECT_EQ(p.Nombre, "Viejo");
    EXPECT_EQ(p.Direccion, (std::vector<std::string>{"a"}));
    EXPECT_EQ(p.Cumple, Dia(1970, 1, 2));
}

TEST(LeerDatos, LineBreaksNeverReachAOneLineField)
{
    CamposPibe c = Campos();
    std::string* unaLinea[] = {&c.Nombre, &c.Ape1, &c.Ape2, &c.TfnoCasa, &c.TfnoMovil, &c.EMail, &c.Grupo};
    for (std::string* s : unaLinea) *s = "a\r\nb\nc\rd\n\re";
    TPibe p;
    ASSERT_TRUE(LeerDatos(c, kAnoHoy, p));
    for (const std::string* s : {&p.Nombre, &p.Ape1, &p.Ape2, &p.TfnoCasa, &p.TfnoMovil, &p.EMail, &p.Grupo})
        EXPECT_EQ(*s, "a b c d  e");
}

TEST(LeerDatos, LongTextsAreKeptWhole)
{
    CamposPibe c = Campos();
    c.Nombre.assign(10000, 'x');
    c.Varios.assign(10000, 'y');
    TPibe p;
    ASSERT_TRUE(LeerDatos(c, kAnoHoy, p));
    EXPECT_EQ(p.Nombre.size(), 10000u);
    ASSERT_EQ(p.Varios.size(), 1u);
    EXPECT_EQ(p.Varios[0].size(), 10000u);
}

TEST(Memo, LinesRoundTripExactly)
{
    const std::vector<std::vector<std::string>> casos = {
        {}, {"a"}, {"", "a"}, {"a", ""}, {"a", "", "", "b"}, {" centrado ", "\xA0"}, {"", ""}};
    for (const auto& lineas : casos) EXPECT_EQ(LineasDeMemo(MemoDeLineas(lineas)), lineas);
    EXPECT_EQ(LineasDeMemo("a\r\nb\rc\n"), (std::vector<std::string>{"a", "b", "c", ""}));
    EXPECT_TRUE(LineasDeMemo("").empty());
}

TEST(TextosDeCumple, DayMonthNameAndYear)
{
    auto t = TextosDeCumple(Dia(1980, 6, 5));
    EXPECT_EQ(t.dia, "5");
    EXPECT_EQ(t.mes, "Jun");
    EXPECT_EQ(t.ano, "1980");
    t = TextosDeCumple(Dia(1, 12, 31));
    EXPECT_EQ(t.dia + t.mes + t.ano, "31Dic");  // the year 1 is no year
    t = TextosDeCumple(Dia(1895, 1, 1));
    EXPECT_EQ(t.ano, "1895");  // shown, so that an update keeps it
    t = TextosDeCumple(0);
    EXPECT_EQ(t.dia + t.mes + t.ano, "");
}

TEST(TextosDeCumple, ShownTextsReadBackToTheSameDate)
{
    for (double v : {Dia(1980, 2, 29), Dia(1, 1, 1), Dia(1899, 12, 30), Dia(1850, 7, 4), Dia(2025, 12, 31)}) {
        const auto t = TextosDeCumple(v);
        const LecturaCumple r = LeerCumple(t.dia, t.mes, t.ano, kAnoHoy);
        EXPECT_TRUE(r.aceptada);
        EXPECT_EQ(r.Cumple, v) << t.dia << t.mes << t.ano;
    }
}

TEST(EMail, AnAtSignBeforeTheLastCharacter)
{
    for (const char* s : {"x@y", "@x", "a@@", "ana@x.es"}) EXPECT_TRUE(EsEMailEnlazable(s)) << s;
    for (const char* s : {"", "@", "x@", "xy", "abc@"}) EXPECT_FALSE(EsEMailEnlazable(s)) << s;
}

TEST(Insercion, EveryOrderingPutsTheNewContactBeforeItsEquals)
{
    auto pibe = [](const char* n, const char* a1, const char* a2, const char* g) {
        auto p = std::make_unique<TPibe>();
        p->Nombre = n;
        p->Ape1 = a1;
        p->Ape2 = a2;
        p->Grupo = g;
        return p;
    };
    ListaPibes l;
    l.push_back(pibe("Ana", "Gil", "Sanz", "Amigos"));
    l.push_back(pibe("Luis", "Ruiz", "Abad", "Familia"));
    const auto nuevo = pibe("luis", "ruiz", "Zz", "amigos");
    EXPECT_EQ(PosicionInsercion(l, *nuevo, "Nombre"), 1u);      // equal to Luis Ruiz: before him
    EXPECT_EQ(PosicionInsercion(l, *nuevo, "Apellido 1"), 2u);  // Ruiz Zz after Ruiz Abad
    EXPECT_EQ(PosicionInsercion(l, *nuevo, "Apellido 2"), 2u);
    EXPECT_EQ(PosicionInsercion(l, *nuevo, "Grupo"), 1u);  // AMIGOS RUIZ after AMIGOS GIL
}

TEST(Insercion, AgreesWithComparingWholeKeys)
{
    // Short random fields from a few bytes that fold together or compare
    // near each other (NUL, a, A, á, Á, ñ, Ñ, n, z, à), so prefixes, equal
    // keys and folded letters all turn up.
    const char alfabeto[] = {'\0', 'a', 'A', '\xE1', '\xC1', '\xF1', '\xD1', 'n', 'z', '\xE0'};
    std::mt19937 g(7);
    auto campo = [&] {
        std::string s(g() % 4, ' ');
        for (char& c : s) c = alfabeto[g() % sizeof alfabeto];
        return s;
    };
    auto pibe = [&] {
        auto p = std::make_unique<TPibe>();
        p->Nombre = campo();
        p->Ape1 = campo();
        p->Ape2 = campo();
        p->Grupo = campo();
        return p;
    };
    for (const char* orden : {"Nombre", "Apellido 1", "Apellido 2", "Grupo", "otra"}) {
        for (int vuelta = 0; vuelta < 300; ++vuelta) {
            ListaPibes l;
            for (int i = 0; i < 8; ++i) l.push_back(pibe());
            const auto nuevo = pibe();
            const std::string clave = ClaveInsercion(*nuevo, orden);
            std::size_t esperada = l.size();
            for (std::size_t i = 0; i < l.size(); ++i) {
                const std::string otra = ClaveInsercion(*l[i], orden);
                // Byte-wise as unsigned codes, a prefix first.
                if (!std::lexicographical_compare(otra.begin(), otra.end(), clave.begin(), clave.end(),
                                                  [](char a, char b) {
                                                      return static_cast<unsigned char>(a) <
                                                             static_cast<unsigned char>(b);
                                                  })) {
                    esperada = i;
                    break;
                }
            }
            ASSERT_EQ(PosicionInsercion(l, *nuevo, orden), esperada) << orden << " " << vuelta;
        }
    }
}

// Records from a tiny alphabet so that equal keys, prefixes and folded
// letters are common; TfnoCasa numbers them.
struct Azar {
    std::mt19937 g{11};
    std::string Campo()
    {
        const char alfabeto[] = {'a', 'A', '\xE1', 'b', '\xF1', 'n', '\0'};
        std::string s(g() % 3, ' ');
        for (char& c : s) c = alfabeto[g() % sizeof alfabeto];
        return s;
    }
    ListaPibes Lista(std::size_t n)
    {
        ListaPibes l;
        for (std::size_t i = 0; i < n; ++i) {
            auto p = std::make_unique<TPibe>();
            p->Nombre = Campo();
            p->Ape1 = Campo();
            p->Ape2 = Campo();
            p->Grupo = Campo();
            p->TfnoCasa = std::to_string(i);
            l.push_back(std::move(p));
        }
        return l;
    }
};

ListaPibes Copia(const ListaPibes& l)
{
    ListaPibes c;
    for (const auto& p : l) c.push_back(std::make_unique<TPibe>(*p));
    return c;
}

std::vector<std::string> Marcas(const ListaPibes& l)
{
    std::vector<std::string> r;
    for (const auto& p : l) r.push_back(p->TfnoCasa);
    return r;
}

int Signo(int x) { return (x > 0) - (x < 0); }

TEST(Recolocar, KeysCompareAsWholeKeysDo)
{
    Azar azar;
    for (const char* orden : {"Nombre", "Apellido 1", "Apellido 2", "Grupo", "otra"}) {
        const ListaPibes l = azar.Lista(60);
        for (const auto& a : l)
            for (const auto& b : l) {
                const std::string ka = ClaveOrden(*a, orden), kb = ClaveOrden(*b, orden);
                const int esperado = std::lexicographical_compare(
                                         ka.begin(), ka.end(), kb.begin(), kb.end(),
                                         [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); })
                                         ? -1
                                         : (ka == kb ? 0 : 1);
                ASSERT_EQ(Signo(CompararClavesOrden(*a, *b, orden)), esperado) << orden;
            }
    }
}

TEST(Recolocar, MovesTheChangedRecordWhereAFullReorderingWould)
{
    Azar azar;
    const TextosEditor nadie{"-", "-", "-", "-", "-", "-"};
    for (const char* orden : {"Nombre", "Apellido 1", "Apellido 2", "Grupo"}) {
        for (int vuelta = 0; vuelta < 300; ++vuelta) {
            ListaPibes l = azar.Lista(1 + azar.g() % 12);
            OrdenarPibes(l, orden, nadie);
            const std::size_t i = azar.g() % l.size();
            l[i]->Nombre = azar.Campo();
            l[i]->Ape1 = azar.Campo();
            l[i]->Grupo = azar.Campo();
            ListaPibes esperado = Copia(l);
            OrdenarPibes(esperado, orden, nadie);
            const std::string marca = l[i]->TfnoCasa;
            const long nueva = RecolocarPibe(l, i, orden);
            ASSERT_GE(nueva, 0);
            ASSERT_EQ(Marcas(l), Marcas(esperado)) << orden << " " << vuelta;
            EXPECT_EQ(l[static_cast<std::size_t>(nueva)]->TfnoCasa, marca);
        }
    }
}

TEST(Recolocar, RefusesWhenTheOthersAreOutOfOrder)
{
    ListaPibes l;
    for (const char* n : {"c", "a", "b"}) {
        l.push_back(std::make_unique<TPibe>());
        l.back()->Nombre = n;
    }
    EXPECT_EQ(RecolocarPibe(l, 2, "Nombre"), -1);
    EXPECT_EQ(l[0]->Nombre, "c");
    EXPECT_EQ(RecolocarPibe(l, 0, "Nombre"), 2);  // the others, a and b, are in order
    EXPECT_EQ(l[2]->Nombre, "c");
    EXPECT_EQ(RecolocarPibe(l, 3, "Nombre"), -1);
}

}  // namespace
