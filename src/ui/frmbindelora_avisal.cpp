// The events: the events file, the rows of ListViewAvisal and the entering
// of birthdays.
#include <filesystem>

#include "core/archivo.h"
#include "core/archivo_avisal.h"
#include "core/recuperacion.h"
#include "frmbindelora.h"
#include "platform/carpeta_datos.h"
#include "platform/mensajes.h"
#include "platform/reloj.h"
#include "platform/ruta_ejecutable.h"

using namespace bindelora;

std::string TfrmBindelora::RutaAvisal() const
{
    return RutaArchivoDatos(RutaEjecutable::instancia().Ruta(), "avs");
}

bool TfrmBindelora::CargarAvisal()
{
    const std::string ruta = RutaAvisal();
    huellaAvisal_ = HuellaDe(ruta);
    // A complete read replaces the list; a failed one leaves it as it was,
    // so a later save cannot drop the entries after a bad line.
    ListaAvisales nueva;
    if (avisalDeRecuperacion_) {
        avisalDeRecuperacion_ = false;
        const std::string copia = RutaRecuperacion(ruta);
        if (LeerArchivoAvisal(copia, Reloj::instancia().Hoy(), nueva).Correcta()) {
            // The events file itself stays as the last normal end left it.
            if (!huellaAvisal_.existe) {
                std::string error;
                EscribirArchivoSeguro(RutaReal(ruta), std::string(), error);
                huellaAvisal_ = HuellaDe(ruta);
            }
            AvisalActual = nullptr;
            ListaAvisal = std::move(nueva);
            MostrarFilasAvisal();
            return true;
        }
        nueva.clear();
        std::string descartada, error;
        DescartarRecuperacion(copia, descartada, error);
        Mensajes::mostrar(this,
                          QStringLiteral("No se han podido leer los sucesos guardados para recuperar; se usa el "
                                         "archivo del Avisal tal como estaba.\n\nLa copia se ha apartado como:\n") +
                              QString::fromStdString(descartada.empty() ? copia : descartada),
                          QStringLiteral("Recuperar cambios"), IconoMensaje::Aviso);
    }
    const LecturaArchivoAvisal r = LeerArchivoAvisal(ruta, Reloj::instancia().Hoy(), nueva);
    if (!r.existe) {
        std::string error;
        EscribirArchivoSeguro(RutaReal(ruta), std::string(), error);
        huellaAvisal_ = HuellaDe(ruta);
        return true;
    }
    if (!r.Correcta()) return false;
    AvisalActual = nullptr;
    ListaAvisal = std::move(nueva);
    MostrarFilasAvisal();
    return true;
}

void TfrmBindelora::MostrarFilasAvisal()
{
    ListViewAvisal->IniciarCarga();
    ListViewAvisal->Vaciar();
    for (const auto& a : ListaAvisal) InsertarFilasAvisal(a.get(), false);
    ListViewAvisal->TerminarCarga();
    AjustarColumnasAvisal();
}

void TfrmBindelora::GuardarAvisal()
{
    avisalGuardado_ = false;
    const std::string ruta = RutaReal(RutaAvisal());
    if (!ApartarOtraVersion(ruta, huellaAvisal_, QStringLiteral("el Avisal"))) return PedirCopia(false);
    std::string error;
    avisalGuardado_ = GuardarArchivoAvisal(ruta, ListaAvisal, error);
    if (avisalGuardado_) return;
    PedirCopia(false);
    Mensajes::mostrar(this,
                      QStringLiteral("No se han podido guardar los sucesos del Avisal; el archivo anterior "
                                     "sigue como estaba.\n\n") +
                          QString::fromStdString(error),
                      QStringLiteral("Error al guardar"), IconoMensaje::Error);
}

void TfrmBindelora::RecuperarAvisal()
{
    // Something that is not a file in its place (a folder, say) cannot be
    // read back, nor replaced by an empty file.
    std::error_code ec;
    const bool otraCosa = std::filesystem::exists(RutaAvisal(), ec) && !ExisteArchivo(RutaAvisal());
    if (otraCosa || !CargarAvisal()) {
        // The list and its rows stay as they were.
        Mensajes::mostrar(DuenoRecuperacion(),
                          QStringLiteral("Ocurrió un error fatal leyendo de la Base de Datos del Avisal.\r\r"
                                         "Deberá comprobarlo manualmente, o bien borrarla y comenzar desde cero."),
                          QStringLiteral("Error chungo"), IconoMensaje::Aviso);
        return;
    }
    SincReleido();
    // The file predates the birthdays entered in this run; their contacts
    // already say "entered", so without this they would be lost for good.
    const std::vector<TAvisal*> nuevas = ReponerCumplesDeSesion(ListaPibes, ListaAvisal);
    if (!nuevas.empty()) {
        ListViewAvisal->IniciarCarga();
        for (TAvisal* a : nuevas) InsertarFilasAvisal(a, false);
        ListViewAvisal->TerminarCarga();
        AjustarColumnasAvisal();
    }
    // The marks and a pending replacement spoke of the entries read before.
    reemplazoAvisal_.reset();
    MostrarMes(MesMostrado, AnoMostrado);
    MarcarHoy(MesMostrado, AnoMostrado);
    CambioHecho();
}

void TfrmBindelora::SincronizarCumples()
{
    const std::vector<TAvisal*> nuevas = bindelora::SincronizarCumples(ListaPibes, ListaAvisal);
    if (nuevas.empty()) return;
    ListViewAvisal->IniciarCarga();
    for (TAvisal* a : nuevas) InsertarFilasAvisal(a, false);
    ListViewAvisal->TerminarCarga();
    AjustarColumnasAvisal();
}

void TfrmBindelora::InsertarFilasAvisal(TAvisal* entrada, bool seleccionar)
{
    std::vector<FilaAvisal> filas;
    if (!FilasDeAvisal(*entrada, Reloj::instancia().Hoy(), filas)) return;
    for (FilaAvisal& f : filas) ListViewAvisal->AnadirFila({f.begin(), f.end()}, entrada);
    AjustarColumnasAvisal();
    if (!seleccionar) return;
    const std::string mes = std::to_string(entrada->Mes == 0 ? MesMostrado : entrada->Mes);
    for (int i = 0; i < ListViewAvisal->NumFilas(); ++i)
        if (ListViewAvisal->Dato(i) == entrada && ListViewAvisal->Texto(i, ColMesReal) == mes) {
            ListViewAvisal->SeleccionarFila(i);
            break;
        }
}

void TfrmBindelora::AjustarColumnasAvisal()
{
    for (int c = ColFalta; c <= ColMesReal; ++c) ListViewAvisal->FijarAnchoColumna(c, 0);
    ListViewAvisal->FijarAnchoColumna(ColFecha, 47);
    int texto = ListViewAvisal->width() - 51;
    // Room for the vertical scroll bar once the rows no longer fit.
    if (ListViewAvisal->NumFilas() > 13) texto -= 16;
    ListViewAvisal->FijarAnchoColumna(ColTexto, texto);
}
