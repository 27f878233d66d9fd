#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/orden.h"
#include "core/texto.h"
#include "ayudas.h"

using namespace bindelora;
using namespace std::string_literals;

namespace {

// Rows of Nombre, Ape1, Ape2, Grupo; TfnoCasa numbers the records so the
// test can follow them.
ListaPibes Lista(std::vector<std::vector<const char*>> filas)
{
    ListaPibes l;
    for (const auto& f : filas) {
        auto p = std::make_unique<TPibe>();
        std::string* campos[] = {&p->Nombre, &p->Ape1, &p->Ape2, &p->Grupo};
        for (std::size_t i = 0; i < f.size(); ++i) *campos[i] = C(f[i]);
        p->TfnoCasa = std::to_string(l.size());
        l.push_back(std::move(p));
    }
    return l;
}

std::string MarcasSeguidas(const ListaPibes& l)
{
    std::string s;
    for (const auto& p : l) s += (s.empty() ? "" : " ") + p->TfnoCasa;
    return s;
}

TEST(Orden, Keys)
{
    auto l = Lista({{"José", "García", "Peña", "Amigos"}});
    EXPECT_EQ(ClaveOrden(*l[0], "Nombre"), "JOSE\0GARCIA\0PENA"s);
    EXPECT_EQ(ClaveOrden(*l[0], "Apellido 1"), "GARCIA\0PENA\0JOSE"s);
    EXPECT_EQ(ClaveOrden(*l[0], "Apellido 2"), "PENA\0JOSE\0GARCIA"s);
    EXPECT_EQ(ClaveOrden(*l[0], "Grupo"), "AMIGOS\0GARCIA\0JOSE"s);
    EXPECT_EQ(ClaveOrden(*l[0], "nombre"), "");
    EXPECT_EQ(ClaveInsercion(*l[0], "Apellido 1"), "GARCIA\0PENA"s);
    EXPECT_EQ(ClaveInsercion(*l[0], "Grupo"), "AMIGOS\0GARCIA"s);

    // Appended one after another into a buffer, the keys are the same,
    // whatever bytes the fields hold.
    std::string todos;
    for (int c = 0; c < 256; ++c) todos += static_cast<char>(c);
    l[0]->Ape2 = todos;
    l[0]->Grupo = todos.substr(100);
    std::string buffer = "previo", esperado = "previo";
    for (const char* orden : {"Nombre", "Apellido 1", "Apellido 2", "Grupo", "otro"}) {
        AnadirClaveOrden(*l[0], orden, buffer);
        esperado += ClaveOrden(*l[0], orden);
    }
    EXPECT_EQ(buffer, esperado);
}

TEST(Orden, FixedCases)
{
    struct Caso {
        const char* orden;
        std::vector<std::vector<const char*>> filas;
        const char* esperado;
    } casos[] = {
        // Accents and case tie, and ties keep their order.
        {"Apellido 1", {{"Eva", "Zapata"}, {"Eva", "álvarez"}, {"Eva", "Alonso"}, {"Eva", "ALVAREZ"}, {"Eva", "Alvarez"}},
         "2 1 3 4 0"},
        {"Apellido 1", {{"Eva", "Nz"}, {"Eva", "Núñez"}, {"Eva", "Nunez"}, {"Eva", "NÚÑEZ"}, {"Eva", "Nu"}}, "4 1 2 3 0"},
        // Other accented letters go by their codes, after every plain letter.
        {"Nombre", {{"ünica"}, {"Zoe"}, {"çelia"}, {"Àngel"}, {"Ángel"}, {"àngel"}}, "4 1 3 5 2 0"},
        // The NUL between fields is below everything: "Ana" + anything < "Anabel".
        {"Nombre", {{"Anabel", "Aa"}, {"Ana", "Zz"}, {"Ana María", "Aa"}, {"Ana", "Zz", "A"}, {"Ana", "Zz"}}, "1 4 3 2 0"},
        // Empty group first; then surname and name, never the second surname.
        {"Grupo",
         {{"Ana", "Ruiz", "B", "Trabajo"}, {"Luis", "Ruiz", "A"}, {"Ana", "Ruiz", "Z"}, {"Ana", "Gil", "Z"},
          {"Ana", "Ruiz", "A"}, {"Ana", "Abad", "", "Amigos"}},
         "3 2 4 1 5 0"},
        {"Apellido 2", {{"Luis", "Abad", "Gil"}, {"Ana", "Ruiz", "Gil"}, {"Ana", "Abad", "Gil"}, {"Ana", "Ruiz"}}, "3 2 1 0"},
        {"Teléfono", {{"Zoe"}, {"Ana"}, {"Luis"}}, "0 1 2"},
    };
    for (auto& c : casos) {
        ListaPibes l = Lista(c.filas);
        OrdenarPibes(l, c.orden, TextosEditor{});
        EXPECT_EQ(MarcasSeguidas(l), c.esperado) << c.orden << " " << c.filas[0][0];
    }
}

TEST(Orden, EditorRecord)
{
    auto l = Lista({{"Zoe"}, {"Ana"}, {"Ana"}, {"Luis"}});
    for (auto& p : l) p->TfnoCasa.clear();
    l[1]->EMail = l[2]->EMail = "ana@x.es";
    l[0]->Varios = {"no cuenta"};
    const TextosEditor ana{"Ana", "", "", "", "", "ana@x.es"};
    EXPECT_EQ(OrdenarPibes(l, "Nombre", ana), 1);  // the last of two
    EXPECT_EQ(OrdenarPibes(l, "Nombre", TextosEditor{"Zoe", "", "", "", "", ""}), 3);
    EXPECT_EQ(OrdenarPibes(l, "Nombre", TextosEditor{"Ana", "", "", "", "", ""}), -1);
    EXPECT_EQ(OrdenarPibes(l, "otro", ana), 1);
    ListaPibes vacia;
    EXPECT_EQ(OrdenarPibes(vacia, "Nombre", ana), -1);

    TPibe p;
    p.Nombre = "a", p.Ape1 = "b", p.Ape2 = "c", p.TfnoCasa = "d", p.TfnoMovil = "e", p.EMail = "f";
    const TextosEditor bueno{"a", "b", "c", "d", "e", "f"};
    EXPECT_TRUE(CoincideConEditor(p, bueno));
    for (int i = 0; i < 6; ++i) {
        TextosEditor e = bueno;
        std::string* campos[] = {&e.Nombre, &e.Ape1, &e.Ape2, &e.TfnoCasa, &e.TfnoMovil, &e.EMail};
        *campos[i] = "A";  // exact comparison, no folding
        EXPECT_FALSE(CoincideConEditor(p, e)) << i;
    }
}

// The original ordering: take out the first smallest record, again and
// again, building the keys afresh each time, apart from the code under test.
std::string OrdenDeReferencia(const ListaPibes& l, const std::string& orden)
{
    auto clave = [&](const TPibe& p) {
        std::string k = orden == "Nombre"       ? p.Nombre + '\0' + p.Ape1 + '\0' + p.Ape2
                        : orden == "Apellido 1" ? p.Ape1 + '\0' + p.Ape2 + '\0' + p.Nombre
                        : orden == "Apellido 2" ? p.Ape2 + '\0' + p.Nombre + '\0' + p.Ape1
                                                : p.Grupo + '\0' + p.Ape1 + '\0' + p.Nombre;
        return NormalizarTexto(k, true);
    };
    auto menor = [](const std::string& a, const std::string& b) {
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
            if (a[i] != b[i]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]);
        return a.size() < b.size();
    };
    std::vector<const TPibe*> quedan;
    for (const auto& p : l) quedan.push_back(p.get());
    std::string marcas;
    while (!quedan.empty()) {
        std::size_t m = 0;
        for (std::size_t i = 1; i < quedan.size(); ++i)
            if (menor(clave(*quedan[i]), clave(*quedan[m]))) m = i;
        marcas += (marcas.empty() ? "" : " ") + quedan[m]->TfnoCasa;
        quedan.erase(quedan.begin() + static_cast<std::ptrdiff_t>(m));
    }
    return marcas;
}

