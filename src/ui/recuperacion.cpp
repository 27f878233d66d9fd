// Nothing lost when the run ends badly: the changes go to the recovery
// files within a moment, and the next start offers them back; a data file
// another program changed meanwhile is set aside before the exit save.
#include <QDateTime>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

#include "core/agenda.h"
#include "core/archivo.h"
#include "core/avisal.h"
#include "core/recuperacion.h"
#include "frmbindelora.h"
#include "platform/mensajes.h"

using namespace bindelora;

namespace {

const QString kTituloRecuperar = QStringLiteral("Recuperar cambios");

// Well inside the promised two seconds, and a burst of changes (an import
// of many contacts, fast typing and adding) costs one write.
constexpr int kEsperaRecuperacion = 1000;

QString FechaHora(std::time_t t)
{
    const QDateTime cuando = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(t));
    return QStringLiteral("el %1 a las %2")
        .arg(cuando.toString(QStringLiteral("dd/MM/yyyy")), cuando.toString(QStringLiteral("HH:mm")));
}

}  // namespace

void TfrmBindelora::CambioHecho()
{
    cambios_ = true;
    if (!TimerRecuperacion) {
        TimerRecuperacion = new QTimer(this);
        TimerRecuperacion->setObjectName(QStringLiteral("TimerRecuperacion"));
        TimerRecuperacion->setSingleShot(true);
        TimerRecuperacion->setInterval(kEsperaRecuperacion);
        connect(TimerRecuperacion, &QTimer::timeout, this, [this] { EscribirRecuperacion(); });
    }
    // Not restarted: steady editing must not put the copy off for ever.
    if (!TimerRecuperacion->isActive()) TimerRecuperacion->start();
}

void TfrmBindelora::EscribirRecuperacion()
{
    if (apagado_ || terminado_) return;
    // Told once: the run goes on, and the exit save is still to come.
    if (const std::string fallo = escritor_ ? escritor_->Fallo() : std::string(); !fallo.empty() && !avisoCopiaDado_) {
        avisoCopiaDado_ = true;
        Mensajes::mostrar(this,
                          QStringLiteral("No se pueden guardar los cambios aparte mientras la Bindelora está abierta, "
                                         "así que se perderían si el programa se cerrara mal. Se guardarán al "
                                         "salir, como siempre.\n\n") +
                              QString::fromStdString(fallo),
                          kTituloRecuperar, IconoMensaje::Aviso);
    }
    PedirCopia(true);
    PedirCopia(false);
}

void TfrmBindelora::PedirCopia(bool agenda)
{
    // A book that is never saved over its damaged file has nothing to recover.
    if (!cambios_ || (agenda && agendaIntocable_)) return;
    // Only the text is made here; the disk is the writer thread's.
    if (!escritor_) escritor_ = std::make_unique<EscritorDiferido>();
    if (agenda) escritor_->Pedir(RutaRecuperacion(RutaAgenda()), SerializarAgenda(ListaPibes));
    else escritor_->Pedir(RutaRecuperacion(RutaAvisal()), SerializarAvisales(ListaAvisal));
}

void TfrmBindelora::TerminarRecuperacion()
{
    if (TimerRecuperacion) TimerRecuperacion->stop();
    if (escritor_) {
        std::string error;
        escritor_->Esperar(error);
        escritor_.reset();
    }
    // What a save did not put on disk stays offered for the next start.
    if (terminado_ || !apagado_) return;
    if (agendaGuardada_) ::unlink(RutaRecuperacion(RutaAgenda()).c_str());
    if (avisalGuardado_) ::unlink(RutaRecuperacion(RutaAvisal()).c_str());
}

