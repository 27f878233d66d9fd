// The import and the printing of the command line against hostile input,
// run as the user runs them, in 2 GiB of address space: no abort, a clear
// message, the agenda file untouched, no control character on the terminal.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "ayudas_programa.h"
#include "core/agenda.h"
#include "core/vcard.h"

using namespace bindelora;
namespace fs = std::filesystem;

namespace {

class ImportarHostil : public prueba::ProgramaEnCarpeta {
protected:
    ImportarHostil() : ProgramaEnCarpeta("hostil") {}
    void SetUp() override
    {
        ProgramaEnCarpeta::SetUp();
        if (HasFatalFailure()) return;
        fs::create_directories(carpeta + "/cfg");
        auto p = std::make_unique<TPibe>();
        p->Nombre = "Berta";
        p->Ape1 = "Abad";
        ListaPibes libro;
        libro.push_back(std::move(p));
        Escribir(Dat(), SerializarAgenda(libro));
        agenda = Leer(Dat());
    }

    // In 2 GiB of address space unless told otherwise; the exit code.
    int Ejecutar(std::vector<std::string> args, const std::string& entrada = "/dev/null",
                 rlim_t limite = rlim_t{2} << 30)
    {
        return Correr(std::move(args), EntornoPropio(), entrada, limite);
    }

    // Nothing on the terminal that would drive it.
    void SinControles() const
    {
        for (const std::string* s : {&salida, &errores})
            for (char c : {'\x1B', '\x07', '\0', '\r'}) EXPECT_EQ(s->find(c), std::string::npos) << *s;
    }

    std::string agenda;
};

}  // namespace

TEST_F(ImportarHostil, LoQueNoEsUnArchivoSeRechazaSinLeerlo)
{
    const std::string tuberia = carpeta + "/tuberia.vcf", grande = carpeta + "/grande.vcf";
    ASSERT_EQ(::mkfifo(tuberia.c_str(), 0600), 0);
    // Sparse: were it read, 2 GiB would not hold it.
    { std::ofstream crear(grande); }
    fs::resize_file(grande, std::uintmax_t{64} << 30);
    for (const auto& [ruta, porque] : {std::pair<std::string, const char*>{"/dev/zero", "no es un archivo normal"},
                                       {tuberia, "no es un archivo normal"},
                                       {carpeta, "es una carpeta"},
                                       {grande, "pasa de 256 MiB"}}) {
        EXPECT_EQ(Ejecutar({"--importar-vcard", ruta}), 1) << ruta;
        EXPECT_NE(errores.find("No se puede importar " + ruta + ": " + porque), std::string::npos) << errores;
        EXPECT_EQ(Leer(Dat()), agenda);
        EXPECT_TRUE(salida.empty());
    }
    // Standard input: a file too large refused before reading, a device
    // read only up to the bound.
    for (const std::string& entrada : {grande, std::string("/dev/zero")}) {
        EXPECT_EQ(Ejecutar({"--importar-vcard", "-"}, entrada), 1) << entrada;
        EXPECT_NE(errores.find("No se puede importar la entrada estándar: pasa de 256 MiB"), std::string::npos)
            << errores;
        EXPECT_EQ(Leer(Dat()), agenda);
    }
}

TEST_F(ImportarHostil, TarjetasDesmesuradasSeSaltanSinAgotarLaMemoria)
{
    const std::string otra = "BEGIN:VCARD\r\nN:Ruiz;Eva;;;\r\nEND:VCARD\r\n";
    // A 60 MB name of separators, a 17 MiB note, then a card like any.
    Escribir(carpeta + "/puntos.vcf", "BEGIN:VCARD\r\nN:" + std::string(60'000'000, ';') + "\r\nEND:VCARD\r\n" +
                                          "BEGIN:VCARD\r\nN:Ruiz;Ana;;;\r\nNOTE:" + std::string(17 << 20, 'x') +
                                          "\r\nEND:VCARD\r\n");
    ASSERT_EQ(Ejecutar({"--importar-vcard", carpeta + "/puntos.vcf"}), 0) << errores;
    EXPECT_NE(salida.find("No se han podido leer: 2"), std::string::npos) << salida;
    EXPECT_NE(salida.find("Tarjeta 2: la tarjeta ocupa m"), std::string::npos) << salida;
    EXPECT_EQ(Leer(Dat()), agenda);

    // Ten thousand parts of a card small enough.
    Escribir(carpeta + "/partes.vcf", "BEGIN:VCARD\r\nN:Ruiz;Ana" + std::string(10000, ',') + ";;;\r\nEND:VCARD\r\n" + otra);
    ASSERT_EQ(Ejecutar({"--importar-vcard", carpeta + "/partes.vcf"}), 0) << errores;
    EXPECT_NE(salida.find("Contactos añadidos: 1"), std::string::npos) << salida;
    EXPECT_NE(salida.find("Tarjeta 1: una propiedad tiene más de 1000 partes"), std::string::npos) << salida;
}

