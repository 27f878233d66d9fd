#pragma once
// The settings as the settings store keeps them, for those that have no
// window: the command line, the sync engine.
#include <string>

#include "core/config.h"
#include "platform/registro.h"

namespace bindelora {

// Opens the key, creating it when missing, and writes the six values in
// their order. False (reg.Error() says why) on the first failed write.
bool EscribirConfig(Registro& reg, const TConfig& c);

// The sync folder as a file system path (UTF-8); empty when sync is off,
// never set, or the store cannot be read.
std::string LeerCarpetaSincronizacion();

// Stores the sync folder (UTF-8; empty turns sync off). A store without the
// key gets it with the other settings' defaults. False with a Spanish
// reason, also for a folder name the store cannot hold.
bool GuardarCarpetaSincronizacion(const std::string& carpeta, std::string& error);

}  // namespace bindelora
