// The search panel: patterns, results, stepping, reset, and contacts that
// leave the book while results are shown.
#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>

#include "core/texto.h"
#include "entorno.h"

using namespace bindelora;

namespace {

std::string C(const char* utf8) { return Utf8ACp1252(utf8); }

const QColor kCampoVerde(238, 255, 238);
const QColor kCampoAzul(221, 221, 255);

class Buscar : public EntornoVentanas {
protected:
    // Book order by Apellido 1: Luis Arce, Ana Bravo, José Núñez, Juana Ruiz, Ana Sanz.
    TfrmBindelora* ConLibro()
    {
        ListaPibes l;
        l.push_back(Pibe(C("José"), C("Núñez"), "Gil", "Amigos", Dia(1980, 3, 5)));
        l.push_back(Pibe("Ana", "Bravo", "", "Familia", Dia(1, 1, 5)));
        l.push_back(Pibe("Juana", "Ruiz", "", "Amigos", Dia(1895, 1, 20)));
        l.push_back(Pibe("Ana", "Sanz", "", "", 0));
        l.push_back(Pibe("Luis", "Arce", "", "amigos", Dia(1975, 5, 5)));
        l[0]->TfnoCasa = "555 1234";
        l[0]->EMail = "nunez@correo.es";
        l[0]->Direccion = {"C/ Mayor, 3", "28013 Madrid"};
        l[2]->TfnoCasa = "555-1234";
        l[2]->Varios = {"primera", "segunda"};
        l[3]->TfnoMovil = "5551234";
        EscribirAgenda(l);
        TfrmBindelora* f = Iniciar();
        f->btnDatosClick();
        QTest::mouseClick(f->btnBuscar, Qt::LeftButton);
        return f;
    }

    static QColor Color(QWidget* w) { return w->palette().color(QPalette::Base); }

    std::vector<std::string> Resultados(TfrmBindelora* f) const
    {
        std::vector<std::string> r;
        for (const TPibe* p : f->ResultadoBusqueda) r.push_back(p->Nombre + " " + p->Ape1);
        return r;
    }

    // Sets a pattern through the change handling, as typing does.
    static void Poner(QLineEdit* e, const QString& t) { e->setText(t); }

    static std::vector<QWidget*> Campos(TfrmBindelora* f)
    {
        return {f->edtBusNombre,    f->edtBusApe1,      f->edtBusApe2,      f->edtBusTfnoCasa,
                f->edtBusTfnoMovil, f->edtBusEMail,     f->MemoBusDireccion, f->edtBusCumpleDia,
                f->edtBusCumpleMes, f->edtBusCumpleAno, f->cbBusGrupo,      f->memoBusVarios};
    }

    using V = std::vector<std::string>;
};

}  // namespace

TEST_F(Buscar, OpeningThePanelPaintsItAndClearsNothing)
{
    TfrmBindelora* f = ConLibro();
    EXPECT_EQ(PanelDelante(), f->PanelBuscar);
    for (QWidget* w : Campos(f)) EXPECT_EQ(Color(w), kCampoVerde) << w->objectName().toStdString();
    EXPECT_EQ(f->lblBuscarPos->text(), QStringLiteral("- / -"));
    EXPECT_EQ(f->ScrollBarBuscar->minimum(), 1);
    EXPECT_EQ(f->ScrollBarBuscar->maximum(), 1);
    EXPECT_FALSE(f->btnBuscarAhora->isEnabled());
    EXPECT_EQ(f->btnNuevaBusqueda->text(), QStringLiteral("&Nueva búsqueda "));
    EXPECT_EQ(f->GroupBox5->geometry(), f->GroupBox1->geometry());
    EXPECT_EQ(f->edtBusEMail->geometry(), f->edtEMail->geometry());
    EXPECT_EQ(f->Label21->geometry(), f->lblEMail->geometry());
    EXPECT_EQ(f->memoBusVarios->geometry(), f->MemoVarios->geometry());
    EXPECT_EQ(f->lblBuscarPos->geometry(), QRect(215, 18, 45, 17));

    // One empty choice first, then the groups sorted, case kept apart.
    QStringList grupos;
    for (int i = 0; i < f->cbBusGrupo->count(); ++i) grupos << f->cbBusGrupo->itemText(i);
    EXPECT_EQ(grupos, (QStringList{QString(), QStringLiteral("amigos"), QStringLiteral("Amigos"),
                                   QStringLiteral("Familia")}));

    Poner(f->edtBusNombre, QStringLiteral("x"));
    EXPECT_EQ(Color(f->edtBusNombre), kCampoAzul);
    EXPECT_TRUE(f->btnBuscarAhora->isEnabled());
    f->btnListaClick();
    f->btnBuscarClick();
    EXPECT_EQ(f->edtBusNombre->text(), QStringLiteral("x"));
    EXPECT_EQ(Color(f->edtBusNombre), kCampoVerde);
    Poner(f->edtBusNombre, QString());
    EXPECT_FALSE(f->btnBuscarAhora->isEnabled());

    f->memoBusVarios->setPlainText(QStringLiteral("a"));
    EXPECT_EQ(Color(f->memoBusVarios), kCampoAzul);
    EXPECT_TRUE(f->btnBuscarAhora->isEnabled());
    f->memoBusVarios->clear();
    f->cbBusGrupo->setCurrentIndex(3);
    EXPECT_EQ(Color(f->cbBusGrupo), kCampoAzul);
    EXPECT_TRUE(f->btnBuscarAhora->isEnabled());
}

