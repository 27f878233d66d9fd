#pragma once
// The modes for scripts that need Qt Core: the vCard import (and the vCard
// export and today's events, which the program's entry otherwise runs
// itself), without any window or display.
#include <cstddef>
#include <string>
#include <vector>

namespace bindelora {

// Runs the mode the first argument names and returns the exit code, or -1
// when the arguments are for the window ("/LISTA" ..., anything else).
// Must run before any Qt application object exists.
int EjecutarLineaOrdenes(int& argc, char** argv);

// The order of the today's-events window for today's texts (Windows-1252):
// the locale's collation, which takes Qt Core. The positions of the texts
// in that order; equal texts keep theirs.
std::vector<std::size_t> OrdenTextosHoy(const std::vector<std::string>& textos);

}  // namespace bindelora
