#include "core/calendario.h"

#include <gtest/gtest.h>

#include <chrono>

#include "core/avisal.h"

using namespace bindelora;
using namespace std::chrono;

TEST(Calendario, DiasDelMesTieneUnSoloSentido)
{
    const int largos[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m <= 12; ++m) EXPECT_EQ(DiasDelMes(m, 2027), largos[m]) << m;
    EXPECT_EQ(DiasDelMes(2, 2028), 29);
    EXPECT_EQ(DiasDelMes(2, 2000), 29);
    EXPECT_EQ(DiasDelMes(2, 1900), 28);
    EXPECT_EQ(DiasDelMes(2, 2100), 28);
    // Any other month: 30, never 0, so no division or cell can be lost.
    EXPECT_EQ(DiasDelMes(0, 2027), 30);
    EXPECT_EQ(DiasDelMes(13, 2027), 30);
    EXPECT_EQ(DiasDelMes(-1, 2027), 30);
}

// Every month of 800 years, every one of its 42 cells, against the standard
// library's calendar.
TEST(Calendario, RejillaDeCadaMesDe1601A2400)
{
    for (int ano = 1601; ano <= 2400; ++ano)
        for (unsigned m = 1; m <= 12; ++m) {
            const sys_days primero{year{ano} / month{m} / 1};
            const int f = static_cast<int>(weekday{primero}.iso_encoding()) - 1;
            ASSERT_EQ(PrimerDiaSemana(static_cast<int>(m), ano), f) << ano << "-" << m;
            const RejillaMes r = CalcularRejillaMes(static_cast<int>(m), ano);
            for (int i = 0; i < kCeldasMes; ++i) {
                const year_month_day ymd{primero + days{i - f}};
                const CeldaMes& c = r[static_cast<std::size_t>(i)];
                ASSERT_EQ(c.dia, static_cast<int>(static_cast<unsigned>(ymd.day()))) << ano << "-" << m << " " << i;
                ASSERT_EQ(c.vecino, ymd.month() != month{m}) << ano << "-" << m << " " << i;
                ASSERT_EQ(c.domingo, i % 7 == 6);
            }
            // The cell of every day of the month is the one that shows it.
            const int n = DiasDelMes(static_cast<int>(m), ano);
            for (int d = 1; d <= n; ++d) {
                const int celda = CeldaDelDia(d, static_cast<int>(m), ano);
                ASSERT_GE(celda, 0);
                ASSERT_LE(celda, 36);
                ASSERT_EQ(r[static_cast<std::size_t>(celda)].dia, d);
                ASSERT_FALSE(r[static_cast<std::size_t>(celda)].vecino);
            }
        }
}

TEST(Calendario, MesesQueEmpiezanEnLunesYEnDomingo)
{
    // February 2027 starts on a Monday: no previous-month days, rows 4 and 5
    // show 1 to 14 March.
    EXPECT_EQ(PrimerDiaSemana(2, 2027), 0);
    RejillaMes r = CalcularRejillaMes(2, 2027);
    for (int i = 0; i < 28; ++i) EXPECT_FALSE(r[static_cast<std::size_t>(i)].vecino);
    for (int i = 28; i < 42; ++i) {
        EXPECT_TRUE(r[static_cast<std::size_t>(i)].vecino);
        EXPECT_EQ(r[static_cast<std::size_t>(i)].dia, i - 27);
    }
    // August 2027 starts on a Sunday: the 31st in row 5, column 1.
    EXPECT_EQ(PrimerDiaSemana(8, 2027), 6);
    r = CalcularRejillaMes(8, 2027);
    EXPECT_EQ(CeldaDelDia(31, 8, 2027), 5 * 7 + 1);
    EXPECT_EQ(r[0].dia, 26);  // 26 July
    EXPECT_TRUE(r[0].vecino);
    EXPECT_EQ(r[37].dia, 1);
    EXPECT_TRUE(r[37].vecino);
    // January: the tail of December of the year before.
    r = CalcularRejillaMes(1, 2027);  // starts on a Friday
    EXPECT_EQ(r[0].dia, 28);
    EXPECT_EQ(r[3].dia, 31);
    EXPECT_EQ(r[4].dia, 1);
}

TEST(Calendario, CeldaDeDiasQueElMesNoTiene)
{
    // A day above the month's length lands on its last day; outside 1..31, nowhere.
    EXPECT_EQ(CeldaDelDia(31, 4, 2027), CeldaDelDia(30, 4, 2027));
    EXPECT_EQ(CeldaDelDia(29, 2, 2027), CeldaDelDia(28, 2, 2027));
    EXPECT_EQ(CeldaDelDia(29, 2, 2028), CeldaDelDia(28, 2, 2028) + 1);
    EXPECT_EQ(CeldaDelDia(0, 4, 2027), -1);
    EXPECT_EQ(CeldaDelDia(32, 1, 2027), -1);
    EXPECT_EQ(CeldaDelDia(45, 1, 2027), -1);
    EXPECT_EQ(CeldaDelDia(-3, 1, 2027), -1);
    EXPECT_EQ(CeldaDelDia(5, 0, 2027), -1);
    EXPECT_EQ(CeldaDelDia(5, 13, 2027), -1);
}

