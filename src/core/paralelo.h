#pragma once
// Large batches of independent work split over two threads: the machines
// this runs on have two cores or more, and the rest of the work waits.
#include <cstddef>
#include <thread>

namespace bindelora {

// Calls f(desde, hasta) over [0, n): from `minimo` items on in two halves at
// once, the second in a thread of its own; below it, once in this thread.
// f must touch only what belongs to its own range.
template <class F>
void EnDosMitades(std::size_t n, std::size_t minimo, F&& f)
{
    if (n < minimo || n < 2) {
        f(std::size_t{0}, n);
        return;
    }
    const std::size_t mitad = n / 2;
    std::thread segunda([&f, mitad, n] { f(mitad, n); });
    f(std::size_t{0}, mitad);
    segunda.join();
}

}  // namespace bindelora