void TfrmBindelora::OfrecerRecuperacion()
{
    recuperacionDecidida_ = true;
    const std::string agenda = RutaRecuperacion(RutaAgenda()), avisal = RutaRecuperacion(RutaAvisal());
    const bool hayAgenda = ExisteArchivo(agenda), hayAvisal = ExisteArchivo(avisal);
    if (!hayAgenda && !hayAvisal) return;
    const std::time_t cuando = std::max(ModificadoEn(agenda), ModificadoEn(avisal));
    const RespuestaMensaje r = Mensajes::mostrar(
        this,
        QStringLiteral("Bindelora no se cerró bien la última vez (") + FechaHora(cuando) +
            QStringLiteral("). ¿Quiere recuperar los cambios que no se guardaron?"),
        kTituloRecuperar, IconoMensaje::Pregunta, BotonesMensaje::SiNo);
    if (r == RespuestaMensaje::Si) {
        // The data files stay as the last normal end left them, for the
        // settings dialog's recovery, until this run ends normally.
        agendaDeRecuperacion_ = hayAgenda;
        avisalDeRecuperacion_ = hayAvisal;
        return;
    }
    QStringList fallos;
    for (const std::string& copia : {agenda, avisal}) {
        std::string destino, error;
        if (ExisteArchivo(copia) && !DescartarRecuperacion(copia, destino, error)) fallos << QString::fromStdString(error);
    }
    if (!fallos.isEmpty())
        Mensajes::mostrar(this,
                          QStringLiteral("No se han podido apartar los cambios no guardados; se volverán a ofrecer "
                                         "la próxima vez.\n\n") +
                              fallos.join(QLatin1Char('\n')),
                          kTituloRecuperar, IconoMensaje::Aviso);
}

bool TfrmBindelora::LeerAgendaDeRecuperacion()
{
    const std::string copia = RutaRecuperacion(RutaAgenda());
    bindelora::ListaPibes leida;
    const ResultadoLectura r = LeerAgenda(copia, leida);
    if (r.Exito() || r.estado == EstadoLectura::SinRegistros) {
        ListaPibes = std::move(leida);
        ultimaLecturaAgenda_ = r.estado;
        return r.Exito();
    }
    // A copy that cannot be read whole is not trusted: the data file is
    // read as after a normal end, and the copy kept for the user.
    std::string descartada, error;
    DescartarRecuperacion(copia, descartada, error);
    Mensajes::mostrar(this,
                      QStringLiteral("No se han podido leer los contactos guardados para recuperar; se usa el "
                                     "archivo de la Agenda tal como estaba.\n\nLa copia se ha apartado como:\n") +
                          QString::fromStdString(descartada.empty() ? copia : descartada),
                      kTituloRecuperar, IconoMensaje::Aviso);
    return false;
}

bool TfrmBindelora::ApartarOtraVersion(const std::string& ruta, const HuellaArchivo& leida, const QString& cual)
{
    std::string apartado, error;
    if (ApartarSiCambio(ruta, leida, apartado, error)) {
        Mensajes::mostrar(this,
                          QStringLiteral("El archivo de ") + cual +
                              QStringLiteral(" ha cambiado en el disco mientras la Bindelora estaba abierta: otro "
                                             "programa lo ha modificado o reemplazado.\n\nPara no perder nada, esa "
                                             "otra versión se ha guardado como:\n") +
                              QString::fromStdString(apartado) +
                              QStringLiteral("\n\nLo de esta sesión se guarda en:\n") + QString::fromStdString(ruta),
                          QStringLiteral("Archivo cambiado por otro programa"), IconoMensaje::Aviso);
        return true;
    }
    if (error.empty()) return true;
    // Writing now would destroy the other program's version.
    Mensajes::mostrar(this,
                      QStringLiteral("El archivo de ") + cual +
                          QStringLiteral(" ha cambiado en el disco mientras la Bindelora estaba abierta, y no se ha "
                                         "podido apartar esa otra versión, así que no se ha escrito encima.\n\n") +
                          QString::fromStdString(error) +
                          QStringLiteral("\n\nLos cambios de esta sesión se ofrecerán al volver a abrir el programa."),
                      QStringLiteral("Error al guardar"), IconoMensaje::Error);
    return false;
}
