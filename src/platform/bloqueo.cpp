#include "platform/bloqueo.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/archivo.h"
#include "core/recuperacion.h"

namespace bindelora {

namespace {

std::string PrimeraLinea(const std::string& archivo)
{
    std::ifstream f(archivo);
    std::string linea;
    std::getline(f, linea);
    return linea;
}

std::string NombreMaquina()
{
    char nombre[256] = {};
    if (::gethostname(nombre, sizeof nombre - 1) != 0) return {};
    return nombre;
}

// Changes at every boot: a lock of an earlier boot is stale whatever its
// process id has become since.
std::string Arranque()
{
    return PrimeraLinea("/proc/sys/kernel/random/boot_id");
}

std::string NombreProceso(const std::string& pid)
{
    return PrimeraLinea("/proc/" + pid + "/comm");
}

// Qt's lock file lines, so that locks of earlier versions still read:
// process id, program, machine, machine id, boot id.
std::string Contenido()
{
    return std::to_string(::getpid()) + "\n" + NombreProceso("self") + "\n" + NombreMaquina() + "\n" +
           PrimeraLinea("/etc/machine-id") + "\n" + Arranque() + "\n";
}

std::vector<std::string> Lineas(const std::string& texto)
{
    std::vector<std::string> lineas;
    std::size_t desde = 0;
    while (desde < texto.size()) {
        std::size_t fin = texto.find('\n', desde);
        if (fin == std::string::npos) fin = texto.size();
        lineas.push_back(texto.substr(desde, fin - desde));
        desde = fin + 1;
    }
    return lineas;
}

std::string CarpetaDeBloqueo(const std::string& ruta)
{
    const std::size_t barra = ruta.rfind('/');
    if (barra == std::string::npos) return ".";
    return barra == 0 ? "/" : ruta.substr(0, barra);
}

}  // namespace

BloqueoDatos::BloqueoDatos(const std::string& rutaAgenda)
{
    carpeta_ = CarpetaDeBloqueo(RutaReal(rutaAgenda));
    ruta_ = (carpeta_ == "/" ? std::string() : carpeta_) + "/" + kNombre;
    // A stale lock taken over may meet another start doing the same.
    for (int intento = 0; intento < 3; ++intento) {
        if (Crear()) {
            estado_ = Estado::Tomado;
            // What a run killed between writing and linking its lock left.
            const std::string prefijo = std::string(kNombre) + ".nuevo-";
            QuitarDeProcesosTerminados(carpeta_, [&prefijo](std::string_view nombre) {
                return nombre.substr(0, prefijo.size()) == prefijo && SoloDigitos(nombre.substr(prefijo.size()))
                           ? std::stol(std::string(nombre.substr(prefijo.size())))
                           : -1L;
            });
            return;
        }
        if (estado_ == Estado::SinBloqueo || !Abandonado()) return;
    }
    estado_ = Estado::Ocupado;
}

BloqueoDatos::~BloqueoDatos()
{
    if (estado_ != Estado::Tomado) return;
    // Only the lock this run made: never one that replaced it meanwhile.
    struct stat st;
    if (::lstat(ruta_.c_str(), &st) == 0 && st.st_dev == dispositivo_ && st.st_ino == inodo_) ::unlink(ruta_.c_str());
}

bool BloqueoDatos::Crear()
{
    // The lock appears whole or not at all: written aside through the file
    // layer (whose failures, a full disk among them, end here), then linked
    // under its name, which fails when one is there.
    const std::string aparte = ruta_ + ".nuevo-" + std::to_string(::getpid());
    const std::string contenido = Contenido();
    int err = EscrituraSegura(aparte, [&contenido](int fd) {
        // Private even over a leftover of another mode: it tells who runs the
        // program and where. A file system without modes has none to give.
        ::fchmod(fd, 0600);
        return EscribirTodo(fd, contenido.data(), contenido.size()) ? 0 : errno;
    });
    if (err == 0) {
        err = SistemaArchivos::instancia().EnlazarSinReemplazar(aparte, ruta_) == 0 ? 0 : errno;
        ::unlink(aparte.c_str());
    }
    if (err == EEXIST) {
        estado_ = Estado::Ocupado;
        return false;
    }
    if (err != 0) {
        estado_ = Estado::SinBloqueo;
        motivo_ = "No se pudo crear el archivo " + ruta_ + ": " + DescribirError(err);
        return false;
    }
    struct stat st;
    if (::lstat(ruta_.c_str(), &st) == 0) {
        dispositivo_ = st.st_dev;
        inodo_ = st.st_ino;
    }
    return true;
}

// True when the lock in place was left by a run that is gone and has just
// been removed; otherwise sets the state that keeps this run out.
bool BloqueoDatos::Abandonado()
{
    auto ajeno = [this](const std::string& motivo) {
        estado_ = Estado::Ajeno;
        motivo_ = motivo;
        return false;
    };
    const int fd = ::open(ruta_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return true;  // released meanwhile
        return ajeno(std::string("no se puede leer: ") + std::strerror(errno));
    }
    struct stat st;
    std::string texto;
    char buf[1024];
    const bool leido = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ssize_t n = 0;
    while (leido && texto.size() < 4096 && (n = ::read(fd, buf, sizeof buf)) > 0) texto.append(buf, static_cast<std::size_t>(n));
    ::close(fd);
    if (!leido || n < 0) return ajeno("no se puede leer");
    // Only the user's own runs leave locks in the user's folder: anyone
    // else's is not ours to remove.
    if (st.st_uid != ::geteuid()) return ajeno("pertenece a otro usuario");
    const std::vector<std::string> lineas = Lineas(texto);
    const long id = !lineas.empty() && SoloDigitos(lineas[0]) ? std::stol(lineas[0]) : 0;
    // 0 would ask about a whole process group.
    if (id <= 0 || id > INT_MAX) return ajeno("no se puede leer: no es un bloqueo de la Bindelora");
    const std::string& pid = lineas[0];
    const std::string maquina = lineas.size() > 2 ? lineas[2] : std::string();
    if (!maquina.empty() && maquina != NombreMaquina())
        return ajeno("es de la Bindelora abierta en otro ordenador (" + maquina + ")");

    bool vivo = ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
    // After a reboot, or once the id went to another program, the process
    // it names is not the run that made it.
    if (vivo && lineas.size() > 4 && !lineas[4].empty() && lineas[4] != Arranque()) vivo = false;
    if (vivo && lineas.size() > 1 && !lineas[1].empty()) {
        const std::string nombre = NombreProceso(pid);
        if (!nombre.empty() && nombre != lineas[1]) vivo = false;
    }
    if (vivo) {
        estado_ = Estado::Ocupado;
        return false;
    }
    struct stat ahora;
    if (::lstat(ruta_.c_str(), &ahora) == 0 && ahora.st_dev == st.st_dev && ahora.st_ino == st.st_ino &&
        ::unlink(ruta_.c_str()) != 0 && errno != ENOENT)
        return ajeno(std::string("no se puede quitar: ") + std::strerror(errno));
    return true;
}

QString TituloYaAbierta()
{
    return QStringLiteral("Bindelora");
}

QString TextoYaAbierta(const std::string& carpeta)
{
    return QStringLiteral("La Bindelora ya está abierta con estos mismos archivos de datos, en la carpeta:\r\r") +
           QString::fromStdString(carpeta) +
           QStringLiteral("\r\rUse la ventana que ya está abierta, o ciérrela antes de volver a abrir el programa: "
                          "dos copias a la vez borrarían al salir lo que se hubiera cambiado en la otra.");
}

QString TextoBloqueoImposible(const BloqueoDatos& bloqueo)
{
    if (bloqueo.estado() == BloqueoDatos::Estado::SinBloqueo)
        return QStringLiteral("La Bindelora no puede abrirse: no ha podido crear su archivo de bloqueo, que impide que "
                              "dos copias del programa borren una los cambios de la otra.\r\r") +
               QString::fromStdString(bloqueo.Motivo()) +
               QStringLiteral("\r\rNo se ha tocado ningún archivo de datos.");
    return QStringLiteral("La Bindelora no puede abrirse: sus archivos de datos están bloqueados por el archivo\r\r") +
           QString::fromStdString(bloqueo.RutaBloqueo()) + QStringLiteral("\r\rque ") +
           QString::fromStdString(bloqueo.Motivo()) +
           QStringLiteral(".\r\rSi la Bindelora no está abierta en ningún otro sitio con estos datos, borre ese "
                          "archivo y vuelva a abrir el programa.");
}

}  // namespace bindelora
