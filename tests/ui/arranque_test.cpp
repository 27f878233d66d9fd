// Start-up decisions, settings at start and what the shutdown writes.
#include <QTimer>
#include <csignal>

#include "entorno.h"
#include "platform/senales.h"

using namespace bindelora;

namespace {

const QString kErrorAvisal = QStringLiteral(
    "Ocurrió un error fatal leyendo de la Base de Datos del Avisal.\r\r"
    "Deberá comprobarlo manualmente, o bien borrarla y comenzar desde cero.");

class Arranque : public EntornoVentanas {
protected:
    void LibroDeDos()
    {
        ListaPibes l;
        l.push_back(Pibe("Zoe", "Abad"));
        l.push_back(Pibe("Ana", "Zamora"));
        EscribirAgenda(l);
    }
};

}  // namespace

TEST_F(Arranque, EmptyBookOpensDatosWithBubbleAndCreatesDefaults)
{
    TfrmBindelora* f = Iniciar();
    EXPECT_EQ(PanelDelante(), f->PanelDatos);
    EXPECT_EQ(f->BotonVistaActual, f->btnDatos);
    EXPECT_TRUE(f->PanelHagaClicAqui->isVisible());
    EXPECT_TRUE(mensajes.cajas.empty());
    // First run: the key is created with the defaults.
    EXPECT_TRUE(registro.existe);
    EXPECT_EQ(std::get<std::string>(registro.valores["AlEjecutarMostrar"]), "LISTA");
    EXPECT_EQ(std::get<std::string>(registro.valores["AlEjecutarOrdenar"]), "Apellido 1");
    EXPECT_EQ(std::get<std::string>(registro.valores["MostrarSucesosParaHoy"]), "SIEMPRE");
    EXPECT_EQ(std::get<std::uint32_t>(registro.valores["ReproducirWAVSucesosParaHoy"]), 0u);
    EXPECT_EQ(std::get<std::string>(registro.valores["WAVSucesosParaHoy"]), "");
    EXPECT_EQ(f->OrdenActual, "Apellido 1");
    EXPECT_EQ(f->cbOrden->currentIndex(), 1);
    // A missing events file is created empty at once.
    EXPECT_TRUE(QFile::exists(QString::fromStdString(Avs())));
    EXPECT_EQ(Leer(Avs()), "");
}

TEST_F(Arranque, CommandLineSwitches)
{
    // "/LISTA" wins even over an empty book.
    TfrmBindelora* f = Iniciar({QStringLiteral("bindelora"), QStringLiteral("/lista")});
    EXPECT_EQ(PanelDelante(), f->PanelLista);
    Cerrar();

    LibroDeDos();
    registro.existe = true;
    registro.valores["AlEjecutarMostrar"] = std::string("CUMPLES");
    f = Iniciar({QStringLiteral("bindelora"), QStringLiteral("/DaTos")});
    EXPECT_EQ(PanelDelante(), f->PanelDatos);
    Cerrar();

    // Not a switch: the setting stands. A second argument is never read.
    f = Iniciar({QStringLiteral("bindelora"), QStringLiteral("/otra"), QStringLiteral("/DATOS")});
    EXPECT_EQ(f->BotonVistaActual, f->btnCumples);
    EXPECT_EQ(PanelDelante(), f->PanelCumples);
}

TEST_F(Arranque, ListaSettingIsRaisedOnlyByTheTimer)
{
    LibroDeDos();
    programa = std::make_unique<Programa>(QStringList{QStringLiteral("bindelora")});
    TfrmBindelora* f = frmBindelora;
    EXPECT_EQ(f->BotonVistaActual, f->btnLista);
    EXPECT_NE(PanelDelante(), f->PanelLista);
    EXPECT_TRUE(f->TimerOnLoad->isActive());
    programa->Mostrar();
    QTest::qWait(30);
    EXPECT_EQ(PanelDelante(), f->PanelLista);
    EXPECT_FALSE(f->TimerOnLoad->isActive());
    EXPECT_FALSE(f->PanelHagaClicAqui->isVisible());
}

