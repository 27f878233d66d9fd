#pragma once
// Nothing lost between two normal ends: the changes of a run kept aside
// while it lasts, a data file that another program replaced meanwhile set
// aside before the exit save, and a damaged book backed up only once.
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace bindelora {

// The file that ruta names once its symbolic links are followed, even
// when the last one points at nothing yet, with its folder made absolute
// and free of links. Every name of one book then gives the same file.
std::string RutaReal(const std::string& ruta);

// The copy of a data file's contents that a run keeps up to date while it
// lasts (beside the real file), and the name it gets when the user does
// not want it back.
std::string RutaRecuperacion(const std::string& datos);
std::string RutaDescartada(const std::string& recuperacion);
// The first recovery file there is of the two data files, or empty: a run
// ended badly and its changes wait for the window to offer them back.
std::string RecuperacionPendiente(const std::string& agenda, const std::string& avisal);

// What a file was when it was read: another program's change shows as a
// different size, time or inode (a save by rename gives a new inode).
struct HuellaArchivo {
    bool existe = false;
    std::uint64_t dispositivo = 0, inodo = 0, tamano = 0;
    std::int64_t modificado = 0;  // nanoseconds
    bool operator==(const HuellaArchivo&) const = default;
};
HuellaArchivo HuellaDe(const std::string& ruta);

// When ruta is a file that is no longer the one leida describes, renames
// it to ruta + ".otra-AAAAMMDD-HHMMSS" (its own modification time, local;
// "-2", "-3"... when that name is taken) and returns true with that name.
// False with apartado empty when nothing had to move; false with error set
// when the rename failed.
bool ApartarSiCambio(const std::string& ruta, const HuellaArchivo& leida, std::string& apartado,
                     std::string& error);

// Renames a recovery file to its discarded name, replacing an older one.
bool DescartarRecuperacion(const std::string& recuperacion, std::string& destino, std::string& error);

// Modification time of a file, seconds; 0 when it is not there.
std::time_t ModificadoEn(const std::string& ruta);

// An existing backup of ruta (ruta + ".bak", ".bak.N") holding the same
// bytes as ruta, or empty: a book that stays damaged is backed up once.
std::string RespaldoIgual(const std::string& ruta);

// Writes files in a thread of its own, so that keeping the recovery files
// up to date never holds up the user. A new request for a path replaces a
// pending one; the writes are safe writes.
class EscritorDiferido {
public:
    EscritorDiferido();
    ~EscritorDiferido();
    EscritorDiferido(const EscritorDiferido&) = delete;
    EscritorDiferido& operator=(const EscritorDiferido&) = delete;

    void Pedir(const std::string& ruta, std::string datos);
    // Waits until every request so far is on disk; the first failure since
    // the previous call, if any, in error.
    bool Esperar(std::string& error);
    // The first failure since it was last asked, without waiting; empty
    // when none.
    std::string Fallo();

private:
    void Trabajar();

    std::mutex mutex_;
    std::condition_variable hayTrabajo_, hecho_;
    std::map<std::string, std::string> pendientes_;
    bool escribiendo_ = false;
    bool fin_ = false;
    std::string error_;
    std::thread hilo_;
};

}  // namespace bindelora
