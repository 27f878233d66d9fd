#pragma once
// One run per book. Two copies of the program on the same files would each
// write its own book at exit, and the one closed last would silently wipe
// out everything done in the other. A lock file beside the real data files
// (links followed, so every way to one book meets the same lock) keeps a
// second copy out; a lock left by a run of this machine that died is taken
// over.
#include <QString>
#include <cstdint>
#include <string>

namespace bindelora {

class BloqueoDatos {
public:
    enum class Estado {
        Tomado,     // this run owns the book until the lock is destroyed
        Ocupado,    // a copy of the program that is still running holds it
        Ajeno,      // a lock that cannot be taken over: another machine's,
                    // another user's, or one that cannot be read
        SinBloqueo  // no lock file can be made there; the program must not
                    // run without one
    };

    // Takes the lock of the book whose agenda file is rutaAgenda (UTF-8),
    // as the program names it. Never waits.
    explicit BloqueoDatos(const std::string& rutaAgenda);
    ~BloqueoDatos();
    BloqueoDatos(const BloqueoDatos&) = delete;
    BloqueoDatos& operator=(const BloqueoDatos&) = delete;

    Estado estado() const { return estado_; }
    // The folder of the real data file, where the lock is.
    const std::string& Carpeta() const { return carpeta_; }
    const std::string& RutaBloqueo() const { return ruta_; }
    // Why the lock is Ajeno or could not be made (Spanish).
    const std::string& Motivo() const { return motivo_; }

    // The name of the lock file in the data folder.
    static constexpr const char* kNombre = "bindelora.lock";

private:
    bool Crear();
    bool Abandonado();

    std::string carpeta_;
    std::string ruta_;
    std::string motivo_;
    std::uint64_t dispositivo_ = 0, inodo_ = 0;  // the lock file this run made
    Estado estado_ = Estado::SinBloqueo;
};

// What a refused start tells the user, caption and text.
QString TituloYaAbierta();
QString TextoYaAbierta(const std::string& carpeta);
// For a lock that is Ajeno or SinBloqueo: names the lock file and why.
QString TextoBloqueoImposible(const BloqueoDatos& bloqueo);

}  // namespace bindelora
