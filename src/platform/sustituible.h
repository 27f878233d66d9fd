#pragma once

namespace bindelora {

// The one instance of a service the program calls: the real one (Real),
// unless a test has put its own in place. setInstancia takes no ownership;
// nullptr goes back to the real one.
template <class Interfaz, class Real>
class Sustituible {
public:
    static Interfaz& instancia()
    {
        static Real real;
        return actual_ ? *actual_ : real;
    }
    static void setInstancia(Interfaz* otra) { actual_ = otra; }

private:
    static inline Interfaz* actual_ = nullptr;
};

}  // namespace bindelora
