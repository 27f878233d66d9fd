// Bindelora: an address book with a calendar of dated events.
#include "cargador.h"
#include "hoy.h"
#include "ordenes_basicas.h"

int main(int argc, char* argv[])
{
    using namespace bindelora;
    // The modes for scripts run without a window, before any display is
    // looked for. The vCard export and the help need nothing but the core;
    // today's events, a module only to put more than one in order; the
    // iCalendar export, one with libical; the import, one with Qt Core.
    Orden orden;
    const int codigo = LeerOrden(argc, argv, orden);
    if (codigo < 0) return EjecutarModulo(Modulo::Ventana, argc, argv);
    if (codigo > 0) return codigo;
    if (orden.modo == "--help") {
        Escribir(stdout, TextoAyuda());
        return 0;
    }
    if (orden.modo == "--exportar-vcard")
        return ExportarVCardOrden(RutaPropia(argv[0]), orden.resto[0],
                                  orden.vcard3 ? VersionVCard::V30 : VersionVCard::V40);
    if (orden.modo == "--hoy") return HoyOrdenBasica(orden, argv[0]);
    if (orden.modo == "--exportar-ics") return EjecutarModulo(Modulo::Ics, argc, argv);
    return EjecutarModulo(Modulo::Ordenes, argc, argv);
}
