#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>
#include <string>

#include <libical/ical.h>

#include "core/icalendar.h"
#include "core/texto.h"

using namespace bindelora;

namespace {

const Fecha kHoy{2026, 12, 7};
const MarcaUtc kAhora{kHoy, 9, 30, 0};

std::unique_ptr<TAvisal> Entrada(int dia, int mes, int ano, const char* utf8)
{
    auto a = std::make_unique<TAvisal>();
    a->Dia = dia;
    a->Mes = mes;
    a->Ano = ano;
    a->Texto = Utf8ACp1252(utf8);
    return a;
}

// The export read back by libical: summary -> event.
struct Leido {
    icaltimetype inicio;
    bool repite = false;
    icalrecurrencetype regla;
};

std::map<std::string, Leido> LeerCon(const std::string& texto, int& eventos)
{
    std::map<std::string, Leido> r;
    icalcomponent* cal = icalparser_parse_string(texto.c_str());
    EXPECT_NE(cal, nullptr);
    eventos = 0;
    if (!cal) return r;
    for (icalcomponent* e = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT)) {
        ++eventos;
        EXPECT_NE(icalcomponent_get_first_property(e, ICAL_UID_PROPERTY), nullptr);
        EXPECT_NE(icalcomponent_get_first_property(e, ICAL_DTSTAMP_PROPERTY), nullptr);
        Leido l;
        l.inicio = icalcomponent_get_dtstart(e);
        if (icalproperty* rr = icalcomponent_get_first_property(e, ICAL_RRULE_PROPERTY)) {
            l.repite = true;
            l.regla = icalproperty_get_rrule(rr);
        }
        r[icalcomponent_get_summary(e)] = l;
    }
    // libical finds nothing to complain about.
    EXPECT_EQ(icalcomponent_count_errors(cal), 0);
    icalcomponent_free(cal);
    return r;
}

}  // namespace

TEST(ICalendar, CadaTipoDeEntradaComoSuEvento)
{
    ListaAvisales l;
    l.push_back(Entrada(5, 6, 9999, "Cumpleaños de José Núñez"));
    l.push_back(Entrada(15, 0, 9999, "Pagar el alquiler; sin falta, ¡eh!"));
    l.push_back(Entrada(1, 0, 2029, "Revisión mensual hasta 2028"));
    l.push_back(Entrada(20, 3, 2027, "Cita con el médico"));
    l.push_back(Entrada(29, 2, 9999, "Cumpleaños de Bisiesto"));
    l.push_back(Entrada(31, 0, 9999, "Último día"));
    l.push_back(Entrada(45, 0, 9999, "Día imposible"));
    const ResultadoICalendar r = ExportarICalendar(l, kHoy, kAhora);
    EXPECT_EQ(r.exportados, 6u);
    EXPECT_EQ(r.omitidos, 1u);
    int eventos = 0;
    auto leidos = LeerCon(r.texto, eventos);
    EXPECT_EQ(eventos, 6);

    const Leido& cumple = leidos.at("Cumplea\xC3\xB1os de Jos\xC3\xA9 N\xC3\xBA\xC3\xB1" "ez");
    EXPECT_TRUE(cumple.inicio.is_date);
    EXPECT_EQ(cumple.inicio.year, 2026);
    EXPECT_EQ(cumple.inicio.month, 6);
    EXPECT_EQ(cumple.inicio.day, 5);
    ASSERT_TRUE(cumple.repite);
    EXPECT_EQ(cumple.regla.freq, ICAL_YEARLY_RECURRENCE);
    EXPECT_TRUE(icaltime_is_null_time(cumple.regla.until));

    // Text escapes (comma, semicolon) come back unchanged.
    const Leido& alquiler = leidos.at("Pagar el alquiler; sin falta, \xC2\xA1" "eh!");
    ASSERT_TRUE(alquiler.repite);
    EXPECT_EQ(alquiler.regla.freq, ICAL_MONTHLY_RECURRENCE);
    EXPECT_EQ(alquiler.inicio.month, 12);
    EXPECT_EQ(alquiler.inicio.day, 15);

    const Leido& revision = leidos.at("Revisi\xC3\xB3n mensual hasta 2028");
    ASSERT_TRUE(revision.repite);
    EXPECT_EQ(revision.regla.until.year, 2028);
    EXPECT_EQ(revision.regla.until.month, 12);
    EXPECT_EQ(revision.regla.until.day, 31);

    const Leido& cita = leidos.at("Cita con el m\xC3\xA9" "dico");
    EXPECT_FALSE(cita.repite);
    EXPECT_EQ(cita.inicio.year, 2027);
    EXPECT_EQ(cita.inicio.month, 3);
    EXPECT_EQ(cita.inicio.day, 20);

    // 29 February starts in a leap year; day 31 in a month that has it.
    const Leido& bisiesto = leidos.at("Cumplea\xC3\xB1os de Bisiesto");
    EXPECT_EQ(bisiesto.inicio.year, 2024);
    const Leido& ultimo = leidos.at("\xC3\x9Altimo d\xC3\xAD" "a");
    EXPECT_EQ(ultimo.inicio.month, 12);
    EXPECT_EQ(ultimo.inicio.day, 31);
}

