// The search panel: query by example over the address book, one pattern per
// field, and the results stepped through with the scroll bar.
#include <QAbstractButton>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QShortcutEvent>
#include <QStyle>
#include <QTextOption>
#include <algorithm>

#include "colores.h"
#include "core/busqueda.h"
#include "core/fecha.h"
#include "core/texto.h"
#include "frmbindelora.h"
#include "platform/comparador.h"
#include "platform/mensajes.h"
#include "qtexto.h"

using namespace bindelora;

namespace {

// Index 0: empty, and every field while a result is on show; 1: a pattern.
const QColor kColoresBusqueda[2] = {QColor(238, 255, 238), QColor(221, 221, 255)};

// The birthday fields limit what is typed only: a line edit's own maximum
// length would also cut "Ene" written by the program.
constexpr const char* kLimiteTecleado = "limiteTecleado";

class FiltroTeclas : public QObject {
public:
    explicit FiltroTeclas(TfrmBindelora* f, bool (TfrmBindelora::*tecla)(QLineEdit*, QKeyEvent*))
        : QObject(f), f_(f), tecla_(tecla)
    {
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress) return false;
        return (f_->*tecla_)(static_cast<QLineEdit*>(o), static_cast<QKeyEvent*>(e));
    }

private:
    TfrmBindelora* f_;
    bool (TfrmBindelora::*tecla_)(QLineEdit*, QKeyEvent*);
};

// The views lie on top of each other and are all visible, so "&Nuevo" and
// "&Nueva búsqueda " make Alt+N ambiguous, which in Qt clicks neither. An
// ambiguous accelerator presses the button of the view in front.
class FiltroAceleradores : public QObject {
public:
    FiltroAceleradores(QWidget* ventana, std::vector<QWidget*> vistas)
        : QObject(ventana), ventana_(ventana), vistas_(std::move(vistas))
    {
        for (QWidget* v : vistas_)
            for (QAbstractButton* b : v->findChildren<QAbstractButton*>()) b->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() != QEvent::Shortcut || !static_cast<QShortcutEvent*>(e)->isAmbiguous()) return false;
        const QKeySequence tecla = static_cast<QShortcutEvent*>(e)->key();
        QWidget* delante = Delante();
        if (!delante) return false;
        for (QAbstractButton* b : delante->findChildren<QAbstractButton*>())
            if (b->isEnabled() && b->isVisible() && QKeySequence::mnemonic(b->text()) == tecla) {
                b->setFocus(Qt::ShortcutFocusReason);
                b->animateClick();
                return true;
            }
        return true;  // none in front: nothing behind it is pressed
    }

private:
    QWidget* Delante() const
    {
        QWidget* delante = nullptr;
        for (QObject* o : ventana_->children())
            if (std::find(vistas_.begin(), vistas_.end(), o) != vistas_.end()) delante = static_cast<QWidget*>(o);
        return delante;
    }

    QWidget* ventana_;
    std::vector<QWidget*> vistas_;
};

// A memo's text with its lines separated as in the contacts' lines.
std::string TextoPatronMemo(const QPlainTextEdit* m)
{
    QString t = m->toPlainText();
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return deQ(t);
}

QString Lineas(const std::vector<std::string>& lineas)
{
    QStringList l;
    l.reserve(static_cast<qsizetype>(lineas.size()));
    for (const std::string& s : lineas) l << aQ(s);
    return l.join(QLatin1Char('\n'));
}

bool EsCifra(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Key filter of the birthday fields: backspace and digits; a second digit
// moves on to the next field while it still lands in its own.
void FiltroCumple(QChar& tecla, QLineEdit* campo, QLineEdit* siguiente)
{
    if (tecla != QChar(8) && !EsCifra(tecla)) {
        tecla = QChar(0);
        return;
    }
    if (siguiente && EsCifra(tecla) && campo->text().size() == 1) siguiente->setFocus();
}

}  // namespace

