#pragma once
// The full path of the running program, which places the data files.
#include <string>

#include "platform/sustituible.h"

namespace bindelora {

class RutaEjecutableQt;

class RutaEjecutable : public Sustituible<RutaEjecutable, RutaEjecutableQt> {
public:
    virtual ~RutaEjecutable() = default;
    virtual std::string Ruta() const = 0;  // UTF-8 file system path
};

class RutaEjecutableQt : public RutaEjecutable {
public:
    std::string Ruta() const override;
};

class RutaEjecutableFija : public RutaEjecutable {
public:
    explicit RutaEjecutableFija(std::string r) : ruta(std::move(r)) {}
    std::string Ruta() const override { return ruta; }
    std::string ruta;
};

}  // namespace bindelora
