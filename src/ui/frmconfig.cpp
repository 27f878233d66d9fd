#include "frmconfig.h"

#include "accesibilidad.h"
#include "dibujo_svg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTabBar>

#include "core/jpeg.h"
#include "frmbindelora.h"
#include "platform/autoarranque.h"
#include "platform/dialogo_archivo.h"
#include "platform/mensajes.h"
#include "platform/ruta_ejecutable.h"
#include "platform/sonido.h"
#include "qtexto.h"

using namespace bindelora;

TfrmConfig* frmConfig = nullptr;

namespace {

const char* const kTextoPanic[] = {
    "------------------------------------------------------------------------",
    "---------  ¡ATENCIÓN!  -----  ¡ATENCIÓN!  ---------",
    "------------------------------------------------------------------------",
    "",
    "Puede recuperar la información del archivo de ",
    "la Agenda y del archivo del  Avisal,  dejando",
    "la aplicación en el mismo estado en el que  se",
    "encontraba al ser ejecutada esta sesión.",
    "",
    "Es  decir,   cualquier  modificación  que   haya",
    "realizado   en    esta    sesión    será    perdida",
    "(cualquier  dato   que  se  haya  añadido  a  la",
    "Agenda será eliminado, y  cualquier  dato  que",
    "se haya eliminado será recuperado).",
    "",
    "¡Cuidado! Si  se  recupera  la  información  del",
    "archivo,  todos los cambios realizados en esta",
    "sesión  se  perderán  definitivamente,   siendo",
    "imposible deshacer esta \"recuperación\".",
};

const QColor kPlata(192, 192, 192);

}  // namespace

TfrmConfig::TfrmConfig(QWidget* parent) : QDialog(parent)
{
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    QPalette p = palette();
    p.setColor(QPalette::Window, kPlata);
    setPalette(p);
    QPalette memo = MemoPanic->palette();
    memo.setColor(QPalette::Base, kPlata);
    MemoPanic->setPalette(memo);

    QStringList lineas;
    for (const char* l : kTextoPanic) lineas << QString::fromUtf8(l);
    MemoPanic->setPlainText(lineas.join(QLatin1Char('\n')));

    QFile tira(QStringLiteral(":/ventanas/borde.jpg"));
    imgBorde->setPixmap(TiraBorde(tira.open(QIODevice::ReadOnly) ? tira.readAll() : QByteArray(), imgBorde->size()));

    // Ctrl+Tab and Ctrl+Shift+Tab reach the tabs from any control of a page.
    PageControl->tabBar()->setFocusPolicy(Qt::StrongFocus);
    PageControl->tabBar()->setAccessibleName(QStringLiteral("Páginas"));
    NombrarParaAccesibilidad();

    connect(btnAceptar, &QPushButton::clicked, this, &TfrmConfig::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &TfrmConfig::btnCancelarClick);
    connect(chkReproducirWav, &QCheckBox::clicked, this, &TfrmConfig::chkReproducirWavClick);
    connect(btnCargarWAV, &QToolButton::clicked, this, &TfrmConfig::btnCargarWAVClick);
    connect(btnPlay, &QToolButton::clicked, this, &TfrmConfig::btnPlayClick);
    connect(btnRecuperarAgenda, &QPushButton::clicked, this, &TfrmConfig::btnRecuperarAgendaClick);
    connect(btnRecuperarAvisal, &QPushButton::clicked, this, &TfrmConfig::btnRecuperarAvisalClick);
    connect(btnExaminarSincronizacion, &QPushButton::clicked, this, &TfrmConfig::btnExaminarSincronizacionClick);
}

void TfrmConfig::NombrarParaAccesibilidad()
{
    namespace acc = bindelora::accesible;
    acc::InstalarFabrica();
    for (QWidget* w : std::initializer_list<QWidget*>{imgBorde, imgDat1, imgDat2, imgDat3, imgDat4, imgDat5, imgDat6,
                                                      BordeTotal, BordeDentro, BevelBindelora, BevelAvisal, BevelPanic,
                                                      BevelSincronizacion, BevelAbajo})
        acc::Adorno(w);
    for (QLabel* l : {imgDat1, imgDat2, imgDat3, imgDat4, imgDat5, imgDat6})
        bindelora::DibujarDesdeSvg(l, QStringLiteral(":/ventanas/cf_dat.svg"));
    // A larger font hides tabs behind scroll buttons: each keeps its whole text.
    for (int i = 0; i < PageControl->count(); ++i)
        if (PageControl->tabToolTip(i).isEmpty())
            PageControl->setTabToolTip(i, PageControl->tabText(i).remove(QLatin1Char('&')));
    // The radio groups read as their question.
    acc::Nombrar(Panel1, Label1->text());
    acc::Nombrar(Panel2, Label2->text());
    for (QWidget* w : std::initializer_list<QWidget*>{rbSucesosSiempre, rbSucesosSoloUna, rbSucesosNunca})
        w->setAccessibleDescription(Label3->text());
    chkReproducirWav->setAccessibleDescription(Label4->text());
    edtCarpetaSincronizacion->setAccessibleDescription(Label5->text() + QLatin1Char(' ') +
                                                       LabelSincronizacion1->text() + QLatin1Char(' ') +
                                                       LabelSincronizacion2->text());
    chkAvisarAlIniciar->setAccessibleDescription(chkAvisarAlIniciar->toolTip());
    acc::AvisarTextosCortados(this);
}

