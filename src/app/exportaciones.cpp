// The exports for scripts.
#include "exportaciones.h"

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

}  // namespace

int ExportarVCardOrden(const std::string& programa, const std::string& archivo, VersionVCard version)
{
    const std::string agenda = RutaArchivoDatos(programa, "dat");
    if (EsArchivoDeDatos(archivo, agenda, RutaArchivoDatos(programa, "avs"))) return NoSobreDatos(archivo);
    // Straight from the agenda file to the output: a large book never sits
    // in memory.
    std::string temporal;
    const int fd = AbrirSalida(archivo, temporal);
    if (fd < 0) {
        Decir(stderr, "bindelora: no se pudo escribir " + archivo + ": " + std::strerror(errno));
        return 1;
    }
    std::fflush(stdout);
    ResultadoExportacion r = ExportarAgendaAVCard(agenda, fd, version);
    const int err = CerrarSalida(fd, temporal, archivo, r.estado != EstadoLectura::Fallo);
    if (err != 0 && r.estado != EstadoLectura::Fallo) {
        r.estado = EstadoLectura::Fallo;
        r.error = "No se pudo escribir " + archivo + ": " + std::strerror(err);
    }
    if (r.estado == EstadoLectura::Fallo) {
        Decir(stderr, "bindelora: " + r.error);
        return 1;
    }
    if (r.estado == EstadoLectura::Incompleta) {
        Decir(stderr, "bindelora: la agenda est\xE1 da\xF1" "ada; solo se han exportado los " +
                          std::to_string(r.contactos) + " contactos anteriores al primer registro da\xF1" "ado.");
        return 1;
    }
    if (archivo != "-") Decir(stdout, "Contactos exportados: " + std::to_string(r.contactos));
    return 0;
}

int ExportarIcsOrden(const std::string& programa, const std::string& archivo)
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

}  // namespace bindelora
