// One run per data folder: a second start on the same files is told and
// touches nothing; the real program started twice; stale leftovers of a
// killed run.
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <map>

#include <sys/wait.h>
#include <unistd.h>

#include "entorno.h"
#include "core/archivo.h"
#include "platform/bloqueo.h"

using namespace bindelora;

namespace {

// Every file under a folder with its size, time and contents.
std::map<QString, QString> Foto(const QString& carpeta)
{
    std::map<QString, QString> foto;
    QDirIterator it(carpeta, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString ruta = it.next();
        QFile f(ruta);
        f.open(QIODevice::ReadOnly);
        foto[ruta] = QString::number(QFileInfo(ruta).lastModified().toMSecsSinceEpoch()) + " " +
                     QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex();
    }
    return foto;
}

class UnaInstancia : public EntornoVentanas {};

}  // namespace

TEST_F(UnaInstancia, OtraCopiaConLaCarpetaAvisaYNoEscribeNada)
{
    ListaPibes l;
    l.push_back(Pibe("Ana", "Ruiz"));
    EscribirAgenda(l);
    const std::string antes = Leer(Dat());
    BloqueoDatos otraCopia(Dat());
    ASSERT_EQ(otraCopia.estado(), BloqueoDatos::Estado::Tomado);

    Iniciar();
    ASSERT_TRUE(programa->Terminado());
    EXPECT_EQ(frmBindelora, nullptr);
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].titulo, QStringLiteral("Bindelora"));
    EXPECT_EQ(mensajes.cajas[0].icono, IconoMensaje::Aviso);
    EXPECT_EQ(mensajes.cajas[0].texto, TextoYaAbierta(carpeta.path().toStdString()));
    Cerrar();
    // Not even the settings or an empty events file were written.
    EXPECT_FALSE(registro.existe);
    EXPECT_FALSE(ExisteArchivo(Avs()));
    EXPECT_EQ(Leer(Dat()), antes);
}

TEST_F(UnaInstancia, LaEjecucionTieneElBloqueoHastaEscribirYQuitaTemporalesViejos)
{
    pid_t muerto = ::fork();
    if (muerto == 0) ::_exit(0);
    ::waitpid(muerto, nullptr, 0);
    const std::string temporal = Dat() + ".tmp-" + std::to_string(muerto) + "-7";
    Escribir(temporal, "VER:2.1\r\n----\r\nNOM:a medias");

    Iniciar();
    ASSERT_FALSE(programa->Terminado());
    EXPECT_FALSE(ExisteArchivo(temporal));
    const QString bloqueo = carpeta.path() + QStringLiteral("/bindelora.lock");
    EXPECT_TRUE(QFile::exists(bloqueo));
    EXPECT_EQ(BloqueoDatos(Dat()).estado(), BloqueoDatos::Estado::Ocupado);
    Cerrar();
    EXPECT_TRUE(ExisteArchivo(Dat()));
    EXPECT_FALSE(QFile::exists(bloqueo));
    EXPECT_TRUE(mensajes.cajas.empty());
}

