#pragma once
// The main window: the address book, the events and the five views. Its
// operations are spread over one file per view (frmbindelora_*.cpp).
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/agenda.h"
#include "core/avisal.h"
#include "core/config.h"
#include "core/pibe.h"
#include "ui_frmbindelora.h"

class QLabel;
class QMenu;
class QAction;
class QPushButton;

class TfrmBindelora : public QWidget, public Ui::TfrmBindelora {
    Q_OBJECT
public:
    // Runs the start-up; argumentos are the program's, the name first.
    explicit TfrmBindelora(const QStringList& argumentos, QWidget* parent = nullptr);
    ~TfrmBindelora() override;

    // True when a fatal read error ended the start: the program ends
    // without writing the data files.
    bool Terminado() const { return terminado_; }

    // --- State shared by the views ---
    bindelora::ListaPibes ListaPibes;
    int PibeActual = 0;
    std::string OrdenActual;
    std::vector<bindelora::TPibe*> ResultadoBusqueda;
    QPushButton* BotonVistaActual = nullptr;
    std::array<std::array<QLabel*, 6>, 7> EtiquetasDia{};
    std::array<std::array<QWidget*, 6>, 7> MarcasDia{};
    bindelora::ListaAvisales ListaAvisal;
    int AnoMostrado = 0;
    int MesMostrado = 0;
    bindelora::TAvisal* AvisalActual = nullptr;
    bool SucesosHoyMostrados = false;
    bindelora::TConfig Config;

    QTimer* TimerOnLoad = nullptr;
    QMenu* PopupMenuLista = nullptr;
    QAction* mnuListaVerDatos = nullptr;
    QAction* mnuListaEliminar = nullptr;
    QAction* mnuListaSep1 = nullptr;
    QAction* mnuListaOrdenarPorNombre = nullptr;
    QAction* mnuListaOrdenarPorApe1 = nullptr;
    QAction* mnuListaOrdenarPorApe2 = nullptr;
    QAction* mnuListaOrdenarPorGrupo = nullptr;

    // --- Start-up and shutdown ---
    void FormCreate();
    void FormDestroy();
    void TimerOnLoadTimer();

    // --- Settings ---
    void ConfigPorDefecto();
    void CargarConfig();
    void GuardarConfig();
    void btnConfigClick();

    // --- Address book and agenda file ---
    bool CargarAgenda();
    void GuardarAgenda();
    void RecuperarAgenda();
    void OrdenarAgenda();
    void RellenarGrupos();
    static std::string RutaAgenda();  // static: the data folder is locked before the window exists

    // --- Frame and views ---
    void DisponerPiel();
    void ArrastrarVentana();
    void FormaBocadillo();
    void btnListaClick();
    void btnDatosClick();
    void btnCumplesClick();
    void btnAvisalClick();
    void btnBuscarClick();
    void btnAboutClick();
    void btnNuevoMouseDown();

    // --- Contact list ---
    void RellenarLista();
    void ListViewListaDblClick();
    void ListViewListaColumnClick(int columna);
    void cbOrdenClick();
    void PopupMenuListaPopup();
    void mnuListaVerDatosClick();
    void mnuListaEliminarClick();
    void mnuListaOrdenarPorNombreClick();
    void mnuListaOrdenarPorApe1Click();
    void mnuListaOrdenarPorApe2Click();
    void mnuListaOrdenarPorGrupoClick();

    // --- Contact editor ---
    enum class ModoDatos { Normal, Nuevo };
    void MostrarPibe(int posicion);
    void LimpiarDatos();
    void ColorearDatos(ModoDatos modo);
    void ActualizarNavegacion();
    void btnEliminarClick();

    // --- Calendar ---
    void CrearCalendario();

    // --- Events ---
    bool CargarAvisal();
    void GuardarAvisal();
    void RecuperarAvisal();
    void SincronizarCumples();
    void InsertarFilasAvisal(bindelora::TAvisal* entrada, bool seleccionar);
    void AjustarColumnasAvisal();
    std::string RutaAvisal() const;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void Conectar();
    void PrepararListas();
    void PrepararMenus();
    void MostrarErrorChungo(const QString& primeraLinea);
    void MostrarLibroIncompleto();
    void AvisarAlmacenConfig(const std::string& error);
    bool EsArrastre(QObject* o) const;
    void MostrarFilasAvisal();

    QStringList argumentos_;
    bool terminado_ = false;       // a fatal read error ended the start
    bool apagado_ = false;         // the shutdown has run
    bool agendaIntocable_ = false; // a damaged agenda file could not be backed up: never overwrite it
    bool respaldoHecho_ = false;   // the damaged agenda file is already backed up
    bool avisoConfigDado_ = false; // the settings store failure was already told
    bindelora::EstadoLectura ultimaLecturaAgenda_ = bindelora::EstadoLectura::NoExiste;
};

// The four windows of the run, created by the program entry.
class TfrmSucesosHoy;
class TfrmAbout;
class TfrmConfig;
extern TfrmBindelora* frmBindelora;
extern TfrmSucesosHoy* frmSucesosHoy;
extern TfrmAbout* frmAbout;
extern TfrmConfig* frmConfig;
