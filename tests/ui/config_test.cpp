// The settings dialog: opening from the settings, Aceptar and Cancelar,
// the sound file, the recoveries with their mends, keys and the strip.
#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QKeyEvent>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>
#include <filesystem>

#include "entorno_config.h"
#include "platform/sonido.h"
#include "tlistview.h"

using namespace bindelora;

namespace {

class Configuracion : public EntornoConfig {
protected:
    void SetUp() override
    {
        EntornoConfig::SetUp();
        Sonido::setInstancia(&sonido);
    }
    void TearDown() override
    {
        EntornoConfig::TearDown();
        Sonido::setInstancia(nullptr);
    }

    TfrmBindelora* IniciarConAgenda()
    {
        ListaPibes l;
        l.push_back(Pibe("Ana", "Ruiz", "", "Amigos"));
        l.push_back(Pibe("Luis", "Vega", "", "Trabajo"));
        EscribirAgenda(l);
        return Iniciar();
    }

    static void Tecla(QWidget* w, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QKeyEvent e(QEvent::KeyPress, k, m);
        QApplication::sendEvent(w, &e);
    }

    SonidoFalso sonido;
};

}  // namespace

TEST_F(Configuracion, AlAbrirLosControlesSiguenALaConfiguracion)
{
    TfrmBindelora* f = IniciarConAgenda();
    f->move(20, 10);
    f->Config = {"EXTRA", "nombre", "NUNCA", true, "", ""};
    Abrir(f);
    TfrmConfig* d = frmConfig;
    ASSERT_EQ(ventanas.modales.size(), 1u);
    EXPECT_EQ(ventanas.modales[0], d);
    EXPECT_EQ(d->pos(), QPoint(20 + (669 - 369) / 2, 10 + (400 - 281) / 2));
    EXPECT_EQ(d->windowTitle(), "Configuración de la Bindelora v2.3");
    EXPECT_EQ(d->PageControl->currentIndex(), 0);
    EXPECT_TRUE(d->rbMostrarLista->isChecked());   // an unknown view
    EXPECT_TRUE(d->rbOrdenarPorApe1->isChecked());  // compared exactly: "nombre" is not "Nombre"
    EXPECT_TRUE(d->rbSucesosNunca->isChecked());
    // Sound on with no file: the chooser is there, the play button is not.
    EXPECT_TRUE(d->chkReproducirWav->isChecked());
    EXPECT_TRUE(d->btnCargarWAV->isEnabled());
    EXPECT_FALSE(d->btnPlay->isEnabled());
    // The recovery buttons name the files in use.
    EXPECT_TRUE(d->btnRecuperarAgenda->toolTip().endsWith(QString::fromStdString(f->RutaAgenda())));
    EXPECT_TRUE(d->btnRecuperarAvisal->toolTip().endsWith(QString::fromStdString(f->RutaAvisal())));
    EXPECT_TRUE(d->btnRecuperarAgenda->toolTip().contains(QStringLiteral("bindelora.dat")));

    d->hide();
    f->Config = {"AVISAL", "Grupo", "SOLO_UNA", false, "/x/a.wav", "/srv/sinc"};
    Abrir(f);
    EXPECT_TRUE(d->rbMostrarAvisal->isChecked());
    EXPECT_TRUE(d->rbOrdenarPorGrupo->isChecked());
    EXPECT_TRUE(d->rbSucesosSoloUna->isChecked());
    EXPECT_FALSE(d->chkReproducirWav->isChecked());
    EXPECT_FALSE(d->btnCargarWAV->isEnabled());
    EXPECT_FALSE(d->btnPlay->isEnabled());
    // Ticking the box brings the play button at once, the path being set.
    d->chkReproducirWav->click();
    EXPECT_TRUE(d->btnCargarWAV->isEnabled());
    EXPECT_TRUE(d->btnPlay->isEnabled());
    d->chkReproducirWav->click();
    EXPECT_FALSE(d->btnPlay->isEnabled());
}

