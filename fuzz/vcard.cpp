// The vCard reader: whatever it makes of a file, our own export of it reads
// back to the same contacts, reading it in two halves changes nothing, the
// command line's reading into records gives those contacts' records, and
// the reading time stays linear.
#include "comun.h"
#include "core/agenda.h"
#include "core/vcard.h"
#include "core/vcard_interno.h"

using namespace bindelora;

namespace {

void MismaLectura(const LecturaVCard& a, const LecturaVCard& b)
{
    EXIGIR(a.pibes.size() == b.pibes.size());
    EXIGIR(ExportarVCard(a.pibes, VersionVCard::V40) == ExportarVCard(b.pibes, VersionVCard::V40));
    EXIGIR(a.ilegibles == b.ilegibles && a.avisos == b.avisos);
    EXIGIR(a.avisosTotales == b.avisosTotales && a.hayTarjetas == b.hayTarjetas);
}

}  // namespace

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

    // Read in two halves, as large files are, it gives the same. One input
    // in sixteen: a thread per run costs more than the reading.
    if (std::hash<std::string_view>{}(entrada) % 16 == 0) {
        MismaLectura(LeerVCard(entrada, 0), leida);
    }

    // Straight into records, as the command line reads.
    const LecturaDirecta directa = LeerVCardDirecta(entrada, "Apellido 1");
    const ParteDirecta& parte = directa->partes[0];
    EXIGIR(directa->partes[1].leidos.empty() && parte.leidos.size() == leida.pibes.size());
    EXIGIR(directa->lectura.ilegibles == leida.ilegibles && directa->lectura.avisos == leida.avisos);
    std::string registro;
    for (std::size_t k = 0; k < parte.leidos.size(); ++k) {
        const LeidoDirecto& l = parte.leidos[k];
        registro.clear();
        AnadirRegistroAgenda(*leida.pibes[k], registro);
        EXIGIR(std::string_view(parte.textos).substr(l.texto, l.largoTexto) == registro);
        const IdentidadContacto id = l.Identidad(parte.textos);
        EXIGIR(id.nombre == leida.pibes[k]->Nombre && id.ape1 == leida.pibes[k]->Ape1 && id.ape2 == leida.pibes[k]->Ape2);
    }

    fuzz::ComprobarLineal(entrada, [](std::string_view t) { (void)LeerVCard(t); });
    return 0;
}
