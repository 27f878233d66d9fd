#include "core/icalendar.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <unordered_map>

#include <libical/ical.h>

#include "core/texto.h"

namespace bindelora {

namespace {

struct LiberarComponente {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

icaltimetype Dia(int ano, int mes, int dia)
{
    icaltimetype t = icaltime_null_date();
    t.year = ano;
    t.month = mes;
    t.day = dia;
    t.is_date = 1;
    return t;
}

// A stable identifier: the same entry gets the same UID in every export,
// so a calendar that imports twice updates instead of doubling.
std::string Uid(const TAvisal& a, std::unordered_map<std::uint64_t, int>& vistos)
{
    std::uint64_t h = 1469598103934665603ull;
    auto mezclar = [&h](std::string_view s) {
        for (unsigned char c : s) {
            h ^= c;
            h *= 1099511628211ull;
        }
    };
    const std::string fecha = RellenarConCeros(a.Dia, 2) + RellenarConCeros(a.Mes, 2) + RellenarConCeros(a.Ano, 4);
    mezclar(fecha);
    mezclar(a.Texto);
    const int repeticion = vistos[h]++;
    char hex[17];
    static const char kHex[] = "0123456789abcdef";
    for (int i = 0; i < 16; ++i) hex[i] = kHex[(h >> (60 - 4 * i)) & 0xF];
    hex[16] = '\0';
    std::string uid = fecha + "-" + hex;
    if (repeticion > 0) uid += "-" + std::to_string(repeticion);
    return uid + "@bindelora";
}

}  // namespace

ResultadoICalendar ExportarICalendar(const ListaAvisales& lista, const Fecha& hoy, const MarcaUtc& ahora)
{
    ResultadoICalendar r;
    std::unique_ptr<icalcomponent, LiberarComponente> cal(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(cal.get(), icalproperty_new_prodid("-//Quenturo//Bindelora 2.3//ES"));
    icalcomponent_add_property(cal.get(), icalproperty_new_calscale("GREGORIAN"));

    icaltimetype sello = icaltime_null_time();
    sello.year = ahora.fecha.ano;
    sello.month = ahora.fecha.mes;
    sello.day = ahora.fecha.dia;
    sello.hour = ahora.hora;
    sello.minute = ahora.minuto;
    sello.second = ahora.segundo;
    sello.zone = icaltimezone_get_utc_timezone();

    // Each event is written out and freed on its own: one big tree took
    // most of its time in the allocator.
    std::string eventos;
    eventos.reserve(lista.size() * 300);
    std::unordered_map<std::uint64_t, int> vistos;
    vistos.reserve(lista.size());
    for (const auto& e : lista) {
        const TAvisal& a = *e;
        icaltimetype inicio;
        icalrecurrencetype regla;
        icalrecurrencetype_clear(&regla);
        bool repite = false;
        if (a.Mes == 0) {
            if (a.Dia < 1 || a.Dia > 31) {
                ++r.omitidos;
                continue;
            }
            // The first month from this one that has the day; the rule
            // itself skips the months without it.
            int ano = hoy.ano, mes = hoy.mes;
            while (a.Dia > DiasDelMes(mes, ano)) {
                if (++mes > 12) {
                    mes = 1;
                    ++ano;
                }
            }
            inicio = Dia(ano, mes, a.Dia);
            regla.freq = ICAL_MONTHLY_RECURRENCE;
            // Dropped from the book when its year comes.
            if (a.Ano != 9999 && a.Ano > ano) regla.until = Dia(a.Ano - 1, 12, 31);
            repite = true;
        } else if (a.Ano == 9999) {
            if (!EsFechaValida(2000, a.Mes, a.Dia)) {
                ++r.omitidos;
                continue;
            }
            // 29 February starts in the last leap year.
            int ano = hoy.ano;
            while (!EsFechaValida(ano, a.Mes, a.Dia)) --ano;
            inicio = Dia(ano, a.Mes, a.Dia);
            regla.freq = ICAL_YEARLY_RECURRENCE;
            repite = true;
        } else {
            if (!EsFechaValida(a.Ano, a.Mes, a.Dia)) {
                ++r.omitidos;
                continue;
            }
            inicio = Dia(a.Ano, a.Mes, a.Dia);
        }
        icaltimetype fin = inicio;
        icaltime_adjust(&fin, 1, 0, 0, 0);

        icalcomponent* ev = icalcomponent_new(ICAL_VEVENT_COMPONENT);
        icalcomponent_add_property(ev, icalproperty_new_uid(Uid(a, vistos).c_str()));
        icalcomponent_add_property(ev, icalproperty_new_dtstamp(sello));
        icalcomponent_add_property(ev, icalproperty_new_dtstart(inicio));
        icalcomponent_add_property(ev, icalproperty_new_dtend(fin));
        if (repite) icalcomponent_add_property(ev, icalproperty_new_rrule(regla));
        icalcomponent_add_property(ev, icalproperty_new_summary(Cp1252AUtf8(a.Texto).c_str()));
        // A reminder, not a busy day.
        icalcomponent_add_property(ev, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
        if (char* s = icalcomponent_as_ical_string_r(ev)) {
            eventos += s;
            std::free(s);
        }
        icalcomponent_free(ev);
        ++r.exportados;
    }
    // The calendar's own lines, with the events before its last line.
    char* s = icalcomponent_as_ical_string_r(cal.get());
    if (s) {
        r.texto = s;
        std::free(s);
    }
    constexpr std::string_view kFin = "END:VCALENDAR\r\n";
    const std::size_t fin = r.texto.rfind(kFin);
    if (fin != std::string::npos) r.texto.insert(fin, eventos);
    return r;
}

std::vector<std::string> TextosDeHoy(const ListaAvisales& lista, const Fecha& hoy)
{
    std::vector<std::string> r;
    for (const auto& a : lista)
        if (a->Dia == hoy.dia && (a->Mes == hoy.mes || a->Mes == 0)) r.push_back(a->Texto);
    return r;
}

}  // namespace bindelora
