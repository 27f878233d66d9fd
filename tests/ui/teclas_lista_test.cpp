// Home and End in every report-style list of the program: the first and the
// last row, selected as an arrow key would, while Page Down keeps paging.
#include <QScrollBar>

#include "entorno.h"
#include "frmabout.h"
#include "frmsucesoshoy.h"
#include "qtexto.h"
#include "tlistview.h"

using namespace bindelora;

namespace {

class TeclasLista : public EntornoVentanas {
protected:
    // Today is 7 December 2026 (the fixture's clock).
    TfrmBindelora* ConCincuenta()
    {
        ListaPibes l;
        for (int i = 0; i < 50; ++i) {
            const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
            l.push_back(Pibe("Pibe" + n, "Ape" + n, "", "", Dia(1980, 1 + i % 12, 1 + i % 28)));
        }
        EscribirAgenda(l);
        std::string avs;
        for (int i = 0; i < 50; ++i) {
            char linea[64];
            std::snprintf(linea, sizeof linea, "%02d%02d2027Suceso %02d\r\n", 1 + i % 28, 1 + i % 12, i);
            avs += linea;
        }
        Escribir(Avs(), avs);
        return Iniciar();
    }

    static bool FilaALaVista(TListView* l, int fila)
    {
        // Columns may be 0 wide: only the row's place counts.
        const int y = l->rowViewportPosition(fila);
        return y + l->rowHeight(fila) > 0 && y < l->viewport()->height();
    }

    // The list takes the keys as the user presses them, starting mid-list.
    static void ComprobarInicioYFin(TListView* l, int filas)
    {
        ASSERT_EQ(l->NumFilas(), filas);
        l->window()->show();
        l->setFocus();
        l->SeleccionarFila(filas / 2);

        QTest::keyClick(l, Qt::Key_End);
        EXPECT_EQ(l->FilaSeleccionada(), filas - 1);
        EXPECT_EQ(l->currentIndex().row(), filas - 1);
        EXPECT_TRUE(FilaALaVista(l, filas - 1));
        EXPECT_EQ(l->selectionModel()->selectedRows().size(), 1);

        QTest::keyClick(l, Qt::Key_Home);
        EXPECT_EQ(l->FilaSeleccionada(), 0);
        EXPECT_TRUE(FilaALaVista(l, 0));
        EXPECT_EQ(l->verticalScrollBar()->value(), 0);

        // Page Down pages, it does not jump to the end.
        QTest::keyClick(l, Qt::Key_PageDown);
        const int pagina = l->FilaSeleccionada();
        EXPECT_GT(pagina, 1);
        EXPECT_LT(pagina, filas - 1);
        QTest::keyClick(l, Qt::Key_PageUp);
        EXPECT_EQ(l->FilaSeleccionada(), 0);
    }
};

}  // namespace

TEST_F(TeclasLista, LaListaDeContactos)
{
    TfrmBindelora* f = ConCincuenta();
    EXPECT_EQ(PanelDelante(), f->PanelLista);
    ComprobarInicioYFin(f->ListViewLista, 50);
    EXPECT_EQ(f->ListViewLista->Texto(0, 0), "Pibe00");
}

TEST_F(TeclasLista, LaListaDeCumples)
{
    TfrmBindelora* f = ConCincuenta();
    QTest::mouseClick(f->btnCumples, Qt::LeftButton);
    ComprobarInicioYFin(f->ListViewCumples, 50);
}

TEST_F(TeclasLista, LaListaDeAvisalCargaLaFilaEnElEditor)
{
    TfrmBindelora* f = ConCincuenta();
    QTest::mouseClick(f->btnAvisal, Qt::LeftButton);
    TListView* l = f->ListViewAvisal;
    const int filas = l->NumFilas();
    ASSERT_GE(filas, 50);  // the birthdays of the book are entries too
    l->setFocus();
    l->SeleccionarFila(filas / 2);

    // The selection handler loads the row, as an arrow key's change does.
    QTest::keyClick(l, Qt::Key_End);
    EXPECT_EQ(l->FilaSeleccionada(), filas - 1);
    EXPECT_EQ(f->edtAvisalTexto->text(), aQ(l->Texto(filas - 1, 6)));
    EXPECT_EQ(f->edtAvisalDia->text(), aQ(l->Texto(filas - 1, 1)));
    QTest::keyClick(l, Qt::Key_Home);
    EXPECT_EQ(l->FilaSeleccionada(), 0);
    EXPECT_EQ(f->edtAvisalTexto->text(), aQ(l->Texto(0, 6)));
    EXPECT_TRUE(f->btnAvisalEliminar->isEnabled());

    ComprobarInicioYFin(l, filas);
}

TEST_F(TeclasLista, LaListaDeSucesosParaHoy)
{
    std::string avs;
    for (int i = 0; i < 50; ++i) avs += "07122026Hoy " + std::string(i < 10 ? "0" : "") + std::to_string(i) + "\r\n";
    Escribir(Avs(), avs);
    TfrmBindelora* f = Iniciar();
    f->Config.MostrarSucesosParaHoy = "SIEMPRE";
    f->Config.ReproducirWAVSucesosParaHoy = false;
    f->MostrarSucesosHoy();
    ComprobarInicioYFin(frmSucesosHoy->ListView, 50);
    EXPECT_EQ(frmSucesosHoy->ListView->Texto(49, 0), "Hoy 49");
    frmSucesosHoy->hide();
}

TEST_F(TeclasLista, LaListaAcercaDe)
{
    Iniciar();
    ComprobarInicioYFin(frmAbout->ListView, frmAbout->ListView->NumFilas());
    frmAbout->hide();
}

TEST_F(TeclasLista, UnaListaVaciaNoSeleccionaNada)
{
    TListView l;
    l.setColumnas({QStringLiteral("A"), QStringLiteral("B")});
    l.show();
    QTest::keyClick(&l, Qt::Key_End);
    QTest::keyClick(&l, Qt::Key_Home);
    EXPECT_EQ(l.FilaSeleccionada(), -1);
}
