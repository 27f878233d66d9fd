// The vCard reader: whatever it makes of a file, our own export of it reads
// back to the same contacts, importing it into an empty book keeps them all
// but the repeated ones, and the reading time stays linear.
#include "comun.h"
#include "core/agenda.h"
#include "core/vcard.h"

using namespace bindelora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n)
{
    const std::string_view entrada = fuzz::Vista(datos, n);
    const LecturaVCard leida = LeerVCard(entrada);
    EXIGIR(leida.hayTarjetas || leida.pibes.empty());

    ListaPibes lista;
    for (const auto& p : leida.pibes) lista.push_back(std::make_unique<TPibe>(*p));
    for (VersionVCard v : {VersionVCard::V40, VersionVCard::V30}) {
        const std::string escrito = ExportarVCard(lista, v);
        const LecturaVCard releida = LeerVCard(escrito);
        EXIGIR(releida.pibes.size() == lista.size());
        ListaPibes otra;
        for (const auto& p : releida.pibes) otra.push_back(std::make_unique<TPibe>(*p));
        EXIGIR(ExportarVCard(otra, v) == escrito);
    }

    // Into an empty book: every contact read but the repeated ones, none
    // lost, and the book's file reads back to the same.
    LecturaVCard otraVez = LeerVCard(entrada);
    const std::size_t leidos = otraVez.pibes.size();
    ListaPibes libro;
    const ResumenImportacion resumen = ImportarPibes(libro, std::move(otraVez), "Apellido 1");
    EXIGIR(resumen.anadidos + resumen.duplicados == leidos && libro.size() == resumen.anadidos);
    ListaPibes releido;
    EXIGIR(LeerAgendaDeTexto(SerializarAgenda(libro), releido).estado != EstadoLectura::Fallo);
    EXIGIR(SerializarAgenda(releido) == SerializarAgenda(libro));

    fuzz::ComprobarLineal(entrada, [](std::string_view t) { (void)LeerVCard(t); });
    return 0;
}
