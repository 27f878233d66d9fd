#include "programa.h"

#include <QFont>

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

Programa::Programa(const QStringList& argumentos)
{
    RegistrarRecursos();
    // The forms ask for "MS Sans Serif"; these have close metrics.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
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
    config_.reset();
    about_.reset();
    sucesosHoy_.reset();
    principal_.reset();
    frmConfig = nullptr;
    frmAbout = nullptr;
    frmSucesosHoy = nullptr;
    frmBindelora = nullptr;
}

bool Programa::Terminado() const
{
    return principal_->Terminado();
}

void Programa::Mostrar()
{
    principal_->show();
}

void Programa::Apagar()
{
    if (principal_) principal_->FormDestroy();
}

}  // namespace bindelora
