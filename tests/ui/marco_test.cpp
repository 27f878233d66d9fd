// The frame: view switching, the bubble, dragging, the title pictures and
// the hover label.
#include <QEnterEvent>
#include <QSignalSpy>

#include "entorno.h"
#include "frmabout.h"
#include "tlabel2.h"

using namespace bindelora;

namespace {

class Marco : public EntornoVentanas {
protected:
    TfrmBindelora* ConLibro()
    {
        ListaPibes l;
        l.push_back(Pibe("Ana", "Abad"));
        l.push_back(Pibe("Eva", "Gil"));
        EscribirAgenda(l);
        return Iniciar();
    }
};

}  // namespace

TEST_F(Marco, ViewButtonsRaiseTheirViewAndSetTheEditorButtons)
{
    TfrmBindelora* f = ConLibro();
    QTest::mouseClick(f->btnAvisal, Qt::LeftButton);
    EXPECT_EQ(PanelDelante(), f->PanelAvisal);
    EXPECT_FALSE(f->btnNuevo->isEnabled());
    EXPECT_FALSE(f->btnEliminar->isEnabled());
    EXPECT_TRUE(f->btnAvisalNuevo->isEnabled());

    // The Lista view changes no enabled state: "&Nuevo" stays off.
    QTest::mouseClick(f->btnLista, Qt::LeftButton);
    EXPECT_EQ(PanelDelante(), f->PanelLista);
    EXPECT_FALSE(f->btnNuevo->isEnabled());

    QTest::mouseClick(f->btnDatos, Qt::LeftButton);
    EXPECT_EQ(PanelDelante(), f->PanelDatos);
    EXPECT_TRUE(f->btnNuevo->isEnabled());
    EXPECT_TRUE(f->btnEliminar->isEnabled());
    EXPECT_FALSE(f->btnAvisalNuevo->isEnabled());
    EXPECT_FALSE(f->btnAvisalEliminar->isEnabled());
    EXPECT_FALSE(f->btnAvisalActualizar->isEnabled());
    // Navigation follows the position: the first of two contacts.
    EXPECT_FALSE(f->btnPrev->isEnabled());
    EXPECT_TRUE(f->btnNext->isEnabled());

    QTest::mouseClick(f->btnCumples, Qt::LeftButton);
    EXPECT_EQ(PanelDelante(), f->PanelCumples);
    QTest::mouseClick(f->btnBuscar, Qt::LeftButton);
    EXPECT_EQ(PanelDelante(), f->PanelBuscar);
}

TEST_F(Marco, BubbleStaysUntilTheFirstPressOnNuevo)
{
    TfrmBindelora* f = Iniciar();
    ASSERT_TRUE(f->PanelHagaClicAqui->isVisible());
    QTest::mouseClick(f->btnLista, Qt::LeftButton);
    QTest::mouseClick(f->btnDatos, Qt::LeftButton);
    EXPECT_TRUE(f->PanelHagaClicAqui->isVisible());
    // Any button hides it.
    QTest::mousePress(f->btnNuevo, Qt::RightButton);
    EXPECT_FALSE(f->PanelHagaClicAqui->isVisible());
}

TEST_F(Marco, BubbleOutlineKeepsTheBodyAndTheTail)
{
    TfrmBindelora* f = Iniciar();
    const QRegion mascara = f->PanelHagaClicAqui->mask();
    EXPECT_TRUE(mascara.contains(QPoint(0, 0)));
    EXPECT_TRUE(mascara.contains(QPoint(169, 66)));
    // The tail: columns 25 to 42 over rows 67 to 76, and the one pixel at 43,67.
    EXPECT_TRUE(mascara.contains(QPoint(25, 67)));
    EXPECT_TRUE(mascara.contains(QPoint(42, 76)));
    EXPECT_TRUE(mascara.contains(QPoint(43, 67)));
    EXPECT_FALSE(mascara.contains(QPoint(43, 68)));
    EXPECT_FALSE(mascara.contains(QPoint(24, 70)));
    EXPECT_FALSE(mascara.contains(QPoint(44, 67)));
    EXPECT_FALSE(mascara.contains(QPoint(169, 76)));
}

