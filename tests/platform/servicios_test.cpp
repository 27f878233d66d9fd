#include "platform/reloj.h"
#include "platform/ruta_ejecutable.h"

#include <QCoreApplication>
#include <QDate>

#include <gtest/gtest.h>

using namespace bindelora;

TEST(Servicios, RelojYRutaSustituibles)
{
    const QDate antes = QDate::currentDate();
    const Fecha hoy = Reloj::instancia().Hoy();
    const QDate leida(hoy.ano, hoy.mes, hoy.dia);
    EXPECT_TRUE(leida == antes || leida == QDate::currentDate());  // midnight may pass
    RelojFijo fijo(Fecha{2004, 2, 29});
    Reloj::setInstancia(&fijo);
    EXPECT_EQ(Reloj::instancia().Hoy(), (Fecha{2004, 2, 29}));
    Reloj::setInstancia(nullptr);
    EXPECT_NE(dynamic_cast<RelojSistema*>(&Reloj::instancia()), nullptr);

    const std::string real = RutaEjecutable::instancia().Ruta();
    EXPECT_EQ(real, QCoreApplication::applicationFilePath().toStdString());
    RutaEjecutableFija fija("/opt/bindelora/bindelora");
    RutaEjecutable::setInstancia(&fija);
    EXPECT_EQ(RutaEjecutable::instancia().Ruta(), "/opt/bindelora/bindelora");
    RutaEjecutable::setInstancia(nullptr);
    EXPECT_EQ(RutaEjecutable::instancia().Ruta(), real);
}
