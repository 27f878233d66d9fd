#include "core/memoria.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iterator>

#if defined(__GLIBC__) && defined(__linux__)
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>
#define BINDELORA_RESERVA_GLIBC 1
#endif

namespace bindelora {

#ifdef BINDELORA_RESERVA_GLIBC

namespace {

constexpr std::uintptr_t kPaginaEnorme = std::uintptr_t{2} << 20;
// malloc raises its threshold for mapping blocks of their own to the size of
// a freed mapped block, up to 32 MiB (on 64-bit systems).
constexpr std::size_t kEnsenar = std::size_t{31} << 20;
constexpr std::size_t kBloque = std::size_t{30} << 20;
// Too large for malloc's per-thread caches, so freeing it reaches the heap.
constexpr std::size_t kGuarda = 4096;
// Below this the heap's own growth is as good.
constexpr std::size_t kMinimo = 256 << 10;
#ifdef MADV_POPULATE_WRITE
constexpr int kPoblar = MADV_POPULATE_WRITE;
#else
constexpr int kPoblar = 23;  // older headers; older kernels refuse it, harmlessly
#endif

}  // namespace

// No malloc setting is changed: that would stop malloc from adjusting its
// thresholds on its own for the rest of the run. It is done with blocks:
//  1. a mapped block just under the largest size, freed, raises those thresholds as
//     the first large free of a run does anyway, so the blocks below come
//     from the heap and its free top is not handed back early;
//  2. blocks of the reserved size grow the heap in a few steps;
//  3. the new part is marked for huge pages before anything touches it;
//  4. the blocks are freed, all but the highest, which shrinks in place to a
//     small guard that keeps the free stretch below it from joining the top
//     and being handed back to the system before the load uses it.
// From one huge page on, the heap grows by one more, so that whole huge
// pages cover what was asked for wherever the growth starts: on this kind of
// virtual machine 4 MiB touched page by page took 12 ms, filled in first
// 6.6 ms, as huge pages 0.3-0.5 ms. Below that the new part is filled in at
// once (MADV_POPULATE_WRITE, Linux 5.14): one call instead of a fault for
// each page.
ReservaMemoria::ReservaMemoria(std::size_t bytes)
{
    if (bytes < kMinimo) return;
    const bool pequena = bytes < kPaginaEnorme;
    if (!pequena) bytes += kPaginaEnorme;
    if (void* grande = std::malloc(kEnsenar)) std::free(grande);
    char* antes = static_cast<char*>(::sbrk(0));
    void* bloques[64];
    std::size_t n = 0;
    for (std::size_t resto = bytes; resto > 0 && n < std::size(bloques);) {
        const std::size_t t = std::min(resto, kBloque);
        if (!(bloques[n] = std::malloc(t))) break;
        ++n;
        resto -= t;
    }
    char* despues = static_cast<char*>(::sbrk(0));
    if (pequena && antes != reinterpret_cast<char*>(-1) && despues > antes) {
        const auto pagina = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        const auto desde = (reinterpret_cast<std::uintptr_t>(antes) + pagina - 1) & ~(pagina - 1);
        const auto hasta = reinterpret_cast<std::uintptr_t>(despues) & ~(pagina - 1);
        if (hasta > desde) ::madvise(reinterpret_cast<void*>(desde), hasta - desde, kPoblar);
    } else if (antes != reinterpret_cast<char*>(-1) && despues > antes) {
        // Only whole huge pages inside the new part of the heap.
        const auto desde = (reinterpret_cast<std::uintptr_t>(antes) + kPaginaEnorme - 1) & ~(kPaginaEnorme - 1);
        const auto hasta = reinterpret_cast<std::uintptr_t>(despues) & ~(kPaginaEnorme - 1);
        if (hasta > desde && ::madvise(reinterpret_cast<void*>(desde), hasta - desde, MADV_HUGEPAGE) == 0)
            marcados_ = hasta - desde;
    }
    if (n == 0) return;
    auto alto = std::max_element(bloques, bloques + n, [](void* a, void* b) { return std::less<>()(a, b); });
    for (void** b = bloques; b != bloques + n; ++b)
        if (b != alto) std::free(*b);
    guarda_ = std::realloc(*alto, kGuarda);
    if (!guarda_) guarda_ = *alto;
}

// What the load left unused now joins the top, and is handed back if large.
ReservaMemoria::~ReservaMemoria() { std::free(guarda_); }

void PrepararArenaDelHilo(std::size_t bytes)
{
    if (bytes >= kPaginaEnorme) bytes += kPaginaEnorme;  // as ReservaMemoria does
    // Below the size malloc maps apart once a ReservaMemoria has run.
    bytes = std::min(bytes, kBloque);
    if (bytes < kMinimo) return;
    char* p = static_cast<char*>(std::malloc(bytes));
    if (!p) return;
    // At or above the top of the main heap: a block of the thread's arena.
    if (p >= static_cast<char*>(::sbrk(0))) {
        if (bytes < kPaginaEnorme) {
            // Filled in at once, as ReservaMemoria does for such sizes.
            const auto pagina = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
            const auto desde = (reinterpret_cast<std::uintptr_t>(p) + pagina - 1) & ~(pagina - 1);
            const auto hasta = (reinterpret_cast<std::uintptr_t>(p) + bytes) & ~(pagina - 1);
            if (hasta > desde) ::madvise(reinterpret_cast<void*>(desde), hasta - desde, kPoblar);
        } else {
            const auto desde = (reinterpret_cast<std::uintptr_t>(p) + kPaginaEnorme - 1) & ~(kPaginaEnorme - 1);
            const auto hasta = (reinterpret_cast<std::uintptr_t>(p) + bytes) & ~(kPaginaEnorme - 1);
            if (hasta > desde) ::madvise(reinterpret_cast<void*>(desde), hasta - desde, MADV_HUGEPAGE);
        }
    }
    // Freed, it stays in the arena for the thread's next blocks.
    std::free(p);
}

#else

void PrepararArenaDelHilo(std::size_t) {}
ReservaMemoria::ReservaMemoria(std::size_t) {}
ReservaMemoria::~ReservaMemoria() = default;

#endif

}  // namespace bindelora
