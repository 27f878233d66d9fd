// Bindelora: an address book with a calendar of dated events.
#include <QApplication>
#include <QIcon>

#include "linea_ordenes.h"
#include "platform/senales.h"
#include "programa.h"

namespace {

// The four windows; the arguments may name the first view.
int AbrirVentanas(int& argc, char** argv)
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

}  // namespace

int main(int argc, char* argv[])
{
    // The modes for scripts come first: they must run where there is no
    // display at all.
    const int codigo = bindelora::EjecutarLineaOrdenes(argc, argv);
    return codigo >= 0 ? codigo : AbrirVentanas(argc, argv);
}
