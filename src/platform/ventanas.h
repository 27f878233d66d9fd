#pragma once
// Window services: moving a borderless window by dragging, showing a window
// modally, and shaping a window by cutting rectangles out of it.
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <initializer_list>
#include <vector>

#include "platform/sustituible.h"

class QWidget;
class QDialog;

namespace bindelora {

class VentanasQt;

class Ventanas : public Sustituible<Ventanas, VentanasQt> {
public:
    virtual ~Ventanas() = default;
    // The system moves the window as when its caption is dragged.
    virtual void Arrastrar(QWidget* ventana) = 0;
    // Shows the window modally; returns its result code.
    virtual int MostrarModal(QDialog* ventana) = 0;
};

class VentanasQt : public Ventanas {
public:
    void Arrastrar(QWidget* ventana) override;
    int MostrarModal(QDialog* ventana) override;
};

// Records the calls instead of moving or blocking.
class VentanasFalsas : public Ventanas {
public:
    void Arrastrar(QWidget* ventana) override { arrastres.push_back(ventana); }
    int MostrarModal(QDialog* ventana) override
    {
        modales.push_back(ventana);
        return respuestaModal;
    }
    std::vector<QWidget*> arrastres;
    std::vector<QDialog*> modales;
    int respuestaModal = 0;
};

// Moves the window by hand, following the mouse from inicioGlobal until the
// button is released: for desktops where the system does not move it
// (startSystemMove fails, as on a bare X server).
void ArrastrarAMano(QWidget* ventana, const QPoint& inicioGlobal);

// The rectangle base with each cut combined by exclusive-or, as a window
// outline (right and bottom edges of the rectangles exclusive).
QRegion RegionConCortes(const QRect& base, std::initializer_list<QRect> cortes);

}  // namespace bindelora
