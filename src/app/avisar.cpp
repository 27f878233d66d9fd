#include "avisar.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/agenda.h"
#include "core/archivo_avisal.h"
#include "core/avisal.h"
#include "core/avisos.h"
#include "core/texto.h"
#include "linea_ordenes.h"
#include "ordenes_basicas.h"
#include "platform/autoarranque.h"
#include "platform/carpeta_datos.h"
#include "platform/config_registro.h"
#include "platform/notificaciones.h"

namespace bindelora {

namespace {

void Utf8(std::FILE* f, const std::string& s)
{
    Escribir(f, s);
    Escribir(f, "\n");
}

// A Qt application object for the event loop of the wait, unless the
// caller has one.
std::unique_ptr<QCoreApplication> AplicacionQt()
{
    if (QCoreApplication::instance()) return nullptr;
    static int argc = 1;
    static char nombre[] = "bindelora";
    static char* argv[] = {nombre, nullptr};
    return std::make_unique<QCoreApplication>(argc, argv);
}

}  // namespace

bool TextoAvisar(const std::string& programa, const Fecha& hoy, std::string& texto)
{
    const std::string agenda = RutaArchivoDatos(programa, "dat"), avisal = RutaArchivoDatos(programa, "avs");
    // As the window has them after its start; the book is read once for
    // the birthdays not yet entered and for those to come.
    ListaAvisales avisales;
    const LecturaArchivoAvisal r = LeerArchivoAvisal(avisal, hoy, avisales);
    if (!r.Correcta()) {
        Decir(stderr, "bindelora: " + (r.error.empty() ? "el archivo de sucesos " + avisal +
                                                              " est\xE1 da\xF1" "ado en la l\xED" "nea " +
                                                              std::to_string(r.resultado.lineaFallida)
                                                        : r.error));
        return false;
    }
    ListaPibes pibes;
    if (CargarLibro(agenda, pibes, false)) SincronizarCumples(pibes, avisales);
    else pibes.clear();

    // Today's entries in the order --hoy and the window give them.
    std::vector<std::string> textos = TextosDeHoy(avisales, hoy);
    std::vector<std::string> enOrden;
    for (std::size_t i : OrdenTextosHoy(textos)) enOrden.push_back(std::move(textos[i]));

    const std::vector<std::string> cumples = LineasCumplesProximos(pibes, hoy);
    texto = enOrden.empty() && cumples.empty() ? std::string() : Cp1252AUtf8(TextoAviso(enOrden, cumples));
    return true;
}

int AvisarOrden(const std::string& programa, const Fecha& hoy, const std::string& direccionBus,
                std::chrono::milliseconds espera)
{
    std::string texto;
    if (!TextoAvisar(programa, hoy, texto)) return 1;
    if (texto.empty()) return 0;

    const auto aplicacion = AplicacionQt();
    const QString nombreBus = QStringLiteral("bindelora-avisar");
    const QDBusConnection bus = direccionBus.empty()
                                    ? QDBusConnection::sessionBus()
                                    : QDBusConnection::connectToBus(QString::fromStdString(direccionBus), nombreBus);
    const Notificacion n{QStringLiteral("Bindelora"),
                         QStringLiteral("com.quenturo.Bindelora"),
                         QStringLiteral("Avisal"),
                         QString::fromStdString(texto),
                         QStringLiteral("abrir"),
                         QStringLiteral("Abrir Bindelora"),
                         QString::fromStdString(programa),
                         {QStringLiteral("/AVISAL")},
                         QStringLiteral("com.quenturo.Bindelora")};
    QString porque;
    const ResultadoNotificacion r = Notificar(bus, n, espera, porque);
    if (!direccionBus.empty()) QDBusConnection::disconnectFromBus(nombreBus);
    if (r == ResultadoNotificacion::SinServicio) {
        // The reminder still reaches whoever started it from a terminal.
        Utf8(stdout, texto);
        std::fflush(stdout);
        Utf8(stderr, "bindelora: el aviso va por la salida est\xC3\xA1ndar: " + porque.toStdString() + ".");
    } else if (!porque.isEmpty()) {
        Utf8(stderr, "bindelora: " + porque.toStdString() + ".");
    }
    return 0;
}

int AvisarAlIniciarOrden(const std::string& programa, const std::string& valor)
{
    const bool si = valor == "si" || valor == "s\xC3\xAD";
    if (!si && valor != "no") {
        Utf8(stderr, "bindelora: --avisar-al-iniciar espera si o no\nPruebe 'bindelora --help'.");
        return 2;
    }
    std::string error;
    if (!PonerAvisosAlIniciar(si, programa, error)) {
        Utf8(stderr, "bindelora: " + error);
        return 1;
    }
    Utf8(stdout, si ? "Aviso al iniciar la sesi\xC3\xB3n activado: " + RutaEntradaAutoarranque()
                               : std::string("Aviso al iniciar la sesi\xC3\xB3n desactivado."));
    return 0;
}

int SincronizarEnOrden(const std::string& carpeta)
{
    std::string ruta;
    if (!carpeta.empty()) {
        const QFileInfo info(QString::fromStdString(carpeta));
        if (info.exists() && !info.isDir()) {
            Utf8(stderr, "bindelora: " + carpeta + " no es una carpeta.");
            return 1;
        }
        ruta = QDir::cleanPath(info.absoluteFilePath()).toStdString();
    }
    std::string error;
    if (!GuardarCarpetaSincronizacion(ruta, error)) {
        Utf8(stderr, "bindelora: " + error);
        return 1;
    }
    Utf8(stdout, ruta.empty() ? std::string("Sincronizaci\xC3\xB3n desactivada.") : "Carpeta de sincronizaci\xC3\xB3n: " + ruta);
    return 0;
}

}  // namespace bindelora
