// The about window: its rows and colours, its shape, opening and closing.
#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpression>

#include "entorno.h"
#include "frmabout.h"
#include "qtexto.h"
#include "tlistview.h"

using namespace bindelora;

namespace {

class About : public EntornoVentanas {
protected:
    QColor Color(int fila) const { return TfrmAbout::ColorDeFila(frmAbout->ListView->Texto(fila, 0)); }
    std::string Texto(int fila) const { return frmAbout->ListView->Texto(fila, 1); }
};

const QColor kNegro(0, 0, 0), kVerde(17, 119, 17), kAzulOscuro(17, 17, 102), kAzul(17, 17, 255);

}  // namespace

TEST_F(About, CientoOnceFilasConSusColores)
{
    Iniciar();
    TListView* l = frmAbout->ListView;
    ASSERT_EQ(l->NumFilas(), 111);
    EXPECT_EQ(Texto(0), "");
    EXPECT_EQ(Texto(1), std::string(84, '-'));
    EXPECT_EQ(Color(1), kAzul);
    EXPECT_EQ(Texto(3).rfind("Bindelora v2.3  por ", 0), 0u);
    EXPECT_NE(Texto(3).find("Quenturo"), std::string::npos);
    EXPECT_EQ(Color(3), kVerde);
    EXPECT_TRUE(QRegularExpression("^Fecha de compilación: \\d{1,2}-[A-Z][a-z]+-\\d{4}$")
                    .match(aQ(Texto(5)))
                    .hasMatch())
        << Texto(5);
    EXPECT_EQ(Color(5), kVerde);
    EXPECT_EQ(Texto(13), "   - Nombre y apellidos");
    EXPECT_EQ(Color(13), kAzulOscuro);
    EXPECT_EQ(Color(17), kAzulOscuro);
    EXPECT_EQ(Texto(19), "Se puede \"catalogar\" a las personas por  Grupos,  de");
    EXPECT_EQ(Color(19), kNegro);

    // Every caption is a NUL and a decimal colour; separators are blue and
    // followed by an empty row; only the four colours appear.
    int separadores = 0;
    for (int i = 0; i < l->NumFilas(); ++i) {
        const std::string& cap = l->Texto(i, 0);
        ASSERT_FALSE(cap.empty());
        EXPECT_EQ(cap[0], '\0');
        const QColor c = Color(i);
        EXPECT_TRUE(c == kNegro || c == kVerde || c == kAzulOscuro || c == kAzul) << i;
        if (Texto(i) == std::string(84, '-')) {
            ++separadores;
            EXPECT_EQ(c, kAzul);
            EXPECT_EQ(Texto(i + 1), "");
        }
        if (Texto(i).empty()) {
            EXPECT_EQ(c, kNegro) << i;
        }
    }
    EXPECT_EQ(separadores, 6);
    // The web address in dark blue, the closing notice after 53 blanks.
    EXPECT_EQ(Color(106), kAzulOscuro);
    EXPECT_EQ(Texto(107), "");
    EXPECT_EQ(Texto(110).substr(0, 54), std::string(53, ' ') + Texto(110)[53]);
    EXPECT_NE(Texto(110)[53], ' ');
    EXPECT_EQ(Color(110), kVerde);
    EXPECT_EQ(l->AnchoColumna(0), 0);
    EXPECT_EQ(l->AnchoColumna(1), 262);
}

TEST_F(About, ColorDeLaFilaYFechaDeCompilacion)
{
    using std::string_literals::operator""s;
    EXPECT_EQ(TfrmAbout::ColorDeFila("\0"s "1144593"), kVerde);
    EXPECT_EQ(TfrmAbout::ColorDeFila("\0"s "16716049"), kAzul);
    EXPECT_EQ(TfrmAbout::ColorDeFila("\0"s "255"), QColor(255, 0, 0));  // red in the low byte
    EXPECT_EQ(TfrmAbout::ColorDeFila(""), kNegro);
    EXPECT_EQ(TfrmAbout::ColorDeFila("\0"s "99999999999999999999999"), kNegro);
    EXPECT_EQ(FechaCompilacion("Dec  8 2026"), "8-Diciembre-2026");
    EXPECT_EQ(FechaCompilacion("Jan 31 1999"), "31-Enero-1999");
    EXPECT_EQ(FechaCompilacion("???"), "???");
}

