#pragma once
// The exports for scripts: each reads the data files beside the program
// (programa) and writes archivo, "-" being the standard output; the exit
// code.
#include <string>

#include "core/vcard.h"

namespace bindelora {

// The whole agenda in vCard.
int ExportarVCardOrden(const std::string& programa, const std::string& archivo, VersionVCard version);

// The event list, as the window has it after its start, in iCalendar.
int ExportarIcsOrden(const std::string& programa, const std::string& archivo);

}  // namespace bindelora
