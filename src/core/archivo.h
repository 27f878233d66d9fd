#pragma once
// Whole-file reads and the one safe write of every file the program writes.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace bindelora {

// The data file beside the executable: a name ending in a dot and three
// characters has them replaced by ext ("prog.exe" -> "prog.dat"); any other
// name gets "." + ext appended ("bindelora" -> "bindelora.dat").
std::string NombreArchivoDatos(const std::string& rutaEjecutable, const std::string& ext);

bool ExisteArchivo(const std::string& ruta);

// True when a and b name the same file: the same inode when both exist
// (links, other spellings), else the same path once made absolute.
bool MismoArchivo(const std::string& a, const std::string& b);

// Why a file operation failed, in Spanish (UTF-8), from its errno.
std::string DescribirError(int err);

// The whole of a regular file into datos; false with errno in err (EISDIR
// for a folder, ENODEV for a pipe, device or socket, EFBIG past maximo).
// A pipe is refused without waiting for a writer.
bool LeerArchivoEntero(const std::string& ruta, std::string& datos, int& err,
                       std::size_t maximo = static_cast<std::size_t>(-1));
// The same with a Spanish reason in error.
bool LeerArchivoEntero(const std::string& ruta, std::string& datos, std::string& error);

// Writes to a new temporary file in the target's folder, flushes it to disk,
// renames it over ruta and flushes the folder, so a failed save leaves the
// old file whole and nothing else behind. The file keeps the mode of the one
// it replaces, 0600 when new. A symbolic link at ruta is followed: the file
// it points to is replaced, the link stays. On failure returns false with a
// Spanish reason in error.
bool EscribirArchivoSeguro(const std::string& ruta, const std::string& datos, std::string& error);
// The same with the content written straight into the temporary file by
// escribir, which returns 0, or an errno that abandons the save.
bool EscribirArchivoSeguro(const std::string& ruta, const std::function<int(int fd)>& escribir, std::string& error);
// The same, for callers that word the message themselves: 0 or the errno
// of the step that failed.
int EscrituraSegura(const std::string& ruta, const std::function<int(int fd)>& escribir);

// One to ten decimal digits, as process ids and counters in file names.
bool SoloDigitos(std::string_view s);

// A folder named with or without its trailing slashes, without them ("/" stays).
std::string SinBarraFinal(std::string s);

// Removes the regular files of carpeta whose name pidDe maps to the id of a
// process that is gone (0 or less: not such a file); returns how many.
int QuitarDeProcesosTerminados(const std::string& carpeta, const std::function<long(std::string_view nombre)>& pidDe);

// Removes what a save cut short left behind: the temporary files
// "<file>.tmp-<pid>-<n>" of EscribirArchivoSeguro for the data files named
// like ruta ("x.dat" covers x.dat, x.avs and their backups), whose writing
// process is gone. Call it only while holding the data folder's lock.
// Returns the files removed.
int LimpiarTemporales(const std::string& ruta);

// Copies ruta to the first free name among ruta + ".bak", ruta + ".bak.1",
// ... with ruta's mode. An earlier backup is never replaced, not even by
// another process saving one at the same moment. Returns the name used.
bool CopiarRespaldo(const std::string& ruta, std::string& copia, std::string& error);

// A whole file's bytes, read into memory from fd's current place on: a
// regular file, a pipe, standard input.
class ArchivoEnMemoria {
public:
    ArchivoEnMemoria() = default;
    ArchivoEnMemoria(const ArchivoEnMemoria&) = delete;
    ArchivoEnMemoria& operator=(const ArchivoEnMemoria&) = delete;

    // 0, or the errno of the failure. fd stays open and may be closed right
    // after.
    int Abrir(int fd);
    std::string_view Datos() const { return datos_; }
    // True when a regular file changed (its size or time) while it was
    // read: the bytes are not to be trusted.
    bool Cambio() const { return cambio_; }

private:
    std::string datos_;
    bool cambio_ = false;
};

// Writes all of p to fd, going on after interrupted and short writes;
// false with errno set on failure.
bool EscribirTodo(int fd, const char* p, std::size_t n);

// The low-level steps of the reads and writes above. Tests put their own in
// place to force a temporary file's name or make one step fail; the calls
// follow the system's: -1 (or a negative count) with errno set on failure.
// For a full disk in one folder, override Abrir to return Fallo(ENOSPC)
// when flags hold O_CREAT and ruta is in that folder.
class SistemaArchivos {
public:
    virtual ~SistemaArchivos() = default;

    // The real one, unless a test has put another in place. setInstancia
    // takes no ownership; nullptr goes back to the real one.
    static SistemaArchivos& instancia();
    static void setInstancia(SistemaArchivos* otra);
    // errno = err, and -1.
    static int Fallo(int err);

    // A name for a new temporary file beside ruta, "<ruta>.tmp-<pid>-<n>"
    // with n random, so nobody can make it beforehand.
    virtual std::string NombreTemporal(const std::string& ruta);
    // open(2).
    virtual int Abrir(const std::string& ruta, int flags, unsigned modo);
    // read(2) and write(2).
    virtual long Leer(int fd, char* p, std::size_t n);
    virtual long Escribir(int fd, const char* p, std::size_t n);
    // fsync(2), of a file or a folder.
    virtual int Sincronizar(int fd);
    // rename(2): replaces a.
    virtual int Renombrar(const std::string& de, const std::string& a);
    // Gives the file de the name a too, failing with EEXIST when a is taken:
    // never replaces it. de may be gone afterwards.
    virtual int EnlazarSinReemplazar(const std::string& de, const std::string& a);
};

}  // namespace bindelora
