#include "programa.h"

#include <QFont>
#include <cstdio>

#include "core/archivo.h"
#include "core/recuperacion.h"
#include "platform/bloqueo.h"
#include "platform/mensajes.h"
#include "platform/ruta_ejecutable.h"
#include "frmabout.h"
#include "frmbindelora.h"
#include "frmconfig.h"
#include "frmsucesoshoy.h"

// The pictures live in this static library; its resources must be
// registered by hand.
static void RegistrarRecursos()
{
    Q_INIT_RESOURCE(resources);
    Q_INIT_RESOURCE(ventanas);
}

namespace bindelora {

namespace {

// A book left beside the program, in a folder no longer used for the data
// (others may write in it, or it is someone else's), would look lost: the
// first start elsewhere says where it is.
void AvisarLibroJuntoAlPrograma(const std::string& agenda)
{
    const std::string programa = RutaEjecutable::instancia().Ruta();
    const std::string junto = NombreArchivoDatos(programa, "dat");
    if (MismoArchivo(junto, agenda) || !ExisteArchivo(junto) || ExisteArchivo(agenda)) return;
    const std::size_t barra = agenda.rfind('/');
    Mensajes::mostrar(
        nullptr,
        QStringLiteral("Hay una agenda junto al programa:\n") + QString::fromStdString(junto) +
            QStringLiteral("\n\nNo se usa porque esa carpeta no es solo suya (otros usuarios pueden escribir en "
                           "ella, o es de otro usuario). La Bindelora guarda sus datos en:\n") +
            QString::fromStdString(barra == std::string::npos ? agenda : agenda.substr(0, barra)) +
            QStringLiteral("\n\nPara seguir con esa agenda, cierre el programa y copie allí sus archivos ."
                           "dat y .avs."),
        TituloYaAbierta(), IconoMensaje::Informacion);
}

}  // namespace

Programa::Programa(const QStringList& argumentos)
{
    RegistrarRecursos();
    // The forms ask for "MS Sans Serif"; these have close metrics.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});

    // Before anything reads or writes: a second copy on the same files
    // must leave them alone.
    const std::string agenda = TfrmBindelora::RutaAgenda();
    bloqueo_ = std::make_unique<BloqueoDatos>(agenda);
    if (bloqueo_->estado() != BloqueoDatos::Estado::Tomado) {
        // Without the lock nothing is read or written: a run that could not
        // make one would not keep a second copy out either.
        rechazado_ = true;
        const bool ocupado = bloqueo_->estado() == BloqueoDatos::Estado::Ocupado;
        const QString texto = ocupado ? TextoYaAbierta(bloqueo_->Carpeta()) : TextoBloqueoImposible(*bloqueo_);
        std::fprintf(stderr, "%s\n", QString(texto).replace(QLatin1Char('\r'), QLatin1Char('\n')).toLocal8Bit().constData());
        Mensajes::mostrar(nullptr, texto, TituloYaAbierta(), ocupado ? IconoMensaje::Aviso : IconoMensaje::Error);
        return;
    }
    // Where the saves write: beside the real files, links followed.
    LimpiarTemporales(RutaReal(agenda));
    AvisarLibroJuntoAlPrograma(agenda);

    principal_ = std::make_unique<TfrmBindelora>(argumentos);
    frmBindelora = principal_.get();
    if (principal_->Terminado()) return;
    sucesosHoy_ = std::make_unique<TfrmSucesosHoy>();
    frmSucesosHoy = sucesosHoy_.get();
    about_ = std::make_unique<TfrmAbout>();
    frmAbout = about_.get();
    config_ = std::make_unique<TfrmConfig>();
    frmConfig = config_.get();
}

Programa::~Programa()
{
    Apagar();
    // A refused second run must not take the first one's windows away.
    if (principal_) {
        frmConfig = nullptr;
        frmAbout = nullptr;
        frmSucesosHoy = nullptr;
        frmBindelora = nullptr;
    }
    config_.reset();
    about_.reset();
    sucesosHoy_.reset();
    principal_.reset();
    bloqueo_.reset();
}

bool Programa::Terminado() const
{
    return rechazado_ || principal_->Terminado();
}

void Programa::Mostrar()
{
    if (principal_) principal_->show();
}

void Programa::Apagar()
{
    if (!principal_) return;
    principal_->FormDestroy();
    principal_->TerminarRecuperacion();
}

}  // namespace bindelora
