// The exports for scripts.
#include "exportaciones.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include <unistd.h>

#include "core/archivo.h"
#include "core/avisal.h"
#include "core/icalendar.h"
#include "ordenes_basicas.h"
#include "platform/carpeta_datos.h"

namespace bindelora {

int ExportarVCardOrden(const std::string& programa, const std::string& archivo, VersionVCard version)
{
    const std::string agenda = RutaArchivoDatos(programa, "dat");
    if (EsArchivoDeDatos(archivo, agenda, RutaArchivoDatos(programa, "avs"))) return NoSobreDatos(archivo);
    // Straight from the agenda file to the output: a large book never sits
    // in memory.
    ResultadoExportacion r;
    if (archivo == "-") {
        std::fflush(stdout);
        r = ExportarAgendaAVCard(agenda, STDOUT_FILENO, version);
    } else {
        std::string error;
        const auto exportar = [&](int fd) {
            r = ExportarAgendaAVCard(agenda, fd, version);
            // Its own reason is the one told; a damaged agenda still gives
            // the contacts before the damage.
            return r.estado == EstadoLectura::Fallo ? EIO : 0;
        };
        if (!EscribirArchivoSeguro(archivo, exportar, error) && r.estado != EstadoLectura::Fallo) {
            r.estado = EstadoLectura::Fallo;
            r.error = error;
        }
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
    if (archivo == "-") {
        std::fwrite(ics.texto.data(), 1, ics.texto.size(), stdout);
        if (std::fflush(stdout) != 0 || std::ferror(stdout))
            error = std::string("No se pudo escribir en la salida: ") + std::strerror(errno);
    } else {
        EscribirArchivoSeguro(archivo, ics.texto, error);
    }
    if (!error.empty()) {
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
