#pragma once
// The events file on disk.
#include <string>

#include "core/avisal.h"

namespace bindelora {

struct LecturaArchivoAvisal {
    bool existe = false;   // there was a file
    bool abierto = false;  // it could be read
    ResultadoAvisales resultado;
    std::string error;     // Spanish, when it could not be read
    bool Correcta() const { return !existe || (abierto && resultado.ok); }
};

// Reads the events file into lista (which should be empty).
LecturaArchivoAvisal LeerArchivoAvisal(const std::string& ruta, const Fecha& hoy, ListaAvisales& lista);

// Writes the events file safely (temporary file renamed over the old one).
bool GuardarArchivoAvisal(const std::string& ruta, const ListaAvisales& lista, std::string& error);

}  // namespace bindelora
