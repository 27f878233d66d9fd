#pragma once
// The login reminder (--avisar), its switch at login (--avisar-al-iniciar)
// and the sync folder's setting (--sincronizar-en). No Qt in this header.
#include <chrono>
#include <string>

#include "core/fecha.h"

namespace bindelora {

// How long --avisar waits for the notification's action to be chosen.
inline constexpr std::chrono::minutes kEsperaAvisar{10};

// --avisar for the day hoy, with the data beside programa (this program's
// full path, which choosing the action starts with /AVISAL): the exit code.
// The notification goes to the session bus, or to the bus at direccionBus
// when given. With nothing to say nothing is sent; with no bus or no
// notification service the text goes to the standard output.
int AvisarOrden(const std::string& programa, const Fecha& hoy, const std::string& direccionBus = {},
                std::chrono::milliseconds espera = kEsperaAvisar);

// The reminder's text (UTF-8), empty when there is nothing to say. False
// (said on the error output) when the events file cannot be used.
bool TextoAvisar(const std::string& programa, const Fecha& hoy, std::string& texto);

// --avisar-al-iniciar si|no: writes or removes the login entry.
int AvisarAlIniciarOrden(const std::string& programa, const std::string& valor);

// --sincronizar-en CARPETA: stores the sync folder, made absolute; an empty
// one turns sync off.
int SincronizarEnOrden(const std::string& carpeta);

}  // namespace bindelora
