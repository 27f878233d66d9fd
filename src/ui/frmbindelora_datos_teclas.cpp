// The Datos view's keyboard and mouse: the change marks, the birthday key
// filters and the e-mail label.
#include <QCursor>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTextOption>
#include <QToolTip>
#include <limits>

#include "colores.h"
#include "core/datos.h"
#include "frmbindelora.h"
#include "platform/escritorio.h"
#include "qtexto.h"

using namespace bindelora;

namespace {

const QColor kColorEnlace{0, 0, 255};

// The character a key types, as the handlers see it: backspace is 8, a
// control letter (paste, cut...) its control code; keys that type nothing
// (arrows, Delete) and the focus keys give 0.
char16_t CaracterDe(const QKeyEvent* k)
{
    if (k->key() == Qt::Key_Backspace) return 8;
    if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) return 0;
    // Alt with a letter is an accelerator, not typing.
    if ((k->modifiers() & Qt::AltModifier) && !(k->modifiers() & Qt::ControlModifier)) return 0;
    const QString t = k->text();
    if (!t.isEmpty()) return t.at(0).unicode();
    if ((k->modifiers() & Qt::ControlModifier) && k->key() >= Qt::Key_A && k->key() <= Qt::Key_Z)
        return static_cast<char16_t>(k->key() - Qt::Key_A + 1);
    return 0;
}

bool EsDigito(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Hands every typed character of the editor's fields to its key handler,
// and swallows the key when the handler says so.
class FiltroTeclasDatos : public QObject {
public:
    using Manejador = void (TfrmBindelora::*)(QObject*, char16_t&);

    FiltroTeclasDatos(TfrmBindelora* f) : QObject(f), f_(f) {}

    void Vigilar(QObject* campo, Manejador m)
    {
        manejadores_.push_back({campo, m});
        campo->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress) return false;
        for (const auto& [campo, m] : manejadores_) {
            if (campo != o) continue;
            char16_t c = CaracterDe(static_cast<QKeyEvent*>(e));
            if (c == 0) return false;
            (f_->*m)(o, c);
            return c == 0;
        }
        return false;
    }

private:
    TfrmBindelora* f_;
    std::vector<std::pair<QObject*, Manejador>> manejadores_;
};

}  // namespace

void TfrmBindelora::ConectarDatos()
{
    connect(btnNuevo, &QPushButton::clicked, this, &TfrmBindelora::btnNuevoClick);
    connect(btnActualizar, &QPushButton::clicked, this, &TfrmBindelora::btnActualizarClick);
    connect(btnFirst, &QPushButton::clicked, this, &TfrmBindelora::btnFirstClick);
    connect(btnPrev, &QPushButton::clicked, this, &TfrmBindelora::btnPrevClick);
    connect(btnNext, &QPushButton::clicked, this, &TfrmBindelora::btnNextClick);
    connect(btnLast, &QPushButton::clicked, this, &TfrmBindelora::btnLastClick);
    connect(cbGrupo, &QComboBox::activated, this, &TfrmBindelora::cbGrupoClick);
    connect(lblEMail, &TLabel2::OnMouseEnter, this, &TfrmBindelora::lblEMailMouseEnter);
    connect(lblEMail, &TLabel2::OnMouseLeave, this, &TfrmBindelora::lblEMailMouseLeave);
    connect(lblEMail, &TLabel2::OnClick, this, &TfrmBindelora::lblEMailClick);

    // A group is stored exactly as typed: no completion from the choices.
    cbGrupo->setCompleter(nullptr);
    // Texts have any length: a line edit's own limit (32767) would cut a
    // long one as it is shown, and the next update would store it cut.
    for (QLineEdit* e : {edtNombre, edtApe1, edtApe2, edtTfnoCasa, edtTfnoMovil, edtEMail, edtCumpleMes,
                         edtCumpleAno, cbGrupo->lineEdit()})
        e->setMaxLength(std::numeric_limits<int>::max());
    // The address is centred; its lines are never wrapped.
    QTextOption centrado = MemoDireccion->document()->defaultTextOption();
    centrado.setAlignment(Qt::AlignHCenter);
    MemoDireccion->document()->setDefaultTextOption(centrado);

    auto* filtro = new FiltroTeclasDatos(this);
    for (QObject* e : std::initializer_list<QObject*>{edtNombre, edtApe1, edtApe2, edtTfnoCasa, edtTfnoMovil,
                                                      edtEMail, edtCumpleAno})
        filtro->Vigilar(e, &TfrmBindelora::edtNombreKeyPress);
    filtro->Vigilar(MemoDireccion, &TfrmBindelora::MemoDireccionKeyPress);
    filtro->Vigilar(MemoVarios, &TfrmBindelora::MemoDireccionKeyPress);
    // The combo hands its keys on to its line edit without filters; either
    // may hold the focus.
    filtro->Vigilar(cbGrupo, &TfrmBindelora::cbGrupoKeyPress);
    filtro->Vigilar(cbGrupo->lineEdit(), &TfrmBindelora::cbGrupoKeyPress);
    filtro->Vigilar(edtCumpleDia, &TfrmBindelora::edtCumpleDiaKeyPress);
    filtro->Vigilar(edtCumpleMes, &TfrmBindelora::edtCumpleMesKeyPress);
}

