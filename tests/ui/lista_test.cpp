// The contact list: re-ordering from its three controls, the popup and the
// "Grupo" column.
#include <QMenu>

#include "entorno.h"

using namespace bindelora;

namespace {

class Lista : public EntornoVentanas {
protected:
    TfrmBindelora* ConLibro(int n = 0)
    {
        ListaPibes l;
        l.push_back(Pibe("Carlos", "Bravo", "Abad", "Trabajo"));
        l.push_back(Pibe("Ana", "", "Zurita", "Familia"));
        l.push_back(Pibe("Berta", "Abril", "Nieto", ""));
        for (int i = 0; i < n; ++i) l.push_back(Pibe("Relleno" + std::to_string(i), "X"));
        EscribirAgenda(l);
        return Iniciar();
    }

    using V = std::vector<std::string>;
};

}  // namespace

TEST_F(Lista, ShowsTheBookInTheCurrentOrdering)
{
    TfrmBindelora* f = ConLibro();
    EXPECT_EQ(PanelDelante(), f->PanelLista);
    EXPECT_EQ(NombresEnLista(f), (V{"Ana", "Berta", "Carlos"}));  // by Apellido 1: "", Abril, Bravo
    EXPECT_EQ(f->ListViewLista->Texto(0, 2), "Zurita");
    EXPECT_EQ(f->ListViewLista->Texto(2, 3), "Trabajo");
}

TEST_F(Lista, ReordersFromColumnComboAndPopup)
{
    TfrmBindelora* f = ConLibro();
    f->ListViewListaColumnClick(2);  // Apellido 2: Abad, Nieto, Zurita
    EXPECT_EQ(f->OrdenActual, "Apellido 2");
    EXPECT_EQ(NombresEnLista(f), (V{"Carlos", "Berta", "Ana"}));
    EXPECT_EQ(f->cbOrden->currentIndex(), 2);

    f->cbOrden->setCurrentIndex(3);
    emit f->cbOrden->activated(3);  // Grupo: "", Familia, Trabajo
    EXPECT_EQ(f->OrdenActual, "Grupo");
    EXPECT_EQ(NombresEnLista(f), (V{"Berta", "Ana", "Carlos"}));

    f->mnuListaOrdenarPorNombre->trigger();
    EXPECT_EQ(f->OrdenActual, "Nombre");
    EXPECT_EQ(NombresEnLista(f), (V{"Ana", "Berta", "Carlos"}));
    EXPECT_EQ(f->cbOrden->currentIndex(), 0);
}

TEST_F(Lista, TheCurrentOrderingIsNotAppliedAgain)
{
    TfrmBindelora* f = ConLibro();
    // Out of order on purpose: a no-op leaves it so.
    std::swap(f->ListaPibes[0], f->ListaPibes[2]);
    f->ListViewListaColumnClick(1);
    f->cbOrden->setCurrentIndex(1);
    emit f->cbOrden->activated(1);
    f->mnuListaOrdenarPorApe1->trigger();
    EXPECT_EQ(f->ListaPibes[0]->Nombre, "Carlos");
}

TEST_F(Lista, ReorderingKeepsTheEditedContactCurrent)
{
    TfrmBindelora* f = ConLibro();
    f->PibeActual = 2;
    f->MostrarPibe(2);  // Carlos
    f->ListViewListaColumnClick(2);
    EXPECT_EQ(f->ListaPibes[static_cast<std::size_t>(f->PibeActual)]->Nombre, "Carlos");
    EXPECT_EQ(f->PibeActual, 0);
}

TEST_F(Lista, PopupCaptionsAndEnabledStates)
{
    TfrmBindelora* f = ConLibro();
    f->PopupMenuListaPopup();
    EXPECT_EQ(f->mnuListaVerDatos->text(), QStringLiteral("Ver datos"));
    EXPECT_FALSE(f->mnuListaVerDatos->isEnabled());
    EXPECT_FALSE(f->mnuListaEliminar->isEnabled());
    EXPECT_TRUE(f->mnuListaOrdenarPorGrupo->isEnabled());

    f->ListViewLista->SeleccionarFila(0);  // Ana, no first surname
    f->PopupMenuListaPopup();
    EXPECT_EQ(f->mnuListaVerDatos->text(), QStringLiteral("Ver datos de Ana "));
    EXPECT_TRUE(f->mnuListaEliminar->isEnabled());
    f->ListViewLista->SeleccionarFila(1);
    f->PopupMenuListaPopup();
    EXPECT_EQ(f->mnuListaVerDatos->text(), QStringLiteral("Ver datos de Berta Abril"));
}

