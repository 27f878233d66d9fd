#pragma once
// `bindelora --sincronizar`: the book and the sync folder exchanged both
// ways without a window. No Qt here.
#include <string>
#include <string_view>
#include <vector>

#include "core/fecha.h"
#include "core/icalendar.h"

namespace bindelora {

struct SalidaSincronizar {
    int codigo = 0;  // 0 done, 1 an error was reported
    std::vector<std::string> lineas;   // Windows-1252: the summary, then the conflicts
    std::vector<std::string> errores;  // Windows-1252
};

// Reads both data files, exchanges with carpeta (new contacts placed by the
// ordering orden), writes back the data files that changed and sends. The
// caller holds the data folder's lock. A damaged data file stops it before
// anything is touched.
SalidaSincronizar SincronizarDatos(const std::string& agenda, const std::string& avisal, const std::string& carpeta,
                                   std::string_view orden, const Fecha& hoy, const MarcaUtc& ahora);

// The moment now, in UTC.
MarcaUtc AhoraUtc();

// Prints the result (UTF-8) and gives the exit code.
int DecirSincronizar(const SalidaSincronizar& s);

}  // namespace bindelora
