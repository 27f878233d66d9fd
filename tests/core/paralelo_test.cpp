// Large books are written, read and sorted in two threads at once; when the
// system cannot start a thread, the same work must be done in one, with the
// same bytes as the result.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "core/agenda.h"
#include "core/avisal.h"
#include "core/fecha.h"
#include "core/icalendar.h"
#include "core/paralelo.h"
#include "core/vcard.h"

using namespace bindelora;

namespace {

ListaPibes LibroGrande(int n)
{
    ListaPibes l;
    for (int i = 0; i < n; ++i) {
        auto p = std::make_unique<TPibe>();
        p->Nombre = "Nombre" + std::to_string(i % 997);
        p->Ape1 = "Ap\xF1" + std::to_string(i % 89);
        p->Ape2 = i % 3 ? "Segundo" + std::to_string(i) : std::string();
        p->EMail = "c" + std::to_string(i) + "@correo.es";
        p->Grupo = i % 4 ? "Amigos" : "";
        CodificarFecha(1950 + i % 60, 1 + i % 12, 1 + i % 28, p->Cumple);
        p->EnAvisal = i % 2;
        for (int k = 0; k < i % 3; ++k) p->Direccion.push_back("Calle " + std::to_string(k) + ", " + std::to_string(i));
        if (i % 5 == 0) p->Varios.push_back("nota; con \\ y , " + std::to_string(i));
        l.push_back(std::move(p));
    }
    return l;
}

std::string Contenido(const std::string& ruta)
{
    std::ifstream f(ruta, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// Everything that splits its work, done once; the texts it gave.
std::vector<std::string> TodoLoQueSeReparte(const ListaPibes& libro, const ListaAvisales& sucesos)
{
    std::vector<std::string> r;
    const std::string base = "/tmp/paralelo_test_" + std::to_string(::getpid());
    std::string error;
    EXPECT_TRUE(GuardarAgenda(base + ".dat", libro, error)) << error;
    r.push_back(Contenido(base + ".dat"));
    r.push_back(SerializarAgenda(libro));

    const int fd = ::open((base + ".vcf").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const ResultadoExportacion e = ExportarAgendaAVCard(base + ".dat", fd, VersionVCard::V40);
    ::close(fd);
    EXPECT_EQ(e.estado, EstadoLectura::Completa);
    const std::string vcf = Contenido(base + ".vcf");
    r.push_back(vcf);

    ListaPibes importado;
    const ResumenImportacion resumen = ImportarPibes(importado, LeerVCard(vcf, 1), "Apellido1");
    EXPECT_EQ(resumen.anadidos, libro.size());
    r.push_back(SerializarAgenda(importado));

    r.push_back(ExportarICalendar(sucesos, Fecha{2026, 12, 8}, MarcaUtc{{2026, 12, 8}, 10, 0, 0}).texto);
    std::remove((base + ".dat").c_str());
    std::remove((base + ".vcf").c_str());
    return r;
}

}  // namespace

TEST(SinHilos, CadaTrabajoRepartidoSaleIgualEnUnSoloHilo)
{
    const ListaPibes libro = LibroGrande(30001);
    ListaAvisales sucesos;
    for (int i = 0; i < 3000; ++i) {
        auto a = std::make_unique<TAvisal>();
        a->Dia = 1 + i % 28;
        a->Mes = i % 13;
        a->Ano = i % 2 ? 9999 : 2030;
        a->Texto = "Suceso " + std::to_string(i % 700);
        sucesos.push_back(std::move(a));
    }
    const std::vector<std::string> conHilos = TodoLoQueSeReparte(libro, sucesos);
    hilosNegadosParaPruebas = true;
    const std::vector<std::string> sinHilos = TodoLoQueSeReparte(libro, sucesos);
    hilosNegadosParaPruebas = false;
    ASSERT_EQ(conHilos.size(), sinHilos.size());
    for (std::size_t i = 0; i < conHilos.size(); ++i) {
        EXPECT_FALSE(conHilos[i].empty()) << i;
        EXPECT_TRUE(conHilos[i] == sinHilos[i]) << i;
    }
}
