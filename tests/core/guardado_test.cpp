// Saves cut short by a crash, what they leave behind, the agenda reader at
// the edges of its read blocks, and a file changed while read.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <utility>

#include <csignal>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ayudas.h"
#include "core/agenda.h"
#include "core/archivo.h"

using namespace bindelora;
namespace fs = std::filesystem;

namespace {

class CarpetaTemporal {
public:
    CarpetaTemporal()
    {
        std::string plantilla = (fs::temp_directory_path() / "bindelora-guardado-XXXXXX").string();
        ruta_ = ::mkdtemp(plantilla.data());
    }
    ~CarpetaTemporal()
    {
        std::error_code ec;
        fs::remove_all(ruta_, ec);
    }
    const std::string& Ruta() const { return ruta_; }
    std::vector<std::string> Nombres() const
    {
        std::vector<std::string> v;
        for (const auto& e : fs::directory_iterator(ruta_)) v.push_back(e.path().filename().string());
        std::sort(v.begin(), v.end());
        return v;
    }

private:
    std::string ruta_;
};

// A process id that no process has any more.
pid_t PidMuerto()
{
    pid_t hijo = ::fork();
    if (hijo == 0) ::_exit(0);
    ::waitpid(hijo, nullptr, 0);
    return hijo;
}

ListaPibes Libro(char marca, int n)
{
    ListaPibes l;
    for (int i = 0; i < n; ++i) {
        auto p = std::make_unique<TPibe>();
        p->Nombre = std::string(1, marca) + std::to_string(i);
        p->Ape1 = "Apellido" + std::to_string(i % 97);
        p->Ape2 = std::string(static_cast<std::size_t>(i % 13), marca);
        p->EMail = p->Nombre + "@ejemplo.es";
        p->Cumple = 30000 + i % 9000;
        p->EnAvisal = i % 2 == 0;
        p->Direccion = {"Calle " + std::to_string(i), "28001 Madrid"};
        if (marca == 'B') p->Varios = {"Una nota algo larga para que los dos archivos difieran de largo"};
        l.push_back(std::move(p));
    }
    return l;
}

int Ensayos()
{
    const char* v = std::getenv("BINDELORA_ENSAYOS_SIGKILL");
    return v && std::atoi(v) > 0 ? std::atoi(v) : 30;
}

}  // namespace

