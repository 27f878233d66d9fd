// The address book: the agenda file, the ordering and the group choices.
#include <algorithm>

#include "core/agenda.h"
#include "core/archivo.h"
#include "core/orden.h"
#include "frmbindelora.h"
#include "platform/comparador.h"
#include "platform/mensajes.h"
#include "platform/ruta_ejecutable.h"
#include "qtexto.h"

using namespace bindelora;

std::string TfrmBindelora::RutaAgenda()
{
    return NombreArchivoDatos(RutaEjecutable::instancia().Ruta(), "dat");
}

bool TfrmBindelora::CargarAgenda()
{
    const std::string ruta = RutaAgenda();
    const ResultadoLectura r = LeerAgenda(ruta, ListaPibes);
    ultimaLecturaAgenda_ = r.estado;
    if (r.estado == EstadoLectura::Fallo) {
        MostrarErrorChungo(QStringLiteral("Ocurrió un error fatal leyendo de la Base de Datos."));
        return false;
    }
    if (r.estado == EstadoLectura::Incompleta && !respaldoHecho_ && !agendaIntocable_) {
        // The exit save writes only what was read, so the whole file is kept
        // aside first.
        std::string copia, error;
        if (CopiarRespaldo(ruta, copia, error)) {
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
    if (agendaIntocable_) return;
    std::string error;
    if (!bindelora::GuardarAgenda(RutaAgenda(), ListaPibes, error))
        Mensajes::mostrar(this,
                          QStringLiteral("No se ha podido guardar la agenda; el archivo anterior sigue como estaba.\n\n") +
                              QString::fromStdString(error),
                          QStringLiteral("Error al guardar"), IconoMensaje::Error);
}

void TfrmBindelora::RecuperarAgenda()
{
    if (CargarAgenda()) {
        OrdenarAgenda();
        RellenarGrupos();
        PibeActual = 0;
        MostrarPibe(0);
    } else {
        MostrarLibroIncompleto();
    }
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
}
