#pragma once
// Today's date comes from here only, so tests can fix it.
#include "core/fecha.h"

namespace bindelora {

class Reloj {
public:
    virtual ~Reloj() = default;
    virtual Fecha Hoy() const = 0;

    static Reloj& instancia();
    // Takes no ownership; nullptr goes back to the system clock.
    static void setInstancia(Reloj* reloj);
};

class RelojSistema : public Reloj {
public:
    Fecha Hoy() const override;
};

class RelojFijo : public Reloj {
public:
    explicit RelojFijo(Fecha f) : fecha(f) {}
    Fecha Hoy() const override { return fecha; }
    Fecha fecha;
};

}  // namespace bindelora