TEST_F(Marco, DragStartsFromTheFrameAndBackgroundOnly)
{
    TfrmBindelora* f = ConLibro();
    for (QWidget* w : std::initializer_list<QWidget*>{f->img11, f->img12, f->img13, f->img21, f->img31})
        QTest::mousePress(w, Qt::LeftButton, {}, QPoint(2, 2));
    // The window background between the left bar and the views.
    QTest::mousePress(f, Qt::LeftButton, {}, QPoint(110, 200));
    EXPECT_EQ(ventanas.arrastres.size(), 6u);

    ventanas.arrastres.clear();
    for (QWidget* w : std::initializer_list<QWidget*>{f->img23, f->img32, f->img33, f->s1, f->s2, f->s3, f->s4, f->s5})
        QTest::mousePress(w, Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mousePress(f->img12, Qt::RightButton, {}, QPoint(2, 2));
    // A press inside a view is not the background.
    QTest::mousePress(f->PanelLista, Qt::LeftButton, {}, QPoint(2, 327));
    EXPECT_TRUE(ventanas.arrastres.empty());
}

TEST_F(Marco, TitlePicturesShowThePressedStateAndAct)
{
    TfrmBindelora* f = ConLibro();
    auto delante = [f](QWidget* a, QWidget* b) {
        const auto hijos = f->children();
        return hijos.indexOf(a) > hijos.indexOf(b);
    };
    ASSERT_TRUE(delante(f->mini1, f->mini2));
    ASSERT_TRUE(delante(f->cerr1, f->cerr2));
    QTest::mousePress(f->mini1, Qt::LeftButton);
    EXPECT_TRUE(delante(f->mini2, f->mini1));
    QTest::mouseRelease(f->mini1, Qt::LeftButton);
    EXPECT_TRUE(delante(f->mini1, f->mini2));
    EXPECT_TRUE(f->isMinimized() || (f->windowState() & Qt::WindowMinimized));
}

TEST_F(Marco, SkinIsLaidOutAroundTheWindow)
{
    TfrmBindelora* f = ConLibro();
    EXPECT_EQ(f->size(), QSize(669, 400));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Bindelora v2.3"));
    EXPECT_EQ(f->img13->geometry(), QRect(613, 0, 56, 32));
    EXPECT_EQ(f->img12->geometry(), QRect(134, 0, 479, 32));
    EXPECT_EQ(f->img21->geometry(), QRect(0, 55, 103, 339));
    EXPECT_EQ(f->img33->geometry(), QRect(666, 397, 3, 3));
    EXPECT_EQ(f->mini1->pos(), QPoint(621, 6));
    EXPECT_EQ(f->cerr1->pos(), QPoint(644, 6));
    // Shadows hug the views' bottom and right edges and meet at s3.
    EXPECT_EQ(f->s1->pos(), QPoint(120, 375));
    EXPECT_EQ(f->s5->pos(), QPoint(645, 46));
    EXPECT_EQ(f->s3->pos(), QPoint(640, 370));
    EXPECT_EQ(f->s2->x() + f->s2->width(), f->s3->x());
    EXPECT_EQ(f->s4->y() + f->s4->height(), f->s3->y());
}

TEST_F(Marco, AboutIsCentredOnTheMainWindowAndShownModally)
{
    TfrmBindelora* f = ConLibro();
    f->move(101, 57);
    QTest::mouseClick(f->btnAbout, Qt::LeftButton);
    ASSERT_EQ(ventanas.modales.size(), 1u);
    EXPECT_EQ(ventanas.modales[0], frmAbout);
    // Halves rounded towards zero.
    EXPECT_EQ(frmAbout->pos(), QPoint(f->x() + (669 - frmAbout->width()) / 2, f->y() + (400 - frmAbout->height()) / 2));
}

TEST(Label2, ReportsEnterAndLeaveWithItselfAsSender)
{
    TLabel2 a, b;
    QSignalSpy entra(&a, &TLabel2::OnMouseEnter), sale(&a, &TLabel2::OnMouseLeave), entraB(&b, &TLabel2::OnMouseEnter);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&a, &enter);
    QCoreApplication::sendEvent(&a, &leave);
    QCoreApplication::sendEvent(&b, &enter);
    ASSERT_EQ(entra.size(), 1);
    ASSERT_EQ(sale.size(), 1);
    EXPECT_EQ(entra[0][0].value<TLabel2*>(), &a);
    EXPECT_EQ(sale[0][0].value<TLabel2*>(), &a);
    ASSERT_EQ(entraB.size(), 1);
    EXPECT_EQ(entraB[0][0].value<TLabel2*>(), &b);
}
