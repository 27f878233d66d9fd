// The Avisal view's events list and its editor: selecting, adding, changing
// and deleting entries, the two orderings, and the view's activation.
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <algorithm>
#include <functional>
#include <limits>
#include <optional>
#include <utility>

#include "colores.h"
#include "core/calendario.h"
#include "core/texto.h"
#include "frmbindelora.h"
#include "platform/mensajes.h"
#include "platform/reloj.h"
#include "qtexto.h"

using namespace bindelora;

namespace {

const QString kNuevo = QStringLiteral("&Nuevo");
const QString kAnadir = QStringLiteral("Aña&dir");
const QString kEliminar = QStringLiteral("&Eliminar");
const QString kCancelar = QStringLiteral("&Cancelar");

// Hands the character keys of one edit to its key filter, as the edit's own
// key-press event: Backspace, Enter and Escape as their control characters,
// other keys by their text. Keys without a character (arrows, Delete, Tab)
// pass untouched.
class FiltroTecla : public QObject {
public:
    using Manejador = std::function<void(char&)>;
    FiltroTecla(QObject* dueno, Manejador m) : QObject(dueno), manejador_(std::move(m)) {}

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress) return QObject::eventFilter(o, e);
        auto* k = static_cast<QKeyEvent*>(e);
        char tecla = 0;
        switch (k->key()) {
        case Qt::Key_Backspace: tecla = '\b'; break;
        case Qt::Key_Return:
        case Qt::Key_Enter: tecla = '\r'; break;
        case Qt::Key_Escape: tecla = 27; break;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return false;
        default: {
            const QString t = k->text();
            if (t.size() != 1) return false;
            const std::string c = deQ(t);
            if (c.size() != 1) return false;
            tecla = c[0];
        }
        }
        manejador_(tecla);
        return tecla == 0;  // a discarded key never reaches the edit
    }

private:
    Manejador manejador_;
};

// The entry a row shows, read back from its columns.
TAvisal AvisalDeFila(const TListView* l, int fila)
{
    TAvisal a;
    TextoAEntero(l->Texto(fila, ColDia), a.Dia);
    TextoAEntero(l->Texto(fila, ColMes), a.Mes);
    TextoAEntero(l->Texto(fila, ColAno), a.Ano);
    a.Texto = l->Texto(fila, ColTexto);
    return a;
}

bool Iguales(const TAvisal& a, const TAvisal& b)
{
    return a.Dia == b.Dia && a.Mes == b.Mes && a.Ano == b.Ano && a.Texto == b.Texto;
}

}  // namespace

void TfrmBindelora::ConectarAvisal()
{
    PrepararMenuAvisal();
    connect(btnAvisalNuevo, &QPushButton::clicked, this, &TfrmBindelora::btnAvisalNuevoClick);
    connect(btnAvisalEliminar, &QPushButton::clicked, this, &TfrmBindelora::btnAvisalEliminarClick);
    connect(btnAvisalActualizar, &QPushButton::clicked, this, &TfrmBindelora::btnAvisalActualizarClick);
    connect(ListViewAvisal->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmBindelora::ListViewAvisalSelectItem);
    connect(ListViewAvisal, &TListView::ColumnaPulsada, this, &TfrmBindelora::ListViewAvisalColumnClick);
    connect(ListViewAvisal, &TListView::MenuPedido, PopupMenuAvisal,
            [this](const QPoint& p) { PopupMenuAvisal->popup(p); });

    auto filtro = [this](QLineEdit* campo, void (TfrmBindelora::*manejador)(char&)) {
        campo->installEventFilter(new FiltroTecla(campo, [this, manejador](char& t) { (this->*manejador)(t); }));
    };
    filtro(edtAvisalDia, &TfrmBindelora::edtAvisalDiaKeyPress);
    filtro(edtAvisalMes, &TfrmBindelora::edtAvisalMesKeyPress);
    filtro(edtAvisalAno, &TfrmBindelora::edtAvisalAnoKeyPress);
    filtro(edtAvisalTexto, &TfrmBindelora::edtAvisalTextoKeyPress);

    // Leaving the view forgets a replacement that a refused update left pending.
    for (QPushButton* b : {btnLista, btnDatos, btnCumples, btnBuscar})
        connect(b, &QPushButton::clicked, this, [this] { reemplazoAvisal_.reset(); });

    // Tab order of the editor: the list, the date, the text, the buttons.
    setTabOrder(ListViewAvisal, edtAvisalDia);
    setTabOrder(edtAvisalDia, edtAvisalMes);
    setTabOrder(edtAvisalMes, edtAvisalAno);
    setTabOrder(edtAvisalAno, edtAvisalTexto);
    setTabOrder(edtAvisalTexto, btnAvisalNuevo);
    setTabOrder(btnAvisalNuevo, btnAvisalEliminar);
    setTabOrder(btnAvisalEliminar, btnAvisalActualizar);
    ImageNewAvisal = new QLabel(PanelAvisal);
    ImageNewAvisal->setObjectName(QStringLiteral("ImageNewAvisal"));
    ImageNewAvisal->setPixmap(QPixmap(QStringLiteral(":/img/newavisal.svg")));
    ImageNewAvisal->move(327, 286);
    ImageNewAvisal->resize(ImageNewAvisal->sizeHint());
    ImageNewAvisal->setAttribute(Qt::WA_TransparentForMouseEvents);

    // Enter on a focused button presses it, as on the desktop this imitates;
    // the text field has no length limit.
    for (QPushButton* b : {btnAvisalNuevo, btnAvisalEliminar, btnAvisalActualizar}) b->setAutoDefault(true);
    edtAvisalTexto->setMaxLength(std::numeric_limits<int>::max());
    ColorearAvisal(false);
}

