#pragma once
// The main window: the address book, the events and the five views. Its
// operations are spread over one file per view (frmbindelora_*.cpp).
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/agenda.h"
#include "core/avisal.h"
#include "core/config.h"
#include "core/pibe.h"
#include "core/recuperacion.h"
#include "core/sinc.h"
#include "ui_frmbindelora.h"

class QLabel;
class QMenu;
class QAction;
class QPushButton;
class TEtiquetaDia;
class TMarcaDia;

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
    std::array<std::array<TEtiquetaDia*, 6>, 7> EtiquetasDia{};
    std::array<std::array<TMarcaDia*, 6>, 7> MarcasDia{};
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
    // avisarSiempre: a failure is told even when the start already told one
    // (the settings dialog's "Aceptar"). False when the store failed.
    bool GuardarConfig(bool avisarSiempre = false);
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
    void AjustarColumnaGrupo();
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
    bool LeerDatos(bindelora::TPibe& p);
    int InsertarPibe();
    void btnNuevoClick();
    void btnActualizarClick();
    void btnFirstClick();
    void btnPrevClick();
    void btnNextClick();
    void btnLastClick();
    // Key handlers get the typed character; setting it to 0 swallows the key.
    void edtNombreKeyPress(QObject* sender, char16_t& key);
    void MemoDireccionKeyPress(QObject* sender, char16_t& key);
    void cbGrupoKeyPress(QObject* sender, char16_t& key);
    void cbGrupoClick();
    void edtCumpleDiaKeyPress(QObject* sender, char16_t& key);
    void edtCumpleMesKeyPress(QObject* sender, char16_t& key);
    void lblEMailMouseEnter(QObject* sender);
    void lblEMailMouseLeave(QObject* sender);
    void lblEMailClick(QObject* sender);

    // --- Calendar ---
    void CrearCalendario();
    void DibujarMes(int mes, int ano);
    void MarcarDiasConAvisal(int mes, int ano);
    void MostrarMes(int mes, int ano);
    void MarcarDia(int dia, int mes, int ano, bool seleccionado);
    void MarcarHoy(int mes, int ano);
    void CalendarioDiaClick(TEtiquetaDia* etiqueta);

    // --- Events list and editor ---
    QLabel* ImageNewAvisal = nullptr;
    QMenu* PopupMenuAvisal = nullptr;
    QAction* mnuAvisalEliminar = nullptr;
    QAction* mnuAvisalSep1 = nullptr;
    QAction* mnuAvisalOrdenarPorFecha = nullptr;
    QAction* mnuAvisalOrdenarPorTexto = nullptr;
    void ListViewAvisalSelectItem();
    void ListViewAvisalColumnClick(int columna);
    void btnAvisalNuevoClick();
    void btnAvisalEliminarClick();
    void btnAvisalActualizarClick();
    // Key filters: a key set to 0 is discarded.
    void edtAvisalDiaKeyPress(char& tecla);
    void edtAvisalMesKeyPress(char& tecla);
    void edtAvisalAnoKeyPress(char& tecla);
    void edtAvisalTextoKeyPress(char& tecla);
    void PopupMenuAvisalPopup();
    void mnuAvisalEliminarClick();
    void mnuAvisalOrdenarPorFechaClick();
    void mnuAvisalOrdenarPorTextoClick();
    void ColorearAvisal(bool nuevo);
    void LimpiarAvisal();
    // The today's-events check.
    void MostrarSucesosHoy();

    // --- Events ---
    bool CargarAvisal();
    void GuardarAvisal();
    void RecuperarAvisal();
    void SincronizarCumples();
    void InsertarFilasAvisal(bindelora::TAvisal* entrada, bool seleccionar);
    void AjustarColumnasAvisal();
    std::string RutaAvisal() const;

    // --- Birthday list ---
    void RellenarCumples();
    void ListViewCumplesDblClick();

    // --- Search panel ---
    // Drops the results (they refer to contacts): "- / -", the scroll bar at
    // 1 of 1, the fields left as they are. Run whenever contacts go away.
    void VaciarBusqueda();
    void ActualizarBuscarAhora();
    void PintarCamposBusqueda();
    void MostrarResultado(int lugar);
    void edtBusEMailChange(QLineEdit* campo);
    void MemoBusDireccionChange(QPlainTextEdit* memo);
    void cbBusGrupoChange();
    // Key filters: a key set to 0 is swallowed.
    void edtBusCumpleDiaKeyPress(QChar& tecla);
    void edtBusCumpleMesKeyPress(QChar& tecla);
    void edtBusCumpleAnoKeyPress(QChar& tecla);
    void btnBuscarAhoraClick();
    void ScrollBarBuscarChange();
    void btnNuevaBusquedaClick();

    // --- Interchange: vCard and iCalendar ---
    QAction* mnuListaSepIntercambio = nullptr;
    QAction* mnuListaImportarVCard = nullptr;
    QAction* mnuListaExportarVCard = nullptr;
    QAction* mnuAvisalExportarICalendar = nullptr;
    void ConectarIntercambio();
    // The two entries at the end of PopupMenuLista.
    void AnadirMenusIntercambio();
    // "Exportar a iCalendar…" at the end of the events list's popup menu.
    void AnadirMenuAvisalIntercambio(QMenu* menu);
    void mnuListaImportarVCardClick();
    void mnuListaExportarVCardClick();
    void mnuAvisalExportarICalendarClick();

    // --- The sync folder (frmbindelora_sinc.cpp) ---
    // After the data files are read, before the first view; after they
    // are written at the end.
    void SincronizarAlEmpezar();
    void SincronizarAlTerminar();
    // From the editors: a record deleted, an entry replaced by its edit,
    // the lists read again by a recovery.
    void SincOlvidar(const void* registro);
    void SincReemplazado(const void* antes, const void* despues);
    void SincReleido();

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
    void ConectarAvisal();
    void PrepararMenuAvisal();
    void TeclaFechaAvisal(QLineEdit* campo, int largoAntes, QWidget* siguiente, char& tecla);
    void EliminarAvisalesIguales(const bindelora::TAvisal& a);
    bool NuevoAvisalEnCurso() const;

    // Birthday list and search panel
    void PrepararCumples();
    void ConectarBuscar();
    bool TeclaBusqueda(QLineEdit* campo, QKeyEvent* e);

    // Contact editor
    void ConectarDatos();
    bool EnModoNuevo() const;
    bool HayPibeActual() const;
    void SalirDeModoNuevo();
    void OlvidarReferencias();
    void FilaInsertada(int posicion);
    bool ReordenarTrasCambio(int posicion);
    void FilaEliminada(int posicion, const bindelora::TPibe* borrado);

    QStringList argumentos_;
    std::unique_ptr<bindelora::Sincronizador> sinc_;
    bool terminado_ = false;       // a fatal read error ended the start
    bool apagado_ = false;         // the shutdown has run
    bool agendaIntocable_ = false; // a damaged agenda file could not be backed up: never overwrite it
    bool respaldoHecho_ = false;   // the damaged agenda file is already backed up
    bool avisoConfigDado_ = false; // the settings store failure was already told
    bindelora::EstadoLectura ultimaLecturaAgenda_ = bindelora::EstadoLectura::NoExiste;
    // The entry that a refused "&Actualizar" is to replace once the fields pass.
    std::optional<bindelora::TAvisal> reemplazoAvisal_;

    // --- Recovery and storing from the settings dialog ---
    // The window that owns their messages: the dialog while it is up.
    QWidget* DuenoRecuperacion();
    bindelora::ResultadoLectura LeerAgendaRecuperada(const std::string& ruta);
    bool recuperando_ = false;  // a read failure is told, not fatal