TEST_F(Arranque, SettingsAreNormalisedOrKeptAsRead)
{
    LibroDeDos();
    registro.existe = true;
    registro.valores["AlEjecutarMostrar"] = std::string("datos");
    registro.valores["AlEjecutarOrdenar"] = std::string("nombre");
    registro.valores["MostrarSucesosParaHoy"] = std::string("solo_una");
    registro.valores["ReproducirWAVSucesosParaHoy"] = std::string("1");
    TfrmBindelora* f = Iniciar();
    EXPECT_EQ(PanelDelante(), f->PanelDatos);
    EXPECT_EQ(f->Config.AlEjecutarOrdenar, "nombre");
    EXPECT_EQ(f->OrdenActual, "Apellido 1");
    EXPECT_EQ(f->Config.MostrarSucesosParaHoy, "SOLO_UNA");
    // A mistyped flag reads as false and is overwritten with the integer 0.
    EXPECT_FALSE(f->Config.ReproducirWAVSucesosParaHoy);
    EXPECT_EQ(std::get<std::uint32_t>(registro.valores["ReproducirWAVSucesosParaHoy"]), 0u);
    // A missing string is empty, not the default, and is not written back.
    EXPECT_EQ(f->Config.WAVSucesosParaHoy, "");
    EXPECT_EQ(registro.valores.count("WAVSucesosParaHoy"), 0u);
}

TEST_F(Arranque, SoundFileThatIsGoneSwitchesSoundOffForTheRun)
{
    registro.existe = true;
    registro.valores["ReproducirWAVSucesosParaHoy"] = std::uint32_t{1};
    registro.valores["WAVSucesosParaHoy"] = std::string("/no/existe.wav");
    TfrmBindelora* f = Iniciar();
    EXPECT_FALSE(f->Config.ReproducirWAVSucesosParaHoy);
    EXPECT_EQ(f->Config.WAVSucesosParaHoy, "");
    EXPECT_EQ(std::get<std::string>(registro.valores["WAVSucesosParaHoy"]), "/no/existe.wav");
}

TEST_F(Arranque, BrokenSettingsStoreIsToldOnceAndTheRunGoesOn)
{
    registro.fallar = true;
    TfrmBindelora* f = Iniciar();
    ASSERT_FALSE(programa->Terminado());
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].titulo, QStringLiteral("Configuración"));
    EXPECT_EQ(f->Config.AlEjecutarMostrar, "LISTA");
}

TEST_F(Arranque, QuittingWritesTheBookInTheStartOrderingAndCurrentFormat)
{
    // An earlier-format file: no header, no AVS line.
    Escribir(Dat(),
             "NOM:Zoe\r\nAP1:Abad\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\nCUM:0\r\n----\r\n----\r\n"
             "NOM:Ana\r\nAP1:Zamora\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\nCUM:0\r\nDIR:Calle 1\r\n----\r\n----\r\n");
    registro.existe = true;
    registro.valores["AlEjecutarOrdenar"] = std::string("Nombre");
    Iniciar();
    Cerrar();
    EXPECT_EQ(Leer(Dat()),
              "VER:2.1\r\n----\r\n"
              "NOM:Ana\r\nAP1:Zamora\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\nCUM:0\r\nAVS:0\r\nDIR:Calle 1\r\n----\r\n----\r\n"
              "NOM:Zoe\r\nAP1:Abad\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\nCUM:0\r\nAVS:0\r\n----\r\n----\r\n");
}

TEST_F(Arranque, EveryWayOfClosingWritesOnce)
{
    LibroDeDos();
    TfrmBindelora* f = Iniciar();
    // The close picture: the press may be released elsewhere.
    QTest::mousePress(f->cerr1, Qt::LeftButton);
    QTest::mouseRelease(f->cerr1, Qt::LeftButton, {}, QPoint(-50, -50));
    EXPECT_FALSE(f->isVisible());
    const std::string escrito = Leer(Dat());
    EXPECT_EQ(escrito.rfind("VER:2.1\r\n", 0), 0u);
    // Later ends of the run (the loop's end, the destructor) write nothing more.
    std::remove(Dat().c_str());
    std::remove(Avs().c_str());
    f->close();
    Cerrar();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Dat())));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Avs())));
}

