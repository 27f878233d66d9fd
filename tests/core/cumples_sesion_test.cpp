// The never-stored mark of birthdays entered in this run, and their return
// after the events file is read back.
#include <gtest/gtest.h>

#include "core/avisal.h"
#include "core/fecha.h"

using namespace bindelora;

namespace {

std::unique_ptr<TPibe> PibeRuiz(const std::string& nombre, int ano, int mes, int dia, bool enAvisal = false)
{
    auto p = std::make_unique<TPibe>();
    p->Nombre = nombre;
    p->Ape1 = "Ruiz";
    if (ano) CodificarFecha(ano, mes, dia, p->Cumple);
    p->EnAvisal = enAvisal;
    return p;
}

}  // namespace

TEST(CumplesSesion, SoloSeMarcanLosEntradosEnEstaSesion)
{
    ListaPibes pibes;
    pibes.push_back(PibeRuiz("Ana", 1980, 6, 5));        // entered now
    pibes.push_back(PibeRuiz("Bea", 1990, 7, 1, true));  // entered in an earlier run
    pibes.push_back(PibeRuiz("Sin", 0, 0, 0));           // no birthday
    ListaAvisales avisales;
    avisales.push_back(std::make_unique<TAvisal>(TAvisal{1, 7, 9999, "Cumplea\xF1os de Bea Ruiz"}));
    SincronizarCumples(pibes, avisales);
    EXPECT_TRUE(pibes[0]->CumpleEntradoEnSesion);
    EXPECT_FALSE(pibes[1]->CumpleEntradoEnSesion);
    EXPECT_FALSE(pibes[2]->CumpleEntradoEnSesion);
}

TEST(CumplesSesion, TrasReleerSeReponenSinDuplicar)
{
    ListaPibes pibes;
    pibes.push_back(PibeRuiz("Ana", 1980, 6, 5));
    pibes.push_back(PibeRuiz("Eva", 1985, 2, 9));
    pibes.push_back(PibeRuiz("Bea", 1990, 7, 1, true));
    ListaAvisales avisales;
    SincronizarCumples(pibes, avisales);
    ASSERT_EQ(avisales.size(), 2u);

    // The re-read file has Eva's entry (typed by hand) but not Ana's.
    ListaAvisales releidos;
    releidos.push_back(std::make_unique<TAvisal>(TAvisal{9, 2, 9999, "Cumplea\xF1os de Eva Ruiz"}));
    const auto nuevas = ReponerCumplesDeSesion(pibes, releidos);
    ASSERT_EQ(nuevas.size(), 1u);
    ASSERT_EQ(releidos.size(), 2u);
    EXPECT_EQ(releidos[1]->Texto, "Cumplea\xF1os de Ana Ruiz");
    EXPECT_EQ(releidos[1]->Dia, 5);
    EXPECT_EQ(releidos[1]->Mes, 6);
    EXPECT_EQ(releidos[1]->Ano, 9999);
    // A second re-read of the same list adds nothing.
    EXPECT_TRUE(ReponerCumplesDeSesion(pibes, releidos).empty());

    // A birthday cleared since it was entered is not brought back.
    pibes[0]->Cumple = 0;
    ListaAvisales vacia;
    EXPECT_EQ(ReponerCumplesDeSesion(pibes, vacia).size(), 1u);  // Eva only
}