TEST_F(About, FormaYDibujos)
{
    Iniciar();
    TfrmAbout* v = frmAbout;
    EXPECT_EQ(v->size(), QSize(305, 232));
    const QRegion r = v->mask();
    EXPECT_FALSE(r.contains(QPoint(4, 0)));
    EXPECT_TRUE(r.contains(QPoint(5, 0)));
    EXPECT_TRUE(r.contains(QPoint(70, 0)));
    EXPECT_FALSE(r.contains(QPoint(71, 0)));
    EXPECT_FALSE(r.contains(QPoint(0, 3)));
    EXPECT_TRUE(r.contains(QPoint(0, 5)));
    EXPECT_TRUE(r.contains(QPoint(75, 12)));
    EXPECT_FALSE(r.contains(QPoint(76, 12)));
    EXPECT_TRUE(r.contains(QPoint(77, 29)));
    EXPECT_FALSE(r.contains(QPoint(78, 29)));
    EXPECT_TRUE(r.contains(QPoint(279, 29)));
    // The close picture's island.
    EXPECT_FALSE(r.contains(QPoint(285, 13)));
    EXPECT_TRUE(r.contains(QPoint(286, 13)));
    EXPECT_TRUE(r.contains(QPoint(299, 13)));
    EXPECT_FALSE(r.contains(QPoint(304, 17)));
    EXPECT_TRUE(r.contains(QPoint(304, 18)));
    // Lower corners of the body.
    EXPECT_FALSE(r.contains(QPoint(0, 208)));
    EXPECT_FALSE(r.contains(QPoint(3, 211)));
    EXPECT_TRUE(r.contains(QPoint(4, 211)));
    EXPECT_FALSE(r.contains(QPoint(301, 211)));
    EXPECT_TRUE(r.contains(QPoint(0, 212)));
    EXPECT_TRUE(r.contains(QPoint(304, 231)));

    EXPECT_EQ(v->img1->geometry(), QRect(0, 0, 78, 30));
    EXPECT_EQ(v->img2->geometry(), QRect(0, 30, 305, 24));
    EXPECT_EQ(v->img4->geometry(), QRect(0, 209, 305, 23));
    EXPECT_EQ(v->img3->geometry(), QRect(0, 54, 305, 155));
    EXPECT_EQ(v->ListView->geometry(), QRect(11, 41, 282, 179));
    EXPECT_EQ(v->btnSalir->x(), -100);
    EXPECT_FALSE(v->btnSalir->autoDefault());
}

TEST_F(About, SeAbreCentradaYSeCierraConEscapeOLaCruz)
{
    TfrmBindelora* f = Iniciar();
    f->move(100, 50);
    f->btnAbout->click();
    ASSERT_EQ(ventanas.modales.size(), 1u);
    EXPECT_EQ(ventanas.modales[0], frmAbout);
    EXPECT_EQ(frmAbout->pos(), QPoint(100 + (669 - 305) / 2, 50 + (400 - 232) / 2));

    TfrmAbout* v = frmAbout;
    v->show();
    v->ListView->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(v->ListView, &enter);
    EXPECT_TRUE(v->isVisible());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(v->ListView, &escape);
    EXPECT_FALSE(v->isVisible());
    v->show();
    QTest::mouseClick(v->Image1, Qt::LeftButton);
    EXPECT_FALSE(v->isVisible());

    // Any button on the pictures or the list moves the window.
    v->show();
    QTest::mousePress(v->img3, Qt::MiddleButton);
    QTest::mousePress(v->ListView->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(std::count(ventanas.arrastres.begin(), ventanas.arrastres.end(), v), 2);
    v->hide();
}

TEST_F(About, CadaFilaSeDibujaEnSuColorDesdeCuatroPixeles)
{
    Iniciar();
    auto pintar = [](int fila) {
        QImage img(262, 14, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        frmAbout->ListViewDrawItem(&p, img.rect(), fila, 1);
        return img;
    };
    // The title (dark green) and a separator (blue): the background first,
    // the ink only from 4 pixels in, and the ink of the row's colour.
    for (auto [fila, tinta] : {std::pair{3, kVerde}, std::pair{1, kAzul}}) {
        const QImage img = pintar(fila);
        QColor masOscuro = Qt::white;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                if (x < 4) {
                    EXPECT_EQ(c, QColor(238, 238, 255));
                }
                if (c.lightness() < masOscuro.lightness()) masOscuro = c;
            }
        EXPECT_LT(std::abs(masOscuro.hue() - tinta.hue()), 12) << fila;
    }
    // A selected row is drawn the same as before.
    const QImage antes = pintar(3);
    frmAbout->ListView->SeleccionarFila(3);
    EXPECT_EQ(pintar(3), antes);
}
