// The Cumples view: rows, order, cells, column widths and opening a row.
#include "entorno.h"

using namespace bindelora;

namespace {

class Cumples : public EntornoVentanas {
protected:
    // Today is 7 December 2026 (the fixture's clock).
    TfrmBindelora* ConLibro(int relleno = 0)
    {
        ListaPibes l;
        l.push_back(Pibe("Ayer", "Abad", "Cid", "Trabajo", Dia(1990, 12, 6)));
        l.push_back(Pibe("Sin", "Cumple", "", "", 0));
        l.push_back(Pibe("Hoy", "Bravo", "", "Familia", Dia(2000, 12, 7)));
        l.push_back(Pibe("Enero", "Cano", "", "", Dia(1, 1, 5)));
        l.push_back(Pibe("Viejo", "Diez", "", "", Dia(1895, 12, 8)));
        for (int i = 0; i < relleno; ++i) l.push_back(Pibe("R" + std::to_string(i), "Zz", "", "", Dia(1970, 6, 1)));
        EscribirAgenda(l);
        return Iniciar();
    }

    std::vector<std::string> Columna(TfrmBindelora* f, int c) const
    {
        std::vector<std::string> r;
        for (int i = 0; i < f->ListViewCumples->NumFilas(); ++i) r.push_back(f->ListViewCumples->Texto(i, c));
        return r;
    }

    using V = std::vector<std::string>;
};

}  // namespace

TEST_F(Cumples, TheViewButtonBuildsTheRowsNearestFirst)
{
    TfrmBindelora* f = ConLibro();
    EXPECT_EQ(f->ListViewCumples->NumFilas(), 0);  // built only by the view button
    QTest::mouseClick(f->btnCumples, Qt::LeftButton);
    EXPECT_EQ(PanelDelante(), f->PanelCumples);
    // Book order by Apellido 1: Ayer Abad, Hoy Bravo, Enero Cano, Sin Cumple, Viejo Diez.
    EXPECT_EQ(Columna(f, 0), (V{"0000", "0001", "0029", "0364"}));
    EXPECT_EQ(Columna(f, 1), (V{"1", "4", "2", "0"}));
    EXPECT_EQ(Columna(f, 2), (V{"7-Dic", "8-Dic", "5-Ene", "6-Dic"}));
    EXPECT_EQ(Columna(f, 3), (V{"26", "131", "", "37"}));
    EXPECT_EQ(Columna(f, 4), (V{"Hoy Bravo ", "Viejo Diez ", "Enero Cano ", "Ayer Abad Cid"}));
    EXPECT_EQ(Columna(f, 5), (V{"Familia", "", "", "Trabajo"}));

    EXPECT_EQ(f->ListViewCumples->AnchoColumna(0), 0);
    EXPECT_EQ(f->ListViewCumples->AnchoColumna(1), 0);
    EXPECT_EQ(f->ListViewCumples->AnchoColumna(2), 50);
    EXPECT_EQ(f->ListViewCumples->AnchoColumna(3), 40);
    EXPECT_EQ(f->ListViewCumples->AnchoColumna(4), 336);
    EXPECT_EQ(f->ListViewCumples->AnchoColumna(5), 90);
    EXPECT_EQ(f->ListViewCumples->geometry(), QRect(2, 2, 520, 325));
    EXPECT_EQ(f->ListViewCumples->verticalHeader()->defaultSectionSize(),
              f->ListViewLista->verticalHeader()->defaultSectionSize());
}

TEST_F(Cumples, ManyRowsNarrowTheNameColumnAndTiesKeepTheBookOrder)
{
    TfrmBindelora* f = ConLibro(18);  // 22 rows
    f->btnCumplesClick();
    EXPECT_EQ(f->ListViewCumples->NumFilas(), 22);
    EXPECT_EQ(f->ListViewCumples->AnchoColumna(4), 320);
    // The eighteen ties on 1 June keep the book's order (R0, R1, R10, ...),
    // which their "Pos" cells show rising.
    const auto pos = Columna(f, 1);
    for (int i = 3; i < 20; ++i)
        EXPECT_LT(std::stoi(pos[static_cast<std::size_t>(i)]), std::stoi(pos[static_cast<std::size_t>(i) + 1]));
    EXPECT_EQ(Columna(f, 4)[3], "R0 Zz ");
    EXPECT_EQ(Columna(f, 4)[5], "R10 Zz ");
}

