// The login reminder's text: which birthdays come, their lines, and how
// the parts are put together.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/avisos.h"
#include "vcard_ayudas.h"

using namespace bindelora;

namespace {

std::vector<std::string> Utf8(const std::vector<std::string>& v)
{
    std::vector<std::string> r;
    for (const std::string& s : v) r.push_back(Cp1252AUtf8(s));
    return r;
}

}  // namespace

TEST(Avisos, BirthdaysFromTomorrowToAWeekInTheListsOrder)
{
    const Fecha hoy{2026, 12, 28};
    ListaPibes l;
    l.push_back(prueba::PibeVCard("Hoy", "Mismo", "", Dia(1990, 12, 28)));      // among today's entries already
    l.push_back(prueba::PibeVCard("Ana", "García", "", Dia(1986, 1, 4)));       // over the year's end, 7 days: 41 then
    l.push_back(prueba::PibeVCard("Luis", "Vega", "Sanz", Dia(2025, 12, 29)));  // tomorrow, one year
    l.push_back(prueba::PibeVCard("Sin", "", "", Dia(1, 12, 30)));              // no year: no age
    l.push_back(prueba::PibeVCard("Lejos", "Tarde", "", Dia(1980, 1, 5)));      // 8 days: too far
    l.push_back(prueba::PibeVCard("Eva", "", "Ruiz", Dia(2000, 1, 4)));         // same day as Ana, after her
    l.push_back(prueba::PibeVCard("Nadie", "", "", 0));
    EXPECT_EQ(Utf8(LineasCumplesProximos(l, hoy)),
              (std::vector<std::string>{"29 Dic  Luis Vega Sanz (1 año)", "30 Dic  Sin", "4 Ene  Ana García (41 años)",
                                        "4 Ene  Eva Ruiz (27 años)"}));
    EXPECT_EQ(LineasCumplesProximos(l, hoy, 1).size(), 1u);
    EXPECT_TRUE(LineasCumplesProximos(ListaPibes{}, hoy).empty());
}

TEST(Avisos, TheTextPutsTodayFirstAndLeavesOutWhatIsEmpty)
{
    const std::vector<std::string> hoy = {"Cena", "Cumplea\xF1os de Ana"}, cumples = {"4 Ene  Eva"};
    EXPECT_EQ(Cp1252AUtf8(TextoAviso(hoy, cumples)), "Cena\nCumpleaños de Ana\n\nPróximos cumpleaños:\n4 Ene  Eva");
    EXPECT_EQ(TextoAviso(hoy, {}), "Cena\nCumplea\xF1os de Ana");
    EXPECT_EQ(Cp1252AUtf8(TextoAviso({}, cumples)), "Próximos cumpleaños:\n4 Ene  Eva");
    EXPECT_EQ(TextoAviso({}, {}), "");
}