void TfrmBindelora::PrepararMenuAvisal()
{
    PopupMenuAvisal = new QMenu(this);
    PopupMenuAvisal->setObjectName(QStringLiteral("PopupMenuAvisal"));
    auto accion = [this](const char* nombre, const QString& texto) {
        QAction* a = PopupMenuAvisal->addAction(texto);
        a->setObjectName(QString::fromLatin1(nombre));
        return a;
    };
    mnuAvisalEliminar = accion("mnuAvisalEliminar", QStringLiteral("&Eliminar entrada"));
    mnuAvisalSep1 = PopupMenuAvisal->addSeparator();
    mnuAvisalSep1->setObjectName(QStringLiteral("mnuAvisalSep1"));
    mnuAvisalOrdenarPorFecha = accion("mnuAvisalOrdenarPorFecha", QStringLiteral("Ordenar por &Fecha"));
    mnuAvisalOrdenarPorTexto = accion("mnuAvisalOrdenarPorTexto", QStringLiteral("Ordenar por &Texto"));

    connect(PopupMenuAvisal, &QMenu::aboutToShow, this, &TfrmBindelora::PopupMenuAvisalPopup);
    connect(mnuAvisalEliminar, &QAction::triggered, this, &TfrmBindelora::mnuAvisalEliminarClick);
    connect(mnuAvisalOrdenarPorFecha, &QAction::triggered, this, &TfrmBindelora::mnuAvisalOrdenarPorFechaClick);
    connect(mnuAvisalOrdenarPorTexto, &QAction::triggered, this, &TfrmBindelora::mnuAvisalOrdenarPorTextoClick);
}

bool TfrmBindelora::NuevoAvisalEnCurso() const
{
    return btnAvisalNuevo->text() != kNuevo;
}

void TfrmBindelora::ColorearAvisal(bool nuevo)
{
    const QColor& color = nuevo ? kColorCambiado : kColorNormal;
    for (QLineEdit* e : {edtAvisalDia, edtAvisalMes, edtAvisalAno, edtAvisalTexto}) Pintar(e, color);
    if (!nuevo) btnAvisalActualizar->setEnabled(false);
}

void TfrmBindelora::LimpiarAvisal()
{
    for (QLineEdit* e : {edtAvisalDia, edtAvisalMes, edtAvisalAno, edtAvisalTexto}) e->clear();
}

