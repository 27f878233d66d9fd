#pragma once
// Today's events from the program's entry: it reads the data files itself
// while the module that puts the texts in the window's order (Qt Core)
// loads in another thread.
#include "ordenes_basicas.h"

namespace bindelora {

// --hoy with its arguments read (orden); the exit code.
int HoyOrdenBasica(const Orden& orden, const char* argv0);

}  // namespace bindelora
