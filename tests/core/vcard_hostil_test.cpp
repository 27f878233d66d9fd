// vCard files made to hurt: huge cards and values, control characters,
// names that do not fit in Windows-1252, files that are not files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

#include "core/agenda.h"
#include "core/texto.h"
#include "core/vcard.h"
#include "vcard_ayudas.h"

using namespace bindelora;
using namespace bindelora::prueba;

namespace {

std::string Tarjeta(const std::string& lineas) { return "BEGIN:VCARD\r\nVERSION:3.0\r\n" + lineas + "END:VCARD\r\n"; }

const std::string kOtra = Tarjeta("N:Ruiz;Eva;;;\r\n");

}  // namespace

TEST(VCardHostil, PropiedadDeMasDeMilPartesHaceIlegibleLaTarjeta)
{
    const std::string milUna(1000, ';'), comas(1000, ',');
    // At the bound the card is read; one part more and it is not.
    LecturaVCard r = LeerVCard(Tarjeta("N:Abad;Ana" + std::string(998, ';') + "\r\n") + kOtra);
    EXPECT_EQ(r.pibes.size(), 2u);
    EXPECT_EQ(r.ilegibles, 0u);
    for (const std::string& linea : {"N:Abad;Ana" + milUna, "N:Abad" + comas + ";Ana;;;", "N:Abad;Ana" + comas + ";;;",
                                     "ADR:" + milUna, "CATEGORIES:a" + comas, "ORG:a" + milUna,
                                     "TEL;" + milUna + ":1", "X-BINDELORA-APELLIDOS:a" + milUna}) {
        r = LeerVCard(Tarjeta("N:Abad;Ana;;;\r\n" + linea + "\r\n") + kOtra);
        ASSERT_EQ(r.pibes.size(), 1u) << linea.substr(0, 20);
        EXPECT_EQ(r.pibes[0]->Nombre, "Eva");
        EXPECT_EQ(r.ilegibles, 1u);
        ASSERT_EQ(r.avisos.size(), 1u);
        EXPECT_NE(r.avisos[0].find(C("más de 1000 partes")), std::string::npos) << r.avisos[0];
    }

    // Megabytes of separators cost no more than their size.
    r = LeerVCard(Tarjeta("N:" + std::string(8 << 20, ';') + "\r\n") + kOtra);
    EXPECT_EQ(r.pibes.size(), 1u);
    EXPECT_EQ(r.ilegibles, 1u);
}

TEST(VCardHostil, TarjetaDeMasDe16MiBEsIlegibleYLaSiguienteEntra)
{
    const std::size_t limite = kMaxTarjetaVCard;
    // Just under the bound, the note whole.
    const std::string cabe(limite - 200, 'x');
    LecturaVCard r = LeerVCard(Tarjeta("N:Abad;Ana;;;\r\nNOTE:" + cabe + "\r\n") + kOtra);
    ASSERT_EQ(r.pibes.size(), 2u);
    EXPECT_EQ(r.pibes[0]->Varios.at(0).size(), cabe.size());

    // Over it, in one line or folded: unreadable, and the next card read.
    std::string plegada = "NOTE:";
    for (std::size_t n = 0; n <= limite; n += 74) plegada += std::string(74, 'y') + "\r\n ";
    for (const std::string& nota : {"NOTE:" + std::string(limite + 1, 'x') + "\r\n", plegada + "z\r\n"}) {
        r = LeerVCard(Tarjeta("N:Abad;Ana;;;\r\n" + nota) + kOtra);
        ASSERT_EQ(r.pibes.size(), 1u);
        EXPECT_EQ(r.pibes[0]->Nombre, "Eva");
        EXPECT_EQ(r.ilegibles, 1u);
        ASSERT_EQ(r.avisos.size(), 1u);
        EXPECT_NE(r.avisos[0].find(C("más de 16 MiB")), std::string::npos);
    }
}