void TfrmBindelora::btnAvisalClick()
{
    btnAvisalNuevo->setEnabled(true);
    const Fecha hoy = Reloj::instancia().Hoy();
    MostrarMes(hoy.mes, hoy.ano);
    if (ListViewAvisal->NumFilas() > 0 && ListViewAvisal->Texto(0, ColMesReal) == std::to_string(hoy.mes)) {
        ListViewAvisal->SeleccionarFila(0);
        if (ListViewAvisal->isVisible() && ListViewAvisal->isEnabled()) ListViewAvisal->setFocus();
    }
    MarcarHoy(MesMostrado, AnoMostrado);

    PanelAvisal->raise();
    btnNuevo->setEnabled(false);
    btnEliminar->setEnabled(false);
    btnActualizar->setEnabled(false);
    btnNuevaBusqueda->setEnabled(false);
    btnAvisalNuevo->setEnabled(true);

    MostrarSucesosHoy();
}

// Qt paints only once control is back in the event loop, so the several
// redraws below show as one without suspending the window's painting.
void TfrmBindelora::ListViewAvisalSelectItem()
{
    const int fila = ListViewAvisal->FilaSeleccionada();
    if (fila < 0) return;
    // Another row chosen: a refused update's old entry stays as it is.
    reemplazoAvisal_.reset();
    const TAvisal elegida = AvisalDeFila(ListViewAvisal, fila);
    edtAvisalDia->setText(aQ(ListViewAvisal->Texto(fila, ColDia)));
    edtAvisalMes->setText(aQ(ListViewAvisal->Texto(fila, ColMes)));
    edtAvisalAno->setText(aQ(ListViewAvisal->Texto(fila, ColAno)));
    edtAvisalTexto->setText(aQ(ListViewAvisal->Texto(fila, ColTexto)));

    btnAvisalEliminar->setEnabled(true);
    btnAvisalActualizar->setEnabled(false);
    ColorearAvisal(false);
    TextoAEntero(ListViewAvisal->Texto(fila, ColMesReal), MesMostrado);

    auto it = std::find_if(ListaAvisal.begin(), ListaAvisal.end(),
                           [&](const std::unique_ptr<TAvisal>& a) { return Iguales(*a, elegida); });
    if (it == ListaAvisal.end()) return;
    AvisalActual = it->get();
    const Fecha hoy = Reloj::instancia().Hoy();
    AnoMostrado = EsPasado(AvisalActual->Dia, MesMostrado, hoy.ano, hoy) ? hoy.ano + 1 : hoy.ano;
    MostrarMes(MesMostrado, AnoMostrado);
    MarcarDia(AvisalActual->Dia, MesMostrado, AnoMostrado, true);
    MarcarHoy(MesMostrado, AnoMostrado);
}

void TfrmBindelora::btnAvisalNuevoClick()
{
    if (!NuevoAvisalEnCurso()) {
        btnAvisalNuevo->setText(kAnadir);
        btnAvisalEliminar->setText(kCancelar);
        btnAvisalEliminar->setEnabled(true);
        btnAvisalActualizar->setEnabled(false);
        LimpiarAvisal();
        ColorearAvisal(true);
        edtAvisalDia->setFocus();
        return;
    }

    const ComprobacionFechaAvisal c = ComprobarFechaAvisal(deQ(edtAvisalDia->text()), deQ(edtAvisalMes->text()),
                                                           deQ(edtAvisalAno->text()));
    if (!c.Correcta()) {
        QString texto;
        QLineEdit* campo = edtAvisalDia;
        switch (c.error) {
        case ErrorFechaAvisal::Conversion: texto = QStringLiteral("Error al convertir a número"); break;
        case ErrorFechaAvisal::Mes: texto = QStringLiteral("Error: El Mes debe estar entre 0 y 12"); break;
        default:
            texto = QStringLiteral("Error: No es un Día válido para el mes de ") +
                    aQ(NombresMes[static_cast<std::size_t>(c.mes)]);
        }
        if (c.campo == CampoFechaAvisal::Mes) campo = edtAvisalMes;
        else if (c.campo == CampoFechaAvisal::Ano) campo = edtAvisalAno;
        Mensajes::mostrar(this, texto, QStringLiteral("Error en Fecha"), IconoMensaje::Error);
        // A refused update lands here too: the whole new-entry mode, so that
        // "&Cancelar" can give the old entry back.
        btnAvisalEliminar->setText(kCancelar);
        btnAvisalEliminar->setEnabled(true);
        ColorearAvisal(true);
        campo->setFocus();
        return;
    }

    auto nueva = std::make_unique<TAvisal>();
    // The entry a refused update was to replace goes only now that the new
    // one is sure to be added; the new one takes its place in the sync folder.
    if (std::optional<TAvisal> viejo = std::exchange(reemplazoAvisal_, std::nullopt)) {
        for (const auto& e : ListaAvisal)
            if (Iguales(*e, *viejo)) {
                SincReemplazado(e.get(), nueva.get());
                break;
            }
        EliminarAvisalesIguales(*viejo);
    }

    nueva->Dia = c.dia;
    nueva->Mes = c.mes;
    nueva->Ano = c.ano;
    nueva->Texto = TextoDeUnaLinea(deQ(edtAvisalTexto->text()));
    AvisalActual = nueva.get();
    ListaAvisal.push_back(std::move(nueva));
    InsertarFilasAvisal(AvisalActual, true);
    CambioHecho();
    MostrarMes(MesMostrado, AnoMostrado);

    btnAvisalNuevo->setText(kNuevo);
    btnAvisalEliminar->setText(kEliminar);
    btnAvisalEliminar->setEnabled(true);
    btnAvisalActualizar->setEnabled(false);
    ColorearAvisal(false);
    ListViewAvisal->setFocus();
    ListViewAvisalSelectItem();
}

