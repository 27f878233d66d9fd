// The desktop notification against a real bus and a server of the test's
// own: what is sent, the action only where the server shows actions, the
// choice starting the program, and no bus or no server said as such.
#include "platform/lanzador.h"
#include "platform/notificaciones.h"

#include <gtest/gtest.h>

#include "bus_privado.h"

using namespace bindelora;
using namespace std::chrono_literals;
using Respuesta = ServidorNotificaciones::Respuesta;

namespace {

class Notificaciones : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(bus.Direccion().isEmpty()) << bus.Error().toStdString();
        Lanzador::setInstancia(&lanzador);
        cliente = std::make_unique<QDBusConnection>(bus.Conectar(QStringLiteral("cliente")));
        ASSERT_TRUE(cliente->isConnected());
    }
    void TearDown() override
    {
        cliente.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("cliente"));
        Lanzador::setInstancia(nullptr);
    }

    static Notificacion Aviso()
    {
        return {QStringLiteral("Bindelora"), QStringLiteral("com.quenturo.Bindelora"), QStringLiteral("Avisal"),
                QStringLiteral("Cena & <copas>\nPróximos cumpleaños:\n4 Ene  Eva"), QStringLiteral("abrir"),
                QStringLiteral("Abrir Bindelora"), QStringLiteral("/opt/b/bindelora"), {QStringLiteral("/AVISAL")},
                QStringLiteral("com.quenturo.Bindelora")};
    }

    ResultadoNotificacion Enviar(std::chrono::milliseconds espera = 5s)
    {
        porque.clear();
        return Notificar(*cliente, Aviso(), espera, porque);
    }

    BusPrivado bus;
    LanzadorFalso lanzador;
    std::unique_ptr<QDBusConnection> cliente;
    QString porque;
};

}  // namespace

TEST_F(Notificaciones, WhatIsSentAndTheActionOnlyWhereTheServerShowsActions)
{
    {
        ServidorEnHilo s(bus, {QStringLiteral("body")});
        ASSERT_TRUE(s.Registrado());
        EXPECT_EQ(Enviar(), ResultadoNotificacion::Mostrada);
        const auto r = s.Servidor().Recibidas();
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].aplicacion, QStringLiteral("Bindelora"));
        EXPECT_EQ(r[0].reemplaza, 0u);
        EXPECT_EQ(r[0].icono, QStringLiteral("com.quenturo.Bindelora"));
        EXPECT_EQ(r[0].resumen, QStringLiteral("Avisal"));
        EXPECT_EQ(r[0].cuerpo, QStringLiteral("Cena & <copas>\nPróximos cumpleaños:\n4 Ene  Eva"));
        EXPECT_TRUE(r[0].acciones.isEmpty());
        EXPECT_EQ(r[0].pistas.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("com.quenturo.Bindelora"));
        EXPECT_EQ(r[0].caduca, -1);
    }
    {
        // A server that reads markup gets the text escaped; the action goes
        // with it, and closing the notification ends the wait unchosen.
        ServidorEnHilo s(bus, {QStringLiteral("body"), QStringLiteral("body-markup"), QStringLiteral("actions")},
                         Respuesta::Cerrar);
        ASSERT_TRUE(s.Registrado());
        EXPECT_EQ(Enviar(60s), ResultadoNotificacion::Mostrada);
        const auto r = s.Servidor().Recibidas();
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].cuerpo, QStringLiteral("Cena &amp; &lt;copas&gt;\nPróximos cumpleaños:\n4 Ene  Eva"));
        EXPECT_EQ(r[0].acciones, (QStringList{QStringLiteral("abrir"), QStringLiteral("Abrir Bindelora")}));
    }
    EXPECT_TRUE(lanzador.inicios.empty());
}

TEST_F(Notificaciones, ChoosingTheActionStartsTheProgramOnce)
{
    const QStringList acciones{QStringLiteral("body"), QStringLiteral("actions")};
    for (Respuesta r : {Respuesta::Elegir, Respuesta::ElegirEnElActo}) {
        lanzador.inicios.clear();
        ServidorEnHilo s(bus, acciones, r);
        ASSERT_TRUE(s.Registrado());
        EXPECT_EQ(Enviar(60s), ResultadoNotificacion::Elegida) << porque.toStdString();
        ASSERT_EQ(lanzador.inicios.size(), 1u);
        EXPECT_EQ(lanzador.inicios[0].programa, QStringLiteral("/opt/b/bindelora"));
        EXPECT_EQ(lanzador.inicios[0].argumentos, QStringList{QStringLiteral("/AVISAL")});
    }
    // Another action key, or nothing at all, until the time runs out: no start.
    lanzador.inicios.clear();
    for (Respuesta r : {Respuesta::ElegirOtra, Respuesta::Nada}) {
        ServidorEnHilo s(bus, acciones, r);
        ASSERT_TRUE(s.Registrado());
        EXPECT_EQ(Enviar(300ms), ResultadoNotificacion::Mostrada);
    }
    EXPECT_TRUE(lanzador.inicios.empty());
}

TEST_F(Notificaciones, NoServerAndNoBusAreSaid)
{
    EXPECT_EQ(Enviar(), ResultadoNotificacion::SinServicio);
    EXPECT_TRUE(porque.contains(QStringLiteral("no hay servicio de notificaciones"))) << porque.toStdString();

    const QDBusConnection ninguno =
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("ninguno"));
    porque.clear();
    EXPECT_EQ(Notificar(ninguno, Aviso(), 1s, porque), ResultadoNotificacion::SinServicio);
    EXPECT_TRUE(porque.startsWith(QStringLiteral("no hay bus de sesión"))) << porque.toStdString();
    QDBusConnection::disconnectFromBus(QStringLiteral("ninguno"));
    EXPECT_TRUE(lanzador.inicios.empty());
}
