#include "cargador.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

// An anonymous memory file that may hold code: newer kernels can make such
// files non-executable unless asked (MFD_EXEC), older ones know no such flag.
int MemoriaEjecutable()
{
#ifndef MFD_EXEC
    constexpr unsigned int MFD_EXEC = 0x0010U;
#endif
    int fd = ::memfd_create("bindelora-ventana", MFD_CLOEXEC | MFD_EXEC);
    if (fd < 0 && errno == EINVAL) fd = ::memfd_create("bindelora-ventana", MFD_CLOEXEC);
    return fd;
}

// In memory when the system allows it; otherwise in a temporary file that
// is gone as soon as it is loaded, in the first folder that lets it run
// (a temporary folder may be mounted without that right).
void* CargarModulo(std::string& error)
{
    const int memoria = MemoriaEjecutable();
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
    std::vector<std::string> carpetas;
    for (const char* variable : {"XDG_RUNTIME_DIR", "TMPDIR"})
        if (const char* v = std::getenv(variable); v && *v) carpetas.push_back(v);
    carpetas.insert(carpetas.end(), {"/tmp", "/var/tmp", "/dev/shm"});
    if (const char* casa = std::getenv("HOME"); casa && *casa) carpetas.push_back(std::string(casa) + "/.cache");
    for (const std::string& carpeta : carpetas) {
        std::string ruta = carpeta + "/bindelora-ventana-XXXXXX";
        const int fd = ::mkstemp(ruta.data());
        if (fd < 0) {
            if (error.empty()) error = std::strerror(errno);
            continue;
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
        if (h) return h;
    }
    return nullptr;
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