QPixmap TfrmConfig::TiraBorde(const QByteArray& jpeg, QSize tam)
{
    ImagenRGB imagen;
    if (DecodificarJpeg(reinterpret_cast<const unsigned char*>(jpeg.constData()), static_cast<std::size_t>(jpeg.size()),
                        imagen)) {
        const QImage q(imagen.pixeles.data(), imagen.ancho, imagen.alto, imagen.ancho * 3, QImage::Format_RGB888);
        return QPixmap::fromImage(q.copy());
    }
    QPixmap liso(tam);
    liso.fill(QColor(43, 85, 132));
    return liso;
}

void TfrmConfig::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    PageControl->tabBar()->setFocus(Qt::TabFocusReason);
}

void TfrmConfig::MostrarConfig(const TConfig& c)
{
    // The recovery buttons name the file they read back: where the data
    // lives depends on whether the program's folder can be written.
    btnRecuperarAgenda->setToolTip(QStringLiteral("Archivo de la Agenda: ") +
                                   QString::fromStdString(TfrmBindelora::RutaAgenda()));
    if (frmBindelora)
        btnRecuperarAvisal->setToolTip(QStringLiteral("Archivo del Avisal: ") +
                                       QString::fromStdString(frmBindelora->RutaAvisal()));
    const std::string& mostrar = c.AlEjecutarMostrar;
    if (mostrar == "DATOS") rbMostrarDatos->setChecked(true);
    else if (mostrar == "CUMPLES") rbMostrarCumples->setChecked(true);
    else if (mostrar == "AVISAL") rbMostrarAvisal->setChecked(true);
    else rbMostrarLista->setChecked(true);

    const std::string& orden = c.AlEjecutarOrdenar;
    if (orden == "Nombre") rbOrdenarPorNombre->setChecked(true);
    else if (orden == "Apellido 2") rbOrdenarPorApe2->setChecked(true);
    else if (orden == "Grupo") rbOrdenarPorGrupo->setChecked(true);
    else rbOrdenarPorApe1->setChecked(true);

    const std::string& sucesos = c.MostrarSucesosParaHoy;
    if (sucesos == "SOLO_UNA") rbSucesosSoloUna->setChecked(true);
    else if (sucesos == "NUNCA") rbSucesosNunca->setChecked(true);
    else rbSucesosSiempre->setChecked(true);

    rutaSonido_ = c.WAVSucesosParaHoy;
    chkReproducirWav->setChecked(c.ReproducirWAVSucesosParaHoy);
    ActivarBotonesSonido();
    edtCarpetaSincronizacion->setText(aQ(c.CarpetaSincronizacion));
    // The login entry lives outside the settings store: the file says.
    chkAvisarAlIniciar->setChecked(AvisosAlIniciarActivos());
    PageControl->setCurrentIndex(0);
    setWindowTitle(QStringLiteral("Configuración de la Bindelora v2.3"));
}

void TfrmConfig::ActivarBotonesSonido()
{
    const bool activo = chkReproducirWav->isChecked();
    btnCargarWAV->setEnabled(activo);
    btnPlay->setEnabled(activo && !rutaSonido_.empty());
}

TConfig TfrmConfig::ConfigElegida() const
{
    TConfig c;
    c.AlEjecutarMostrar = rbMostrarLista->isChecked()     ? "LISTA"
                          : rbMostrarDatos->isChecked()   ? "DATOS"
                          : rbMostrarCumples->isChecked() ? "CUMPLES"
                                                          : "AVISAL";
    c.AlEjecutarOrdenar = rbOrdenarPorNombre->isChecked() ? "Nombre"
                          : rbOrdenarPorApe1->isChecked() ? "Apellido 1"
                          : rbOrdenarPorApe2->isChecked() ? "Apellido 2"
                                                          : "Grupo";
    c.MostrarSucesosParaHoy = rbSucesosSiempre->isChecked()   ? "SIEMPRE"
                              : rbSucesosSoloUna->isChecked() ? "SOLO_UNA"
                                                              : "NUNCA";
    c.ReproducirWAVSucesosParaHoy = chkReproducirWav->isChecked();
    c.WAVSucesosParaHoy = rutaSonido_;
    const QString carpeta = edtCarpetaSincronizacion->text().trimmed();
    c.CarpetaSincronizacion = carpeta.isEmpty() ? std::string() : deQ(QDir::cleanPath(carpeta));
    return c;
}

