#pragma once
// Large batches of independent work split over two threads: the machines
// this runs on have two cores or more, and the rest of the work waits.
#include <cstddef>
#include <system_error>
#include <thread>
#include <utility>

namespace bindelora {

// Tests set it to check that the work is done the same when the system
// cannot start a thread (out of threads or memory).
inline bool hilosNegadosParaPruebas = false;

// A new thread running f; throws std::system_error when none can be started.
template <class F>
std::thread NuevoHilo(F&& f)
{
    if (hilosNegadosParaPruebas) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    return std::thread(std::forward<F>(f));
}

// Runs f in a thread of its own, or here and now when the system cannot
// start one: the work gets done either way. Join the thread if joinable.
template <class F>
std::thread EnOtroHilo(F&& f)
{
    try {
        return NuevoHilo(f);  // a copy: f is still whole if no thread starts
    } catch (const std::system_error&) {
        f();
        return std::thread();
    }
}

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
    std::thread segunda = EnOtroHilo([&f, mitad, n] { f(mitad, n); });
    f(std::size_t{0}, mitad);
    if (segunda.joinable()) segunda.join();
}

}  // namespace bindelora
