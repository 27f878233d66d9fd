// The events at the window: the rows of ListViewAvisal, the events file
// across runs and the birthday entries.
#include "core/texto.h"
#include "entorno.h"
#include "tlistview.h"

using namespace bindelora;

namespace {

class AvisalVentana : public EntornoVentanas {};

std::vector<std::string> Columna(const TListView* l, int c)
{
    std::vector<std::string> r;
    for (int i = 0; i < l->NumFilas(); ++i) r.push_back(l->Texto(i, c));
    return r;
}

}  // namespace

TEST_F(AvisalVentana, RowsAreOrderedByNearnessAndPastEntriesDropped)
{
    // Today is 7 December 2026.
    Escribir(Avs(),
             "06122026Ayer\r\n"
             "07122026Hoy\r\n"
             "10002026Mensual de este ano\r\n"
             "10002027Mensual\r\n"
             "01012027Ano nuevo\r\n");
    TfrmBindelora* f = Iniciar();
    ASSERT_FALSE(programa->Terminado());
    TListView* l = f->ListViewAvisal;
    ASSERT_EQ(l->NumFilas(), 14);
    EXPECT_EQ(l->Texto(0, ColFalta), "000");
    EXPECT_EQ(l->Texto(0, ColTexto), "Hoy");
    const auto faltas = Columna(l, ColFalta);
    EXPECT_TRUE(std::is_sorted(faltas.begin(), faltas.end()));
    // The monthly entry's twelve rows: every month once, MES "0" on all.
    std::vector<std::string> fechas;
    for (int i = 0; i < l->NumFilas(); ++i)
        if (l->Texto(i, ColTexto) == "Mensual") {
            EXPECT_EQ(l->Texto(i, ColMes), "0");
            fechas.push_back(l->Texto(i, ColFecha));
        }
    std::sort(fechas.begin(), fechas.end());
    EXPECT_EQ(fechas, (std::vector<std::string>{"10-Abr", "10-Ago", "10-Dic", "10-Ene", "10-Feb", "10-Jul", "10-Jun",
                                                "10-Mar", "10-May", "10-Nov", "10-Oct", "10-Sep"}));
    Cerrar();
    // Dropped entries are missing from the file after the save.
    EXPECT_EQ(Leer(Avs()), "07122026Hoy\r\n10002027Mensual\r\n01012027Ano nuevo\r\n");
}

TEST_F(AvisalVentana, TextoColumnNarrowsForTheScrollBarAfter13Rows)
{
    std::string datos;
    for (int i = 0; i < 13; ++i) datos += "15062030Fila " + std::to_string(i) + "\r\n";
    Escribir(Avs(), datos);
    TfrmBindelora* f = Iniciar();
    EXPECT_EQ(f->ListViewAvisal->AnchoColumna(ColTexto), 329 - 51);
    EXPECT_EQ(f->ListViewAvisal->AnchoColumna(ColFecha), 47);
    EXPECT_EQ(f->ListViewAvisal->AnchoColumna(ColFalta), 0);
    EXPECT_EQ(f->ListViewAvisal->AnchoColumna(ColMesReal), 0);
    TAvisal extra{16, 6, 2030, "Otra"};
    f->InsertarFilasAvisal(&extra, false);
    EXPECT_EQ(f->ListViewAvisal->AnchoColumna(ColTexto), 329 - 51 - 16);
    f->ListViewAvisal->Vaciar();  // the row points at a local entry
}

TEST_F(AvisalVentana, BirthdaysAreEnteredOnceInTheLifeOfTheData)
{
    ListaPibes l;
    l.push_back(Pibe("Pepe", "Ruiz", "", "", Dia(1980, 6, 5)));
    l.push_back(Pibe("Pepe", "Ruiz", "Otro", "", Dia(1991, 6, 5)));
    l.push_back(Pibe("Sin", "Cumple"));
    EscribirAgenda(l);
    TfrmBindelora* f = Iniciar();
    EXPECT_EQ(f->ListaAvisal.size(), 1u);
    ASSERT_EQ(f->ListViewAvisal->NumFilas(), 1);
    EXPECT_EQ(f->ListViewAvisal->Texto(0, ColTexto), "Cumplea\xF1os de Pepe Ruiz");
    Cerrar();
    EXPECT_EQ(Leer(Avs()), "05069999Cumplea\xF1os de Pepe Ruiz\r\n");
    const std::string agenda = Leer(Dat());
    EXPECT_NE(agenda.find("NOM:Pepe\r\nAP1:Ruiz\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\nCUM:29377\r\nAVS:1"),
              std::string::npos);

    // The user deletes the entry: it does not come back at the next start.
    Escribir(Avs(), "");
    f = Iniciar();
    EXPECT_TRUE(f->ListaAvisal.empty());
}