// A save killed at any moment leaves the whole old file or the whole new one,
// and nothing that the next start takes for data; that start removes what
// the killed save left.
TEST(GuardadoInterrumpido, UnSigkillEnCualquierMomentoDejaElArchivoViejoOElNuevoEntero)
{
    CarpetaTemporal carpeta;
    const std::string ruta = carpeta.Ruta() + "/bindelora.dat";
    const ListaPibes libros[2] = {Libro('A', 20000), Libro('B', 20000)};
    const std::string textos[2] = {SerializarAgenda(libros[0]), SerializarAgenda(libros[1])};
    ASSERT_NE(textos[0].size(), textos[1].size());
    std::string error;
    ASSERT_TRUE(GuardarAgenda(ruta, libros[0], error)) << error;

    auto lanzar = [&](int cual) {
        pid_t hijo = ::fork();
        if (hijo == 0) {
            std::string e;
            ::_exit(GuardarAgenda(ruta, libros[cual], e) ? 0 : 1);
        }
        return hijo;
    };
    // How long a whole save takes here, so the kills fall all over it.
    auto t0 = std::chrono::steady_clock::now();
    pid_t hijo = lanzar(1);
    int estado = 0;
    ::waitpid(hijo, &estado, 0);
    ASSERT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 0);
    const auto duracion = std::chrono::steady_clock::now() - t0;
    ASSERT_EQ(prueba::ContenidoDe(ruta), textos[1]);
    int actual = 1;

    const unsigned semilla = std::random_device{}();
    std::mt19937 azar(semilla);
    const auto hasta = std::chrono::duration_cast<std::chrono::microseconds>(duracion * 1.3).count();
    std::uniform_int_distribution<long long> espera(0, hasta);
    int viejos = 0, nuevos = 0, temporales = 0;
    const int ensayos = Ensayos();
    for (int i = 0; i < ensayos; ++i) {
        const int otro = 1 - actual;
        hijo = lanzar(otro);
        std::this_thread::sleep_for(std::chrono::microseconds(espera(azar)));
        ::kill(hijo, SIGKILL);
        ::waitpid(hijo, &estado, 0);

        const std::string en_disco = prueba::ContenidoDe(ruta);
        const bool esViejo = en_disco == textos[actual];
        const bool esNuevo = en_disco == textos[otro];
        ASSERT_TRUE(esViejo || esNuevo) << "ensayo " << i << " (semilla " << semilla << "): " << en_disco.size()
                                        << " bytes, ni el archivo viejo ni el nuevo";
        if (esNuevo) actual = otro;
        (esNuevo ? nuevos : viejos)++;

        // Whatever else is there is a temporary file of the killed save.
        std::vector<std::string> nombres = carpeta.Nombres();
        for (const std::string& n : nombres)
            if (n != "bindelora.dat") {
                EXPECT_EQ(n.rfind("bindelora.dat.tmp-" + std::to_string(hijo) + "-", 0), 0u) << n;
                ++temporales;
            }
        // The next start cleans up, and reads the file whole.
        EXPECT_EQ(LimpiarTemporales(ruta), static_cast<int>(nombres.size()) - 1);
        EXPECT_EQ(carpeta.Nombres(), std::vector<std::string>{"bindelora.dat"});
        ListaPibes leido;
        EXPECT_EQ(LeerAgenda(ruta, leido).estado, EstadoLectura::Completa);
        EXPECT_EQ(leido.size(), 20000u);
    }
    std::printf("[ sigkill ] %d ensayos (semilla %u, guardado de %lld us): %d archivos viejos, %d nuevos, "
                "%d temporales quitados\n",
                ensayos, semilla, static_cast<long long>(hasta / 1.3), viejos, nuevos, temporales);
}

TEST(GuardadoInterrumpido, LimpiarQuitaSoloTemporalesDeProcesosMuertosDeEstosArchivos)
{
    CarpetaTemporal carpeta;
    const std::string base = carpeta.Ruta() + "/";
    const std::string muerto = std::to_string(PidMuerto());
    const std::string vivo = std::to_string(::getpid());
    const std::vector<std::string> quitar = {"bindelora.dat.tmp-" + muerto + "-1", "bindelora.avs.tmp-" + muerto + "-22",
                                             "bindelora.dat.bak.tmp-" + muerto + "-333"};
    const std::vector<std::string> dejar = {
        "bindelora.dat",      "bindelora.avs", "bindelora.dat.bak",
        "bindelora.dat.tmp-" + vivo + "-1",                 // a save of this very run
        "otra.dat.tmp-" + muerto + "-1",                    // another program's files
        "bindelora.dat.tmp-" + muerto,                      // not a name a save makes
        "bindelora.dat.tmp-" + muerto + "-1x", "bindelora.dat.tmp--1", "bindelora.dat.tmp-" + muerto + "-"};
    for (const auto& n : quitar) prueba::PonerContenido(base + n, "x");
    for (const auto& n : dejar) prueba::PonerContenido(base + n, "x");
    fs::create_directory(base + "bindelora.dat.tmp-" + muerto + "-9");  // a folder is never removed

    EXPECT_EQ(LimpiarTemporales(base + "bindelora.dat"), 3);
    std::vector<std::string> esperado = dejar;
    esperado.push_back("bindelora.dat.tmp-" + muerto + "-9");
    std::sort(esperado.begin(), esperado.end());
    EXPECT_EQ(carpeta.Nombres(), esperado);
    // A folder that is not there is no error.
    EXPECT_EQ(LimpiarTemporales(base + "no/existe.dat"), 0);
}

