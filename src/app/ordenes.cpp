// The modes for scripts that need Qt Core (the lock of the data folder, the
// settings, the ordering of texts) or libical, loaded by the program's entry
// only for them.
#include "linea_ordenes.h"

extern "C" __attribute__((visibility("default"))) int bindelora_ordenes(int argc, char** argv)
{
    return bindelora::EjecutarLineaOrdenes(argc, argv);
}
