// The command line's export, straight from the agenda file: the cards of
// the book LeerAgenda loads from the same file.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <tuple>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "core/agenda.h"
#include "core/fecha.h"
#include "core/orden.h"
#include "core/texto.h"
#include "core/vcard.h"
#include "vcard_ayudas.h"

using namespace bindelora;
using namespace bindelora::prueba;

namespace {

struct ArchivoTemporal {
    std::string ruta;
    explicit ArchivoTemporal(const std::string& nombre) : ruta("/tmp/vcard_test_" + std::to_string(::getpid()) + nombre) {}
    ~ArchivoTemporal() { std::remove(ruta.c_str()); }
};

std::string Exportar(const std::string& agenda, VersionVCard v, ResultadoExportacion& r)
{
    ArchivoTemporal salida(".vcf");
    int fd = ::open(salida.ruta.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    r = ExportarAgendaAVCard(agenda, fd, v);
    ::close(fd);
    return ContenidoDe(salida.ruta);
}

}  // namespace

TEST(VCardDesdeArchivo, IgualQueDesdeElLibroEnMemoria)
{
    ArchivoTemporal agenda(".dat");
    ListaPibes libro = LibroAlAzar(7, 300);
    // Lines longer than the reading block.
    libro[150]->Varios.push_back(std::string((1 << 20) + 5, 'n'));
    libro[151]->Nombre = std::string((1 << 20) - 3, 'a');
    std::string error;
    ASSERT_TRUE(GuardarAgenda(agenda.ruta, libro, error));
    for (VersionVCard v : {VersionVCard::V40, VersionVCard::V30}) {
        ResultadoExportacion r;
        EXPECT_EQ(Exportar(agenda.ruta, v, r), ExportarVCard(libro, v));
        EXPECT_EQ(r.estado, EstadoLectura::Completa);
        EXPECT_EQ(r.contactos, 300u);
    }
}

TEST(VCardDesdeArchivo, CadaLargoConUnCaracterEspecialEnCadaSitio)
{
    // A character that needs care, at any place in fields of any length.
    ArchivoTemporal agenda(".dat");
    ListaPibes libro;
    for (const std::string& especial : {std::string(";"), std::string(","), std::string("\\"), C("ñ"), C("€")}) {
        for (std::size_t largo = 1; largo <= 40; ++largo) {
            for (std::size_t sitio = 0; sitio < largo; ++sitio) {
                std::string texto(largo, 'a');
                texto.replace(sitio, 1, especial);
                auto p = PibeVCard("", "x");
                p->Nombre = texto;
                p->Varios = {texto, texto};
                libro.push_back(std::move(p));
            }
        }
    }
    std::string error;
    ASSERT_TRUE(GuardarAgenda(agenda.ruta, libro, error));
    const std::string vcf = ExportarVCard(libro, VersionVCard::V40);
    ResultadoExportacion r;
    EXPECT_EQ(Exportar(agenda.ruta, VersionVCard::V40, r), vcf);
    const ListaPibes leido = Leer(vcf);
    ASSERT_EQ(leido.size(), libro.size());
    for (std::size_t i = 0; i < libro.size(); ++i) {
        ASSERT_EQ(leido[i]->Nombre, libro[i]->Nombre) << i;
        ASSERT_EQ(leido[i]->Varios, libro[i]->Varios) << i;
    }
}

TEST(VCardDesdeArchivo, LineasAcabadasEnCrLfEnLfOEnCrDanLoMismo)
{
    ArchivoTemporal agenda(".dat");
    const ListaPibes libro = LibroAlAzar(11, 60);
    std::string error;
    ASSERT_TRUE(GuardarAgenda(agenda.ruta, libro, error));
    ResultadoExportacion r;
    const std::string esperado = Exportar(agenda.ruta, VersionVCard::V30, r);
    EXPECT_EQ(r.contactos, 60u);
    for (const char* fin : {"\n", "\r"}) {
        std::string texto = SerializarAgenda(libro);
        for (std::size_t i = 0; (i = texto.find("\r\n", i)) != std::string::npos; ++i) texto.replace(i, 2, fin);
        {
            std::ofstream f(agenda.ruta, std::ios::binary | std::ios::trunc);
            f << texto;
        }
        EXPECT_EQ(Exportar(agenda.ruta, VersionVCard::V30, r), esperado);
        EXPECT_EQ(r.estado, EstadoLectura::Completa);
        EXPECT_EQ(r.contactos, 60u);
    }
}

TEST(VCardDesdeArchivo, FormatoAntiguoVacioYDanado)
{
    ArchivoTemporal agenda(".dat");
    ResultadoExportacion r;
    EXPECT_EQ(Exportar(agenda.ruta, VersionVCard::V40, r), "");
    EXPECT_EQ(r.estado, EstadoLectura::NoExiste);

    // The earlier format: no header, no AVS: line.
    {
        std::ofstream f(agenda.ruta, std::ios::binary);
        f << "NOM:Ana\r\nAP1:Ruiz\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\nCUM:0\r\nDIR:C/ Luna\r\n----\r\n----\r\n";
    }
    std::string vcf = Exportar(agenda.ruta, VersionVCard::V40, r);
    EXPECT_EQ(r.estado, EstadoLectura::Completa);
    EXPECT_NE(vcf.find("N:Ruiz;Ana;;;\r\n"), std::string::npos);
    EXPECT_NE(vcf.find("ADR;TYPE=home:;;C/ Luna;;;;\r\n"), std::string::npos);

    // A bad birthday stops at that record, keeping the ones before.
    {
        std::ofstream f(agenda.ruta, std::ios::binary);
        f << "VER:2.1\r\n----\r\nNOM:Ana\r\nAP1:\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\nCUM:0\r\nAVS:0\r\n----\r\n----\r\n"
             "NOM:Eva\r\nAP1:\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\nCUM:\r\nAVS:0\r\n----\r\n----\r\n";
    }
    vcf = Exportar(agenda.ruta, VersionVCard::V40, r);
    EXPECT_EQ(r.estado, EstadoLectura::Incompleta);
    EXPECT_EQ(r.contactos, 1u);
    EXPECT_EQ(vcf.find("Eva"), std::string::npos);
}

TEST(VCardDesdeArchivo, LineasQueParecenElPrincipioDeUnRegistroNoLoDescolocan)
{
    // Lines are read by position, so a hand-edited file may label its notes
    // as names: they stay notes.
    ArchivoTemporal agenda(".dat");
    ListaPibes libro = LibroAlAzar(23, 3000);
    for (auto& p : libro)
        if (p->Varios.empty()) p->Varios.push_back("nota");
    std::string texto = SerializarAgenda(libro);
    for (std::size_t i = 0; (i = texto.find("\r\nVAR:", i)) != std::string::npos; i += 6) texto.replace(i + 2, 3, "NOM");
    {
        std::ofstream f(agenda.ruta, std::ios::binary | std::ios::trunc);
        f << texto;
    }
    ResultadoExportacion r;
    EXPECT_EQ(Exportar(agenda.ruta, VersionVCard::V40, r), ExportarVCard(libro, VersionVCard::V40));
    EXPECT_EQ(r.estado, EstadoLectura::Completa);
    EXPECT_EQ(r.contactos, libro.size());
}

TEST(VCardDesdeArchivo, UnRegistroDanadoLejosDelPrincipioParaAhiYNoMasAlla)
{
    ArchivoTemporal agenda(".dat");
    ListaPibes libro = LibroAlAzar(29, 3000);
    std::string texto = SerializarAgenda(libro);
    // The birthday of contact 2001 made unreadable.
    std::size_t i = 0;
    for (int n = 0; n <= 2000; ++n) i = texto.find("\r\nCUM:", i) + 6;
    texto.insert(i, "x");
    {
        std::ofstream f(agenda.ruta, std::ios::binary | std::ios::trunc);
        f << texto;
    }
    ResultadoExportacion r;
    const std::string vcf = Exportar(agenda.ruta, VersionVCard::V30, r);
    EXPECT_EQ(r.estado, EstadoLectura::Incompleta);
    EXPECT_EQ(r.contactos, 2000u);
    libro.resize(2000);
    EXPECT_EQ(vcf, ExportarVCard(libro, VersionVCard::V30));
}

// The export from the file and LeerAgenda share one reader: random books,
// damaged in random ways, give the cards of the book LeerAgenda loads and
// stop where it stops.
TEST(VCardDesdeArchivo, DanadosAlAzarIgualQueLoQueCargaLeerAgenda)
{
    ArchivoTemporal agenda(".dat");
    for (unsigned semilla = 1; semilla <= 40; ++semilla) {
        std::mt19937 g(semilla);
        std::string texto = SerializarAgenda(LibroAlAzar(semilla, 30));
        const auto sitio = [&](const char* que) {
            std::size_t i = texto.find(que, g() % texto.size());
            return i == std::string::npos ? texto.find(que) : i;
        };
        switch (semilla % 5) {
        case 0: texto.insert(sitio("\r\nCUM:") + 6, "x"); break;  // a bad birthday
        case 1: texto.resize(g() % texto.size()); break;  // cut anywhere
        case 2: texto.replace(sitio("\r\n----\r\n") + 2, 4, "VAR:"); break;  // a list that never ends
        case 3: texto.erase(sitio("\r\nAVS:"), 7); break;  // a line missing
        default: {
            // Lines ending in LF or CR only.
            const char* fin = semilla % 2 ? "\n" : "\r";
            for (std::size_t i = 0; (i = texto.find("\r\n", i)) != std::string::npos; ++i) texto.replace(i, 2, fin);
        }
        }
        {
            std::ofstream f(agenda.ruta, std::ios::binary | std::ios::trunc);
            f << texto;
        }
        ListaPibes libro;
        const ResultadoLectura l = LeerAgenda(agenda.ruta, libro);
        for (VersionVCard v : {VersionVCard::V40, VersionVCard::V30}) {
            ResultadoExportacion r;
            EXPECT_EQ(Exportar(agenda.ruta, v, r), ExportarVCard(libro, v)) << semilla;
            EXPECT_EQ(r.estado, l.estado) << semilla;
            EXPECT_EQ(r.contactos, libro.size()) << semilla;
        }
    }
}

TEST(VCardDesdeArchivo, UnaEscrituraFallidaParaYSeDice)
{
    const int lleno = ::open("/dev/full", O_WRONLY);
    if (lleno < 0) GTEST_SKIP() << "no /dev/full here";
    ArchivoTemporal agenda(".dat");
    std::string error;
    // Within the first piece written and past it.
    for (int n : {3, 3000}) {
        ASSERT_TRUE(GuardarAgenda(agenda.ruta, LibroAlAzar(31, n), error));
        const ResultadoExportacion r = ExportarAgendaAVCard(agenda.ruta, lleno, VersionVCard::V40);
        EXPECT_EQ(r.estado, EstadoLectura::Fallo) << n;
        EXPECT_NE(r.error.find("No se pudo escribir el vCard"), std::string::npos) << r.error;
    }
    ::close(lleno);
}

