#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

#if defined(__GLIBC__) && defined(__linux__)
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "core/memoria.h"

namespace {

using namespace bindelora;

// A reservation must leave the heap working as before: blocks allocated
// under it are usable and freed normally, and so are those after it.
TEST(ReservaMemoria, HeapGrowsOnceAndStaysUsable)
{
    constexpr std::size_t kMB = 1 << 20;
    {
        ReservaMemoria pequena(64 * 1024);
        EXPECT_EQ(pequena.Marcados(), 0u);  // too small to be worth a huge page
    }
    {
        // Under a huge page: filled in, not marked, and as usable.
        ReservaMemoria r(kMB);
        EXPECT_EQ(r.Marcados(), 0u);
        std::vector<char*> pocos;
#if defined(__GLIBC__) && defined(__linux__)
        void* tope = ::sbrk(0);
#endif
        for (int i = 0; i < 700; ++i) {
            pocos.push_back(static_cast<char*>(std::malloc(1000)));
            ASSERT_NE(pocos.back(), nullptr);
            pocos.back()[999] = static_cast<char>(i);
        }
#if defined(__GLIBC__) && defined(__linux__)
        EXPECT_EQ(::sbrk(0), tope);
#endif
        for (int i = 0; i < 700; ++i) {
            EXPECT_EQ(pocos[static_cast<std::size_t>(i)][999], static_cast<char>(i));
            std::free(pocos[static_cast<std::size_t>(i)]);
        }
    }
    std::vector<char*> bloques;
    {
        ReservaMemoria r(32 * kMB);
        // A huge page more than asked for, so that whole ones cover it.
        EXPECT_LE(r.Marcados(), 34 * kMB);
#if defined(__GLIBC__) && defined(__linux__)
        // 24 MB of small blocks fit in what the heap holds now, whether it
        // grew for them or had the room already: no growth on the way.
        void* tope = ::sbrk(0);
#endif
        for (int i = 0; i < 24 * 1024; ++i) {
            bloques.push_back(static_cast<char*>(std::malloc(1000)));
            ASSERT_NE(bloques.back(), nullptr);
            bloques.back()[0] = bloques.back()[999] = static_cast<char>(i);
        }
#if defined(__GLIBC__) && defined(__linux__)
        EXPECT_EQ(::sbrk(0), tope);
#endif
    }
    for (int i = 0; i < 24 * 1024; ++i) {
        EXPECT_EQ(bloques[static_cast<std::size_t>(i)][999], static_cast<char>(i));
        std::free(bloques[static_cast<std::size_t>(i)]);
    }
    void* despues = std::malloc(4 * kMB);
    ASSERT_NE(despues, nullptr);
    std::free(despues);
}

#if defined(__GLIBC__) && defined(__linux__) && defined(MADV_POPULATE_WRITE)
// A thread's arena prepared for a small load has its pages already there:
// the load's blocks then cost no page faults of their own.
TEST(ReservaMemoria, ArenaPequenaDeUnHiloSinFallosDePagina)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps no malloc arenas";
#endif
    void* prueba = ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(prueba, MAP_FAILED);
    const bool puede = ::madvise(prueba, 4096, MADV_POPULATE_WRITE) == 0;
    ::munmap(prueba, 4096);
    if (!puede) GTEST_SKIP() << "the kernel cannot fill pages in at once";
    // As in the program, after a reservation: it lets malloc keep such
    // blocks in the heaps rather than map each apart.
    const ReservaMemoria reserva(1 << 20);
    long fallos = -1;
    bool bien = true;
    std::thread([&] {
        PrepararArenaDelHilo(1 << 20);
        rusage antes{}, despues{};
        ::getrusage(RUSAGE_THREAD, &antes);
        std::vector<char*> bloques;
        bloques.reserve(700);
        for (int i = 0; i < 700; ++i) {
            bloques.push_back(static_cast<char*>(std::malloc(1000)));
            bloques.back()[0] = bloques.back()[999] = static_cast<char>(i);
        }
        ::getrusage(RUSAGE_THREAD, &despues);
        fallos = despues.ru_minflt - antes.ru_minflt;
        for (int i = 0; i < 700; ++i) {
            bien = bien && bloques[static_cast<std::size_t>(i)][999] == static_cast<char>(i);
            std::free(bloques[static_cast<std::size_t>(i)]);
        }
    }).join();
    EXPECT_TRUE(bien);
    // 700 KB page by page would be some 170 faults.
    EXPECT_LT(fallos, 20);
}
#endif

}  // namespace
