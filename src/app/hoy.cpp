#include "hoy.h"

#include <ctime>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <dlfcn.h>

#include "cargador.h"
#include "core/paralelo.h"
#include "ordenes_basicas.h"
#include "platform/carpeta_datos.h"

namespace bindelora {

int HoyOrdenBasica(const Orden& orden, const char* argv0)
{
    // The module that knows the window's order of texts loads meanwhile:
    // Qt Core and what it needs take as long as reading the two files.
    void* modulo = nullptr;
    std::string error;
    std::thread carga;
    bool cargando = false;
    try {
        carga = NuevoHilo([&] { modulo = AbrirModulo(Modulo::Ordenes, error); });
        cargando = true;
    } catch (const std::system_error&) {
    }
    Fecha hoy = orden.fecha;
    if (orden.resto.empty()) {
        // The local date, as the window's clock gives it.
        const std::time_t t = std::time(nullptr);
        std::tm local{};
        localtime_r(&t, &local);
        hoy = Fecha{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    }
    const std::string programa = RutaPropia(argv0);
    std::vector<std::string> textos;
    const bool leidos = TextosHoy(RutaArchivoDatos(programa, "dat"), RutaArchivoDatos(programa, "avs"), hoy, textos);
    if (carga.joinable()) carga.join();
    if (!leidos) return 1;
    if (textos.size() > 1) {
        if (!cargando) modulo = AbrirModulo(Modulo::Ordenes, error);
        using Ordenar = void (*)(std::size_t, const char* const*, const std::size_t*, std::size_t*);
        Ordenar ordenar = modulo ? reinterpret_cast<Ordenar>(::dlsym(modulo, "bindelora_ordenar_hoy")) : nullptr;
        if (!ordenar) {
            if (modulo) error = ::dlerror();
            DecirFalloDeModulo(Modulo::Ordenes, error);
            return 1;
        }
        std::vector<const char*> datos;
        std::vector<std::size_t> largos, posiciones(textos.size());
        for (const std::string& t : textos) {
            datos.push_back(t.data());
            largos.push_back(t.size());
        }
        ordenar(textos.size(), datos.data(), largos.data(), posiciones.data());
        std::vector<std::string> enOrden;
        enOrden.reserve(textos.size());
        for (std::size_t i : posiciones) enOrden.push_back(textos[i]);
        textos.swap(enOrden);
    }
    DecirTextosHoy(textos);
    return 0;
}

}  // namespace bindelora
