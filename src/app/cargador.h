#pragma once
// The windows and the modes for scripts that need Qt live in modules carried
// inside the program file itself, so that the program stays one file that
// can be copied anywhere with its data, and each start loads only the
// libraries its mode needs.

#include <string>

namespace bindelora {

enum class Modulo {
    Ventana,  // the windows: Qt Widgets, Gui, Multimedia
    Ordenes,  // the import: Qt Core
    Ics,  // the iCalendar export: libical
    Hoy,  // the order of today's events for the entry's --hoy: ICU
};

// Loads the module and runs it; returns the program's exit code.
int EjecutarModulo(Modulo modulo, int argc, char** argv);

// Loads the module without running it, for a function of its own (dlsym):
// null, with the reason in error, when it cannot be loaded.
void* AbrirModulo(Modulo modulo, std::string& error);

// Says on the error output that the module could not be loaded.
void DecirFalloDeModulo(Modulo modulo, const std::string& error);

}  // namespace bindelora
