// Matching one contact against the search form's patterns.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/busqueda.h"
#include "core/fecha.h"
#include "core/texto.h"
#include "ayudas.h"

using namespace bindelora;

namespace {

std::unique_ptr<TPibe> PibeBuscado(const char* nombre, const char* ape1 = "", double cumple = 0)
{
    auto p = std::make_unique<TPibe>();
    p->Nombre = C(nombre);
    p->Ape1 = C(ape1);
    p->Cumple = cumple;
    return p;
}

bool Pasa(const TPibe& p, const PatronBusqueda& b) { return Busqueda(b).Coincide(p); }

TEST(Busqueda, NamesFoldCaseAndAccentsButKeepEnye)
{
    PatronBusqueda b;
    b.Nombre = "jose";
    EXPECT_TRUE(Pasa(*PibeBuscado("José"), b));
    EXPECT_TRUE(Pasa(*PibeBuscado("JOSEFINA"), b));
    EXPECT_FALSE(Pasa(*PibeBuscado("Josué"), b));
    b.Nombre = C("ÁÉÍÓÚ");
    EXPECT_TRUE(Pasa(*PibeBuscado("xaeiouy"), b));
    b.Nombre = C("áéíóú");
    EXPECT_TRUE(Pasa(*PibeBuscado("AEIOU"), b));

    PatronBusqueda a;
    a.Ape1 = C("nuñez");
    EXPECT_TRUE(Pasa(*PibeBuscado("", "Núñez"), a));
    EXPECT_FALSE(Pasa(*PibeBuscado("", "Nunez"), a));
    a.Ape1 = C("MÜLLER");
    EXPECT_FALSE(Pasa(*PibeBuscado("", "Müller"), a));  // ü is not folded
    a.Ape1 = C("müller");
    EXPECT_TRUE(Pasa(*PibeBuscado("", "Müller"), a));
    a.Ape1 = "ana ";  // patterns are not trimmed
    EXPECT_TRUE(Pasa(*PibeBuscado("", "Ana María"), a));
    EXPECT_FALSE(Pasa(*PibeBuscado("", "Ana"), a));
}

TEST(Busqueda, EmailFoldsEnyeToN)
{
    PatronBusqueda b;
    b.EMail = C("nuñez");
    auto p = PibeBuscado("x");
    p->EMail = "nunez@correo.es";
    EXPECT_TRUE(Pasa(*p, b));
    p->EMail = C("NÚÑEZ@correo.es");
    EXPECT_TRUE(Pasa(*p, b));
    p->EMail = "";
    EXPECT_FALSE(Pasa(*p, b));  // an empty text contains nothing
}

TEST(Busqueda, PhonesIgnoreBlanksOnly)
{
    EXPECT_TRUE(CoincideTelefono("555 12", "555 1234"));
    EXPECT_TRUE(CoincideTelefono("555 12", "5551234"));
    EXPECT_TRUE(CoincideTelefono("5551", " 5 5 5 1"));
    EXPECT_FALSE(CoincideTelefono("555 12", "555-1234"));
    EXPECT_FALSE(CoincideTelefono("   ", "555 1234"));  // blanks alone are no pattern
    EXPECT_FALSE(CoincideTelefono("1", ""));
    EXPECT_EQ(QuitarEspacios(" a b  c "), "abc");

    PatronBusqueda b;
    b.TfnoMovil = "   ";
    auto p = PibeBuscado("x");
    p->TfnoMovil = "600 000 000";
    EXPECT_FALSE(Pasa(*p, b));
}

TEST(Busqueda, LinesAreJoinedWithCrLf)
{
    const std::vector<std::string> dir = {C("C/ Mayor, 3"), C("28013 Madrid"), "Apartado 5"};
    EXPECT_TRUE(CoincideLineas("mayor", dir));
    EXPECT_TRUE(CoincideLineas("3\r\n28013", dir));                     // end of one line, start of the next
    EXPECT_TRUE(CoincideLineas(", 3\r\n28013 madrid\r\napar", dir));   // three lines
    EXPECT_TRUE(CoincideLineas("Apartado 5\r\n", dir));                 // after the last line too
    EXPECT_FALSE(CoincideLineas("3\n28013", dir));                      // a bare line feed is another text
    EXPECT_FALSE(CoincideLineas("Madrid\r\nC/", dir));                  // order matters
    EXPECT_FALSE(CoincideLineas("x", {}));
    EXPECT_TRUE(CoincideLineas("\r\n", {""}));                          // one empty line is a line
    EXPECT_FALSE(CoincideLineas("\r\n", {}));
    EXPECT_FALSE(CoincideLineas(C("ñ"), {C("n")}));
}

TEST(Busqueda, WildcardsAndBlanksAreLiteral)
{
    PatronBusqueda b;
    b.Nombre = "*";
    EXPECT_FALSE(Pasa(*PibeBuscado("Ana"), b));
    EXPECT_TRUE(Pasa(*PibeBuscado("Ana*"), b));
    b.Nombre = "A?a";
    EXPECT_FALSE(Pasa(*PibeBuscado("Ana"), b));
    b.Nombre = "   ";
    EXPECT_FALSE(Pasa(*PibeBuscado("Ana"), b));
    EXPECT_TRUE(Pasa(*PibeBuscado("Ana   Mar"), b));
    b.Nombre = std::string(10000, 'a');
    EXPECT_FALSE(Pasa(*PibeBuscado("aaaa"), b));
    EXPECT_TRUE(Pasa(*PibeBuscado(std::string(10001, 'A').c_str()), b));
}

TEST(Busqueda, BirthdayFieldsAndTheMark666)
{
    const double cinco = Dia(1980, 3, 5);
    const double sinAno = Dia(1, 3, 5);
    const double antiguo = Dia(1895, 3, 5);
    auto pasa = [](double c, const char* d, const char* m, const char* a) {
        return CoincideCumple(c, LeerCumpleBuscado(d, m, a));
    };
    EXPECT_TRUE(pasa(cinco, "5", "", ""));
    EXPECT_TRUE(pasa(sinAno, "5", "", ""));    // a birthday without a year by day and month
    EXPECT_TRUE(pasa(sinAno, "5", "Mar", ""));
    EXPECT_FALSE(pasa(sinAno, "", "", "1"));   // any year condition fails for it
    EXPECT_FALSE(pasa(sinAno, "", "", "1980"));
    EXPECT_TRUE(pasa(sinAno, "", "", "666"));  // 666 is no condition
    EXPECT_TRUE(pasa(antiguo, "5", "3", "1895"));
    EXPECT_FALSE(pasa(0, "", "", "666"));      // no birthday never matches
    EXPECT_FALSE(pasa(1e12, "5", "", ""));     // nor a value that is no date
    EXPECT_TRUE(pasa(cinco, "", "", "0666"));
    EXPECT_TRUE(pasa(cinco, "05", "03", "1980"));
    EXPECT_FALSE(pasa(cinco, "6", "", ""));
    EXPECT_FALSE(pasa(cinco, "", "", "1981"));

    for (const char* mes : {"Mar", "mar", "MARZO", "3", "03"}) EXPECT_TRUE(pasa(cinco, "", mes, "")) << mes;
    for (const char* mes : {"Ene", "ene", "1", "01"}) EXPECT_TRUE(pasa(Dia(1980, 1, 9), "", mes, "")) << mes;
    EXPECT_FALSE(pasa(cinco, "", "Ene", ""));

    // Pasted text that names no month asks nothing; a number too big matches nothing.
    EXPECT_TRUE(pasa(cinco, "xx", "", ""));
    EXPECT_FALSE(pasa(cinco, "99999999999999999999", "", ""));
    EXPECT_FALSE(pasa(cinco, "", "", "99999999999999999999"));
    EXPECT_EQ(LeerCumpleBuscado("", "", "").dia, CumpleBuscado::kNada);
    EXPECT_EQ(LeerCumpleBuscado("7", "", "").dia, 7);
}

TEST(Busqueda, GroupIsExactAndCriteriaCombine)
{
    ListaPibes lista;
    lista.push_back(PibeBuscado("Ana", "Ruiz", Dia(1990, 5, 5)));
    lista.push_back(PibeBuscado("Ana", "Gil"));
    lista.push_back(PibeBuscado("Juana", "Ruiz"));
    lista[0]->Grupo = "Amigos";
    lista[1]->Grupo = "amigos";
    lista[2]->Grupo = "Amigos";
    lista[2]->Varios = {"uno", "dos"};

    PatronBusqueda b;
    b.Grupo = "Amigos";
    EXPECT_EQ(BuscarPibes(lista, b), (std::vector<TPibe*>{lista[0].get(), lista[2].get()}));
    b.Nombre = "ana";
    b.Ape1 = "ruiz";
    EXPECT_EQ(BuscarPibes(lista, b).size(), 2u);
    b.CumpleDia = "5";
    EXPECT_EQ(BuscarPibes(lista, b), (std::vector<TPibe*>{lista[0].get()}));
    b = {};
    b.Varios = "\r\n";
    EXPECT_EQ(BuscarPibes(lista, b), (std::vector<TPibe*>{lista[2].get()}));
    b.Varios = "UNO\r\nD";
    EXPECT_EQ(BuscarPibes(lista, b).size(), 1u);
    b = {};
    b.Nombre = "zz";
    EXPECT_TRUE(BuscarPibes(lista, b).empty());
    EXPECT_TRUE(Busqueda(b).HayCriterios());
    EXPECT_FALSE(Busqueda(PatronBusqueda{}).HayCriterios());
}

}  // namespace
