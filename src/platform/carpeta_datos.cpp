#include "platform/carpeta_datos.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/archivo.h"

namespace bindelora {

namespace {

std::string CarpetaDe(const std::string& ruta)
{
    const std::size_t barra = ruta.rfind('/');
    if (barra == std::string::npos) return ".";
    if (barra == 0) return "/";
    return ruta.substr(0, barra);
}

std::string NombreDe(const std::string& ruta)
{
    const std::size_t barra = ruta.rfind('/');
    return barra == std::string::npos ? ruta : ruta.substr(barra + 1);
}

// mkdir -p, new folders 0700 as the XDG rules ask; folders that exist
// keep their mode.
bool CrearCarpetas(const std::string& ruta, std::string& error)
{
    struct stat st {};
    if (::stat(ruta.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return true;
        error = "No se pudo crear la carpeta " + ruta + ": ya existe y no es una carpeta";
        return false;
    }
    const std::string padre = CarpetaDe(ruta);
    if (padre != ruta && padre != "." && !CrearCarpetas(padre, error)) return false;
    if (::mkdir(ruta.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "No se pudo crear la carpeta " + ruta + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

EntornoCarpetaDatos EntornoCarpetaDatos::Sistema()
{
    EntornoCarpetaDatos e;
    e.variable = [](const char* nombre) {
        const char* v = std::getenv(nombre);
        return std::string(v ? v : "");
    };
    e.casa = [] {
        const passwd* pw = ::getpwuid(::getuid());
        return std::string(pw && pw->pw_dir ? pw->pw_dir : "");
    };
    // A temporary file plus rename needs both write and search rights.
    e.escribible = [](const std::string& carpeta) { return ::access(carpeta.c_str(), W_OK | X_OK) == 0; };
    e.propia = CarpetaPropia;
    return e;
}

bool CarpetaPropia(const std::string& carpeta)
{
    struct stat st {};
    return ::stat(carpeta.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

CarpetaDatos ElegirCarpetaDatos(const std::string& rutaEjecutable, const EntornoCarpetaDatos& entorno)
{
    CarpetaDatos c;
    const std::string junto = CarpetaDe(rutaEjecutable);
    // Anyone else who may write there could read the book through a file
    // of their own, or put one in its place.
    if (entorno.escribible(junto) && (entorno.propia ? entorno.propia(junto) : CarpetaPropia(junto))) {
        c.ruta = junto;
        c.junto = true;
        return c;
    }
    std::string base = entorno.variable("XDG_DATA_HOME");
    // The XDG rules say a relative value is to be ignored.
    if (base.empty() || base.front() != '/') {
        std::string casa = entorno.variable("HOME");
        if (casa.empty()) casa = entorno.casa();
        base = (casa.empty() || casa == "/" ? std::string() : SinBarraFinal(casa)) + "/.local/share";
    }
    c.ruta = SinBarraFinal(base) + "/bindelora";
    CrearCarpetas(c.ruta, c.error);
    return c;
}

std::string RutaArchivoDatos(const std::string& rutaEjecutable, const std::string& ext,
                             const EntornoCarpetaDatos& entorno)
{
    const std::string alLado = NombreArchivoDatos(rutaEjecutable, ext);
    const CarpetaDatos c = ElegirCarpetaDatos(rutaEjecutable, entorno);
    if (c.junto) return alLado;
    return c.ruta + "/" + NombreDe(alLado);
}

RutasDatos RutasArchivosDatos(const std::string& rutaEjecutable, const EntornoCarpetaDatos& entorno)
{
    return {RutaArchivoDatos(rutaEjecutable, "dat", entorno), RutaArchivoDatos(rutaEjecutable, "avs", entorno)};
}

}  // namespace bindelora
