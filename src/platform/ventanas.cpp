#include "platform/ventanas.h"

#include <QDialog>
#include <QWidget>
#include <QWindow>

namespace bindelora {

void VentanasQt::Arrastrar(QWidget* ventana)
{
    if (QWindow* w = ventana->window()->windowHandle()) w->startSystemMove();
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
