#pragma once
// What every fuzz target shares: a failed property stops the run with a
// message, as a crash would, so libFuzzer keeps the input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

namespace fuzz {

[[noreturn]] inline void Fallo(const char* que)
{
    std::fprintf(stderr, "PROPIEDAD FALLIDA: %s\n", que);
    std::abort();
}

#define EXIGIR(cond)                                   \
    do {                                               \
        if (!(cond)) ::fuzz::Fallo(#cond);             \
    } while (0)

inline std::string_view Vista(const std::uint8_t* datos, std::size_t n)
{
    return {reinterpret_cast<const char*>(datos), n};
}

inline double SegundosCpu()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The best of a few timings: the others carry the noise of a shared machine.
template <class Leer>
double MejorTiempo(Leer& leer, std::string_view texto)
{
    double mejor = 1e9;
    for (int i = 0; i < 3; ++i) {
        const double t0 = SegundosCpu();
        leer(texto);
        const double t = SegundosCpu() - t0;
        if (t < mejor) mejor = t;
    }
    return mejor;
}

// A reader must take time in proportion to its input. The input is repeated
// to about kTamano bytes and then to twice that: a reader with a quadratic
// part takes about four times as long on the second. Only one input in 2048
// is timed (chosen by its bytes, so a rerun times the same ones). Timing is
// noisy on a shared machine: a failure is measured again, after a pause,
// and counts only when every measure fails.
template <class Leer>
void ComprobarLineal(std::string_view entrada, Leer leer)
{
    constexpr std::size_t kTamano = 64 * 1024;
    if (entrada.size() < 4 || std::hash<std::string_view>{}(entrada) % 2048 != 0) return;
    std::string uno;
    uno.reserve(kTamano + entrada.size());
    while (uno.size() < kTamano) uno += entrada;
    const std::string dos = uno + uno;
    double t1 = 0, t2 = 0;
    for (int intento = 0; intento < 10; ++intento) {
        if (intento > 0) {
            const timespec pausa{0, 20'000'000};
            ::nanosleep(&pausa, nullptr);
        }
        t1 = MejorTiempo(leer, uno);
        t2 = MejorTiempo(leer, dos);
        if (t2 <= 3 * t1 + 500e-6) return;
    }
    std::fprintf(stderr, "%zu bytes: %.0f us, %zu bytes: %.0f us\n", uno.size(), t1 * 1e6, dos.size(), t2 * 1e6);
    Fallo("el tiempo de lectura crece mas deprisa que la entrada");
}

}  // namespace fuzz
