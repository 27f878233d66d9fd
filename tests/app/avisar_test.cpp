// --avisar against a private bus and a notification server of the test's
// own: in the process, where choosing the action is recorded, and run as
// the user runs it, where no server or no bus sends the text to the output.
// Also --avisar-al-iniciar and --sincronizar-en.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "../platform/bus_privado.h"
#include "avisar.h"
#include "ayudas_programa.h"
#include "core/agenda.h"
#include "core/avisal.h"
#include "core/texto.h"
#include "platform/lanzador.h"

using namespace bindelora;
using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Respuesta = ServidorNotificaciones::Respuesta;

namespace {

const Fecha kHoy{2026, 12, 7};
const char* const kCuerpo =
    "Cena de empresa & copas\n"
    "Cumpleaños de Luis Vega\n"
    "Santa Ágata\n"
    "\n"
    "Próximos cumpleaños:\n"
    "8 Dic  Eva\n"
    "12 Dic  Ana García Ruiz (40 años)";

class Avisar : public prueba::ProgramaEnCarpeta {
protected:
    Avisar() : ProgramaEnCarpeta("avisar") {}
    void SetUp() override
    {
        ProgramaEnCarpeta::SetUp();
        if (HasFatalFailure()) return;
        Lanzador::setInstancia(&lanzador);
        // The bus and the server's thread need one; --avisar uses the
        // caller's when there is one.
        static int argc = 1;
        static char nombre[] = "test_app";
        static char* argv[] = {nombre, nullptr};
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override
    {
        app.reset();
        Lanzador::setInstancia(nullptr);
        ProgramaEnCarpeta::TearDown();
    }

    static std::unique_ptr<TPibe> Contacto(const char* nombre, const char* ape1, const char* ape2, int a, int m, int d)
    {
        auto p = std::make_unique<TPibe>();
        p->Nombre = Utf8ACp1252(nombre);
        p->Ape1 = Utf8ACp1252(ape1);
        p->Ape2 = Utf8ACp1252(ape2);
        CodificarFecha(a, m, d, p->Cumple);
        return p;
    }

    // A day with entries (one of them a birthday entered only now, one
    // monthly) and birthdays in the coming week and beyond.
    void DatosDelDia()
    {
        ListaPibes l;
        l.push_back(Contacto("Ana", "García", "Ruiz", 1986, 12, 12));
        l.push_back(Contacto("Luis", "Vega", "", 1990, 12, 7));
        l.push_back(Contacto("Eva", "", "", 1, 12, 8));
        l.push_back(Contacto("Lejos", "", "", 1970, 12, 20));
        Escribir(carpeta + "/bindelora.dat", SerializarAgenda(l));
        Escribir(carpeta + "/bindelora.avs", Utf8ACp1252("07122026Santa Ágata\r\n07009999Cena de empresa & copas\r\n"
                                                         "08122026Mañana\r\n"));
    }

    struct Corrida {
        int codigo = -1;
        std::string salida, errores;
    };
    // The program run with the bus at direccion (none: no bus variable).
    Corrida Ejecutar(const QStringList& args, const QString& direccion)
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("XDG_CONFIG_HOME", QString::fromStdString(carpeta + "/cfg"));
        e.insert("HOME", QString::fromStdString(carpeta));
        e.insert("DBUS_SESSION_BUS_ADDRESS", direccion);
        e.remove("DISPLAY");
        e.remove("WAYLAND_DISPLAY");
        std::vector<std::string> argumentos, entorno;
        for (const QString& a : args) argumentos.push_back(a.toStdString());
        for (const QString& v : e.toStringList()) entorno.push_back(v.toStdString());
        Corrida c;
        c.codigo = Correr(std::move(argumentos), std::move(entorno), "/dev/null", 0, std::chrono::seconds{60});
        c.salida = salida;
        c.errores = errores;
        return c;
    }

    LanzadorFalso lanzador;
    std::unique_ptr<QCoreApplication> app;
};

}  // namespace

TEST_F(Avisar, TheNotificationCarriesTheDayAndItsActionOpensTheAvisalView)
{
    BusPrivado bus;
    ASSERT_FALSE(bus.Direccion().isEmpty()) << bus.Error().toStdString();
    DatosDelDia();
    ServidorEnHilo s(bus, {"body", "actions"}, Respuesta::Elegir);
    ASSERT_TRUE(s.Registrado());
    EXPECT_EQ(AvisarOrden(programa, kHoy, bus.Direccion().toStdString(), 60s), 0);
    const auto r = s.Servidor().Recibidas();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].aplicacion, "Bindelora");
    EXPECT_EQ(r[0].icono, "com.quenturo.Bindelora");
    EXPECT_EQ(r[0].resumen, "Avisal");
    EXPECT_EQ(r[0].cuerpo.toStdString(), kCuerpo);
    EXPECT_EQ(r[0].acciones, (QStringList{"abrir", "Abrir Bindelora"}));
    ASSERT_EQ(lanzador.inicios.size(), 1u);
    EXPECT_EQ(lanzador.inicios[0].programa.toStdString(), programa);
    EXPECT_EQ(lanzador.inicios[0].argumentos, QStringList{"/AVISAL"});
}

