#include "core/archivo.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <string_view>
#include <system_error>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bindelora {

namespace fs = std::filesystem;

// ============================================================ SistemaArchivos

namespace {

std::atomic<SistemaArchivos*> gSistema{nullptr};

SistemaArchivos& Sistema() { return SistemaArchivos::instancia(); }

}  // namespace

SistemaArchivos& SistemaArchivos::instancia()
{
    static SistemaArchivos real;
    SistemaArchivos* otra = gSistema.load();
    return otra ? *otra : real;
}

void SistemaArchivos::setInstancia(SistemaArchivos* otra) { gSistema.store(otra); }

int SistemaArchivos::Fallo(int err)
{
    errno = err;
    return -1;
}

std::string SistemaArchivos::NombreTemporal(const std::string& ruta)
{
    // Drawn afresh from the system's source each time: a name another local
    // user could work out would let them take it first.
    unsigned long long n = 0;
    try {
        std::random_device fuente;
        n = (static_cast<unsigned long long>(fuente()) << 32) ^ fuente();
    } catch (const std::exception&) {
        // No source at all: O_EXCL still keeps the name safe, only guessable.
        static std::atomic<unsigned long long> contador{0};
        n = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
            (++contador << 48);
    }
    return ruta + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(n);
}

int SistemaArchivos::Abrir(const std::string& ruta, int flags, unsigned modo)
{
    return ::open(ruta.c_str(), flags, static_cast<mode_t>(modo));
}

long SistemaArchivos::Leer(int fd, char* p, std::size_t n) { return ::read(fd, p, n); }

long SistemaArchivos::Escribir(int fd, const char* p, std::size_t n) { return ::write(fd, p, n); }

int SistemaArchivos::Sincronizar(int fd) { return ::fsync(fd); }

int SistemaArchivos::Renombrar(const std::string& de, const std::string& a) { return ::rename(de.c_str(), a.c_str()); }

int SistemaArchivos::EnlazarSinReemplazar(const std::string& de, const std::string& a)
{
    if (::link(de.c_str(), a.c_str()) == 0) return 0;
    // Some file systems (FAT, some network ones) have no hard links; a rename
    // that refuses to replace keeps the promise there.
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) return -1;
    return ::renameat2(AT_FDCWD, de.c_str(), AT_FDCWD, a.c_str(), RENAME_NOREPLACE);
}

// ============================================================ helpers

std::string DescribirError(int e)
{
    switch (e) {
    case EACCES:
    case EPERM: return "permiso denegado";
    case ENOENT: return "no existe el archivo o la carpeta";
    case ENOTDIR: return "una parte de la ruta no es una carpeta";
    case EISDIR: return "es una carpeta";
    case ENODEV: return "no es un archivo normal";
    case EEXIST: return "ya existe";
    case ENOSPC: return "no queda espacio en el disco";
    case EDQUOT: return "se ha superado la cuota de disco";
    case EROFS: return "el disco es de solo lectura";
    case ENAMETOOLONG: return "la ruta es demasiado larga";
    case ELOOP: return "demasiados enlaces simbólicos";
    case EIO: return "error de entrada o salida";
    case EFBIG: return "el archivo es demasiado grande";
    case EMFILE:
    case ENFILE: return "hay demasiados archivos abiertos";
    case ENOMEM: return "no queda memoria";
    case EBUSY:
    case ETXTBSY: return "el archivo está en uso";
    case EXDEV: return "el enlace lleva a otro disco";
    default: return "error del sistema " + std::to_string(e);
    }
}