// The real program, started as a user would, on the offscreen platform.
TEST(ProgramaReal, DosVecesEnLaMismaCarpetaLaSegundaSeNiegaYEnOtraCarpetaConviven)
{
    QTemporaryDir raiz;
    ASSERT_TRUE(raiz.isValid());
    const QString binario = QCoreApplication::applicationDirPath() + QStringLiteral("/bindelora");
    ASSERT_TRUE(QFile::exists(binario));
    // The data files lie beside the program: each folder gets its own copy.
    auto preparar = [&](const QString& nombre) {
        const QString c = raiz.path() + "/" + nombre;
        QDir().mkpath(c);
        EXPECT_TRUE(QFile::copy(binario, c + "/bindelora"));
        return c;
    };
    const QString a = preparar("a"), b = preparar("b");
    {
        ListaPibes l;
        auto p = std::make_unique<TPibe>();
        p->Nombre = "Ana";
        p->Ape1 = "Ruiz";
        l.push_back(std::move(p));
        std::string error;
        ASSERT_TRUE(GuardarAgenda((a + "/bindelora.dat").toStdString(), l, error));
    }
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    entorno.insert(QStringLiteral("XDG_CONFIG_HOME"), raiz.path() + QStringLiteral("/config"));

    struct Ejecucion {
        QProcess proceso;
        QString errores;
        bool Dice(const QString& texto)
        {
            errores += QString::fromLocal8Bit(proceso.readAllStandardError());
            return errores.contains(texto);
        }
    };
    auto lanzar = [&](Ejecucion& e, const QString& carpeta) {
        e.proceso.setProcessEnvironment(entorno);
        e.proceso.start(carpeta + "/bindelora", {});
        EXPECT_TRUE(e.proceso.waitForStarted(20000));
    };
    // Started: the events file is made at start when missing, after the lock.
    auto arrancado = [](const QString& carpeta) {
        return QTest::qWaitFor([&] { return QFile::exists(carpeta + "/bindelora.avs"); }, 60000);
    };
    const QString yaAbierta = QStringLiteral("ya está abierta");

    Ejecucion primera;
    lanzar(primera, a);
    ASSERT_TRUE(arrancado(a));
    QTest::qWait(300);
    const auto fotoA = Foto(a), fotoConfig = Foto(raiz.path() + "/config");

    Ejecucion segunda;
    lanzar(segunda, a);
    ASSERT_TRUE(QTest::qWaitFor([&] { return segunda.Dice(yaAbierta); }, 60000)) << segunda.errores.toStdString();
    EXPECT_TRUE(segunda.errores.contains(a)) << segunda.errores.toStdString();
    // It waits at its message box; closing it ends the program.
    QTest::qWait(300);
    EXPECT_EQ(segunda.proceso.state(), QProcess::Running);
    segunda.proceso.terminate();
    ASSERT_TRUE(segunda.proceso.waitForFinished(30000));
    EXPECT_EQ(segunda.proceso.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(segunda.proceso.exitCode(), 1);
    EXPECT_EQ(Foto(a), fotoA);
    EXPECT_EQ(Foto(raiz.path() + "/config"), fotoConfig);

    Ejecucion otraCarpeta;
    lanzar(otraCarpeta, b);
    ASSERT_TRUE(arrancado(b));
    EXPECT_EQ(otraCarpeta.proceso.state(), QProcess::Running);
    EXPECT_FALSE(otraCarpeta.Dice(yaAbierta));

    // Both close the normal way and write their files.
    for (Ejecucion* e : {&primera, &otraCarpeta}) {
        e->proceso.terminate();
        ASSERT_TRUE(e->proceso.waitForFinished(30000));
        EXPECT_EQ(e->proceso.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(e->proceso.exitCode(), 0) << e->errores.toStdString();
    }
    ListaPibes leido;
    EXPECT_EQ(LeerAgenda((a + "/bindelora.dat").toStdString(), leido).estado, EstadoLectura::Completa);
    ASSERT_EQ(leido.size(), 1u);
    EXPECT_EQ(leido[0]->Nombre, "Ana");
    EXPECT_FALSE(QFile::exists(a + "/bindelora.lock"));
    EXPECT_FALSE(QFile::exists(b + "/bindelora.lock"));

    // A run killed outright leaves its lock behind; the next start takes it over.
    Ejecucion matada;
    lanzar(matada, a);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(a + "/bindelora.lock"); }, 60000));
    QTest::qWait(300);
    matada.proceso.kill();
    ASSERT_TRUE(matada.proceso.waitForFinished(30000));
    ASSERT_TRUE(QFile::exists(a + "/bindelora.lock"));
    Ejecucion siguiente;
    lanzar(siguiente, a);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            QFile f(a + "/bindelora.lock");
            return f.open(QIODevice::ReadOnly) && f.readLine().trimmed().toLongLong() == siguiente.proceso.processId();
        },
        60000));
    EXPECT_FALSE(siguiente.Dice(yaAbierta));
    siguiente.proceso.terminate();
    ASSERT_TRUE(siguiente.proceso.waitForFinished(30000));
    EXPECT_EQ(siguiente.proceso.exitCode(), 0) << siguiente.errores.toStdString();
}
