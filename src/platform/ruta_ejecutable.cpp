#include "platform/ruta_ejecutable.h"

#include <QCoreApplication>

namespace bindelora {

std::string RutaEjecutableQt::Ruta() const
{
    return QCoreApplication::applicationFilePath().toStdString();
}

}  // namespace bindelora
