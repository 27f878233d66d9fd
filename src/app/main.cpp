// Bindelora: an address book with a calendar of dated events.
#include "cargador.h"
#include "linea_ordenes.h"

int main(int argc, char* argv[])
{
    // The modes for scripts run without a window, before any display is
    // looked for.
    if (const int codigo = bindelora::EjecutarLineaOrdenes(argc, argv); codigo >= 0) return codigo;
    return bindelora::EjecutarVentana(argc, argv);
}
