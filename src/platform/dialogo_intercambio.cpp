#include "platform/dialogo_intercambio.h"

#include <QFileDialog>
#include <QFileInfo>

namespace bindelora {

namespace {

std::optional<EleccionArchivo> Resultado(const QString& ruta, const QString& elegido, const QStringList& filtros)
{
    if (ruta.isEmpty()) return std::nullopt;
    return EleccionArchivo{ruta, std::max(0, static_cast<int>(filtros.indexOf(elegido)))};
}

}  // namespace

std::optional<EleccionArchivo> DialogoIntercambioQt::Abrir(QWidget* dueno, const QString& titulo,
                                                           const QString& carpeta, const QStringList& filtros)
{
    QString elegido;
    const QString ruta = QFileDialog::getOpenFileName(dueno, titulo, carpeta, filtros.join(QStringLiteral(";;")), &elegido);
    return Resultado(ruta, elegido, filtros);
}

std::optional<EleccionArchivo> DialogoIntercambioQt::Guardar(QWidget* dueno, const QString& titulo,
                                                             const QString& carpeta, const QString& nombre,
                                                             const QStringList& filtros)
{
    QString elegido;
    const QString ruta = QFileDialog::getSaveFileName(dueno, titulo, carpeta + QLatin1Char('/') + nombre,
                                                      filtros.join(QStringLiteral(";;")), &elegido);
    return Resultado(ruta, elegido, filtros);
}

}  // namespace bindelora
