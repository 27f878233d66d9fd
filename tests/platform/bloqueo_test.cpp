// The data folder lock: one holder at a time per folder, folders apart, and
// a lock left by a dead run taken over while an old one of a live run holds.
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

TEST(BloqueoDatos, SinCarpetaNoHayBloqueoPeroTampocoSeNiega)
{
    QTemporaryDir d;
    BloqueoDatos b((d.path() + QStringLiteral("/no/existe/bindelora.dat")).toStdString());
    EXPECT_EQ(b.estado(), Estado::SinBloqueo);
}

TEST(BloqueoDatos, ElAvisoNombraLaCarpeta)
{
    EXPECT_EQ(TituloYaAbierta(), QStringLiteral("Bindelora"));
    const QString texto = TextoYaAbierta("/home/ana/Agenda ñ");
    EXPECT_TRUE(texto.startsWith(QStringLiteral("La Bindelora ya está abierta")));
    EXPECT_TRUE(texto.contains(QStringLiteral("\r\r/home/ana/Agenda ñ\r\r")));
}
