#include "tlistview.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <algorithm>
#include <unordered_map>

#include "colores.h"
#include "platform/comparador.h"
#include "qtexto.h"

using namespace bindelora;

int ModeloFilas::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(filas.size());
}

int ModeloFilas::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(titulos.size());
}

QVariant ModeloFilas::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const auto& t = filas[static_cast<std::size_t>(index.row())].textos;
    auto c = static_cast<std::size_t>(index.column());
    return c < t.size() ? aQ(t[c]) : QString();
}

QVariant ModeloFilas::headerData(int section, Qt::Orientation o, int role) const
{
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section < titulos.size()) return titulos[section];
    return {};
}

std::vector<std::size_t> ModeloFilas::Ordenar()
{
    // Captions repeat a lot (days-until keys), so each distinct one is keyed once.
    std::unordered_map<std::string, QCollatorSortKey> claves;
    std::vector<const QCollatorSortKey*> clave(filas.size());
    for (std::size_t i = 0; i < filas.size(); ++i) {
        const std::string& cap = filas[i].textos.empty() ? std::string() : filas[i].textos[0];
        auto it = claves.find(cap);
        if (it == claves.end()) it = claves.emplace(cap, ClaveLocal(aQ(cap))).first;
        clave[i] = &it->second;
    }
    std::vector<std::size_t> idx(filas.size());
    for (std::size_t i = 0; i < idx.size(); ++i) idx[i] = i;
    std::stable_sort(idx.begin(), idx.end(),
                     [&](std::size_t a, std::size_t b) { return clave[a]->compare(*clave[b]) < 0; });
    std::vector<Fila> nuevas;
    nuevas.reserve(filas.size());
    for (std::size_t i : idx) nuevas.push_back(std::move(filas[i]));
    filas = std::move(nuevas);
    return idx;
}

void ModeloFilas::FijarCaptions(const std::vector<std::string>& captions)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    for (std::size_t i = 0; i < filas.size() && i < captions.size(); ++i) {
        auto& t = filas[i].textos;
        if (t.empty()) t.resize(1);
        t[0] = captions[i];
    }
    if (autoOrden) {
        const std::vector<std::size_t> antes = Ordenar();
        std::vector<int> nueva(antes.size());
        for (std::size_t i = 0; i < antes.size(); ++i) nueva[antes[i]] = static_cast<int>(i);
        const QModelIndexList viejos = persistentIndexList();
        QModelIndexList nuevos;
        nuevos.reserve(viejos.size());
        for (const QModelIndex& v : viejos)
            nuevos.append(index(nueva[static_cast<std::size_t>(v.row())], v.column()));
        changePersistentIndexList(viejos, nuevos);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::size_t ModeloFilas::PosicionOrdenada(const std::string& caption) const
{
    const QString q = aQ(caption);
    std::size_t lo = 0, hi = filas.size();
    while (lo < hi) {
        std::size_t mid = (lo + hi) / 2;
        const std::string& otra = filas[mid].textos.empty() ? std::string() : filas[mid].textos[0];
        if (CompararLocal(q, aQ(otra)) < 0) hi = mid;
        else lo = mid + 1;
    }
    return lo;
}

TListView::TListView(QWidget* parent) : QTableView(parent), modelo_(new ModeloFilas(this))
{
    setModel(modelo_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette p = palette();
    p.setColor(QPalette::Base, kColorNormal);
    // The selection stays visible when the list has no focus.
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);

    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &TListView::ColumnaPulsada);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int c, int, int nuevo) { AjustarAncho(c, nuevo); });
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { emit MenuPedido(viewport()->mapToGlobal(p)); });
}

void TListView::setColumnas(const QStringList& titulos)
{
    modelo_->beginResetModel();
    modelo_->titulos = titulos;
    modelo_->endResetModel();
    limites_.assign(static_cast<std::size_t>(titulos.size()), {0, 1 << 20});
}

void TListView::setLimitesColumna(int columna, int minimo, int maximo)
{
    limites_.at(static_cast<std::size_t>(columna)) = {minimo, maximo};
}

void TListView::setAutoOrden(bool activo)
{
    modelo_->autoOrden = activo;
}

void TListView::AjustarAncho(int columna, int ancho)
{
    // Dragging a border stays within the column's bounds.
    if (ajustando_ || columna < 0 || static_cast<std::size_t>(columna) >= limites_.size()) return;
    auto [minimo, maximo] = limites_[static_cast<std::size_t>(columna)];
    int corregido = std::clamp(ancho, minimo, maximo);
    if (corregido != ancho) {
        ajustando_ = true;
        horizontalHeader()->resizeSection(columna, corregido);
        ajustando_ = false;
    }
}

void TListView::Vaciar()
{
    modelo_->beginResetModel();
    modelo_->filas.clear();
    modelo_->endResetModel();
}

