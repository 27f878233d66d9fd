#include "core/archivo_avisal.h"

#include <cerrno>
#include <cstring>

#include "core/archivo.h"

namespace bindelora {

LecturaArchivoAvisal LeerArchivoAvisal(const std::string& ruta, const Fecha& hoy, ListaAvisales& lista)
{
    LecturaArchivoAvisal r;
    r.existe = ExisteArchivo(ruta);
    if (!r.existe) return r;
    std::string datos;
    int err = 0;
    if (!LeerArchivoEntero(ruta, datos, err)) {
        r.error = "No se pudo leer el archivo " + ruta + ": " + std::strerror(err);
        return r;
    }
    r.abierto = true;
    r.resultado = LeerAvisales(datos, hoy, lista);
    return r;
}

bool GuardarArchivoAvisal(const std::string& ruta, const ListaAvisales& lista, std::string& error)
{
    return EscribirArchivoSeguro(ruta, SerializarAvisales(lista), error);
}

}  // namespace bindelora
