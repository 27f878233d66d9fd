#pragma once
// What the vCard reader, writer and import share, inside the core only.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/vcard.h"

namespace bindelora {

// Surname particles ("de", "la", "van" ...) that belong to the surname that
// follows them, in any case.
bool EsParticula(std::string_view w);

// What makes two contacts the same for an import: name, surnames and
// birthday, compared in their normalised form.
struct IdentidadContacto {
    std::string_view nombre, ape1, ape2;
    double cumple = 0;
};
std::uint64_t HashContacto(const IdentidadContacto& p);

// Where the insertion key ends inside an ordering key (ClaveOrden), or npos
// when a field holds a NUL and the insertion key must be built apart.
std::size_t FinClaveInsercion(std::string_view claveOrden);

// A card of a direct import: its record, as the agenda file holds it, and
// its keys lie in the buffers of the part of the file it came from.
struct LeidoDirecto {
    std::uint64_t hash = 0;
    std::size_t texto = 0, clave = 0, insercion = 0;  // offsets
    std::uint32_t largoTexto = 0, largoClave = 0, largoInsercion = 0;
    std::uint32_t largoNombre = 0, largoApe1 = 0, largoApe2 = 0;
    double cumple = 0;

    // The record starts "NOM:" name CR LF "AP1:" surname CR LF "AP2:" ...
    IdentidadContacto Identidad(std::string_view textos) const
    {
        const std::size_t nombre = texto + 4, ape1 = nombre + largoNombre + 6, ape2 = ape1 + largoApe1 + 6;
        return {textos.substr(nombre, largoNombre), textos.substr(ape1, largoApe1), textos.substr(ape2, largoApe2), cumple};
    }
};

struct ParteDirecta {
    std::string textos, claves;
    std::vector<LeidoDirecto> leidos;
};

struct LecturaVCardDirecta {
    std::string orden;
    LecturaVCard lectura;  // all but the contacts, which are in the parts
    ParteDirecta partes[2];
};

}  // namespace bindelora
