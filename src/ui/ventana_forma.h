#pragma once
// Shaping and framing shared by the skinned windows.
#include <QRect>
#include <QLabel>
#include <QRegion>
#include <QString>
#include <array>
#include <vector>

namespace bindelora {

// The window rectangle with each cut combined by exclusive-or (cuts given
// as left, top, right, bottom; right and bottom excluded).
struct Corte {
    int izq, arriba, der, abajo;
};
QRegion RegionRecortada(int ancho, int alto, const std::vector<Corte>& cortes);

// The frame pictures of a skinned window laid out as it draws them: a top
// strip (arriba) and its lower edge (borde) at their natural sizes, the
// foot (pie) at the bottom, and the body (cuerpo) stretched between; all of
// them behind every other control.
void ColocarMarco(QWidget* ventana, QLabel* arriba, QLabel* borde, QLabel* cuerpo, QLabel* pie);

// The pictures of the two small windows drawn from their SVGs (the frame
// pieces from prefijo + their object name), the frame hidden from screen
// readers, the close picture and the exit button named for them.
void VestirVentanaPequena(QWidget* ventana, const std::array<QLabel*, 4>& marco, QLabel* cerrar, QWidget* salir,
                          const QString& prefijo);

}  // namespace bindelora
