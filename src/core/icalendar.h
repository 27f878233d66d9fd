#pragma once
// The events as an iCalendar file (RFC 5545), written through libical.
#include <cstddef>
#include <string>

#include "core/avisal.h"
#include "core/fecha.h"

namespace bindelora {

// A moment in UTC, for the DTSTAMP every event carries.
struct MarcaUtc {
    Fecha fecha;
    int hora = 0, minuto = 0, segundo = 0;
};

struct ResultadoICalendar {
    std::string texto;          // UTF-8, CR LF
    std::size_t exportados = 0;
    std::size_t omitidos = 0;   // entries no calendar can hold (a monthly day above 31 ...)
};

// Every entry as an all-day event: year 9999 (birthdays and yearly feasts)
// recurs every year, a monthly entry every month until the year it names
// (9999: for ever), any other entry is a single day. The recurring ones
// start in hoy's year or month.
ResultadoICalendar ExportarICalendar(const ListaAvisales& lista, const Fecha& hoy, const MarcaUtc& ahora);

}  // namespace bindelora