TEST_F(Arranque, DamagedEventsFileEndsTheRunAndIsLeftAlone)
{
    LibroDeDos();
    const std::string agenda = Leer(Dat());
    const std::string eventos = "01012030Bien\r\n\r\n05052030Tras la linea vacia\r\n";
    Escribir(Avs(), eventos);
    Iniciar();
    ASSERT_TRUE(programa->Terminado());
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].titulo, QStringLiteral("Error chungo"));
    EXPECT_EQ(mensajes.cajas[0].texto, kErrorAvisal);
    EXPECT_EQ(mensajes.cajas[0].icono, IconoMensaje::Aviso);
    Cerrar();
    EXPECT_EQ(Leer(Dat()), agenda);
    EXPECT_EQ(Leer(Avs()), eventos);
}

TEST_F(Arranque, DamagedAgendaIsBackedUpBeforeTheExitSaveShortensIt)
{
    const std::string original =
        "VER:2.1\r\n----\r\n"
        "NOM:Ana\r\nAP1:Abad\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\nCUM:0\r\nAVS:0\r\n----\r\n----\r\n"
        "NOM:Luis\r\nAP1:Roto\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\nCUM:\r\nAVS:0\r\n----\r\n----\r\n"
        "NOM:Eva\r\nAP1:Perdida\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\nCUM:0\r\nAVS:0\r\n----\r\n----\r\n";
    Escribir(Dat(), original);
    TfrmBindelora* f = Iniciar();
    ASSERT_FALSE(programa->Terminado());
    // The records before the damaged one are kept, as read.
    ASSERT_EQ(f->ListaPibes.size(), 1u);
    EXPECT_EQ(f->ListaPibes[0]->Nombre, "Ana");
    // ... and shown, since they are what the exit save will write.
    EXPECT_EQ(f->ListViewLista->NumFilas(), 1);
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Ana"));
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_TRUE(mensajes.cajas[0].texto.contains(QString::fromStdString(Dat() + ".bak")));
    EXPECT_EQ(Leer(Dat() + ".bak"), original);
    // Reading it again in the same run makes no second copy and no second
    // message, and the views follow the book even when it shrinks.
    f->ListaPibes.push_back(Pibe("Nuevo", "Contacto"));
    f->RellenarLista();
    f->RecuperarAgenda();
    EXPECT_EQ(f->ListViewLista->NumFilas(), 1);
    EXPECT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Dat() + ".bak.1")));
    Cerrar();
    EXPECT_EQ(Leer(Dat() + ".bak"), original);
    EXPECT_NE(Leer(Dat()).find("NOM:Ana"), std::string::npos);
}

TEST_F(Arranque, ExitSaveFailureIsReportedAndKeepsTheOldFile)
{
    LibroDeDos();
    const std::string agenda = Leer(Dat());
    Iniciar();
    // The folder cannot take the temporary file any more.
    ruta.ruta = "/proc/bindelora";
    Cerrar();
    EXPECT_GE(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].titulo, QStringLiteral("Error al guardar"));
    EXPECT_EQ(Leer(carpeta.path().toStdString() + "/bindelora.dat"), agenda);
}

TEST_F(Arranque, TerminationSignalShutsDownTheNormalWay)
{
    LibroDeDos();
    std::remove(Avs().c_str());
    Iniciar();
    ASSERT_FALSE(programa->Terminado());
    std::remove(Avs().c_str());  // created empty at start; the shutdown must write it again
    // As the program entry wires it.
    TerminarConSenales();
    auto conexion = QObject::connect(qApp, &QCoreApplication::aboutToQuit, [this] { programa->Apagar(); });
    QTimer::singleShot(0, [] { std::raise(SIGTERM); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    QObject::disconnect(conexion);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(Avs())));
    EXPECT_EQ(Leer(Dat()).rfind("VER:2.1\r\n----\r\nNOM:Zoe", 0), 0u);
}
