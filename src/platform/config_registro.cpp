#include "platform/config_registro.h"

#include "core/texto.h"

namespace bindelora {

bool EscribirConfig(Registro& reg, const TConfig& c)
{
    return reg.AbrirClave(true) && reg.EscribirCadena("AlEjecutarMostrar", c.AlEjecutarMostrar) &&
           reg.EscribirCadena("AlEjecutarOrdenar", c.AlEjecutarOrdenar) &&
           reg.EscribirCadena("MostrarSucesosParaHoy", c.MostrarSucesosParaHoy) &&
           reg.EscribirEntero("ReproducirWAVSucesosParaHoy", c.ReproducirWAVSucesosParaHoy ? 1 : 0) &&
           reg.EscribirCadena("WAVSucesosParaHoy", c.WAVSucesosParaHoy) &&
           reg.EscribirCadena("CarpetaSincronizacion", c.CarpetaSincronizacion);
}

std::string LeerCarpetaSincronizacion()
{
    Registro& reg = Registro::instancia();
    std::string carpeta;
    if (!reg.AbrirClave(false) || reg.LeerCadena("CarpetaSincronizacion", carpeta) != LecturaRegistro::Ok) return {};
    return Cp1252AUtf8(carpeta);
}

bool GuardarCarpetaSincronizacion(const std::string& carpeta, std::string& error)
{
    // The store keeps Windows-1252 on one line: a name that does not
    // survive that would name another folder.
    const std::string guardada = Utf8ACp1252(carpeta);
    if (Cp1252AUtf8(guardada) != carpeta || carpeta.find_first_of("\r\n") != std::string::npos) {
        error = "El nombre de la carpeta tiene caracteres que no se pueden guardar en la configuraci\xC3\xB3n: " +
                carpeta;
        return false;
    }
    Registro& reg = Registro::instancia();
    bool bien;
    if (reg.AbrirClave(false)) {
        bien = reg.EscribirCadena("CarpetaSincronizacion", guardada);
    } else if (!reg.Error().empty()) {
        bien = false;
    } else {
        TConfig c;
        ConfigPorDefecto(c);
        c.CarpetaSincronizacion = guardada;
        bien = EscribirConfig(reg, c);
    }
    if (!bien) error = "No se pudo guardar la configuraci\xC3\xB3n: " + reg.Error();
    return bien;
}

}  // namespace bindelora
