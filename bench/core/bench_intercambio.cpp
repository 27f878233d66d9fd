// vCard and iCalendar interchange: the core work in this process; the whole
// program is timed from outside (bench/intercambio.sh) on files written by
// "bench_core --generar-intercambio FOLDER".
#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "core/agenda.h"
#include "core/archivo.h"
#include "core/avisal.h"
#include "core/icalendar.h"
#include "core/orden.h"
#include "core/texto.h"
#include "core/vcard.h"
#include "generador.h"

using namespace bindelora;

namespace {

const Fecha kHoy{2026, 6, 15};

// 10,000 entries ahead of kHoy: yearly, monthly and dated ones.
ListaAvisales Avisales(int n, const Fecha& hoy)
{
    std::mt19937 gen(7);
    ListaAvisales lista;
    for (int i = 0; i < n; ++i) {
        auto a = std::make_unique<TAvisal>();
        a->Mes = (i % 10 == 0) ? 0 : static_cast<int>(gen() % 12) + 1;
        a->Dia = static_cast<int>(gen() % (a->Mes ? DiasDelMes(a->Mes, 2027) : 28)) + 1;
        a->Ano = (i % 3 == 0) ? 9999 : hoy.ano + 1 + static_cast<int>(gen() % 5);
        a->Texto = (i % 3 == 0 ? "Cumplea\xF1os de Jos\xE9 " : "Reuni\xF3n n\xFAmero ") + std::to_string(i);
        lista.push_back(std::move(a));
    }
    return lista;
}

void BM_VCardExportar(benchmark::State& st)
{
    const ListaPibes libro = bench::GenerarAgenda(static_cast<std::size_t>(st.range(0)), 1);
    std::size_t bytes = 0;
    for (auto _ : st) {
        std::string s = ExportarVCard(libro, VersionVCard::V40);
        bytes = s.size();
        benchmark::DoNotOptimize(s.data());
    }
    st.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_VCardExportar)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_VCardLeerEImportar(benchmark::State& st)
{
    const std::string texto =
        ExportarVCard(bench::GenerarAgenda(static_cast<std::size_t>(st.range(0)), 1), VersionVCard::V40);
    for (auto _ : st) {
        ListaPibes libro;
        ResumenImportacion r = ImportarPibes(libro, LeerVCard(texto), "Apellido 1");
        if (r.anadidos == 0) st.SkipWithError("nada importado");
        benchmark::DoNotOptimize(libro.data());
    }
}
BENCHMARK(BM_VCardLeerEImportar)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ICalendarExportar(benchmark::State& st)
{
    const ListaAvisales lista = Avisales(static_cast<int>(st.range(0)), kHoy);
    for (auto _ : st) {
        ResultadoICalendar r = ExportarICalendar(lista, kHoy, MarcaUtc{kHoy, 12, 0, 0});
        benchmark::DoNotOptimize(r.texto.data());
    }
}
BENCHMARK(BM_ICalendarExportar)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

namespace bindelora::bench {

// Data files for the whole-program timings: a 100,000-contact book, a
// 1,000-contact one, 10,000 events around today and the vCard of the big book.
int GenerarIntercambio(const char* carpeta)
{
    std::string error;
    const std::string base = std::string(carpeta) + "/";
    const ListaPibes grande = GenerarAgenda(100000, 1);
    const ListaPibes pequeno = GenerarAgenda(1000, 2);
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    const Fecha hoy{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    const ListaAvisales avisales = Avisales(10000, hoy);
    bool bien = EscribirArchivoSeguro(base + "grande.dat", SerializarAgenda(grande), error) &&
                EscribirArchivoSeguro(base + "pequeno.dat", SerializarAgenda(pequeno), error) &&
                EscribirArchivoSeguro(base + "sucesos.avs", SerializarAvisales(avisales), error) &&
                EscribirArchivoSeguro(base + "grande.vcf", ExportarVCard(grande, VersionVCard::V40), error);
    // The same big book in abook's own format (UTF-8), for
    // "abook --convert --informat abook --outformat vcard" side by side.
    std::string abook = "# abook addressbook file\n\n[format]\nprogram=abook\nversion=0.6.1\n\n";
    for (std::size_t i = 0; i < grande.size(); ++i) {
        const TPibe& p = *grande[i];
        abook += "[" + std::to_string(i) + "]\nname=" + Cp1252AUtf8(p.Nombre + " " + p.Ape1 + " " + p.Ape2) + "\n";
        if (!p.EMail.empty()) abook += "email=" + p.EMail + "\n";
        if (!p.Direccion.empty()) abook += "address=" + Cp1252AUtf8(p.Direccion[0]) + "\n";
        if (p.Direccion.size() > 1) abook += "city=" + Cp1252AUtf8(p.Direccion[1]) + "\n";
        if (!p.TfnoCasa.empty()) abook += "phone=" + p.TfnoCasa + "\n";
        if (!p.TfnoMovil.empty()) abook += "mobile=" + p.TfnoMovil + "\n";
        if (!p.Grupo.empty()) abook += "groups=" + Cp1252AUtf8(p.Grupo) + "\n";
        if (!p.Varios.empty()) abook += "notes=" + Cp1252AUtf8(p.Varios[0]) + "\n";
        abook += "\n";
    }
    bien = bien && EscribirArchivoSeguro(base + "grande.abook", abook, error);
    if (!bien) std::fprintf(stderr, "%s\n", error.c_str());
    return bien ? 0 : 1;
}

}  // namespace bindelora::bench
