// The address book: the agenda file, the ordering and the group choices.
#include <QSignalBlocker>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/agenda.h"
#include "core/archivo.h"
#include "core/orden.h"
#include "core/recuperacion.h"
#include "frmbindelora.h"
#include "frmconfig.h"
#include "platform/carpeta_datos.h"
#include "platform/comparador.h"
#include "platform/mensajes.h"
#include "platform/ruta_ejecutable.h"
#include "qtexto.h"

using namespace bindelora;

std::string TfrmBindelora::RutaAgenda()
{
    return RutaArchivoDatos(RutaEjecutable::instancia().Ruta(), "dat");
}

bool TfrmBindelora::CargarAgenda()
{
    if (!recuperacionDecidida_) OfrecerRecuperacion();
    const std::string ruta = RutaAgenda();
    // Taken before the read: a change while reading shows at the exit save.
    huellaAgenda_ = HuellaDe(ruta);
    if (agendaDeRecuperacion_ && !recuperando_) {
        agendaDeRecuperacion_ = false;
        if (LeerAgendaDeRecuperacion()) return true;
    }
    const ResultadoLectura r = recuperando_ ? LeerAgendaRecuperada(ruta) : LeerAgenda(ruta, ListaPibes);
    ultimaLecturaAgenda_ = r.estado;
    if (r.estado == EstadoLectura::Fallo && recuperando_) {
        // The book was left as it was; the run goes on.
        Mensajes::mostrar(DuenoRecuperacion(),
                          QStringLiteral("No se ha podido leer el archivo de la Agenda; los contactos siguen como "
                                         "estaban.\n\n") +
                              QString::fromStdString(r.error),
                          QStringLiteral("Recuperar la Agenda"), IconoMensaje::Aviso);
        return false;
    }
    if (r.estado == EstadoLectura::Fallo) {
        MostrarErrorChungo(QStringLiteral("Ocurrió un error fatal leyendo de la Base de Datos."));
        return false;
    }
    if (r.estado == EstadoLectura::Incompleta && !respaldoHecho_ && !agendaIntocable_) {
        // The exit save writes only what was read, so the whole file is kept
        // aside first; once, however many runs find it damaged.
        std::string copia = RespaldoIgual(ruta), error;
        if (!copia.empty() || CopiarRespaldo(ruta, copia, error)) {
            respaldoHecho_ = true;
            Mensajes::mostrar(this,
                              QStringLiteral("La agenda no se ha podido leer entera: se han cargado los contactos "
                                             "anteriores al primer registro dañado.\n\nSe ha guardado una copia del "
                                             "archivo original en:\n") +
                                  QString::fromStdString(copia),
                              QStringLiteral("Agenda dañada"), IconoMensaje::Aviso);
        } else {
            agendaIntocable_ = true;
            Mensajes::mostrar(this,
                              QStringLiteral("La agenda no se ha podido leer entera, y tampoco se ha podido hacer "
                                             "una copia del archivo original:\n") +
                                  QString::fromStdString(error) +
                                  QStringLiteral("\n\nPara no perder datos, la agenda no se guardará al salir."),
                              QStringLiteral("Agenda dañada"), IconoMensaje::Error);
        }
    }
    return r.Exito();
}

void TfrmBindelora::GuardarAgenda()
{
    agendaGuardada_ = false;
    if (agendaIntocable_) return;
    // The file itself, even when a link names it and another program took
    // it away.
    const std::string ruta = RutaReal(RutaAgenda());
    // A save that fails leaves the run's last changes in the recovery file.
    if (!ApartarOtraVersion(ruta, huellaAgenda_, QStringLiteral("la Agenda"))) return PedirCopia(true);
    std::string error;
    agendaGuardada_ = bindelora::GuardarAgenda(ruta, ListaPibes, error);
    if (agendaGuardada_) return;
    PedirCopia(true);
    Mensajes::mostrar(this,
                      QStringLiteral("No se ha podido guardar la agenda; el archivo anterior sigue como estaba.\n\n") +
                          QString::fromStdString(error),
                      QStringLiteral("Error al guardar"), IconoMensaje::Error);
}

ResultadoLectura TfrmBindelora::LeerAgendaRecuperada(const std::string& ruta)
{
    // The whole file first: one that cannot be read leaves the book as it was.
    ResultadoLectura r;
    std::string datos;
    const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    bool bien = fd >= 0 && ::fstat(fd, &st) == 0;
    if (bien) {
        datos.resize(st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0);
        std::size_t leidos = 0;
        for (;;) {
            if (leidos == datos.size()) datos.resize(datos.size() + 65536);
            const ssize_t n = ::read(fd, datos.data() + leidos, datos.size() - leidos);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                bien = n == 0;
                break;
            }
            leidos += static_cast<std::size_t>(n);
        }
        datos.resize(leidos);
    }
    const int err = errno;
    if (fd >= 0) ::close(fd);
    if (!bien) {
        r.estado = EstadoLectura::Fallo;
        r.error = "No se pudo leer el archivo " + ruta + ": " + std::strerror(err);
        return r;
    }
    // The old book goes before the new one is built, so the new one reuses
    // its memory instead of touching as much again.
    ResultadoBusqueda.clear();
    ListViewLista->Vaciar();
    ListaPibes.clear();
    return LeerAgendaDeTexto(datos, ListaPibes);
}

