#pragma once
// The modes for scripts: vCard and iCalendar interchange and today's events,
// run without any window or display.

namespace bindelora {

// Runs the mode the first argument names and returns the exit code, or -1
// when the arguments are for the window ("/LISTA" ..., anything else).
// Must run before any Qt application object exists.
int EjecutarLineaOrdenes(int& argc, char** argv);

}  // namespace bindelora
