#include "core/archivo_avisal.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "core/archivo.h"

namespace bindelora {

LecturaArchivoAvisal LeerArchivoAvisal(const std::string& ruta, const Fecha& hoy, ListaAvisales& lista)
{
    LecturaArchivoAvisal r;
    r.existe = ExisteArchivo(ruta);
    if (!r.existe) return r;
    std::ifstream f(ruta, std::ios::binary);
    std::string datos;
    if (f) datos.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    if (!f.is_open() || f.bad()) {
        r.error = "No se pudo leer el archivo " + ruta + ": " + std::strerror(errno);
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
