#pragma once
// A session bus of the test's own, and a notification server of its own on
// it, so the real D-Bus exchange is what the tests meet. The daemon's
// configuration names no service folder: nothing of the machine can be
// started on it in the server's place.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QVariantMap>
#include <memory>
#include <signal.h>
#include <vector>

class BusPrivado {
public:
    // An empty Direccion() when the daemon could not be started (Error()).
    BusPrivado()
    {
        if (!carpeta_.isValid()) {
            error_ = QStringLiteral("sin carpeta temporal");
            return;
        }
        const QString conf = carpeta_.filePath(QStringLiteral("bus.conf"));
        QFile f(conf);
        if (!f.open(QIODevice::WriteOnly)) {
            error_ = QStringLiteral("sin configuración");
            return;
        }
        f.write(QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\""
                               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                               "<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                               "<auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\"/>"
                               "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")
                    .arg(carpeta_.path())
                    .toUtf8());
        f.close();
        demonio_.setProgram(QStringLiteral("dbus-daemon"));
        // A session bus by the configuration's type: --session would read
        // the machine's session configuration instead of this one.
        demonio_.setArguments({QStringLiteral("--config-file=") + conf,
                               QStringLiteral("--print-address"), QStringLiteral("--nofork")});
        demonio_.start();
        if (!demonio_.waitForStarted(5000)) {
            error_ = QStringLiteral("dbus-daemon no arranca: ") + demonio_.errorString();
            return;
        }
        pid_ = demonio_.processId();
        while (!demonio_.canReadLine() && demonio_.waitForReadyRead(5000)) {
        }
        direccion_ = QString::fromUtf8(demonio_.readLine()).trimmed();
        if (direccion_.isEmpty()) error_ = QStringLiteral("dbus-daemon no dio su dirección");
    }
    ~BusPrivado()
    {
        // By its id: without an application object QProcess may have lost
        // track of it, and a daemon left behind would outlive the test.
        if (pid_ > 0) ::kill(static_cast<pid_t>(pid_), SIGKILL);
        demonio_.waitForFinished(5000);
    }
    BusPrivado(const BusPrivado&) = delete;
    BusPrivado& operator=(const BusPrivado&) = delete;

    const QString& Direccion() const { return direccion_; }
    const QString& Error() const { return error_; }

    // A connection of its own under nombre, closed by CerrarConexion.
    QDBusConnection Conectar(const QString& nombre) const { return QDBusConnection::connectToBus(direccion_, nombre); }

private:
    QTemporaryDir carpeta_;
    QProcess demonio_;
    QString direccion_, error_;
    qint64 pid_ = 0;
};

// The server's side of org.freedesktop.Notifications: records what it is
// sent and answers as it is told. A virtual object, which needs no moc, in
// a thread of its own, so that the client's blocking calls from the test's
// thread get their answers.
class ServidorNotificaciones : public QDBusVirtualObject {
public:
    enum class Respuesta { Nada, Elegir, ElegirEnElActo, Cerrar, ElegirOtra };
    struct Recibida {
        QString aplicacion;
        uint reemplaza = 0;
        QString icono, resumen, cuerpo;
        QStringList acciones;
        QVariantMap pistas;
        int caduca = 0;
    };

    QStringList capacidades{QStringLiteral("body")};
    Respuesta respuesta = Respuesta::Nada;

    std::vector<Recibida> Recibidas()
    {
        QMutexLocker l(&mutex_);
        return recibidas_;
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& m, const QDBusConnection& conexion) override
    {
        QDBusConnection bus = conexion;
        if (m.member() == QStringLiteral("GetCapabilities")) {
            bus.send(m.createReply(QVariant(capacidades)));
            return true;
        }
        if (m.member() != QStringLiteral("Notify")) return false;
        const QList<QVariant> a = m.arguments();
        uint id;
        {
            QMutexLocker l(&mutex_);
            Recibida r;
            if (a.size() == 8) {
                r = {a[0].toString(), a[1].toUInt(), a[2].toString(), a[3].toString(), a[4].toString(),
                     a[5].toStringList(), qdbus_cast<QVariantMap>(a[6]), a[7].toInt()};
            }
            recibidas_.push_back(r);
            id = static_cast<uint>(recibidas_.size());
        }
        const auto senal = [&](const char* nombre, const QVariant& x, const QVariant& y) {
            QDBusMessage s = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                        QStringLiteral("org.freedesktop.Notifications"),
                                                        QString::fromLatin1(nombre));
            s << x << y;
            bus.send(s);
        };
        const auto elegir = [&](const char* clave) {
            senal("ActionInvoked", QVariant::fromValue(id), QString::fromLatin1(clave));
        };
        const auto cerrar = [&] { senal("NotificationClosed", QVariant::fromValue(id), QVariant::fromValue(2u)); };
        // Someone else's notification goes by first.
        senal("ActionInvoked", QVariant::fromValue(id + 100), QStringLiteral("abrir"));
        if (respuesta == Respuesta::ElegirEnElActo) {  // before the answer to Notify
            elegir("abrir");
            cerrar();
        }
        bus.send(m.createReply(QVariant::fromValue(id)));
        if (respuesta == Respuesta::Elegir) {
            elegir("abrir");
            cerrar();
        } else if (respuesta == Respuesta::Cerrar) {
            cerrar();
        } else if (respuesta == Respuesta::ElegirOtra) {
            elegir("otra");
        }
        return true;
    }

private:
    QMutex mutex_;
    std::vector<Recibida> recibidas_;
};

// The server registered on a bus under the well-known name, in its thread.
class ServidorEnHilo {
public:
    ServidorEnHilo(const BusPrivado& bus, QStringList capacidades,
                   ServidorNotificaciones::Respuesta respuesta = ServidorNotificaciones::Respuesta::Nada)
        : conexion_(bus.Conectar(QStringLiteral("servidor-notificaciones")))
    {
        servidor_.capacidades = std::move(capacidades);
        servidor_.respuesta = respuesta;
        servidor_.moveToThread(&hilo_);
        hilo_.start();
        registrado_ = conexion_.isConnected() &&
                      conexion_.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), &servidor_) &&
                      conexion_.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    ~ServidorEnHilo()
    {
        conexion_.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        conexion_.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
        QDBusConnection::disconnectFromBus(QStringLiteral("servidor-notificaciones"));
        hilo_.quit();
        hilo_.wait();
    }
    ServidorEnHilo(const ServidorEnHilo&) = delete;
    ServidorEnHilo& operator=(const ServidorEnHilo&) = delete;

    bool Registrado() const { return registrado_; }
    ServidorNotificaciones& Servidor() { return servidor_; }

private:
    QDBusConnection conexion_;
    QThread hilo_;
    ServidorNotificaciones servidor_;  // destroyed before its thread's object
    bool registrado_ = false;
};
