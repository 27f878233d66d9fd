// The one safe write: the temporary file's name and mode, a failure at each
// of its steps, backups that never replace one another, and the reads of
// what is not a regular file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ayudas.h"
#include "core/archivo.h"

using namespace bindelora;
namespace fs = std::filesystem;

namespace {

void SegPoner(const std::string& ruta, const std::string& datos, mode_t modo = 0644)
{
    std::ofstream(ruta, std::ios::binary) << datos;
    ::chmod(ruta.c_str(), modo);
}

unsigned SegModo(const std::string& ruta)
{
    struct stat st {};
    EXPECT_EQ(::stat(ruta.c_str(), &st), 0) << ruta;
    return st.st_mode & 07777;
}

// Steps that fail on demand, names forced from a list, and what the write
// asked for and saw on the way.
class SistemaDePrueba : public SistemaArchivos {
public:
    SistemaDePrueba() { setInstancia(this); }
    ~SistemaDePrueba() override { setInstancia(nullptr); }

    std::deque<std::string> nombres;  // the next temporary names, in order
    std::string carpetaLlena;         // every file created in it: ENOSPC
    int falloEscribir = 0, falloSincronizar = 0, falloRenombrar = 0, falloEnlazar = 0;
    std::size_t trozo = 0;             // the most one write takes, when set
    bool interrumpir = false;          // every other write: EINTR
    std::vector<unsigned> modosPedidos, modosVistos;
    std::function<void(const std::string&)> antesDeEnlazar;

    std::string NombreTemporal(const std::string& ruta) override
    {
        if (nombres.empty()) return SistemaArchivos::NombreTemporal(ruta);
        std::string n = nombres.front();
        if (nombres.size() > 1) nombres.pop_front();
        return n;
    }
    int Abrir(const std::string& ruta, int flags, unsigned modo) override
    {
        if ((flags & O_CREAT) && !carpetaLlena.empty() && fs::path(ruta).parent_path() == carpetaLlena)
            return Fallo(ENOSPC);
        if (flags & O_CREAT) modosPedidos.push_back(modo);
        return SistemaArchivos::Abrir(ruta, flags, modo);
    }
    long Escribir(int fd, const char* p, std::size_t n) override
    {
        struct stat st {};
        ::fstat(fd, &st);
        modosVistos.push_back(st.st_mode & 07777);
        if (falloEscribir) return Fallo(falloEscribir);
        if (interrumpir && (llamadas_++ % 2 == 0)) return Fallo(EINTR);
        return SistemaArchivos::Escribir(fd, p, trozo ? std::min(n, trozo) : n);
    }
    int Sincronizar(int fd) override { return falloSincronizar ? Fallo(falloSincronizar) : SistemaArchivos::Sincronizar(fd); }
    int Renombrar(const std::string& de, const std::string& a) override
    {
        return falloRenombrar ? Fallo(falloRenombrar) : SistemaArchivos::Renombrar(de, a);
    }
    int EnlazarSinReemplazar(const std::string& de, const std::string& a) override
    {
        if (antesDeEnlazar) antesDeEnlazar(a);
        return falloEnlazar ? Fallo(falloEnlazar) : SistemaArchivos::EnlazarSinReemplazar(de, a);
    }

private:
    int llamadas_ = 0;
};

class EscrituraSeguraTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string plantilla = (fs::temp_directory_path() / "bindelora-segura-XXXXXX").string();
        ASSERT_NE(::mkdtemp(plantilla.data()), nullptr);
        dir_ = plantilla;
        mascara_ = ::umask(022);
    }
    void TearDown() override
    {
        ::umask(mascara_);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Ruta(const std::string& nombre) const { return dir_ + "/" + nombre; }
    std::vector<std::string> Entradas(const std::string& carpeta = {}) const
    {
        std::vector<std::string> v;
        for (const auto& e : fs::directory_iterator(carpeta.empty() ? dir_ : carpeta))
            v.push_back(e.path().filename().string());
        std::sort(v.begin(), v.end());
        return v;
    }

    std::string dir_;
    mode_t mascara_ = 022;
};

}  // namespace

