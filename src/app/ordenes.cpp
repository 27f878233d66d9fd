// The import for scripts, which needs Qt Core (the lock of the data folder,
// the settings, the ordering of texts), loaded by the program's entry only
// for it.
#include "linea_ordenes.h"

extern "C" __attribute__((visibility("default"))) int bindelora_ordenes(int argc, char** argv)
{
    return bindelora::EjecutarLineaOrdenes(argc, argv);
}