TEST_F(Buscar, OneResultIsShownInTheFieldsAndInTheEditor)
{
    TfrmBindelora* f = ConLibro();
    Poner(f->edtBusNombre, QStringLiteral("jose"));
    QTest::mouseClick(f->btnBuscarAhora, Qt::LeftButton);
    EXPECT_EQ(Resultados(f), (V{C("José Núñez")}));
    EXPECT_EQ(f->lblBuscarPos->text(), QStringLiteral("1/1"));
    EXPECT_EQ(f->edtBusApe1->text(), QStringLiteral("Núñez"));
    EXPECT_EQ(f->edtBusCumpleDia->text(), QStringLiteral("5"));
    EXPECT_EQ(f->edtBusCumpleMes->text(), QStringLiteral("Mar"));
    EXPECT_EQ(f->edtBusCumpleAno->text(), QStringLiteral("1980"));
    EXPECT_EQ(f->cbBusGrupo->currentText(), QStringLiteral("Amigos"));
    EXPECT_EQ(f->MemoBusDireccion->toPlainText(), QStringLiteral("C/ Mayor, 3\n28013 Madrid"));
    for (QWidget* w : Campos(f)) EXPECT_EQ(Color(w), kCampoVerde) << w->objectName().toStdString();
    EXPECT_TRUE(f->btnBuscarAhora->isEnabled());
    EXPECT_EQ(f->ListaPibes[static_cast<std::size_t>(f->PibeActual)]->Nombre, C("José"));
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("José"));
    EXPECT_TRUE(mensajes.cajas.empty());

    // Searching again with the shown values finds the same contact.
    f->btnBuscarAhoraClick();
    EXPECT_EQ(Resultados(f), (V{C("José Núñez")}));
}

