#pragma once
// What the vCard reader, writer and import share, inside the core only.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/vcard.h"

namespace bindelora {

#if defined(__SSE2__)
// Sixteen bytes from c may be loaded when they stay in c's page, even past
// the end of the text: the bytes after it are masked off. Most fields and
// lines are short, and this takes them in one or two steps.
[[gnu::no_sanitize_address]] inline __m128i Cargar16(const char* c)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(c));
}

inline bool EnLaPagina(const char* c)
{
    return (reinterpret_cast<std::uintptr_t>(c) & 4095) <= 4096 - 16;
}
#endif

// Files are read once, line after line, from a mapping (the vCard reader,
// and the export's small books): asking for what comes a few records later
// hides the wait for memory, which the processor does not foresee across
// the file's pages (3-8 % of an export when it read the map). The address
// may lie past the end of the data: a prefetch never faults.
inline void Anticipar(const char* p)
{
    constexpr std::uintptr_t kAdelanto = 1024;
    __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(p) + kAdelanto));
}

// The first a or b in s from i on, or npos. Values and lines are short: a
// call to memchr for each cost more than the looking.
inline std::size_t BuscarUno(std::string_view s, std::size_t i, char a, char b)
{
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(a), vb = _mm_set1_epi8(b);
    while (i < s.size()) {
        const char* c = s.data() + i;
        const std::size_t resto = s.size() - i;
        if (resto < 16 && !EnLaPagina(c)) break;
        const __m128i v = Cargar16(c);
        unsigned m = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb))));
        if (resto < 16) m &= (1u << resto) - 1;
        if (m != 0) return i + static_cast<std::size_t>(__builtin_ctz(m));
        if (resto <= 16) return std::string_view::npos;
        i += 16;
    }
#endif
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
