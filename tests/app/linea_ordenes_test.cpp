// The command-line modes, run as the user runs them: the built program
// copied into a folder of its own with its data files, no display.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <csignal>
#include <cstring>

#include <elf.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ayudas_programa.h"
#include "core/agenda.h"
#include "core/avisal.h"
#include "core/fecha.h"
#include "core/texto.h"
#include "core/vcard.h"
#include "linea_ordenes.h"
#include "platform/bloqueo.h"

extern char** environ;

using namespace bindelora;
namespace fs = std::filesystem;

namespace {

// The DT_NEEDED names of an ELF file's dynamic section, read through its
// section headers; empty when the file is not a 64-bit ELF.
std::vector<std::string> BibliotecasNecesarias(const std::string& ruta)
{
    std::ifstream f(ruta, std::ios::binary);
    const std::string elf{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    Elf64_Ehdr cab;
    if (elf.size() < sizeof cab || elf.compare(0, SELFMAG, ELFMAG) != 0 || elf[EI_CLASS] != ELFCLASS64) return {};
    std::memcpy(&cab, elf.data(), sizeof cab);
    auto seccion = [&](std::size_t i) {
        Elf64_Shdr s{};
        const std::size_t donde = cab.e_shoff + i * sizeof s;
        if (donde + sizeof s <= elf.size()) std::memcpy(&s, elf.data() + donde, sizeof s);
        return s;
    };
    std::vector<std::string> nombres;
    for (std::size_t i = 0; i < cab.e_shnum; ++i) {
        const Elf64_Shdr dinamica = seccion(i);
        if (dinamica.sh_type != SHT_DYNAMIC) continue;
        const Elf64_Shdr cadenas = seccion(dinamica.sh_link);
        for (std::size_t d = dinamica.sh_offset; d + sizeof(Elf64_Dyn) <= dinamica.sh_offset + dinamica.sh_size &&
                                                 d + sizeof(Elf64_Dyn) <= elf.size();
             d += sizeof(Elf64_Dyn)) {
            Elf64_Dyn e;
            std::memcpy(&e, elf.data() + d, sizeof e);
            if (e.d_tag == DT_NULL) break;
            if (e.d_tag == DT_NEEDED && cadenas.sh_offset + e.d_un.d_val < elf.size())
                nombres.emplace_back(elf.c_str() + cadenas.sh_offset + e.d_un.d_val);
        }
    }
    return nombres;
}

class LineaOrdenes : public prueba::ProgramaEnCarpeta {
protected:
    LineaOrdenes() : ProgramaEnCarpeta("cli") {}
    void SetUp() override
    {
        ProgramaEnCarpeta::SetUp();
        if (HasFatalFailure()) return;
        fs::create_directories(carpeta + "/cfg/Quenturo");
    }

    void Ordenar(const char* orden)
    {
        Escribir(carpeta + "/cfg/Quenturo/Bindelora.reg",
                 std::string("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Quenturo\\Bindelora]\r\n\"AlEjecutarOrdenar\"=\"") +
                     orden + "\"\r\n");
    }

    // With no display at all; the exit code, and in out what the program
    // wrote on its standard output.
    int Ejecutar(std::vector<std::string> args, std::string& out, std::vector<std::string> entornoExtra = {},
                 const std::string& entrada = "/dev/null")
    {
        std::vector<std::string> entorno = EntornoPropio();
        entorno.insert(entorno.end(), entornoExtra.begin(), entornoExtra.end());
        const int codigo = Correr(std::move(args), std::move(entorno), entrada);
        out = salida;
        return codigo;
    }

    static std::unique_ptr<TPibe> Pibe(const char* nombre, const char* ape1, double cumple = 0)
    {
        auto p = std::make_unique<TPibe>();
        p->Nombre = Utf8ACp1252(nombre);
        p->Ape1 = Utf8ACp1252(ape1);
        p->Cumple = cumple;
        return p;
    }

    static double Dia(int a, int m, int d)
    {
        double v = 0;
        CodificarFecha(a, m, d, v);
        return v;
    }
};

}  // namespace

TEST_F(LineaOrdenes, AyudaYUsoIncorrecto)
{
    std::string salida;
    EXPECT_EQ(Ejecutar({"--help"}, salida), 0);
    for (const char* o : {"--exportar-vcard", "--importar-vcard", "--exportar-ics", "--hoy", "--vcard3", "/LISTA"})
        EXPECT_NE(salida.find(o), std::string::npos) << o;
    EXPECT_EQ(Ejecutar({"--exportar-vcard"}, salida), 2);
    EXPECT_EQ(Ejecutar({"--hoy", "2026-02-30"}, salida), 2);
    EXPECT_EQ(Ejecutar({"--importar-vcard", "a", "b"}, salida), 2);
    // None of these touched the data folder.
    EXPECT_FALSE(fs::exists(Dat()));
    EXPECT_FALSE(fs::exists(Avs()));
}

TEST_F(LineaOrdenes, LosInterruptoresDeLaVentanaNoSonSuyos)
{
    for (const char* a : {"/LISTA", "/avisal", "--otra", "-h", "hoy"}) {
        std::string arg = a;
        char* argv[] = {const_cast<char*>("bindelora"), arg.data(), nullptr};
        int argc = 2;
        EXPECT_EQ(EjecutarLineaOrdenes(argc, argv), -1) << a;
    }
    char* argv[] = {const_cast<char*>("bindelora"), nullptr};
    int argc = 1;
    EXPECT_EQ(EjecutarLineaOrdenes(argc, argv), -1);
}

TEST_F(LineaOrdenes, ExportarVCardAArchivoYASalida)
{
    ListaPibes libro;
    libro.push_back(Pibe("José", "Núñez", Dia(1980, 2, 29)));
    libro.push_back(Pibe("Ana", "Abad"));
    Escribir(Dat(), SerializarAgenda(libro));
    std::string salida;
    ASSERT_EQ(Ejecutar({"--exportar-vcard", carpeta + "/a.vcf"}, salida), 0);
    EXPECT_EQ(Leer(carpeta + "/a.vcf"), ExportarVCard(libro, VersionVCard::V40));
    EXPECT_EQ(salida, "Contactos exportados: 2\n");
    ASSERT_EQ(Ejecutar({"--exportar-vcard", "-", "--vcard3"}, salida), 0);
    EXPECT_EQ(salida, ExportarVCard(libro, VersionVCard::V30));
    // Reading is all it did.
    EXPECT_EQ(Leer(Dat()), SerializarAgenda(libro));
    EXPECT_FALSE(fs::exists(Avs()));
}

TEST_F(LineaOrdenes, UnaExportacionNoSeEscribeEncimaDeLosArchivosDeDatos)
{
    // A slip of the hand on the command line must not put a vCard or an
    // iCalendar text in place of the contacts or the events, under any of
    // their names.
    ListaPibes libro;
    libro.push_back(Pibe("Ana", "Abad", Dia(1990, 5, 17)));
    Escribir(Dat(), SerializarAgenda(libro));
    const std::string agenda = Leer(Dat());
    fs::create_symlink(Dat(), carpeta + "/enlace.vcf");
    std::string salida;
    for (const std::string& destino : {Dat(), carpeta + "/./bindelora.dat", carpeta + "/enlace.vcf"})
        EXPECT_EQ(Ejecutar({"--exportar-vcard", destino}, salida), 2) << destino;
    EXPECT_EQ(Leer(Dat()), agenda);
    // The events file, whether or not it is there yet.
    EXPECT_EQ(Ejecutar({"--exportar-ics", Avs()}, salida), 2);
    EXPECT_FALSE(fs::exists(Avs()));
    EXPECT_EQ(Ejecutar({"--exportar-vcard", Avs()}, salida), 2);
    EXPECT_FALSE(fs::exists(Avs()));
    EXPECT_EQ(Ejecutar({"--exportar-ics", Dat()}, salida), 2);
    EXPECT_EQ(Leer(Dat()), agenda);
    // Other names still work.
    EXPECT_EQ(Ejecutar({"--exportar-vcard", carpeta + "/bindelora.vcf"}, salida), 0);
}

TEST_F(LineaOrdenes, UnaExportacionFallidaDejaElArchivoComoEstaba)
{
    const std::string vcf = carpeta + "/a.vcf";
    Escribir(vcf, "lo de antes");
    // An agenda that cannot be read at all.
    fs::create_directory(Dat());
    std::string salida;
    EXPECT_EQ(Ejecutar({"--exportar-vcard", vcf}, salida), 1);
    EXPECT_EQ(Leer(vcf), "lo de antes");
    EXPECT_FALSE(errores.empty());
    fs::remove(Dat());

    // A folder that is not there: told, and nothing left behind.
    for (const char* modo : {"--exportar-vcard", "--exportar-ics"}) {
        EXPECT_EQ(Ejecutar({modo, carpeta + "/no-hay/a.out"}, salida), 1) << modo;
        EXPECT_NE(errores.find("no-hay/a.out"), std::string::npos) << errores;
    }
    EXPECT_FALSE(fs::exists(carpeta + "/no-hay"));

    // A damaged agenda still gives the contacts before the damage, and says so.
    ListaPibes libro;
    libro.push_back(Pibe("Ana", "Abad"));
    Escribir(Dat(), SerializarAgenda(libro) + "NOM:Rota\r\nAP1:\r\n");
    EXPECT_EQ(Ejecutar({"--exportar-vcard", vcf}, salida), 1);
    EXPECT_EQ(Leer(vcf), ExportarVCard(libro, VersionVCard::V40));
    EXPECT_NE(errores.find("da\xC3\xB1" "ada"), std::string::npos) << errores;
}

TEST_F(LineaOrdenes, ImportarVCardEnElOrdenDeInicioYSinTocarLoIlegible)
{
    Ordenar("Nombre");
    ListaPibes libro;
    libro.push_back(Pibe("Carla", "Zapata"));
    libro.push_back(Pibe("Berta", "Abad"));  // the file's own order, not yet by name
    Escribir(Dat(), SerializarAgenda(libro));
    ListaPibes fuera;
    fuera.push_back(Pibe("Alba", "Ruiz", Dia(1, 5, 3)));
    fuera.push_back(Pibe("Berta", "ABAD"));  // already there
    Escribir(carpeta + "/n.vcf", ExportarVCard(fuera, VersionVCard::V30));

    std::string salida;
    ASSERT_EQ(Ejecutar({"--importar-vcard", carpeta + "/n.vcf"}, salida), 0);
    EXPECT_NE(salida.find("Contactos a\xC3\xB1" "adidos: 1\nRepetidos (ya estaban en la agenda): 1"), std::string::npos);
    ListaPibes leido;
    ASSERT_TRUE(LeerAgenda(Dat(), leido).Exito());
    ASSERT_EQ(leido.size(), 3u);
    EXPECT_EQ(leido[0]->Nombre, "Alba");
    EXPECT_EQ(leido[1]->Nombre, "Berta");
    EXPECT_EQ(leido[2]->Nombre, "Carla");
    EXPECT_EQ(leido[0]->Cumple, Dia(1, 5, 3));

    // A file with no card at all: an error, the agenda file as it was.
    const std::string antes = Leer(Dat());
    Escribir(carpeta + "/basura.vcf", "esto no es un vCard\n");
    EXPECT_EQ(Ejecutar({"--importar-vcard", carpeta + "/basura.vcf"}, salida), 1);
    EXPECT_EQ(Ejecutar({"--importar-vcard", carpeta + "/no-existe.vcf"}, salida), 1);
    EXPECT_EQ(Leer(Dat()), antes);

    // A damaged agenda is never rewritten from here.
    Escribir(Dat(), "VER:2.1\r\n----\r\nNOM:Ana\r\nAP1:\r\n");
    EXPECT_EQ(Ejecutar({"--importar-vcard", carpeta + "/n.vcf"}, salida), 1);
    EXPECT_EQ(Leer(Dat()), "VER:2.1\r\n----\r\nNOM:Ana\r\nAP1:\r\n");
}

TEST_F(LineaOrdenes, ImportarDeLaEntradaEstandarYSinNadaNuevoNoReescribir)
{
    Ordenar("Nombre");
    ListaPibes libro;
    libro.push_back(Pibe("Carla", "Zapata"));
    libro.push_back(Pibe("Berta", "Abad"));
    Escribir(Dat(), SerializarAgenda(libro));
    const std::string antes = Leer(Dat());
    ListaPibes fuera;
    fuera.push_back(Pibe("Carla", "Zapata"));
    Escribir(carpeta + "/repetido.vcf", ExportarVCard(fuera, VersionVCard::V40));

    // Only contacts already there: the file keeps even its own order.
    std::string salida;
    ASSERT_EQ(Ejecutar({"--importar-vcard", "-"}, salida, {}, carpeta + "/repetido.vcf"), 0);
    EXPECT_NE(salida.find("Repetidos (ya estaban en la agenda): 1"), std::string::npos);
    EXPECT_EQ(Leer(Dat()), antes);

    fuera.push_back(Pibe("Alba", "Ruiz"));
    Escribir(carpeta + "/nuevo.vcf", ExportarVCard(fuera, VersionVCard::V30));
    ASSERT_EQ(Ejecutar({"--importar-vcard", "-"}, salida, {}, carpeta + "/nuevo.vcf"), 0);
    ListaPibes leido;
    ASSERT_TRUE(LeerAgenda(Dat(), leido).Exito());
    ASSERT_EQ(leido.size(), 3u);
    EXPECT_EQ(leido[0]->Nombre, "Alba");
    EXPECT_EQ(leido[2]->Nombre, "Carla");

    // Failures are told in Spanish.
    EXPECT_EQ(Ejecutar({"--importar-vcard", carpeta + "/no-existe.vcf"}, salida), 1);
    EXPECT_NE(errores.find("no existe"), std::string::npos) << errores;
}

TEST_F(LineaOrdenes, HoyEnUnaFechaDadaConLosCumpleanosDeLaAgenda)
{
    ListaPibes libro;
    libro.push_back(Pibe("Zoe", "Ruiz", Dia(1990, 3, 15)));  // not yet entered as an event
    Escribir(Dat(), SerializarAgenda(libro));
    Escribir(Avs(), "15039999Santo de Raimundo\r\n15002030Pagar el alquiler\r\n16039999Ma\xF1" "ana\r\n"
                    "15032020Pasado\r\n20039999beta\r\n20039999\xC1lamo\r\n20039999Zeta\r\n20039999alfa\r\n");
    const std::string avs = Leer(Avs());
    std::string salida;
    ASSERT_EQ(Ejecutar({"--hoy", "2027-03-15"}, salida), 0);
    // In the order of the today's-events window.
    EXPECT_EQ(salida, "Cumplea\xC3\xB1os de Zoe Ruiz\nPagar el alquiler\nSanto de Raimundo\n");
    ASSERT_EQ(Ejecutar({"--hoy", "2027-03-17"}, salida), 0);
    EXPECT_EQ(salida, "");
    // The locale's collation, not the bytes' order: accents and case aside first.
    ASSERT_EQ(Ejecutar({"--hoy", "2027-03-20"}, salida), 0);
    EXPECT_EQ(salida, "\xC3\x81lamo\nalfa\nbeta\nZeta\n");
    // Nothing written: the past entry and the birthday stay as they were.
    EXPECT_EQ(Leer(Avs()), avs);
    EXPECT_EQ(Leer(Dat()), SerializarAgenda(libro));

    Escribir(Avs(), "\r\n");
    EXPECT_EQ(Ejecutar({"--hoy"}, salida), 1);
}

TEST_F(LineaOrdenes, ExportarIcsSinDatosYConDatos)
{
    std::string salida;
    ASSERT_EQ(Ejecutar({"--exportar-ics", carpeta + "/vacio.ics"}, salida), 0);
    EXPECT_NE(Leer(carpeta + "/vacio.ics").find("BEGIN:VCALENDAR"), std::string::npos);
    EXPECT_FALSE(fs::exists(Avs()));  // not created from here

    Escribir(Avs(), "05069999Cumplea\xF1os de Ana Abad\r\n");
    ASSERT_EQ(Ejecutar({"--exportar-ics", "-"}, salida), 0);
    EXPECT_NE(salida.find("SUMMARY:Cumplea\xC3\xB1os de Ana Abad\r\n"), std::string::npos);
    EXPECT_NE(salida.find("RRULE:FREQ=YEARLY\r\n"), std::string::npos);
}

TEST_F(LineaOrdenes, ImportarNoEscribeConLaVentanaAbiertaEnLaMismaCarpeta)
{
    ListaPibes libro;
    libro.push_back(Pibe("Berta", "Abad"));
    Escribir(Dat(), SerializarAgenda(libro));
    ListaPibes fuera;
    fuera.push_back(Pibe("Alba", "Ruiz"));
    Escribir(carpeta + "/n.vcf", ExportarVCard(fuera, VersionVCard::V40));
    const std::string antes = Leer(Dat());

    std::string salida;
    {
        // The running window holds the folder: its exit save would undo the import.
        BloqueoDatos ventana(Dat());
        ASSERT_EQ(ventana.estado(), BloqueoDatos::Estado::Tomado);
        EXPECT_EQ(Ejecutar({"--importar-vcard", carpeta + "/n.vcf"}, salida), 1);
        EXPECT_EQ(Leer(Dat()), antes);
        // Reading needs no lock.
        EXPECT_EQ(Ejecutar({"--exportar-vcard", "-"}, salida), 0);
        EXPECT_NE(salida.find("Berta"), std::string::npos);
    }
    EXPECT_EQ(Ejecutar({"--importar-vcard", carpeta + "/n.vcf"}, salida), 0);
    EXPECT_NE(Leer(Dat()), antes);
}

TEST_F(LineaOrdenes, ElProgramaNombraSusBibliotecasComoCualquierOtro)
{
    // The packaging tools, the debugger and the profilers see the libraries
    // of the windows only when the program's dynamic section names them.
    const std::vector<std::string> necesarias = BibliotecasNecesarias(programa);
    ASSERT_FALSE(necesarias.empty());
    auto nombrada = [&necesarias](const std::string& prefijo) {
        for (const std::string& n : necesarias)
            if (n.rfind(prefijo, 0) == 0) return true;
        return false;
    };
    for (const char* b : {"libQt6Core.so", "libQt6Gui.so", "libQt6Widgets.so", "libstdc++.so", "libc.so"})
        EXPECT_TRUE(nombrada(b)) << b;
}

TEST_F(LineaOrdenes, LaVentanaSeAbreDesdeElProgramaCopiadoSolo)
{
    // A lone copy opens the windows, here on a screen of its own, and writes
    // the events on its way out.
    ListaPibes libro;
    libro.push_back(Pibe("Berta", "Abad", Dia(1990, 5, 17)));
    Escribir(Dat(), SerializarAgenda(libro));
    std::vector<std::string> entorno = {"XDG_CONFIG_HOME=" + carpeta + "/cfg", "HOME=" + carpeta, "LANG=C.UTF-8",
                                        "QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + carpeta};
    std::vector<char*> envp;
    for (auto& e : entorno) envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {programa.data(), nullptr};
    posix_spawn_file_actions_t acciones;
    posix_spawn_file_actions_init(&acciones);
    posix_spawn_file_actions_addopen(&acciones, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    ASSERT_EQ(posix_spawn(&pid, programa.c_str(), &acciones, nullptr, argv, envp.data()), 0);
    posix_spawn_file_actions_destroy(&acciones);
    // The window holds the data folder while it runs.
    for (int i = 0; i < 200 && !fs::exists(carpeta + "/bindelora.lock"); ++i) ::usleep(50000);
    EXPECT_TRUE(fs::exists(carpeta + "/bindelora.lock"));
    ::usleep(300000);
    ::kill(pid, SIGTERM);
    int estado = 0;
    ::waitpid(pid, &estado, 0);
    ASSERT_TRUE(WIFEXITED(estado));
    EXPECT_EQ(WEXITSTATUS(estado), 0);
    EXPECT_NE(Leer(Avs()).find("Berta"), std::string::npos);
}