TEST_F(Buscar, SeveralResultsAreSteppedOneByOne)
{
    TfrmBindelora* f = ConLibro();
    Poner(f->edtBusTfnoCasa, QStringLiteral("5551"));  // 555 1234, not 555-1234
    f->btnBuscarAhoraClick();
    EXPECT_EQ(Resultados(f), (V{C("José Núñez")}));

    f->btnNuevaBusquedaClick();
    Poner(f->edtBusNombre, QStringLiteral("an"));
    f->btnBuscarAhoraClick();
    EXPECT_EQ(Resultados(f), (V{"Ana Bravo", "Juana Ruiz", "Ana Sanz"}));
    EXPECT_EQ(f->lblBuscarPos->text(), QStringLiteral("1/3"));
    EXPECT_EQ(f->ScrollBarBuscar->maximum(), 3);
    EXPECT_EQ(f->edtBusApe1->text(), QStringLiteral("Bravo"));

    f->ScrollBarBuscar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(f->lblBuscarPos->text(), QStringLiteral("2/3"));
    EXPECT_EQ(f->edtBusApe1->text(), QStringLiteral("Ruiz"));
    EXPECT_EQ(f->edtBusCumpleAno->text(), QStringLiteral("1895"));  // an old year still shows
    EXPECT_EQ(f->memoBusVarios->toPlainText(), QStringLiteral("primera\nsegunda"));
    EXPECT_EQ(f->edtApe1->text(), QStringLiteral("Ruiz"));
    f->ScrollBarBuscar->triggerAction(QAbstractSlider::SliderPageStepAdd);  // a page is one result too
    EXPECT_EQ(f->lblBuscarPos->text(), QStringLiteral("3/3"));
    EXPECT_EQ(f->edtBusCumpleDia->text(), QString());  // no birthday
    EXPECT_EQ(f->cbBusGrupo->currentIndex(), 0);
    EXPECT_EQ(f->ListaPibes[static_cast<std::size_t>(f->PibeActual)]->Ape1, "Sanz");
    f->ScrollBarBuscar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(f->lblBuscarPos->text(), QStringLiteral("2/3"));

    // A new search starts again from the first result.
    f->btnBuscarAhoraClick();  // the shown Juana Ruiz as patterns
    EXPECT_EQ(Resultados(f), (V{"Juana Ruiz"}));
    EXPECT_EQ(f->ScrollBarBuscar->value(), 1);
    EXPECT_EQ(f->ScrollBarBuscar->maximum(), 1);
}

TEST_F(Buscar, NothingFoundTellsSoAndKeepsThePatterns)
{
    TfrmBindelora* f = ConLibro();
    Poner(f->edtBusNombre, QStringLiteral("ana"));
    f->btnBuscarAhoraClick();
    f->ScrollBarBuscar->setValue(2);
    Poner(f->edtBusApe2, QStringLiteral("zzz"));
    f->btnBuscarAhoraClick();
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].titulo, QStringLiteral("Aviso de Búsqueda"));
    EXPECT_EQ(mensajes.cajas[0].texto,
              QStringLiteral("No se encontraron registros que concuerden\rcon el patrón de búsqueda."));
    EXPECT_EQ(mensajes.cajas[0].icono, IconoMensaje::Informacion);
    EXPECT_TRUE(f->ResultadoBusqueda.empty());
    EXPECT_EQ(f->lblBuscarPos->text(), QStringLiteral("- / -"));
    EXPECT_EQ(f->ScrollBarBuscar->value(), 1);
    EXPECT_EQ(f->ScrollBarBuscar->maximum(), 1);
    EXPECT_EQ(f->edtBusApe2->text(), QStringLiteral("zzz"));
    f->ScrollBarBuscarChange();  // nothing to show
    EXPECT_EQ(f->edtBusApe2->text(), QStringLiteral("zzz"));
}

TEST_F(Buscar, ResetEmptiesEverythingAndLeavesTheEditor)
{
    TfrmBindelora* f = ConLibro();
    Poner(f->edtBusNombre, QStringLiteral("ana"));
    f->btnBuscarAhoraClick();
    const int actual = f->PibeActual;
    QTest::mouseClick(f->btnNuevaBusqueda, Qt::LeftButton);
    for (QLineEdit* e : {f->edtBusNombre, f->edtBusApe1, f->edtBusApe2, f->edtBusTfnoCasa, f->edtBusTfnoMovil,
                         f->edtBusEMail, f->edtBusCumpleDia, f->edtBusCumpleMes, f->edtBusCumpleAno})
        EXPECT_TRUE(e->text().isEmpty()) << e->objectName().toStdString();
    EXPECT_TRUE(f->MemoBusDireccion->toPlainText().isEmpty());
    EXPECT_EQ(f->cbBusGrupo->currentIndex(), 0);
    EXPECT_EQ(f->lblBuscarPos->text(), QStringLiteral("- / -"));
    EXPECT_FALSE(f->btnBuscarAhora->isEnabled());
    EXPECT_TRUE(f->ResultadoBusqueda.empty());
    for (QWidget* w : Campos(f)) EXPECT_EQ(Color(w), kCampoVerde) << w->objectName().toStdString();
    EXPECT_EQ(f->PibeActual, actual);
    f->btnNuevaBusquedaClick();
    EXPECT_EQ(f->lblBuscarPos->text(), QStringLiteral("- / -"));

    QTest::mouseClick(f->btnAvisal, Qt::LeftButton);
    EXPECT_FALSE(f->btnNuevaBusqueda->isEnabled());
    f->btnDatosClick();
    EXPECT_TRUE(f->btnNuevaBusqueda->isEnabled());
}