QWidget* TfrmBindelora::DuenoRecuperacion()
{
    return frmConfig && frmConfig->isVisible() ? static_cast<QWidget*>(frmConfig) : this;
}

void TfrmBindelora::RecuperarAgenda()
{
    if (!ExisteArchivo(RutaAgenda())) {
        Mensajes::mostrar(DuenoRecuperacion(),
                          QStringLiteral("No se encuentra el archivo de la Agenda, o no se puede leer:\n") +
                              QString::fromStdString(RutaAgenda()) +
                              QStringLiteral("\n\nLos contactos siguen como estaban."),
                          QStringLiteral("Recuperar la Agenda"), IconoMensaje::Aviso);
        return;
    }
    recuperando_ = true;
    const bool leida = CargarAgenda();
    recuperando_ = false;
    if (ultimaLecturaAgenda_ == EstadoLectura::Fallo || ultimaLecturaAgenda_ == EstadoLectura::NoExiste) return;
    SincReleido();
    // The search results pointed into the book the read has just replaced.
    VaciarBusqueda();
    if (leida) {
        OrdenarAgenda();
        RellenarGrupos();
        PibeActual = 0;
        MostrarPibe(0);
        ActualizarNavegacion();
    } else {
        MostrarLibroIncompleto();
    }
    // Freed contacts' addresses come back for the new ones: a birthday row
    // built before must not open whoever took its contact's place.
    if (ListViewCumples->NumFilas() > 0) RellenarCumples();
    CambioHecho();
}

void TfrmBindelora::MostrarLibroIncompleto()
{
    // A read that stopped early (or found no record) still replaced the
    // book: the views must show what the exit save will write, in the order
    // of the file.
    if (ultimaLecturaAgenda_ != EstadoLectura::Incompleta && ultimaLecturaAgenda_ != EstadoLectura::SinRegistros)
        return;
    RellenarLista();
    RellenarGrupos();
    PibeActual = 0;
    if (ListaPibes.empty()) LimpiarDatos();
    else MostrarPibe(0);
    ActualizarNavegacion();
}

void TfrmBindelora::OrdenarAgenda()
{
    const TextosEditor editor{deQ(edtNombre->text()), deQ(edtApe1->text()),     deQ(edtApe2->text()),
                              deQ(edtTfnoCasa->text()), deQ(edtTfnoMovil->text()), deQ(edtEMail->text())};
    const int encontrado = OrdenarPibes(ListaPibes, OrdenActual, editor);
    if (encontrado >= 0) PibeActual = encontrado;
    RellenarLista();
    ActualizarNavegacion();
    static const char* const kOrdenes[] = {"Nombre", "Apellido 1", "Apellido 2", "Grupo"};
    for (int i = 0; i < 4; ++i)
        if (OrdenActual == kOrdenes[i]) cbOrden->setCurrentIndex(i);
}

void TfrmBindelora::RellenarGrupos()
{
    const std::vector<std::string> grupos = GruposDistintos(ListaPibes);
    const QString texto = cbGrupo->currentText();
    cbGrupo->clear();
    QStringList items;
    items.reserve(static_cast<qsizetype>(grupos.size()));
    for (const std::string& g : grupos) items << aQ(g);
    // The choices are shown sorted.
    std::stable_sort(items.begin(), items.end(),
                     [](const QString& a, const QString& b) { return CompararLocal(a, b) < 0; });
    cbGrupo->addItems(items);
    cbGrupo->setCurrentIndex(-1);
    cbGrupo->setEditText(texto);

    // The search form offers the same groups and always one empty choice,
    // meaning any group; being sorted, it comes first.
    const QString textoBus = cbBusGrupo->currentText();
    {
        const QSignalBlocker bloqueo(cbBusGrupo);
        cbBusGrupo->clear();
        if (std::find(grupos.begin(), grupos.end(), std::string()) == grupos.end()) cbBusGrupo->addItem(QString());
        cbBusGrupo->addItems(items);
        const int elegido = cbBusGrupo->findText(textoBus, Qt::MatchExactly | Qt::MatchCaseSensitive);
        cbBusGrupo->setCurrentIndex(std::max(0, elegido));
    }
    if (cbBusGrupo->currentText() != textoBus) cbBusGrupoChange();
}
