// The settings dialog's last page: the sync folder through the settings
// store, and the reminder at login through its file.
#include <QDir>
#include <filesystem>

#include "entorno_config.h"
#include "platform/autoarranque.h"

using namespace bindelora;

namespace {

class PaginaSincronizacion : public EntornoConfig {
protected:
    TfrmBindelora* IniciarConAgenda()
    {
        ListaPibes l;
        l.push_back(Pibe("Ana", "Ruiz", "", "Amigos"));
        EscribirAgenda(l);
        return Iniciar();
    }
};

}  // namespace

TEST_F(PaginaSincronizacion, LaCarpetaDeSincronizacionVaYVuelveDelAlmacen)
{
    // First start: the key is made with the sixth value too, empty.
    TfrmBindelora* f = IniciarConAgenda();
    EXPECT_EQ(std::get<std::string>(registro.valores.at("CarpetaSincronizacion")), "");
    EXPECT_EQ(f->Config.CarpetaSincronizacion, "");
    Cerrar();

    registro.valores["CarpetaSincronizacion"] = std::string("/home/ana/Sincronizaci\xF3n");
    f = IniciarConAgenda();
    EXPECT_EQ(f->Config.CarpetaSincronizacion, "/home/ana/Sincronizaci\xF3n");
    Abrir(f);
    TfrmConfig* d = frmConfig;
    EXPECT_EQ(d->edtCarpetaSincronizacion->text(), "/home/ana/Sincronización");

    // Examinar starts in the folder shown; cancelling it changes nothing.
    d->btnExaminarSincronizacion->click();
    ASSERT_EQ(dialogo.aperturas.size(), 1u);
    EXPECT_TRUE(dialogo.aperturas[0].deCarpeta);
    EXPECT_EQ(dialogo.aperturas[0].carpeta, "/home/ana/Sincronización");
    EXPECT_EQ(d->edtCarpetaSincronizacion->text(), "/home/ana/Sincronización");
    dialogo.respuestas.push_back("/srv/contactos/");
    d->btnExaminarSincronizacion->click();
    EXPECT_EQ(d->edtCarpetaSincronizacion->text(), "/srv/contactos");
    d->btnCancelar->click();
    EXPECT_EQ(Cadena("CarpetaSincronizacion"), "/home/ana/Sincronizaci\xF3n");

    // Aceptar stores it beside the other five, which stay as they were.
    Abrir(f);
    d->edtCarpetaSincronizacion->setText("  /srv/contactos/ ");
    d->btnAceptar->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(f->Config.CarpetaSincronizacion, "/srv/contactos");
    EXPECT_EQ(Cadena("CarpetaSincronizacion"), "/srv/contactos");
    EXPECT_EQ(Cadena("AlEjecutarMostrar"), "LISTA");
    EXPECT_EQ(Cadena("WAVSucesosParaHoy"), "");

    // A relative folder, or one the store cannot hold, keeps the dialog
    // open on the sync page with a message; nothing is stored.
    for (const QString& mala : {QStringLiteral("relativa/sinc"), QStringLiteral("/srv/\u4E2D")}) {
        Abrir(f);
        const std::size_t antes = mensajes.cajas.size();
        d->edtCarpetaSincronizacion->setText(mala);
        d->btnAceptar->click();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(d->PageControl->currentWidget(), d->TabSheet4);
        ASSERT_EQ(mensajes.cajas.size(), antes + 1);
        EXPECT_EQ(mensajes.cajas.back().titulo, "Sincronización");
        EXPECT_EQ(Cadena("CarpetaSincronizacion"), "/srv/contactos");
        d->btnCancelar->click();
    }

    // Empty turns sync off.
    Abrir(f);
    d->edtCarpetaSincronizacion->clear();
    d->btnAceptar->click();
    EXPECT_EQ(Cadena("CarpetaSincronizacion"), "");
    EXPECT_EQ(f->Config.CarpetaSincronizacion, "");
}

TEST_F(PaginaSincronizacion, AvisarmeAlIniciarSigueAlArchivoYSeAplicaAlAceptar)
{
    TfrmBindelora* f = IniciarConAgenda();
    const std::string entrada = RutaEntradaAutoarranque();
    ASSERT_EQ(entrada.rfind((carpeta.path() + "/config/autostart/").toStdString(), 0), 0u);
    Abrir(f);
    TfrmConfig* d = frmConfig;
    EXPECT_FALSE(d->chkAvisarAlIniciar->isChecked());
    d->chkAvisarAlIniciar->click();
    d->btnCancelar->click();
    EXPECT_FALSE(std::filesystem::exists(entrada));

    Abrir(f);
    EXPECT_FALSE(d->chkAvisarAlIniciar->isChecked());
    d->chkAvisarAlIniciar->click();
    d->btnAceptar->click();
    ASSERT_TRUE(std::filesystem::exists(entrada));
    EXPECT_NE(Leer(entrada).find("\nExec=\"" + ruta.ruta + "\" --avisar\n"), std::string::npos);

    // What the command line did shows at the next opening.
    Abrir(f);
    EXPECT_TRUE(d->chkAvisarAlIniciar->isChecked());
    d->btnCancelar->click();
    std::string error;
    ASSERT_TRUE(PonerAvisosAlIniciar(false, ruta.ruta, error)) << error;
    Abrir(f);
    EXPECT_FALSE(d->chkAvisarAlIniciar->isChecked());

    // A folder that cannot be made is told; the settings are still taken.
    d->btnCancelar->click();
    std::filesystem::remove_all((carpeta.path() + "/config").toStdString());
    Escribir((carpeta.path() + "/config").toStdString(), "no es una carpeta");
    Abrir(f);
    d->chkAvisarAlIniciar->click();
    d->rbSucesosNunca->setChecked(true);
    const std::size_t antes = mensajes.cajas.size();
    d->btnAceptar->click();
    EXPECT_FALSE(d->isVisible());
    ASSERT_EQ(mensajes.cajas.size(), antes + 1);
    EXPECT_TRUE(mensajes.cajas.back().texto.startsWith("No se ha podido activar el aviso al iniciar la sesión."));
    EXPECT_EQ(f->Config.MostrarSucesosParaHoy, "NUNCA");
}