void TfrmBindelora::EliminarAvisalesIguales(const TAvisal& a)
{
    // Identical entries go together, with every row of each (twelve for a
    // monthly one); the rows first, since they point at the entries.
    const std::string dia = std::to_string(a.Dia);
    const std::string mes = std::to_string(a.Mes);
    const std::string ano = std::to_string(a.Ano);
    // Nothing stays selected: without a current row the view does not pick
    // the deleted row's neighbour as it removes it.
    ListViewAvisal->clearSelection();
    ListViewAvisal->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    for (int i = ListViewAvisal->NumFilas() - 1; i >= 0; --i)
        if (ListViewAvisal->Texto(i, ColDia) == dia && ListViewAvisal->Texto(i, ColMes) == mes &&
            ListViewAvisal->Texto(i, ColAno) == ano && ListViewAvisal->Texto(i, ColTexto) == a.Texto)
            ListViewAvisal->EliminarFila(i);

    std::erase_if(ListaAvisal, [&](const std::unique_ptr<TAvisal>& e) {
        if (!Iguales(*e, a)) return false;
        if (AvisalActual == e.get()) AvisalActual = nullptr;
        SincOlvidar(e.get());
        return true;
    });
    AjustarColumnasAvisal();
}

void TfrmBindelora::btnAvisalEliminarClick()
{
    if (btnAvisalEliminar->text() == kCancelar) {
        btnAvisalNuevo->setText(kNuevo);
        btnAvisalEliminar->setText(kEliminar);
        btnAvisalEliminar->setEnabled(false);
        btnAvisalActualizar->setEnabled(false);
        ColorearAvisal(false);
        AvisalActual = nullptr;
        reemplazoAvisal_.reset();
        return;
    }
    const int fila = ListViewAvisal->FilaSeleccionada();
    if (fila < 0) return;
    const TAvisal a = AvisalDeFila(ListViewAvisal, fila);
    const QString pregunta = QStringLiteral("Confirme que desea eliminar la entrada:\r\r(") +
                             aQ(ListViewAvisal->Texto(fila, ColDia)) + QLatin1Char('/') +
                             aQ(ListViewAvisal->Texto(fila, ColMes)) + QLatin1Char('/') +
                             aQ(ListViewAvisal->Texto(fila, ColAno)) + QStringLiteral(") ") + aQ(a.Texto);
    if (Mensajes::mostrar(this, pregunta, QStringLiteral("Aviso de eliminación"), IconoMensaje::Pregunta,
                          BotonesMensaje::AceptarCancelar) != RespuestaMensaje::Aceptar)
        return;
    EliminarAvisalesIguales(a);
    CambioHecho();
    MostrarMes(MesMostrado, AnoMostrado);
    MarcarHoy(MesMostrado, AnoMostrado);
    AvisalActual = nullptr;
    LimpiarAvisal();
}

