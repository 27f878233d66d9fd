#include "accesibilidad.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFocusFrame>
#include <QLineEdit>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTextDocumentFragment>

#include "celdasdia.h"

namespace bindelora::accesible {

namespace {

constexpr const char* kAdorno = "bindeloraAdorno";
constexpr const char* kBotonDibujo = "bindeloraBotonDibujo";
constexpr const char* kVista = "bindeloraVista";
constexpr const char* kConAdornos = "bindeloraConAdornos";
constexpr const char* kAyudaPropia = "bindeloraAyudaPropia";
constexpr const char* kAyudaPuesta = "bindeloraAyudaPuesta";

bool EnElArbol(const QWidget* w)
{
    return !w->isWindow() && !qobject_cast<const QFocusFrame*>(w) && !qobject_cast<const QMenu*>(w) &&
           !w->property(kAdorno).toBool();
}

// A container whose tree leaves out its decorating pictures; a view behind
// the front one shows no children and reads as not on screen.
class Contenedor : public QAccessibleWidget {
public:
    Contenedor(QWidget* w, QAccessible::Role rol) : QAccessibleWidget(w, rol) {}

    QList<QWidget*> Hijos() const
    {
        QList<QWidget*> r;
        if (widget()->property(kVista).toBool() && !EnFrente(widget())) return r;
        for (QObject* o : widget()->children())
            if (o->isWidgetType() && EnElArbol(static_cast<QWidget*>(o))) r.append(static_cast<QWidget*>(o));
        return r;
    }
    int childCount() const override { return static_cast<int>(Hijos().size()); }
    QAccessibleInterface* child(int i) const override
    {
        const QList<QWidget*> h = Hijos();
        return i >= 0 && i < h.size() ? QAccessible::queryAccessibleInterface(h[i]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* c) const override
    {
        return c && c->object() && c->object()->isWidgetType()
                   ? static_cast<int>(Hijos().indexOf(static_cast<QWidget*>(c->object())))
                   : -1;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (widget()->property(kVista).toBool() && !EnFrente(widget())) {
            s.invisible = true;
            s.offscreen = true;
        }
        return s;
    }
};

// A picture or a day cell that acts as a button.
class Pulsable : public QAccessibleWidget {
public:
    explicit Pulsable(QWidget* w) : QAccessibleWidget(w, QAccessible::Button) {}

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& accion) override
    {
        if (accion != pressAction()) {
            QAccessibleWidget::doAction(accion);
            return;
        }
        if (auto* dia = qobject_cast<TEtiquetaDia*>(widget())) {
            dia->Pulsar();
            return;
        }
        // The picture's own handlers take a press and a release.
        const QPointF centro = QRectF(widget()->rect()).center();
        QMouseEvent pulsar(QEvent::MouseButtonPress, centro, widget()->mapToGlobal(centro), Qt::LeftButton,
                           Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget(), &pulsar);
        QMouseEvent soltar(QEvent::MouseButtonRelease, centro, widget()->mapToGlobal(centro), Qt::LeftButton,
                           Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget(), &soltar);
    }
};

QAccessibleInterface* Fabrica(const QString&, QObject* o)
{
    if (!o || !o->isWidgetType()) return nullptr;
    auto* w = static_cast<QWidget*>(o);
    if (qobject_cast<TEtiquetaDia*>(w) || w->property(kBotonDibujo).toBool()) return new Pulsable(w);
    if (w->property(kVista).toBool()) return new Contenedor(w, QAccessible::Pane);
    if (w->property(kConAdornos).toBool())
        return new Contenedor(w, qobject_cast<QDialog*>(w) ? QAccessible::Dialog
                                 : w->isWindow()            ? QAccessible::Window
                                                            : QAccessible::Pane);
    return nullptr;
}

QString SinAceleradores(QString t)
{
    t.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    t.remove(QLatin1Char('&'));
    t.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return t;
}

bool NoCabe(const QWidget* w)
{
    const QFontMetrics fm = w->fontMetrics();
    if (auto* l = qobject_cast<const QLabel*>(w)) {
        if (l->text().isEmpty()) return false;
        const QRect caja = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
        const QString t = l->textFormat() == Qt::RichText ? QTextDocumentFragment::fromHtml(l->text()).toPlainText()
                                                          : SinAceleradores(l->text());
        const int flags = l->wordWrap() ? Qt::TextWordWrap : 0;
        const QRect necesita = fm.boundingRect(QRect(0, 0, caja.width(), 100000), flags, t);
        return necesita.width() > caja.width() || necesita.height() > caja.height();
    }
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) {
        if (b->text().isEmpty()) return false;
        const int icono = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
        return fm.horizontalAdvance(SinAceleradores(b->text())) + icono + 8 > b->width();
    }
    return false;
}

class VigiaTexto : public QObject {
public:
    using QObject::QObject;