TEST_F(Avisar, NothingToSayOrNoActionsOnTheServer)
{
    BusPrivado bus;
    ASSERT_FALSE(bus.Direccion().isEmpty()) << bus.Error().toStdString();
    ServidorEnHilo s(bus, {"body", "actions"});
    ASSERT_TRUE(s.Registrado());
    // No files at all, then a day with nothing: nothing is sent.
    EXPECT_EQ(AvisarOrden(programa, kHoy, bus.Direccion().toStdString(), 1s), 0);
    DatosDelDia();
    EXPECT_EQ(AvisarOrden(programa, Fecha{2026, 6, 1}, bus.Direccion().toStdString(), 1s), 0);
    EXPECT_TRUE(s.Servidor().Recibidas().empty());
    EXPECT_TRUE(lanzador.inicios.empty());
}

TEST_F(Avisar, RunAsTheUserDoes)
{
    BusPrivado bus;
    ASSERT_FALSE(bus.Direccion().isEmpty()) << bus.Error().toStdString();
    DatosDelDia();
    {
        // Without actions the program ends as soon as it is shown.
        ServidorEnHilo s(bus, {"body"});
        ASSERT_TRUE(s.Registrado());
        const Corrida c = Ejecutar({"--avisar", "2026-12-07"}, bus.Direccion());
        EXPECT_EQ(c.codigo, 0) << c.errores;
        EXPECT_EQ(c.salida, "");
        const auto r = s.Servidor().Recibidas();
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].cuerpo.toStdString(), kCuerpo);
        EXPECT_TRUE(r[0].acciones.isEmpty());
    }
    // No server on the bus, then no bus: the text on the output, why on
    // the error output, and all is well.
    for (const QString& direccion : {bus.Direccion(), QString("unix:path=" + QString::fromStdString(carpeta) + "/nada")}) {
        const Corrida c = Ejecutar({"--avisar", "2026-12-07"}, direccion);
        EXPECT_EQ(c.codigo, 0) << c.errores;
        EXPECT_EQ(c.salida, std::string(kCuerpo) + "\n");
        EXPECT_NE(c.errores.find("el aviso va por la salida estándar"), std::string::npos) << c.errores;
    }
    const Corrida vacio = Ejecutar({"--avisar", "2026-06-01"}, bus.Direccion());
    EXPECT_EQ(vacio.codigo, 0);
    EXPECT_EQ(vacio.salida, "");
    EXPECT_EQ(vacio.errores, "");
    EXPECT_EQ(Ejecutar({"--avisar", "2026-13-01"}, bus.Direccion()).codigo, 2);
    EXPECT_EQ(Ejecutar({"--avisar", "2026-12-07", "2026-12-08"}, bus.Direccion()).codigo, 2);
    const std::string ayuda = Ejecutar({"--help"}, {}).salida;
    for (const char* o : {"--avisar [AAAA-MM-DD]", "--avisar-al-iniciar si|no", "--sincronizar-en CARPETA"})
        EXPECT_NE(ayuda.find(o), std::string::npos) << o;
}

TEST_F(Avisar, TheLoginEntryAndTheSyncFolderFromTheCommandLine)
{
    const std::string entrada = carpeta + "/cfg/autostart/com.quenturo.Bindelora.Avisos.desktop";
    Corrida c = Ejecutar({"--avisar-al-iniciar", "si"}, {});
    EXPECT_EQ(c.codigo, 0) << c.errores;
    EXPECT_NE(Leer(entrada).find("\nExec=\"" + programa + "\" --avisar\n"), std::string::npos);
    EXPECT_EQ(Ejecutar({"--avisar-al-iniciar", "no"}, {}).codigo, 0);
    EXPECT_FALSE(fs::exists(entrada));
    EXPECT_EQ(Ejecutar({"--avisar-al-iniciar", "quizá"}, {}).codigo, 2);
    EXPECT_EQ(Ejecutar({"--avisar-al-iniciar"}, {}).codigo, 2);

    const std::string reg = carpeta + "/cfg/Quenturo/Bindelora.reg";
    c = Ejecutar({"--sincronizar-en", QString::fromStdString(carpeta + "/sinc/")}, {});
    EXPECT_EQ(c.codigo, 0) << c.errores;
    const std::string texto = Leer(reg);
    // A store that was not there gets the defaults with it.
    EXPECT_NE(texto.find("\"AlEjecutarMostrar\"=\"LISTA\""), std::string::npos) << texto;
    EXPECT_NE(texto.find("\"CarpetaSincronizacion\"=\"" + carpeta + "/sinc\""), std::string::npos) << texto;
    c = Ejecutar({"--sincronizar-en", ""}, {});
    EXPECT_EQ(c.codigo, 0) << c.errores;
    EXPECT_NE(Leer(reg).find("\"CarpetaSincronizacion\"=\"\""), std::string::npos);
    // A file is no folder; a name the store cannot hold is refused.
    EXPECT_EQ(Ejecutar({"--sincronizar-en", QString::fromStdString(programa)}, {}).codigo, 1);
    EXPECT_EQ(Ejecutar({"--sincronizar-en", "/srv/\u4E2D"}, {}).codigo, 1);
    EXPECT_EQ(Ejecutar({"--sincronizar-en"}, {}).codigo, 2);
}
