#include "core/avisal.h"

#include <gtest/gtest.h>

#include <random>

using namespace bindelora;

namespace {

const Fecha kHoy{2026, 6, 15};

ResultadoAvisales Leer(std::string_view datos, ListaAvisales& lista, Fecha hoy = kHoy)
{
    return LeerAvisales(datos, hoy, lista);
}

std::unique_ptr<TPibe> PibeConCumple(const char* nombre, const char* ape1, int ano, int mes, int dia)
{
    auto p = std::make_unique<TPibe>();
    p->Nombre = nombre;
    p->Ape1 = ape1;
    if (ano) {
        EXPECT_TRUE(CodificarFecha(ano, mes, dia, p->Cumple));
    }
    return p;
}

}  // namespace

TEST(AvisalArchivo, LecturaYEscrituraDanLosMismosBytes)
{
    const std::string datos =
        "15072026Vacaciones\r\n"
        "05002027Pagar alquiler\r\n"
        "12019999Cumplea\xF1os de Ana Ruiz\r\n"
        "29029999\r\n"
        "31122026 con blancos  \r\n";
    ListaAvisales lista;
    auto r = Leer(datos, lista);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(lista.size(), 5u);
    EXPECT_EQ(lista[1]->Mes, 0);
    EXPECT_EQ(lista[3]->Texto, "");
    EXPECT_EQ(SerializarAvisales(lista), datos);
}

TEST(AvisalArchivo, CamposRellenadosYValoresRaros)
{
    EXPECT_EQ(LineaAvisal({3, 0, 5, "x"}), "03000005x");
    EXPECT_EQ(LineaAvisal({-1, 7, 2027, ""}), "-1072027");
    TAvisal a;
    ASSERT_TRUE(LeerLineaAvisal("-1072027", a));
    EXPECT_EQ(a.Dia, -1);
    ASSERT_TRUE(LeerLineaAvisal(" 5 62030", a));  // leading blanks are accepted
    EXPECT_EQ(a.Dia * 100 + a.Mes, 506);
    ASSERT_TRUE(LeerLineaAvisal("01012", a));  // a year may be cut short
    EXPECT_EQ(a.Ano, 2);
}

TEST(AvisalArchivo, CualquierSaltoDeLineaYSinSaltoFinal)
{
    for (std::string_view datos : {"01012030a\n02012030b\n", "01012030a\r02012030b\r",
                                   "01012030a\r\n02012030b", "01012030a\n02012030b\r\n"}) {
        ListaAvisales lista;
        ASSERT_TRUE(Leer(datos, lista).ok) << datos;
        ASSERT_EQ(lista.size(), 2u) << datos;
        EXPECT_EQ(lista[1]->Texto, "b");
    }
    ListaAvisales lista;
    EXPECT_TRUE(Leer("", lista).ok);
    EXPECT_TRUE(lista.empty());
}

TEST(AvisalPasado, TablaDeVerdad)
{
    EXPECT_TRUE(EsPasado(31, 12, 2025, kHoy));
    EXPECT_FALSE(EsPasado(1, 1, 2027, kHoy));
    EXPECT_TRUE(EsPasado(30, 5, 2026, kHoy));
    EXPECT_FALSE(EsPasado(1, 7, 2026, kHoy));
    EXPECT_TRUE(EsPasado(14, 6, 2026, kHoy));
    EXPECT_FALSE(EsPasado(15, 6, 2026, kHoy));
    EXPECT_TRUE(EsPasado(31, 0, 2026, kHoy));
    EXPECT_FALSE(EsPasado(1, 0, 2027, kHoy));
}

TEST(AvisalPasado, LaLecturaDescartaLoPasado)
{
    ListaAvisales lista;
    ASSERT_TRUE(Leer("14062026ayer\r\n15062026hoy\r\n20002026mensual\r\n20002027siguiente\r\n", lista).ok);
    ASSERT_EQ(lista.size(), 2u);
    EXPECT_EQ(lista[0]->Texto, "hoy");
    EXPECT_EQ(lista[1]->Texto, "siguiente");
}

