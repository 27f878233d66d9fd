// The windows of the program, loaded by the program's entry only when a
// window is wanted: the modes for scripts start without the Qt libraries of
// the desktop, which take most of their running time to load.
#include <QApplication>
#include <QIcon>

#include "platform/senales.h"
#include "programa.h"

extern "C" __attribute__((visibility("default"))) int bindelora_ventana(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Bindelora"));
    QApplication::setStyle(QStringLiteral("Fusion"));
    // Lets the desktop match the windows to the installed launcher and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(BINDELORA_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(BINDELORA_APP_ID)));
    bindelora::TerminarConSenales();

    bindelora::Programa programa(app.arguments());
    if (programa.Terminado()) return 1;
    // Signals and the end of the desktop session end the loop; the data
    // files are written on the way out.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&programa] { programa.Apagar(); });
    programa.Mostrar();
    return app.exec();
}
