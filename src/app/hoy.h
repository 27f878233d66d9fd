#pragma once
// Today's events from the program's entry: read by the entry itself while
// the module that puts them in the window's order loads.
#include "ordenes_basicas.h"

namespace bindelora {

// --hoy with its arguments read (orden); the exit code.
int HoyOrdenBasica(const Orden& orden, const char* argv0);

}  // namespace bindelora