namespace {

// The field a key landed in: the combo's own line edit stands for the combo.
QWidget* CampoDe(QObject* sender, QComboBox* combo)
{
    if (combo && sender == combo->lineEdit()) return combo;
    return qobject_cast<QWidget*>(sender);
}

}  // namespace

void TfrmBindelora::edtNombreKeyPress(QObject* sender, char16_t& key)
{
    (void)key;
    if (EnModoNuevo() || ListaPibes.empty()) return;
    if (QWidget* w = CampoDe(sender, cbGrupo)) Pintar(w, kColorCambiado);
    btnActualizar->setEnabled(true);
}

void TfrmBindelora::MemoDireccionKeyPress(QObject* sender, char16_t& key)
{
    (void)key;
    if (EnModoNuevo()) return;
    if (QWidget* w = CampoDe(sender, cbGrupo)) Pintar(w, kColorCambiado);
    btnActualizar->setEnabled(true);
}

void TfrmBindelora::cbGrupoKeyPress(QObject* sender, char16_t& key)
{
    MemoDireccionKeyPress(sender, key);
}

void TfrmBindelora::cbGrupoClick()
{
    char16_t key = 0;
    MemoDireccionKeyPress(cbGrupo, key);
}

void TfrmBindelora::edtCumpleDiaKeyPress(QObject* sender, char16_t& key)
{
    if (key != 8 && !EsDigito(key)) {
        key = 0;
        return;
    }
    if (!EnModoNuevo()) edtNombreKeyPress(sender, key);
    if (EsDigito(key) && edtCumpleDia->text().size() == 1) {
        // The second digit ends the day: it lands here, and the month is
        // ready to be typed over.
        edtCumpleDia->insert(QString(QChar(key)));
        key = 0;
        edtCumpleMes->setFocus(Qt::TabFocusReason);
        edtCumpleMes->selectAll();
    }
}

void TfrmBindelora::edtCumpleMesKeyPress(QObject* sender, char16_t& key)
{
    if (key != 8 && !EsDigito(key)) {
        key = 0;
        return;
    }
    if (!EnModoNuevo()) edtNombreKeyPress(sender, key);
    const QString t = edtCumpleMes->text();
    if (EsDigito(key) && t.size() == 1 && EsDigito(t.at(0).unicode())) {
        edtCumpleMes->insert(QString(QChar(key)));
        key = 0;
        edtCumpleAno->setFocus(Qt::TabFocusReason);
        edtCumpleAno->selectAll();
    }
}

void TfrmBindelora::lblEMailMouseEnter(QObject* sender)
{
    (void)sender;  // the editor's label is styled whichever label was entered
    if (!EsEMailEnlazable(deQ(edtEMail->text()))) return;
    QPalette p = lblEMail->palette();
    p.setColor(QPalette::WindowText, kColorEnlace);
    lblEMail->setPalette(p);
    QFont f = lblEMail->font();
    f.setUnderline(true);
    lblEMail->setFont(f);
    lblEMail->setCursor(Qt::PointingHandCursor);
    const QString pista = edtNombre->text().isEmpty() ? QStringLiteral("Enviar un EMail")
                                                      : QStringLiteral("Enviar un EMail a ") + edtNombre->text();
    lblEMail->setToolTip(pista);
    QToolTip::showText(QCursor::pos(), pista, lblEMail);
}

void TfrmBindelora::lblEMailMouseLeave(QObject* sender)
{
    (void)sender;
    QPalette p = lblEMail->palette();
    p.setColor(QPalette::WindowText, Qt::black);
    lblEMail->setPalette(p);
    QFont f = lblEMail->font();
    f.setUnderline(false);
    lblEMail->setFont(f);
    lblEMail->unsetCursor();
    lblEMail->setToolTip(QString());
    QToolTip::hideText();
}

void TfrmBindelora::lblEMailClick(QObject* sender)
{
    (void)sender;
    // Only while the label is a link: the pointer is over it and the
    // address passed the test.
    if (lblEMail->palette().color(QPalette::WindowText) != kColorEnlace) return;
    Escritorio::instancia().AbrirUrl(UrlCorreo(edtEMail->text()));
}
