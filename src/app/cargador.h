#pragma once
// The windows live in a module carried inside the program file itself, so
// that the program stays one file that can be copied anywhere with its data.

namespace bindelora {

// Loads the module and runs the windows; returns the program's exit code.
int EjecutarVentana(int argc, char** argv);

}  // namespace bindelora
