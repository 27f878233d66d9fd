#include "ventana_forma.h"

namespace bindelora {

QRegion RegionRecortada(int ancho, int alto, const std::vector<Corte>& cortes)
{
    QRegion r(0, 0, ancho, alto);
    for (const Corte& c : cortes) r = r.xored(QRegion(c.izq, c.arriba, c.der - c.izq, c.abajo - c.arriba));
    return r;
}

}  // namespace bindelora