void TfrmBindelora::ConectarBuscar()
{
    for (QLineEdit* e : {edtBusNombre, edtBusApe1, edtBusApe2, edtBusTfnoCasa, edtBusTfnoMovil, edtBusEMail,
                         edtBusCumpleDia, edtBusCumpleMes, edtBusCumpleAno})
        connect(e, &QLineEdit::textChanged, this, [this, e] { edtBusEMailChange(e); });
    for (QPlainTextEdit* m : {MemoBusDireccion, memoBusVarios})
        connect(m, &QPlainTextEdit::textChanged, this, [this, m] { MemoBusDireccionChange(m); });
    connect(cbBusGrupo, &QComboBox::currentIndexChanged, this, &TfrmBindelora::cbBusGrupoChange);
    connect(btnBuscarAhora, &QPushButton::clicked, this, &TfrmBindelora::btnBuscarAhoraClick);
    connect(btnNuevaBusqueda, &QPushButton::clicked, this, &TfrmBindelora::btnNuevaBusquedaClick);
    connect(ScrollBarBuscar, &QScrollBar::valueChanged, this, &TfrmBindelora::ScrollBarBuscarChange);

    edtBusCumpleDia->setProperty(kLimiteTecleado, 2);
    edtBusCumpleMes->setProperty(kLimiteTecleado, 2);
    edtBusCumpleAno->setProperty(kLimiteTecleado, 4);
    auto* filtro = new FiltroTeclas(this, &TfrmBindelora::TeclaBusqueda);
    for (QLineEdit* e : {edtBusCumpleDia, edtBusCumpleMes, edtBusCumpleAno}) e->installEventFilter(filtro);

    // One result per click, on the arrows and on the groove alike.
    ScrollBarBuscar->setRange(1, 1);
    ScrollBarBuscar->setSingleStep(1);
    ScrollBarBuscar->setPageStep(1);
    lblBuscarPos->setText(QStringLiteral("- / -"));

    QTextOption centrado = MemoBusDireccion->document()->defaultTextOption();
    centrado.setAlignment(Qt::AlignHCenter);
    MemoBusDireccion->document()->setDefaultTextOption(centrado);

    btnBuscarAhora->setIcon(QIcon(QStringLiteral(":/img/buscar.svg")));
    btnNuevaBusqueda->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    cbBusGrupo->addItem(QString());  // the choice of any group, until the groups are read

    // Label21 shares the editor's e-mail label handlers: it raises that
    // label's events and wears the look they give it. They read the editor's
    // fields, which hold the result on show once the results are stepped.
    auto reflejar = [this] {
        Label21->setStyleSheet(lblEMail->styleSheet());
        Label21->setFont(lblEMail->font());
        Label21->setPalette(lblEMail->palette());
        Label21->setCursor(lblEMail->cursor());
        Label21->setToolTip(lblEMail->toolTip());
    };
    connect(Label21, &TLabel2::OnMouseEnter, this, [this, reflejar] {
        emit lblEMail->OnMouseEnter(lblEMail);
        reflejar();
    });
    connect(Label21, &TLabel2::OnMouseLeave, this, [this, reflejar] {
        emit lblEMail->OnMouseLeave(lblEMail);
        reflejar();
    });
    connect(Label21, &TLabel2::OnClick, this, [this] { emit lblEMail->OnClick(lblEMail); });

    new FiltroAceleradores(this, {PanelLista, PanelDatos, PanelCumples, PanelAvisal, PanelBuscar});

    for (QWidget* w : std::initializer_list<QWidget*>{edtBusNombre, edtBusApe1, edtBusApe2, edtBusTfnoCasa,
                                                      edtBusTfnoMovil, edtBusEMail, MemoBusDireccion,
                                                      edtBusCumpleDia, edtBusCumpleMes, edtBusCumpleAno, cbBusGrupo,
                                                      memoBusVarios})
        Pintar(w, kColorNormal);
}

bool TfrmBindelora::TeclaBusqueda(QLineEdit* campo, QKeyEvent* e)
{
    // Keys that type nothing (arrows, Delete) and focus moves pass untouched.
    const QString texto = e->text();
    if (texto.isEmpty() || e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) return false;
    QChar tecla = texto.at(0);
    if (campo == edtBusCumpleDia) edtBusCumpleDiaKeyPress(tecla);
    else if (campo == edtBusCumpleMes) edtBusCumpleMesKeyPress(tecla);
    else edtBusCumpleAnoKeyPress(tecla);
    if (tecla.isNull()) return true;
    const int limite = campo->property(kLimiteTecleado).toInt();
    if (tecla != QChar(8) && limite > 0 && campo->text().size() - campo->selectedText().size() >= limite)
        return true;
    return false;
}