public:
    // --- Crash recovery and files changed by other programs ---
    // Every change to the book or the events: within a moment a copy of
    // both goes to the recovery files, which the normal end removes.
    void CambioHecho();
    void EscribirRecuperacion();  // what the timer runs
    // After the shutdown wrote the data files: waits for the copies being
    // written, then removes the recovery files of the files saved.
    void TerminarRecuperacion();
    QTimer* TimerRecuperacion = nullptr;

private:
    void OfrecerRecuperacion();
    // Hands one file's copy to the writer thread (the agenda's, or the events').
    void PedirCopia(bool agenda);
    bool LeerAgendaDeRecuperacion();
    bool ApartarOtraVersion(const std::string& ruta, const bindelora::HuellaArchivo& leida, const QString& cual);
    std::unique_ptr<bindelora::EscritorDiferido> escritor_;
    bool recuperacionDecidida_ = false;  // the question of the start was asked (or not needed)
    bool agendaDeRecuperacion_ = false;  // "Sí": the book is read from its recovery file
    bool avisalDeRecuperacion_ = false;  // the same for the events, once
    bindelora::HuellaArchivo huellaAgenda_, huellaAvisal_;  // the data files as read
    bool agendaGuardada_ = false, avisalGuardado_ = false;  // by the normal end
    bool cambios_ = false;  // the run changed something
    bool avisoCopiaDado_ = false;  // a failed copy was told

    // --- Accessibility: names, view shortcuts, the calendar from the keyboard ---
public:
    // Names each day cell by its full date, "hoy" and its entries.
    void NombrarDias();
    // The one day cell that Tab stops at.
    TEtiquetaDia* DiaTab() const { return diaTab_; }

protected:
    bool focusNextPrevChild(bool siguiente) override;

private:
    void PrepararAccesibilidad();
    void PrepararTecladoCalendario();
    void FijarDiaTab(TEtiquetaDia* dia);
    void MoverFocoDia(TEtiquetaDia* desde, int columnas, int filas);
    TEtiquetaDia* diaTab_ = nullptr;
};

// The four windows of the run, created by the program entry.
class TfrmSucesosHoy;
class TfrmAbout;
class TfrmConfig;
extern TfrmBindelora* frmBindelora;
extern TfrmSucesosHoy* frmSucesosHoy;
extern TfrmAbout* frmAbout;
extern TfrmConfig* frmConfig;
