#pragma once
#include <string>

namespace bindelora {

// The six settings, each named after its value in the settings store.
struct TConfig {
    std::string AlEjecutarMostrar;      // "LISTA", "DATOS", "CUMPLES", "AVISAL"
    std::string AlEjecutarOrdenar;      // "Nombre", "Apellido 1", "Apellido 2", "Grupo"
    std::string MostrarSucesosParaHoy;  // "SIEMPRE", "SOLO_UNA", "NUNCA"
    bool ReproducirWAVSucesosParaHoy = false;
    std::string WAVSucesosParaHoy;
    std::string CarpetaSincronizacion;  // the sync folder; empty: no sync
};

void ConfigPorDefecto(TConfig& c);

}  // namespace bindelora
