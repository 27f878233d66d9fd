#pragma once
// What the iCalendar export and the sync folder's events share of libical.
#include <libical/ical.h>

#include "core/icalendar.h"

namespace bindelora {

// The DTSTAMP (and LAST-MODIFIED) of a moment in UTC.
icaltimetype SelloUtc(const MarcaUtc& ahora);

}  // namespace bindelora
