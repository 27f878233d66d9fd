#include "core/icalendar.h"
#include "core/icalendar_interno.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <unordered_map>
#include <vector>

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

icaltimetype SelloUtc(const MarcaUtc& ahora)
{
    icaltimetype sello = icaltime_null_time();
    sello.year = ahora.fecha.ano;
    sello.month = ahora.fecha.mes;
    sello.day = ahora.fecha.dia;
    sello.hour = ahora.hora;
    sello.minute = ahora.minuto;
    sello.second = ahora.segundo;
    sello.zone = icaltimezone_get_utc_timezone();
    return sello;
}

ResultadoICalendar ExportarICalendar(const ListaAvisales& lista, const Fecha& hoy, const MarcaUtc& ahora)
{
    ResultadoICalendar r;
    std::unique_ptr<icalcomponent, LiberarComponente> cal(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(cal.get(), icalproperty_new_prodid("-//Quenturo//Bindelora 2.3//ES"));
    icalcomponent_add_property(cal.get(), icalproperty_new_calscale("GREGORIAN"));

    const icaltimetype sello = SelloUtc(ahora);

    // First the dates and the identifiers, in order: a repeated entry's
    // identifier counts the ones before it.
    struct Suceso {
        const TAvisal* a;
        icaltimetype inicio;
        // The rule's few fields: the rule itself is kilobytes of arrays.
        icalrecurrencetype_frequency frecuencia;
        icaltimetype hasta;
        std::string uid;
    };
    std::vector<Suceso> sucesos;
    sucesos.reserve(lista.size());
    std::unordered_map<std::uint64_t, int> vistos;
    vistos.reserve(lista.size());
    for (const auto& e : lista) {
        const TAvisal& a = *e;
        Suceso s{&a, {}, ICAL_NO_RECURRENCE, icaltime_null_time(), {}};
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
            s.inicio = Dia(ano, mes, a.Dia);
            s.frecuencia = ICAL_MONTHLY_RECURRENCE;
            // Dropped from the book when its year comes.
            if (a.Ano != 9999 && a.Ano > ano) s.hasta = Dia(a.Ano - 1, 12, 31);
        } else if (a.Ano == 9999) {
            if (!EsFechaValida(2000, a.Mes, a.Dia)) {
                ++r.omitidos;
                continue;
            }
            // 29 February starts in the last leap year.
            int ano = hoy.ano;
            while (!EsFechaValida(ano, a.Mes, a.Dia)) --ano;
            s.inicio = Dia(ano, a.Mes, a.Dia);
            s.frecuencia = ICAL_YEARLY_RECURRENCE;
        } else {
            if (!EsFechaValida(a.Ano, a.Mes, a.Dia)) {
                ++r.omitidos;
                continue;
            }
            s.inicio = Dia(a.Ano, a.Mes, a.Dia);
        }
        s.uid = Uid(a, vistos);
        sucesos.push_back(std::move(s));
    }
    r.exportados = sucesos.size();

    // The calendar's own lines; the events go before its last line.
    std::string calendario;
    if (char* s = icalcomponent_as_ical_string_r(cal.get())) {
        calendario = s;
        std::free(s);
    }
    constexpr std::string_view kFin = "END:VCALENDAR\r\n";
    const std::size_t fin = calendario.rfind(kFin);
    if (fin == std::string::npos) {
        r.texto = std::move(calendario);
        return r;
    }
    // An event takes some 200 bytes.
    r.texto.reserve(calendario.size() + sucesos.size() * 240);
    r.texto.append(calendario, 0, fin);

    // Then the events, each written out and freed on its own: one big tree
    // took most of its time in the allocator.
    for (const Suceso& su : sucesos) {
        icaltimetype fin = su.inicio;
        icaltime_adjust(&fin, 1, 0, 0, 0);
        icalcomponent* ev = icalcomponent_new(ICAL_VEVENT_COMPONENT);
        icalcomponent_add_property(ev, icalproperty_new_uid(su.uid.c_str()));
        icalcomponent_add_property(ev, icalproperty_new_dtstamp(sello));
        icalcomponent_add_property(ev, icalproperty_new_dtstart(su.inicio));
        icalcomponent_add_property(ev, icalproperty_new_dtend(fin));
        if (su.frecuencia != ICAL_NO_RECURRENCE) {
            icalrecurrencetype regla;
            icalrecurrencetype_clear(&regla);
            regla.freq = su.frecuencia;
            regla.until = su.hasta;
            icalcomponent_add_property(ev, icalproperty_new_rrule(regla));
        }
        icalcomponent_add_property(ev, icalproperty_new_summary(Cp1252AUtf8(su.a->Texto).c_str()));
        // A reminder, not a busy day.
        icalcomponent_add_property(ev, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
        if (char* t = icalcomponent_as_ical_string_r(ev)) {
            r.texto += t;
            std::free(t);
        }
        icalcomponent_free(ev);
    }
    r.texto.append(calendario, fin);
    return r;
}

}  // namespace bindelora