TEST(AvisalDias, FinDeAno)
{
    const Fecha fin{2026, 12, 31};
    EXPECT_EQ(DiasHastaAvisal(1, 1, fin), 1);
    EXPECT_EQ(DiasHastaAvisal(31, 12, fin), 0);
    EXPECT_EQ(DiasHastaAvisal(30, 12, fin), 364);
    EXPECT_EQ(DiasHastaAvisal(30, 12, Fecha{2027, 12, 31}), 365);  // 2028 is leap
}

TEST(AvisalDias, VeintinueveDeFebrero)
{
    EXPECT_EQ(DiasHastaAvisal(29, 2, Fecha{2027, 3, 1}), 365);  // 29 Feb 2028
    EXPECT_EQ(DiasHastaAvisal(29, 2, Fecha{2028, 3, 1}), 364);  // 28 Feb 2029
    EXPECT_EQ(DiasHastaAvisal(29, 2, Fecha{2027, 1, 1}), 58);   // 28 Feb 2027
    EXPECT_EQ(DiasHastaAvisal(29, 2, Fecha{2027, 2, 28}), 0);
    EXPECT_EQ(DiasHastaAvisal(29, 2, Fecha{2028, 2, 29}), 0);
}

TEST(AvisalDias, DiasImposibles)
{
    for (auto [dia, mes] : {std::pair{31, 4}, {30, 2}, {0, 5}, {32, 1}, {1, 0}, {1, 13}, {-1, 3}})
        EXPECT_EQ(DiasHastaAvisal(dia, mes, kHoy), -1) << dia << "/" << mes;
}

TEST(AvisalFilas, EntradaFechadaYMensual)
{
    std::vector<FilaAvisal> filas;
    ASSERT_TRUE(FilasDeAvisal({22, 6, 2030, "Cita"}, kHoy, filas));
    ASSERT_EQ(filas.size(), 1u);
    EXPECT_EQ(filas[0], (FilaAvisal{"007", "22", "6", "2030", "6", "22-Jun", "Cita"}));

    ASSERT_TRUE(FilasDeAvisal({15, 0, 2027, "Luz"}, kHoy, filas));
    ASSERT_EQ(filas.size(), 12u);
    EXPECT_EQ(filas[0][ColFecha], "15-Ene");
    EXPECT_EQ(filas[11][ColFecha], "15-Dic");
    EXPECT_EQ(filas[5][ColFalta], "000");
    EXPECT_EQ(filas[6][ColFalta], "030");
    for (int m = 0; m < 12; ++m) {
        EXPECT_EQ(filas[m][ColMes], "0");
        EXPECT_EQ(filas[m][ColMesReal], std::to_string(m + 1));
    }
}

TEST(AvisalFilas, DiasQueElMesNoTiene)
{
    std::vector<FilaAvisal> filas;
    ASSERT_TRUE(FilasDeAvisal({31, 0, 2027, ""}, Fecha{2026, 4, 1}, filas));
    EXPECT_EQ(filas[3][ColFalta], "029");  // 30 April
    EXPECT_EQ(filas[2][ColFalta], "364");  // 31 March 2027
    for (int dia : {0, 45}) {
        ASSERT_TRUE(FilasDeAvisal({dia, 0, 2027, ""}, kHoy, filas));
        ASSERT_EQ(filas.size(), 12u);
        for (const auto& f : filas) EXPECT_EQ(f[ColFalta], "999");
    }
    EXPECT_TRUE(FilasDeAvisal({29, 2, 2027, ""}, kHoy, filas));
    for (TAvisal malo : {TAvisal{31, 4, 2027, ""}, {1, 13, 2027, ""}, {1, -1, 2027, ""}, {0, 5, 2027, ""}})
        EXPECT_FALSE(FilasDeAvisal(malo, kHoy, filas)) << malo.Dia << "/" << malo.Mes;
    EXPECT_TRUE(filas.empty());
}

