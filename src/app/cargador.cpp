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

// The modules' bytes, placed in the program by modulo.S.
extern "C" const char bindelora_ventana_inicio[];
extern "C" const char bindelora_ventana_fin[];
extern "C" const char bindelora_ordenes_inicio[];
extern "C" const char bindelora_ordenes_fin[];
extern "C" const char bindelora_ics_inicio[];
extern "C" const char bindelora_ics_fin[];
extern "C" const char bindelora_hoy_inicio[];
extern "C" const char bindelora_hoy_fin[];

namespace bindelora {

namespace {

struct Bytes {
    const char* inicio;
    const char* fin;
    const char* nombre;  // of the memory file and the entry point
};

bool EscribirModulo(int fd, const Bytes& m)
{
    const char* p = m.inicio;
    while (p < m.fin) {
        const ssize_t w = ::write(fd, p, static_cast<std::size_t>(m.fin - p));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
    }
    return true;
}

// An anonymous memory file that may hold code: newer kernels can make such
// files non-executable unless asked (MFD_EXEC), older ones know no such flag.
int MemoriaEjecutable(const std::string& nombre)
{
#ifndef MFD_EXEC
    constexpr unsigned int MFD_EXEC = 0x0010U;
#endif
    int fd = ::memfd_create(nombre.c_str(), MFD_CLOEXEC | MFD_EXEC);
    if (fd < 0 && errno == EINVAL) fd = ::memfd_create(nombre.c_str(), MFD_CLOEXEC);
    return fd;
}

// In memory when the system allows it; otherwise in a temporary file that
// is gone as soon as it is loaded, in the first folder that lets it run
// (a temporary folder may be mounted without that right).
void* CargarModulo(const Bytes& m, std::string& error)
{
    const std::string nombre = std::string("bindelora-") + m.nombre;
    const int memoria = MemoriaEjecutable(nombre);
    if (memoria >= 0) {
        void* h = nullptr;
        if (EscribirModulo(memoria, m)) {
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
        std::string ruta = carpeta + "/" + nombre + "-XXXXXX";
        const int fd = ::mkstemp(ruta.data());
        if (fd < 0) {
            if (error.empty()) error = std::strerror(errno);
            continue;
        }
        void* h = nullptr;
        if (EscribirModulo(fd, m) && ::close(fd) == 0) {
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

Bytes BytesDe(Modulo modulo)
{
    switch (modulo) {
    case Modulo::Ventana:
        return {bindelora_ventana_inicio, bindelora_ventana_fin, "ventana"};
    case Modulo::Ordenes:
        return {bindelora_ordenes_inicio, bindelora_ordenes_fin, "ordenes"};
    case Modulo::Ics:
        return {bindelora_ics_inicio, bindelora_ics_fin, "ics"};
    case Modulo::Hoy:
        break;
    }
    return {bindelora_hoy_inicio, bindelora_hoy_fin, "hoy"};
}

}  // namespace

void* AbrirModulo(Modulo modulo, std::string& error)
{
    // Never unloaded: the module's last destructors run at exit.
    return CargarModulo(BytesDe(modulo), error);
}

void DecirFalloDeModulo(Modulo modulo, const std::string& error)
{
    std::fprintf(stderr, "bindelora: no se pudo cargar %s: %s\n",
                 modulo == Modulo::Ventana ? "la ventana" : "el m\xC3\xB3" "dulo de \xC3\xB3rdenes", error.c_str());
}

int EjecutarModulo(Modulo modulo, int argc, char** argv)
{
    std::string error;
    void* h = AbrirModulo(modulo, error);
    using Entrada = int (*)(int, char**);
    const std::string nombre = std::string("bindelora_") + BytesDe(modulo).nombre;
    Entrada entrada = h ? reinterpret_cast<Entrada>(::dlsym(h, nombre.c_str())) : nullptr;
    if (!entrada) {
        if (h) error = ::dlerror();
        DecirFalloDeModulo(modulo, error);
        return 1;
    }
    return entrada(argc, argv);
}

}  // namespace bindelora
