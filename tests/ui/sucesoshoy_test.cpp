// Today's events window: the three rules, the entries listed, the column,
// the centring, the sound, the shape and the keys.
#include <QKeyEvent>
#include <QMouseEvent>

#include "entorno.h"
#include "frmsucesoshoy.h"
#include "platform/sonido.h"
#include "tlistview.h"

using namespace bindelora;

namespace {

class SucesosHoy : public EntornoVentanas {
protected:
    void SetUp() override
    {
        EntornoVentanas::SetUp();
        Sonido::setInstancia(&sonido);
    }
    void TearDown() override
    {
        EntornoVentanas::TearDown();
        Sonido::setInstancia(nullptr);
    }

    // Starts with the rule and the events file given; today is 7 December 2026.
    TfrmBindelora* IniciarCon(const std::string& regla, const std::string& avs)
    {
        Escribir(Avs(), avs);
        EscribirAgenda(UnContacto());
        TfrmBindelora* f = Iniciar();
        f->Config.MostrarSucesosParaHoy = regla;
        return f;
    }

    static ListaPibes UnContacto()
    {
        ListaPibes l;
        l.push_back(Pibe("Ana", "Ruiz"));
        return l;
    }

    int Mostradas() const
    {
        return static_cast<int>(std::count(ventanas.modales.begin(), ventanas.modales.end(), frmSucesosHoy));
    }

    std::vector<std::string> Filas() const
    {
        std::vector<std::string> r;
        for (int i = 0; i < frmSucesosHoy->ListView->NumFilas(); ++i) r.push_back(frmSucesosHoy->ListView->Texto(i, 0));
        return r;
    }

    SonidoFalso sonido;
};

const char* const kHoyYOtros =
    "07122026Zapatero\r\n"
    "07129999Cumplea\xF1os de Ana Ruiz\r\n"
    "07002027Mensual del 7\r\n"
    "07112027Otro mes\r\n"
    "08122026Ma\xF1" "ana\r\n"
    "07122031Ano lejano\r\n";

}  // namespace

TEST_F(SucesosHoy, ReglasSobreDosActivaciones)
{
    TfrmBindelora* f = IniciarCon("SIEMPRE", kHoyYOtros);
    f->MostrarSucesosHoy();
    f->MostrarSucesosHoy();
    EXPECT_EQ(Mostradas(), 2);

    ventanas.modales.clear();
    f->SucesosHoyMostrados = false;
    f->Config.MostrarSucesosParaHoy = "SOLO_UNA";
    f->MostrarSucesosHoy();
    f->MostrarSucesosHoy();
    EXPECT_EQ(Mostradas(), 1);

    ventanas.modales.clear();
    f->SucesosHoyMostrados = false;
    f->Config.MostrarSucesosParaHoy = "NUNCA";
    f->Config.ReproducirWAVSucesosParaHoy = true;
    f->Config.WAVSucesosParaHoy = "/x/aviso.wav";
    f->MostrarSucesosHoy();
    f->MostrarSucesosHoy();
    EXPECT_EQ(Mostradas(), 0);
    EXPECT_TRUE(sonido.sonidos.empty());
    EXPECT_FALSE(f->SucesosHoyMostrados);  // "NUNCA" does not use up the once

    // Any other value, lower case too, acts like "SIEMPRE".
    f->Config.MostrarSucesosParaHoy = "solo_una";
    f->MostrarSucesosHoy();
    f->MostrarSucesosHoy();
    EXPECT_EQ(Mostradas(), 2);
}

TEST_F(SucesosHoy, LaPrimeraComprobacionGastaLaUnicaVezAunqueNoHayaNada)
{
    TfrmBindelora* f = IniciarCon("SOLO_UNA", "08122026Ma\xF1" "ana\r\n");
    f->Config.ReproducirWAVSucesosParaHoy = true;
    f->Config.WAVSucesosParaHoy = "/x/aviso.wav";
    f->MostrarSucesosHoy();
    EXPECT_TRUE(f->SucesosHoyMostrados);
    EXPECT_EQ(Mostradas(), 0);
    EXPECT_TRUE(sonido.sonidos.empty());  // nothing for today: no sound either
    TAvisal hoy{7, 12, 2026, "Nuevo de hoy"};
    f->InsertarFilasAvisal(&hoy, false);
    f->MostrarSucesosHoy();
    EXPECT_EQ(Mostradas(), 0);
    f->ListViewAvisal->Vaciar();
}

TEST_F(SucesosHoy, ListaLosDeHoyDeCualquierAnoYLosMensualesEnOrden)
{
    TfrmBindelora* f = IniciarCon("SIEMPRE", kHoyYOtros);
    f->Config.ReproducirWAVSucesosParaHoy = true;
    f->Config.WAVSucesosParaHoy = "/m\xFAsica/aviso.wav";
    f->MostrarSucesosHoy();
    EXPECT_EQ(Filas(), (std::vector<std::string>{"Ano lejano", "Cumplea\xF1os de Ana Ruiz", "Mensual del 7", "Zapatero"}));
    ASSERT_EQ(sonido.sonidos.size(), 1u);
    EXPECT_EQ(sonido.sonidos[0], QStringLiteral("/música/aviso.wav"));

    // Sound off: the window still shows, silently; the rows are replaced.
    f->Config.ReproducirWAVSucesosParaHoy = false;
    f->MostrarSucesosHoy();
    EXPECT_EQ(sonido.sonidos.size(), 1u);
    EXPECT_EQ(Filas().size(), 4u);
}

