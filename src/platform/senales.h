#pragma once

namespace bindelora {

// SIGTERM, SIGINT and SIGHUP end the event loop, so the program shuts down
// the normal way (its data files are written) instead of dying mid-run.
void TerminarConSenales();

}  // namespace bindelora
