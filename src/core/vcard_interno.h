#pragma once
// What the vCard reader and writer share, inside the core only.
#include <string_view>

namespace bindelora {

// Surname particles ("de", "la", "van" ...) that belong to the surname that
// follows them, in any case.
bool EsParticula(std::string_view w);

}  // namespace bindelora