TEST_F(SucesosHoy, LaColumnaSeEstrechaConOchoFilasYLaVentanaSeCentra)
{
    std::string siete, ocho;
    for (int i = 0; i < 7; ++i) siete += "07122026Suceso " + std::to_string(i) + "\r\n";
    ocho = siete + "07122026Suceso 7\r\n";
    TfrmBindelora* f = IniciarCon("SIEMPRE", siete);
    f->move(40, 30);
    f->MostrarSucesosHoy();
    EXPECT_EQ(frmSucesosHoy->ListView->AnchoColumna(0), 278);
    EXPECT_EQ(frmSucesosHoy->pos(), QPoint(40 + (669 - 305) / 2, 30 + (400 - 166) / 2));
    Cerrar();

    f = IniciarCon("SIEMPRE", ocho);
    f->move(-51, 7);
    f->MostrarSucesosHoy();
    EXPECT_EQ(frmSucesosHoy->ListView->NumFilas(), 8);
    EXPECT_EQ(frmSucesosHoy->ListView->AnchoColumna(0), 262);
    EXPECT_EQ(frmSucesosHoy->pos(), QPoint(-51 + 182, 7 + 117));
}

TEST_F(SucesosHoy, FormaDibujosYControles)
{
    Iniciar();
    TfrmSucesosHoy* v = frmSucesosHoy;
    EXPECT_EQ(v->size(), QSize(305, 166));
    const QRegion r = v->mask();
    // The title tab's rounded corners and its right edge.
    EXPECT_FALSE(r.contains(QPoint(0, 0)));
    EXPECT_TRUE(r.contains(QPoint(5, 0)));
    EXPECT_TRUE(r.contains(QPoint(164, 0)));
    EXPECT_FALSE(r.contains(QPoint(165, 0)));
    EXPECT_FALSE(r.contains(QPoint(0, 4)));
    EXPECT_TRUE(r.contains(QPoint(169, 27)));
    EXPECT_FALSE(r.contains(QPoint(170, 27)));
    EXPECT_TRUE(r.contains(QPoint(171, 29)));
    EXPECT_FALSE(r.contains(QPoint(172, 29)));
    // The close mark's island.
    EXPECT_FALSE(r.contains(QPoint(285, 13)));
    EXPECT_TRUE(r.contains(QPoint(286, 13)));
    EXPECT_FALSE(r.contains(QPoint(300, 13)));
    EXPECT_TRUE(r.contains(QPoint(304, 18)));
    EXPECT_TRUE(r.contains(QPoint(279, 29)));
    // The body and its rounded lower corners.
    EXPECT_TRUE(r.contains(QPoint(0, 30)));
    EXPECT_TRUE(r.contains(QPoint(304, 30)));
    EXPECT_FALSE(r.contains(QPoint(0, 165)));
    EXPECT_TRUE(r.contains(QPoint(5, 165)));
    EXPECT_FALSE(r.contains(QPoint(301, 165)));
    EXPECT_TRUE(r.contains(QPoint(300, 165)));
    EXPECT_FALSE(r.contains(QPoint(304, 163)));

    // The pictures are stacked down the window.
    EXPECT_EQ(v->img1->geometry(), QRect(0, 0, 172, 30));
    EXPECT_EQ(v->img2->geometry(), QRect(0, 30, 305, 24));
    EXPECT_EQ(v->img4->geometry(), QRect(0, 146, 305, 20));
    EXPECT_EQ(v->img3->geometry(), QRect(0, 54, 305, 92));
    EXPECT_FALSE(v->img1->pixmap().isNull());
    EXPECT_FALSE(v->Image1->pixmap().isNull());
    EXPECT_EQ(v->ListView->geometry(), QRect(11, 41, 282, 113));
    EXPECT_EQ(v->ListView->palette().color(QPalette::Base), QColor(238, 238, 255));
    EXPECT_EQ(v->btnSalir->x(), -100);
    EXPECT_EQ(v->btnSalir->text(), "salir");
    EXPECT_FALSE(v->btnSalir->autoDefault());
    EXPECT_FALSE(v->btnSalir->isDefault());
    EXPECT_EQ(v->windowTitle(), "Sucesos para hoy:");
}

TEST_F(SucesosHoy, EscapeYLaCruzCierranEnterNoYLasPulsacionesArrastran)
{
    Iniciar();
    TfrmSucesosHoy* v = frmSucesosHoy;
    auto tecla = [v](Qt::Key k) {
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(v->focusWidget() ? v->focusWidget() : v, &e);
    };
    v->show();
    v->ListView->setFocus();
    tecla(Qt::Key_Return);
    EXPECT_TRUE(v->isVisible());
    v->btnSalir->setFocus();
    tecla(Qt::Key_Return);
    EXPECT_TRUE(v->isVisible());
    tecla(Qt::Key_Escape);
    EXPECT_FALSE(v->isVisible());

    v->show();
    QTest::mouseClick(v->Image1, Qt::LeftButton);
    EXPECT_FALSE(v->isVisible());

    v->show();
    QTest::mousePress(v->img2, Qt::RightButton);
    QTest::mousePress(v->ListView->viewport(), Qt::LeftButton);
    QTest::mousePress(v->img1, Qt::LeftButton);
    EXPECT_EQ(std::count(ventanas.arrastres.begin(), ventanas.arrastres.end(), v), 3);
    v->hide();
}
