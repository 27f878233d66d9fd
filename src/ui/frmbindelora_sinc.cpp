// The sync folder at the start and at the end of a run (core/sinc.h), and
// the editors' notes that keep each contact and entry with its item.
#include <QDateTime>
#include <cstdio>

#include "core/sinc.h"
#include "frmbindelora.h"
#include "platform/mensajes.h"
#include "platform/reloj.h"
#include "qtexto.h"

using namespace bindelora;

namespace {

MarcaUtc AhoraSinc()
{
    const QDateTime ahora = QDateTime::currentDateTimeUtc();
    return MarcaUtc{{ahora.date().year(), ahora.date().month(), ahora.date().day()},
                    ahora.time().hour(), ahora.time().minute(), ahora.time().second()};
}

// The conflicts by name, then what went wrong.
QString TextoSinc(const ResumenSinc& r)
{
    std::string t;
    if (!r.conflictos.empty()) {
        t = "Estos contactos o sucesos se cambiaron aqu\xED y tambi\xE9n en la carpeta de sincronizaci\xF3n; "
            "se guardan las dos versiones:\r\r";
        for (const std::string& c : r.conflictos) t += "    " + c + "\r";
    }
    if (!r.errores.empty()) {
        if (!t.empty()) t += "\r";
        for (const std::string& e : r.errores) t += e + "\r";
    }
    return aQ(t);
}

}  // namespace

void TfrmBindelora::SincronizarAlEmpezar()
{
    sinc_.reset();
    if (Config.CarpetaSincronizacion.empty() || terminado_) return;
    // Contacts missing from a damaged agenda would be deleted everywhere.
    if (ultimaLecturaAgenda_ == EstadoLectura::Incompleta || ultimaLecturaAgenda_ == EstadoLectura::Fallo) {
        Mensajes::mostrar(this, QStringLiteral("La agenda no se ha podido leer entera; en esta sesión no se sincroniza."),
                          QStringLiteral("Sincronización"), IconoMensaje::Aviso);
        return;
    }
    sinc_ = std::make_unique<Sincronizador>(Cp1252AUtf8(Config.CarpetaSincronizacion), RutaEstadoSinc(RutaAgenda()));
    const ResumenSinc r =
        sinc_->Intercambiar(ListaPibes, ListaAvisal, OrdenActual, Reloj::instancia().Hoy(), AhoraSinc());
    if (r.pibesCambiados) {
        // Contacts that came with a birthday get its entry now.
        SincronizarCumples();
        OrdenarAgenda();
        RellenarGrupos();
        if (PibeActual >= static_cast<int>(ListaPibes.size())) PibeActual = 0;
        if (!ListaPibes.empty()) MostrarPibe(PibeActual);
        else LimpiarDatos();
        ActualizarNavegacion();
        PanelHagaClicAqui->setVisible(ListaPibes.empty());
    }
    if (r.avisalesCambiados || r.pibesCambiados) {
        ListViewAvisal->Vaciar();
        for (const auto& a : ListaAvisal) InsertarFilasAvisal(a.get(), false);
        // Kept aside like any change, should the run end badly.
        CambioHecho();
    }
    if (!r.conflictos.empty() || !r.errores.empty())
        Mensajes::mostrar(this, TextoSinc(r), QStringLiteral("Sincronización"),
                          r.errores.empty() ? IconoMensaje::Informacion : IconoMensaje::Aviso);
}

void TfrmBindelora::SincronizarAlTerminar()
{
    if (!sinc_) return;
    // A recovery that read only part of the agenda: its missing contacts
    // would be deleted everywhere.
    if (ultimaLecturaAgenda_ == EstadoLectura::Incompleta || ultimaLecturaAgenda_ == EstadoLectura::Fallo) {
        sinc_.reset();
        return;
    }
    const ResumenSinc r = sinc_->Enviar(ListaPibes, ListaAvisal, Reloj::instancia().Hoy(), AhoraSinc());
    sinc_.reset();
    // The window is gone: what went wrong goes where the terminal sees it.
    for (const std::string& e : r.errores) std::fprintf(stderr, "bindelora: %s\n", Cp1252AUtf8(e).c_str());
}

void TfrmBindelora::SincOlvidar(const void* registro)
{
    if (sinc_) sinc_->Olvidar(registro);
}

void TfrmBindelora::SincReemplazado(const void* antes, const void* despues)
{
    if (sinc_) sinc_->Reemplazado(antes, despues);
}

void TfrmBindelora::SincReleido()
{
    if (sinc_) sinc_->OlvidarDirecciones();
}
