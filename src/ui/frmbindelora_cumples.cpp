// The Cumples view: who has the next birthday and the age they reach.
#include <QStyledItemDelegate>

#include "core/cumples.h"
#include "frmbindelora.h"
#include "platform/reloj.h"

using namespace bindelora;

namespace {

// "Fecha:" and "Años:" are centred.
class DelegadoCentrado : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* o, const QModelIndex& i) const override
    {
        QStyledItemDelegate::initStyleOption(o, i);
        o->displayAlignment = Qt::AlignHCenter | Qt::AlignVCenter;
    }
};

}  // namespace

void TfrmBindelora::PrepararCumples()
{
    ListViewCumples->setColumnas({QStringLiteral("Faltan"), QStringLiteral("Pos"), QStringLiteral("Fecha:"),
                                  QStringLiteral("Años:"), QStringLiteral("Nombre:"), QStringLiteral("Grupo:")});
    ListViewCumples->setAutoOrden(true);
    ListViewCumples->setLimitesColumna(ColFaltan, 0, 0);
    ListViewCumples->setLimitesColumna(ColPos, 0, 0);
    ListViewCumples->setLimitesColumna(ColFechaCumple, 50, 50);
    ListViewCumples->setLimitesColumna(ColAnos, 40, 40);
    ListViewCumples->setLimitesColumna(ColNombre, 260, 1 << 20);
    ListViewCumples->setLimitesColumna(ColGrupo, 90, 90);
    auto* centrado = new DelegadoCentrado(ListViewCumples);
    ListViewCumples->setItemDelegateForColumn(ColFechaCumple, centrado);
    ListViewCumples->setItemDelegateForColumn(ColAnos, centrado);
    // The list has no popup menu and its column titles sort nothing.
    ListViewCumples->setContextMenuPolicy(Qt::NoContextMenu);
    connect(ListViewCumples, &TListView::DobleClic, this, &TfrmBindelora::ListViewCumplesDblClick);
}

void TfrmBindelora::RellenarCumples()
{
    std::vector<FilaCumple> cumples = FilasCumples(ListaPibes, Reloj::instancia().Hoy());
    std::vector<ModeloFilas::Fila> filas;
    filas.reserve(cumples.size());
    for (FilaCumple& c : cumples) filas.push_back({std::move(c.textos), c.pibe});
    ListViewCumples->ReemplazarFilas(std::move(filas));

    ListViewCumples->FijarAnchoColumna(ColFaltan, 0);
    ListViewCumples->FijarAnchoColumna(ColPos, 0);
    ListViewCumples->FijarAnchoColumna(ColFechaCumple, 50);
    ListViewCumples->FijarAnchoColumna(ColAnos, 40);
    int nombre = ListViewCumples->width() - 184;
    // Room for the vertical scroll bar once the rows no longer fit.
    if (ListViewCumples->NumFilas() > 21) nombre -= 16;
    ListViewCumples->FijarAnchoColumna(ColNombre, nombre);
    ListViewCumples->FijarAnchoColumna(ColGrupo, 90);
}

void TfrmBindelora::ListViewCumplesDblClick()
{
    const int fila = ListViewCumples->FilaSeleccionada();
    if (fila < 0) return;
    // The rows are a snapshot: the contact is found again by identity, and
    // a row whose contact has gone since opens nothing.
    const void* pibe = ListViewCumples->Dato(fila);
    for (std::size_t i = 0; i < ListaPibes.size(); ++i) {
        if (ListaPibes[i].get() != pibe) continue;
        PibeActual = static_cast<int>(i);
        MostrarPibe(PibeActual);
        PanelDatos->raise();
        return;
    }
}

void TfrmBindelora::btnCumplesClick()
{
    RellenarCumples();
    PanelCumples->raise();
}
