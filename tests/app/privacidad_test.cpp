// The modes for scripts, run as the user runs them: what they create is
// private, they stop at a lock they cannot take, and they do not write past
// the changes of a run that ended badly.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "ayudas_programa.h"
#include "core/agenda.h"
#include "core/recuperacion.h"

using namespace bindelora;
namespace fs = std::filesystem;

namespace {

class OrdenesPrivadas : public prueba::ProgramaEnCarpeta {
protected:
    OrdenesPrivadas() : ProgramaEnCarpeta("privado") {}
    void SetUp() override
    {
        ProgramaEnCarpeta::SetUp();
        if (HasFatalFailure()) return;
        ListaPibes libro;
        auto p = std::make_unique<TPibe>();
        p->Nombre = "Ana";
        p->Ape1 = "Ruiz";
        libro.push_back(std::move(p));
        std::string error;
        ASSERT_TRUE(GuardarAgenda(Dat(), libro, error));
        Escribir(Avs(), "01012099Fiesta\r\n");
        Escribir(carpeta + "/nuevos.vcf",
                 "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Berta Gil\r\nN:Gil;Berta;;;\r\nEND:VCARD\r\n");
    }

    static unsigned Modo(const std::string& ruta)
    {
        struct stat st {};
        return ::lstat(ruta.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
    }

    // The exit code; errores gets the error output.
    int Ejecutar(std::vector<std::string> args) { return Correr(std::move(args), EntornoPropio()); }
};

}  // namespace

TEST_F(OrdenesPrivadas, ImportAndBothExportsMakeOnlyPrivateFilesAndKeepReplacedModes)
{
    const mode_t antes = ::umask(0);
    ::chmod(Dat().c_str(), 0640);
    Escribir(carpeta + "/viejo.ics", "x");
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
    Escribir(copia, Leer(Dat()));
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
    Escribir(carpeta + "/bindelora.lock", "12345\nbindelora\notra-maquina\n");
    const std::string libro = Leer(Dat());
    EXPECT_EQ(Ejecutar({"--importar-vcard", carpeta + "/nuevos.vcf"}), 1);
    EXPECT_NE(errores.find(carpeta + "/bindelora.lock"), std::string::npos) << errores;
    EXPECT_EQ(Leer(Dat()), libro);
}
