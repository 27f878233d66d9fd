#include "platform/lanzador.h"

#include <QProcess>

namespace bindelora {

bool LanzadorQt::Lanzar(const QString& programa, const QStringList& argumentos)
{
    return QProcess::startDetached(programa, argumentos);
}

}  // namespace bindelora
