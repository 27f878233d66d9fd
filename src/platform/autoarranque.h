#pragma once
// The desktop's autostart entry that runs "bindelora --avisar" at login.
// No Qt: the command line switches it without loading any.
#include <string>

namespace bindelora {

// $XDG_CONFIG_HOME/autostart/com.quenturo.Bindelora.Avisos.desktop
// (~/.config when unset or relative).
std::string RutaEntradaAutoarranque();

// The entry whose Exec runs programa (a full path) with --avisar. False,
// with a Spanish reason, for a path no entry can hold (control characters,
// not UTF-8).
bool TextoEntradaAutoarranque(const std::string& programa, std::string& texto, std::string& error);

bool AvisosAlIniciarActivos();

// Writes (si) or removes the entry; removing one that is not there is no
// failure. False with a Spanish reason.
bool PonerAvisosAlIniciar(bool si, const std::string& programa, std::string& error);

}  // namespace bindelora
