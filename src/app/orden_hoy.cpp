// The window sorts texts with Qt's collator, which is ICU's Spanish one
// with the settings below. --hoy needs only that, and ICU loads in half the
// time Qt Core and libical do, so this module links ICU and nothing else
// that is not already in the process. A test holds the two orders equal.
#include "orden_hoy.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include <unicode/ucol.h>

#include "core/texto.h"

namespace bindelora {

namespace {

struct CerrarColador {
    void operator()(UCollator* c) const { ucol_close(c); }
};

// As platform/comparador.cpp sets up its QCollator: Spanish of Spain, case
// told apart (ICU's default strength), no numeric ordering, punctuation not
// ignored; Qt also turns normalisation on.
std::unique_ptr<UCollator, CerrarColador> ColadorEspanol()
{
    UErrorCode e = U_ZERO_ERROR;
    std::unique_ptr<UCollator, CerrarColador> c(ucol_open("es_ES", &e));
    if (U_FAILURE(e)) return nullptr;
    const std::pair<UColAttribute, UColAttributeValue> ajustes[] = {
        {UCOL_NORMALIZATION_MODE, UCOL_ON},
        {UCOL_STRENGTH, UCOL_DEFAULT_STRENGTH},
        {UCOL_NUMERIC_COLLATION, UCOL_OFF},
        {UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE},
    };
    for (const auto& [atributo, valor] : ajustes) {
        e = U_ZERO_ERROR;
        ucol_setAttribute(c.get(), atributo, valor, &e);
    }
    return c;
}

}  // namespace

std::vector<std::size_t> OrdenHoyIcu(std::size_t n, const char* const* textos, const std::size_t* largos)
{
    std::vector<std::size_t> orden(n);
    for (std::size_t i = 0; i < n; ++i) orden[i] = i;
    if (n < 2) return orden;
    const auto colador = ColadorEspanol();
    // One sort key per text: comparing keys gives what comparing the texts
    // with the collator gives. Without a collator (no ICU data), Qt compares
    // the UTF-16 units, which for these texts is their code points' order.
    std::vector<std::string> claves(n);
    std::u16string u;
    for (std::size_t i = 0; i < n; ++i) {
        u.resize(largos[i]);
        for (std::size_t k = 0; k < largos[i]; ++k)
            u[k] = static_cast<char16_t>(Cp1252ACodigo(static_cast<unsigned char>(textos[i][k])));
        std::string& clave = claves[i];
        if (!colador) {
            for (char16_t c : u) {
                clave += static_cast<char>(c >> 8);
                clave += static_cast<char>(c & 0xFF);
            }
            continue;
        }
        const auto medir = [&](std::string& k) {
            return ucol_getSortKey(colador.get(), u.data(), static_cast<std::int32_t>(u.size()),
                                   reinterpret_cast<std::uint8_t*>(k.data()), static_cast<std::int32_t>(k.size()));
        };
        clave.resize(16 + 2 * u.size());
        std::int32_t largo = medir(clave);
        if (largo > static_cast<std::int32_t>(clave.size())) {
            clave.resize(static_cast<std::size_t>(largo));
            largo = medir(clave);
        }
        // The key ends in a zero byte, which no other byte of it is.
        clave.resize(largo > 0 ? static_cast<std::size_t>(largo - 1) : 0);
    }
    // An empty text goes before any other, as Qt's comparison has it, even
    // before one whose characters the collator ignores.
    std::stable_sort(orden.begin(), orden.end(), [&](std::size_t a, std::size_t b) {
        if (largos[a] == 0 || largos[b] == 0) return largos[a] == 0 && largos[b] != 0;
        return claves[a] < claves[b];
    });
    return orden;
}

}  // namespace bindelora

// The entry's --hoy calls this while it prints today's texts. Only plain
// types cross: the entry carries a C++ runtime of its own.
extern "C" __attribute__((visibility("default"))) void bindelora_ordenar_hoy(std::size_t n, const char* const* textos,
                                                                              const std::size_t* largos,
                                                                              std::size_t* orden)
{
    const std::vector<std::size_t> o = bindelora::OrdenHoyIcu(n, textos, largos);
    std::copy(o.begin(), o.end(), orden);
}
