#pragma once
// What the vCard reader, writer and import share, inside the core only.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/vcard.h"

namespace bindelora {

// The first a or b in s from i on, or npos. Values and lines are short: a
// call to memchr for each cost more than the looking.
inline std::size_t BuscarUno(std::string_view s, std::size_t i, char a, char b)
{
    for (; i < s.size(); ++i)
        if (s[i] == a || s[i] == b) return i;
    return std::string_view::npos;
}

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

}  // namespace bindelora
