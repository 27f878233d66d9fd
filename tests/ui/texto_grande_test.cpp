// The desktop's font at 150 %: the windows keep their places and sizes, and
// a text that no longer fits its box shows whole in its tooltip.
#include <QAbstractButton>
#include <QLabel>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>

#include "celdasdia.h"
#include "entorno.h"
#include "frmabout.h"
#include "frmconfig.h"
#include "frmsucesoshoy.h"

using namespace bindelora;

namespace {

class TextoGrande : public EntornoVentanas {
protected:
    static QString Texto(const QWidget* w)
    {
        QString t = qobject_cast<const QLabel*>(w) ? static_cast<const QLabel*>(w)->text()
                                                   : static_cast<const QAbstractButton*>(w)->text();
        return t.remove(QLatin1Char('&'));
    }

    // A single line wider than its box, measured here on its own.
    static bool Cortado(const QWidget* w)
    {
        const QString t = Texto(w);
        if (auto* l = qobject_cast<const QLabel*>(w); l && l->wordWrap()) return false;
        const int ancho = w->fontMetrics().horizontalAdvance(t);
        return qobject_cast<const QLabel*>(w) ? ancho > w->contentsRect().width()
                                              : ancho + 8 > w->width();
    }

    // Returns how many texts did not fit; fails on any without its tooltip.
    static int Comprobar(QWidget* ventana)
    {
        ventana->show();
        QTest::qWait(30);
        std::vector<std::pair<QWidget*, QRect>> antes;
        // The window's own controls; a list may lay out its header anew, a
        // tab bar its scroll buttons, and a taller tab bar leaves its pages
        // shorter (what is on them stays in place).
        for (QWidget* w : ventana->findChildren<QWidget*>())
            if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")) &&
                !qobject_cast<QTabBar*>(w->parentWidget()) && !qobject_cast<QStackedWidget*>(w->parentWidget()))
                antes.emplace_back(w, w->geometry());
        const QSize tam = ventana->size();

        QFont grande = ventana->font();
        if (grande.pointSizeF() > 0) grande.setPointSizeF(grande.pointSizeF() * 1.5);
        else grande.setPixelSize(grande.pixelSize() * 3 / 2);
        ventana->setFont(grande);
        ventana->show();
        QTest::qWait(30);
        ventana->repaint();

        EXPECT_EQ(ventana->size(), tam);
        for (auto& [w, r] : antes)
            EXPECT_EQ(w->geometry(), r) << w->objectName().toStdString() << " " << w->metaObject()->className();
        int cortados = 0;
        std::vector<QWidget*> textos;
        for (QLabel* l : ventana->findChildren<QLabel*>())
            if (!qobject_cast<TEtiquetaDia*>(l) && !l->text().isEmpty() && l->textFormat() != Qt::RichText)
                textos.push_back(l);
        for (QAbstractButton* b : ventana->findChildren<QAbstractButton*>())
            if (!b->text().isEmpty()) textos.push_back(b);
        for (QWidget* w : textos) {
            if (!w->isVisibleTo(ventana) || !Cortado(w)) continue;
            ++cortados;
            EXPECT_TRUE(w->toolTip().contains(Texto(w)))
                << w->objectName().toStdString() << ": " << Texto(w).toStdString() << " / "
                << w->toolTip().toStdString();
        }
        return cortados;
    }
};

}  // namespace

TEST_F(TextoGrande, LaVentanaPrincipalYLasSecundarias)
{
    ListaPibes l;
    l.push_back(Pibe("Ana", "Ruiz"));
    EscribirAgenda(l);
    TfrmBindelora* f = Iniciar();
    f->btnDatos->click();
    const QString pistaCorreo = f->lblEMail->toolTip();
    EXPECT_GT(Comprobar(f), 0);  // some labels do not fit at 150 %
    frmConfig->MostrarConfig(f->Config);
    Comprobar(frmConfig);
    // Tabs squeezed behind scroll buttons still tell their whole text.
    for (int i = 0; i < frmConfig->PageControl->count(); ++i)
        EXPECT_EQ(frmConfig->PageControl->tabToolTip(i), frmConfig->PageControl->tabText(i).remove(QLatin1Char('&')));
    frmConfig->hide();
    Comprobar(frmAbout);
    frmAbout->hide();
    Comprobar(frmSucesosHoy);
    frmSucesosHoy->hide();

    // Back at its size, a text that fits again loses the added tooltip.
    QFont normal = f->font();
    normal.setPointSizeF(normal.pointSizeF() / 1.5);
    f->setFont(normal);
    f->repaint();
    EXPECT_EQ(f->Label1->toolTip(), QString());
    EXPECT_EQ(f->lblEMail->toolTip(), pistaCorreo);
}
