// The sync folder in the settings store from outside the window.
#include "platform/config_registro.h"

#include <gtest/gtest.h>

using namespace bindelora;

namespace {

class ConfigRegistro : public ::testing::Test {
protected:
    void SetUp() override { Registro::setInstancia(&reg); }
    void TearDown() override { Registro::setInstancia(nullptr); }
    RegistroMemoria reg;
};

}  // namespace

TEST_F(ConfigRegistro, TheFolderGoesInBesideTheOthersAndComesBackInUtf8)
{
    std::string error;
    EXPECT_EQ(LeerCarpetaSincronizacion(), "");
    // No key yet: made with the defaults of the other five.
    ASSERT_TRUE(GuardarCarpetaSincronizacion("/home/ana/Sincronización", error)) << error;
    EXPECT_EQ(std::get<std::string>(reg.valores.at("AlEjecutarMostrar")), "LISTA");
    EXPECT_EQ(std::get<std::uint32_t>(reg.valores.at("ReproducirWAVSucesosParaHoy")), 0u);
    EXPECT_EQ(std::get<std::string>(reg.valores.at("CarpetaSincronizacion")), "/home/ana/Sincronizaci\xF3n");
    EXPECT_EQ(LeerCarpetaSincronizacion(), "/home/ana/Sincronización");

    // With the key there, only the folder changes.
    reg.valores["AlEjecutarMostrar"] = std::string("AVISAL");
    ASSERT_TRUE(GuardarCarpetaSincronizacion("", error)) << error;
    EXPECT_EQ(std::get<std::string>(reg.valores.at("AlEjecutarMostrar")), "AVISAL");
    EXPECT_EQ(LeerCarpetaSincronizacion(), "");

    // What the store cannot hold is refused and said; a broken store too.
    EXPECT_FALSE(GuardarCarpetaSincronizacion("/srv/\xE4\xB8\xAD", error));
    EXPECT_NE(error.find("no se pueden guardar"), std::string::npos);
    EXPECT_FALSE(GuardarCarpetaSincronizacion("/a\nb", error));
    reg.valores["CarpetaSincronizacion"] = std::uint32_t{1};  // wrong type: off
    EXPECT_EQ(LeerCarpetaSincronizacion(), "");
    reg.fallar = true;
    EXPECT_FALSE(GuardarCarpetaSincronizacion("/srv", error));
    EXPECT_NE(error.find("Error simulado"), std::string::npos);
}
