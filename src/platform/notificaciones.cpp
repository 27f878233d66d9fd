#include "platform/notificaciones.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QTimer>
#include <QVariantMap>
#include <optional>
#include <utility>
#include <vector>

#include "platform/lanzador.h"

namespace bindelora {

namespace {

const QString kServicio = QStringLiteral("org.freedesktop.Notifications");
const QString kRuta = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterfaz = QStringLiteral("org.freedesktop.Notifications");
// A server that does not answer in this time is taken for none.
constexpr int kEsperaRespuestaMs = 10000;

}  // namespace

// Takes the server's signals from before the notification's id is known:
// a quick choice may come in before the answer to Notify is read.
class EscuchaNotificaciones : public QObject {
    Q_OBJECT
public:
    std::vector<std::pair<uint, QString>> acciones;
    std::vector<uint> cerradas;
    std::optional<uint> id;

signals:
    void Cambio();

public slots:
    void ActionInvoked(uint id, const QString& clave)
    {
        acciones.emplace_back(id, clave);
        emit Cambio();
    }
    void NotificationClosed(uint id, uint)
    {
        cerradas.push_back(id);
        emit Cambio();
    }
};

QString EscaparMarcado(const QString& texto)
{
    QString r;
    r.reserve(texto.size());
    for (QChar c : texto) {
        if (c == QLatin1Char('&')) r += QStringLiteral("&amp;");
        else if (c == QLatin1Char('<')) r += QStringLiteral("&lt;");
        else if (c == QLatin1Char('>')) r += QStringLiteral("&gt;");
        else r += c;
    }
    return r;
}

ResultadoNotificacion Notificar(const QDBusConnection& conexion, const Notificacion& n,
                                std::chrono::milliseconds espera, QString& porque)
{
    QDBusConnection bus = conexion;
    if (!bus.isConnected()) {
        porque = QStringLiteral("no hay bus de sesión de D-Bus");
        if (bus.lastError().isValid()) porque += QStringLiteral(" (") + bus.lastError().message() + QLatin1Char(')');
        return ResultadoNotificacion::SinServicio;
    }
    // Asking for the capabilities also starts a server the bus activates.
    const QDBusMessage pregunta = QDBusMessage::createMethodCall(kServicio, kRuta, kInterfaz,
                                                                 QStringLiteral("GetCapabilities"));
    const QDBusReply<QStringList> capacidades = bus.call(pregunta, QDBus::Block, kEsperaRespuestaMs);
    if (!capacidades.isValid()) {
        const QDBusError e = capacidades.error();
        porque = e.type() == QDBusError::ServiceUnknown
                     ? QStringLiteral("no hay servicio de notificaciones en el escritorio")
                     : QStringLiteral("el servicio de notificaciones no responde (") + e.message() + QLatin1Char(')');
        return ResultadoNotificacion::SinServicio;
    }
    const bool conAccion = !n.accion.isEmpty() && capacidades.value().contains(QStringLiteral("actions"));
    const bool marcado = capacidades.value().contains(QStringLiteral("body-markup"));

    EscuchaNotificaciones escucha;
    if (conAccion) {
        bus.connect(kServicio, kRuta, kInterfaz, QStringLiteral("ActionInvoked"), &escucha,
                    SLOT(ActionInvoked(uint, QString)));
        bus.connect(kServicio, kRuta, kInterfaz, QStringLiteral("NotificationClosed"), &escucha,
                    SLOT(NotificationClosed(uint, uint)));
    }
    QVariantMap pistas;
    if (!n.entradaEscritorio.isEmpty()) pistas.insert(QStringLiteral("desktop-entry"), n.entradaEscritorio);
    QDBusMessage aviso = QDBusMessage::createMethodCall(kServicio, kRuta, kInterfaz, QStringLiteral("Notify"));
    aviso << n.aplicacion << uint(0) << n.icono << n.resumen << (marcado ? EscaparMarcado(n.cuerpo) : n.cuerpo)
          << (conAccion ? QStringList{n.accion, n.textoAccion} : QStringList{}) << pistas << int(-1);
    const QDBusReply<uint> id = bus.call(aviso, QDBus::Block, kEsperaRespuestaMs);
    const auto desconectar = [&] {
        if (!conAccion) return;
        bus.disconnect(kServicio, kRuta, kInterfaz, QStringLiteral("ActionInvoked"), &escucha,
                       SLOT(ActionInvoked(uint, QString)));
        bus.disconnect(kServicio, kRuta, kInterfaz, QStringLiteral("NotificationClosed"), &escucha,
                       SLOT(NotificationClosed(uint, uint)));
    };
    if (!id.isValid()) {
        desconectar();
        porque = QStringLiteral("el servicio de notificaciones no aceptó el aviso (") + id.error().message() +
                 QLatin1Char(')');
        return ResultadoNotificacion::SinServicio;
    }
    if (!conAccion) return ResultadoNotificacion::Mostrada;

    // Waits for the choice, the closing, the server's end or the time limit.
    const uint nuestro = id.value();
    bool elegida = false, terminada = false;
    QEventLoop bucle;
    const auto mirar = [&] {
        for (const auto& [cual, clave] : escucha.acciones)
            if (cual == nuestro && clave == n.accion) elegida = true;
        for (uint cual : escucha.cerradas)
            if (cual == nuestro) terminada = true;
        if (elegida || terminada) bucle.quit();
    };
    QObject::connect(&escucha, &EscuchaNotificaciones::Cambio, &bucle, mirar);
    QDBusServiceWatcher vigia(kServicio, bus, QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(&vigia, &QDBusServiceWatcher::serviceUnregistered, &bucle, &QEventLoop::quit);
    QTimer limite;
    limite.setSingleShot(true);
    QObject::connect(&limite, &QTimer::timeout, &bucle, &QEventLoop::quit);
    mirar();
    if (!elegida && !terminada) {
        limite.start(espera);
        bucle.exec();
    }
    // A choice that came with the closing still counts.
    mirar();
    desconectar();
    if (!elegida) return ResultadoNotificacion::Mostrada;
    if (!Lanzador::instancia().Lanzar(n.programa, n.argumentos)) {
        porque = QStringLiteral("no se pudo iniciar ") + n.programa;
        return ResultadoNotificacion::Mostrada;
    }
    return ResultadoNotificacion::Elegida;
}

}  // namespace bindelora

#include "notificaciones.moc"
