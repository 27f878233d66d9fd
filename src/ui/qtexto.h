#pragma once
// The one place where the program's Windows-1252 text meets Qt's Unicode.
#include <QString>
#include <string>
#include <string_view>

#include "core/texto.h"

namespace bindelora {

inline QString aQ(std::string_view s)
{
    QString r(static_cast<qsizetype>(s.size()), Qt::Uninitialized);
    QChar* d = r.data();
    for (std::size_t i = 0; i < s.size(); ++i)
        d[i] = QChar(static_cast<char16_t>(Cp1252ACodigo(static_cast<unsigned char>(s[i]))));
    return r;
}

inline std::string deQ(const QString& s)
{
    std::string r;
    r.reserve(static_cast<std::size_t>(s.size()));
    for (QChar c : s) {
        char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) r += static_cast<char>(u);
        else r += Utf8ACp1252(QString(c).toStdString());
    }
    return r;
}

}  // namespace bindelora