TEST_F(Lista, OpeningAContactBringsTheEditorWithoutTheViewButtonSteps)
{
    TfrmBindelora* f = ConLibro();
    QTest::mouseClick(f->btnAvisal, Qt::LeftButton);
    QTest::mouseClick(f->btnLista, Qt::LeftButton);
    f->ListViewListaDblClick();  // nothing selected: nothing happens
    EXPECT_EQ(PanelDelante(), f->PanelLista);

    f->ListViewLista->SeleccionarFila(2);
    f->mnuListaVerDatos->trigger();
    EXPECT_EQ(PanelDelante(), f->PanelDatos);
    EXPECT_EQ(f->PibeActual, 2);
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Carlos"));
    EXPECT_FALSE(f->btnNuevo->isEnabled());
    EXPECT_FALSE(f->btnActualizar->isEnabled());
}

TEST_F(Lista, DeletingFromThePopupAsksFirst)
{
    TfrmBindelora* f = ConLibro();
    f->ListViewLista->SeleccionarFila(1);
    mensajes.siguienteRespuesta(RespuestaMensaje::Cancelar);
    f->mnuListaEliminar->trigger();
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].texto, QStringLiteral("Se dispone a eliminar a \"Berta Abril\"\r\r¿Está seguro?"));
    EXPECT_EQ(mensajes.cajas[0].titulo, QStringLiteral("Aviso de Eliminación"));
    EXPECT_EQ(f->ListaPibes.size(), 3u);
    EXPECT_EQ(PanelDelante(), f->PanelDatos);

    // The last one in the order: the one before it is shown.
    f->ListViewLista->SeleccionarFila(2);
    f->mnuListaEliminar->trigger();
    ASSERT_EQ(f->ListaPibes.size(), 2u);
    EXPECT_EQ(f->ListViewLista->NumFilas(), 2);
    EXPECT_EQ(f->PibeActual, 1);
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Berta"));
    EXPECT_FALSE(f->btnNext->isEnabled());
}

TEST_F(Lista, GrupoColumnLeavesRoomForTheScrollBarAfter21Rows)
{
    TfrmBindelora* f = ConLibro(18);  // 21 contacts
    EXPECT_EQ(f->ListViewLista->AnchoColumna(3), 520 - 125 - 135 - 135 - 4);
    Cerrar();
    f = ConLibro(19);  // 22 contacts
    EXPECT_EQ(f->ListViewLista->AnchoColumna(3), 520 - 125 - 135 - 135 - 4 - 16);
}

TEST_F(Lista, DraggedColumnBordersStayWithinBounds)
{
    TfrmBindelora* f = ConLibro();
    f->ListViewLista->horizontalHeader()->resizeSection(0, 400);
    EXPECT_EQ(f->ListViewLista->AnchoColumna(0), 150);
    f->ListViewLista->horizontalHeader()->resizeSection(1, 10);
    EXPECT_EQ(f->ListViewLista->AnchoColumna(1), 80);
    f->ListViewLista->horizontalHeader()->resizeSection(3, 2000);
    EXPECT_EQ(f->ListViewLista->AnchoColumna(3), 999);
}

TEST_F(Lista, ListsFieldsAndTheOrderingComboWearTheNormalColour)
{
    TfrmBindelora* f = ConLibro();
    const QColor normal(238, 238, 255);
    for (QWidget* w : std::initializer_list<QWidget*>{f->ListViewLista, f->ListViewAvisal, f->cbOrden, f->edtNombre,
                                                      f->MemoVarios, f->cbGrupo})
        EXPECT_EQ(w->palette().color(QPalette::Base), normal) << w->objectName().toStdString();
    EXPECT_EQ(f->cbOrden->toolTip(), QStringLiteral("Ordenación"));
    EXPECT_FALSE(f->cbOrden->isEditable());
}
