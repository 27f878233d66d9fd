#include "cargador.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

// The module's bytes, placed in the program by modulo.S.
extern "C" const char bindelora_modulo_inicio[];
extern "C" const char bindelora_modulo_fin[];

namespace bindelora {

namespace {

bool EscribirModulo(int fd)
{
    const char* p = bindelora_modulo_inicio;
    while (p < bindelora_modulo_fin) {
        const ssize_t w = ::write(fd, p, static_cast<std::size_t>(bindelora_modulo_fin - p));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
    }
    return true;
}

// In memory when the system allows it; otherwise in a temporary file that
// is gone as soon as it is loaded.
void* CargarModulo(std::string& error)
{
    const int memoria = ::memfd_create("bindelora-ventana", MFD_CLOEXEC);
    if (memoria >= 0) {
        void* h = nullptr;
        if (EscribirModulo(memoria)) {
            h = ::dlopen(("/proc/self/fd/" + std::to_string(memoria)).c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!h) error = ::dlerror();
        } else {
            error = std::strerror(errno);
        }
        ::close(memoria);
        if (h) return h;
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string ruta = std::string(tmp && *tmp ? tmp : "/tmp") + "/bindelora-ventana-XXXXXX";
    const int fd = ::mkstemp(ruta.data());
    if (fd < 0) {
        if (error.empty()) error = std::strerror(errno);
        return nullptr;
    }
    void* h = nullptr;
    if (EscribirModulo(fd) && ::close(fd) == 0) {
        h = ::dlopen(ruta.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!h) error = ::dlerror();
    } else {
        error = std::strerror(errno);
        ::close(fd);
    }
    ::unlink(ruta.c_str());
    return h;
}

}  // namespace

int EjecutarVentana(int argc, char** argv)
{
    std::string error;
    void* modulo = CargarModulo(error);
    using Ventana = int (*)(int, char**);
    Ventana ventana = modulo ? reinterpret_cast<Ventana>(::dlsym(modulo, "bindelora_ventana")) : nullptr;
    if (!ventana) {
        if (modulo) error = ::dlerror();
        std::fprintf(stderr, "bindelora: no se pudo cargar la ventana: %s\n", error.c_str());
        return 1;
    }
    // Never unloaded: the windows' last destructors run at exit.
    return ventana(argc, argv);
}

}  // namespace bindelora
