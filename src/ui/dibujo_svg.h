#pragma once
// Pictures drawn from their SVG at the screen's pixel ratio: a bitmap made at
// ratio 1 and scaled up would be blurred. At ratio 1 the widgets draw as they
// always did.
#include <QString>

class QAbstractButton;
class QLabel;

namespace bindelora {

void DibujarDesdeSvg(QLabel* l, const QString& ruta);
// A picture button of four states: base + "_normal.svg", "_hover.svg",
// "_pressed.svg" and "_disabled.svg".
void DibujarBotonDesdeSvg(QAbstractButton* b, const QString& base);

}  // namespace bindelora
