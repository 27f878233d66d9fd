#include "linea_ordenes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>

#include "core/agenda.h"
#include "core/archivo.h"
#include "core/archivo_avisal.h"
#include "core/avisal.h"
#include "core/memoria.h"
#include "core/orden.h"
#include "core/paralelo.h"
#include "core/texto.h"
#include "core/vcard.h"
#include "platform/bloqueo.h"
#include "platform/carpeta_datos.h"
#include "platform/registro.h"
#include "platform/ruta_ejecutable.h"
#include "exportaciones.h"
#include "ordenes_basicas.h"
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

// The input file ("-": standard input), mapped when it is a regular file:
// on a large import a copy's fresh memory costs more than reading it.
bool AbrirEntrada(const std::string& ruta, ArchivoEnMemoria& entrada, std::string& error)
{
    const int fd = ruta == "-" ? STDIN_FILENO : ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "No se pudo abrir " + ruta + ": " + std::strerror(errno);
        return false;
    }
    const int err = entrada.Abrir(fd);
    if (fd != STDIN_FILENO) ::close(fd);
    if (err != 0) error = "No se pudo leer " + ruta + ": " + std::strerror(err);
    return err == 0;
}

int ImportarVCardOrden(const std::string& archivo)
{
    ArchivoEnMemoria entrada;
    std::string error;
    if (!AbrirEntrada(archivo, entrada, error)) {
        Decir(stderr, "bindelora: " + error);
        return 1;
    }
    const std::string_view datos = entrada.Datos();
    const Datos d = RutasDatos();
    struct stat st;
    const std::size_t agenda = ::stat(d.agenda.c_str(), &st) == 0 ? static_cast<std::size_t>(st.st_size) : 0;
    // The process ends right after: the book and the heap room are left to
    // the system rather than freed one by one and handed back, which took a
    // third of a large import. The book takes some three times its file,
    // the cards read a little more than theirs.
    struct SinLiberar {
        explicit SinLiberar(std::size_t bytes) : reserva(bytes) {}
        ReservaMemoria reserva;
        ListaPibes lista;
        LecturaDirecta leida;
    };
    static SinLiberar* memoria = nullptr;
    memoria = new SinLiberar(3 * agenda + datos.size());
    ListaPibes& lista = memoria->lista;
    // The book in the order the window gives it at start, so the new
    // contacts land where the window would put them.
    const std::string orden = OrdenDeInicio();
    // Each card becomes at once the record the agenda file will hold: the
    // new contacts are never held one by one. The cards are read while the
    // book is loaded and sorted, which keeps a core busy a good while.
    std::thread lectura = EnOtroHilo([&] {
        PrepararArenaDelHilo(datos.size());
        memoria->leida = LeerVCardDirecta(datos, orden);
    });
    const bool libro = CargarLibro(d.agenda, lista, true);
    if (libro) OrdenarPibes(lista, orden, TextosEditor{});
    if (lectura.joinable()) lectura.join();
    if (!libro) return 1;
    if (entrada.Cambio()) {
        Decir(stderr, "bindelora: el archivo " + archivo +
                          " se ha acortado mientras se le\xED" "a; la agenda no ha cambiado.");
        return 1;
    }
    ResumenImportacion resumen = ImportarDirecta(lista, *memoria->leida, d.agenda, error);
    if (!resumen.legible) {
        Decir(stderr, "bindelora: " + TextoResumen(resumen));
        return 1;
    }
    if (!error.empty()) {
        Decir(stderr, "bindelora: " + error + "\nLa agenda sigue como estaba.");
        return 1;
    }
    Decir(stdout, TextoResumen(resumen, 50));
    return 0;
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
    ModeloFilas filas;
    for (const std::string& t : textos) filas.filas.push_back({{t}, nullptr});
    return filas.Ordenar();
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
    std::fflush(stdout);
    if (modo == "--exportar-vcard")
        return ExportarVCardOrden(programa, resto[0], orden.vcard3 ? VersionVCard::V30 : VersionVCard::V40);
    if (modo == "--exportar-ics") return ExportarIcsOrden(programa, resto[0]);

    // The import's lock and settings and the window's order of texts are
    // Qt's; nothing here needs a display or an event loop.
    QCoreApplication app(argc, argv);
    RutaEjecutableFija ruta(programa);
    RutaEjecutable::setInstancia(&ruta);

    // An import writes the agenda file: with the window open on the same
    // files, the window's exit save would wipe it out. The other modes only
    // read what is on disk and need no lock.
    std::unique_ptr<BloqueoDatos> bloqueo;
    if (modo == "--importar-vcard") {
        bloqueo = std::make_unique<BloqueoDatos>(RutaArchivoDatos(programa, "dat"));
        if (bloqueo->estado() == BloqueoDatos::Estado::Ocupado) {
            std::fprintf(stderr, "%s\n", TextoYaAbierta(bloqueo->Carpeta()).toLocal8Bit().constData());
            RutaEjecutable::setInstancia(nullptr);
            return 1;
        }
    }

    const int codigo = modo == "--importar-vcard" ? ImportarVCardOrden(resto[0])
                                                  : HoyOrden(resto.empty() ? HoyLocal() : orden.fecha);
    std::fflush(stdout);
    RutaEjecutable::setInstancia(nullptr);
    return codigo;
}

}  // namespace bindelora
