#include "platform/reloj.h"

#include <QDate>

namespace bindelora {

Fecha RelojSistema::Hoy() const
{
    const QDate hoy = QDate::currentDate();
    return Fecha{hoy.year(), hoy.month(), hoy.day()};
}

}  // namespace bindelora
