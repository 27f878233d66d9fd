#pragma once
// Message boxes: caption, text, icon and buttons in, the answer out.
#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

#include "platform/sustituible.h"

class QWidget;

namespace bindelora {

enum class IconoMensaje { Aviso, Error, Pregunta, Informacion };
enum class BotonesMensaje { Aceptar, AceptarCancelar, SiNo };
enum class RespuestaMensaje { Aceptar, Cancelar, Si, No };

class MensajesQt;

class Mensajes : public Sustituible<Mensajes, MensajesQt> {
public:
    virtual ~Mensajes() = default;
    virtual RespuestaMensaje Mostrar(QWidget* dueno, const QString& texto, const QString& titulo,
                                     IconoMensaje icono, BotonesMensaje botones) = 0;

    // Shorthand for the common call.
    static RespuestaMensaje mostrar(QWidget* dueno, const QString& texto, const QString& titulo,
                                    IconoMensaje icono, BotonesMensaje botones = BotonesMensaje::Aceptar)
    {
        return instancia().Mostrar(dueno, texto, titulo, icono, botones);
    }
};

class MensajesQt : public Mensajes {
public:
    RespuestaMensaje Mostrar(QWidget* dueno, const QString& texto, const QString& titulo,
                             IconoMensaje icono, BotonesMensaje botones) override;
};

// Records every box and answers from a script (Aceptar or Si once it runs out).
class MensajesFalsos : public Mensajes {
public:
    struct Caja {
        QString texto, titulo;
        IconoMensaje icono;
        BotonesMensaje botones;
        QWidget* dueno = nullptr;  // the window that owns the box
    };
    RespuestaMensaje Mostrar(QWidget* dueno, const QString& texto, const QString& titulo,
                             IconoMensaje icono, BotonesMensaje botones) override;
    void siguienteRespuesta(RespuestaMensaje r) { respuestas.push_back(r); }

    std::vector<Caja> cajas;
    std::deque<RespuestaMensaje> respuestas;
};

}  // namespace bindelora
