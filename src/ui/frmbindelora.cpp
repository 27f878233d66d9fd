// The main window's start-up, first view and shutdown.
#include "frmbindelora.h"

#include <QCloseEvent>
#include <QCoreApplication>

#include "core/texto.h"
#include "platform/mensajes.h"
#include "qtexto.h"

using namespace bindelora;

TfrmBindelora* frmBindelora = nullptr;

TfrmBindelora::TfrmBindelora(const QStringList& argumentos, QWidget* parent)
    : QWidget(parent), argumentos_(argumentos)
{
    setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(669, 400);
    TimerOnLoad = new QTimer(this);
    TimerOnLoad->setObjectName(QStringLiteral("TimerOnLoad"));
    PrepararListas();
    PrepararMenus();
    Conectar();
    PrepararAccesibilidad();
    FormCreate();
}

TfrmBindelora::~TfrmBindelora()
{
    FormDestroy();
    // Hiding moves the focus away, and a field losing it raises signals
    // (the group combo's "activated", for one): let them reach a whole
    // window now, and none reach it once it is half destroyed.
    hide();
    for (QObject* o : findChildren<QObject*>()) o->disconnect(this);
}

void TfrmBindelora::FormCreate()
{
    DisponerPiel();
    CargarConfig();
    ColorearDatos(ModoDatos::Normal);

    ListaPibes.clear();
    ResultadoBusqueda.clear();
    PibeActual = 0;
    if (CargarAgenda()) {
        OrdenarAgenda();
        RellenarGrupos();
        MostrarPibe(PibeActual);
    } else {
        MostrarLibroIncompleto();
    }
    if (terminado_) return;
    ActualizarNavegacion();

    if (ListaPibes.empty()) {
        FormaBocadillo();
        PanelHagaClicAqui->setVisible(true);
    } else {
        PanelHagaClicAqui->setVisible(false);
    }
    SucesosHoyMostrados = false;
    CrearCalendario();

    ListaAvisal.clear();
    if (!CargarAvisal()) {
        MostrarErrorChungo(QStringLiteral("Ocurrió un error fatal leyendo de la Base de Datos del Avisal."));
        return;
    }
    SincronizarCumples();

    // The first view: the setting, then the command line.
    auto elegir = [this](QPushButton* boton, QWidget* panel) {
        BotonVistaActual = boton;
        if (panel) panel->raise();
    };
    const std::string& mostrar = Config.AlEjecutarMostrar;
    if (mostrar == "DATOS") elegir(btnDatos, PanelDatos);
    else if (mostrar == "CUMPLES") elegir(btnCumples, PanelCumples);
    else if (mostrar == "AVISAL") elegir(btnAvisal, PanelAvisal);
    else elegir(btnLista, nullptr);  // the timer's click raises it

    const std::string interruptor =
        argumentos_.size() > 1 ? NormalizarTexto(deQ(argumentos_.at(1)), true) : std::string();
    if (interruptor == "/LISTA") elegir(btnLista, PanelLista);
    else if (interruptor == "/DATOS" || ListaPibes.empty()) elegir(btnDatos, PanelDatos);
    else if (interruptor == "/CUMPLES") elegir(btnCumples, PanelCumples);
    else if (interruptor == "/AVISAL") elegir(btnAvisal, PanelAvisal);

    TimerOnLoad->setInterval(1);
    TimerOnLoad->start();
}

void TfrmBindelora::TimerOnLoadTimer()
{
    TimerOnLoad->stop();
    if (BotonVistaActual) BotonVistaActual->click();
}

void TfrmBindelora::FormDestroy()
{
    // Reached from the close picture, the window manager's close, the end of
    // the event loop and the destructor: the files are written once.
    if (apagado_) return;
    apagado_ = true;
    TimerOnLoad->stop();
    if (!terminado_) {
        GuardarAgenda();
        GuardarAvisal();
    }
    ListViewLista->Vaciar();
    ListViewAvisal->Vaciar();
    ListaPibes.clear();
    ResultadoBusqueda.clear();
    AvisalActual = nullptr;
    ListaAvisal.clear();
}

void TfrmBindelora::closeEvent(QCloseEvent* e)
{
    FormDestroy();
    e->accept();
}

void TfrmBindelora::MostrarErrorChungo(const QString& primeraLinea)
{
    // A damaged data file ends the run without writing either file, so the
    // user can look at it as it is.
    Mensajes::mostrar(this,
                      primeraLinea + QStringLiteral("\r\rDeberá comprobarlo manualmente, o bien borrarla y comenzar desde cero."),
                      QStringLiteral("Error chungo"), IconoMensaje::Aviso);
    terminado_ = true;
    if (isVisible()) {
        TimerOnLoad->stop();
        close();
    }
}
