// The JPEG decoder on the program's own strip and on damaged bytes.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "core/jpeg.h"

using namespace bindelora;

namespace {

std::string Tira()
{
    const std::string ruta = std::string(BINDELORA_FUENTES) + "/src/ui/resources/ventanas/borde.jpg";
    std::ifstream f(ruta, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

bool Decodificar(const std::string& b, ImagenRGB& img, std::string* error = nullptr)
{
    return DecodificarJpeg(reinterpret_cast<const unsigned char*>(b.data()), b.size(), img, error);
}

// Offset of the frame header's height field (SOF0..SOF2), or npos.
std::size_t CampoAlto(const std::string& b)
{
    for (std::size_t i = 2; i + 8 < b.size(); ++i)
        if (static_cast<unsigned char>(b[i]) == 0xFF && (b[i + 1] == '\xC0' || b[i + 1] == '\xC1' || b[i + 1] == '\xC2'))
            return i + 5;
    return std::string::npos;
}

}  // namespace

TEST(Jpeg, LaTiraDelProgramaSeDecodifica)
{
    const std::string b = Tira();
    ASSERT_GT(b.size(), 100u);
    ImagenRGB img;
    ASSERT_TRUE(Decodificar(b, img));
    EXPECT_EQ(img.ancho, 70);
    EXPECT_EQ(img.alto, 277);
    ASSERT_EQ(img.pixeles.size(), 70u * 277 * 3);
    // Lighter blue at the top than at the bottom, blue above red.
    const unsigned char* arriba = &img.pixeles[(5 * 70 + 5) * 3];
    const unsigned char* abajo = &img.pixeles[(270 * 70 + 5) * 3];
    EXPECT_GT(arriba[2], arriba[0]);
    EXPECT_GT(arriba[2], abajo[2]);
}

TEST(Jpeg, BytesDanadosDanFalsoSinImagen)
{
    const std::string bueno = Tira();
    ImagenRGB img;
    std::string error;
    EXPECT_FALSE(Decodificar("", img));
    EXPECT_FALSE(DecodificarJpeg(nullptr, 10, img));
    EXPECT_FALSE(Decodificar("no es un jpeg en absoluto", img, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(img.pixeles.empty());
    EXPECT_EQ(img.ancho, 0);

    // Cut in half: libjpeg only warns and pads with grey; still refused.
    EXPECT_FALSE(Decodificar(bueno.substr(0, bueno.size() / 2), img));
    EXPECT_TRUE(img.pixeles.empty());

    // Scrambled entropy-coded data after the headers.
    std::string revuelto = bueno;
    for (std::size_t i = revuelto.size() / 2; i < revuelto.size() - 2; i += 3) revuelto[i] = '\xFF';
    EXPECT_FALSE(Decodificar(revuelto, img));

    // A frame header that claims 65535 x 65535: refused before allocating.
    std::string enorme = bueno;
    const std::size_t alto = CampoAlto(enorme);
    ASSERT_NE(alto, std::string::npos);
    enorme[alto] = enorme[alto + 1] = enorme[alto + 2] = enorme[alto + 3] = '\xFF';
    EXPECT_FALSE(Decodificar(enorme, img));
    EXPECT_TRUE(img.pixeles.empty());

    // The same claimed by a progressive frame, for which libjpeg sets up
    // whole-picture buffers when decoding starts: refused before that (it
    // asked for gigabytes), and so is 20,000 x 20,000.
    enorme[alto - 4] = '\xC2';
    EXPECT_FALSE(Decodificar(enorme, img));
    enorme[alto] = enorme[alto + 2] = '\x4E';
    enorme[alto + 1] = enorme[alto + 3] = '\x20';
    EXPECT_FALSE(Decodificar(enorme, img));
    EXPECT_TRUE(img.pixeles.empty());
}

TEST(Jpeg, CualquierCorteOMutacionTerminaSinFallo)
{
    // No length or single-byte change may crash, hang or print.
    const std::string bueno = Tira();
    ImagenRGB img;
    for (std::size_t n = 0; n < bueno.size(); n += 13) {
        EXPECT_FALSE(Decodificar(bueno.substr(0, n), img)) << n;
        EXPECT_TRUE(img.pixeles.empty());
    }
    std::mt19937 g(7);
    for (int i = 0; i < 300; ++i) {
        std::string m = bueno;
        m[g() % m.size()] = static_cast<char>(g());
        if (Decodificar(m, img)) EXPECT_EQ(img.pixeles.size(), static_cast<std::size_t>(img.ancho) * img.alto * 3);
        else EXPECT_TRUE(img.pixeles.empty());
    }
}