void TfrmBindelora::edtBusCumpleDiaKeyPress(QChar& tecla) { FiltroCumple(tecla, edtBusCumpleDia, edtBusCumpleMes); }
void TfrmBindelora::edtBusCumpleMesKeyPress(QChar& tecla) { FiltroCumple(tecla, edtBusCumpleMes, edtBusCumpleAno); }
void TfrmBindelora::edtBusCumpleAnoKeyPress(QChar& tecla) { FiltroCumple(tecla, edtBusCumpleAno, nullptr); }

void TfrmBindelora::btnBuscarClick()
{
    PanelBuscar->raise();
    PintarCamposBusqueda();
}

void TfrmBindelora::ActualizarBuscarAhora()
{
    const bool hay = !edtBusNombre->text().isEmpty() || !edtBusApe1->text().isEmpty() ||
                     !edtBusApe2->text().isEmpty() || !edtBusTfnoCasa->text().isEmpty() ||
                     !edtBusTfnoMovil->text().isEmpty() || !edtBusEMail->text().isEmpty() ||
                     !MemoBusDireccion->document()->isEmpty() || !edtBusCumpleDia->text().isEmpty() ||
                     !edtBusCumpleMes->text().isEmpty() || !edtBusCumpleAno->text().isEmpty() ||
                     !cbBusGrupo->currentText().isEmpty() || !memoBusVarios->document()->isEmpty();
    btnBuscarAhora->setEnabled(hay);
}

void TfrmBindelora::PintarCamposBusqueda()
{
    for (QWidget* w : std::initializer_list<QWidget*>{edtBusNombre, edtBusApe1, edtBusApe2, edtBusTfnoCasa,
                                                      edtBusTfnoMovil, edtBusEMail, MemoBusDireccion,
                                                      edtBusCumpleDia, edtBusCumpleMes, edtBusCumpleAno, cbBusGrupo,
                                                      memoBusVarios})
        Pintar(w, kColoresBusqueda[0]);
}

void TfrmBindelora::edtBusEMailChange(QLineEdit* campo)
{
    Pintar(campo, kColoresBusqueda[campo->text().isEmpty() ? 0 : 1]);
    ActualizarBuscarAhora();
}

void TfrmBindelora::MemoBusDireccionChange(QPlainTextEdit* memo)
{
    Pintar(memo, kColoresBusqueda[memo->document()->isEmpty() ? 0 : 1]);
    ActualizarBuscarAhora();
}

void TfrmBindelora::cbBusGrupoChange()
{
    Pintar(cbBusGrupo, kColoresBusqueda[cbBusGrupo->currentText().isEmpty() ? 0 : 1]);
    ActualizarBuscarAhora();
}

void TfrmBindelora::VaciarBusqueda()
{
    ResultadoBusqueda.clear();
    ScrollBarBuscar->setValue(1);
    ScrollBarBuscar->setMaximum(1);
    lblBuscarPos->setText(QStringLiteral("- / -"));
}

void TfrmBindelora::btnBuscarAhoraClick()
{
    VaciarBusqueda();
    PatronBusqueda patron;
    patron.Nombre = deQ(edtBusNombre->text());
    patron.Ape1 = deQ(edtBusApe1->text());
    patron.Ape2 = deQ(edtBusApe2->text());
    patron.TfnoCasa = deQ(edtBusTfnoCasa->text());
    patron.TfnoMovil = deQ(edtBusTfnoMovil->text());
    patron.EMail = deQ(edtBusEMail->text());
    patron.Direccion = TextoPatronMemo(MemoBusDireccion);
    patron.CumpleDia = deQ(edtBusCumpleDia->text());
    patron.CumpleMes = deQ(edtBusCumpleMes->text());
    patron.CumpleAno = deQ(edtBusCumpleAno->text());
    patron.Grupo = deQ(cbBusGrupo->currentText());
    patron.Varios = TextoPatronMemo(memoBusVarios);
    ResultadoBusqueda = BuscarPibes(ListaPibes, patron);

    if (!ResultadoBusqueda.empty()) {
        const int n = static_cast<int>(ResultadoBusqueda.size());
        lblBuscarPos->setText(QStringLiteral("1/") + QString::number(n));
        ScrollBarBuscar->setMaximum(n);
        ScrollBarBuscarChange();
        return;
    }
    Mensajes::mostrar(this,
                      QStringLiteral("No se encontraron registros que concuerden\rcon el patrón de búsqueda."),
                      QStringLiteral("Aviso de Búsqueda"), IconoMensaje::Informacion);
}

