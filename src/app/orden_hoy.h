#pragma once
// The order of today's texts for the entry's --hoy, from ICU alone.
#include <cstddef>
#include <vector>

namespace bindelora {

// Positions of the n texts (Windows-1252, with their lengths) in the order
// the window's lists give them.
std::vector<std::size_t> OrdenHoyIcu(std::size_t n, const char* const* textos, const std::size_t* largos);

}  // namespace bindelora
