#pragma once
// One run per data folder. Two copies of the program on the same files would
// each write its own book at exit, and the one closed last would silently
// wipe out everything done in the other. A lock file beside the data files
// keeps a second copy out; a lock left by a run that died is taken over.
#include <QString>
#include <memory>
#include <string>

class QLockFile;

namespace bindelora {

class BloqueoDatos {
public:
    enum class Estado {
        Tomado,     // this run owns the folder until the lock is destroyed
        Ocupado,    // a copy of the program that is still running holds it
        SinBloqueo  // no lock file can be made there (a folder that cannot be
                    // written, where saving will fail and say so anyway)
    };

    // Takes the lock of the folder holding rutaAgenda (UTF-8), the agenda
    // file as the program finds it. Never waits.
    explicit BloqueoDatos(const std::string& rutaAgenda);
    ~BloqueoDatos();
    BloqueoDatos(const BloqueoDatos&) = delete;
    BloqueoDatos& operator=(const BloqueoDatos&) = delete;

    Estado estado() const { return estado_; }
    const std::string& Carpeta() const { return carpeta_; }
    const std::string& RutaBloqueo() const { return ruta_; }

    // The name of the lock file in the data folder.
    static constexpr const char* kNombre = "bindelora.lock";

private:
    std::string carpeta_;
    std::string ruta_;
    std::unique_ptr<QLockFile> bloqueo_;
    Estado estado_ = Estado::SinBloqueo;
};

// What a refused start tells the user, caption and text.
QString TituloYaAbierta();
QString TextoYaAbierta(const std::string& carpeta);

}  // namespace bindelora