TEST(ICalendar, UidEstablesYDistintosParaEntradasIguales)
{
    ListaAvisales l;
    l.push_back(Entrada(1, 1, 9999, "Año nuevo"));
    l.push_back(Entrada(1, 1, 9999, "Año nuevo"));
    const std::string a = ExportarICalendar(l, kHoy, kAhora).texto;
    const std::string b = ExportarICalendar(l, Fecha{2027, 1, 1}, kAhora).texto;
    auto uids = [](const std::string& s) {
        std::vector<std::string> r;
        for (std::size_t p = s.find("UID:"); p != std::string::npos; p = s.find("UID:", p + 1))
            r.push_back(s.substr(p, s.find("\r\n", p) - p));
        return r;
    };
    ASSERT_EQ(uids(a).size(), 2u);
    EXPECT_NE(uids(a)[0], uids(a)[1]);
    EXPECT_EQ(uids(a), uids(b));
}

TEST(ICalendar, ListaLargaSaleEnSuOrdenConUidsUnicos)
{
    ListaAvisales l;
    std::vector<std::string> esperados;
    std::size_t omitidos = 0;
    for (int i = 0; i < 5001; ++i) {
        if (i % 500 == 499) {
            l.push_back(Entrada(32, 0, 9999, "Imposible"));
            ++omitidos;
            continue;
        }
        // Every seventh repeats the one before, date and text.
        const int n = i % 7 == 6 ? i - 1 : i;
        const std::string texto = "Suceso " + std::to_string(n);
        l.push_back(Entrada(1 + n % 28, n % 3 == 0 ? 0 : 1 + n % 12, n % 2 ? 9999 : 2030, texto.c_str()));
        esperados.push_back(texto);
    }
    const ResultadoICalendar r = ExportarICalendar(l, kHoy, kAhora);
    EXPECT_EQ(r.omitidos, omitidos);
    EXPECT_EQ(r.exportados, esperados.size());
    std::vector<std::string> resumenes;
    std::set<std::string> uids;
    for (std::size_t p = r.texto.find("\r\nSUMMARY:"); p != std::string::npos; p = r.texto.find("\r\nSUMMARY:", p + 1))
        resumenes.push_back(r.texto.substr(p + 10, r.texto.find("\r\n", p + 2) - p - 10));
    for (std::size_t p = r.texto.find("\r\nUID:"); p != std::string::npos; p = r.texto.find("\r\nUID:", p + 1))
        uids.insert(r.texto.substr(p, r.texto.find("\r\n", p + 2) - p));
    EXPECT_EQ(resumenes, esperados);
    EXPECT_EQ(uids.size(), esperados.size());
    int eventos = 0;
    LeerCon(r.texto, eventos);
    EXPECT_EQ(eventos, static_cast<int>(esperados.size()));
}

TEST(ICalendar, ListaVaciaEsUnCalendarioValido)
{
    ListaAvisales l;
    const ResultadoICalendar r = ExportarICalendar(l, kHoy, kAhora);
    EXPECT_NE(r.texto.find("BEGIN:VCALENDAR"), std::string::npos);
    EXPECT_NE(r.texto.find("VERSION:2.0"), std::string::npos);
    int eventos = -1;
    LeerCon(r.texto, eventos);
    EXPECT_EQ(eventos, 0);
}

TEST(SucesosDeHoy, MismoDiaYMesOEntradaMensual)
{
    ListaAvisales l;
    l.push_back(Entrada(7, 12, 9999, "Cumpleaños"));
    l.push_back(Entrada(7, 0, 2030, "Mensual del 7"));
    l.push_back(Entrada(7, 11, 2027, "Otro mes"));
    l.push_back(Entrada(8, 12, 2027, "Mañana"));
    l.push_back(Entrada(7, 12, 2026, "Hoy con año"));
    EXPECT_EQ(TextosDeHoy(l, kHoy),
              (std::vector<std::string>{Utf8ACp1252("Cumpleaños"), "Mensual del 7", Utf8ACp1252("Hoy con año")}));
    EXPECT_TRUE(TextosDeHoy(l, Fecha{2026, 12, 9}).empty());
}
