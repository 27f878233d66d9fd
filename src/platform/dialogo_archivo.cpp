#include "platform/dialogo_archivo.h"

#include <QFileDialog>

namespace bindelora {

QString DialogoArchivoQt::ElegirArchivo(QWidget* dueno, const QString& titulo, const QString& carpeta,
                                        const QString& nombre, const QStringList& filtros)
{
    QFileDialog dialogo(dueno, titulo, carpeta);
    dialogo.setOption(QFileDialog::DontUseNativeDialog, true);
    dialogo.setAcceptMode(QFileDialog::AcceptOpen);
    dialogo.setFileMode(QFileDialog::ExistingFile);
    dialogo.setNameFilters(filtros);
    if (!filtros.isEmpty()) dialogo.selectNameFilter(filtros.first());
    if (!nombre.isEmpty()) dialogo.selectFile(nombre);
    dialogo.setSizeGripEnabled(true);
    if (dialogo.exec() != QDialog::Accepted) return {};
    const QStringList elegidos = dialogo.selectedFiles();
    return elegidos.isEmpty() ? QString() : elegidos.first();
}

}  // namespace bindelora
