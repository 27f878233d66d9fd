#include "sincronizar.h"

#include <cstdio>
#include <ctime>

#include "core/agenda.h"
#include "core/archivo_avisal.h"
#include "core/orden.h"
#include "core/sinc.h"
#include "core/texto.h"

namespace bindelora {

SalidaSincronizar SincronizarDatos(const std::string& agenda, const std::string& avisal, const std::string& carpeta,
                                   std::string_view orden, const Fecha& hoy, const MarcaUtc& ahora)
{
    SalidaSincronizar s;
    auto fallo = [&s](std::string texto) {
        s.errores.push_back(std::move(texto));
        s.codigo = 1;
        return s;
    };
    ListaPibes pibes;
    const ResultadoLectura lp = LeerAgenda(agenda, pibes);
    if (lp.estado == EstadoLectura::Fallo) return fallo(lp.error);
    // Only a whole book: a partial one would send its missing contacts'
    // deletion to every other device.
    if (lp.estado == EstadoLectura::Incompleta)
        return fallo("El archivo de contactos " + agenda + " est\xE1 da\xF1" "ado; no se sincroniza.");
    ListaAvisales avisales;
    const LecturaArchivoAvisal la = LeerArchivoAvisal(avisal, hoy, avisales);
    if (!la.Correcta())
        return fallo(!la.error.empty() ? la.error
                                       : "El archivo de sucesos " + avisal + " est\xE1 da\xF1" "ado en la l\xED" "nea " +
                                             std::to_string(la.resultado.lineaFallida) + "; no se sincroniza.");
    // The order the window shows at its start, where new contacts go.
    OrdenarPibes(pibes, orden, TextosEditor{});

    Sincronizador sinc(carpeta, RutaEstadoSinc(agenda));
    ResumenSinc r = sinc.Intercambiar(pibes, avisales, orden, hoy, ahora);
    std::string error;
    bool escritos = true;
    if (r.pibesCambiados && !GuardarAgenda(agenda, pibes, error)) {
        s.errores.push_back(error);
        escritos = false;
    }
    if (r.avisalesCambiados && !GuardarArchivoAvisal(avisal, avisales, error)) {
        s.errores.push_back(error);
        escritos = false;
    }
    // With the data files written the state can say so; else the next
    // exchange reads again what did not get into them.
    if (escritos) {
        ResumenSinc fin = sinc.Enviar(pibes, avisales, hoy, ahora);
        r.escritos += fin.escritos;
        r.borrados += fin.borrados;
        r.errores.insert(r.errores.end(), fin.errores.begin(), fin.errores.end());
        r.conflictos.insert(r.conflictos.end(), fin.conflictos.begin(), fin.conflictos.end());
    }
    s.lineas.push_back(TextoResumenSinc(r));
    for (const std::string& c : r.conflictos) s.lineas.push_back("Conflicto, se guardan las dos versiones: " + c);
    s.errores.insert(s.errores.end(), r.errores.begin(), r.errores.end());
    if (!s.errores.empty()) s.codigo = 1;
    return s;
}

MarcaUtc AhoraUtc()
{
    const std::time_t t = std::time(nullptr);
    std::tm u{};
    gmtime_r(&t, &u);
    return MarcaUtc{Fecha{u.tm_year + 1900, u.tm_mon + 1, u.tm_mday}, u.tm_hour, u.tm_min, u.tm_sec};
}

int DecirSincronizar(const SalidaSincronizar& s)
{
    for (const std::string& l : s.lineas) std::fprintf(stdout, "%s\n", Cp1252AUtf8(l).c_str());
    for (const std::string& e : s.errores) std::fprintf(stderr, "bindelora: %s\n", Cp1252AUtf8(e).c_str());
    std::fflush(stdout);
    return s.codigo;
}

}  // namespace bindelora
