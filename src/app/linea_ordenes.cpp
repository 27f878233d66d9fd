#include "linea_ordenes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>

#include "core/agenda.h"
#include "core/orden.h"
#include "core/recuperacion.h"
#include "core/texto.h"
#include "core/vcard.h"
#include "platform/bloqueo.h"
#include "platform/config_registro.h"
#include "platform/carpeta_datos.h"
#include "platform/registro.h"
#include "platform/ruta_ejecutable.h"
#include "exportaciones.h"
#include "avisar.h"
#include "ordenes_basicas.h"
#include "sincronizar.h"
#include "tlistview.h"

namespace bindelora {

namespace {

struct Datos {
    std::string agenda, avisal;
};

Datos RutasDatos()
{
    const std::string programa = RutaEjecutable::instancia().Ruta();
    return {RutaArchivoDatos(programa, "dat"), RutaArchivoDatos(programa, "avs")};
}

// The start ordering of the settings, read as the window reads it; the
// settings store is not written.
std::string OrdenDeInicio()
{
    Registro& reg = Registro::instancia();
    std::string orden;
    if (reg.AbrirClave(false)) reg.LeerCadena("AlEjecutarOrdenar", orden);
    if (orden == "Nombre" || orden == "Apellido 2" || orden == "Grupo") return orden;
    return "Apellido 1";
}

// Both ways with the sync folder of the settings, under the lock.
int SincronizarOrden()
{
    const std::string carpeta = LeerCarpetaSincronizacion();
    if (carpeta.empty()) {
        Decir(stderr, "bindelora: no hay carpeta de sincronizaci\xF3n; se elige con --sincronizar-en CARPETA.");
        return 1;
    }
    const Datos d = RutasDatos();
    return DecirSincronizar(SincronizarDatos(d.agenda, d.avisal, carpeta, OrdenDeInicio(), HoyLocal(), AhoraUtc()));
}

// Standard input whole, up to the import's bound: whatever it is (a pipe,
// a terminal, a device), reading stops past the bound. 0 or the errno.
int LeerEntradaEstandar(std::string& datos)
{
    struct stat st;
    if (::fstat(STDIN_FILENO, &st) == 0 && S_ISREG(st.st_mode)) {
        if (static_cast<unsigned long long>(st.st_size) > kMaxArchivoVCard) return EFBIG;
        datos.reserve(static_cast<std::size_t>(st.st_size));
    }
    char bloque[65536];
    for (;;) {
        const ssize_t leidos = ::read(STDIN_FILENO, bloque, sizeof bloque);
        if (leidos == 0) return 0;
        if (leidos < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (datos.size() + static_cast<std::size_t>(leidos) > kMaxArchivoVCard) return EFBIG;
        datos.append(bloque, static_cast<std::size_t>(leidos));
    }
}

// The whole input ("-": standard input); false with the reason in error.
bool LeerEntrada(const std::string& ruta, std::string& datos, std::string& error)
{
    std::string motivo;
    if (ruta != "-") {
        if (LeerArchivoVCard(ruta, datos, motivo)) return true;
        error = "No se puede importar " + RutaEnMensaje(ruta) + ": " + motivo;
        return false;
    }
    const int err = LeerEntradaEstandar(datos);
    if (err == 0) return true;
    datos.clear();
    error = "No se puede importar la entrada est\xE1ndar: " + MotivoLecturaVCard(err);
    return false;
}

// The import of the window's menu, into the book as the window has it at
// start.
int Importar(const std::string& archivo)
{
    std::string datos, error;
    if (!LeerEntrada(archivo, datos, error)) {
        Decir(stderr, "bindelora: " + error);
        return 1;
    }
    const Datos d = RutasDatos();
    ListaPibes lista;
    if (!CargarLibro(d.agenda, lista, true)) return 1;
    // In the start ordering, so the new contacts land where the window
    // would put them.
    const std::string orden = OrdenDeInicio();
    OrdenarPibes(lista, orden, TextosEditor{});
    const ResumenImportacion resumen = ImportarPibes(lista, LeerVCard(datos), orden);
    if (!resumen.legible) {
        Decir(stderr, "bindelora: " + TextoResumen(resumen));
        return 1;
    }
    // Nothing new: the file is left as it is.
    if (resumen.anadidos > 0 && !GuardarAgenda(d.agenda, lista, error)) {
        Decir(stderr, "bindelora: " + error + "\nLa agenda sigue como estaba.");
        return 1;
    }
    Decir(stdout, TextoResumen(resumen, 50));
    return 0;
}

// A file too large for the memory there is must not end the program: the
// agenda file is written only after everything else went well.
int ImportarVCardOrden(const std::string& archivo)
{
    try {
        return Importar(archivo);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    Decir(stderr, "bindelora: no hay memoria suficiente para importar " +
                      (archivo == "-" ? std::string("la entrada est\xE1ndar") : RutaEnMensaje(archivo)) +
                      "; la agenda no ha cambiado.");
    return 1;
}

int HoyOrden(const Fecha& hoy)
{
    const Datos d = RutasDatos();
    std::vector<std::string> textos;
    if (!TextosHoy(d.agenda, d.avisal, hoy, textos)) return 1;
    std::vector<std::string> enOrden;
    for (std::size_t i : OrdenTextosHoy(textos)) enOrden.push_back(std::move(textos[i]));
    DecirTextosHoy(enOrden);
    return 0;
}

}  // namespace

std::vector<std::size_t> OrdenTextosHoy(const std::vector<std::string>& textos)
{
    // The very rows of the window's list, ordered by its own code.
    ModeloFilas lista;
    for (const std::string& t : textos) lista.filas.push_back({{t}, nullptr});
    return lista.Ordenar();
}

int EjecutarLineaOrdenes(int& argc, char** argv)
{
    Orden orden;
    if (const int codigo = LeerOrden(argc, argv, orden); codigo != 0) return codigo;
    const std::string& modo = orden.modo;
    if (modo == "--help") {
        Escribir(stdout, TextoAyuda());
        return 0;
    }
    const std::vector<std::string>& resto = orden.resto;
    // The program's own path, as the window finds it, places the data.
    const std::string programa = RutaPropia(argv[0]);
    // A run that ended badly left newer changes aside: the readers say so and
    // go on, the import must not write past them.
    const std::string pendiente =
        RecuperacionPendiente(RutaArchivoDatos(programa, "dat"), RutaArchivoDatos(programa, "avs"));
    const bool lee = modo == "--exportar-vcard" || modo == "--exportar-ics" || modo == "--hoy" || modo == "--avisar";
    if (!pendiente.empty() && lee)
        Decir(stderr, Utf8ACp1252("bindelora: hay cambios más recientes sin guardar en " + pendiente +
                                  "; se usan los archivos de datos tal como están. Abra la Bindelora para "
                                  "recuperarlos."));
    std::fflush(stdout);
    if (modo == "--exportar-vcard")
        return ExportarVCardOrden(programa, resto[0], orden.vcard3 ? VersionVCard::V30 : VersionVCard::V40);
    if (modo == "--exportar-ics") return ExportarIcsOrden(programa, resto[0]);
    if (modo == "--avisar-al-iniciar") return AvisarAlIniciarOrden(programa, resto[0]);
    if (modo == "--sincronizar-en") return SincronizarEnOrden(resto[0]);

    // The import's lock and settings and the window's order of texts are
    // Qt's; nothing here needs a display or an event loop.
    QCoreApplication app(argc, argv);
    RutaEjecutableFija ruta(programa);
    RutaEjecutable::setInstancia(&ruta);

    // An import or a sync writes the data files: with the window open on
    // the same files, the window's exit save would wipe it out. The other
    // modes only read what is on disk and need no lock.
    std::unique_ptr<BloqueoDatos> bloqueo;
    if (modo == "--importar-vcard" || modo == "--sincronizar") {
        bloqueo = std::make_unique<BloqueoDatos>(RutaArchivoDatos(programa, "dat"));
        QString negativa;
        if (bloqueo->estado() == BloqueoDatos::Estado::Ocupado) negativa = TextoYaAbierta(bloqueo->Carpeta());
        else if (bloqueo->estado() != BloqueoDatos::Estado::Tomado) negativa = TextoBloqueoImposible(*bloqueo);
        else if (!pendiente.empty())
            negativa = QStringLiteral("bindelora: la Bindelora no se cerró bien y sus cambios sin guardar esperan en ") +
                       QString::fromStdString(pendiente) +
                       QStringLiteral("; ábrala para recuperarlos o descartarlos antes de ") +
                       (modo == "--sincronizar" ? QStringLiteral("sincronizar") : QStringLiteral("importar")) +
                       QStringLiteral(". La agenda sigue como estaba.");
        if (!negativa.isEmpty()) {
            // The message box's breaks, as lines on the terminal.
            Decir(stderr, Utf8ACp1252(negativa.replace(QLatin1Char('\r'), QLatin1Char('\n')).toStdString()));
            RutaEjecutable::setInstancia(nullptr);
            return 1;
        }
    }

    const Fecha dia = resto.empty() ? HoyLocal() : orden.fecha;
    const int codigo = modo == "--importar-vcard" ? ImportarVCardOrden(resto[0])
                       : modo == "--sincronizar"  ? SincronizarOrden()
                       : modo == "--avisar"       ? AvisarOrden(programa, dia)
                                                  : HoyOrden(dia);
    std::fflush(stdout);
    RutaEjecutable::setInstancia(nullptr);
    return codigo;
}

}  // namespace bindelora
