// The JPEG decoder: any bytes give either a whole picture of sane size or a
// refusal with an empty picture, never a crash or a libjpeg exit.
#include "comun.h"
#include "core/jpeg.h"

using namespace bindelora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n)
{
    ImagenRGB imagen;
    std::string error;
    if (DecodificarJpeg(datos, n, imagen, &error)) {
        EXIGIR(imagen.ancho > 0 && imagen.alto > 0);
        EXIGIR(static_cast<long>(imagen.ancho) * imagen.alto <= kMaxPixelesJpeg);
        EXIGIR(imagen.pixeles.size() == static_cast<std::size_t>(imagen.ancho) * imagen.alto * 3);
    } else {
        EXIGIR(imagen.pixeles.empty());
        EXIGIR(!error.empty());
    }
    return 0;
}
