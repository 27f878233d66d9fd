// The Datos view: the contact editor's display, colours, navigation, and
// adding, changing and deleting contacts.
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QTextDocument>

#include "colores.h"
#include "core/datos.h"
#include "core/orden.h"
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

// The text of a one-line field without line breaks; the field gets the
// cleaned text back, so what the re-ordering compares is what is stored.
std::string TextoLimpio(QLineEdit* e)
{
    const std::string t = deQ(e->text());
    std::string limpio = QuitarSaltos(t);
    if (limpio != t) e->setText(aQ(limpio));
    return limpio;
}

// A memo's text as typed: toPlainText would turn no-break spaces into
// blanks.
std::string TextoMemo(const QPlainTextEdit* m)
{
    QString t = m->document()->toRawText();
    for (QChar& c : t)
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) c = QLatin1Char('\n');
    return deQ(t);
}

}  // namespace

bool TfrmBindelora::EnModoNuevo() const
{
    return btnNuevo->text() != kNuevo;
}

bool TfrmBindelora::HayPibeActual() const
{
    return PibeActual >= 0 && PibeActual < static_cast<int>(ListaPibes.size());
}

void TfrmBindelora::LimpiarDatos()
{
    for (QLineEdit* e : {edtNombre, edtApe1, edtApe2, edtTfnoCasa, edtTfnoMovil, edtEMail, edtCumpleDia,
                         edtCumpleMes, edtCumpleAno})
        e->clear();
    MemoDireccion->clear();
    cbGrupo->setEditText(QString());
    MemoVarios->clear();
}

void TfrmBindelora::MostrarPibe(int posicion)
{
    LimpiarDatos();
    if (posicion < 0 || posicion >= static_cast<int>(ListaPibes.size())) return;
    const TPibe& p = *ListaPibes[static_cast<std::size_t>(posicion)];
    edtNombre->setText(aQ(p.Nombre));
    edtApe1->setText(aQ(p.Ape1));
    edtApe2->setText(aQ(p.Ape2));
    edtTfnoCasa->setText(aQ(p.TfnoCasa));
    edtTfnoMovil->setText(aQ(p.TfnoMovil));
    edtEMail->setText(aQ(p.EMail));
    cbGrupo->setEditText(aQ(p.Grupo));
    const TextosCumple cumple = TextosDeCumple(p.Cumple);
    edtCumpleDia->setText(aQ(cumple.dia));
    edtCumpleMes->setText(aQ(cumple.mes));
    edtCumpleAno->setText(aQ(cumple.ano));
    MemoDireccion->setPlainText(aQ(MemoDeLineas(p.Direccion)));
    MemoVarios->setPlainText(aQ(MemoDeLineas(p.Varios)));
}

void TfrmBindelora::ColorearDatos(ModoDatos modo)
{
    const QColor& c = modo == ModoDatos::Normal ? kColorNormal : kColorCambiado;
    for (QWidget* w : std::initializer_list<QWidget*>{edtNombre, edtApe1, edtApe2, edtTfnoCasa, edtTfnoMovil,
                                                      edtEMail, MemoDireccion, edtCumpleDia, edtCumpleMes,
                                                      edtCumpleAno, cbGrupo, MemoVarios})
        Pintar(w, c);
    if (modo == ModoDatos::Normal) btnActualizar->setEnabled(false);
}

void TfrmBindelora::ActualizarNavegacion()
{
    const int n = static_cast<int>(ListaPibes.size());
    const bool hay = n > 0;
    btnEliminar->setEnabled(hay);
    btnFirst->setEnabled(hay && PibeActual > 0);
    btnPrev->setEnabled(hay && PibeActual > 0);
    btnNext->setEnabled(hay && PibeActual < n - 1);
    btnLast->setEnabled(hay && PibeActual < n - 1);
    btnBuscar->setEnabled(hay);
}

bool TfrmBindelora::LeerDatos(TPibe& p)
{
    CamposPibe c;
    c.Nombre = TextoLimpio(edtNombre);
    c.Ape1 = TextoLimpio(edtApe1);
    c.Ape2 = TextoLimpio(edtApe2);
    c.TfnoCasa = TextoLimpio(edtTfnoCasa);
    c.TfnoMovil = TextoLimpio(edtTfnoMovil);
    c.EMail = TextoLimpio(edtEMail);
    c.Grupo = TextoLimpio(cbGrupo->lineEdit());
    c.Direccion = TextoMemo(MemoDireccion);
    c.Varios = TextoMemo(MemoVarios);
    c.CumpleDia = TextoLimpio(edtCumpleDia);
    c.CumpleMes = TextoLimpio(edtCumpleMes);
    c.CumpleAno = TextoLimpio(edtCumpleAno);
    if (bindelora::LeerDatos(c, Reloj::instancia().Hoy().ano, p)) return true;
    Mensajes::mostrar(this, QStringLiteral("Pa mi que esa fecha de nacimiento no está demasiado bien..."),
                      QStringLiteral("Graciosillo..."), IconoMensaje::Aviso);
    edtCumpleAno->setFocus();
    return false;
}

