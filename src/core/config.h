#pragma once
#include <string>

namespace bindelora {

// The five settings, each named after its value in the settings store.
struct TConfig {
    std::string AlEjecutarMostrar;      // "LISTA", "DATOS", "CUMPLES", "AVISAL"
    std::string AlEjecutarOrdenar;      // "Nombre", "Apellido 1", "Apellido 2", "Grupo"
    std::string MostrarSucesosParaHoy;  // "SIEMPRE", "SOLO_UNA", "NUNCA"
    bool ReproducirWAVSucesosParaHoy = false;
    std::string WAVSucesosParaHoy;
};

void ConfigPorDefecto(TConfig& c);

}  // namespace bindelora
