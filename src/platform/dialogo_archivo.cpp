#include "platform/dialogo_archivo.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QTranslator>

namespace bindelora {

namespace {

// Qt's own dialog speaks Spanish too; loaded at the first opening, not at
// the start of the program.
void TraducirDialogos()
{
    static bool hecho = false;
    if (hecho || !QCoreApplication::instance()) return;
    hecho = true;
    auto* traductor = new QTranslator(QCoreApplication::instance());
    if (traductor->load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(traductor);
    else
        delete traductor;
}

}  // namespace

QString DialogoArchivoQt::ElegirArchivo(QWidget* dueno, const QString& titulo, const QString& carpeta,
                                        const QString& nombre, const QStringList& filtros)
{
    TraducirDialogos();
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

QString DialogoArchivoQt::ElegirCarpeta(QWidget* dueno, const QString& titulo, const QString& carpeta)
{
    TraducirDialogos();
    QFileDialog dialogo(dueno, titulo, carpeta);
    dialogo.setOption(QFileDialog::DontUseNativeDialog, true);
    dialogo.setOption(QFileDialog::ShowDirsOnly, true);
    dialogo.setFileMode(QFileDialog::Directory);
    dialogo.setSizeGripEnabled(true);
    if (dialogo.exec() != QDialog::Accepted) return {};
    const QStringList elegidos = dialogo.selectedFiles();
    return elegidos.isEmpty() ? QString() : elegidos.first();
}

}  // namespace bindelora
