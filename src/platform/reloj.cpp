#include "platform/reloj.h"

#include <QDate>

namespace bindelora {

namespace {
Reloj* g_reloj = nullptr;
}

Reloj& Reloj::instancia()
{
    if (g_reloj)
        return *g_reloj;
    static RelojSistema sistema;
    return sistema;
}

void Reloj::setInstancia(Reloj* reloj)
{
    g_reloj = reloj;
}

Fecha RelojSistema::Hoy() const
{
    const QDate hoy = QDate::currentDate();
    return Fecha{hoy.year(), hoy.month(), hoy.day()};
}

}  // namespace bindelora