TEST_F(Buscar, BirthdaysWithoutYearOldYearsAndMonthNames)
{
    TfrmBindelora* f = ConLibro();
    Poner(f->edtBusCumpleDia, QStringLiteral("5"));
    f->btnBuscarAhoraClick();
    EXPECT_EQ(Resultados(f), (V{"Luis Arce", "Ana Bravo", C("José Núñez")}));  // the year-less one too
    EXPECT_EQ(f->edtBusCumpleAno->text(), QStringLiteral("1975"));
    f->ScrollBarBuscar->setValue(2);
    EXPECT_EQ(f->edtBusCumpleMes->text(), QStringLiteral("Ene"));  // longer than what can be typed
    EXPECT_EQ(f->edtBusCumpleAno->text(), QString());
    f->btnBuscarAhoraClick();  // the shown year-less birthday finds itself again
    EXPECT_EQ(Resultados(f), (V{"Ana Bravo"}));

    for (const char* mes : {"Ene", "ene", "1", "01"}) {
        f->btnNuevaBusquedaClick();
        Poner(f->edtBusCumpleMes, QString::fromLatin1(mes));
        f->btnBuscarAhoraClick();
        EXPECT_EQ(Resultados(f), (V{"Ana Bravo", "Juana Ruiz"})) << mes;
    }
    f->btnNuevaBusquedaClick();
    Poner(f->edtBusCumpleAno, QStringLiteral("1895"));
    f->btnBuscarAhoraClick();
    EXPECT_EQ(Resultados(f), (V{"Juana Ruiz"}));
    f->btnBuscarAhoraClick();  // the old year stays a condition
    EXPECT_EQ(Resultados(f), (V{"Juana Ruiz"}));
    EXPECT_EQ(f->edtBusCumpleAno->text(), QStringLiteral("1895"));

    f->btnNuevaBusquedaClick();
    Poner(f->edtBusCumpleAno, QStringLiteral("666"));
    f->btnBuscarAhoraClick();
    EXPECT_EQ(Resultados(f).size(), 4u);  // every birthday; Ana Sanz has none
}

TEST_F(Buscar, BadInputNeitherCrashesNorMatchesWrongly)
{
    TfrmBindelora* f = ConLibro();
    auto buscar = [&](QLineEdit* e, const QString& t) {
        f->btnNuevaBusquedaClick();
        Poner(e, t);
        mensajes.cajas.clear();
        f->btnBuscarAhoraClick();
        return Resultados(f);
    };
    EXPECT_TRUE(buscar(f->edtBusNombre, QStringLiteral("   ")).empty());
    EXPECT_TRUE(buscar(f->edtBusTfnoMovil, QStringLiteral("   ")).empty());
    EXPECT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_TRUE(buscar(f->edtBusNombre, QStringLiteral("*")).empty());
    EXPECT_TRUE(buscar(f->edtBusApe1, QStringLiteral("?")).empty());
    EXPECT_TRUE(buscar(f->edtBusNombre, QString(10000, QLatin1Char('a'))).empty());
    // Pasted text goes round the key filter.
    EXPECT_TRUE(buscar(f->edtBusCumpleDia, QStringLiteral("99999999999999999999")).empty());
    EXPECT_TRUE(buscar(f->edtBusCumpleAno, QStringLiteral("123456789012")).empty());
    EXPECT_EQ(buscar(f->edtBusCumpleDia, QStringLiteral("abc")).size(), 4u);  // names no month: no condition
    EXPECT_EQ(buscar(f->edtBusCumpleDia, QStringLiteral("abc")).size(), 4u);
    EXPECT_EQ(buscar(f->edtBusEMail, QStringLiteral("NUÑEZ")), (V{C("José Núñez")}));
    EXPECT_EQ(buscar(f->edtBusTfnoMovil, QStringLiteral("555 12")), (V{"Ana Sanz"}));

    f->btnNuevaBusquedaClick();
    f->MemoBusDireccion->setPlainText(QStringLiteral("3\n28013"));  // several lines match as CR LF
    f->btnBuscarAhoraClick();
    EXPECT_EQ(Resultados(f), (V{C("José Núñez")}));
    f->btnNuevaBusquedaClick();
    f->memoBusVarios->setPlainText(QStringLiteral("\n"));
    f->btnBuscarAhoraClick();
    EXPECT_EQ(Resultados(f), (V{"Juana Ruiz"}));
}

