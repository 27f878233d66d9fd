// The Lista view: the whole address book in the current ordering.
#include <QMenu>

#include "colores.h"
#include "frmbindelora.h"
#include "qtexto.h"

using namespace bindelora;

void TfrmBindelora::PrepararListas()
{
    ListViewLista->setColumnas({QStringLiteral("Nombre"), QStringLiteral("Apellido 1"), QStringLiteral("Apellido 2"),
                                QStringLiteral("Grupo")});
    ListViewLista->FijarAnchoColumna(0, 125);
    ListViewLista->FijarAnchoColumna(1, 135);
    ListViewLista->FijarAnchoColumna(2, 135);
    ListViewLista->FijarAnchoColumna(3, 120);
    ListViewLista->setLimitesColumna(0, 80, 150);
    ListViewLista->setLimitesColumna(1, 80, 150);
    ListViewLista->setLimitesColumna(2, 80, 150);
    ListViewLista->setLimitesColumna(3, 80, 999);

    ListViewAvisal->setColumnas({QStringLiteral("FALTA"), QStringLiteral("DIA"), QStringLiteral("MES"),
                                 QStringLiteral("ANO"), QStringLiteral("MESREAL"), QStringLiteral("Fecha:"),
                                 QStringLiteral("Texto:")});
    ListViewAvisal->setAutoOrden(true);
    AjustarColumnasAvisal();

    cbOrden->addItems({QStringLiteral("Nombre"), QStringLiteral("Apellido 1"), QStringLiteral("Apellido 2"),
                       QStringLiteral("Grupo")});
    Pintar(cbOrden, kColorNormal);
    PrepararCumples();
}

void TfrmBindelora::PrepararMenus()
{
    PopupMenuLista = new QMenu(this);
    PopupMenuLista->setObjectName(QStringLiteral("PopupMenuLista"));
    auto accion = [this](const char* nombre, const QString& texto) {
        QAction* a = PopupMenuLista->addAction(texto);
        a->setObjectName(QString::fromLatin1(nombre));
        return a;
    };
    mnuListaVerDatos = accion("mnuListaVerDatos", QStringLiteral("&Ver datos de xxx"));
    mnuListaEliminar = accion("mnuListaEliminar", QStringLiteral("&Eliminar entrada"));
    mnuListaSep1 = PopupMenuLista->addSeparator();
    mnuListaSep1->setObjectName(QStringLiteral("mnuListaSep1"));
    mnuListaOrdenarPorNombre = accion("mnuListaOrdenarPorNombre", QStringLiteral("Ordenar por &Nombre"));
    mnuListaOrdenarPorApe1 = accion("mnuListaOrdenarPorApe1", QStringLiteral("Ordenar por Apellido &1"));
    mnuListaOrdenarPorApe2 = accion("mnuListaOrdenarPorApe2", QStringLiteral("Ordenar por Apellido &2"));
    mnuListaOrdenarPorGrupo = accion("mnuListaOrdenarPorGrupo", QStringLiteral("Ordenar por &Grupo"));

    connect(PopupMenuLista, &QMenu::aboutToShow, this, &TfrmBindelora::PopupMenuListaPopup);
    connect(mnuListaVerDatos, &QAction::triggered, this, &TfrmBindelora::mnuListaVerDatosClick);
    connect(mnuListaEliminar, &QAction::triggered, this, &TfrmBindelora::mnuListaEliminarClick);
    connect(mnuListaOrdenarPorNombre, &QAction::triggered, this, &TfrmBindelora::mnuListaOrdenarPorNombreClick);
    connect(mnuListaOrdenarPorApe1, &QAction::triggered, this, &TfrmBindelora::mnuListaOrdenarPorApe1Click);
    connect(mnuListaOrdenarPorApe2, &QAction::triggered, this, &TfrmBindelora::mnuListaOrdenarPorApe2Click);
    connect(mnuListaOrdenarPorGrupo, &QAction::triggered, this, &TfrmBindelora::mnuListaOrdenarPorGrupoClick);
    connect(ListViewLista, &TListView::MenuPedido, PopupMenuLista, [this](const QPoint& p) { PopupMenuLista->popup(p); });
}

void TfrmBindelora::RellenarLista()
{
    std::vector<ModeloFilas::Fila> filas;
    filas.reserve(ListaPibes.size());
    for (const auto& p : ListaPibes) filas.push_back({{p->Nombre, p->Ape1, p->Ape2, p->Grupo}, p.get()});
    ListViewLista->ReemplazarFilas(std::move(filas));
    AjustarColumnaGrupo();
}

void TfrmBindelora::AjustarColumnaGrupo()
{
    int grupo = ListViewLista->width() - ListViewLista->AnchoColumna(0) - ListViewLista->AnchoColumna(1) -
                ListViewLista->AnchoColumna(2) - 4;
    // Room for the vertical scroll bar once the rows no longer fit.
    if (ListViewLista->NumFilas() > 21) grupo -= 16;
    ListViewLista->FijarAnchoColumna(3, grupo);
}

void TfrmBindelora::ListViewListaDblClick()
{
    const int fila = ListViewLista->FilaSeleccionada();
    if (fila < 0) return;
    PibeActual = fila;
    MostrarPibe(PibeActual);
    ActualizarNavegacion();
    ColorearDatos(ModoDatos::Normal);
    if (btnEliminar->text() == QStringLiteral("&Cancelar")) btnEliminarClick();
    PanelDatos->raise();
}

void TfrmBindelora::ListViewListaColumnClick(int columna)
{
    static const char* const kTitulos[] = {"Nombre", "Apellido 1", "Apellido 2", "Grupo"};
    if (columna < 0 || columna > 3) return;
    if (OrdenActual != kTitulos[columna]) {
        OrdenActual = kTitulos[columna];
        OrdenarAgenda();
    }
}

void TfrmBindelora::cbOrdenClick()
{
    const std::string texto = deQ(cbOrden->currentText());
    if (texto != OrdenActual) {
        OrdenActual = texto;
        OrdenarAgenda();
    }
}

void TfrmBindelora::PopupMenuListaPopup()
{
    const int fila = ListViewLista->FilaSeleccionada();
    if (fila >= 0)
        mnuListaVerDatos->setText(QStringLiteral("Ver datos de ") + aQ(ListViewLista->Texto(fila, 0)) +
                                  QLatin1Char(' ') + aQ(ListViewLista->Texto(fila, 1)));
    else
        mnuListaVerDatos->setText(QStringLiteral("Ver datos"));
    mnuListaVerDatos->setEnabled(fila >= 0);
    mnuListaEliminar->setEnabled(fila >= 0);
}

void TfrmBindelora::mnuListaVerDatosClick()
{
    ListViewListaDblClick();
}

void TfrmBindelora::mnuListaEliminarClick()
{
    // Without a selected row the current contact is not the one meant.
    if (ListViewLista->FilaSeleccionada() < 0) return;
    ListViewListaDblClick();
    btnEliminarClick();
}

void TfrmBindelora::mnuListaOrdenarPorNombreClick() { ListViewListaColumnClick(0); }
void TfrmBindelora::mnuListaOrdenarPorApe1Click() { ListViewListaColumnClick(1); }
void TfrmBindelora::mnuListaOrdenarPorApe2Click() { ListViewListaColumnClick(2); }
void TfrmBindelora::mnuListaOrdenarPorGrupoClick() { ListViewListaColumnClick(3); }
