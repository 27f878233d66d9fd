#pragma once
// Heap preparation for reading a large file into many small records.
#include <cstddef>

namespace bindelora {

// While it lives, the heap holds about `bytes` of free room, grown in a few
// large steps and on transparent huge pages where the system offers them;
// below 2 MiB filled in at once instead (nothing below 256 KiB). A book of 100,000
// contacts takes some 60 MB in small blocks; page by page, fresh memory
// cost three times the parsing on a virtual machine. Only a hint: where the
// C library or the kernel lack the means, nothing changes.
class ReservaMemoria {
public:
    explicit ReservaMemoria(std::size_t bytes);
    ~ReservaMemoria();
    ReservaMemoria(const ReservaMemoria&) = delete;
    ReservaMemoria& operator=(const ReservaMemoria&) = delete;

    // Bytes the heap grew by and were marked for huge pages; 0 when none.
    std::size_t Marcados() const { return marcados_; }

private:
    void* guarda_ = nullptr;
    std::size_t marcados_ = 0;
};

// The same for the malloc arena of the calling thread, which a thread's
// first allocation opens: its heap is grown by about `bytes` at once (an
// arena holds at most 64 MiB) and marked for huge pages, or below 2 MiB
// filled in at once, instead of growing a page at a time at the edge.
// Nothing happens on the main thread's heap, nor where malloc would map so
// large a block apart.
void PrepararArenaDelHilo(std::size_t bytes);

}  // namespace bindelora