QString TfrmConfig::ErrorCarpetaSincronizacion() const
{
    const QString carpeta = edtCarpetaSincronizacion->text().trimmed();
    if (carpeta.isEmpty()) return {};
    if (!QDir::isAbsolutePath(carpeta))
        return QStringLiteral("La carpeta de sincronización debe darse con su ruta completa (desde /):\n") + carpeta;
    // Kept in Windows-1252 on one line, as the sound file's path.
    if (aQ(deQ(carpeta)) != carpeta || carpeta.contains(QLatin1Char('\n')) || carpeta.contains(QLatin1Char('\r')))
        return QStringLiteral("El nombre de la carpeta de sincronización tiene caracteres que no se pueden guardar "
                              "en la configuración:\n") +
               carpeta;
    return {};
}

void TfrmConfig::btnAceptarClick()
{
    // The one value typed by hand: a wrong one keeps the dialog open on it.
    if (const QString error = ErrorCarpetaSincronizacion(); !error.isEmpty()) {
        PageControl->setCurrentWidget(TabSheet4);
        Mensajes::mostrar(this, error, QStringLiteral("Sincronización"), IconoMensaje::Aviso);
        edtCarpetaSincronizacion->setFocus();
        return;
    }
    frmBindelora->Config = ConfigElegida();
    // A failed store is told every time here; the choices stay for the run.
    frmBindelora->GuardarConfig(true);
    AplicarAvisoAlIniciar();
    accept();
}

void TfrmConfig::AplicarAvisoAlIniciar()
{
    const bool si = chkAvisarAlIniciar->isChecked();
    if (si == AvisosAlIniciarActivos()) return;
    std::string error;
    if (!PonerAvisosAlIniciar(si, RutaEjecutable::instancia().Ruta(), error))
        Mensajes::mostrar(this,
                          (si ? QStringLiteral("No se ha podido activar el aviso al iniciar la sesión.\n\n")
                              : QStringLiteral("No se ha podido desactivar el aviso al iniciar la sesión.\n\n")) +
                              QString::fromStdString(error),
                          QStringLiteral("Configuración"), IconoMensaje::Aviso);
}

void TfrmConfig::btnCancelarClick()
{
    reject();
}

void TfrmConfig::chkReproducirWavClick()
{
    ActivarBotonesSonido();
}

void TfrmConfig::btnCargarWAVClick()
{
    QString carpeta, nombre;
    if (!rutaSonido_.empty()) {
        const QFileInfo actual(aQ(rutaSonido_));
        carpeta = actual.absolutePath();
        nombre = actual.fileName();
    } else {
        carpeta = QFileInfo(QString::fromStdString(RutaEjecutable::instancia().Ruta())).absolutePath();
    }
    const QString elegido = DialogoArchivo::instancia().ElegirArchivo(
        this, QStringLiteral("Escoger archivo de sonido"), carpeta, nombre,
        {QStringLiteral("Archivos de sonido (*.wav)"), QStringLiteral("Todos (*.*)")});
    if (elegido.isEmpty()) return;
    // The path is kept in Windows-1252 on one line of the settings store: a
    // name that does not survive that would be stored as another file.
    const std::string ruta = deQ(elegido);
    if (aQ(ruta) != elegido || elegido.contains(QLatin1Char('\n')) || elegido.contains(QLatin1Char('\r'))) {
        Mensajes::mostrar(this,
                          QStringLiteral("El nombre de este archivo tiene caracteres que no se pueden guardar en la "
                                         "configuración:\n") +
                              elegido + QStringLiteral("\n\nCámbiele el nombre o escoja otro archivo."),
                          QStringLiteral("Archivo de sonido"), IconoMensaje::Aviso);
        return;
    }
    rutaSonido_ = ruta;
    btnPlay->setEnabled(!rutaSonido_.empty());
}

void TfrmConfig::btnExaminarSincronizacionClick()
{
    const QString actual = edtCarpetaSincronizacion->text().trimmed();
    const QString elegida = DialogoArchivo::instancia().ElegirCarpeta(
        this, QStringLiteral("Escoger la carpeta de sincronización"),
        QDir::isAbsolutePath(actual) ? actual : QDir::homePath());
    if (!elegida.isEmpty()) edtCarpetaSincronizacion->setText(QDir::cleanPath(elegida));
}

void TfrmConfig::btnPlayClick()
{
    Sonido::instancia().Reproducir(aQ(rutaSonido_));
}

void TfrmConfig::btnRecuperarAgendaClick()
{
    if (Mensajes::mostrar(this,
                          QStringLiteral("¿Está seguro de que desea recuperar la información\rdel Archivo de Agenda, "
                                         "perdiendo todos los cambios\rque haya hecho en esta sesión?"),
                          QStringLiteral("PANIC - Confirmación de Recuperación"), IconoMensaje::Pregunta,
                          BotonesMensaje::SiNo) == RespuestaMensaje::Si)
        frmBindelora->RecuperarAgenda();
}

void TfrmConfig::btnRecuperarAvisalClick()
{
    if (Mensajes::mostrar(this,
                          QStringLiteral("¿Está seguro de que desea recuperar la información\rdel Archivo del Avisal, "
                                         "perdiendo todos los cambios\rque haya hecho en esta sesión?"),
                          QStringLiteral("PANIC - Confirmación de Recuperación"), IconoMensaje::Pregunta,
                          BotonesMensaje::SiNo) == RespuestaMensaje::Si)
        frmBindelora->RecuperarAvisal();
}
