#include "core/memoria.h"

#include <cstdint>
#include <limits>
#include <vector>

#if defined(__GLIBC__) && defined(__linux__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#define BINDELORA_RESERVA_GLIBC 1
#endif

namespace bindelora {

namespace {

#ifdef BINDELORA_RESERVA_GLIBC
// The C library's documented default for the heap's extra growth. Setting
// it also stops malloc from raising its threshold for mapping large blocks
// on its own, which only concerns blocks of 128 KiB and more.
constexpr int kRellenoPorDefecto = 128 * 1024;
constexpr std::uintptr_t kPaginaEnorme = std::uintptr_t{2} << 20;
constexpr std::size_t kBloque = 64 * 1024;  // below the size malloc maps on its own
#endif

}  // namespace

ReservaMemoria::ReservaMemoria([[maybe_unused]] std::size_t bytes)
{
#ifdef BINDELORA_RESERVA_GLIBC
    if (bytes < kPaginaEnorme * 2 || bytes > static_cast<std::size_t>(std::numeric_limits<int>::max())) return;
    if (::mallopt(M_TOP_PAD, static_cast<int>(bytes)) != 1) return;
    activa_ = true;
    // The next growth of the heap now takes `bytes` more than it needs.
    // Small blocks are taken until it happens, then given back: free space
    // already in the heap is used first, and trimming keeps the padding.
    char* antes = static_cast<char*>(::sbrk(0));
    char* despues = antes;
    std::vector<void*> bloques;
    bloques.reserve(bytes / kBloque + 1);
    while (despues == antes && bloques.size() <= bytes / kBloque) {
        void* b = ::malloc(kBloque);
        if (!b) break;
        bloques.push_back(b);
        despues = static_cast<char*>(::sbrk(0));
    }
    for (void* b : bloques) ::free(b);
    if (antes == reinterpret_cast<char*>(-1) || despues <= antes) return;
    // Only whole huge pages inside the new part of the heap.
    const auto desde = (reinterpret_cast<std::uintptr_t>(antes) + kPaginaEnorme - 1) & ~(kPaginaEnorme - 1);
    const auto hasta = reinterpret_cast<std::uintptr_t>(despues) & ~(kPaginaEnorme - 1);
    if (hasta > desde && ::madvise(reinterpret_cast<void*>(desde), hasta - desde, MADV_HUGEPAGE) == 0)
        marcados_ = hasta - desde;
#endif
}

ReservaMemoria::~ReservaMemoria()
{
#ifdef BINDELORA_RESERVA_GLIBC
    if (activa_) ::mallopt(M_TOP_PAD, kRellenoPorDefecto);
#endif
}

}  // namespace bindelora