// ---------------------------------------------------------------- names

TEST_F(EscrituraSeguraTest, UnEnlacePlantadoEnElNombreTemporalNuncaSeSigue)
{
    const std::string ruta = Ruta("agenda.dat");
    const std::string victima = Ruta("victima");
    SegPoner(ruta, "viejo");
    SegPoner(victima, "intacto");
    const std::string t1 = ruta + ".tmp-1-1", t2 = ruta + ".tmp-1-2", t3 = ruta + ".tmp-1-3";
    fs::create_symlink(victima, t1);
    fs::create_symlink(Ruta("no-existe"), t2);  // dangling: following it would create a file
    std::string error;
    {
        SistemaDePrueba s;
        s.nombres = {t1, t2, t3};
        ASSERT_TRUE(EscribirArchivoSeguro(ruta, "nuevo", error)) << error;
    }
    EXPECT_EQ(prueba::ContenidoDe(ruta), "nuevo");
    EXPECT_EQ(prueba::ContenidoDe(victima), "intacto");
    EXPECT_FALSE(fs::exists(Ruta("no-existe")));
    EXPECT_TRUE(fs::is_symlink(t1));
    EXPECT_TRUE(fs::is_symlink(t2));
    EXPECT_FALSE(fs::exists(fs::symlink_status(t3)));

    // Every name taken: the save gives up, and nothing changes.
    {
        SistemaDePrueba s;
        s.nombres = {t1};
        EXPECT_FALSE(EscribirArchivoSeguro(ruta, "otro", error));
    }
    EXPECT_NE(error.find(ruta), std::string::npos) << error;
    EXPECT_EQ(prueba::ContenidoDe(ruta), "nuevo");
    EXPECT_EQ(prueba::ContenidoDe(victima), "intacto");
    EXPECT_EQ(Entradas(), (std::vector<std::string>{"agenda.dat", "agenda.dat.tmp-1-1", "agenda.dat.tmp-1-2", "victima"}));
}

TEST_F(EscrituraSeguraTest, LosNombresTemporalesNoSeRepitenYLosRecogeLaLimpieza)
{
    SistemaArchivos& real = SistemaArchivos::instancia();
    const std::string a = real.NombreTemporal(Ruta("x.dat")), b = real.NombreTemporal(Ruta("x.dat"));
    EXPECT_NE(a, b);
    EXPECT_EQ(a.rfind(Ruta("x.dat.tmp-") + std::to_string(::getpid()) + "-", 0), 0u) << a;
    // A live process's file stays; the same name under a gone one's id goes.
    SegPoner(a, "");
    EXPECT_EQ(LimpiarTemporales(Ruta("x.dat")), 0);
    const std::string sufijo = a.substr(a.rfind('-'));
    SegPoner(Ruta("x.dat.tmp-999999999" + sufijo), "");
    SegPoner(Ruta("x.dat.tmp-999999999-123456789012345678901"), "");  // 21 digits: not ours
    EXPECT_EQ(LimpiarTemporales(Ruta("x.dat")), 1);
    EXPECT_EQ(Entradas().size(), 2u);
}

// ---------------------------------------------------------------- modes

TEST_F(EscrituraSeguraTest, UnArchivoNuevoEs0600AunSinMascara)
{
    ::umask(0);
    std::string error;
    SistemaDePrueba s;
    ASSERT_TRUE(EscribirArchivoSeguro(Ruta("nuevo.dat"), "datos", error)) << error;
    EXPECT_EQ(SegModo(Ruta("nuevo.dat")), 0600u);
    ASSERT_FALSE(s.modosPedidos.empty());
    for (unsigned m : s.modosPedidos) EXPECT_EQ(m & ~0600u, 0u) << std::oct << m;
    for (unsigned m : s.modosVistos) EXPECT_EQ(m, 0600u) << std::oct << m;
}