TEST(VCardHostil, ControlesQuitadosDeCadaValorYContados)
{
    LecturaVCard r = LeerVCard(Tarjeta("N:Ab\x1B[2Jad;An\x07" "a;;;\r\n"
                                       "TEL:12" + std::string(1, '\0') + "3\r\n"
                                       "NOTE;ENCODING=QUOTED-PRINTABLE:uno=1B=07=0D=0Ados\ttres\r\n"
                                       "NOTE;CHARSET=UTF-8:\xC3\xB1\x1B\r\n"
                                       "BDAY:1990-\x01" "05-01\r\n"));
    ASSERT_EQ(r.pibes.size(), 1u);
    const TPibe& p = *r.pibes[0];
    EXPECT_EQ(p.Ape1, "Ab[2Jad");
    EXPECT_EQ(p.Nombre, "Ana");
    EXPECT_EQ(p.TfnoCasa, "123");
    // Line breaks and TAB stay what they are.
    EXPECT_EQ(p.Varios, (std::vector<std::string>{"uno", "dos\ttres", C("ñ")}));
    EXPECT_EQ(p.Cumple, Dia(1990, 5, 1));
    EXPECT_EQ(r.controlesQuitados, 7u);

    ListaPibes libro;
    const std::string texto = TextoResumen(ImportarPibes(libro, std::move(r), "Nombre"));
    EXPECT_NE(texto.find("\nCaracteres de control quitados: 7"), std::string::npos) << texto;
    // None: no such line.
    EXPECT_EQ(TextoResumen(ImportarPibes(libro, LeerVCard(kOtra), "Nombre")).find("control"), std::string::npos);
}

TEST(VCardHostil, NombresQueNoCabenEnWindows1252NuncaSonRepetidos)
{
    // Korean and Greek names both become "???" / "?????".
    const std::string coreano = Tarjeta("N:\xEA\xB9\x80;\xEB\xAF\xBC\xEC\xA4\x80;;;\r\n");
    const std::string otroCoreano = Tarjeta("N:\xEB\xB0\x95;\xEC\x84\x9C\xEC\x97\xB0;;;\r\n");
    const std::string griego = Tarjeta("FN:\xCE\x9D\xCE\xAF\xCE\xBA\xCE\xB7\r\n");
    ListaPibes libro;
    libro.push_back(PibeVCard("??", "?"));
    libro.push_back(PibeVCard("????", ""));
    ResumenImportacion r = ImportarPibes(libro, LeerVCard(coreano + otroCoreano + griego + coreano), "Nombre");
    EXPECT_EQ(r.anadidos, 4u);
    EXPECT_EQ(r.duplicados, 0u);
    EXPECT_EQ(libro.size(), 6u);
    ASSERT_EQ(r.avisos.size(), 4u);
    EXPECT_NE(r.avisos[0].find(C("se añade aunque quizá repita un contacto que ya estaba")), std::string::npos);

    // Characters lost elsewhere, or a real "??" in the file: compared as ever.
    const std::string notaPerdida = Tarjeta("N:?;??;;;\r\nNOTE:\xEA\xB9\x80\r\n");
    r = ImportarPibes(libro, LeerVCard(notaPerdida + Tarjeta("N:?;??;;;\r\n")), "Nombre");
    EXPECT_EQ(r.anadidos, 0u);
    EXPECT_EQ(r.duplicados, 2u);
    ASSERT_EQ(r.avisos.size(), 1u);
    EXPECT_EQ(r.avisos[0].find("repita"), std::string::npos);

    // A birthday that lost characters is not the same birthday.
    r = ImportarPibes(libro, LeerVCard(Tarjeta("N:?;??;;;\r\nBDAY:1990\xE2\x88\x92" "05-01\r\n")), "Nombre");
    EXPECT_EQ(r.anadidos, 1u);
}

TEST(VCardHostil, SoloSeLeenArchivosNormalesHasta256MiB)
{
    const std::string carpeta = "/tmp/vcard_hostil_" + std::to_string(::getpid());
    std::filesystem::create_directories(carpeta);
    const std::string tuberia = carpeta + "/tuberia", grande = carpeta + "/grande.vcf", bien = carpeta + "/bien.vcf";
    ASSERT_EQ(::mkfifo(tuberia.c_str(), 0600), 0);
    // Sparse: refused before a byte is read.
    { std::ofstream(grande.c_str()); }
    std::filesystem::resize_file(grande, kMaxArchivoVCard + 1);
    { std::ofstream(bien.c_str()) << kOtra; }

    std::string datos, motivo;
    EXPECT_TRUE(LeerArchivoVCard(bien, datos, motivo));
    EXPECT_EQ(datos, kOtra);
    for (const auto& [ruta, porque] : {std::pair<std::string, const char*>{tuberia, "no es un archivo normal"},
                                       {"/dev/zero", "no es un archivo normal"},
                                       {carpeta, "es una carpeta"},
                                       {grande, "pasa de 256 MiB"},
                                       {carpeta + "/no-hay.vcf", "no existe"}}) {
        datos = "x";
        motivo.clear();
        EXPECT_FALSE(LeerArchivoVCard(ruta, datos, motivo)) << ruta;
        EXPECT_NE(motivo.find(porque), std::string::npos) << ruta << ": " << motivo;
    }
    std::filesystem::remove_all(carpeta);
}
