// Stands in for the today's-events window until it is built.
#include "frmbindelora.h"

void TfrmBindelora::MostrarSucesosHoy()
{
    SucesosHoyMostrados = true;
}
