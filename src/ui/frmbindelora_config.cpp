// The six settings and their store.
#include "core/archivo.h"
#include "core/texto.h"
#include "frmbindelora.h"
#include "frmconfig.h"
#include "platform/config_registro.h"
#include "platform/mensajes.h"
#include "platform/registro.h"
#include "platform/ventanas.h"
#include "qtexto.h"

using namespace bindelora;

void TfrmBindelora::ConfigPorDefecto()
{
    bindelora::ConfigPorDefecto(Config);
}

void TfrmBindelora::AvisarAlmacenConfig(const std::string& error)
{
    // Told once: the run goes on with the settings in memory.
    if (avisoConfigDado_) return;
    avisoConfigDado_ = true;
    Mensajes::mostrar(this,
                      QStringLiteral("No se ha podido usar el almacén de la configuración; se seguirá con la "
                                     "configuración en memoria.\n\n") +
                          aQ(error),
                      QStringLiteral("Configuración"), IconoMensaje::Aviso);
}

void TfrmBindelora::CargarConfig()
{
    ConfigPorDefecto();
    Registro& reg = Registro::instancia();
    if (reg.AbrirClave(false)) {
        TConfig defecto;
        bindelora::ConfigPorDefecto(defecto);
        // A value of the wrong type keeps the default and gets it written
        // back; a missing string reads as empty.
        auto cadena = [&](const char* nombre, std::string& campo, const std::string& porDefecto, bool normalizar) {
            std::string valor;
            switch (reg.LeerCadena(nombre, valor)) {
            case LecturaRegistro::Ok:
                campo = normalizar ? NormalizarTexto(valor, true) : valor;
                break;
            case LecturaRegistro::Falta:
                campo.clear();
                break;
            case LecturaRegistro::OtroTipo:
                campo = porDefecto;
                if (!reg.EscribirCadena(nombre, porDefecto)) AvisarAlmacenConfig(reg.Error());
                break;
            }
        };
        cadena("AlEjecutarMostrar", Config.AlEjecutarMostrar, defecto.AlEjecutarMostrar, true);
        cadena("AlEjecutarOrdenar", Config.AlEjecutarOrdenar, defecto.AlEjecutarOrdenar, false);
        cadena("MostrarSucesosParaHoy", Config.MostrarSucesosParaHoy, defecto.MostrarSucesosParaHoy, true);
        std::uint32_t n = 0;
        if (reg.LeerEntero("ReproducirWAVSucesosParaHoy", n) == LecturaRegistro::Ok) {
            Config.ReproducirWAVSucesosParaHoy = n != 0;
        } else {
            Config.ReproducirWAVSucesosParaHoy = false;
            if (!reg.EscribirEntero("ReproducirWAVSucesosParaHoy", 0)) AvisarAlmacenConfig(reg.Error());
        }
        cadena("WAVSucesosParaHoy", Config.WAVSucesosParaHoy, defecto.WAVSucesosParaHoy, false);
        cadena("CarpetaSincronizacion", Config.CarpetaSincronizacion, defecto.CarpetaSincronizacion, false);
    } else if (!reg.Error().empty()) {
        AvisarAlmacenConfig(reg.Error());
    } else {
        GuardarConfig();
    }

    const std::string& orden = Config.AlEjecutarOrdenar;
    if (orden == "Nombre") {
        cbOrden->setCurrentIndex(0);
        OrdenActual = "Nombre";
    } else if (orden == "Apellido 2") {
        cbOrden->setCurrentIndex(2);
        OrdenActual = "Apellido 2";
    } else if (orden == "Grupo") {
        cbOrden->setCurrentIndex(3);
        OrdenActual = "Grupo";
    } else {
        cbOrden->setCurrentIndex(1);
        OrdenActual = "Apellido 1";
    }

    if (Config.ReproducirWAVSucesosParaHoy && !ExisteArchivo(Cp1252AUtf8(Config.WAVSucesosParaHoy))) {
        Config.ReproducirWAVSucesosParaHoy = false;
        Config.WAVSucesosParaHoy.clear();
    }
}

bool TfrmBindelora::GuardarConfig(bool avisarSiempre)
{
    Registro& reg = Registro::instancia();
    if (EscribirConfig(reg, Config)) return true;
    if (!avisarSiempre) {
        AvisarAlmacenConfig(reg.Error());
        return false;
    }
    // The user has just asked for this store: say so every time.
    avisoConfigDado_ = true;
    Mensajes::mostrar(DuenoRecuperacion(),
                      QStringLiteral("No se ha podido guardar la configuración; los cambios valdrán sólo hasta "
                                     "que se cierre el programa.\n\n") +
                          aQ(reg.Error()),
                      QStringLiteral("Configuración"), IconoMensaje::Aviso);
    return false;
}

void TfrmBindelora::btnConfigClick()
{
    frmConfig->move(x() + (width() - frmConfig->width()) / 2, y() + (height() - frmConfig->height()) / 2);
    frmConfig->MostrarConfig(Config);
    Ventanas::instancia().MostrarModal(frmConfig);
}
