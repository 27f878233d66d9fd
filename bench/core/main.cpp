// The benchmarks; started as "bench_core --cargar FILE" the program instead
// loads FILE once, in a process of its own, for the load benchmarks.
#include <benchmark/benchmark.h>

#include <cstring>

namespace bindelora::bench {
int CargarUnaVez(const char* ruta);
int GenerarIntercambio(const char* carpeta);
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--cargar") == 0) return bindelora::bench::CargarUnaVez(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--generar-intercambio") == 0)
        return bindelora::bench::GenerarIntercambio(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
