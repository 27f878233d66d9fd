#pragma once
// A report-style list: columns with least and greatest widths, rows of
// Windows-1252 texts (the first is the row's caption), single whole-row
// selection, and optionally rows kept in ascending order of their captions
// by the locale-aware comparison.
#include <QAbstractTableModel>
#include <QTableView>
#include <string>
#include <vector>

class ModeloFilas : public QAbstractTableModel {
    Q_OBJECT
    friend class TListView;

public:
    struct Fila {
        std::vector<std::string> textos;
        const void* dato = nullptr;  // what the row shows, for the caller to find it again
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    QStringList titulos;
    std::vector<Fila> filas;
    bool autoOrden = false;
    int enCarga = 0;

    // Returns, for each new position, the row's old position.
    std::vector<std::size_t> Ordenar();
    void FijarCaptions(const std::vector<std::string>& captions);
    // Where a row with this caption goes in an ordered list (after its equals).
    std::size_t PosicionOrdenada(const std::string& caption) const;
};

class TListView : public QTableView {
    Q_OBJECT
public:
    explicit TListView(QWidget* parent = nullptr);

    void setColumnas(const QStringList& titulos);
    void setLimitesColumna(int columna, int minimo, int maximo);
    void setAutoOrden(bool activo);

    int NumFilas() const { return static_cast<int>(modelo_->filas.size()); }
    const std::string& Texto(int fila, int columna) const { return modelo_->filas[fila].textos[columna]; }
    const void* Dato(int fila) const { return modelo_->filas[fila].dato; }

    void Vaciar();
    // Replaces every row at once (the list's refill).
    void ReemplazarFilas(std::vector<ModeloFilas::Fila> filas);
    // Returns the row's index (in an ordered list, where it landed).
    int AnadirFila(std::vector<std::string> textos, const void* dato = nullptr);
    // Setting the caption of an ordered list orders it again.
    void FijarTexto(int fila, int columna, const std::string& texto);
    void EliminarFila(int fila);
    // Sets every row's caption (one per row, in row order) and, in an ordered
    // list, orders it once. The selected row stays selected and no selection
    // notice is sent: the native list sends none when it sorts.
    void FijarCaptions(const std::vector<std::string>& captions);
    // One row at a given place of a list that does not order itself.
    void InsertarFila(int fila, std::vector<std::string> textos, const void* dato = nullptr);

    // Many additions in a row: an ordered list is ordered once, at the end.
    void IniciarCarga();
    void TerminarCarga();

    int FilaSeleccionada() const;  // -1 when none
    void SeleccionarFila(int fila);  // scrolls it into view, selects and focuses it

    int AnchoColumna(int c) const { return columnWidth(c); }
    void FijarAnchoColumna(int c, int ancho) { setColumnWidth(c, ancho); }

signals:
    void DobleClic();
    void ColumnaPulsada(int columna);
    void MenuPedido(const QPoint& global);

protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    // Home and End go to the first and last row, as in any list of rows.
    QModelIndex moveCursor(CursorAction accion, Qt::KeyboardModifiers modificadores) override;

private:
    void AjustarAncho(int columna, int ancho);
    ModeloFilas* modelo_;
    std::vector<std::pair<int, int>> limites_;
    bool ajustando_ = false;
};