void TListView::ReemplazarFilas(std::vector<ModeloFilas::Fila> filas)
{
    modelo_->beginResetModel();
    modelo_->filas = std::move(filas);
    if (modelo_->autoOrden) modelo_->Ordenar();
    modelo_->endResetModel();
}

int TListView::AnadirFila(std::vector<std::string> textos, const void* dato)
{
    auto& filas = modelo_->filas;
    if (modelo_->enCarga > 0 || !modelo_->autoOrden) {
        if (modelo_->enCarga == 0)
            modelo_->beginInsertRows({}, static_cast<int>(filas.size()), static_cast<int>(filas.size()));
        filas.push_back({std::move(textos), dato});
        if (modelo_->enCarga == 0) modelo_->endInsertRows();
        return static_cast<int>(filas.size()) - 1;
    }
    const std::size_t pos = modelo_->PosicionOrdenada(textos.empty() ? std::string() : textos[0]);
    modelo_->beginInsertRows({}, static_cast<int>(pos), static_cast<int>(pos));
    filas.insert(filas.begin() + static_cast<std::ptrdiff_t>(pos), {std::move(textos), dato});
    modelo_->endInsertRows();
    return static_cast<int>(pos);
}

void TListView::FijarTexto(int fila, int columna, const std::string& texto)
{
    auto& filas = modelo_->filas;
    auto& celdas = filas.at(static_cast<std::size_t>(fila)).textos;
    if (celdas.size() <= static_cast<std::size_t>(columna)) celdas.resize(static_cast<std::size_t>(columna) + 1);
    celdas[static_cast<std::size_t>(columna)] = texto;
    if (columna == 0 && modelo_->autoOrden && modelo_->enCarga == 0) {
        // The row moves to its place; the selection follows the row it was on.
        int sel = FilaSeleccionada();
        ModeloFilas::Fila movida = std::move(filas[static_cast<std::size_t>(fila)]);
        modelo_->beginResetModel();
        filas.erase(filas.begin() + fila);
        const int pos = static_cast<int>(modelo_->PosicionOrdenada(movida.textos[0]));
        filas.insert(filas.begin() + pos, std::move(movida));
        modelo_->endResetModel();
        if (sel == fila) sel = pos;
        else if (sel >= 0) {
            if (sel > fila) --sel;
            if (sel >= pos) ++sel;
        }
        if (sel >= 0) selectionModel()->setCurrentIndex(modelo_->index(sel, 0),
                                                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return;
    }
    const QModelIndex i = modelo_->index(fila, columna);
    emit modelo_->dataChanged(i, i);
}

void TListView::FijarCaptions(const std::vector<std::string>& captions)
{
    const QSignalBlocker sinAvisos(selectionModel());
    modelo_->FijarCaptions(captions);
    viewport()->update();
}

void TListView::EliminarFila(int fila)
{
    modelo_->beginRemoveRows({}, fila, fila);
    modelo_->filas.erase(modelo_->filas.begin() + fila);
    modelo_->endRemoveRows();
}

void TListView::InsertarFila(int fila, std::vector<std::string> textos, const void* dato)
{
    auto& filas = modelo_->filas;
    modelo_->beginInsertRows({}, fila, fila);
    filas.insert(filas.begin() + fila, {std::move(textos), dato});
    modelo_->endInsertRows();
}

void TListView::IniciarCarga()
{
    if (modelo_->enCarga++ == 0) modelo_->beginResetModel();
}

void TListView::TerminarCarga()
{
    if (modelo_->enCarga == 0 || --modelo_->enCarga > 0) return;
    if (modelo_->autoOrden) modelo_->Ordenar();
    modelo_->endResetModel();
}

int TListView::FilaSeleccionada() const
{
    // With single selection the first selected row is the selected row.
    const QModelIndexList sel = selectionModel()->selectedRows();
    int primera = -1;
    for (const QModelIndex& i : sel)
        if (primera < 0 || i.row() < primera) primera = i.row();
    return primera;
}

void TListView::SeleccionarFila(int fila)
{
    const QModelIndex i = modelo_->index(fila, 0);
    scrollTo(i, QAbstractItemView::EnsureVisible);
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    viewport()->update();
}

void TListView::mouseDoubleClickEvent(QMouseEvent* e)
{
    QTableView::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton) emit DobleClic();
}

QModelIndex TListView::moveCursor(CursorAction accion, Qt::KeyboardModifiers modificadores)
{
    // A table would go to the first or last column, which in these lists is
    // often one of width 0: the row would not change.
    if (accion != MoveHome && accion != MoveEnd) return QTableView::moveCursor(accion, modificadores);
    if (NumFilas() == 0) return {};
    const int columna = std::max(currentIndex().column(), 0);
    return modelo_->index(accion == MoveHome ? 0 : NumFilas() - 1, columna);
}