TEST_F(ImportarHostil, SinMemoriaSeDiceYLaAgendaNoCambia)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "needs a bounded address space";
#endif
    // Millions of the smallest cards: more contacts than 1 GiB holds.
    std::string tarjetas;
    const std::string una = "BEGIN:VCARD\nN:a\nEND:VCARD\n";
    tarjetas.reserve(150 << 20);
    while (tarjetas.size() + una.size() <= (150 << 20)) tarjetas += una;
    Escribir(carpeta + "/muchas.vcf", tarjetas);
    tarjetas = std::string();
    EXPECT_EQ(Ejecutar({"--importar-vcard", carpeta + "/muchas.vcf"}, "/dev/null", rlim_t{1} << 30), 1) << salida;
    EXPECT_NE(errores.find("no hay memoria suficiente para importar " + carpeta + "/muchas.vcf; la agenda no ha cambiado"),
              std::string::npos)
        << errores;
    EXPECT_EQ(Leer(Dat()), agenda);
}

TEST_F(ImportarHostil, LosControlesNoLleganNiALaAgendaNiAlTerminal)
{
    Escribir(carpeta + "/controles.vcf",
             std::string("BEGIN:VCARD\r\nN:Ruiz\x1B]0\\;hola\x07;Ana") + '\0' + "\x1B[2J;;;\r\n"
             "NOTE:uno\x07\x1B[31mdos\r\nBDAY:hace\x1B[1m tiempo\r\nEND:VCARD\r\n");
    ASSERT_EQ(Ejecutar({"--importar-vcard", carpeta + "/controles.vcf"}), 0) << errores;
    SinControles();
    EXPECT_NE(salida.find("Contactos añadidos: 1"), std::string::npos) << salida;
    EXPECT_NE(salida.find("Caracteres de control quitados: 7"), std::string::npos) << salida;
    EXPECT_NE(salida.find("\"hace[1m tiempo\" no reconocida"), std::string::npos) << salida;
    ListaPibes libro;
    ASSERT_TRUE(LeerAgenda(Dat(), libro).Exito());
    ASSERT_EQ(libro.size(), 2u);
    const TPibe& nuevo = libro[0]->Nombre == "Berta" ? *libro[1] : *libro[0];
    EXPECT_EQ(nuevo.Ape1, "Ruiz]0;hola");
    EXPECT_EQ(nuevo.Nombre, "Ana[2J");
    EXPECT_EQ(nuevo.Varios, std::vector<std::string>{"uno[31mdos"});

    // A file's name and the events' texts reach the terminal without them.
    const std::string agendaAhora = Leer(Dat());
    EXPECT_EQ(Ejecutar({"--importar-vcard", carpeta + "/\x1B[2J\x07\r\nno-hay.vcf"}), 1);
    SinControles();
    EXPECT_NE(errores.find("/?[2J???no-hay.vcf: no existe"), std::string::npos) << errores;
    EXPECT_EQ(Leer(Dat()), agendaAhora);
    Escribir(carpeta + "/bindelora.avs", "15039999Santo\x1B]2;x\x07 de hoy\r\n");
    ASSERT_EQ(Ejecutar({"--hoy", "2027-03-15"}), 0) << errores;
    SinControles();
    EXPECT_NE(salida.find("Santo?]2;x? de hoy\n"), std::string::npos) << salida;
}