    static void Revisar(QWidget* w)
    {
        // A tooltip that someone else set since is the widget's own now.
        if (w->toolTip() != w->property(kAyudaPuesta).toString()) w->setProperty(kAyudaPropia, w->toolTip());
        const QString propia = w->property(kAyudaPropia).toString();
        const QString texto = qobject_cast<QLabel*>(w) ? SinAceleradores(static_cast<QLabel*>(w)->text())
                                                       : SinAceleradores(static_cast<QAbstractButton*>(w)->text());
        const QString ayuda = !NoCabe(w) || propia.contains(texto) ? propia
                              : propia.isEmpty()                  ? texto
                                                                  : propia + QStringLiteral("\n") + texto;
        w->setProperty(kAyudaPuesta, ayuda);
        if (w->toolTip() != ayuda) w->setToolTip(ayuda);
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        // A paint also follows a new text, which no event announces.
        if (e->type() == QEvent::FontChange || e->type() == QEvent::Show || e->type() == QEvent::Resize ||
            e->type() == QEvent::Paint)
            Revisar(static_cast<QWidget*>(o));
        return false;
    }
};

// Tells a screen reader which view came to the front: the tree changed
// without any widget being shown or hidden.
class VigiaVista : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() != QEvent::ZOrderChange || !QAccessible::isActive()) return false;
        QWidget* padre = static_cast<QWidget*>(o)->parentWidget();
        if (!padre) return false;
        for (QObject* h : padre->children()) {
            if (!h->property(kVista).toBool()) continue;
            QAccessible::State cambio;
            cambio.invisible = true;
            cambio.offscreen = true;
            QAccessibleStateChangeEvent estado(h, cambio);
            QAccessible::updateAccessibility(&estado);
            QAccessibleEvent visto(h, EnFrente(static_cast<QWidget*>(h)) ? QAccessible::ObjectShow
                                                                         : QAccessible::ObjectHide);
            QAccessible::updateAccessibility(&visto);
        }
        QAccessibleEvent orden(padre, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&orden);
        return false;
    }
};

}  // namespace

void InstalarFabrica()
{
    static bool hecho = false;
    if (hecho) return;
    hecho = true;
    QAccessible::installFactory(Fabrica);
}

void Nombrar(QWidget* w, const QString& nombre, const QString& descripcion)
{
    w->setAccessibleName(nombre);
    // An editable combo's field is read on its own.
    if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit())
        combo->lineEdit()->setAccessibleName(nombre);
    if (!descripcion.isEmpty()) w->setAccessibleDescription(descripcion);
}

void Adorno(QWidget* w)
{
    w->setProperty(kAdorno, true);
    if (QWidget* padre = w->parentWidget()) padre->setProperty(kConAdornos, true);
}

void BotonDibujo(QLabel* w, const QString& nombre)
{
    w->setProperty(kBotonDibujo, true);
    w->setAccessibleName(nombre);
}

void Vista(QWidget* panel, const QString& nombre)
{
    static VigiaVista* vigia = new VigiaVista(qApp);
    panel->setProperty(kVista, true);
    panel->setAccessibleName(nombre);
    panel->installEventFilter(vigia);
}

bool EsVista(const QWidget* w)
{
    return w->property(kVista).toBool();
}

bool EnFrente(const QWidget* panel)
{
    // Raising moves a child to the end of its parent's children.
    const QWidget* padre = panel->parentWidget();
    if (!padre) return true;
    const QObjectList& hijos = padre->children();
    for (auto it = hijos.crbegin(); it != hijos.crend(); ++it)
        if ((*it)->property(kVista).toBool()) return *it == panel;
    return true;
}

void AvisarTextoCortado(QWidget* w)
{
    if (w->property(kAyudaPropia).isValid()) return;
    static VigiaTexto* vigia = new VigiaTexto(qApp);
    w->setProperty(kAyudaPropia, w->toolTip());
    w->setProperty(kAyudaPuesta, w->toolTip());
    w->installEventFilter(vigia);
    VigiaTexto::Revisar(w);
}

void AvisarTextosCortados(QWidget* ventana)
{
    for (QLabel* l : ventana->findChildren<QLabel*>())
        if (!qobject_cast<TEtiquetaDia*>(l) && !l->text().isEmpty()) AvisarTextoCortado(l);
    for (QAbstractButton* b : ventana->findChildren<QAbstractButton*>())
        if (!b->text().isEmpty()) AvisarTextoCortado(b);
}

AnilloFoco::AnilloFoco(QWidget* ventana, std::initializer_list<QAbstractButton*> botones) : QWidget(ventana)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    Adorno(this);
    hide();
    std::vector<QAbstractButton*> lista(botones);
    connect(qApp, &QApplication::focusChanged, this, [this, lista](QWidget*, QWidget* ahora) {
        boton_ = nullptr;
        for (QAbstractButton* b : lista)
            if (b == ahora) boton_ = b;
        if (!boton_) {
            hide();
            return;
        }
        setGeometry(QRect(boton_->mapTo(parentWidget(), QPoint(0, 0)), boton_->size()));
        show();
        raise();
    });
}

void AnilloFoco::paintEvent(QPaintEvent*)
{
    // Black and white dots: seen on any picture.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(QColor(0, 0, 0));
    pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    p.drawRect(rect().adjusted(2, 2, -3, -3));
    pen.setColor(QColor(255, 255, 255));
    p.setPen(pen);
    p.drawRect(rect().adjusted(3, 3, -4, -4));
}

}  // namespace bindelora::accesible
