#pragma once
// One desktop notification through org.freedesktop.Notifications on a
// D-Bus bus, with an action that starts a program when the server can
// show actions. Needs a Qt application object: it waits in an event loop.
#include <QDBusConnection>
#include <QString>
#include <QStringList>
#include <chrono>

namespace bindelora {

struct Notificacion {
    QString aplicacion, icono, resumen;
    QString cuerpo;  // plain text; escaped when the server reads markup
    // The action offered (key and label), and what choosing it starts.
    QString accion, textoAccion;
    QString programa;
    QStringList argumentos;
    QString entradaEscritorio;  // the launcher's name without ".desktop", as a hint
};

enum class ResultadoNotificacion {
    SinServicio,  // no bus or no server: nothing was shown (see porque)
    Mostrada,     // shown; no action chosen, or none offered
    Elegida,      // the action was chosen and the program started
};

// Sends n and, when an action went with it, waits for its choice until the
// notification is closed, the server goes or espera runs out. The program
// starts through Lanzador.
ResultadoNotificacion Notificar(const QDBusConnection& bus, const Notificacion& n, std::chrono::milliseconds espera,
                                QString& porque);

// The body as a server that reads markup shows it as typed.
QString EscaparMarcado(const QString& texto);

}  // namespace bindelora
