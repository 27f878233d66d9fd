// The core of the birthday list and of the search over 100,000 contacts,
// without any window: what the views' figures are made of.
#include <benchmark/benchmark.h>

#include "core/busqueda.h"
#include "core/cumples.h"
#include "generador.h"

using namespace bindelora;

namespace {

const ListaPibes& Libro()
{
    static const ListaPibes libro = bench::GenerarAgenda(100000, 20261208);
    return libro;
}

void BM_FilasCumples(benchmark::State& state)
{
    const ListaPibes& l = Libro();
    std::size_t filas = 0;
    for (auto _ : state) {
        auto r = FilasCumples(l, Fecha{2026, 12, 7});
        filas = r.size();
        benchmark::DoNotOptimize(r.data());
    }
    state.counters["filas"] = static_cast<double>(filas);
}
BENCHMARK(BM_FilasCumples)->Unit(benchmark::kMillisecond);

// Broad patterns in every field: nearly every criterion runs for nearly
// every contact.
void BM_BuscarPibesAmplia(benchmark::State& state)
{
    const ListaPibes& l = Libro();
    PatronBusqueda b;
    b.Nombre = "a";
    b.Ape1 = "e";
    b.Ape2 = "e";
    b.TfnoCasa = "9";
    b.TfnoMovil = "6";
    b.EMail = ".";
    b.Direccion = "c";
    b.CumpleDia = "abc";
    b.CumpleMes = "xyz";
    b.CumpleAno = "666";
    b.Grupo = "Familia";
    b.Varios = "e";
    std::size_t n = 0;
    for (auto _ : state) n = BuscarPibes(l, b).size();
    state.counters["resultados"] = static_cast<double>(n);
}
BENCHMARK(BM_BuscarPibesAmplia)->Unit(benchmark::kMillisecond);

}  // namespace