void TfrmBindelora::MostrarResultado(int lugar)
{
    if (lugar < 0 || lugar >= static_cast<int>(ResultadoBusqueda.size())) return;
    const TPibe& p = *ResultadoBusqueda[static_cast<std::size_t>(lugar)];
    for (QLineEdit* e : {edtBusNombre, edtBusApe1, edtBusApe2, edtBusTfnoCasa, edtBusTfnoMovil, edtBusEMail,
                         edtBusCumpleDia, edtBusCumpleMes, edtBusCumpleAno})
        e->clear();
    MemoBusDireccion->clear();
    memoBusVarios->clear();

    edtBusNombre->setText(aQ(p.Nombre));
    edtBusApe1->setText(aQ(p.Ape1));
    edtBusApe2->setText(aQ(p.Ape2));
    edtBusTfnoCasa->setText(aQ(p.TfnoCasa));
    edtBusTfnoMovil->setText(aQ(p.TfnoMovil));
    edtBusEMail->setText(aQ(p.EMail));

    const QString grupo = aQ(p.Grupo);
    int i = cbBusGrupo->findText(grupo, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i < 0) {
        // A group typed after the choices were built: it joins them at its
        // place, so that searching again keeps it.
        i = 0;
        while (i < cbBusGrupo->count() && CompararLocal(cbBusGrupo->itemText(i), grupo) <= 0) ++i;
        cbBusGrupo->insertItem(i, grupo);
    }
    cbBusGrupo->setCurrentIndex(i);

    Fecha f;
    if (p.Cumple != 0 && DecodificarFecha(p.Cumple, f)) {
        edtBusCumpleDia->setText(QString::number(f.dia));
        edtBusCumpleMes->setText(QString::fromLatin1(NombresMesCortos[static_cast<std::size_t>(f.mes)]));
        // Any known year, old ones too, so that searching again keeps it.
        if (f.ano != 1) edtBusCumpleAno->setText(QString::number(f.ano));
    }
    MemoBusDireccion->setPlainText(Lineas(p.Direccion));
    memoBusVarios->setPlainText(Lineas(p.Varios));
}

void TfrmBindelora::ScrollBarBuscarChange()
{
    if (ResultadoBusqueda.empty()) return;
    const int posicion = ScrollBarBuscar->value();
    const int lugar = posicion - 1;
    if (lugar < 0 || lugar >= static_cast<int>(ResultadoBusqueda.size())) return;
    // A result is never used once its contact has left the book.
    const TPibe* pibe = ResultadoBusqueda[static_cast<std::size_t>(lugar)];
    int enLibro = -1;
    for (std::size_t i = 0; i < ListaPibes.size(); ++i)
        if (ListaPibes[i].get() == pibe) {
            enLibro = static_cast<int>(i);
            break;
        }
    if (enLibro < 0) {
        VaciarBusqueda();
        return;
    }

    // The fields change at once; the panel holds all of them, so only it is
    // drawn again rather than the whole window.
    PanelBuscar->setUpdatesEnabled(false);
    lblBuscarPos->setText(QString::number(posicion) + QLatin1Char('/') + QString::number(ScrollBarBuscar->maximum()));
    MostrarResultado(lugar);
    PintarCamposBusqueda();
    PanelBuscar->setUpdatesEnabled(true);

    PibeActual = enLibro;
    MostrarPibe(PibeActual);
}

void TfrmBindelora::btnNuevaBusquedaClick()
{
    VaciarBusqueda();
    for (QLineEdit* e : {edtBusNombre, edtBusApe1, edtBusApe2, edtBusTfnoCasa, edtBusTfnoMovil, edtBusEMail})
        e->clear();
    MemoBusDireccion->clear();
    for (QLineEdit* e : {edtBusCumpleDia, edtBusCumpleMes, edtBusCumpleAno}) e->clear();
    cbBusGrupo->setCurrentIndex(0);
    memoBusVarios->clear();
    btnBuscarAhora->setEnabled(false);
}