TEST_F(EscrituraSeguraTest, ElArchivoReemplazadoConservaSuModoSinNuncaUnoMasAncho)
{
    for (mode_t mascara : {mode_t{0}, mode_t{077}}) {
        for (unsigned modo : {0640u, 0604u, 0400u, 0666u}) {
            ::umask(mascara);
            const std::string ruta = Ruta("m.dat");
            SegPoner(ruta, "viejo", static_cast<mode_t>(modo));
            std::string error;
            SistemaDePrueba s;
            ASSERT_TRUE(EscribirArchivoSeguro(ruta, "nuevo", error)) << error;
            EXPECT_EQ(prueba::ContenidoDe(ruta), "nuevo");
            EXPECT_EQ(SegModo(ruta), modo) << std::oct << modo << " con umask " << mascara;
            // Created no wider than the old file nor than 0600, then set.
            for (unsigned m : s.modosPedidos) EXPECT_EQ(m & ~(modo & 0600u), 0u) << std::oct << m;
            for (unsigned m : s.modosVistos) EXPECT_EQ(m, modo) << std::oct << m;
            fs::remove(ruta);
        }
    }
}

TEST_F(EscrituraSeguraTest, AtravesDeUnEnlaceSeReemplazaElArchivoAlQueApunta)
{
    fs::create_directory(Ruta("real"));
    const std::string real = Ruta("real/agenda.dat");
    SegPoner(real, "viejo", 0640);
    fs::create_symlink("real/agenda.dat", Ruta("enlace.dat"));  // relative to the link's folder
    fs::create_symlink(Ruta("enlace.dat"), Ruta("doble.dat"));
    std::string error;
    ASSERT_TRUE(EscribirArchivoSeguro(Ruta("doble.dat"), "nuevo", error)) << error;
    EXPECT_TRUE(fs::is_symlink(Ruta("doble.dat")));
    EXPECT_TRUE(fs::is_symlink(Ruta("enlace.dat")));
    EXPECT_EQ(prueba::ContenidoDe(real), "nuevo");
    EXPECT_EQ(SegModo(real), 0640u);
    EXPECT_EQ(Entradas(Ruta("real")), std::vector<std::string>{"agenda.dat"});

    // A dangling link: the file it names is made.
    fs::create_symlink("real/nuevo.dat", Ruta("colgante.dat"));
    ASSERT_TRUE(EscribirArchivoSeguro(Ruta("colgante.dat"), "hola", error)) << error;
    EXPECT_TRUE(fs::is_symlink(Ruta("colgante.dat")));
    EXPECT_EQ(prueba::ContenidoDe(Ruta("real/nuevo.dat")), "hola");

    // A loop of links is an error, not a hang.
    fs::create_symlink(Ruta("bucle2"), Ruta("bucle1"));
    fs::create_symlink(Ruta("bucle1"), Ruta("bucle2"));
    EXPECT_FALSE(EscribirArchivoSeguro(Ruta("bucle1"), "x", error));
    EXPECT_NE(error.find("enlaces"), std::string::npos) << error;
}

// ---------------------------------------------------------------- failures

TEST_F(EscrituraSeguraTest, UnFalloEnCualquierPasoDejaElArchivoEnteroYNadaDetras)
{
    struct Caso {
        const char* paso;
        int SistemaDePrueba::*fallo;
        int err;
        const char* motivo;
    };
    const Caso casos[] = {{"escribir", &SistemaDePrueba::falloEscribir, ENOSPC, "no queda espacio en el disco"},
                          {"escribir", &SistemaDePrueba::falloEscribir, EIO, "error de entrada o salida"},
                          {"fsync", &SistemaDePrueba::falloSincronizar, EIO, "error de entrada o salida"},
                          {"fsync", &SistemaDePrueba::falloSincronizar, ENOSPC, "no queda espacio en el disco"},
                          {"rename", &SistemaDePrueba::falloRenombrar, EIO, "error de entrada o salida"}};
    const std::string ruta = Ruta("agenda.dat");
    const std::string grande(1 << 20, 'n');
    SegPoner(ruta, "viejo", 0640);
    for (const Caso& c : casos) {
        std::string error;
        SistemaDePrueba s;
        s.*c.fallo = c.err;
        EXPECT_FALSE(EscribirArchivoSeguro(ruta, grande, error)) << c.paso;
        EXPECT_EQ(error, "No se pudo guardar el archivo " + ruta + ": " + c.motivo) << c.paso;
        EXPECT_EQ(prueba::ContenidoDe(ruta), "viejo") << c.paso;
        EXPECT_EQ(SegModo(ruta), 0640u) << c.paso;
        EXPECT_EQ(Entradas(), std::vector<std::string>{"agenda.dat"}) << c.paso;
    }
    // Content abandoned by the caller, and a folder where the file should be.
    std::string error;
    EXPECT_FALSE(EscribirArchivoSeguro(ruta, [](int) { return ENOSPC; }, error));
    EXPECT_EQ(prueba::ContenidoDe(ruta), "viejo");
    fs::create_directory(Ruta("carpeta"));
    EXPECT_FALSE(EscribirArchivoSeguro(Ruta("carpeta"), "x", error));
    EXPECT_NE(error.find("es una carpeta"), std::string::npos) << error;
    EXPECT_EQ(Entradas(), (std::vector<std::string>{"agenda.dat", "carpeta"}));
}