TEST_F(Configuracion, UnAlmacenConTiposErroneosYValoresDesconocidosAbreConLosDefectos)
{
    registro.existe = true;
    registro.valores["AlEjecutarMostrar"] = std::uint32_t{3};
    registro.valores["AlEjecutarOrdenar"] = std::string("Edad");
    registro.valores["MostrarSucesosParaHoy"] = std::string("A VECES");
    registro.valores["ReproducirWAVSucesosParaHoy"] = std::string("1");
    registro.valores["WAVSucesosParaHoy"] = OtroValor{};
    TfrmBindelora* f = IniciarConAgenda();
    Abrir(f);
    TfrmConfig* d = frmConfig;
    EXPECT_TRUE(d->rbMostrarLista->isChecked());
    EXPECT_TRUE(d->rbOrdenarPorApe1->isChecked());
    EXPECT_TRUE(d->rbSucesosSiempre->isChecked());
    EXPECT_FALSE(d->chkReproducirWav->isChecked());
    EXPECT_FALSE(d->btnCargarWAV->isEnabled());
    EXPECT_EQ(d->RutaSonido(), "");
    // Aceptar then stores proper values of the proper types.
    d->btnAceptar->click();
    EXPECT_EQ(Cadena("AlEjecutarMostrar"), "LISTA");
    EXPECT_EQ(Cadena("AlEjecutarOrdenar"), "Apellido 1");
    EXPECT_EQ(Cadena("MostrarSucesosParaHoy"), "SIEMPRE");
    std::uint32_t n = 7;
    EXPECT_EQ(registro.LeerEntero("ReproducirWAVSucesosParaHoy", n), LecturaRegistro::Ok);
    EXPECT_EQ(n, 0u);
}

TEST_F(Configuracion, AceptarGuardaLasCincoYCancelarNada)
{
    TfrmBindelora* f = IniciarConAgenda();
    const TConfig inicial = f->Config;
    Abrir(f);
    TfrmConfig* d = frmConfig;
    d->rbMostrarCumples->setChecked(true);
    d->rbOrdenarPorApe2->setChecked(true);
    d->rbSucesosSoloUna->setChecked(true);
    d->chkReproducirWav->click();
    dialogo.respuestas.push_back(QDir(carpeta.path()).filePath("campana.wav"));
    d->btnCargarWAV->click();
    // Cancelar: nothing in Config, nothing stored, and the next opening
    // shows the old state again.
    d->btnCancelar->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(f->Config.AlEjecutarMostrar, inicial.AlEjecutarMostrar);
    EXPECT_EQ(f->Config.WAVSucesosParaHoy, "");
    EXPECT_EQ(Cadena("AlEjecutarMostrar"), "LISTA");
    Abrir(f);
    EXPECT_TRUE(d->rbMostrarLista->isChecked());
    EXPECT_FALSE(d->chkReproducirWav->isChecked());
    EXPECT_EQ(d->RutaSonido(), "");

    // Escape cancels too.
    d->rbMostrarDatos->setChecked(true);
    Tecla(d->rbMostrarDatos, Qt::Key_Escape);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(f->Config.AlEjecutarMostrar, "LISTA");

    // Aceptar: all five into Config and the store; the running view and
    // ordering stay as they are.
    Abrir(f);
    d->rbMostrarDatos->setChecked(true);
    d->rbOrdenarPorNombre->setChecked(true);
    d->rbSucesosNunca->setChecked(true);
    d->chkReproducirWav->click();
    dialogo.respuestas.push_back(QDir(carpeta.path()).filePath("campana.wav"));
    d->btnCargarWAV->click();
    d->chkReproducirWav->click();  // off again: the path is kept all the same
    d->btnAceptar->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(f->Config.AlEjecutarMostrar, "DATOS");
    EXPECT_EQ(f->Config.AlEjecutarOrdenar, "Nombre");
    EXPECT_EQ(f->Config.MostrarSucesosParaHoy, "NUNCA");
    EXPECT_FALSE(f->Config.ReproducirWAVSucesosParaHoy);
    EXPECT_EQ(f->Config.WAVSucesosParaHoy, (carpeta.path() + "/campana.wav").toStdString());
    EXPECT_EQ(Cadena("AlEjecutarMostrar"), "DATOS");
    EXPECT_EQ(Cadena("AlEjecutarOrdenar"), "Nombre");
    EXPECT_EQ(Cadena("MostrarSucesosParaHoy"), "NUNCA");
    EXPECT_EQ(Cadena("WAVSucesosParaHoy"), f->Config.WAVSucesosParaHoy);
    EXPECT_EQ(f->OrdenActual, "Apellido 1");
    // Next opening, the box ticked: the play button comes at once.
    Abrir(f);
    d->chkReproducirWav->click();
    EXPECT_TRUE(d->btnPlay->isEnabled());
    // Enter anywhere answers "Aceptar", the default button.
    EXPECT_TRUE(d->btnAceptar->isDefault());
    EXPECT_FALSE(d->btnCancelar->autoDefault());
    EXPECT_FALSE(d->btnRecuperarAgenda->autoDefault());
}

