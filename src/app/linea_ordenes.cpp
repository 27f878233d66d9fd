#include "linea_ordenes.h"

#include <algorithm>
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

#include "core/agenda.h"
#include "core/archivo.h"
#include "core/archivo_avisal.h"
#include "core/avisal.h"
#include "core/orden.h"
#include "core/paralelo.h"
#include "core/texto.h"
#include "core/vcard.h"
#include "platform/bloqueo.h"
#include "platform/carpeta_datos.h"
#include "platform/comparador.h"
#include "platform/registro.h"
#include "platform/reloj.h"
#include "platform/ruta_ejecutable.h"
#include "ordenes_basicas.h"
#include "qtexto.h"

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
    // The process ends right after: the book is left to the system rather
    // than freed one by one.
    static ListaPibes* lista = new ListaPibes;
    // The book in the order the window gives it at start, so the new
    // contacts land where the window would put them.
    const std::string orden = OrdenDeInicio();
    if (!CargarLibro(d.agenda, *lista, true)) return 1;
    OrdenarPibes(*lista, orden, TextosEditor{});
    ResumenImportacion resumen = ImportarPibes(*lista, LeerVCard(datos), orden);
    if (resumen.legible && resumen.anadidos > 0 && !GuardarAgenda(d.agenda, *lista, error) && error.empty())
        error = "No se pudo guardar la agenda.";
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
    std::vector<std::size_t> orden(textos.size());
    for (std::size_t i = 0; i < orden.size(); ++i) orden[i] = i;
    if (textos.size() > 1)
        std::stable_sort(orden.begin(), orden.end(), [&textos](std::size_t a, std::size_t b) {
            return CompararLocal(aQ(textos[a]), aQ(textos[b])) < 0;
        });
    return orden;
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

    // No Qt application object at all: nothing here needs a display or an
    // event loop, and building one costs more than some of these modes.
    // The program's own path, as the window finds it, places the data.
    RutaEjecutableFija ruta(RutaPropia(argv[0]));
    RutaEjecutable::setInstancia(&ruta);

    // An import writes the agenda file: with the window open on the same
    // files, the window's exit save would wipe it out. The other modes only
    // read what is on disk and need no lock.
    std::unique_ptr<BloqueoDatos> bloqueo;
    if (modo == "--importar-vcard") {
        bloqueo = std::make_unique<BloqueoDatos>(RutaArchivoDatos(RutaEjecutable::instancia().Ruta(), "dat"));
        if (bloqueo->estado() == BloqueoDatos::Estado::Ocupado) {
            std::fprintf(stderr, "%s\n", TextoYaAbierta(bloqueo->Carpeta()).toLocal8Bit().constData());
            RutaEjecutable::setInstancia(nullptr);
            return 1;
        }
    }

    std::fflush(stdout);
    int codigo;
    if (modo == "--exportar-vcard")
        codigo = ExportarVCardOrden(ruta.Ruta(), resto[0], orden.vcard3 ? VersionVCard::V30 : VersionVCard::V40);
    else if (modo == "--importar-vcard") codigo = ImportarVCardOrden(resto[0]);
    else if (modo == "--hoy") codigo = HoyOrden(resto.empty() ? Reloj::instancia().Hoy() : orden.fecha);
    else codigo = 2;  // the program's entry runs the others itself
    std::fflush(stdout);
    RutaEjecutable::setInstancia(nullptr);
    return codigo;
}

}  // namespace bindelora