std::string SinBarraFinal(std::string s)
{
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

bool SoloDigitos(std::string_view s)
{
    if (s.empty() || s.size() > 10) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

bool EscribirTodo(int fd, const char* p, std::size_t n)
{
    SistemaArchivos& sistema = Sistema();
    while (n > 0) {
        const long w = sistema.Escribir(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        // A write that takes nothing would loop for ever.
        if (w == 0) {
            errno = EIO;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

namespace {

constexpr std::string_view kMarcaTemporal = ".tmp-";
constexpr int kIntentosNombre = 16;
constexpr int kEnlacesMaximos = 40;  // as the kernel allows

std::string ErrorGuardar(const std::string& ruta, int err)
{
    return "No se pudo guardar el archivo " + ruta + ": " + DescribirError(err);
}

std::string ErrorLeer(const std::string& ruta, int err)
{
    return "No se pudo leer el archivo " + ruta + ": " + DescribirError(err);
}

// Up to twenty digits: the random part of a temporary file's name.
bool DigitosAleatorios(std::string_view s)
{
    if (s.empty() || s.size() > 20) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// The process id in a temporary file's name "<file>.tmp-<pid>-<n>", or -1
// when the name is not one of ours.
long PidDeTemporal(std::string_view nombre)
{
    std::size_t marca = nombre.rfind(kMarcaTemporal);
    if (marca == std::string_view::npos) return -1;
    std::string_view resto = nombre.substr(marca + kMarcaTemporal.size());
    std::size_t guion = resto.find('-');
    if (guion == std::string_view::npos) return -1;
    if (!SoloDigitos(resto.substr(0, guion)) || !DigitosAleatorios(resto.substr(guion + 1))) return -1;
    return std::stol(std::string(resto.substr(0, guion)));
}

std::string CarpetaDe(const std::string& ruta)
{
    const std::string carpeta = fs::path(ruta).parent_path().string();
    return carpeta.empty() ? "." : carpeta;
}

// The file a chain of symbolic links at ruta ends in, which need not exist;
// ruta itself when it is no link. 0 or the errno.
int SeguirEnlaces(const std::string& ruta, std::string& real)
{
    real = ruta;
    for (int i = 0; i <= kEnlacesMaximos; ++i) {
        struct stat st;
        if (::lstat(real.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
        std::error_code ec;
        const fs::path destino = fs::read_symlink(real, ec);
        if (ec) return ec.value();
        real = destino.is_absolute() ? destino.string() : (fs::path(real).parent_path() / destino).string();
    }
    return ELOOP;
}

// Flushes a folder's entries, so a rename or link in it survives a crash.
// Nothing already written is lost when it fails, so it is not reported.
void SincronizarCarpeta(const std::string& carpeta)
{
    const int dir = Sistema().Abrir(carpeta, O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (dir < 0) return;
    Sistema().Sincronizar(dir);
    ::close(dir);
}

// A new file under a fresh temporary name beside base, with the mode modo
// and never a wider one, the umask notwithstanding; written by escribir and
// flushed to disk. fd closed. 0 or the errno; on failure nothing is left.
int CrearTemporal(const std::string& base, unsigned modo, const std::function<int(int)>& escribir,
                  std::string& temporal)
{
    SistemaArchivos& sistema = Sistema();
    int fd = -1;
    // O_EXCL | O_NOFOLLOW: whatever sits under the name, a link planted
    // there included, makes the name taken rather than being written.
    for (int intento = 0; intento < kIntentosNombre && fd < 0; ++intento) {
        temporal = sistema.NombreTemporal(base);
        fd = sistema.Abrir(temporal, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, modo & 0600);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return errno;
    // The umask may have narrowed it. A file system without modes refuses;
    // what it has is then no wider than asked for.
    ::fchmod(fd, static_cast<mode_t>(modo));
    int err = escribir(fd);
    if (err == 0 && sistema.Sincronizar(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err != 0) ::unlink(temporal.c_str());
    return err;
}

// Reads all of fd from its current place on into datos; 0 or the errno.
int LeerDescriptor(int fd, std::string& datos, std::size_t previsto, std::size_t maximo)
{
    SistemaArchivos& sistema = Sistema();
    datos.clear();
    // One byte over the expected size, so the end shows in the last read.
    datos.resize(previsto > 0 ? previsto + 1 : std::size_t{1} << 16);
    std::size_t lleno = 0;
    for (;;) {
        if (lleno == datos.size()) datos.resize(datos.size() * 2);
        const long r = sistema.Leer(fd, datos.data() + lleno, datos.size() - lleno);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            const int err = errno;
            datos.clear();
            return err;
        }
        if (r == 0) break;
        lleno += static_cast<std::size_t>(r);
        if (lleno > maximo) {
            datos.clear();
            return EFBIG;
        }
    }
    datos.resize(lleno);
    return 0;
}

// The whole of a regular file, and its mode; 0 or the errno.
int LeerTodo(const std::string& ruta, std::string& datos, unsigned& modo, std::size_t maximo)
{
    // O_NONBLOCK: a pipe in the file's place must not wait for a writer.
    const int fd = Sistema().Abrir(ruta, O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0);
    if (fd < 0) return errno;
    struct stat st;
    int err = 0;
    if (::fstat(fd, &st) != 0)
        err = errno;
    else if (S_ISDIR(st.st_mode))
        err = EISDIR;
    else if (!S_ISREG(st.st_mode))
        err = ENODEV;
    else if (static_cast<unsigned long long>(st.st_size) > maximo)
        err = EFBIG;
    else
        err = LeerDescriptor(fd, datos, static_cast<std::size_t>(st.st_size), maximo);
    if (err == 0) modo = static_cast<unsigned>(st.st_mode & 07777);
    ::close(fd);
    return err;
}

}  // namespace

// ============================================================ writes

int EscrituraSegura(const std::string& ruta, const std::function<int(int fd)>& escribir)
{
    // Saving through a symbolic link replaces the file it points to, in that
    // file's folder; the link stays a link.
    std::string real;
    if (const int err = SeguirEnlaces(ruta, real); err != 0) return err;

    unsigned modo = 0600;
    struct stat st;
    if (::stat(real.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return EISDIR;
        if (S_ISREG(st.st_mode)) modo = static_cast<unsigned>(st.st_mode & 07777);
    }
    std::string temporal;
    if (const int err = CrearTemporal(real, modo, escribir, temporal); err != 0) return err;
    if (Sistema().Renombrar(temporal, real) != 0) {
        const int err = errno;
        ::unlink(temporal.c_str());
        return err;
    }
    SincronizarCarpeta(CarpetaDe(real));
    return 0;
}

bool EscribirArchivoSeguro(const std::string& ruta, const std::function<int(int fd)>& escribir, std::string& error)
{
    const int err = EscrituraSegura(ruta, escribir);
    if (err != 0) error = ErrorGuardar(ruta, err);
    return err == 0;
}

bool EscribirArchivoSeguro(const std::string& ruta, const std::string& datos, std::string& error)
{
    return EscribirArchivoSeguro(
        ruta, [&datos](int fd) { return EscribirTodo(fd, datos.data(), datos.size()) ? 0 : errno; }, error);
}

bool CopiarRespaldo(const std::string& ruta, std::string& copia, std::string& error)
{
    std::string datos;
    unsigned modoOriginal = 0600;
    if (const int err = LeerTodo(ruta, datos, modoOriginal, static_cast<std::size_t>(-1)); err != 0) {
        error = ErrorLeer(ruta, err);
        return false;
    }
    // A backup is a new file of ours: private, whatever mode the original had.
    const unsigned modo = 0600;
    // Written whole under a temporary name first, then given the first free
    // backup name by a link, which fails rather than replace: a name taken
    // in the meantime by anything, even a dangling link or a folder, is
    // skipped.
    const std::string base = ruta + ".bak";
    std::string temporal;
    const int err = CrearTemporal(
        base, modo, [&datos](int fd) { return EscribirTodo(fd, datos.data(), datos.size()) ? 0 : errno; }, temporal);
    if (err != 0) {
        error = ErrorGuardar(base, err);
        return false;
    }
    for (int n = 0; n < 100000; ++n) {
        const std::string nombre = n == 0 ? base : base + "." + std::to_string(n);
        if (Sistema().EnlazarSinReemplazar(temporal, nombre) == 0) {
            ::unlink(temporal.c_str());
            SincronizarCarpeta(CarpetaDe(nombre));
            copia = nombre;
            return true;
        }
        if (errno != EEXIST) {
            error = ErrorGuardar(nombre, errno);
            ::unlink(temporal.c_str());
            return false;
        }
    }
    ::unlink(temporal.c_str());
    error = "No se pudo guardar la copia de " + ruta + ": hay demasiadas copias";
    return false;
}

// ============================================================ reads

bool LeerArchivoEntero(const std::string& ruta, std::string& datos, int& err, std::size_t maximo)
{
    unsigned modo = 0;
    err = LeerTodo(ruta, datos, modo, maximo);
    return err == 0;
}

bool LeerArchivoEntero(const std::string& ruta, std::string& datos, std::string& error)
{
    int err = 0;
    if (LeerArchivoEntero(ruta, datos, err)) return true;
    error = ErrorLeer(ruta, err);
    return false;
}

int ArchivoEnMemoria::Abrir(int fd)
{
    cambio_ = false;
    struct stat antes;
    if (::fstat(fd, &antes) != 0) return errno;
    const bool regular = S_ISREG(antes.st_mode);
    std::size_t previsto = 0;
    off_t desde = 0;
    if (regular) {
        // Standard input may come from a file already partly read.
        desde = ::lseek(fd, 0, SEEK_CUR);
        if (desde >= 0 && desde < antes.st_size) previsto = static_cast<std::size_t>(antes.st_size - desde);
    }
    if (const int err = LeerDescriptor(fd, datos_, previsto, static_cast<std::size_t>(-1)); err != 0) return err;
    if (regular) {
        struct stat despues;
        cambio_ = ::fstat(fd, &despues) != 0 || despues.st_size != antes.st_size ||
                  despues.st_mtim.tv_sec != antes.st_mtim.tv_sec ||
                  despues.st_mtim.tv_nsec != antes.st_mtim.tv_nsec ||
                  (desde >= 0 && datos_.size() != previsto);
    }
    return 0;
}

// ============================================================ names

std::string NombreArchivoDatos(const std::string& rutaEjecutable, const std::string& ext)
{
    std::size_t barra = rutaEjecutable.rfind('/');
    std::size_t inicioNombre = barra == std::string::npos ? 0 : barra + 1;
    std::size_t largoNombre = rutaEjecutable.size() - inicioNombre;
    if (largoNombre >= 4 && rutaEjecutable[rutaEjecutable.size() - 4] == '.')
        return rutaEjecutable.substr(0, rutaEjecutable.size() - 3) + ext;
    return rutaEjecutable + "." + ext;
}

bool ExisteArchivo(const std::string& ruta)
{
    std::error_code ec;
    return fs::is_regular_file(ruta, ec);
}

bool MismoArchivo(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    std::error_code e1, e2;
    const fs::path ca = fs::weakly_canonical(a, e1);
    const fs::path cb = fs::weakly_canonical(b, e2);
    return !e1 && !e2 && ca == cb;
}

// ============================================================ leftovers

int QuitarDeProcesosTerminados(const std::string& carpeta, const std::function<long(std::string_view)>& pidDe)
{
    int quitados = 0;
    std::error_code ec;
    fs::directory_iterator it(carpeta.empty() ? fs::path(".") : fs::path(carpeta), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const long pid = pidDe(it->path().filename().string());
        if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) continue;
        // A live process may still be writing it (a save of this very run,
        // or a pid reused since: then the file waits for a later start).
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        std::error_code ecTipo;
        if (!it->is_regular_file(ecTipo)) continue;
        if (::unlink(it->path().c_str()) == 0) ++quitados;
    }
    return quitados;
}

int LimpiarTemporales(const std::string& ruta)
{
    const fs::path camino(ruta);
    // "x.dat" -> "x.": the prefix shared by all the data files of the run.
    std::string prefijo = camino.filename().string();
    std::size_t punto = prefijo.rfind('.');
    prefijo = (punto == std::string::npos || punto == 0 ? prefijo + "." : prefijo.substr(0, punto + 1));
    return QuitarDeProcesosTerminados(camino.parent_path().string(), [&prefijo](std::string_view nombre) {
        return nombre.substr(0, prefijo.size()) == prefijo ? PidDeTemporal(nombre) : -1;
    });
}

}  // namespace bindelora
