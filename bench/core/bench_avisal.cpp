#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>

#include <unistd.h>

#include "core/archivo.h"
#include "core/avisal.h"
#include "core/texto.h"

using namespace bindelora;

namespace {

const Fecha kHoy{2026, 6, 15};
constexpr int kEntradas = 10000;

// Every entry lies ahead of kHoy so the whole file is kept; one in ten is
// monthly.
std::string TextoDeAvisales()
{
    std::mt19937 gen(42);
    std::string datos;
    for (int i = 0; i < kEntradas; ++i) {
        TAvisal a;
        a.Mes = (i % 10 == 0) ? 0 : static_cast<int>(gen() % 12) + 1;
        a.Dia = static_cast<int>(gen() % (a.Mes ? DiasDelMes(a.Mes, 2027) : 31)) + 1;
        a.Ano = (i % 7 == 0) ? 9999 : 2027 + static_cast<int>(gen() % 5);
        a.Texto = "Recordatorio n\xFAmero " + std::to_string(i) + " para la reuni\xF3n";
        datos += LineaAvisal(a);
        datos += "\r\n";
    }
    return datos;
}

void BM_AvisalLeerConFilas(benchmark::State& state)
{
    const std::string datos = TextoDeAvisales();
    std::size_t numFilas = 0;
    for (auto _ : state) {
        ListaAvisales lista;
        lista.reserve(kEntradas);
        auto r = LeerAvisales(datos, kHoy, lista);
        if (!r.ok) state.SkipWithError("lectura fallida");
        std::vector<FilaAvisal> todas;
        todas.reserve(lista.size() * 3);
        std::vector<FilaAvisal> filas;
        for (const auto& a : lista) {
            FilasDeAvisal(*a, kHoy, filas);
            for (auto& f : filas) todas.push_back(std::move(f));
        }
        numFilas = todas.size();
        benchmark::DoNotOptimize(todas.data());
    }
    state.counters["filas"] = static_cast<double>(numFilas);
}
BENCHMARK(BM_AvisalLeerConFilas)->Unit(benchmark::kMillisecond);

void BM_AvisalSerializarYEscribir(benchmark::State& state)
{
    ListaAvisales lista;
    LeerAvisales(TextoDeAvisales(), kHoy, lista);
    const std::string ruta = "/tmp/bench_avisal_" + std::to_string(::getpid()) + ".dat";
    std::string error;
    for (auto _ : state) {
        if (!EscribirArchivoSeguro(ruta, SerializarAvisales(lista), error))
            state.SkipWithError(error.c_str());
    }
    std::remove(ruta.c_str());
}
BENCHMARK(BM_AvisalSerializarYEscribir)->Unit(benchmark::kMillisecond);

ListaPibes PibesDePrueba(int n)
{
    static const char* const kNombres[] = {"Ana", "Luis", "Mar\xED" "a", "Jos\xE9", "Carmen", "Pedro",
                                           "Luc\xED" "a", "Javier", "Elena", "Pablo", "Nuria", "Iker"};
    static const char* const kApellidos[] = {"Garc\xED" "a", "Mart\xEDnez", "L\xF3pez", "S\xE1nchez",
                                             "P\xE9rez", "G\xF3mez", "Fern\xE1ndez", "Mu\xF1oz",
                                             "Ruiz", "D\xED" "az", "Moreno", "Ib\xE1\xF1" "ez"};
    std::mt19937 gen(1234);
    ListaPibes pibes;
    pibes.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        auto p = std::make_unique<TPibe>();
        p->Nombre = kNombres[gen() % 12];
        p->Ape1 = std::string(kApellidos[gen() % 12]) + std::to_string(i % 5000);
        int ano = 1930 + static_cast<int>(gen() % 90);
        int mes = static_cast<int>(gen() % 12) + 1;
        int dia = static_cast<int>(gen() % static_cast<unsigned>(DiasDelMes(mes, ano))) + 1;
        CodificarFecha(ano, mes, dia, p->Cumple);
        pibes.push_back(std::move(p));
    }
    return pibes;
}

void BM_AvisalSincronizarCumples(benchmark::State& state)
{
    ListaPibes pibes = PibesDePrueba(100000);
    ListaAvisales base;
    for (int i = 0; i < 1000; ++i)
        base.push_back(std::make_unique<TAvisal>(
            TAvisal{i % 28 + 1, i % 12 + 1, 9999, TextoCumple(*pibes[static_cast<std::size_t>(i) * 7])}));
    std::size_t nuevos = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (auto& p : pibes) p->EnAvisal = false;
        ListaAvisales avisales;
        for (const auto& a : base) avisales.push_back(std::make_unique<TAvisal>(*a));
        state.ResumeTiming();
        nuevos = SincronizarCumples(pibes, avisales).size();
        state.PauseTiming();
        avisales.clear();  // freeing 100,000 entries is not part of the work
        state.ResumeTiming();
    }
    state.counters["nuevos"] = static_cast<double>(nuevos);
}
BENCHMARK(BM_AvisalSincronizarCumples)->Unit(benchmark::kMillisecond);

}  // namespace