TEST_F(Buscar, GroupsAreExactAndAGroupAddedLaterStillShows)
{
    TfrmBindelora* f = ConLibro();
    f->cbBusGrupo->setCurrentIndex(f->cbBusGrupo->findText(QStringLiteral("Amigos")));
    f->btnBuscarAhoraClick();
    EXPECT_EQ(Resultados(f), (V{C("José Núñez"), "Juana Ruiz"}));

    // A contact whose group was typed after the choices were filled.
    f->btnNuevaBusquedaClick();
    f->ListaPibes.push_back(Pibe("Eva", "Zapata", "", "Nuevos", 0));
    Poner(f->edtBusApe1, QStringLiteral("zapata"));
    f->btnBuscarAhoraClick();
    EXPECT_EQ(f->cbBusGrupo->currentText(), QStringLiteral("Nuevos"));
    EXPECT_EQ(f->cbBusGrupo->itemText(0), QString());
    f->btnBuscarAhoraClick();
    EXPECT_EQ(Resultados(f), (V{"Eva Zapata"}));

    // Refilling the groups keeps the chosen one.
    f->RellenarGrupos();
    EXPECT_EQ(f->cbBusGrupo->currentText(), QStringLiteral("Nuevos"));
    int vacias = 0;
    for (int i = 0; i < f->cbBusGrupo->count(); ++i) vacias += f->cbBusGrupo->itemText(i).isEmpty();
    EXPECT_EQ(vacias, 1);
}

TEST_F(Buscar, ResultsAreDroppedWhenTheirContactsGo)
{
    TfrmBindelora* f = ConLibro();
    Poner(f->edtBusNombre, QStringLiteral("ana"));
    f->btnBuscarAhoraClick();
    ASSERT_EQ(f->ResultadoBusqueda.size(), 3u);
    // The contact editor deletes the shown contact (Ana Bravo).
    f->btnDatosClick();
    f->btnEliminarClick();
    ASSERT_EQ(f->ListaPibes.size(), 4u);
    f->btnBuscarClick();
    f->ScrollBarBuscar->setValue(1);
    f->ScrollBarBuscar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    f->ScrollBarBuscarChange();
    // Whoever deleted, a result whose contact is gone is never shown.
    EXPECT_TRUE(f->ResultadoBusqueda.empty());
    EXPECT_EQ(f->lblBuscarPos->text(), QStringLiteral("- / -"));
    EXPECT_EQ(f->ScrollBarBuscar->maximum(), 1);
    EXPECT_EQ(f->edtBusApe1->text(), QStringLiteral("Bravo"));  // the fields stay as they are

    // A re-read of the agenda empties them at once.
    f->btnNuevaBusquedaClick();
    Poner(f->edtBusNombre, QStringLiteral("ana"));
    f->btnBuscarAhoraClick();
    f->ScrollBarBuscar->setValue(2);
    ASSERT_FALSE(f->ResultadoBusqueda.empty());
    f->RecuperarAgenda();
    EXPECT_TRUE(f->ResultadoBusqueda.empty());
    EXPECT_EQ(f->lblBuscarPos->text(), QStringLiteral("- / -"));
    EXPECT_EQ(f->ScrollBarBuscar->value(), 1);
    EXPECT_EQ(f->ScrollBarBuscar->maximum(), 1);
}

