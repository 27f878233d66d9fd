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

#include <spawn.h>
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

long CampoStatus(const char* nombre)
{
    std::ifstream f("/proc/self/status");
    std::string linea;
    const std::string prefijo = std::string(nombre) + ":";
    while (std::getline(f, linea))
        if (linea.compare(0, prefijo.size(), prefijo) == 0) return std::stol(linea.substr(prefijo.size()));
    return -1;
}

// What one load in a process of its own measured.
struct Medida {
    double ms = 0, msUsuario = 0, msSistema = 0;
    long fallos = 0, picoKB = 0, listaKB = 0;
};

// A load measured in this very program started again with "--cargar": a new
// process has only fresh memory, as the program has when it starts, and
// nothing the benchmarks did before lingers in its heap.
bool CargarEnOtroProceso(const std::string& ruta, Medida& m)
{
    int tubo[2];
    if (::pipe(tubo) != 0) return false;
    posix_spawn_file_actions_t acciones;
    ::posix_spawn_file_actions_init(&acciones);
    ::posix_spawn_file_actions_adddup2(&acciones, tubo[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_addclose(&acciones, tubo[0]);
    std::string programa = "/proc/self/exe", opcion = "--cargar", archivo = ruta;
    char* args[] = {programa.data(), opcion.data(), archivo.data(), nullptr};
    pid_t hijo = -1;
    const int e = ::posix_spawn(&hijo, programa.c_str(), &acciones, nullptr, args, environ);
    ::posix_spawn_file_actions_destroy(&acciones);
    ::close(tubo[1]);
    std::string salida;
    char buf[256];
    for (ssize_t r; e == 0 && (r = ::read(tubo[0], buf, sizeof buf)) > 0;) salida.append(buf, static_cast<std::size_t>(r));
    ::close(tubo[0]);
    int estado = -1;
    if (e == 0) ::waitpid(hijo, &estado, 0);
    return e == 0 && estado == 0 &&
           std::sscanf(salida.c_str(), "%lf %lf %lf %ld %ld %ld", &m.ms, &m.msUsuario, &m.msSistema, &m.fallos,
                       &m.picoKB, &m.listaKB) == 6;
}

// The loads run in a new process each; `pausa` seconds of rest before each
// let a virtual machine's host take back the memory just freed, as it has
// when a user starts the program after the machine sat idle. User and
// system time are given apart (the system part is mostly page faults), with
// the peak memory of the load over the file's size.
void MedirCargas(benchmark::State& st, unsigned pausa)
{
    const std::size_t n = static_cast<std::size_t>(st.range(0));
    const std::string& ruta = Archivo(n);
    const double tamano = static_cast<double>(fs::file_size(ruta));
    Medida suma;
    for (auto _ : st) {
        if (pausa) ::sleep(pausa);
        Medida m;
        if (!CargarEnOtroProceso(ruta, m)) {
            st.SkipWithError("la carga falló");
            return;
        }
        st.SetIterationTime(m.ms / 1e3);
        suma.msUsuario += m.msUsuario;
        suma.msSistema += m.msSistema;
        suma.fallos += m.fallos;
        suma.picoKB = std::max(suma.picoKB, m.picoKB);
    }
    using C = benchmark::Counter;
    st.SetBytesProcessed(static_cast<std::int64_t>(static_cast<double>(st.iterations()) * tamano));
    st.counters["MB_archivo"] = tamano / 1e6;
    st.counters["ms_usuario"] = C(suma.msUsuario, C::kAvgIterations);
    st.counters["ms_sistema"] = C(suma.msSistema, C::kAvgIterations);
    st.counters["fallos_pagina"] = C(static_cast<double>(suma.fallos), C::kAvgIterations);
    st.counters["MB_pico"] = static_cast<double>(suma.picoKB) * 1024 / 1e6;
    st.counters["pico_por_archivo"] = static_cast<double>(suma.picoKB) * 1024 / tamano;
}

void BM_AgendaCargar(benchmark::State& st) { MedirCargas(st, 0); }
BENCHMARK(BM_AgendaCargar)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_AgendaCargarTrasReposo(benchmark::State& st) { MedirCargas(st, 3); }
BENCHMARK(BM_AgendaCargarTrasReposo)->Arg(100000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

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


}  // namespace

namespace bindelora::bench {

// "--cargar FILE": one load, then on one line its time, user and system time
// in ms, page faults, and in kB the peak memory it added and what stayed.
int CargarUnaVez(const char* ruta)
{
    rusage antes, despues;
    const long rss = CampoStatus("VmRSS");
    ::getrusage(RUSAGE_SELF, &antes);
    const auto t0 = std::chrono::steady_clock::now();
    ListaPibes l;
    const bool bien = LeerAgenda(ruta, l).estado == EstadoLectura::Completa;
    const auto t1 = std::chrono::steady_clock::now();
    ::getrusage(RUSAGE_SELF, &despues);
    if (!bien) return 1;
    std::printf("%.3f %.3f %.3f %ld %ld %ld\n", std::chrono::duration<double, std::milli>(t1 - t0).count(),
                (Segundos(despues.ru_utime) - Segundos(antes.ru_utime)) * 1e3,
                (Segundos(despues.ru_stime) - Segundos(antes.ru_stime)) * 1e3, despues.ru_minflt - antes.ru_minflt,
                CampoStatus("VmHWM") - rss, CampoStatus("VmRSS") - rss);
    return 0;
}

}  // namespace bindelora::bench
