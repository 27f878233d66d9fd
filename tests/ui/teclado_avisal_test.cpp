// A day of the Avisal view with the keyboard alone: Ctrl+4, Tab to the
// calendar, the arrows to a day, Enter, then the entry edited and stored.
#include "celdasdia.h"
#include "entorno.h"
#include "qtexto.h"

using namespace bindelora;

namespace {

class TecladoAvisal : public EntornoVentanas {
protected:
    static void Teclas(Qt::Key tecla, int veces = 1, Qt::KeyboardModifiers mod = Qt::NoModifier)
    {
        for (int i = 0; i < veces; ++i) QTest::keyClick(QApplication::focusWidget(), tecla, mod);
    }
};

}  // namespace

TEST_F(TecladoAvisal, UnDiaEnteroSinRaton)
{
    EscribirAgenda({});
    Escribir(Avs(), "10122026Cena\r\n20122026Viaje\r\n");
    TfrmBindelora* f = Iniciar();
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    f->edtNombre->setFocus();

    QTest::keyClick(f->edtNombre, Qt::Key_4, Qt::ControlModifier);
    QTest::qWait(200);
    ASSERT_EQ(PanelDelante(), f->PanelAvisal);

    // Tab from the view button reaches the calendar's day first: today.
    f->btnAvisal->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 10 && !qobject_cast<TEtiquetaDia*>(QApplication::focusWidget()); ++i) Teclas(Qt::Key_Tab);
    auto* dia = qobject_cast<TEtiquetaDia*>(QApplication::focusWidget());
    ASSERT_NE(dia, nullptr);
    EXPECT_EQ(dia->text(), QStringLiteral("7"));

    // The arrows, from the 7th: two weeks down and one right is the 22nd.
    Teclas(Qt::Key_Down, 2);
    Teclas(Qt::Key_Right);
    EXPECT_EQ(static_cast<TEtiquetaDia*>(QApplication::focusWidget())->text(), QStringLiteral("22"));
    Teclas(Qt::Key_Left, 2);
    EXPECT_EQ(static_cast<TEtiquetaDia*>(QApplication::focusWidget())->text(), QStringLiteral("20"));
    Teclas(Qt::Key_Up);
    Teclas(Qt::Key_Left, 3);
    auto* diez = static_cast<TEtiquetaDia*>(QApplication::focusWidget());
    EXPECT_EQ(diez->text(), QStringLiteral("10"));
    EXPECT_EQ(f->DiaTab(), diez);
    // Never off the month: up three weeks from the 10th stops at the 3rd.
    Teclas(Qt::Key_Up, 3);
    EXPECT_EQ(static_cast<TEtiquetaDia*>(QApplication::focusWidget())->text(), QStringLiteral("3"));
    Teclas(Qt::Key_Down);

    const QImage conFoco = diez->grab().toImage();
    Teclas(Qt::Key_Return);  // as a click on the day: its entry is chosen
    EXPECT_EQ(QApplication::focusWidget(), f->ListViewAvisal);
    EXPECT_NE(diez->grab().toImage(), conFoco);  // the focus was seen on the day
    EXPECT_EQ(f->edtAvisalTexto->text(), QStringLiteral("Cena"));
    ASSERT_NE(f->AvisalActual, nullptr);

    // To the text, add to it, and Enter stores it.
    for (int i = 0; i < 10 && QApplication::focusWidget() != f->edtAvisalTexto; ++i) Teclas(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), f->edtAvisalTexto);
    Teclas(Qt::Key_End);
    QTest::keyClicks(f->edtAvisalTexto, QStringLiteral(" larga"));
    EXPECT_TRUE(f->btnAvisalActualizar->isEnabled());
    Teclas(Qt::Key_Return);
    bool hallada = false;
    for (const auto& a : f->ListaAvisal) hallada = hallada || (a->Dia == 10 && a->Texto == "Cena larga");
    EXPECT_TRUE(hallada);

    // Space acts as Enter on a day.
    f->btnAvisal->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 10 && !qobject_cast<TEtiquetaDia*>(QApplication::focusWidget()); ++i) Teclas(Qt::Key_Tab);
    ASSERT_NE(qobject_cast<TEtiquetaDia*>(QApplication::focusWidget()), nullptr);
    Teclas(Qt::Key_Down);  // from the 10th, the Tab stop, to the 20th
    Teclas(Qt::Key_Right, 3);
    Teclas(Qt::Key_Space);
    EXPECT_EQ(f->edtAvisalTexto->text(), QStringLiteral("Viaje"));
}
