#include "platform/sonido.h"

#include <QCoreApplication>
#include <QSoundEffect>
#include <QUrl>
#include <filesystem>
#include <system_error>

namespace bindelora {

bool EsArchivoDeSonido(const QString& ruta)
{
    if (ruta.isEmpty()) return false;
    std::error_code ec;
    const std::filesystem::path p(ruta.toStdString());
    // status follows links, so a link to a FIFO is refused too.
    if (!std::filesystem::is_regular_file(std::filesystem::status(p, ec)) || ec) return false;
    const std::uintmax_t tamano = std::filesystem::file_size(p, ec);
    return !ec && tamano > 0 && tamano <= kMaxBytesSonido;
}

SonidoQt::SonidoQt() = default;

SonidoQt::~SonidoQt()
{
    delete efecto_.data();
}

void SonidoQt::Reproducir(const QString& ruta)
{
    if (!EsArchivoDeSonido(ruta)) return;
    if (!efecto_) efecto_ = new QSoundEffect(QCoreApplication::instance());
    efecto_->stop();
    // Loading runs in the background; the effect starts once it is loaded,
    // and a file that is no sound just ends in the error state.
    efecto_->setSource(QUrl::fromLocalFile(ruta));
    efecto_->play();
}

}  // namespace bindelora
