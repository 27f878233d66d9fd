// One entry's iCalendar file in the folder, through libical: an all-day
// event mapped as the iCalendar export maps it, read back the same way.
#include <cstdlib>
#include <memory>

#include <libical/ical.h>

#include "core/icalendar_interno.h"
#include "core/sinc_interno.h"
#include "core/texto.h"

namespace bindelora {

namespace {

struct Liberar {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Componente = std::unique_ptr<icalcomponent, Liberar>;

Componente Analizar(std::string_view texto)
{
    const std::string t(texto);
    return Componente(icalparser_parse_string(t.c_str()));
}

std::string Texto(icalcomponent* c)
{
    std::string r;
    if (char* s = icalcomponent_as_ical_string_r(c)) {
        r = s;
        std::free(s);
    }
    return r;
}

// The calendar's one event, or null when it has none or several.
icalcomponent* Evento(icalcomponent* cal, std::size_t& cuantos)
{
    cuantos = 0;
    if (!cal) return nullptr;
    if (icalcomponent_isa(cal) == ICAL_VEVENT_COMPONENT) {
        cuantos = 1;
        return cal;
    }
    icalcomponent* uno = nullptr;
    for (icalcomponent* e = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT)) {
        uno = e;
        ++cuantos;
    }
    return cuantos == 1 ? uno : nullptr;
}

// One line of text: the entry's text is one line of the events file.
std::string UnaLinea(std::string s)
{
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

bool SoloEsto(const icalrecurrencetype& r, int dia, int mes)
{
    if (r.interval > 1 || r.count != 0) return false;
    if (r.by_second[0] != ICAL_RECURRENCE_ARRAY_MAX || r.by_minute[0] != ICAL_RECURRENCE_ARRAY_MAX || r.by_hour[0] != ICAL_RECURRENCE_ARRAY_MAX ||
        r.by_day[0] != ICAL_RECURRENCE_ARRAY_MAX || r.by_year_day[0] != ICAL_RECURRENCE_ARRAY_MAX ||
        r.by_week_no[0] != ICAL_RECURRENCE_ARRAY_MAX || r.by_set_pos[0] != ICAL_RECURRENCE_ARRAY_MAX)
        return false;
    if (r.by_month_day[0] != ICAL_RECURRENCE_ARRAY_MAX && (r.by_month_day[0] != dia || r.by_month_day[1] != ICAL_RECURRENCE_ARRAY_MAX))
        return false;
    if (r.by_month[0] != ICAL_RECURRENCE_ARRAY_MAX && (r.by_month[0] != mes || r.by_month[1] != ICAL_RECURRENCE_ARRAY_MAX))
        return false;
    return true;
}

}  // namespace

bool MismoAvisal(const TAvisal& a, const TAvisal& b)
{
    return a.Dia == b.Dia && a.Mes == b.Mes && a.Ano == b.Ano && a.Texto == b.Texto;
}

ItemAvisal LeerItemICal(std::string_view texto)
{
    ItemAvisal r;
    Componente cal = Analizar(texto);
    if (!cal || (icalcomponent_isa(cal.get()) != ICAL_VCALENDAR_COMPONENT && icalcomponent_isa(cal.get()) != ICAL_VEVENT_COMPONENT)) {
        r.porque = "no es un calendario iCalendar";
        return r;
    }
    std::size_t cuantos = 0;
    icalcomponent* ev = Evento(cal.get(), cuantos);
    r.tipo = TipoLectura::NoRepresentable;
    if (!ev) {
        r.porque = cuantos == 0 ? "no tiene ning\xFAn suceso" : "tiene varios sucesos";
        return r;
    }
    if (const char* uid = icalcomponent_get_uid(ev)) r.uid = uid;
    icalproperty* pi = icalcomponent_get_first_property(ev, ICAL_DTSTART_PROPERTY);
    if (!pi) {
        r.porque = "el suceso no tiene fecha";
        return r;
    }
    const icaltimetype inicio = icalproperty_get_dtstart(pi);
    if (!inicio.is_date || icaltime_is_null_time(inicio)) {
        r.porque = "el suceso tiene hora";
        return r;
    }
    // A day of its own: no end or the next day.
    icaltimetype siguiente = inicio;
    icaltime_adjust(&siguiente, 1, 0, 0, 0);
    if (icalproperty* pf = icalcomponent_get_first_property(ev, ICAL_DTEND_PROPERTY)) {
        const icaltimetype fin = icalproperty_get_dtend(pf);
        if (!fin.is_date || icaltime_compare_date_only(fin, siguiente) != 0) {
            r.porque = "el suceso dura m\xE1s de un d\xED" "a";
            return r;
        }
    }
    if (icalcomponent_get_first_property(ev, ICAL_DURATION_PROPERTY) ||
        icalcomponent_get_first_property(ev, ICAL_RDATE_PROPERTY) ||
        icalcomponent_get_first_property(ev, ICAL_EXDATE_PROPERTY) ||
        icalcomponent_count_properties(ev, ICAL_RRULE_PROPERTY) > 1) {
        r.porque = "el suceso se repite de otra manera";
        return r;
    }
    auto a = std::make_unique<TAvisal>();
    a->Dia = inicio.day;
    a->Mes = inicio.month;
    a->Ano = inicio.year;
    if (icalproperty* pr = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY)) {
        const icalrecurrencetype regla = icalproperty_get_rrule(pr);
        const bool hasta = !icaltime_is_null_time(regla.until);
        bool bien = SoloEsto(regla, inicio.day, inicio.month);
        if (bien && regla.freq == ICAL_YEARLY_RECURRENCE && !hasta) {
            a->Ano = 9999;
        } else if (bien && regla.freq == ICAL_MONTHLY_RECURRENCE && regla.by_month[0] == ICAL_RECURRENCE_ARRAY_MAX) {
            a->Mes = 0;
            a->Ano = 9999;
            // Until the last day of the year before the entry's.
            if (hasta) {
                if (regla.until.month == 12 && regla.until.day == 31 && regla.until.year < 9998) a->Ano = regla.until.year + 1;
                else bien = false;
            }
        } else {
            bien = false;
        }
        if (!bien) {
            r.porque = "el suceso se repite de otra manera";
            return r;
        }
    } else if (a->Ano == 9999) {
        r.porque = "el suceso cae en el a\xF1o 9999";
        return r;
    }
    if (const char* s = icalcomponent_get_summary(ev)) a->Texto = UnaLinea(Utf8ACp1252(s));
    r.avisal = std::move(a);
    r.tipo = TipoLectura::Bien;
    return r;
}

std::string NuevoItemICal(const TAvisal& a, std::string_view uid, const Fecha& hoy, const MarcaUtc& ahora)
{
    ListaAvisales uno;
    uno.push_back(std::make_unique<TAvisal>(a));
    ResultadoICalendar r = ExportarICalendar(uno, hoy, ahora);
    if (r.exportados != 1) return {};
    Componente cal = Analizar(r.texto);
    std::size_t cuantos = 0;
    icalcomponent* ev = Evento(cal.get(), cuantos);
    if (!ev) return {};
    icalcomponent_set_uid(ev, std::string(uid).c_str());
    return Texto(cal.get());
}

std::string ReescribirICal(std::string_view archivo, const TAvisal& leido, const TAvisal& local, const Fecha& hoy,
                           const MarcaUtc& ahora)
{
    Componente cal = Analizar(archivo);
    std::size_t cuantos = 0;
    icalcomponent* ev = Evento(cal.get(), cuantos);
    if (!ev) return {};
    if (local.Texto != leido.Texto) icalcomponent_set_summary(ev, Cp1252AUtf8(local.Texto).c_str());
    if (local.Dia != leido.Dia || local.Mes != leido.Mes || local.Ano != leido.Ano) {
        Componente nuevo = Analizar(NuevoItemICal(local, "x", hoy, ahora));
        icalcomponent* nev = Evento(nuevo.get(), cuantos);
        if (!nev) return {};
        for (icalproperty_kind k : {ICAL_DTSTART_PROPERTY, ICAL_DTEND_PROPERTY, ICAL_DURATION_PROPERTY, ICAL_RRULE_PROPERTY}) {
            while (icalproperty* p = icalcomponent_get_first_property(ev, k)) {
                icalcomponent_remove_property(ev, p);
                icalproperty_free(p);
            }
            for (icalproperty* p = icalcomponent_get_first_property(nev, k); p;
                 p = icalcomponent_get_next_property(nev, k))
                icalcomponent_add_property(ev, icalproperty_new_clone(p));
        }
    }
    // Calendars tell a newer version by these.
    const icaltimetype sello = SelloUtc(ahora);
    icalcomponent_set_dtstamp(ev, sello);
    if (icalproperty* s = icalcomponent_get_first_property(ev, ICAL_SEQUENCE_PROPERTY))
        icalproperty_set_sequence(s, icalproperty_get_sequence(s) + 1);
    if (icalproperty* m = icalcomponent_get_first_property(ev, ICAL_LASTMODIFIED_PROPERTY))
        icalproperty_set_lastmodified(m, sello);
    return Texto(cal.get());
}

std::string CambiarUidICal(std::string_view archivo, std::string_view uid)
{
    Componente cal = Analizar(archivo);
    std::size_t cuantos = 0;
    icalcomponent* ev = Evento(cal.get(), cuantos);
    if (!ev) return {};
    icalcomponent_set_uid(ev, std::string(uid).c_str());
    return Texto(cal.get());
}

}  // namespace bindelora