TEST_F(Configuracion, UnAlmacenQueFallaSeAvisaCadaVezQueSeAcepta)
{
    registro.fallar = true;
    TfrmBindelora* f = IniciarConAgenda();
    const std::size_t alArrancar = mensajes.cajas.size();
    EXPECT_EQ(alArrancar, 1u);  // the start tells it once
    for (int i = 0; i < 2; ++i) {
        Abrir(f);
        frmConfig->rbSucesosNunca->setChecked(true);
        frmConfig->btnAceptar->click();
    }
    ASSERT_EQ(mensajes.cajas.size(), alArrancar + 2);
    EXPECT_EQ(mensajes.cajas.back().icono, IconoMensaje::Aviso);
    EXPECT_EQ(mensajes.cajas.back().dueno, frmConfig);
    EXPECT_EQ(f->Config.MostrarSucesosParaHoy, "NUNCA");  // in effect for the run
}

TEST_F(Configuracion, ElegirYProbarElSonido)
{
    TfrmBindelora* f = IniciarConAgenda();
    const QString programa = QString::fromStdString(ruta.ruta);
    f->Config.ReproducirWAVSucesosParaHoy = true;
    Abrir(f);
    TfrmConfig* d = frmConfig;
    d->btnCargarWAV->click();  // cancelled: nothing changes
    ASSERT_EQ(dialogo.aperturas.size(), 1u);
    EXPECT_EQ(dialogo.aperturas[0].titulo, "Escoger archivo de sonido");
    EXPECT_EQ(dialogo.aperturas[0].carpeta, QFileInfo(programa).absolutePath());
    EXPECT_EQ(dialogo.aperturas[0].nombre, "");
    EXPECT_EQ(dialogo.aperturas[0].filtros, (QStringList{"Archivos de sonido (*.wav)", "Todos (*.*)"}));
    EXPECT_FALSE(d->btnPlay->isEnabled());

    dialogo.respuestas.push_back("/sonidos/m\u00fasica/gong.wav");
    d->btnCargarWAV->click();
    EXPECT_EQ(d->RutaSonido(), "/sonidos/m\xFAsica/gong.wav");
    EXPECT_TRUE(d->btnPlay->isEnabled());
    d->btnPlay->click();
    ASSERT_EQ(sonido.sonidos.size(), 1u);
    EXPECT_EQ(sonido.sonidos[0], QStringLiteral("/sonidos/música/gong.wav"));

    // Next choice starts in that file's folder, with its name.
    d->btnCargarWAV->click();
    EXPECT_EQ(dialogo.aperturas.back().carpeta, "/sonidos/música");
    EXPECT_EQ(dialogo.aperturas.back().nombre, "gong.wav");

    // Names the settings store cannot keep are refused; the old path stays.
    const std::size_t cajas = mensajes.cajas.size();
    for (const QString& malo : {QStringLiteral("/s/\u0109apelo.wav"), QStringLiteral("/s/dos\nl\u00edneas.wav"),
                               QStringLiteral("/s/retorno\r.wav")}) {
        dialogo.respuestas.push_back(malo);
        d->btnCargarWAV->click();
        EXPECT_EQ(d->RutaSonido(), "/sonidos/m\xFAsica/gong.wav");
    }
    ASSERT_EQ(mensajes.cajas.size(), cajas + 3);
    EXPECT_EQ(mensajes.cajas.back().dueno, d);
}

