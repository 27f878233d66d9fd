#include "core/jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <limits>

#include <jpeglib.h>

namespace bindelora {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not
// return: it jumps back to DecodificarJpeg.
struct ErrorJpeg {
    jpeg_error_mgr base;
    std::jmp_buf salto;
    int avisos = 0;
    char mensaje[JMSG_LENGTH_MAX] = {};
};

void SalirConError(j_common_ptr info)
{
    auto* e = reinterpret_cast<ErrorJpeg*>(info->err);
    (*info->err->format_message)(info, e->mensaje);
    std::longjmp(e->salto, 1);
}

void GuardarMensaje(j_common_ptr info, int nivel)
{
    // Level -1 is a warning about corrupt data; the rest is trace output.
    // Such a picture is refused anyway, so decoding stops at once rather
    // than filling the rest of a large frame with grey.
    if (nivel >= 0) return;
    auto* e = reinterpret_cast<ErrorJpeg*>(info->err);
    ++e->avisos;
    SalirConError(info);
}

void Callar(j_common_ptr) {}

}  // namespace

bool DecodificarJpeg(const unsigned char* datos, std::size_t tamano, ImagenRGB& imagen, std::string* error)
{
    imagen = ImagenRGB{};
    auto fallar = [&](const char* motivo) {
        imagen = ImagenRGB{};
        if (error) *error = motivo;
        return false;
    };
    if (!datos || tamano < 4 || tamano > std::numeric_limits<unsigned long>::max())
        return fallar("No es una imagen JPEG");

    jpeg_decompress_struct info{};
    ErrorJpeg err;
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = SalirConError;
    err.base.emit_message = GuardarMensaje;
    err.base.output_message = Callar;

    // Nothing with a destructor lives between here and the jumps back: the
    // picture's buffer belongs to the caller's imagen.
    if (setjmp(err.salto)) {
        jpeg_destroy_decompress(&info);
        imagen = ImagenRGB{};
        if (error) *error = err.mensaje;
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, datos, static_cast<unsigned long>(tamano));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return fallar("Cabecera JPEG incompleta");
    }
    // Checked on the header too: starting to decode sets up buffers for the
    // whole frame, which damaged dimensions could make huge.
    if (static_cast<long>(info.image_width) * static_cast<long>(info.image_height) > kMaxPixelesJpeg) {
        jpeg_destroy_decompress(&info);
        return fallar("Dimensiones JPEG no admitidas");
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const long pixeles = static_cast<long>(info.output_width) * static_cast<long>(info.output_height);
    if (info.output_components != 3 || info.output_width == 0 || pixeles > kMaxPixelesJpeg) {
        jpeg_destroy_decompress(&info);
        return fallar("Dimensiones JPEG no admitidas");
    }
    imagen.ancho = static_cast<int>(info.output_width);
    imagen.alto = static_cast<int>(info.output_height);
    imagen.pixeles.resize(static_cast<std::size_t>(pixeles) * 3);
    const std::size_t paso = static_cast<std::size_t>(imagen.ancho) * 3;
    while (info.output_scanline < info.output_height) {
        JSAMPROW fila = imagen.pixeles.data() + paso * info.output_scanline;
        jpeg_read_scanlines(&info, &fila, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    // A truncated or damaged stream decodes with grey or garbled parts and
    // only a warning: it is not the picture either.
    if (err.avisos > 0) {
        imagen = ImagenRGB{};
        if (error) *error = err.mensaje;
        return false;
    }
    return true;
}

}  // namespace bindelora