TEST_F(EscrituraSeguraTest, UnDiscoLlenoEnUnaCarpetaSoloAfectaAEsaCarpeta)
{
    fs::create_directory(Ruta("llena"));
    SegPoner(Ruta("llena/a.dat"), "viejo");
    SistemaDePrueba s;
    s.carpetaLlena = Ruta("llena");
    std::string error, copia;
    EXPECT_FALSE(EscribirArchivoSeguro(Ruta("llena/a.dat"), "nuevo", error));
    EXPECT_NE(error.find("no queda espacio"), std::string::npos) << error;
    EXPECT_FALSE(CopiarRespaldo(Ruta("llena/a.dat"), copia, error));
    EXPECT_EQ(Entradas(Ruta("llena")), std::vector<std::string>{"a.dat"});
    EXPECT_EQ(prueba::ContenidoDe(Ruta("llena/a.dat")), "viejo");
    EXPECT_TRUE(EscribirArchivoSeguro(Ruta("b.dat"), "nuevo", error)) << error;
}

TEST_F(EscrituraSeguraTest, EscriturasCortasEInterrumpidasLleganEnteras)
{
    std::string datos;
    for (int i = 0; i < 5000; ++i) datos += std::to_string(i) + '\n';
    SistemaDePrueba s;
    s.trozo = 7;
    s.interrumpir = true;
    std::string error;
    ASSERT_TRUE(EscribirArchivoSeguro(Ruta("x.dat"), datos, error)) << error;
    EXPECT_EQ(prueba::ContenidoDe(Ruta("x.dat")), datos);
}

// ---------------------------------------------------------------- backups

TEST_F(EscrituraSeguraTest, UnaCopiaNuncaReemplazaOtraAnterior)
{
    ::umask(0);
    const std::string ruta = Ruta("bindelora.dat");
    SegPoner(ruta, "libro", 0640);
    SegPoner(ruta + ".bak", "primera", 0600);
    fs::create_symlink(Ruta("a-ninguna-parte"), ruta + ".bak.1");
    fs::create_directory(ruta + ".bak.2");
    std::string copia, error;
    {
        // Another copy takes .bak.3 between the look and the link.
        SistemaDePrueba s;
        s.antesDeEnlazar = [&](const std::string& nombre) {
            if (nombre == ruta + ".bak.3") SegPoner(nombre, "de otro proceso");
        };
        ASSERT_TRUE(CopiarRespaldo(ruta, copia, error)) << error;
    }
    EXPECT_EQ(copia, ruta + ".bak.4");
    EXPECT_EQ(prueba::ContenidoDe(copia), "libro");
    EXPECT_EQ(SegModo(copia), 0600u);  // private, whatever the book's mode
    EXPECT_EQ(prueba::ContenidoDe(ruta + ".bak"), "primera");
    EXPECT_EQ(prueba::ContenidoDe(ruta + ".bak.3"), "de otro proceso");
    EXPECT_TRUE(fs::is_symlink(ruta + ".bak.1"));
    EXPECT_FALSE(fs::exists(Ruta("a-ninguna-parte")));
    EXPECT_EQ(Entradas().size(), 6u);  // no temporary file left

    // A failed copy leaves nothing, and the book as it was.
    {
        SistemaDePrueba s;
        s.falloSincronizar = EIO;
        EXPECT_FALSE(CopiarRespaldo(ruta, copia, error));
    }
    {
        SistemaDePrueba s;
        s.falloEnlazar = EACCES;
        EXPECT_FALSE(CopiarRespaldo(ruta, copia, error));
        EXPECT_NE(error.find("permiso denegado"), std::string::npos) << error;
    }
    EXPECT_EQ(Entradas().size(), 6u);
    EXPECT_EQ(prueba::ContenidoDe(ruta), "libro");
}

