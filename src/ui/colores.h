#pragma once
// The field colours shared by the views.
#include <QColor>
#include <QPalette>
#include <QWidget>

namespace bindelora {

inline const QColor kColorNormal{238, 238, 255};      // a field as laid out, every list
inline const QColor kColorCambiado{221, 238, 221};    // typed into, or a new entry being typed
inline const QColor kColorDesactivado{192, 192, 192}; // the ordering combo while it is locked

inline void Pintar(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, c);
    p.setColor(QPalette::Button, c);
    w->setPalette(p);
}

}  // namespace bindelora
