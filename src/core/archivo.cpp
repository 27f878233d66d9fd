#include "core/archivo.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <limits>
#include <mutex>
#include <random>
#include <string_view>
#include <system_error>

#include <csignal>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bindelora {

namespace fs = std::filesystem;

namespace {

std::string ErrorGuardar(const std::string& ruta, int err)
{
    return "No se pudo guardar el archivo " + ruta + ": " + std::strerror(err);
}


constexpr std::string_view kMarcaTemporal = ".tmp-";

}  // namespace

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

namespace {

// The process id in a temporary file's name "<file>.tmp-<pid>-<n>", or -1
// when the name is not one of ours.
long PidDeTemporal(std::string_view nombre)
{
    std::size_t marca = nombre.rfind(kMarcaTemporal);
    if (marca == std::string_view::npos) return -1;
    std::string_view resto = nombre.substr(marca + kMarcaTemporal.size());
    std::size_t guion = resto.find('-');
    if (guion == std::string_view::npos) return -1;
    if (!SoloDigitos(resto.substr(0, guion)) || !SoloDigitos(resto.substr(guion + 1))) return -1;
    return std::stol(std::string(resto.substr(0, guion)));
}

// Creates a new file next to ruta under a name nobody else uses. O_EXCL with
// mode 0666 lets the umask decide the permissions, as for any new file.
int CrearTemporal(const std::string& ruta, std::string& temporal)
{
    static thread_local std::mt19937 azar{std::random_device{}()};
    for (int intento = 0; intento < 100; ++intento) {
        temporal = ruta + std::string(kMarcaTemporal) + std::to_string(::getpid()) + "-" + std::to_string(azar() % 1000000);
        int fd = ::open(temporal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Writes all of datos; 0 or the errno of the failure.
std::function<int(int)> TodoDe(const std::string& datos)
{
    return [&datos](int fd) { return EscribirTodo(fd, datos.data(), datos.size()) ? 0 : errno; };
}

// modo < 0: keep the mode of the file being replaced, if any.
bool EscribirConModo(const std::string& rutaPedida, const std::function<int(int fd)>& escribir, int modo,
                     std::string& error)
{
    // Saving through a symbolic link replaces the file it points to, not
    // the link.
    std::string ruta = rutaPedida;
    std::error_code ec;
    if (fs::is_symlink(rutaPedida, ec)) {
        fs::path destino = fs::weakly_canonical(rutaPedida, ec);
        if (!ec) ruta = destino.string();
    }

    struct stat st;
    if (modo < 0 && ::stat(ruta.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        modo = static_cast<int>(st.st_mode & 07777);

    std::string temporal;
    int fd = CrearTemporal(ruta, temporal);
    if (fd < 0) {
        error = ErrorGuardar(rutaPedida, errno);
        return false;
    }
    int err = 0;
    if (modo >= 0 && ::fchmod(fd, static_cast<mode_t>(modo)) != 0) err = errno;
    if (err == 0) err = escribir(fd);
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0) {
        fs::rename(temporal, ruta, ec);
        if (ec) err = ec.value();
    }
    if (err != 0) {
        ::unlink(temporal.c_str());
        error = ErrorGuardar(rutaPedida, err);
        return false;
    }
    // Make the rename itself durable; a failure here loses nothing already
    // written, so it is not reported.
    std::string carpeta = fs::path(ruta).parent_path().string();
    int dir = ::open(carpeta.empty() ? "." : carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool LeerTodo(const std::string& ruta, std::string& datos, int& modo, int& err)
{
    int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        err = errno;
        ::close(fd);
        return false;
    }
    modo = static_cast<int>(st.st_mode & 07777);
    datos.clear();
    if (S_ISREG(st.st_mode)) datos.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t r = ::read(fd, buf, sizeof buf);
        if (r < 0) {
            if (errno == EINTR) continue;
            err = errno;
            ::close(fd);
            return false;
        }
        if (r == 0) break;
        datos.append(buf, static_cast<std::size_t>(r));
    }
    ::close(fd);
    return true;
}

}  // namespace

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

bool EscribirArchivoSeguro(const std::string& ruta, const std::string& datos, std::string& error)
{
    return EscribirConModo(ruta, TodoDe(datos), -1, error);
}

bool EscribirArchivoSeguro(const std::string& ruta, const std::function<int(int fd)>& escribir, std::string& error)
{
    return EscribirConModo(ruta, escribir, -1, error);
}

bool LeerArchivoEntero(const std::string& ruta, std::string& datos, int& err)
{
    int modo = 0;
    return LeerTodo(ruta, datos, modo, err);
}

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

bool CopiarRespaldo(const std::string& ruta, std::string& copia, std::string& error)
{
    std::string datos;
    int modo = -1;
    int err = 0;
    if (!LeerTodo(ruta, datos, modo, err)) {
        error = "No se pudo leer el archivo " + ruta + ": " + std::strerror(err);
        return false;
    }
    for (int n = 0; n < 100000; ++n) {
        std::string nombre = ruta + ".bak";
        if (n > 0) nombre += "." + std::to_string(n);
        std::error_code ec;
        // Anything already there under that name, even a dangling link or a
        // folder, is taken.
        fs::file_status estado = fs::symlink_status(nombre, ec);
        if (fs::exists(estado)) continue;
        if (estado.type() != fs::file_type::not_found) {
            error = ErrorGuardar(nombre, ec.value());
            return false;
        }
        // The copy keeps the original's permissions: the book is private.
        if (!EscribirConModo(nombre, TodoDe(datos), modo, error)) return false;
        copia = nombre;
        return true;
    }
    error = "No se pudo guardar la copia de " + ruta + ": demasiadas copias";
    return false;
}

namespace {

// The maps being read. Reading a page of a file that has been cut short
// raises SIGBUS; for a page of one of these maps, the handler puts zero
// pages over the rest of the map and marks it, and the read goes on.
struct MapaVigilado {
    std::atomic<std::uintptr_t> inicio{0};
    std::atomic<std::size_t> largo{0};
    std::atomic<bool> cortado{false};
};
MapaVigilado gVigilados[8];
struct sigaction gSigbusAnterior;
std::uintptr_t gPagina = 4096;  // read once, outside the handler

void AlSigbus(int sig, siginfo_t* info, void* contexto)
{
    const auto dir = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (MapaVigilado& m : gVigilados) {
        const std::uintptr_t inicio = m.inicio.load();
        const std::size_t largo = m.largo.load();
        if (inicio == 0 || dir < inicio || dir - inicio >= largo) continue;
        const std::uintptr_t desde = dir & ~(gPagina - 1);
        if (::mmap(reinterpret_cast<void*>(desde), inicio + largo - desde, PROT_READ,
                   MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) == MAP_FAILED)
            break;
        m.cortado.store(true);
        return;
    }
    // Not ours: as the program would have done without this handler.
    if (gSigbusAnterior.sa_flags & SA_SIGINFO) {
        if (gSigbusAnterior.sa_sigaction) return gSigbusAnterior.sa_sigaction(sig, info, contexto);
    } else if (gSigbusAnterior.sa_handler != SIG_DFL && gSigbusAnterior.sa_handler != SIG_IGN) {
        return gSigbusAnterior.sa_handler(sig);
    }
    ::signal(SIGBUS, SIG_DFL);
    ::raise(SIGBUS);
}

std::mutex gVigilanciaMutex;

// A free place among the guarded maps, the handler set up on first use;
// -1 when there is none.
int Vigilar(void* mapa, std::size_t largo)
{
    std::lock_guard<std::mutex> cerrojo(gVigilanciaMutex);
    static const bool instalado = [] {
        if (const long p = ::sysconf(_SC_PAGESIZE); p > 0) gPagina = static_cast<std::uintptr_t>(p);
        struct sigaction sa {};
        sa.sa_sigaction = AlSigbus;
        sa.sa_flags = SA_SIGINFO;
        sigemptyset(&sa.sa_mask);
        return ::sigaction(SIGBUS, &sa, &gSigbusAnterior) == 0;
    }();
    if (!instalado) return -1;
    for (int i = 0; i < static_cast<int>(std::size(gVigilados)); ++i) {
        MapaVigilado& m = gVigilados[i];
        if (m.inicio.load() != 0) continue;
        m.cortado.store(false);
        m.largo.store(largo);
        m.inicio.store(reinterpret_cast<std::uintptr_t>(mapa));
        return i;
    }
    return -1;
}

void DejarDeVigilar(int i)
{
    std::lock_guard<std::mutex> cerrojo(gVigilanciaMutex);
    gVigilados[i].inicio.store(0);
    gVigilados[i].largo.store(0);
}

}  // namespace

ArchivoEnMemoria::~ArchivoEnMemoria()
{
    if (vigilancia_ >= 0) DejarDeVigilar(vigilancia_);
    if (mapa_) ::munmap(mapa_, largo_);
}

bool ArchivoEnMemoria::Cambio() const
{
    return vigilancia_ >= 0 && gVigilados[vigilancia_].cortado.load();
}

int ArchivoEnMemoria::Abrir(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0) return errno;
    // Mapped only from its start: standard input may come from a file
    // already partly read.
    const bool mapeable = S_ISREG(st.st_mode) && st.st_size > 0 && ::lseek(fd, 0, SEEK_CUR) == 0;
    if (mapeable) {
        largo_ = static_cast<std::size_t>(st.st_size);
        void* m = ::mmap(nullptr, largo_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (m != MAP_FAILED) {
            // Only a guarded map is kept; otherwise the file is read.
            vigilancia_ = Vigilar(m, largo_);
            if (vigilancia_ >= 0) {
                mapa_ = m;
                return 0;
            }
            ::munmap(m, largo_);
        }
    }
    if (S_ISREG(st.st_mode) && st.st_size > 0) copia_.reserve(static_cast<std::size_t>(st.st_size));
    char buf[1 << 16];
    for (;;) {
        const ssize_t r = ::read(fd, buf, sizeof buf);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return errno;
        if (r == 0) return 0;
        copia_.append(buf, static_cast<std::size_t>(r));
    }
}

std::string_view ArchivoEnMemoria::Datos() const
{
    return mapa_ ? std::string_view(static_cast<const char*>(mapa_), largo_) : std::string_view(copia_);
}

bool EscribirTodo(int fd, const char* p, std::size_t n)
{
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

}  // namespace bindelora
