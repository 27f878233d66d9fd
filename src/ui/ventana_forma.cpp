#include "ventana_forma.h"

#include "accesibilidad.h"
#include "dibujo_svg.h"

namespace bindelora {

QRegion RegionRecortada(int ancho, int alto, const std::vector<Corte>& cortes)
{
    QRegion r(0, 0, ancho, alto);
    for (const Corte& c : cortes) r = r.xored(QRegion(c.izq, c.arriba, c.der - c.izq, c.abajo - c.arriba));
    return r;
}

void ColocarMarco(QWidget* ventana, QLabel* arriba, QLabel* borde, QLabel* cuerpo, QLabel* pie)
{
    // A picture's own size where it has one (the form's size otherwise).
    auto tam = [](QLabel* l) { return l->pixmap().isNull() ? l->size() : l->pixmap().deviceIndependentSize().toSize(); };
    arriba->setGeometry(0, 0, tam(arriba).width(), tam(arriba).height());
    borde->setGeometry(0, arriba->height(), tam(borde).width(), tam(borde).height());
    pie->setGeometry(0, ventana->height() - tam(pie).height(), tam(pie).width(), tam(pie).height());
    const int bajoBorde = borde->y() + borde->height();
    cuerpo->setGeometry(0, bajoBorde, ventana->width(), pie->y() - bajoBorde);
    for (QLabel* l : {cuerpo, borde, arriba, pie}) l->lower();
}

void VestirVentanaPequena(QWidget* ventana, const std::array<QLabel*, 4>& marco, QLabel* cerrar, QWidget* salir,
                          const QString& prefijo)
{
    accesible::InstalarFabrica();
    for (QLabel* l : marco) {
        accesible::Adorno(l);
        DibujarDesdeSvg(l, prefijo + l->objectName() + QStringLiteral(".svg"));
    }
    accesible::BotonDibujo(cerrar, QStringLiteral("Cerrar"));
    DibujarDesdeSvg(cerrar, QStringLiteral(":/ventanas/cerrar.svg"));
    accesible::Nombrar(salir, QStringLiteral("Salir"));
    accesible::AvisarTextosCortados(ventana);
}

}  // namespace bindelora
