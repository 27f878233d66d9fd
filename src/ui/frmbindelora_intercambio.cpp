// Interchange with other programs: contacts in and out as vCard, the
// events out as iCalendar. The entries sit at the end of the popup menus.
#include <new>
#include <stdexcept>

#include <QDateTime>
#include <QFileInfo>
#include <QMenu>

#include "core/archivo.h"
#include "core/icalendar.h"
#include "core/vcard.h"
#include "frmbindelora.h"
#include "platform/dialogo_intercambio.h"
#include "platform/mensajes.h"
#include "platform/reloj.h"
#include "platform/ruta_ejecutable.h"
#include "qtexto.h"

using namespace bindelora;

namespace {

const QString kTituloImportar = QStringLiteral("Importar contactos (vCard)");
const QString kTituloExportar = QStringLiteral("Exportar contactos (vCard)");
const QString kTituloICalendar = QStringLiteral("Exportar a iCalendar");

// The dialogs start in the program's folder, beside the data files.
QString CarpetaPrograma()
{
    return QFileInfo(QString::fromStdString(RutaEjecutable::instancia().Ruta())).absolutePath();
}

// A name typed without extension gets the one of the file type.
std::string ConExtension(const QString& ruta, const char* extension)
{
    QString r = ruta;
    if (QFileInfo(r).suffix().isEmpty()) r += QLatin1Char('.') + QLatin1String(extension);
    return r.toStdString();
}

// Why an export may not go to ruta, or empty: the two data files are not
// to be replaced by an export's text, under any of their names.
QString SobreDatos(const std::string& ruta, const std::string& agenda, const std::string& avisal)
{
    if (!MismoArchivo(ruta, agenda) && !MismoArchivo(ruta, avisal)) return {};
    return QString::fromStdString(ruta) +
           QStringLiteral(" es un archivo de datos de Bindelora; la exportación no se escribe encima de él.");
}

}  // namespace

void TfrmBindelora::ConectarIntercambio()
{
    AnadirMenusIntercambio();
    AnadirMenuAvisalIntercambio(PopupMenuAvisal);
}

void TfrmBindelora::AnadirMenusIntercambio()
{
    mnuListaSepIntercambio = PopupMenuLista->addSeparator();
    mnuListaSepIntercambio->setObjectName(QStringLiteral("mnuListaSepIntercambio"));
    mnuListaImportarVCard = PopupMenuLista->addAction(QStringLiteral("Importar contactos (vCard)…"));
    mnuListaImportarVCard->setObjectName(QStringLiteral("mnuListaImportarVCard"));
    mnuListaExportarVCard = PopupMenuLista->addAction(QStringLiteral("Exportar contactos (vCard)…"));
    mnuListaExportarVCard->setObjectName(QStringLiteral("mnuListaExportarVCard"));
    connect(mnuListaImportarVCard, &QAction::triggered, this, &TfrmBindelora::mnuListaImportarVCardClick);
    connect(mnuListaExportarVCard, &QAction::triggered, this, &TfrmBindelora::mnuListaExportarVCardClick);
}

void TfrmBindelora::AnadirMenuAvisalIntercambio(QMenu* menu)
{
    QAction* sep = menu->addSeparator();
    sep->setObjectName(QStringLiteral("mnuAvisalSepIntercambio"));
    mnuAvisalExportarICalendar = menu->addAction(QStringLiteral("Exportar a iCalendar…"));
    mnuAvisalExportarICalendar->setObjectName(QStringLiteral("mnuAvisalExportarICalendar"));
    connect(mnuAvisalExportarICalendar, &QAction::triggered, this, &TfrmBindelora::mnuAvisalExportarICalendarClick);
}