TEST_F(Configuracion, RecuperarLaAgendaConSiYNo)
{
    TfrmBindelora* f = IniciarConAgenda();
    const std::string enDisco = Leer(Dat());
    Abrir(f);
    TfrmConfig* d = frmConfig;
    f->ListaPibes.push_back(Pibe("Nuevo", "Sin guardar"));
    f->RellenarLista();
    f->ResultadoBusqueda.push_back(f->ListaPibes.front().get());

    mensajes.siguienteRespuesta(RespuestaMensaje::No);
    d->btnRecuperarAgenda->click();
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].titulo, "PANIC - Confirmación de Recuperación");
    EXPECT_EQ(mensajes.cajas[0].texto, "¿Está seguro de que desea recuperar la información\rdel Archivo de Agenda, "
                                       "perdiendo todos los cambios\rque haya hecho en esta sesión?");
    EXPECT_EQ(mensajes.cajas[0].icono, IconoMensaje::Pregunta);
    EXPECT_EQ(mensajes.cajas[0].botones, BotonesMensaje::SiNo);
    EXPECT_EQ(mensajes.cajas[0].dueno, d);
    EXPECT_EQ(f->ListaPibes.size(), 3u);

    d->btnRecuperarAgenda->click();  // Yes
    EXPECT_EQ(f->ListaPibes.size(), 2u);
    EXPECT_EQ(f->ListViewLista->NumFilas(), 2);
    EXPECT_TRUE(f->ResultadoBusqueda.empty());  // they pointed at freed contacts
    EXPECT_EQ(f->PibeActual, 0);
    EXPECT_EQ(f->edtNombre->text(), "Ana");
    EXPECT_TRUE(d->isVisible());  // the dialog stays open
    d->btnCancelar->click();      // and cancelling does not undo the read
    EXPECT_EQ(f->ListaPibes.size(), 2u);
    Cerrar();
    EXPECT_EQ(Leer(Dat()), enDisco);
}

TEST_F(Configuracion, RecuperarUnaAgendaQueFaltaEsIlegibleVaciaODanada)
{
    TfrmBindelora* f = IniciarConAgenda();
    Abrir(f);
    TfrmConfig* d = frmConfig;

    // Missing: the book stays, the dialog says so, the run goes on.
    std::filesystem::rename(Dat(), Dat() + ".aparte");
    d->btnRecuperarAgenda->click();
    EXPECT_EQ(f->ListaPibes.size(), 2u);
    ASSERT_EQ(mensajes.cajas.size(), 2u);
    EXPECT_EQ(mensajes.cajas[1].dueno, d);
    EXPECT_EQ(mensajes.cajas[1].icono, IconoMensaje::Aviso);

    // Unreadable (a folder in its place): the same, and never the fatal end.
    std::filesystem::create_directory(Dat());
    d->btnRecuperarAgenda->click();
    EXPECT_EQ(f->ListaPibes.size(), 2u);
    ASSERT_EQ(mensajes.cajas.size(), 4u);
    EXPECT_EQ(mensajes.cajas[3].dueno, d);
    EXPECT_NE(mensajes.cajas[3].titulo, "Error chungo");
    EXPECT_FALSE(f->Terminado());
    EXPECT_TRUE(f->isVisible());
    std::filesystem::remove(Dat());

    // Damaged after the first record: that one is kept, the file is backed up.
    ListaPibes uno;
    uno.push_back(Pibe("Rosa", "Mora"));
    Escribir(Dat(), SerializarAgenda(uno) + "NOM:Roto\r\nAP1:\r\n");
    d->btnRecuperarAgenda->click();
    ASSERT_EQ(f->ListaPibes.size(), 1u);
    EXPECT_EQ(f->ListaPibes[0]->Nombre, "Rosa");
    EXPECT_EQ(f->ListViewLista->NumFilas(), 1);
    EXPECT_TRUE(std::filesystem::exists(Dat() + ".bak"));

    // Empty: the user asked for the file as it is.
    Escribir(Dat(), "");
    d->btnRecuperarAgenda->click();
    EXPECT_TRUE(f->ListaPibes.empty());
    EXPECT_EQ(f->ListViewLista->NumFilas(), 0);
    EXPECT_FALSE(f->Terminado());
}

