#pragma once
// Playing a sound file without waiting for it.
#include <QPointer>
#include <QString>
#include <cstdint>
#include <vector>

#include "platform/sustituible.h"

class QSoundEffect;

namespace bindelora {

class SonidoQt;

class Sonido : public Sustituible<Sonido, SonidoQt> {
public:
    virtual ~Sonido() = default;
    // Starts playing the file and returns at once; a new sound replaces the
    // one playing. A missing, empty or unplayable file plays nothing and
    // says nothing.
    virtual void Reproducir(const QString& ruta) = 0;
};

// Larger files are not taken for sounds (a WAV of some minutes at most).
inline constexpr std::uintmax_t kMaxBytesSonido = 64u * 1024 * 1024;

// A path worth handing to the player: a regular file (never a FIFO, a
// device or a folder, which could block or never end), not empty and not
// larger than kMaxBytesSonido. Looks at the file without opening it.
bool EsArchivoDeSonido(const QString& ruta);

class SonidoQt : public Sonido {
public:
    SonidoQt();
    ~SonidoQt() override;
    void Reproducir(const QString& ruta) override;

private:
    // Made on the first sound, so the start of the program sets up no audio;
    // owned by the application, which ends before this service does.
    QPointer<QSoundEffect> efecto_;
};

// Records the sounds asked for.
class SonidoFalso : public Sonido {
public:
    void Reproducir(const QString& ruta) override { sonidos.push_back(ruta); }
    std::vector<QString> sonidos;
};

}  // namespace bindelora