TEST_F(Cumples, ABookWithoutBirthdaysGivesAnEmptyList)
{
    ListaPibes l;
    l.push_back(Pibe("Ana", "Ruiz"));
    EscribirAgenda(l);
    TfrmBindelora* f = Iniciar();
    f->btnCumplesClick();
    EXPECT_EQ(f->ListViewCumples->NumFilas(), 0);
    f->ListViewCumplesDblClick();  // nothing selected: nothing happens
    EXPECT_EQ(PanelDelante(), f->PanelCumples);
}

TEST_F(Cumples, OpeningARowShowsItsContactAndLeavesTheEditorState)
{
    TfrmBindelora* f = ConLibro();
    f->btnCumplesClick();
    f->ListViewCumples->SeleccionarFila(3);  // Ayer Abad, position 0
    f->btnNext->setEnabled(false);           // a stale state the opening must not refresh
    f->ListViewCumplesDblClick();
    EXPECT_EQ(PanelDelante(), f->PanelDatos);
    EXPECT_EQ(f->PibeActual, 0);
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Ayer"));
    EXPECT_FALSE(f->btnNext->isEnabled());
}

TEST_F(Cumples, OpeningARowInNewEntryModeKeepsTheMode)
{
    TfrmBindelora* f = ConLibro();
    f->btnDatosClick();
    // The editor's mode lives in its captions.
    f->btnNuevo->setText(QStringLiteral("Aña&dir"));
    f->btnEliminar->setText(QStringLiteral("&Cancelar"));
    f->btnCumplesClick();
    f->ListViewCumples->SeleccionarFila(0);  // Hoy Bravo
    f->ListViewCumplesDblClick();
    EXPECT_EQ(f->btnNuevo->text(), QStringLiteral("Aña&dir"));
    EXPECT_EQ(f->btnEliminar->text(), QStringLiteral("&Cancelar"));
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Hoy"));
    EXPECT_EQ(f->edtCumpleMes->text(), QStringLiteral("Dic"));
    EXPECT_EQ(f->ListaPibes[static_cast<std::size_t>(f->PibeActual)]->Nombre, "Hoy");
}

TEST_F(Cumples, ARowWhoseContactIsGoneOpensNothing)
{
    TfrmBindelora* f = ConLibro();
    f->btnCumplesClick();
    f->ListViewCumples->SeleccionarFila(3);  // Ayer Abad, position 0
    // Another contact takes position 0: the row still finds its own by identity.
    f->ListaPibes.insert(f->ListaPibes.begin(), Pibe("Nueva", "Aaa"));
    f->ListViewCumplesDblClick();
    EXPECT_EQ(f->PibeActual, 1);
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Ayer"));

    f->btnCumplesClick();
    f->ListViewCumples->SeleccionarFila(3);
    f->PibeActual = 2;
    f->ListaPibes.erase(f->ListaPibes.begin() + 1);  // Ayer leaves the book
    f->btnListaClick();
    f->ListViewCumplesDblClick();
    EXPECT_EQ(PanelDelante(), f->PanelLista);
    EXPECT_EQ(f->PibeActual, 2);
}

TEST_F(Cumples, ReReadingTheBookRebuildsTheRows)
{
    TfrmBindelora* f = ConLibro();
    f->btnCumplesClick();
    f->ListaPibes.erase(f->ListaPibes.begin() + 1);  // Hoy Bravo, today's birthday
    f->RecuperarAgenda();                             // the file still holds it
    ASSERT_EQ(f->ListViewCumples->NumFilas(), 4);
    f->ListViewCumples->SeleccionarFila(0);
    f->ListViewCumplesDblClick();
    EXPECT_EQ(PanelDelante(), f->PanelDatos);
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Hoy"));
    EXPECT_EQ(f->ListaPibes[static_cast<std::size_t>(f->PibeActual)]->Nombre, "Hoy");
}