TEST_F(Configuracion, RecuperarElAvisalReponeLosCumplesDeLaSesion)
{
    // Ana's birthday is entered at this start (her record says AVS:0).
    ListaPibes l;
    l.push_back(Pibe("Ana", "Ruiz", "", "", Dia(1980, 6, 5)));
    EscribirAgenda(l);
    Escribir(Avs(), "01012030Uno\r\n");
    TfrmBindelora* f = Iniciar();
    ASSERT_EQ(f->ListaAvisal.size(), 2u);
    Abrir(f);
    TfrmConfig* d = frmConfig;

    mensajes.siguienteRespuesta(RespuestaMensaje::No);
    d->btnRecuperarAvisal->click();
    EXPECT_EQ(mensajes.cajas.back().texto,
              "¿Está seguro de que desea recuperar la información\rdel Archivo del Avisal, perdiendo todos los "
              "cambios\rque haya hecho en esta sesión?");

    Escribir(Avs(), "01012030Uno\r\n02022030Dos\r\n");
    d->btnRecuperarAvisal->click();
    ASSERT_EQ(f->ListaAvisal.size(), 3u);
    EXPECT_EQ(f->ListaAvisal[2]->Texto, "Cumplea\xF1os de Ana Ruiz");
    EXPECT_EQ(f->ListViewAvisal->NumFilas(), 3);
    d->btnRecuperarAvisal->click();  // again: no second copy
    EXPECT_EQ(f->ListaAvisal.size(), 3u);

    // A damaged file: list and rows as they were, and the dialog says so.
    Escribir(Avs(), "01012030Uno\r\nxx\r\n");
    const std::size_t cajas = mensajes.cajas.size();
    d->btnRecuperarAvisal->click();
    ASSERT_EQ(mensajes.cajas.size(), cajas + 2);
    EXPECT_EQ(mensajes.cajas.back().dueno, d);
    EXPECT_EQ(f->ListaAvisal.size(), 3u);
    EXPECT_EQ(f->ListViewAvisal->NumFilas(), 3);
    EXPECT_FALSE(f->Terminado());

    // Unreadable (a folder in its place): the same.
    std::filesystem::remove(Avs());
    std::filesystem::create_directory(Avs());
    d->btnRecuperarAvisal->click();
    EXPECT_EQ(mensajes.cajas.size(), cajas + 4);
    EXPECT_EQ(f->ListaAvisal.size(), 3u);
    std::filesystem::remove(Avs());

    // Missing or empty: created or read empty, Ana's birthday comes back.
    std::filesystem::remove(Avs());
    d->btnRecuperarAvisal->click();
    EXPECT_EQ(f->ListaAvisal.size(), 3u);
    Escribir(Avs(), "");
    d->btnRecuperarAvisal->click();
    ASSERT_EQ(f->ListaAvisal.size(), 1u);
    EXPECT_EQ(f->ListaAvisal[0]->Texto, "Cumplea\xF1os de Ana Ruiz");
    Cerrar();
    EXPECT_EQ(Leer(Avs()), "05069999Cumplea\xF1os de Ana Ruiz\r\n");
}

