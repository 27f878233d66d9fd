#pragma once
// The modes for scripts: the vCard import and export, the iCalendar export,
// today's events and the help, without any window or display.
#include <cstddef>
#include <string>
#include <vector>

namespace bindelora {

// Runs the mode the first argument names and returns the exit code, or -1
// when the arguments are for the window ("/LISTA" ..., anything else).
// Must run before any Qt application object exists.
int EjecutarLineaOrdenes(int& argc, char** argv);

// The positions of today's texts (Windows-1252) in the order the
// today's-events window gives them; equal texts keep theirs.
std::vector<std::size_t> OrdenTextosHoy(const std::vector<std::string>& textos);

}  // namespace bindelora
