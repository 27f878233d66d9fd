#include "platform/escritorio.h"

#include <QDesktopServices>

namespace bindelora {

void EscritorioQt::AbrirUrl(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

QUrl UrlCorreo(const QString& direccion)
{
    // Tolerant parsing percent-encodes what a URL may not hold (blanks,
    // accents) instead of refusing the address.
    return QUrl(QStringLiteral("mailto:") + direccion, QUrl::TolerantMode);
}

}  // namespace bindelora
