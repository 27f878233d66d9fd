#include "platform/comparador.h"

#include <QStringList>

#include <algorithm>

#include <gtest/gtest.h>

using namespace bindelora;

// Digits first and compared as text, small before capital at the same
// letter, accents a secondary difference, Ñ a letter between N and O.
const QStringList kOrden = {"1", "10", "9", "a", "A", "á", "Á", "ab", "Ab", "b", "B", "n", "N",
                            "Nunez", "Núnez", "Nuñez", "Núñez", "Nz", "ñ", "Ñ", "Ñandú", "o", "O", "z"};

TEST(Comparador, OrdenEspanol)
{
    QStringList l = kOrden;
    std::reverse(l.begin(), l.end());
    std::rotate(l.begin(), l.begin() + 7, l.end());
    std::stable_sort(l.begin(), l.end(), [](const QString& a, const QString& b) { return CompararLocal(a, b) < 0; });
    EXPECT_EQ(l, kOrden);
    EXPECT_EQ(CompararLocal("Núñez", "Núñez"), 0);
}

TEST(Comparador, ClaveOrdenaComoLaComparacion)
{
    for (const QString& a : kOrden + QStringList{""})
        for (const QString& b : kOrden) {
            const int directa = CompararLocal(a, b), porClave = ClaveLocal(a).compare(ClaveLocal(b));
            EXPECT_EQ((directa > 0) - (directa < 0), (porClave > 0) - (porClave < 0))
                << a.toStdString() << " / " << b.toStdString();
        }
}
