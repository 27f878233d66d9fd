// --exportar-ics, a module of its own: libical and the core, without the
// Qt Core the other modes for scripts load, which was half of this mode's
// loading.
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

#include "core/archivo.h"
#include "core/avisal.h"
#include "core/icalendar.h"
#include "ordenes_basicas.h"
#include "platform/carpeta_datos.h"

namespace bindelora {

namespace {

// The whole of datos to an export's output (see AbrirSalida).
bool EscribirSalida(const std::string& ruta, const std::string& datos, std::string& error)
{
    std::string temporal;
    const int fd = AbrirSalida(ruta, temporal);
    int err = fd < 0 ? errno : 0;
    if (fd >= 0) {
        if (!EscribirTodo(fd, datos.data(), datos.size())) err = errno;
        if (const int e = CerrarSalida(fd, temporal, ruta, err == 0); err == 0) err = e;
    }
    if (err != 0)
        error = ruta == "-" ? std::string("No se pudo escribir en la salida: ") + std::strerror(err)
                            : "No se pudo escribir " + ruta + ": " + std::strerror(err);
    return err == 0;
}

int ExportarIcs(const std::string& programa, const std::string& archivo)
{
    const Fecha hoy = HoyLocal();
    const std::string agenda = RutaArchivoDatos(programa, "dat"), avisal = RutaArchivoDatos(programa, "avs");
    if (EsArchivoDeDatos(archivo, agenda, avisal)) return NoSobreDatos(archivo);
    ListaAvisales avisales;
    if (!CargarSucesos(agenda, avisal, hoy, avisales)) return 1;
    const std::time_t t = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&t, &utc);
    const MarcaUtc ahora{{utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday}, utc.tm_hour, utc.tm_min, utc.tm_sec};
    const ResultadoICalendar ics = ExportarICalendar(avisales, hoy, ahora);
    std::string error;
    if (!EscribirSalida(archivo, ics.texto, error)) {
        Decir(stderr, "bindelora: " + error);
        return 1;
    }
    if (archivo != "-") {
        std::string m = "Sucesos exportados: " + std::to_string(ics.exportados);
        if (ics.omitidos > 0) m += " (omitidos, sin fecha posible: " + std::to_string(ics.omitidos) + ")";
        Decir(stdout, m);
    }
    return 0;
}

}  // namespace

}  // namespace bindelora

// The arguments as the program got them, already found right by its entry.
extern "C" __attribute__((visibility("default"))) int bindelora_ics(int argc, char** argv)
{
    using namespace bindelora;
    Orden orden;
    if (const int codigo = LeerOrden(argc, argv, orden); codigo != 0 || orden.modo != "--exportar-ics")
        return codigo > 0 ? codigo : 2;
    std::fflush(stdout);
    const int codigo = ExportarIcs(RutaPropia(argv[0]), orden.resto[0]);
    std::fflush(stdout);
    return codigo;
}
