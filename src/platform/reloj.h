#pragma once
// Today's date comes from here only, so tests can fix it.
#include "core/fecha.h"
#include "platform/sustituible.h"

namespace bindelora {

class RelojSistema;

class Reloj : public Sustituible<Reloj, RelojSistema> {
public:
    virtual ~Reloj() = default;
    virtual Fecha Hoy() const = 0;
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
