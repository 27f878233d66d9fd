// The pieces of the recovery: every name of a book giving one file, another
// program's version set aside, a damaged book backed up once, and the
// writer thread that keeps the copies up to date.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include "ayudas.h"
#include "core/archivo.h"
#include "core/recuperacion.h"

using namespace bindelora;
namespace fs = std::filesystem;

namespace {

class Recuperacion : public ::testing::Test {
protected:
    void SetUp() override
    {
        char plantilla[] = "/tmp/recuperacion-XXXXXX";
        ASSERT_NE(::mkdtemp(plantilla), nullptr);
        // The folder as the kernel names it: /tmp may itself be a link.
        raiz = fs::canonical(plantilla).string();
    }
    void TearDown() override { fs::remove_all(raiz); }

    static constexpr auto* Poner = &prueba::PonerContenido;
    static constexpr auto* Leer = &prueba::ContenidoDe;
    std::vector<std::string> Nombres() const
    {
        std::vector<std::string> r;
        for (const auto& e : fs::directory_iterator(raiz)) r.push_back(e.path().filename().string());
        std::sort(r.begin(), r.end());
        return r;
    }
    static void FijarHora(const std::string& ruta, std::time_t t)
    {
        const timeval tv[2] = {{t, 0}, {t, 0}};
        ::utimes(ruta.c_str(), tv);
    }

    std::string raiz;
};

}  // namespace

TEST_F(Recuperacion, EveryNameOfOneBookIsTheSameRealFile)
{
    fs::create_directories(raiz + "/libro");
    fs::create_directories(raiz + "/a");
    Poner(raiz + "/libro/bindelora.dat", "VER:2.1\r\n----\r\n");
    const std::string real = raiz + "/libro/bindelora.dat";
    // An absolute link, a relative one, a link to a link, a linked folder.
    fs::create_symlink(real, raiz + "/a/bindelora.dat");
    fs::create_symlink("../a/bindelora.dat", raiz + "/libro/otro.dat");
    fs::create_directory_symlink(raiz + "/libro", raiz + "/enlace");
    EXPECT_EQ(RutaReal(real), real);
    EXPECT_EQ(RutaReal(raiz + "/a/bindelora.dat"), real);
    EXPECT_EQ(RutaReal(raiz + "/libro/otro.dat"), real);
    EXPECT_EQ(RutaReal(raiz + "/enlace/bindelora.dat"), real);
    EXPECT_EQ(RutaReal(raiz + "/a/../libro/./bindelora.dat"), real);
    // A link to a book not made yet names where it will be.
    fs::create_symlink(raiz + "/libro/nuevo.dat", raiz + "/a/nuevo.dat");
    EXPECT_EQ(RutaReal(raiz + "/a/nuevo.dat"), raiz + "/libro/nuevo.dat");
    // A loop of links ends without hanging.
    fs::create_symlink(raiz + "/a/bucle2", raiz + "/a/bucle1");
    fs::create_symlink(raiz + "/a/bucle1", raiz + "/a/bucle2");
    EXPECT_FALSE(RutaReal(raiz + "/a/bucle1").empty());

    EXPECT_EQ(RutaRecuperacion(raiz + "/a/bindelora.dat"), real + ".recuperacion");
    EXPECT_EQ(RecuperacionPendiente(raiz + "/a/bindelora.dat", raiz + "/a/bindelora.avs"), "");
    Poner(raiz + "/libro/bindelora.avs.recuperacion", "");
    EXPECT_EQ(RecuperacionPendiente(raiz + "/a/bindelora.dat", raiz + "/libro/bindelora.avs"),
              raiz + "/libro/bindelora.avs.recuperacion");
    EXPECT_EQ(RutaDescartada(real + ".recuperacion"), real + ".recuperacion.descartado");
}