// ---------------------------------------------------------------- reads

TEST_F(EscrituraSeguraTest, LeerEnteroSoloArchivosNormales)
{
    ASSERT_EQ(::mkfifo(Ruta("tuberia").c_str(), 0600), 0);
    fs::create_directory(Ruta("carpeta"));
    std::string datos = "previo", error;
    int err = 0;
    // A pipe with no writer would block an open without O_NONBLOCK.
    EXPECT_FALSE(LeerArchivoEntero(Ruta("tuberia"), datos, err));
    EXPECT_EQ(err, ENODEV);
    EXPECT_FALSE(LeerArchivoEntero(Ruta("tuberia"), datos, error));
    EXPECT_EQ(error, "No se pudo leer el archivo " + Ruta("tuberia") + ": no es un archivo normal");
    EXPECT_FALSE(LeerArchivoEntero(Ruta("carpeta"), datos, error));
    EXPECT_EQ(error, "No se pudo leer el archivo " + Ruta("carpeta") + ": es una carpeta");
    EXPECT_FALSE(LeerArchivoEntero(Ruta("falta"), datos, err));
    EXPECT_EQ(err, ENOENT);

    SegPoner(Ruta("a.dat"), std::string("con\0nulo", 8));
    ASSERT_TRUE(LeerArchivoEntero(Ruta("a.dat"), datos, err));
    EXPECT_EQ(datos, std::string("con\0nulo", 8));
    EXPECT_FALSE(LeerArchivoEntero(Ruta("a.dat"), datos, err, 7));
    EXPECT_EQ(err, EFBIG);
    EXPECT_TRUE(LeerArchivoEntero(Ruta("a.dat"), datos, err, 8));

    // Nor is a backup made of what is not a file.
    std::string copia;
    EXPECT_FALSE(CopiarRespaldo(Ruta("tuberia"), copia, error));
    EXPECT_FALSE(fs::exists(Ruta("tuberia.bak")));
}

TEST_F(EscrituraSeguraTest, EnMemoriaLeeTuberiasYArchivosDesdeDondeEsten)
{
    int extremos[2];
    ASSERT_EQ(::pipe(extremos), 0);
    const std::string texto(50000, 'p');  // more than a pipe holds at once
    std::thread escritor([&] {
        EscribirTodo(extremos[1], texto.data(), texto.size());
        ::close(extremos[1]);
    });
    ArchivoEnMemoria tuberia;
    EXPECT_EQ(tuberia.Abrir(extremos[0]), 0);
    escritor.join();
    ::close(extremos[0]);
    EXPECT_EQ(tuberia.Datos(), texto);
    EXPECT_FALSE(tuberia.Cambio());

    SegPoner(Ruta("a.vcf"), "cabeza|cuerpo");
    const int fd = ::open(Ruta("a.vcf").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ::lseek(fd, 7, SEEK_SET);
    ArchivoEnMemoria resto;
    EXPECT_EQ(resto.Abrir(fd), 0);
    EXPECT_EQ(resto.Datos(), "cuerpo");
    EXPECT_FALSE(resto.Cambio());
    ::close(fd);

    const int carpeta = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ArchivoEnMemoria nada;
    EXPECT_EQ(nada.Abrir(carpeta), EISDIR);
    ::close(carpeta);
}