TEST(AvisalLectura, LineasMalas)
{
    struct Caso { std::string datos; bool ok; std::size_t linea; std::size_t leidas; };
    const Caso casos[] = {
        {"01012030a\r\n\r\n02012030b\r\n", false, 2, 1},
        {"01012030a\r\n\r\n", false, 2, 1},
        {"\r\n", false, 1, 0},
        {"0", false, 1, 0},
        {"0101", false, 1, 0},
        {"01012", true, 0, 0},  // year 2: past
        {"01012030", true, 0, 1},
        {"0a012030x", false, 1, 0},
        {"01012030x\r\n01132030y\r\n", false, 2, 1},
        {"01012030x\r\n31042030y\r\n", false, 2, 1},
        {"01132020y\r\n31042020z\r\n", true, 0, 0},
        {std::string("\0\xFF\x01\x80", 4), false, 1, 0},
        {"01012030" + std::string(1 << 20, 'x'), true, 0, 1},
        {std::string(1 << 20, 'x'), false, 1, 0},
    };
    for (const auto& c : casos) {
        ListaAvisales lista;
        auto r = Leer(c.datos, lista);
        EXPECT_EQ(r.ok, c.ok) << c.datos.substr(0, 30);
        if (!c.ok) {
            EXPECT_EQ(r.lineaFallida, c.linea) << c.datos.substr(0, 30);
        }
        EXPECT_EQ(lista.size(), c.leidas) << c.datos.substr(0, 30);
    }
}

TEST(AvisalLectura, BasuraBinariaNoRompeNada)
{
    std::mt19937 gen(7);
    for (int i = 0; i < 200; ++i) {
        std::string datos(gen() % 400, '\0');
        for (char& c : datos) c = static_cast<char>(gen());
        ListaAvisales lista;
        auto r = Leer(datos, lista);
        if (!r.ok) {
            EXPECT_GE(r.lineaFallida, 1u);
        }
    }
}

TEST(AvisalCumples, SeEntraCadaCumpleUnaVez)
{
    ListaPibes pibes;
    pibes.push_back(PibeConCumple("Ana", "Ruiz", 1980, 6, 5));
    pibes.push_back(PibeConCumple("Ana", "Ruiz", 1995, 6, 5));  // same text and day: one entry
    pibes.push_back(PibeConCumple("Luis", "Gil", 0, 0, 0));
    pibes.push_back(PibeConCumple("Eva", "Sanz", 1, 6, 5));      // birthday without year
    pibes.push_back(PibeConCumple("Pepe", "Mora", 1990, 1, 2));
    pibes[4]->EnAvisal = true;  // its entry was deleted on purpose
    ListaAvisales avisales;
    avisales.push_back(std::make_unique<TAvisal>(TAvisal{5, 6, 9999, "Cumplea\xF1os de Eva Sanz"}));

    auto nuevos = SincronizarCumples(pibes, avisales);
    ASSERT_EQ(nuevos.size(), 1u);
    ASSERT_EQ(avisales.size(), 2u);
    EXPECT_EQ(nuevos[0], avisales[1].get());
    EXPECT_EQ(avisales[1]->Texto, "Cumplea\xF1os de Ana Ruiz");
    EXPECT_EQ(LineaAvisal(*avisales[1]), "05069999Cumplea\xF1os de Ana Ruiz");
    EXPECT_TRUE(pibes[0]->EnAvisal && pibes[1]->EnAvisal && pibes[3]->EnAvisal);
    EXPECT_FALSE(pibes[2]->EnAvisal);
    EXPECT_TRUE(SincronizarCumples(pibes, avisales).empty());
    EXPECT_TRUE(ExisteAvisal(avisales, 5, 6, "Cumplea\xF1os de Eva Sanz"));
    EXPECT_FALSE(ExisteAvisal(avisales, 5, 6, "cumplea\xF1os de Eva Sanz"));
}

TEST(AvisalCumples, AgendaAntiguaEntraTodos)
{
    ListaPibes pibes;
    for (int i = 1; i <= 12; ++i) pibes.push_back(PibeConCumple("N", std::to_string(i).c_str(), 1970, i, i));
    pibes[3]->Cumple = 1e12;  // undecodable: left alone
    ListaAvisales avisales;
    EXPECT_EQ(SincronizarCumples(pibes, avisales).size(), 11u);
    EXPECT_FALSE(pibes[3]->EnAvisal);
    EXPECT_EQ(avisales[0]->Dia * 100 + avisales[0]->Mes, 101);
}
