#include "platform/ventanas.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDialog>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace bindelora {

namespace {

// Watches every mouse event of the application while the button is down:
// the widget that took the press holds the mouse, whichever it is.
class ArrastreManual : public QObject {
public:
    ArrastreManual(QWidget* ventana, const QPoint& inicio)
        : ventana_(ventana), inicio_(inicio), origen_(ventana->pos())
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        const auto tipo = e->type();
        if (tipo != QEvent::MouseMove && tipo != QEvent::MouseButtonRelease) return false;
        auto* m = static_cast<QMouseEvent*>(e);
        if (!ventana_ || tipo == QEvent::MouseButtonRelease || m->buttons() == Qt::NoButton) {
            Terminar();
            return false;
        }
        ventana_->move(origen_ + (m->globalPosition().toPoint() - inicio_));
        return true;
    }

private:
    void Terminar()
    {
        QCoreApplication::instance()->removeEventFilter(this);
        deleteLater();
    }

    QPointer<QWidget> ventana_;
    QPoint inicio_;
    QPoint origen_;
};

}  // namespace

void ArrastrarAMano(QWidget* ventana, const QPoint& inicioGlobal)
{
    new ArrastreManual(ventana->window(), inicioGlobal);
}

void VentanasQt::Arrastrar(QWidget* ventana)
{
    QWindow* w = ventana->window()->windowHandle();
    if (w && w->startSystemMove()) return;
    ArrastrarAMano(ventana, QCursor::pos());
}

int VentanasQt::MostrarModal(QDialog* ventana)
{
    return ventana->exec();
}

QRegion RegionConCortes(const QRect& base, std::initializer_list<QRect> cortes)
{
    QRegion r(base);
    for (const QRect& c : cortes) r = r.xored(QRegion(c));
    return r;
}

}  // namespace bindelora
