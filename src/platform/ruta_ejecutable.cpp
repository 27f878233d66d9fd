#include "platform/ruta_ejecutable.h"

#include <QCoreApplication>

namespace bindelora {

namespace {
RutaEjecutable* g_ruta = nullptr;
}

RutaEjecutable& RutaEjecutable::instancia()
{
    if (g_ruta)
        return *g_ruta;
    static RutaEjecutableQt real;
    return real;
}

void RutaEjecutable::setInstancia(RutaEjecutable* r)
{
    g_ruta = r;
}

std::string RutaEjecutableQt::Ruta() const
{
    return QCoreApplication::applicationFilePath().toStdString();
}

}  // namespace bindelora