TEST(Orden, SameAsRepeatedMinimumOnRandomBooks)
{
    // Few letters and short fields: many equal keys, common prefixes of all
    // lengths, every kind of byte the folding treats apart.
    const std::string letras = C("aAáÁnñÑNzZàü") + "\xFF\x01 " + '\0';
    const std::string largo = C("ÁáaAÑñnNaaAa");
    std::mt19937 azar(12345);
    auto campo = [&] {
        std::string s = azar() % 3 ? "" : largo.substr(0, azar() % largo.size());
        for (unsigned n = azar() % 5; n > 0; --n) s += letras[azar() % letras.size()];
        return s;
    };
    for (int ronda = 0; ronda < 200; ++ronda) {
        ListaPibes l;
        for (unsigned i = 0, n = azar() % 40; i < n; ++i) {
            auto p = std::make_unique<TPibe>();
            p->Nombre = campo(), p->Ape1 = campo(), p->Ape2 = campo(), p->Grupo = campo();
            p->TfnoCasa = std::to_string(i);
            l.push_back(std::move(p));
        }
        for (const char* orden : {"Nombre", "Apellido 1", "Apellido 2", "Grupo"}) {
            const std::string esperado = OrdenDeReferencia(l, orden);
            OrdenarPibes(l, orden, TextosEditor{});
            ASSERT_EQ(MarcasSeguidas(l), esperado) << "ronda " << ronda << ", " << orden;
        }
    }
}

TEST(Orden, PosicionInsercion)
{
    auto l = Lista({{"Ana"}, {"Bea", "Gil"}, {"Bea", "Gil", "Zapata"}, {"Zoe"}});
    const std::pair<std::vector<const char*>, std::size_t> casos[] = {
        {{""}, 0}, {{"Ana"}, 0}, {{"Anabel"}, 1},
        {{"BEA", "gil", "Zz"}, 1},  // equal in its first two fields: goes before
        {{"Bea", "Gila"}, 3}, {{"Zoe", "A"}, 4}, {{"àlex"}, 4}};
    for (const auto& [filas, esperada] : casos)
        EXPECT_EQ(PosicionInsercion(l, *Lista({filas})[0], "Nombre"), esperada) << filas[0];
    EXPECT_EQ(PosicionInsercion(ListaPibes{}, *l[0], "Nombre"), 0u);
}

TEST(Orden, GruposDistintos)
{
    auto l = Lista({{"a", "", "", "Amigos"}, {"b"}, {"c", "", "", "amigos"}, {"d", "", "", "Amigos"},
                    {"e", "", "", "Familia"}, {"f"}, {"g", "", "", "Amigos "}});
    EXPECT_EQ(GruposDistintos(l), (std::vector<std::string>{"Amigos", "", "amigos", "Familia", "Amigos "}));
}

}  // namespace
