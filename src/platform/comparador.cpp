#include "platform/comparador.h"

#include <QCollator>
#include <QLocale>

namespace bindelora {

namespace {

// Building a collator opens ICU data; do it once. Only the GUI thread sorts.
const QCollator& Colador()
{
    static const QCollator colador = [] {
        QCollator c(QLocale(QLocale::Spanish, QLocale::Spain));
        // ICU's Spanish tailoring already puts digits first, small letters
        // before capitals and Ñ between N and O; numeric mode would make
        // "10" follow "9", which the lists must not do.
        c.setCaseSensitivity(Qt::CaseSensitive);
        c.setNumericMode(false);
        c.setIgnorePunctuation(false);
        return c;
    }();
    return colador;
}

}  // namespace

int CompararLocal(const QString& a, const QString& b)
{
    return Colador().compare(a, b);
}

QCollatorSortKey ClaveLocal(const QString& s)
{
    return Colador().sortKey(s);
}

}  // namespace bindelora
