#pragma once
// The locale-aware, case-sensitive comparison behind every self-sorting
// list: Spanish collation, digits before letters, small letters before
// capitals, Ñ after N.
#include <QCollatorSortKey>
#include <QString>

namespace bindelora {

int CompararLocal(const QString& a, const QString& b);
// A key whose compare() orders as CompararLocal, for sorting many rows.
QCollatorSortKey ClaveLocal(const QString& s);

}  // namespace bindelora
