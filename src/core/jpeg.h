#pragma once
// Decoding of a JPEG picture held in memory, through libjpeg.
#include <cstddef>
#include <string>
#include <vector>

namespace bindelora {

struct ImagenRGB {
    int ancho = 0;
    int alto = 0;
    std::vector<unsigned char> pixeles;  // rows top to bottom, 3 bytes a pixel (R, G, B)
};

// Pictures larger than this are refused, so damaged dimensions cannot ask
// for gigabytes.
inline constexpr long kMaxPixelesJpeg = 16L * 1024 * 1024;

// Decodes datos into imagen. Damaged or truncated bytes (libjpeg errors and
// its corrupt-data warnings alike) give false, an empty imagen and a reason
// in error; nothing is thrown and nothing is printed.
bool DecodificarJpeg(const unsigned char* datos, std::size_t tamano, ImagenRGB& imagen,
                     std::string* error = nullptr);

}  // namespace bindelora
