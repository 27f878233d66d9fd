#pragma once
// Work started in a thread of its own, when the system can start one.
#include <system_error>
#include <thread>
#include <utility>

namespace bindelora {

// A new thread running f; throws std::system_error when none can be started.
template <class F>
std::thread NuevoHilo(F&& f)
{
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

}  // namespace bindelora
