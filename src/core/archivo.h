#pragma once
// Whole-file reads and safe writes for the two data files.
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

// The whole file into datos, in large reads; false with errno in err.
bool LeerArchivoEntero(const std::string& ruta, std::string& datos, int& err);

// Writes to a temporary file in the same folder, flushes it to disk and
// renames it over ruta, so a failed save leaves the old file whole.
// On failure returns false with a Spanish reason in error.
bool EscribirArchivoSeguro(const std::string& ruta, const std::string& datos, std::string& error);
// The same with the content written straight into the temporary file by
// escribir, which returns 0, or the errno of a failed write.
bool EscribirArchivoSeguro(const std::string& ruta, const std::function<int(int fd)>& escribir, std::string& error);

// One to ten decimal digits, as process ids and counters in file names.
bool SoloDigitos(std::string_view s);

// A folder named with or without its trailing slashes, without them ("/" stays).
std::string SinBarraFinal(std::string s);

// Removes the regular files of carpeta whose name pidDe maps to the id of a
// process that is gone (0 or less: not such a file); returns how many.
int QuitarDeProcesosTerminados(const std::string& carpeta, const std::function<long(std::string_view nombre)>& pidDe);

// Removes what a save cut short left behind: the temporary files of
// EscribirArchivoSeguro for the data files named like ruta ("x.dat" covers
// x.dat, x.avs and their backups), whose writing process is gone. Call it
// only while holding the data folder's lock. Returns the files removed.
int LimpiarTemporales(const std::string& ruta);

// Copies ruta to the first free name among ruta + ".bak", ruta + ".bak.1",
// ... (an earlier backup is never replaced). Returns the name used.
bool CopiarRespaldo(const std::string& ruta, std::string& copia, std::string& error);

// A whole file's bytes: mapped when it is a regular file (the data files
// are only ever replaced by a rename, never rewritten in place, so the map
// stays whole), read into memory otherwise (a pipe, standard input). A
// mapped file that another program cuts short while it is read does not
// bring the process down: what was cut reads as zero bytes, and Cambio()
// tells that the bytes are not to be trusted.
class ArchivoEnMemoria {
public:
    ArchivoEnMemoria() = default;
    ArchivoEnMemoria(const ArchivoEnMemoria&) = delete;
    ArchivoEnMemoria& operator=(const ArchivoEnMemoria&) = delete;
    ~ArchivoEnMemoria();

    // Takes in what fd holds from its current place on; 0, or the errno of
    // the failure. fd stays open and may be closed right after.
    int Abrir(int fd);
    std::string_view Datos() const;
    bool Cambio() const;

private:
    void* mapa_ = nullptr;
    std::size_t largo_ = 0;
    int vigilancia_ = -1;  // its place among the guarded maps
    std::string copia_;
};

// Writes all of p to fd, going on after interrupted and short writes;
// false with errno set on failure.
bool EscribirTodo(int fd, const char* p, std::size_t n);

}  // namespace bindelora
