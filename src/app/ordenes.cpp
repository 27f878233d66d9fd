// The modes for scripts that need Qt Core (the lock of the data folder, the
// settings, the ordering of texts) or libical, loaded by the program's entry
// only for them.
#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "linea_ordenes.h"

extern "C" __attribute__((visibility("default"))) int bindelora_ordenes(int argc, char** argv)
{
    return bindelora::EjecutarLineaOrdenes(argc, argv);
}

// For the entry's own --hoy, which reads the events while this module
// loads: the n texts (Windows-1252, with their lengths) in the window's
// order, as their positions into orden. Only plain types cross: the entry
// carries a C++ runtime of its own.
extern "C" __attribute__((visibility("default"))) void bindelora_ordenar_hoy(std::size_t n, const char* const* textos,
                                                                              const std::size_t* largos,
                                                                              std::size_t* orden)
{
    std::vector<std::string> t;
    t.reserve(n);
    for (std::size_t i = 0; i < n; ++i) t.emplace_back(textos[i], largos[i]);
    const std::vector<std::size_t> o = bindelora::OrdenTextosHoy(t);
    std::copy(o.begin(), o.end(), orden);
}
