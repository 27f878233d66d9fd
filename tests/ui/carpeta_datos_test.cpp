// A program whose folder cannot be written keeps its data files in the
// user's data folder; every reader and writer of the two files follows.
#include <sys/stat.h>

#include "core/archivo.h"
#include "entorno.h"

using namespace bindelora;

namespace {

class CarpetaDatosVentana : public EntornoVentanas {
protected:
    void SetUp() override
    {
        EntornoVentanas::SetUp();
        // A folder that does not exist cannot be written, even by root.
        ruta.ruta = (carpeta.path() + QStringLiteral("/no-existe/bindelora")).toStdString();
        xdg = (carpeta.path() + QStringLiteral("/xdg")).toStdString();
        antes = qgetenv("XDG_DATA_HOME");
        habia = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(xdg));
    }

    void TearDown() override
    {
        EntornoVentanas::TearDown();
        if (habia)
            qputenv("XDG_DATA_HOME", antes);
        else
            qunsetenv("XDG_DATA_HOME");
    }

    std::string Datos() const { return xdg + "/bindelora"; }

    std::string xdg;
    QByteArray antes;
    bool habia = false;
};

}  // namespace

TEST_F(CarpetaDatosVentana, FirstStartAndLaterStartsUseTheUsersDataFolder)
{
    TfrmBindelora* f = Iniciar();
    ASSERT_FALSE(f->Terminado());
    EXPECT_EQ(f->RutaAgenda(), Datos() + "/bindelora.dat");
    EXPECT_EQ(f->RutaAvisal(), Datos() + "/bindelora.avs");
    // A first start as beside the program: the events file is created at
    // once, the empty book opens the Datos view with its bubble.
    EXPECT_TRUE(ExisteArchivo(Datos() + "/bindelora.avs"));
    EXPECT_EQ(PanelDelante(), f->PanelDatos);
    EXPECT_TRUE(f->PanelHagaClicAqui->isVisible());
    Cerrar();
    EXPECT_EQ(Leer(Datos() + "/bindelora.dat"), "VER:2.1\r\n----\r\n");
    EXPECT_EQ(Leer(Datos() + "/bindelora.avs"), "");
    EXPECT_TRUE(mensajes.cajas.empty());

    // The next start reads what is there, and the birthday is entered.
    ListaPibes l;
    l.push_back(Pibe("Ana", "Zamora", "", "", Dia(1990, 3, 4)));
    Escribir(Datos() + "/bindelora.dat", SerializarAgenda(l));
    f = Iniciar();
    ASSERT_EQ(f->ListaPibes.size(), 1u);
    EXPECT_EQ(f->ListaPibes[0]->Nombre, "Ana");
    Cerrar();
    EXPECT_EQ(Leer(Datos() + "/bindelora.avs"), "04039999Cumplea\xF1os de Ana Zamora\r\n");
}

TEST_F(CarpetaDatosVentana, DataFolderThatCannotBeCreatedRefusesTheStartAndTouchesNothing)
{
    const std::string archivo = carpeta.path().toStdString() + "/un-archivo";
    Escribir(archivo, "x");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(archivo));
    Iniciar();
    // Without a folder there is no lock, and without a lock no run.
    ASSERT_TRUE(programa->Terminado());
    EXPECT_EQ(frmBindelora, nullptr);
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].titulo, QStringLiteral("Bindelora"));
    EXPECT_EQ(mensajes.cajas[0].icono, IconoMensaje::Error);
    EXPECT_TRUE(mensajes.cajas[0].texto.contains(QString::fromStdString(archivo + "/bindelora/bindelora.lock")));
    Cerrar();
    EXPECT_EQ(Leer(archivo), "x");
    EXPECT_FALSE(registro.existe);
}

TEST_F(CarpetaDatosVentana, BookBesideAProgramInAFolderOpenToOthersIsPointedAtOnce)
{
    const std::string prog = carpeta.path().toStdString() + "/prog";
    ::mkdir(prog.c_str(), 0775);
    ::chmod(prog.c_str(), 0775);
    ruta.ruta = prog + "/bindelora";
    ListaPibes l;
    l.push_back(Pibe("Ana", "Zamora"));
    const std::string libro = SerializarAgenda(l);
    Escribir(prog + "/bindelora.dat", libro);
    TfrmBindelora* f = Iniciar();
    ASSERT_FALSE(programa->Terminado());
    EXPECT_EQ(f->RutaAgenda(), Datos() + "/bindelora.dat");
    EXPECT_TRUE(f->ListaPibes.empty());
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].icono, IconoMensaje::Informacion);
    EXPECT_TRUE(mensajes.cajas[0].texto.contains(QString::fromStdString(prog + "/bindelora.dat")));
    EXPECT_TRUE(mensajes.cajas[0].texto.contains(QString::fromStdString(Datos())));
    Cerrar();
    // The book beside the program is left as it was; the next start, with a
    // book of its own, says nothing more.
    EXPECT_EQ(Leer(prog + "/bindelora.dat"), libro);
    mensajes.cajas.clear();
    Iniciar();
    EXPECT_TRUE(mensajes.cajas.empty());
}
