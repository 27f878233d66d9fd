// The sync folder's exchange: the first one of a large book, a start with
// nothing changed, and an end with one contact changed.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include <unistd.h>

#include "core/sinc.h"
#include "generador.h"

using namespace bindelora;

namespace {

const Fecha kHoySinc{2026, 12, 9};
const MarcaUtc kAhoraSinc{kHoySinc, 10, 0, 0};
constexpr std::size_t kContactosSinc = 10000, kSucesosSinc = 1000;

ListaAvisales SucesosSinc()
{
    ListaAvisales r;
    for (std::size_t i = 0; i < kSucesosSinc; ++i) {
        auto a = std::make_unique<TAvisal>();
        a->Mes = i % 10 == 0 ? 0 : static_cast<int>(i % 12) + 1;
        a->Dia = static_cast<int>(i % 28) + 1;
        a->Ano = i % 3 == 0 ? 9999 : 2027 + static_cast<int>(i % 5);
        a->Texto = "Recordatorio n\xFAmero " + std::to_string(i);
        r.push_back(std::move(a));
    }
    return r;
}

struct CarpetaSinc {
    std::string raiz;
    CarpetaSinc()
    {
        std::string p = (std::filesystem::temp_directory_path() / "bindelora-bench-sinc-XXXXXX").string();
        raiz = ::mkdtemp(p.data()) ? p : std::string();
    }
    ~CarpetaSinc() { std::filesystem::remove_all(raiz); }
    std::string Vdir() const { return raiz + "/vdir"; }
    std::string Estado() const { return raiz + "/bindelora.sinc"; }
};

void BM_SincPrimerIntercambio(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        ListaPibes pibes = bench::GenerarAgenda(kContactosSinc, 7);
        ListaAvisales avisales = SucesosSinc();
        {
            CarpetaSinc c;
            state.ResumeTiming();
            Sincronizador s(c.Vdir(), c.Estado());
            ResumenSinc r = s.Intercambiar(pibes, avisales, "Nombre", kHoySinc, kAhoraSinc);
            state.PauseTiming();
            state.counters["escritos"] = static_cast<double>(r.escritos);
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SincPrimerIntercambio)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_SincArranqueSinCambios(benchmark::State& state)
{
    CarpetaSinc c;
    ListaPibes pibes = bench::GenerarAgenda(kContactosSinc, 7);
    ListaAvisales avisales = SucesosSinc();
    {
        Sincronizador s(c.Vdir(), c.Estado());
        s.Intercambiar(pibes, avisales, "Nombre", kHoySinc, kAhoraSinc);
        s.Enviar(pibes, avisales, kHoySinc, kAhoraSinc);
    }
    for (auto _ : state) {
        Sincronizador s(c.Vdir(), c.Estado());
        ResumenSinc r = s.Intercambiar(pibes, avisales, "Nombre", kHoySinc, kAhoraSinc);
        if (r.escritos != 0 || r.pibesCambiados) state.SkipWithError("something changed");
    }
}
BENCHMARK(BM_SincArranqueSinCambios)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SincFinConUnCambio(benchmark::State& state)
{
    CarpetaSinc c;
    ListaPibes pibes = bench::GenerarAgenda(kContactosSinc, 7);
    ListaAvisales avisales = SucesosSinc();
    {
        Sincronizador s(c.Vdir(), c.Estado());
        s.Intercambiar(pibes, avisales, "Nombre", kHoySinc, kAhoraSinc);
        s.Enviar(pibes, avisales, kHoySinc, kAhoraSinc);
    }
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Sincronizador s(c.Vdir(), c.Estado());
        s.Intercambiar(pibes, avisales, "Nombre", kHoySinc, kAhoraSinc);
        pibes[5000]->TfnoMovil = "600" + std::to_string(++n);
        state.ResumeTiming();
        ResumenSinc r = s.Enviar(pibes, avisales, kHoySinc, kAhoraSinc);
        if (r.escritos != 1) state.SkipWithError("not one file written");
    }
}
BENCHMARK(BM_SincFinConUnCambio)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