int TfrmBindelora::InsertarPibe()
{
    auto nuevo = std::make_unique<TPibe>();
    if (!LeerDatos(*nuevo)) return -1;
    const std::size_t posicion = PosicionInsercion(ListaPibes, *nuevo, OrdenActual);
    ListaPibes.insert(ListaPibes.begin() + static_cast<std::ptrdiff_t>(posicion), std::move(nuevo));
    FilaInsertada(static_cast<int>(posicion));
    MostrarPibe(static_cast<int>(posicion));
    return static_cast<int>(posicion);
}

void TfrmBindelora::SalirDeModoNuevo()
{
    btnNuevo->setText(kNuevo);
    btnEliminar->setText(kEliminar);
    for (QWidget* w : std::initializer_list<QWidget*>{btnEliminar, btnActualizar, btnFirst, btnPrev, btnNext,
                                                      btnLast, cbOrden})
        w->setEnabled(true);
    Pintar(cbOrden, kColorNormal);
}

void TfrmBindelora::btnNuevoClick()
{
    if (!EnModoNuevo()) {
        btnNuevo->setText(kAnadir);
        btnEliminar->setText(kCancelar);
        btnEliminar->setEnabled(true);
        for (QWidget* w : std::initializer_list<QWidget*>{btnActualizar, btnFirst, btnPrev, btnNext, btnLast,
                                                          cbOrden})
            w->setEnabled(false);
        Pintar(cbOrden, kColorDesactivado);
        LimpiarDatos();
        ColorearDatos(ModoDatos::Nuevo);
        RellenarGrupos();
        edtNombre->setFocus();
        return;
    }

    const int posicion = InsertarPibe();
    if (posicion < 0) return;
    CambioHecho();
    SalirDeModoNuevo();
    ColorearDatos(ModoDatos::Normal);
    PibeActual = posicion;
    ActualizarNavegacion();
    // A birthday without a year (year 1) waits for the next start.
    if (ListaPibes[static_cast<std::size_t>(posicion)]->Cumple > 1) SincronizarCumples();
}

void TfrmBindelora::btnEliminarClick()
{
    if (btnEliminar->text() == kCancelar) {
        SalirDeModoNuevo();
        ColorearDatos(ModoDatos::Normal);
        ActualizarNavegacion();
        if (!ListaPibes.empty()) MostrarPibe(PibeActual);
        return;
    }
    if (!HayPibeActual()) return;

    QString nombre = edtNombre->text();
    if (!edtApe1->text().isEmpty()) nombre += QLatin1Char(' ') + edtApe1->text();
    const auto respuesta = Mensajes::mostrar(
        this, QStringLiteral("Se dispone a eliminar a \"") + nombre + QStringLiteral("\"\r\r¿Está seguro?"),
        QStringLiteral("Aviso de Eliminación"), IconoMensaje::Pregunta, BotonesMensaje::AceptarCancelar);
    if (respuesta != RespuestaMensaje::Aceptar) return;
    // The box ran an event loop: check again before touching the book.
    if (!HayPibeActual()) return;

    // Decided from the position: other views leave the navigation buttons
    // stale.
    const bool eraUltimo = PibeActual == static_cast<int>(ListaPibes.size()) - 1;
    const auto it = ListaPibes.begin() + PibeActual;
    const std::unique_ptr<TPibe> borrado = std::move(*it);
    ListaPibes.erase(it);
    SincOlvidar(borrado.get());
    FilaEliminada(PibeActual, borrado.get());
    CambioHecho();
    OlvidarReferencias();
    if (eraUltimo) --PibeActual;
    if (PibeActual < 0) LimpiarDatos();
    else MostrarPibe(PibeActual);
    ActualizarNavegacion();
}

void TfrmBindelora::OlvidarReferencias()
{
    // Every view that keeps references to contacts lets go of them before
    // a deleted one is freed; the birthday rows are rebuilt when that view
    // is shown again.
    VaciarBusqueda();
    ListViewCumples->Vaciar();
}