void TfrmBindelora::mnuListaImportarVCardClick()
{
    const auto eleccion =
        DialogoIntercambio::instancia().Abrir(this, kTituloImportar, CarpetaPrograma(),
                                              {QStringLiteral("Tarjetas vCard (*.vcf *.vcard)"),
                                               QStringLiteral("Todos los archivos (*)")});
    if (!eleccion) return;

    // The contact on show stays on show wherever the new ones land.
    const bool estabaVacia = ListaPibes.empty();
    const TPibe* actual =
        PibeActual >= 0 && PibeActual < static_cast<int>(ListaPibes.size()) ? ListaPibes[PibeActual].get() : nullptr;
    // A file too large for the memory there is must not end the program
    // with the run's changes unsaved: the import leaves the book as it was.
    ResumenImportacion r;
    std::string motivo;
    const char* const kSinMemoria = "no hay memoria suficiente para importarlo; la agenda no ha cambiado";
    try {
        std::string datos;
        if (LeerArchivoVCard(eleccion->ruta.toStdString(), datos, motivo))
            r = ImportarPibes(ListaPibes, LeerVCard(datos), OrdenActual);
    } catch (const std::bad_alloc&) {
        motivo = kSinMemoria;
    } catch (const std::length_error&) {
        motivo = kSinMemoria;
    }
    if (!motivo.empty()) {
        Mensajes::mostrar(this, QStringLiteral("No se ha podido leer el archivo:\n") + eleccion->ruta +
                                    QStringLiteral("\n\n") + aQ(motivo),
                          kTituloImportar, IconoMensaje::Error);
        return;
    }
    if (r.anadidos > 0) {
        for (std::size_t i = 0; i < ListaPibes.size(); ++i)
            if (ListaPibes[i].get() == actual) PibeActual = static_cast<int>(i);
        RellenarLista();
        RellenarGrupos();
        if (estabaVacia) {
            PibeActual = 0;
            // A new entry being typed is left alone.
            if (btnEliminar->text() != QStringLiteral("&Cancelar")) MostrarPibe(0);
            PanelHagaClicAqui->setVisible(false);
        }
        ActualizarNavegacion();
        SincronizarCumples();
        CambioHecho();
    }
    Mensajes::mostrar(this, aQ(TextoResumen(r)), kTituloImportar,
                      r.legible ? IconoMensaje::Informacion : IconoMensaje::Aviso);
}

void TfrmBindelora::mnuListaExportarVCardClick()
{
    const auto eleccion = DialogoIntercambio::instancia().Guardar(
        this, kTituloExportar, CarpetaPrograma(), QStringLiteral("contactos.vcf"),
        {QStringLiteral("vCard 4.0 (*.vcf)"), QStringLiteral("vCard 3.0 (*.vcf)")});
    if (!eleccion) return;
    const std::string ruta = ConExtension(eleccion->ruta, "vcf");
    const VersionVCard version = eleccion->filtro == 1 ? VersionVCard::V30 : VersionVCard::V40;
    QString motivo = SobreDatos(ruta, RutaAgenda(), RutaAvisal());
    std::string error;
    if (motivo.isEmpty() && !EscribirArchivoSeguro(ruta, ExportarVCard(ListaPibes, version), error))
        motivo = QString::fromStdString(error);
    if (!motivo.isEmpty()) {
        Mensajes::mostrar(this, QStringLiteral("No se han podido exportar los contactos.\n\n") + motivo,
                          kTituloExportar, IconoMensaje::Error);
        return;
    }
    Mensajes::mostrar(this,
                      QStringLiteral("Contactos exportados: %1\n\n%2")
                          .arg(ListaPibes.size())
                          .arg(QString::fromStdString(ruta)),
                      kTituloExportar, IconoMensaje::Informacion);
}

void TfrmBindelora::mnuAvisalExportarICalendarClick()
{
    const auto eleccion = DialogoIntercambio::instancia().Guardar(this, kTituloICalendar, CarpetaPrograma(),
                                                                  QStringLiteral("sucesos.ics"),
                                                                  {QStringLiteral("iCalendar (*.ics)")});
    if (!eleccion) return;
    const std::string ruta = ConExtension(eleccion->ruta, "ics");
    const QDateTime ahora = QDateTime::currentDateTimeUtc();
    const MarcaUtc marca{{ahora.date().year(), ahora.date().month(), ahora.date().day()},
                        ahora.time().hour(), ahora.time().minute(), ahora.time().second()};
    const ResultadoICalendar ics = ExportarICalendar(ListaAvisal, Reloj::instancia().Hoy(), marca);
    QString motivo = SobreDatos(ruta, RutaAgenda(), RutaAvisal());
    std::string error;
    if (motivo.isEmpty() && !EscribirArchivoSeguro(ruta, ics.texto, error)) motivo = QString::fromStdString(error);
    if (!motivo.isEmpty()) {
        Mensajes::mostrar(this, QStringLiteral("No se han podido exportar los sucesos.\n\n") + motivo,
                          kTituloICalendar, IconoMensaje::Error);
        return;
    }
    QString texto = QStringLiteral("Sucesos exportados: %1").arg(ics.exportados);
    if (ics.omitidos > 0)
        texto += QStringLiteral("\nOmitidos (su día no existe en ningún mes): %1").arg(ics.omitidos);
    Mensajes::mostrar(this, texto + QStringLiteral("\n\n") + QString::fromStdString(ruta), kTituloICalendar,
                      IconoMensaje::Informacion);
}
