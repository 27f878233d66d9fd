#include "core/recuperacion.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/archivo.h"

namespace bindelora {

namespace fs = std::filesystem;

namespace {

std::string CarpetaDeRuta(const std::string& ruta)
{
    const std::size_t barra = ruta.rfind('/');
    if (barra == std::string::npos) return ".";
    return barra == 0 ? "/" : ruta.substr(0, barra);
}

std::string NombreDeRuta(const std::string& ruta)
{
    const std::size_t barra = ruta.rfind('/');
    return barra == std::string::npos ? ruta : ruta.substr(barra + 1);
}

std::string Unir(const std::string& carpeta, const std::string& nombre)
{
    return (carpeta == "/" ? std::string() : carpeta) + "/" + nombre;
}

}  // namespace

std::string RutaReal(const std::string& ruta)
{
    std::string actual = ruta;
    // As many links as the kernel itself follows.
    for (int salto = 0; salto < 40; ++salto) {
        struct stat st;
        if (::lstat(actual.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        char destino[PATH_MAX];
        const ssize_t n = ::readlink(actual.c_str(), destino, sizeof destino - 1);
        if (n <= 0) break;
        const std::string d(destino, static_cast<std::size_t>(n));
        actual = d.front() == '/' ? d : Unir(CarpetaDeRuta(actual), d);
    }
    char carpeta[PATH_MAX];
    if (!::realpath(CarpetaDeRuta(actual).c_str(), carpeta)) return actual;
    return Unir(carpeta, NombreDeRuta(actual));
}

std::string RutaRecuperacion(const std::string& datos)
{
    return RutaReal(datos) + ".recuperacion";
}

std::string RutaDescartada(const std::string& recuperacion)
{
    return recuperacion + ".descartado";
}

std::string RecuperacionPendiente(const std::string& agenda, const std::string& avisal)
{
    for (const std::string* datos : {&agenda, &avisal})
        if (const std::string copia = RutaRecuperacion(*datos); ExisteArchivo(copia)) return copia;
    return {};
}

HuellaArchivo HuellaDe(const std::string& ruta)
{
    HuellaArchivo h;
    struct stat st;
    if (::stat(ruta.c_str(), &st) != 0) return h;
    h.existe = true;
    h.dispositivo = st.st_dev;
    h.inodo = st.st_ino;
    h.tamano = static_cast<std::uint64_t>(st.st_size);
    h.modificado = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return h;
}

bool ApartarSiCambio(const std::string& ruta, const HuellaArchivo& leida, std::string& apartado, std::string& error)
{
    apartado.clear();
    const HuellaArchivo ahora = HuellaDe(ruta);
    // Gone since: nothing of the other program's to keep.
    if (!ahora.existe || ahora == leida) return false;
    const std::time_t t = static_cast<std::time_t>(ahora.modificado / 1000000000);
    std::tm local{};
    ::localtime_r(&t, &local);
    char sello[32];
    std::strftime(sello, sizeof sello, "%Y%m%d-%H%M%S", &local);
    const std::string base = ruta + ".otra-" + sello;
    for (int n = 1; n < 1000; ++n) {
        const std::string nombre = n == 1 ? base : base + "-" + std::to_string(n);
        std::error_code ec;
        if (fs::exists(fs::symlink_status(nombre, ec))) continue;
        // Never over another kept version, even one made at this instant.
        if (::link(ruta.c_str(), nombre.c_str()) == 0) {
            ::unlink(ruta.c_str());
            apartado = nombre;
            return true;
        }
        if (errno == EEXIST) continue;
        // Folders that take no hard links still take a rename.
        if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EXDEV) break;
        if (::rename(ruta.c_str(), nombre.c_str()) == 0) {
            apartado = nombre;
            return true;
        }
        break;
    }
    error = "No se pudo apartar el archivo " + ruta + ": " + std::strerror(errno);
    return false;
}

bool DescartarRecuperacion(const std::string& recuperacion, std::string& destino, std::string& error)
{
    destino = RutaDescartada(recuperacion);
    if (::rename(recuperacion.c_str(), destino.c_str()) == 0) return true;
    error = "No se pudo renombrar el archivo " + recuperacion + ": " + std::strerror(errno);
    return false;
}

std::time_t ModificadoEn(const std::string& ruta)
{
    struct stat st;
    return ::stat(ruta.c_str(), &st) == 0 ? st.st_mtime : 0;
}

std::string RespaldoIgual(const std::string& ruta)
{
    std::string datos;
    int err = 0;
    if (!LeerArchivoEntero(ruta, datos, err)) return {};
    const std::string carpeta = CarpetaDeRuta(ruta);
    const std::string prefijo = NombreDeRuta(ruta) + ".bak";
    std::error_code ec;
    for (fs::directory_iterator it(carpeta, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string nombre = it->path().filename().string();
        if (nombre.compare(0, prefijo.size(), prefijo) != 0) continue;
        const std::string resto = nombre.substr(prefijo.size());
        if (!resto.empty() && (resto[0] != '.' || !SoloDigitos(resto.substr(1)))) continue;
        std::error_code ecTam;
        if (!it->is_regular_file(ecTam) || it->file_size(ecTam) != datos.size() || ecTam) continue;
        std::string copia;
        const std::string camino = Unir(carpeta, nombre);
        if (LeerArchivoEntero(camino, copia, err) && copia == datos) return camino;
    }
    return {};
}

EscritorDiferido::EscritorDiferido() : hilo_([this] { Trabajar(); }) {}

EscritorDiferido::~EscritorDiferido()
{
    {
        std::lock_guard<std::mutex> cerrojo(mutex_);
        fin_ = true;
    }
    hayTrabajo_.notify_one();
    hilo_.join();
}

void EscritorDiferido::Pedir(const std::string& ruta, std::string datos)
{
    {
        std::lock_guard<std::mutex> cerrojo(mutex_);
        pendientes_[ruta] = std::move(datos);
    }
    hayTrabajo_.notify_one();
}

bool EscritorDiferido::Esperar(std::string& error)
{
    std::unique_lock<std::mutex> cerrojo(mutex_);
    hecho_.wait(cerrojo, [this] { return pendientes_.empty() && !escribiendo_; });
    error = std::move(error_);
    error_.clear();
    return error.empty();
}

std::string EscritorDiferido::Fallo()
{
    std::lock_guard<std::mutex> cerrojo(mutex_);
    return std::exchange(error_, std::string());
}

void EscritorDiferido::Trabajar()
{
    std::unique_lock<std::mutex> cerrojo(mutex_);
    for (;;) {
        hayTrabajo_.wait(cerrojo, [this] { return fin_ || !pendientes_.empty(); });
        // The pending writes are done even at the end: Esperar may be waiting.
        if (pendientes_.empty()) return;
        auto nodo = pendientes_.extract(pendientes_.begin());
        escribiendo_ = true;
        cerrojo.unlock();
        std::string error;
        const bool bien = EscribirArchivoSeguro(nodo.key(), nodo.mapped(), error);
        // The text is freed outside the lock.
        nodo = {};
        cerrojo.lock();
        escribiendo_ = false;
        if (!bien && error_.empty()) error_ = error;
        if (pendientes_.empty()) hecho_.notify_all();
    }
}

}  // namespace bindelora