// The contact list after one contact came in or went out. A refill of a
// large book costs tens of milliseconds: when the rows mirrored the book,
// only the one row changes, with the same outcome (no row selected).
void TfrmBindelora::FilaInsertada(int posicion)
{
    const int n = static_cast<int>(ListaPibes.size());
    bool espejo = ListViewLista->NumFilas() == n - 1;
    for (int i = 0; espejo && i < n - 1; ++i)
        espejo = ListViewLista->Dato(i) == ListaPibes[static_cast<std::size_t>(i < posicion ? i : i + 1)].get();
    if (!espejo) {
        RellenarLista();
        return;
    }
    const TPibe* p = ListaPibes[static_cast<std::size_t>(posicion)].get();
    ListViewLista->InsertarFila(posicion, {p->Nombre, p->Ape1, p->Ape2, p->Grupo}, p);
    ListViewLista->selectionModel()->clear();
    AjustarColumnaGrupo();
}

void TfrmBindelora::FilaEliminada(int posicion, const TPibe* borrado)
{
    const int n = static_cast<int>(ListaPibes.size());
    bool espejo = ListViewLista->NumFilas() == n + 1 && ListViewLista->Dato(posicion) == borrado;
    for (int i = 0; espejo && i < n; ++i)
        espejo = ListViewLista->Dato(i < posicion ? i : i + 1) == ListaPibes[static_cast<std::size_t>(i)].get();
    if (!espejo) {
        RellenarLista();
        return;
    }
    ListViewLista->EliminarFila(posicion);
    ListViewLista->selectionModel()->clear();
    AjustarColumnaGrupo();
}

void TfrmBindelora::btnActualizarClick()
{
    if (!HayPibeActual()) return;
    if (!LeerDatos(*ListaPibes[static_cast<std::size_t>(PibeActual)])) return;
    CambioHecho();
    ColorearDatos(ModoDatos::Normal);
    if (!ReordenarTrasCambio(PibeActual)) OrdenarAgenda();
    RellenarGrupos();
    MostrarPibe(PibeActual);
}

// What OrdenarAgenda does, after only the contact at posicion changed and
// while the rest of the book is in order: that one contact moves to where
// the full re-ordering would put it, and only its row is rebuilt. False
// when that does not apply (nothing is changed then).
bool TfrmBindelora::ReordenarTrasCambio(int posicion)
{
    const int n = static_cast<int>(ListaPibes.size());
    bool espejo = ListViewLista->NumFilas() == n;
    for (int i = 0; espejo && i < n; ++i)
        espejo = ListViewLista->Dato(i) == ListaPibes[static_cast<std::size_t>(i)].get();
    if (!espejo) return false;
    const TPibe* cambiado = ListaPibes[static_cast<std::size_t>(posicion)].get();
    const long nueva = RecolocarPibe(ListaPibes, static_cast<std::size_t>(posicion), OrdenActual);
    if (nueva < 0) return false;

    // The current contact is the last one that matches the editor.
    const TextosEditor editor{deQ(edtNombre->text()), deQ(edtApe1->text()),     deQ(edtApe2->text()),
                              deQ(edtTfnoCasa->text()), deQ(edtTfnoMovil->text()), deQ(edtEMail->text())};
    for (int i = n - 1; i >= 0; --i)
        if (CoincideConEditor(*ListaPibes[static_cast<std::size_t>(i)], editor)) {
            PibeActual = i;
            break;
        }
    ListViewLista->EliminarFila(posicion);
    ListViewLista->InsertarFila(static_cast<int>(nueva),
                                {cambiado->Nombre, cambiado->Ape1, cambiado->Ape2, cambiado->Grupo}, cambiado);
    ListViewLista->selectionModel()->clear();
    AjustarColumnaGrupo();
    ActualizarNavegacion();
    static const char* const kOrdenes[] = {"Nombre", "Apellido 1", "Apellido 2", "Grupo"};
    for (int i = 0; i < 4; ++i)
        if (OrdenActual == kOrdenes[i]) cbOrden->setCurrentIndex(i);
    return true;
}

void TfrmBindelora::btnFirstClick()
{
    if (!ListaPibes.empty()) {
        PibeActual = 0;
        MostrarPibe(PibeActual);
    }
    ColorearDatos(ModoDatos::Normal);
    ActualizarNavegacion();
}

void TfrmBindelora::btnPrevClick()
{
    if (HayPibeActual()) {
        if (PibeActual > 0) --PibeActual;
        MostrarPibe(PibeActual);
    }
    ColorearDatos(ModoDatos::Normal);
    ActualizarNavegacion();
}

void TfrmBindelora::btnNextClick()
{
    if (HayPibeActual()) {
        if (PibeActual < static_cast<int>(ListaPibes.size()) - 1) ++PibeActual;
        MostrarPibe(PibeActual);
    }
    ColorearDatos(ModoDatos::Normal);
    ActualizarNavegacion();
}

void TfrmBindelora::btnLastClick()
{
    if (!ListaPibes.empty()) {
        PibeActual = static_cast<int>(ListaPibes.size()) - 1;
        MostrarPibe(PibeActual);
    }
    ColorearDatos(ModoDatos::Normal);
    ActualizarNavegacion();
}