TEST(Calendario, ConversionDeLosCamposDeFecha)
{
    int v = -1;
    EXPECT_TRUE(ConvertirCampoFecha("05", v));
    EXPECT_EQ(v, 5);
    EXPECT_TRUE(ConvertirCampoFecha("2027", v));
    EXPECT_EQ(v, 2027);
    EXPECT_TRUE(ConvertirCampoFecha("0", v));
    EXPECT_EQ(v, 0);
    for (const char* malo : {"", "-12", "+1", " 1", "1 ", "1a", "12345", "\xBD", "1.5", "0x1"})
        EXPECT_FALSE(ConvertirCampoFecha(malo, v)) << malo;
}

TEST(Calendario, ComprobacionesDelEditorEnSuOrden)
{
    auto c = ComprobarFechaAvisal("5", "6", "2027");
    EXPECT_TRUE(c.Correcta());
    EXPECT_EQ(c.dia, 5);
    EXPECT_EQ(c.mes, 6);
    EXPECT_EQ(c.ano, 2027);

    // The first field that does not convert is the one named.
    c = ComprobarFechaAvisal("x", "", "");
    EXPECT_EQ(c.error, ErrorFechaAvisal::Conversion);
    EXPECT_EQ(c.campo, CampoFechaAvisal::Dia);
    c = ComprobarFechaAvisal("1", "-1", "");
    EXPECT_EQ(c.campo, CampoFechaAvisal::Mes);
    c = ComprobarFechaAvisal("1", "13", "");
    EXPECT_EQ(c.error, ErrorFechaAvisal::Conversion);
    EXPECT_EQ(c.campo, CampoFechaAvisal::Ano);

    c = ComprobarFechaAvisal("1", "13", "2027");
    EXPECT_EQ(c.error, ErrorFechaAvisal::Mes);
    EXPECT_EQ(c.campo, CampoFechaAvisal::Mes);
    c = ComprobarFechaAvisal("0", "13", "2027");
    EXPECT_EQ(c.error, ErrorFechaAvisal::Mes);

    c = ComprobarFechaAvisal("29", "2", "2027");
    EXPECT_EQ(c.error, ErrorFechaAvisal::Dia);
    EXPECT_EQ(c.campo, CampoFechaAvisal::Dia);
    EXPECT_TRUE(ComprobarFechaAvisal("29", "2", "2028").Correcta());
    EXPECT_EQ(ComprobarFechaAvisal("31", "4", "2027").error, ErrorFechaAvisal::Dia);
    EXPECT_EQ(ComprobarFechaAvisal("0", "4", "2027").error, ErrorFechaAvisal::Dia);

    // A monthly entry has no day check.
    for (const char* dia : {"0", "15", "31", "45", "99"}) EXPECT_TRUE(ComprobarFechaAvisal(dia, "0", "2027").Correcta());
}

TEST(Calendario, TextoDeUnaLinea)
{
    EXPECT_EQ(TextoDeUnaLinea("uno\r\ndos\rtres\ncuatro"), "uno dos tres cuatro");
    EXPECT_EQ(TextoDeUnaLinea("\n\n"), "  ");
    EXPECT_EQ(TextoDeUnaLinea("sin saltos \xF1"), "sin saltos \xF1");
}

TEST(Calendario, ClavesDeDiasComoLasDeLasFilas)
{
    const Fecha hoy{2027, 2, 10};
    EXPECT_EQ(ClaveDiasAvisal(10, 2, hoy), "000");
    EXPECT_EQ(ClaveDiasAvisal(17, 2, hoy), "007");
    EXPECT_EQ(ClaveDiasAvisal(9, 2, hoy), "364");
    // A day the month lacks counts to its last day.
    EXPECT_EQ(ClaveDiasAvisal(31, 4, hoy), ClaveDiasAvisal(30, 4, hoy));
    EXPECT_EQ(ClaveDiasAvisal(0, 4, hoy), "999");
    EXPECT_EQ(ClaveDiasAvisal(45, 4, hoy), "999");
    // Each row's caption is the key recomputed for the same day.
    std::vector<FilaAvisal> filas;
    ASSERT_TRUE(FilasDeAvisal(TAvisal{31, 0, 2030, "x"}, hoy, filas));
    for (const FilaAvisal& f : filas) EXPECT_EQ(f[ColFalta], ClaveDiasAvisal(31, std::stoi(f[ColMesReal]), hoy));
}