void TfrmBindelora::btnAvisalActualizarClick()
{
    btnAvisalActualizar->setEnabled(false);
    ColorearAvisal(false);
    // The old entry is only named here; it goes once the fields pass the
    // checks, so a refused update loses nothing.
    if (!NuevoAvisalEnCurso()) {
        const int fila = ListViewAvisal->FilaSeleccionada();
        if (fila >= 0) reemplazoAvisal_ = AvisalDeFila(ListViewAvisal, fila);
        else if (AvisalActual) reemplazoAvisal_ = *AvisalActual;
        else reemplazoAvisal_.reset();
    } else {
        // Leaving new-entry mode keeps a replacement already pending.
        std::optional<TAvisal> pendiente = reemplazoAvisal_;
        btnAvisalEliminarClick();
        reemplazoAvisal_ = std::move(pendiente);
    }
    btnAvisalNuevo->setText(kAnadir);
    btnAvisalNuevoClick();
}

void TfrmBindelora::TeclaFechaAvisal(QLineEdit* campo, int largoAntes, QWidget* siguiente, char& tecla)
{
    const bool digito = tecla >= '0' && tecla <= '9';
    if (!digito && tecla != '\b') {
        tecla = 0;
        return;
    }
    Pintar(campo, kColorCambiado);
    btnAvisalActualizar->setEnabled(AvisalActual != nullptr && !NuevoAvisalEnCurso());
    // The digit still goes into this field; only the focus moves on.
    if (digito && campo->text().size() == largoAntes) siguiente->setFocus();
}

void TfrmBindelora::edtAvisalDiaKeyPress(char& tecla)
{
    TeclaFechaAvisal(edtAvisalDia, 1, edtAvisalMes, tecla);
}

void TfrmBindelora::edtAvisalMesKeyPress(char& tecla)
{
    TeclaFechaAvisal(edtAvisalMes, 1, edtAvisalAno, tecla);
}

void TfrmBindelora::edtAvisalAnoKeyPress(char& tecla)
{
    TeclaFechaAvisal(edtAvisalAno, 3, edtAvisalTexto, tecla);
}

void TfrmBindelora::edtAvisalTextoKeyPress(char& tecla)
{
    if (tecla == '\r') {
        tecla = 0;
        if (NuevoAvisalEnCurso()) btnAvisalNuevoClick();
        else if (btnAvisalActualizar->isEnabled()) btnAvisalActualizarClick();
        return;
    }
    Pintar(edtAvisalTexto, kColorCambiado);
    btnAvisalActualizar->setEnabled(AvisalActual != nullptr);
}

void TfrmBindelora::PopupMenuAvisalPopup()
{
    mnuAvisalEliminar->setEnabled(ListViewAvisal->FilaSeleccionada() >= 0);
}

void TfrmBindelora::mnuAvisalEliminarClick()
{
    if (btnAvisalEliminar->text() == kCancelar) btnAvisalEliminarClick();
    btnAvisalEliminarClick();
}

void TfrmBindelora::mnuAvisalOrdenarPorFechaClick()
{
    ListViewAvisalColumnClick(ColFecha);
}

void TfrmBindelora::mnuAvisalOrdenarPorTextoClick()
{
    ListViewAvisalColumnClick(ColTexto);
}

void TfrmBindelora::ListViewAvisalColumnClick(int columna)
{
    // Every key computed once, the list ordered once; the keys of the dates
    // are counted from today, which may have changed since the rows were made.
    const int n = ListViewAvisal->NumFilas();
    std::vector<std::string> claves;
    claves.reserve(static_cast<std::size_t>(n));
    if (columna == ColTexto) {
        for (int i = 0; i < n; ++i) claves.push_back(ClaveTextoAvisal(ListViewAvisal->Texto(i, ColTexto)));
    } else {
        const Fecha hoy = Reloj::instancia().Hoy();
        for (int i = 0; i < n; ++i) {
            int dia = 0, mes = 0;
            TextoAEntero(ListViewAvisal->Texto(i, ColDia), dia);
            TextoAEntero(ListViewAvisal->Texto(i, ColMesReal), mes);
            claves.push_back(ClaveDiasAvisal(dia, mes, hoy));
        }
    }
    ListViewAvisal->FijarCaptions(claves);
}