TEST_F(Recuperacion, AnotherProgramsVersionIsSetAsideUnderItsOwnTime)
{
    const std::string ruta = raiz + "/bindelora.dat";
    Poner(ruta, "leido");
    const HuellaArchivo leida = HuellaDe(ruta);
    EXPECT_TRUE(leida.existe);
    std::string apartado, error;
    // Unchanged, or gone since: nothing to keep.
    EXPECT_FALSE(ApartarSiCambio(ruta, leida, apartado, error));
    EXPECT_TRUE(apartado.empty() && error.empty());
    EXPECT_FALSE(ApartarSiCambio(raiz + "/no-existe.dat", leida, apartado, error));
    EXPECT_TRUE(error.empty());

    // Replaced by a rename (new inode) with the same size, and an hour back.
    Poner(raiz + "/nuevo", "otro!");
    ::rename((raiz + "/nuevo").c_str(), ruta.c_str());
    std::tm t{};
    t.tm_year = 2026 - 1900, t.tm_mon = 11, t.tm_mday = 8, t.tm_hour = 21, t.tm_min = 5, t.tm_sec = 9, t.tm_isdst = -1;
    FijarHora(ruta, std::mktime(&t));
    ASSERT_TRUE(ApartarSiCambio(ruta, leida, apartado, error)) << error;
    EXPECT_EQ(apartado, ruta + ".otra-20261208-210509");
    EXPECT_EQ(Leer(apartado), "otro!");
    EXPECT_FALSE(fs::exists(ruta));

    // A second version of the same second never replaces the first.
    Poner(ruta, "tercera");
    FijarHora(ruta, std::mktime(&t));
    ASSERT_TRUE(ApartarSiCambio(ruta, leida, apartado, error));
    EXPECT_EQ(apartado, ruta + ".otra-20261208-210509-2");
    EXPECT_EQ(Leer(ruta + ".otra-20261208-210509"), "otro!");

    // Created by another program where there was none at the start.
    Poner(ruta, "de otro");
    EXPECT_TRUE(ApartarSiCambio(ruta, HuellaArchivo{}, apartado, error));
    // Written in place, same inode: the size or the time tell.
    Poner(ruta, "v1");
    const HuellaArchivo v1 = HuellaDe(ruta);
    Poner(ruta, "v22");
    EXPECT_FALSE(HuellaDe(ruta) == v1);
}

TEST_F(Recuperacion, DiscardingReplacesAnOlderDiscardedCopy)
{
    const std::string copia = raiz + "/bindelora.dat.recuperacion";
    Poner(RutaDescartada(copia), "vieja");
    Poner(copia, "nueva");
    std::string destino, error;
    ASSERT_TRUE(DescartarRecuperacion(copia, destino, error));
    EXPECT_EQ(destino, copia + ".descartado");
    EXPECT_EQ(Leer(destino), "nueva");
    EXPECT_FALSE(fs::exists(copia));
    EXPECT_FALSE(DescartarRecuperacion(copia, destino, error));
    EXPECT_NE(error.find(copia), std::string::npos);
}

TEST_F(Recuperacion, DamagedBookIsBackedUpOnlyOnceWhateverTheBackupsName)
{
    const std::string ruta = raiz + "/bindelora.dat";
    Poner(ruta, "dañado 1");
    EXPECT_EQ(RespaldoIgual(ruta), "");
    Poner(ruta + ".bak", "otro contenido");
    Poner(ruta + ".bak.3", "dañado 1");
    Poner(ruta + ".bak.x", "dañado 1");        // not a backup's name
    Poner(ruta + ".bakalao", "dañado 1");      // nor this
    Poner(raiz + "/otro.dat.bak", "dañado 1");  // another book's
    EXPECT_EQ(RespaldoIgual(ruta), ruta + ".bak.3");
    // Same size, other bytes.
    Poner(ruta, "dañado 2");
    EXPECT_EQ(RespaldoIgual(ruta), "");
    EXPECT_EQ(RespaldoIgual(raiz + "/no-existe.dat"), "");
}

TEST_F(Recuperacion, WriterThreadWritesTheLatestOfEachFileAndWaits)
{
    const std::string a = raiz + "/a.recuperacion", b = raiz + "/b.recuperacion";
    {
        EscritorDiferido escritor;
        for (int i = 0; i < 50; ++i) {
            escritor.Pedir(a, "a" + std::to_string(i));
            escritor.Pedir(b, std::string(100000, static_cast<char>('0' + i % 10)));
        }
        std::string error;
        ASSERT_TRUE(escritor.Esperar(error)) << error;
        EXPECT_EQ(Leer(a), "a49");
        EXPECT_EQ(Leer(b), std::string(100000, '9'));
        // A failed write is told by the next wait, once.
        escritor.Pedir(raiz + "/no/existe/c", "x");
        EXPECT_FALSE(escritor.Esperar(error));
        EXPECT_NE(error.find("no/existe/c"), std::string::npos);
        EXPECT_TRUE(escritor.Esperar(error));
        // ... and without waiting, once.
        escritor.Pedir(raiz + "/no/existe/d", "x");
        std::string fallo;
        for (int i = 0; i < 2000 && fallo.empty(); ++i) {
            fallo = escritor.Fallo();
            if (fallo.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_NE(fallo.find("no/existe/d"), std::string::npos);
        EXPECT_EQ(escritor.Fallo(), "");
        // What is still asked when it goes is written before it goes.
        escritor.Pedir(a, "ultima");
    }
    EXPECT_EQ(Leer(a), "ultima");
    // Only the files themselves: no temporary file is left.
    EXPECT_EQ(Nombres(), (std::vector<std::string>{"a.recuperacion", "b.recuperacion"}));
}
