#include "dibujo_svg.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QSvgRenderer>

namespace bindelora {

namespace {

constexpr const char* kRuta = "bindeloraSvg";

QSvgRenderer* Dibujo(const QString& ruta)
{
    static QHash<QString, QSvgRenderer*> dibujos;
    auto it = dibujos.find(ruta);
    if (it == dibujos.end()) it = dibujos.insert(ruta, new QSvgRenderer(ruta, qApp));
    return it.value();
}

class PintorSvg : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() != QEvent::Paint) return false;
        auto* w = static_cast<QWidget*>(o);
        if (w->devicePixelRatioF() == 1.0) return false;
        const QString ruta = w->property(kRuta).toString();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            const char* estado = !b->isEnabled() ? "_disabled.svg"
                                 : b->isDown()   ? "_pressed.svg"
                                 : b->underMouse() ? "_hover.svg"
                                                   : "_normal.svg";
            QPainter p(b);
            Dibujo(ruta + QLatin1String(estado))->render(&p, QRectF(b->rect()));
            return true;
        }
        auto* l = static_cast<QLabel*>(w);
        QSvgRenderer* d = Dibujo(ruta);
        if (!d->isValid()) return false;
        const QRect dentro = l->contentsRect();
        const QRect caja = l->hasScaledContents()
                               ? dentro
                               : QStyle::alignedRect(l->layoutDirection(), l->alignment(), d->defaultSize(), dentro);
        QPainter p(l);
        d->render(&p, QRectF(caja));
        return true;
    }
};

PintorSvg* Pintor()
{
    static PintorSvg* pintor = new PintorSvg(qApp);
    return pintor;
}

}  // namespace

void DibujarDesdeSvg(QLabel* l, const QString& ruta)
{
    l->setProperty(kRuta, ruta);
    l->installEventFilter(Pintor());
}

void DibujarBotonDesdeSvg(QAbstractButton* b, const QString& base)
{
    b->setProperty(kRuta, base);
    b->installEventFilter(Pintor());
}

}  // namespace bindelora