// The file reader fills its buffer a block at a time: lines and CR LF pairs
// cut by a block edge, and lines longer than a block, read as from memory.
TEST(LecturaPorBloques, CualquierTamanoDeBloqueLeeLoMismoQueDesdeMemoria)
{
    std::string texto = "VER:2.1\r\n----\r\n";
    texto += "NOM:Ana\rAP1:Ruiz\nAP2:\r\nTFC:1\r\nTFM:\r\nEMA:" + std::string(100, 'e') +
             "\r\nGRP:\r\nCUM:36892,5\r\nAVS:0\r\nDIR:----\r\n----\r\nVAR:\r----\r\n";
    texto += "NOM:Luis\nAP1:\nAP2:\nTFC:\nTFM:\nEMA:\nGRP:\nCUM:0\nAVS:1\n----\n----";  // no final break
    ListaPibes esperado;
    const ResultadoLectura r = LeerAgendaDeTexto(texto, esperado);
    ASSERT_EQ(esperado.size(), 2u);
    for (std::size_t bloque = 1; bloque <= 40; ++bloque) {
        const int fd = ::memfd_create("agenda", MFD_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, texto.data(), texto.size()), static_cast<ssize_t>(texto.size()));
        ::lseek(fd, 0, SEEK_SET);
        ListaPibes leido;
        const ResultadoLectura rb = LeerAgendaDeDescriptor(fd, bloque, leido);
        ::close(fd);
        EXPECT_EQ(rb.estado, r.estado) << "bloque " << bloque;
        ASSERT_EQ(leido.size(), esperado.size()) << "bloque " << bloque;
        for (std::size_t i = 0; i < leido.size(); ++i) {
            EXPECT_EQ(leido[i]->Nombre, esperado[i]->Nombre) << "bloque " << bloque;
            EXPECT_EQ(leido[i]->EMail, esperado[i]->EMail) << "bloque " << bloque;
            EXPECT_EQ(leido[i]->TfnoCasa, esperado[i]->TfnoCasa) << "bloque " << bloque;
            EXPECT_EQ(leido[i]->Direccion, esperado[i]->Direccion) << "bloque " << bloque;
            EXPECT_EQ(leido[i]->Varios, esperado[i]->Varios) << "bloque " << bloque;
            EXPECT_EQ(leido[i]->EnAvisal, esperado[i]->EnAvisal) << "bloque " << bloque;
        }
    }
}

namespace {

// Reads a page at a time, and after the first one lets cambiar alter the
// file, as another program might while it is read.
class SistemaQueCambia : public SistemaArchivos {
public:
    explicit SistemaQueCambia(std::function<void()> c) : cambiar(std::move(c)) { setInstancia(this); }
    ~SistemaQueCambia() override { setInstancia(nullptr); }
    long Leer(int fd, char* p, std::size_t n) override
    {
        const long r = SistemaArchivos::Leer(fd, p, std::min<std::size_t>(n, 4096));
        if (cambiar) std::exchange(cambiar, nullptr)();
        return r;
    }
    std::function<void()> cambiar;
};

}  // namespace

TEST(ArchivoEnMemoria, CambiadoMientrasSeLeeSeSabe)
{
    CarpetaTemporal c;
    const std::string ruta = c.Ruta() + "/a.vcf";
    const std::string texto(4096 * 8, 'x');
    const std::size_t queda = 4096 * 3 + 10;
    auto leer = [&](std::function<void()> cambiar, ArchivoEnMemoria& a) {
        prueba::PonerContenido(ruta, texto);
        const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        SistemaQueCambia s(std::move(cambiar));
        EXPECT_EQ(a.Abrir(fd), 0);
        ::close(fd);
    };
    ArchivoEnMemoria cortado, crecido, igual, tocado;
    leer([&] { ASSERT_EQ(::truncate(ruta.c_str(), static_cast<off_t>(queda)), 0); }, cortado);
    EXPECT_TRUE(cortado.Cambio());
    EXPECT_EQ(cortado.Datos(), texto.substr(0, queda));
    leer([&] { std::ofstream(ruta, std::ios::binary | std::ios::app) << "más"; }, crecido);
    EXPECT_TRUE(crecido.Cambio());
    // Rewritten in place with the same size: only its time tells.
    leer([&] {
        timespec t[2] = {{0, UTIME_OMIT}, {12345, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, ruta.c_str(), t, 0), 0);
    }, tocado);
    EXPECT_TRUE(tocado.Cambio());
    leer(nullptr, igual);
    EXPECT_FALSE(igual.Cambio());
    EXPECT_EQ(igual.Datos(), texto);
}
