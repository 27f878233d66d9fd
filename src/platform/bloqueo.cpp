#include "platform/bloqueo.h"

#include <QLockFile>

namespace bindelora {

BloqueoDatos::BloqueoDatos(const std::string& rutaAgenda)
{
    const std::size_t barra = rutaAgenda.rfind('/');
    carpeta_ = barra == std::string::npos ? std::string(".") : rutaAgenda.substr(0, barra == 0 ? 1 : barra);
    ruta_ = (carpeta_ == "/" ? std::string() : carpeta_) + "/" + kNombre;
    bloqueo_ = std::make_unique<QLockFile>(QString::fromStdString(ruta_));
    // A run may last for days: only a lock whose process is gone is stale,
    // never one that is merely old.
    bloqueo_->setStaleLockTime(0);
    if (bloqueo_->tryLock(0)) {
        estado_ = Estado::Tomado;
        return;
    }
    estado_ = bloqueo_->error() == QLockFile::LockFailedError ? Estado::Ocupado : Estado::SinBloqueo;
}

BloqueoDatos::~BloqueoDatos() = default;

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

}  // namespace bindelora
