// The data folder lock: one holder at a time per book, however it is named,
// a private file; a lock left by a dead run taken over while an old one of
// a live run holds; locks that are not ours to take, and no lock, refused.
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <fstream>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/bloqueo.h"

using namespace bindelora;
using Estado = BloqueoDatos::Estado;

namespace {

std::string Agenda(const QTemporaryDir& d)
{
    return (d.path() + QStringLiteral("/bindelora.dat")).toStdString();
}

}  // namespace

TEST(BloqueoDatos, UnSoloDuenoPorCarpetaYCarpetasDistintasALaVez)
{
    QTemporaryDir a, b;
    auto primero = std::make_unique<BloqueoDatos>(Agenda(a));
    EXPECT_EQ(primero->estado(), Estado::Tomado);
    EXPECT_EQ(primero->Carpeta(), a.path().toStdString());
    EXPECT_EQ(primero->RutaBloqueo(), a.path().toStdString() + "/bindelora.lock");
    EXPECT_TRUE(QFile::exists(a.path() + "/bindelora.lock"));

    // The other data file of the folder is the same folder.
    BloqueoDatos segundo((a.path() + QStringLiteral("/bindelora.avs")).toStdString());
    EXPECT_EQ(segundo.estado(), Estado::Ocupado);
    BloqueoDatos otraCarpeta(Agenda(b));
    EXPECT_EQ(otraCarpeta.estado(), Estado::Tomado);

    // Released with its owner: the next run gets it and no file is left.
    primero.reset();
    EXPECT_FALSE(QFile::exists(a.path() + "/bindelora.lock"));
    EXPECT_EQ(BloqueoDatos(Agenda(a)).estado(), Estado::Tomado);
}

