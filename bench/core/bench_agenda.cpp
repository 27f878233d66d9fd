// Loading, ordering and saving address books of 1,000 to 100,000 contacts.
// Goals for 100,000: load <= 100 ms, each ordering <= 60 ms, save <= 60 ms,
// peak memory of a load <= 3 times the file size.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include <malloc.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/agenda.h"
#include "core/archivo.h"
#include "core/orden.h"
#include "generador.h"

namespace {

using namespace bindelora;
namespace fs = std::filesystem;

struct CarpetaTemporal {
    fs::path ruta = fs::temp_directory_path() / ("bindelora-bench-agenda-" + std::to_string(::getpid()));
    CarpetaTemporal() { fs::create_directories(ruta); }
    ~CarpetaTemporal()
    {
        std::error_code ec;
        fs::remove_all(ruta, ec);
    }
};

const fs::path& Carpeta()
{
    static CarpetaTemporal c;
    return c.ruta;
}

const ListaPibes& Agenda(std::size_t n)
{
    static std::map<std::size_t, ListaPibes> hechas;
    auto it = hechas.find(n);
    if (it == hechas.end()) it = hechas.emplace(n, bench::GenerarAgenda(n, 2024)).first;
    return it->second;
}

// The file of a book of n contacts, written once.
const std::string& Archivo(std::size_t n)
{
    static std::map<std::size_t, std::string> hechos;
    auto it = hechos.find(n);
    if (it == hechos.end()) {
        std::string ruta = (Carpeta() / ("agenda-" + std::to_string(n) + ".dat")).string();
        std::string error;
        GuardarAgenda(ruta, Agenda(n), error);
        it = hechos.emplace(n, ruta).first;
    }
    return it->second;
}

ListaPibes Copia(const ListaPibes& origen)
{
    ListaPibes l;
    l.reserve(origen.size());
    for (const auto& p : origen) l.push_back(std::make_unique<TPibe>(*p));
    return l;
}

long FallosDePagina()
{
    rusage uso;
    ::getrusage(RUSAGE_SELF, &uso);
    return uso.ru_minflt;
}

// Minor page faults per round: where fresh memory is slow to come by (some
// virtual machines take over 10 us a page), they explain most of the time.
void ContarFallos(benchmark::State& st, long antes)
{
    st.counters["fallos_pagina"] = benchmark::Counter(static_cast<double>(FallosDePagina() - antes),
                                                      benchmark::Counter::kAvgIterations);
}

double Segundos(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

// Every load starts with the heap handed back to the system, so the book's
// memory comes fresh from the kernel as at program start. Its user and
// system time are given apart: the system part is mostly page faults.
void BM_AgendaCargar(benchmark::State& st)
{
    const std::size_t n = static_cast<std::size_t>(st.range(0));
    const std::string& ruta = Archivo(n);
    const auto tamano = fs::file_size(ruta);
    ListaPibes l;
    const long fallos = FallosDePagina();
    double usuario = 0, sistema = 0;
    for (auto _ : st) {
        rusage antes, despues;
        ::getrusage(RUSAGE_SELF, &antes);
        ResultadoLectura r = LeerAgenda(ruta, l);
        ::getrusage(RUSAGE_SELF, &despues);
        usuario += Segundos(despues.ru_utime) - Segundos(antes.ru_utime);
        sistema += Segundos(despues.ru_stime) - Segundos(antes.ru_stime);
        if (r.estado != EstadoLectura::Completa || l.size() != n) st.SkipWithError("lectura incompleta");
        // Freeing the book is not part of loading it.
        st.PauseTiming();
        ListaPibes().swap(l);
        ::malloc_trim(0);
        st.ResumeTiming();
    }
    ContarFallos(st, fallos);
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations() * tamano));
    st.counters["MB_archivo"] = static_cast<double>(tamano) / 1e6;
    st.counters["ms_usuario"] = benchmark::Counter(usuario * 1e3, benchmark::Counter::kAvgIterations);
    st.counters["ms_sistema"] = benchmark::Counter(sistema * 1e3, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_AgendaCargar)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The first load of a program started after the machine sat idle, as a
// user starts it: in a new process, after a pause of a few seconds, long
// enough for a virtual machine's host to take back the memory just freed.
// Each round times the load alone, inside the child.
void BM_AgendaCargarTrasReposo(benchmark::State& st)
{
    const std::string& ruta = Archivo(static_cast<std::size_t>(st.range(0)));
    for (auto _ : st) {
        ::sleep(3);
        int tubo[2];
        if (::pipe(tubo) != 0) {
            st.SkipWithError("pipe");
            return;
        }
        pid_t hijo = ::fork();
        if (hijo == 0) {
            ::close(tubo[0]);
            ListaPibes l;
            const auto t0 = std::chrono::steady_clock::now();
            const bool bien = LeerAgenda(ruta, l).estado == EstadoLectura::Completa;
            double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            if (!bien) s = -1;
            [[maybe_unused]] auto w = ::write(tubo[1], &s, sizeof s);
            ::_exit(0);
        }
        ::close(tubo[1]);
        double s = -1;
        if (hijo < 0 || ::read(tubo[0], &s, sizeof s) != sizeof s || s < 0) st.SkipWithError("la carga falló");
        ::close(tubo[0]);
        if (hijo > 0) ::waitpid(hijo, nullptr, 0);
        st.SetIterationTime(s);
    }
}
BENCHMARK(BM_AgendaCargarTrasReposo)->Arg(100000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same load with the heap kept between rounds, as when the book is read
// again during a run: the reader's own cost, with the memory already there.
void BM_AgendaCargarConMemoria(benchmark::State& st)
{
    const std::size_t n = static_cast<std::size_t>(st.range(0));
    const std::string& ruta = Archivo(n);
    ::mallopt(M_TRIM_THRESHOLD, 1 << 30);
    ListaPibes l;
    LeerAgenda(ruta, l);
    ListaPibes().swap(l);
    const long fallos = FallosDePagina();
    for (auto _ : st) {
        if (LeerAgenda(ruta, l).estado != EstadoLectura::Completa || l.size() != n)
            st.SkipWithError("lectura incompleta");
        st.PauseTiming();
        ListaPibes().swap(l);
        st.ResumeTiming();
    }
    ContarFallos(st, fallos);
    ::mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    ::malloc_trim(0);
}
BENCHMARK(BM_AgendaCargarConMemoria)->Arg(100000)->Unit(benchmark::kMillisecond);

// What fresh memory alone costs on this machine: a newly mapped region the
// size of a loaded 100,000-contact book, written once a page, no parsing.
// Plain pages, then the same region asked for as transparent huge pages.
void BM_MemoriaNueva(benchmark::State& st)
{
    const std::size_t tamano = 63u << 20;
    const bool enormes = st.range(0) != 0;
    const long pagina = ::sysconf(_SC_PAGESIZE);
    const long fallos = FallosDePagina();
    for (auto _ : st) {
        void* m = ::mmap(nullptr, tamano, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (m == MAP_FAILED) {
            st.SkipWithError("mmap");
            return;
        }
        if (enormes) ::madvise(m, tamano, MADV_HUGEPAGE);
        auto* p = static_cast<volatile char*>(m);
        for (std::size_t i = 0; i < tamano; i += static_cast<std::size_t>(pagina)) p[i] = 1;
        st.PauseTiming();
        ::munmap(m, tamano);
        st.ResumeTiming();
    }
    ContarFallos(st, fallos);
    st.counters["MB"] = static_cast<double>(tamano) / 1e6;
}
BENCHMARK(BM_MemoriaNueva)->ArgName("paginas_enormes")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Each round orders a freshly shuffled book; the shuffle (of the pointers
// only) is left out of the time.
void BM_AgendaOrdenar(benchmark::State& st, const char* orden)
{
    const std::size_t n = static_cast<std::size_t>(st.range(0));
    ListaPibes l = Copia(Agenda(n));
    const TPibe& buscado = *l[n / 2];
    TextosEditor editor{buscado.Nombre, buscado.Ape1, buscado.Ape2,
                        buscado.TfnoCasa, buscado.TfnoMovil, buscado.EMail};
    std::mt19937 azar(7);
    const long fallos = FallosDePagina();
    for (auto _ : st) {
        st.PauseTiming();
        std::shuffle(l.begin(), l.end(), azar);
        st.ResumeTiming();
        int actual = OrdenarPibes(l, orden, editor);
        if (actual < 0) st.SkipWithError("no se encontró el contacto del editor");
        benchmark::DoNotOptimize(actual);
    }
    ContarFallos(st, fallos);
}
BENCHMARK_CAPTURE(BM_AgendaOrdenar, Nombre, "Nombre")->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AgendaOrdenar, Apellido1, "Apellido 1")->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AgendaOrdenar, Apellido2, "Apellido 2")->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AgendaOrdenar, Grupo, "Grupo")->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_AgendaSerializar(benchmark::State& st)
{
    const ListaPibes& l = Agenda(static_cast<std::size_t>(st.range(0)));
    const long fallos = FallosDePagina();
    for (auto _ : st) {
        std::string s = SerializarAgenda(l);
        benchmark::DoNotOptimize(s.data());
    }
    ContarFallos(st, fallos);
}
BENCHMARK(BM_AgendaSerializar)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The whole save as the program does it, fsync and rename included.
void BM_AgendaGuardar(benchmark::State& st)
{
    const std::size_t n = static_cast<std::size_t>(st.range(0));
    const ListaPibes& l = Agenda(n);
    const std::string ruta = (Carpeta() / ("guardada-" + std::to_string(n) + ".dat")).string();
    const long fallos = FallosDePagina();
    for (auto _ : st) {
        std::string error;
        if (!GuardarAgenda(ruta, l, error)) st.SkipWithError(error.c_str());
    }
    ContarFallos(st, fallos);
}
BENCHMARK(BM_AgendaGuardar)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

long CampoStatus(const char* nombre)
{
    std::ifstream f("/proc/self/status");
    std::string linea;
    const std::string prefijo = std::string(nombre) + ":";
    while (std::getline(f, linea))
        if (linea.compare(0, prefijo.size(), prefijo) == 0) return std::stol(linea.substr(prefijo.size()));
    return -1;
}

// Peak memory of one load. It runs in a child process so nothing the
// benchmark process did before blurs the figure: the child hands free heap
// back to the system (malloc_trim), resets its high-water mark
// (clear_refs "5"), takes VmRSS as the baseline, loads, and reports VmHWM
// minus that baseline. The steady size of the loaded book is given too.
void BM_AgendaMemoriaCarga(benchmark::State& st)
{
    const std::size_t n = static_cast<std::size_t>(st.range(0));
    const std::string& ruta = Archivo(n);
    const double tamano = static_cast<double>(fs::file_size(ruta));
    long medidas[2] = {-1, -1};
    for (auto _ : st) {
        int tubo[2];
        if (::pipe(tubo) != 0) {
            st.SkipWithError("pipe");
            return;
        }
        pid_t hijo = ::fork();
        if (hijo == 0) {
            ::close(tubo[0]);
            ::malloc_trim(0);
            if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
                std::fputs("5", f);
                std::fclose(f);
            }
            long antes = CampoStatus("VmRSS");
            long res[2] = {-1, -1};
            {
                ListaPibes l;
                if (LeerAgenda(ruta, l).estado == EstadoLectura::Completa && antes >= 0) {
                    res[0] = CampoStatus("VmHWM") - antes;
                    res[1] = CampoStatus("VmRSS") - antes;
                }
            }
            [[maybe_unused]] auto w = ::write(tubo[1], res, sizeof res);
            ::_exit(0);
        }
        ::close(tubo[1]);
        if (hijo < 0 || ::read(tubo[0], medidas, sizeof medidas) != sizeof medidas || medidas[0] < 0)
            st.SkipWithError("no se pudo medir la memoria");
        ::close(tubo[0]);
        if (hijo > 0) ::waitpid(hijo, nullptr, 0);
    }
    st.counters["MB_archivo"] = tamano / 1e6;
    st.counters["MB_pico"] = static_cast<double>(medidas[0]) * 1024 / 1e6;
    st.counters["MB_lista"] = static_cast<double>(medidas[1]) * 1024 / 1e6;
    st.counters["pico_por_archivo"] = static_cast<double>(medidas[0]) * 1024 / tamano;
}
BENCHMARK(BM_AgendaMemoriaCarga)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
