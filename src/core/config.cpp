#include "core/config.h"

namespace bindelora {

void ConfigPorDefecto(TConfig& c)
{
    c.AlEjecutarMostrar = "LISTA";
    c.AlEjecutarOrdenar = "Apellido 1";
    c.MostrarSucesosParaHoy = "SIEMPRE";
    c.ReproducirWAVSucesosParaHoy = false;
    c.WAVSucesosParaHoy.clear();
    c.CarpetaSincronizacion.clear();
}

}  // namespace bindelora
