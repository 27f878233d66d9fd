// The check run at each activation of the Avisal view: today's entries in
// their own window, with the chosen sound.
#include "frmbindelora.h"
#include "frmsucesoshoy.h"
#include "platform/reloj.h"
#include "platform/sonido.h"
#include "platform/ventanas.h"
#include "qtexto.h"

using namespace bindelora;

void TfrmBindelora::MostrarSucesosHoy()
{
    const std::string& regla = Config.MostrarSucesosParaHoy;
    if (regla == "NUNCA") return;
    if (regla == "SOLO_UNA" && SucesosHoyMostrados) return;
    // Used up whether or not anything is found.
    SucesosHoyMostrados = true;

    TListView* lista = frmSucesosHoy->ListView;
    lista->Vaciar();
    const Fecha hoy = Reloj::instancia().Hoy();
    const std::string dia = std::to_string(hoy.dia);
    const std::string mes = std::to_string(hoy.mes);
    // The year is not looked at; a monthly entry matches through its row
    // for this month.
    int encontrados = 0;
    lista->IniciarCarga();
    for (int i = 0; i < ListViewAvisal->NumFilas(); ++i)
        if (ListViewAvisal->Texto(i, ColDia) == dia && ListViewAvisal->Texto(i, ColMesReal) == mes) {
            frmSucesosHoy->AnadirSuceso(ListViewAvisal->Texto(i, ColTexto));
            ++encontrados;
        }
    lista->TerminarCarga();
    if (encontrados == 0) return;

    frmSucesosHoy->move(x() + (width() - frmSucesosHoy->width()) / 2,
                        y() + (height() - frmSucesosHoy->height()) / 2);
    if (Config.ReproducirWAVSucesosParaHoy) Sonido::instancia().Reproducir(aQ(Config.WAVSucesosParaHoy));
    Ventanas::instancia().MostrarModal(frmSucesosHoy);
}