TEST_F(AvisalVentana, FailedRecoveryIsReportedAndKeepsTheList)
{
    Escribir(Avs(), "01012030Uno\r\n02022030Dos\r\n");
    TfrmBindelora* f = Iniciar();
    ASSERT_EQ(f->ListaAvisal.size(), 2u);
    Escribir(Avs(), "03032030Tres\r\n99\r\n");
    f->RecuperarAvisal();
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].titulo, QStringLiteral("Error chungo"));
    EXPECT_FALSE(programa->Terminado());
    ASSERT_EQ(f->ListaAvisal.size(), 2u);
    EXPECT_EQ(f->ListViewAvisal->NumFilas(), 2);

    // A good file replaces list and rows; a vanished one is created empty.
    Escribir(Avs(), "03032030Tres\r\n");
    f->RecuperarAvisal();
    ASSERT_EQ(f->ListaAvisal.size(), 1u);
    EXPECT_EQ(f->ListViewAvisal->Texto(0, ColTexto), "Tres");
    std::remove(Avs().c_str());
    f->RecuperarAvisal();
    EXPECT_EQ(f->ListaAvisal.size(), 1u);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(Avs())));
}

TEST(ListaOrdenada, CaptionsFollowTheSpanishCaseSensitiveOrder)
{
    TListView l;
    l.setColumnas({QStringLiteral("FALTA")});
    l.setAutoOrden(true);
    l.IniciarCarga();
    for (const char* c : {"b", "\xD1" "A", "NA", "OA", "A", "a", "\xE1", "10", "9"}) l.AnadirFila({c});
    l.TerminarCarga();
    // One at a time after the load lands in the same order.
    l.AnadirFila({"B"});
    l.AnadirFila({"0"});
    EXPECT_EQ(Columna(&l, 0), (std::vector<std::string>{"0", "10", "9", "a", "A", "\xE1", "b", "B", "NA", "\xD1" "A", "OA"}));
    // Setting a caption moves its row to its place and keeps it selected.
    l.SeleccionarFila(0);
    l.FijarTexto(0, 0, "Z");
    EXPECT_EQ(l.Texto(l.NumFilas() - 1, 0), "Z");
    EXPECT_EQ(l.FilaSeleccionada(), l.NumFilas() - 1);
}

TEST_F(AvisalVentana, AddingWithSelectionPicksTheRowOfTheShownMonth)
{
    TfrmBindelora* f = Iniciar();
    f->MesMostrado = 3;
    f->ListaAvisal.push_back(std::make_unique<TAvisal>(TAvisal{20, 0, 2030, "Mensual"}));
    f->InsertarFilasAvisal(f->ListaAvisal.back().get(), true);
    int fila = f->ListViewAvisal->FilaSeleccionada();
    ASSERT_GE(fila, 0);
    EXPECT_EQ(f->ListViewAvisal->Texto(fila, ColMesReal), "3");
    EXPECT_EQ(f->ListViewAvisal->Texto(fila, ColFecha), "20-Mar");

    f->ListaAvisal.push_back(std::make_unique<TAvisal>(TAvisal{2, 8, 2030, "Fechada"}));
    f->InsertarFilasAvisal(f->ListaAvisal.back().get(), true);
    fila = f->ListViewAvisal->FilaSeleccionada();
    ASSERT_GE(fila, 0);
    EXPECT_EQ(f->ListViewAvisal->Texto(fila, ColTexto), "Fechada");
    EXPECT_EQ(f->ListViewAvisal->NumFilas(), 13);
}