TEST_F(Buscar, BirthdayKeysFilterLimitAndMoveOn)
{
    TfrmBindelora* f = ConLibro();
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    f->edtBusCumpleDia->setFocus();
    QTest::keyClicks(f->edtBusCumpleDia, QStringLiteral("1x"));
    EXPECT_EQ(f->edtBusCumpleDia->text(), QStringLiteral("1"));
    QTest::keyClick(f->edtBusCumpleDia, Qt::Key_2);  // the second digit moves on and lands here
    EXPECT_EQ(f->edtBusCumpleDia->text(), QStringLiteral("12"));
    EXPECT_EQ(QApplication::focusWidget(), f->edtBusCumpleMes);
    QTest::keyClick(f->edtBusCumpleDia, Qt::Key_3);  // full: two characters typed at most
    EXPECT_EQ(f->edtBusCumpleDia->text(), QStringLiteral("12"));
    QTest::keyClick(f->edtBusCumpleDia, Qt::Key_Backspace);
    EXPECT_EQ(f->edtBusCumpleDia->text(), QStringLiteral("1"));

    QTest::keyClicks(f->edtBusCumpleMes, QStringLiteral("e0"));
    QTest::keyClick(f->edtBusCumpleMes, Qt::Key_3);
    EXPECT_EQ(f->edtBusCumpleMes->text(), QStringLiteral("03"));
    EXPECT_EQ(QApplication::focusWidget(), f->edtBusCumpleAno);
    QTest::keyClicks(f->edtBusCumpleAno, QStringLiteral("19a80123"));
    EXPECT_EQ(f->edtBusCumpleAno->text(), QStringLiteral("1980"));
    EXPECT_EQ(QApplication::focusWidget(), f->edtBusCumpleAno);  // the year does not move on

    // A month name written by the program survives; typing into it is full.
    f->edtBusCumpleMes->setText(QStringLiteral("Ene"));
    EXPECT_EQ(f->edtBusCumpleMes->text(), QStringLiteral("Ene"));
    QTest::keyClick(f->edtBusCumpleMes, Qt::Key_1);
    EXPECT_EQ(f->edtBusCumpleMes->text(), QStringLiteral("Ene"));
}

TEST_F(Buscar, TheEmailLabelRaisesTheEditorsLabelEvents)
{
    TfrmBindelora* f = ConLibro();
    QSignalSpy entra(f->lblEMail, &TLabel2::OnMouseEnter);
    QSignalSpy sale(f->lblEMail, &TLabel2::OnMouseLeave);
    QSignalSpy clic(f->lblEMail, &TLabel2::OnClick);
    // Whatever the editor's handlers make of its label, Label21 wears it.
    QObject::connect(f->lblEMail, &TLabel2::OnMouseEnter, f, [f] {
        QFont fuente = f->lblEMail->font();
        fuente.setUnderline(true);
        f->lblEMail->setFont(fuente);
    });
    emit f->Label21->OnMouseEnter(f->Label21);
    EXPECT_TRUE(f->Label21->font().underline());
    emit f->Label21->OnClick(f->Label21);
    emit f->Label21->OnMouseLeave(f->Label21);
    ASSERT_EQ(entra.count(), 1);
    EXPECT_EQ(entra.at(0).at(0).value<TLabel2*>(), f->lblEMail);
    EXPECT_EQ(clic.count(), 1);
    EXPECT_EQ(sale.count(), 1);
    EXPECT_FALSE(f->Label21->font().underline());
}

TEST_F(Buscar, SharedAcceleratorsPressTheButtonOfTheViewInFront)
{
    // "&Nuevo" and "&Nueva búsqueda " share Alt+N and are both enabled.
    TfrmBindelora* f = ConLibro();
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    QSignalSpy nuevo(f->btnNuevo, &QPushButton::clicked);
    QSignalSpy nueva(f->btnNuevaBusqueda, &QPushButton::clicked);
    Poner(f->edtBusNombre, QStringLiteral("x"));
    f->edtBusApe1->setFocus();
    QTest::keyClick(f->edtBusApe1, Qt::Key_N, Qt::AltModifier);
    QTest::qWait(250);  // a mnemonic clicks after a short animation
    EXPECT_EQ(nueva.count(), 1);
    EXPECT_EQ(nuevo.count(), 0);
    EXPECT_TRUE(f->edtBusNombre->text().isEmpty());

    f->btnDatosClick();
    f->edtNombre->setFocus();
    QTest::keyClick(f->edtNombre, Qt::Key_N, Qt::AltModifier);
    QTest::qWait(250);
    EXPECT_EQ(nuevo.count(), 1);
    EXPECT_EQ(nueva.count(), 1);
}
