// The modes for scripts, run as the user runs them: what they create is
// private, they stop at a lock they cannot take, and they do not write past
// the changes of a run that ended badly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/agenda.h"
#include "core/recuperacion.h"

using namespace bindelora;
namespace fs = std::filesystem;

namespace {

class OrdenesPrivadas : public ::testing::Test {
protected:
    void SetUp() override
    {
        char plantilla[] = "/tmp/bindelora_privado_XXXXXX";
        ASSERT_NE(::mkdtemp(plantilla), nullptr);
        carpeta = plantilla;
        programa = carpeta + "/bindelora";
        fs::copy_file(BINDELORA_PROGRAMA, programa);
        ListaPibes libro;
        auto p = std::make_unique<TPibe>();
        p->Nombre = "Ana";
        p->Ape1 = "Ruiz";
        libro.push_back(std::move(p));
        std::string error;
        ASSERT_TRUE(GuardarAgenda(Dat(), libro, error));
        Poner(Avs(), "01012099Fiesta\r\n");
        Poner(carpeta + "/nuevos.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Berta Gil\r\nN:Gil;Berta;;;\r\nEND:VCARD\r\n");
    }
    void TearDown() override { fs::remove_all(carpeta); }

    static void Poner(const std::string& ruta, const std::string& datos)
    {
        std::ofstream(ruta, std::ios::binary | std::ios::trunc) << datos;
    }
    static std::string Leer(const std::string& ruta)
    {
        std::ifstream f(ruta, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    }
    static unsigned Modo(const std::string& ruta)
    {
        struct stat st {};
        return ::lstat(ruta.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
    }
    std::string Dat() const { return carpeta + "/bindelora.dat"; }
    std::string Avs() const { return carpeta + "/bindelora.avs"; }

    // The exit code; errores gets the error output.
    int Ejecutar(std::vector<std::string> args)
    {
        const std::string salida = carpeta + "/../" + fs::path(carpeta).filename().string() + ".salida";
        args.insert(args.begin(), programa);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> entorno = {"XDG_CONFIG_HOME=" + carpeta + "/cfg", "HOME=" + carpeta, "LANG=C.UTF-8"};
        std::vector<char*> envp;
        for (auto& e : entorno) envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t acciones;
        posix_spawn_file_actions_init(&acciones);
        posix_spawn_file_actions_addopen(&acciones, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&acciones, 2, salida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid;
        const int r = posix_spawn(&pid, programa.c_str(), &acciones, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&acciones);
        if (r != 0) return -1;
        int estado = 0;
        ::waitpid(pid, &estado, 0);
        errores = Leer(salida);
        fs::remove(salida);
        return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
    }

    std::string carpeta, programa, errores;
};

}  // namespace

TEST_F(OrdenesPrivadas, ImportAndBothExportsMakeOnlyPrivateFilesAndKeepReplacedModes)
{
    const mode_t antes = ::umask(0);
    ::chmod(Dat().c_str(), 0640);
    Poner(carpeta + "/viejo.ics", "x");
    ::chmod((carpeta + "/viejo.ics").c_str(), 0644);
    const int importar = Ejecutar({"--importar-vcard", carpeta + "/nuevos.vcf"});
    const int vcard = Ejecutar({"--exportar-vcard", carpeta + "/contactos.vcf"});
    const int ics = Ejecutar({"--exportar-ics", carpeta + "/sucesos.ics"});
    const int icsViejo = Ejecutar({"--exportar-ics", carpeta + "/viejo.ics"});
    ::umask(antes);
    EXPECT_EQ(importar, 0) << errores;
    EXPECT_EQ(vcard, 0) << errores;
    EXPECT_EQ(ics, 0) << errores;
    EXPECT_EQ(icsViejo, 0) << errores;
    EXPECT_NE(Leer(Dat()).find("NOM:Berta"), std::string::npos);
    std::map<std::string, unsigned> esperado = {
        {"bindelora", Modo(programa)}, {"bindelora.dat", 0640}, {"bindelora.avs", Modo(Avs())},
        {"nuevos.vcf", Modo(carpeta + "/nuevos.vcf")}, {"viejo.ics", 0644},
        {"contactos.vcf", 0600}, {"sucesos.ics", 0600}};
    std::map<std::string, unsigned> visto;
    for (const auto& e : fs::directory_iterator(carpeta))
        visto[e.path().filename().string()] = Modo(e.path().string());
    visto.erase("cfg");
    // Nothing else was left behind: no lock, no temporary file.
    EXPECT_EQ(visto, esperado);
}

TEST_F(OrdenesPrivadas, ChangesOfARunThatEndedBadlyStopTheImportAndAreToldByTheReaders)
{
    const std::string copia = RutaRecuperacion(Dat());
    Poner(copia, Leer(Dat()));
    const std::string libro = Leer(Dat());
    EXPECT_EQ(Ejecutar({"--importar-vcard", carpeta + "/nuevos.vcf"}), 1);
    EXPECT_NE(errores.find(copia), std::string::npos) << errores;
    EXPECT_EQ(Leer(Dat()), libro);
    for (std::vector<std::string> orden : {std::vector<std::string>{"--exportar-vcard", carpeta + "/c.vcf"},
                                           std::vector<std::string>{"--exportar-ics", carpeta + "/s.ics"},
                                           std::vector<std::string>{"--hoy"}}) {
        EXPECT_EQ(Ejecutar(orden), 0) << orden[0] << errores;
        EXPECT_NE(errores.find(copia), std::string::npos) << orden[0] << errores;
    }
    EXPECT_TRUE(fs::exists(copia));
}

TEST_F(OrdenesPrivadas, ImportStopsAtALockItCannotTake)
{
    Poner(carpeta + "/bindelora.lock", "12345\nbindelora\notra-maquina\n");
    const std::string libro = Leer(Dat());
    EXPECT_EQ(Ejecutar({"--importar-vcard", carpeta + "/nuevos.vcf"}), 1);
    EXPECT_NE(errores.find(carpeta + "/bindelora.lock"), std::string::npos) << errores;
    EXPECT_EQ(Leer(Dat()), libro);
}