TEST_F(Configuracion, TeclasFocoYNombresAccesibles)
{
    TfrmBindelora* f = IniciarConAgenda();
    Abrir(f);
    TfrmConfig* d = frmConfig;
    QApplication::setActiveWindow(d);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), d->PageControl->tabBar());
    Tecla(d->PageControl->tabBar(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(d->PageControl->currentIndex(), 1);
    Tecla(d->rbSucesosSiempre, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(d->PageControl->currentIndex(), 2);
    Tecla(d->PageControl->tabBar(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(d->PageControl->currentIndex(), 1);

    // On the "Panic!" page Tab reaches both picture-only buttons.
    d->PageControl->setCurrentIndex(2);
    d->PageControl->tabBar()->setFocus();
    std::vector<QWidget*> alcanzados;
    for (int i = 0; i < 12; ++i) {
        Tecla(QApplication::focusWidget(), Qt::Key_Tab);
        alcanzados.push_back(QApplication::focusWidget());
    }
    for (QWidget* w : {static_cast<QWidget*>(d->MemoPanic), static_cast<QWidget*>(d->btnRecuperarAgenda),
                       static_cast<QWidget*>(d->btnRecuperarAvisal), static_cast<QWidget*>(d->btnAceptar),
                       static_cast<QWidget*>(d->btnCancelar)})
        EXPECT_NE(std::find(alcanzados.begin(), alcanzados.end(), w), alcanzados.end()) << w->objectName().toStdString();

    // Ctrl+Tab from inside the memo still turns the page, to the last one.
    d->MemoPanic->setFocus();
    Tecla(d->MemoPanic, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(d->PageControl->currentIndex(), 3);

    // Every control that takes the focus has a name for screen readers.
    for (QWidget* w : d->findChildren<QWidget*>()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || w->inherits("QScrollBar") || w->parent() == d->MemoPanic) continue;
        const auto* b = qobject_cast<QAbstractButton*>(w);
        const bool nombrado = !w->accessibleName().isEmpty() || (b && !b->text().isEmpty());
        EXPECT_TRUE(nombrado) << w->objectName().toStdString();
    }
    EXPECT_FALSE(d->btnRecuperarAgenda->toolTip().isEmpty());
}

TEST_F(Configuracion, DisposicionTextosYTira)
{
    Iniciar();
    TfrmConfig* d = frmConfig;
    EXPECT_EQ(d->size(), QSize(369, 281));
    EXPECT_EQ(d->PageControl->size(), QSize(281, 217));
    EXPECT_EQ(d->PageControl->tabText(0), "Bindelora");
    EXPECT_EQ(d->PageControl->tabText(1), "Avisal");
    EXPECT_EQ(d->PageControl->tabText(2), "Panic!");
    // The sync page comes last; the others keep their places.
    ASSERT_EQ(d->PageControl->count(), 4);
    EXPECT_EQ(d->PageControl->tabText(3), "Sincronización");
    EXPECT_EQ(d->PageControl->widget(0), d->TabSheet1);
    EXPECT_EQ(d->PageControl->widget(2), d->TabSheet3);
    for (QWidget* w : {static_cast<QWidget*>(d->edtCarpetaSincronizacion),
                       static_cast<QWidget*>(d->btnExaminarSincronizacion), static_cast<QWidget*>(d->chkAvisarAlIniciar)}) {
        EXPECT_TRUE(d->TabSheet4->isAncestorOf(w)) << w->objectName().toStdString();
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        EXPECT_TRUE(d->BevelSincronizacion->geometry().contains(w->geometry())) << w->objectName().toStdString();
    }
    EXPECT_EQ(d->btnExaminarSincronizacion->text(), "Examinar…");
    EXPECT_EQ(d->chkAvisarAlIniciar->text(), "Avisarme al iniciar la sesión");
    EXPECT_TRUE(d->LabelSincronizacion1->text().contains("un archivo por cada contacto"));
    EXPECT_TRUE(d->LabelSincronizacion2->text().contains("vdirsyncer"));
    EXPECT_EQ(d->Label3->text(), "Mostrar la ventana \"Sucesos para hoy\"...");
    EXPECT_EQ(d->rbSucesosSoloUna->text(), "Sólo una vez por sesión");
    EXPECT_EQ(d->btnAceptar->text(), "&Aceptar");
    EXPECT_EQ(d->btnCargarWAV->toolTip(), "Escoger archivo WAV");
    EXPECT_EQ(d->btnPlay->toolTip(), "Reproducir el archivo WAV actual");
    EXPECT_FALSE(d->windowFlags() & Qt::WindowCloseButtonHint);
    const QStringList memo = d->MemoPanic->toPlainText().split('\n');
    ASSERT_EQ(memo.size(), 19);
    EXPECT_EQ(memo[1], "---------  ¡ATENCIÓN!  -----  ¡ATENCIÓN!  ---------");
    EXPECT_EQ(memo[3], "");
    EXPECT_EQ(memo[4], "Puede recuperar la información del archivo de ");
    EXPECT_EQ(memo[18], "imposible deshacer esta \"recuperación\".");
    EXPECT_TRUE(d->MemoPanic->isReadOnly());

    // The strip is the decoded JPEG; damaged bytes give a plain one.
    ASSERT_FALSE(d->imgBorde->pixmap().isNull());
    EXPECT_EQ(d->imgBorde->pixmap().size(), QSize(70, 277));
    QFile jpeg(":/ventanas/borde.jpg");
    ASSERT_TRUE(jpeg.open(QIODevice::ReadOnly));
    QByteArray danado = jpeg.readAll();
    danado.truncate(danado.size() / 3);
    const QImage liso = TfrmConfig::TiraBorde(danado, QSize(70, 277)).toImage();
    EXPECT_EQ(liso.size(), QSize(70, 277));
    EXPECT_EQ(liso.pixel(3, 3), liso.pixel(60, 250));
    EXPECT_EQ(TfrmConfig::TiraBorde(QByteArray(), QSize(70, 277)).size(), QSize(70, 277));
}
