#pragma once
// Shaping and dragging shared by the two skinned windows.
#include <QRect>
#include <QRegion>
#include <vector>

namespace bindelora {

// The window rectangle with each cut combined by exclusive-or (cuts given
// as left, top, right, bottom; right and bottom excluded).
struct Corte {
    int izq, arriba, der, abajo;
};
QRegion RegionRecortada(int ancho, int alto, const std::vector<Corte>& cortes);

}  // namespace bindelora
