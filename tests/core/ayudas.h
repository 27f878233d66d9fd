#pragma once
// Small helpers of the core tests.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "core/fecha.h"
#include "core/texto.h"

// The tests are written in UTF-8; the book keeps Windows-1252.
inline std::string C(const char* utf8) { return bindelora::Utf8ACp1252(utf8); }

// A day as the agenda file stores it; the date must exist.
inline double Dia(int ano, int mes, int dia)
{
    double v = 0;
    EXPECT_TRUE(bindelora::CodificarFecha(ano, mes, dia, v)) << ano << '-' << mes << '-' << dia;
    return v;
}

namespace bindelora::prueba {

inline void PonerContenido(const std::string& ruta, const std::string& datos)
{
    std::ofstream(ruta, std::ios::binary | std::ios::trunc) << datos;
}
inline std::string ContenidoDe(const std::string& ruta)
{
    std::ifstream f(ruta, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

}  // namespace bindelora::prueba
