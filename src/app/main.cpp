// Bindelora: an address book with a calendar of dated events.
#include <QApplication>
#include <QIcon>

#include "platform/senales.h"
#include "programa.h"

int main(int argc, char* argv[])
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
