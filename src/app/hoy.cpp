#include "hoy.h"

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

namespace {

// The module that puts the texts in the window's order, loaded in a second
// thread from the moment this is made: ICU takes about as long to load as
// the two data files take to read. (The iCalendar export gained nothing
// from loading its module this way: handing its events over cost what the
// overlap saved.)
class ModuloEnCarga {
public:
    ModuloEnCarga()
    {
        try {
            hilo_ = NuevoHilo([this] { modulo_ = AbrirModulo(Modulo::Hoy, error_); });
        } catch (const std::system_error&) {
            // No thread to be had: it is loaded when asked for.
            sinHilo_ = true;
        }
    }
    ~ModuloEnCarga() { Esperar(); }
    ModuloEnCarga(const ModuloEnCarga&) = delete;
    ModuloEnCarga& operator=(const ModuloEnCarga&) = delete;

    void Esperar()
    {
        if (hilo_.joinable()) hilo_.join();
    }

    // One of its functions, or null once the failure has been said.
    void* Funcion(const char* nombre)
    {
        Esperar();
        if (sinHilo_) {
            modulo_ = AbrirModulo(Modulo::Hoy, error_);
            sinHilo_ = false;
        }
        void* f = modulo_ ? ::dlsym(modulo_, nombre) : nullptr;
        if (!f) {
            if (modulo_) error_ = ::dlerror();
            DecirFalloDeModulo(Modulo::Hoy, error_);
        }
        return f;
    }

private:
    std::thread hilo_;
    bool sinHilo_ = false;
    void* modulo_ = nullptr;
    std::string error_;
};

// The day asked for, or today.
Fecha Hoy(const Orden& orden)
{
    return orden.resto.empty() ? HoyLocal() : orden.fecha;
}

}  // namespace

int HoyOrdenBasica(const Orden& orden, const char* argv0)
{
    ModuloEnCarga modulo;
    const std::string programa = RutaPropia(argv0);
    std::vector<std::string> textos;
    if (!TextosHoy(RutaArchivoDatos(programa, "dat"), RutaArchivoDatos(programa, "avs"), Hoy(orden), textos)) return 1;
    if (textos.size() > 1) {
        using Ordenar = void (*)(std::size_t, const char* const*, const std::size_t*, std::size_t*);
        const auto ordenar = reinterpret_cast<Ordenar>(modulo.Funcion("bindelora_ordenar_hoy"));
        if (!ordenar) return 1;
        std::vector<const char*> datos;
        std::vector<std::size_t> largos, posiciones(textos.size());
        for (const std::string& t : textos) {
            datos.push_back(t.data());
            largos.push_back(t.size());
        }
        ordenar(textos.size(), datos.data(), largos.data(), posiciones.data());
        std::vector<std::string> enOrden;
        enOrden.reserve(textos.size());
        for (std::size_t i : posiciones) enOrden.push_back(std::move(textos[i]));
        textos.swap(enOrden);
    }
    DecirTextosHoy(textos);
    return 0;
}

}  // namespace bindelora