TEST(BloqueoDatos, UnBloqueoDeUnaEjecucionMuertaSeTomaYElViejoDeUnaVivaNo)
{
    QTemporaryDir d;
    const QString ruta = d.path() + QStringLiteral("/bindelora.lock");
    pid_t hijo = ::fork();
    if (hijo == 0) ::_exit(0);
    ::waitpid(hijo, nullptr, 0);
    {
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::number(hijo) + "\nbindelora\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    }
    auto tomado = std::make_unique<BloqueoDatos>(Agenda(d));
    EXPECT_EQ(tomado->estado(), Estado::Tomado);

    // A run may stay open for days: a lock two days old of a live run holds.
    const timeval hace[2] = {{::time(nullptr) - 2 * 86400, 0}, {::time(nullptr) - 2 * 86400, 0}};
    ASSERT_EQ(::utimes(ruta.toLocal8Bit().constData(), hace), 0);
    EXPECT_EQ(BloqueoDatos(Agenda(d)).estado(), Estado::Ocupado);
}

TEST(BloqueoDatos, SinCarpetaNoHayBloqueoYElMotivoNombraElArchivo)
{
    QTemporaryDir d;
    const std::string carpeta = (d.path() + QStringLiteral("/no/existe")).toStdString();
    BloqueoDatos b(carpeta + "/bindelora.dat");
    EXPECT_EQ(b.estado(), Estado::SinBloqueo);
    EXPECT_NE(b.Motivo().find(carpeta + "/bindelora.lock"), std::string::npos) << b.Motivo();
    const QString texto = TextoBloqueoImposible(b);
    EXPECT_TRUE(texto.contains(QString::fromStdString(b.Motivo())));
    EXPECT_TRUE(texto.contains(QStringLiteral("No se ha tocado ningún archivo de datos")));
}

TEST(BloqueoDatos, EsPrivadoSeaCualSeaLaUmask)
{
    QTemporaryDir d;
    const mode_t antes = ::umask(0);
    {
        BloqueoDatos b(Agenda(d));
        ASSERT_EQ(b.estado(), Estado::Tomado);
        struct stat st {};
        ASSERT_EQ(::stat(b.RutaBloqueo().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        // Nothing but the lock itself is left beside the data.
        EXPECT_EQ(QDir(d.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList{QStringLiteral("bindelora.lock")});
    }
    ::umask(antes);
}

TEST(BloqueoDatos, DosCarpetasEnlazadasAUnLibroSeExcluyen)
{
    QTemporaryDir d;
    namespace fs = std::filesystem;
    const std::string raiz = fs::canonical(d.path().toStdString()).string();
    for (const char* c : {"/libro", "/a", "/b"}) fs::create_directories(raiz + c);
    std::ofstream(raiz + "/libro/bindelora.dat") << "VER:2.1\r\n----\r\n";
    fs::create_symlink(raiz + "/libro/bindelora.dat", raiz + "/a/bindelora.dat");
    fs::create_symlink("../libro/bindelora.dat", raiz + "/b/bindelora.dat");
    fs::create_directory_symlink(raiz + "/libro", raiz + "/c");

    BloqueoDatos a(raiz + "/a/bindelora.dat");
    ASSERT_EQ(a.estado(), Estado::Tomado);
    EXPECT_EQ(a.RutaBloqueo(), raiz + "/libro/bindelora.lock");
    EXPECT_EQ(a.Carpeta(), raiz + "/libro");
    EXPECT_EQ(BloqueoDatos(raiz + "/b/bindelora.dat").estado(), Estado::Ocupado);
    EXPECT_EQ(BloqueoDatos(raiz + "/c/bindelora.dat").estado(), Estado::Ocupado);
    EXPECT_EQ(BloqueoDatos(raiz + "/libro/bindelora.dat").estado(), Estado::Ocupado);
    EXPECT_FALSE(fs::exists(raiz + "/a/bindelora.lock"));
}

TEST(BloqueoDatos, LosQueNoSePuedenTomarSeNieganConSuRuta)
{
    QTemporaryDir d;
    const QString ruta = d.path() + QStringLiteral("/bindelora.lock");
    auto plantar = [&](const QByteArray& contenido) {
        QFile::remove(ruta);
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenido);
    };
    auto negado = [&](const char* motivo) {
        BloqueoDatos b(Agenda(d));
        EXPECT_EQ(b.estado(), Estado::Ajeno) << motivo;
        EXPECT_NE(b.Motivo().find(motivo), std::string::npos) << b.Motivo();
        EXPECT_TRUE(TextoBloqueoImposible(b).contains(ruta));
        // Left where it is, for the user to look at.
        EXPECT_TRUE(QFile::exists(ruta));
    };
    // Another machine's, even naming a process id that is free here.
    pid_t hijo = ::fork();
    if (hijo == 0) ::_exit(0);
    ::waitpid(hijo, nullptr, 0);
    plantar(QByteArray::number(hijo) + "\nbindelora\notra-maquina\n");
    negado("otro ordenador (otra-maquina)");
    plantar("esto no es un bloqueo\n");
    negado("no se puede leer");
    plantar("");
    negado("no se puede leer");
    // Id 0 would name the whole process group, which is always alive.
    plantar("0\nbindelora\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    negado("no se puede leer");
    // Another user's, even of a dead run of this machine.
    if (::geteuid() == 0) {
        const passwd* nadie = ::getpwnam("nobody");
        ASSERT_NE(nadie, nullptr);
        plantar(QByteArray::number(hijo) + "\nbindelora\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        ASSERT_EQ(::chown(ruta.toLocal8Bit().constData(), nadie->pw_uid, nadie->pw_gid), 0);
        negado("pertenece a otro usuario");
    }
}

TEST(BloqueoDatos, UnIdReutilizadoOUnArranqueAnteriorNoRetienenElLibro)
{
    QTemporaryDir d;
    const QString ruta = d.path() + QStringLiteral("/bindelora.lock");
    const QByteArray maquina = QSysInfo::machineHostName().toUtf8();
    auto tomar = [&](const QByteArray& contenido) {
        QFile::remove(ruta);
        {
            QFile f(ruta);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(contenido);
        }
        return BloqueoDatos(Agenda(d)).estado();
    };
    const QByteArray yo = QByteArray::number(::getpid());
    QFile comm(QStringLiteral("/proc/self/comm"));
    ASSERT_TRUE(comm.open(QIODevice::ReadOnly));
    const QByteArray nombre = comm.readLine().trimmed();
    // This very process, run by another program's name: the id was reused.
    EXPECT_EQ(tomar(yo + "\notro-programa\n" + maquina + "\n"), Estado::Tomado);
    // ... or made before the last boot.
    EXPECT_EQ(tomar(yo + "\n" + nombre + "\n" + maquina + "\n\n00000000-arranque-viejo\n"), Estado::Tomado);
    // The same with everything matching: a live run.
    EXPECT_EQ(tomar(yo + "\n" + nombre + "\n" + maquina + "\n"), Estado::Ocupado);
}

TEST(BloqueoDatos, ElAvisoNombraLaCarpeta)
{
    EXPECT_EQ(TituloYaAbierta(), QStringLiteral("Bindelora"));
    const QString texto = TextoYaAbierta("/home/ana/Agenda ñ");
    EXPECT_TRUE(texto.startsWith(QStringLiteral("La Bindelora ya está abierta")));
    EXPECT_TRUE(texto.contains(QStringLiteral("\r\r/home/ana/Agenda ñ\r\r")));
}
