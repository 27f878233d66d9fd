// The events file reader: what it keeps gives its rows, is written and read
// back the same, and the reading time stays linear.
#include "comun.h"
#include "core/avisal.h"

using namespace bindelora;

namespace {

bool Iguales(const ListaAvisales& a, const ListaAvisales& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i]->Dia != b[i]->Dia || a[i]->Mes != b[i]->Mes || a[i]->Ano != b[i]->Ano ||
            a[i]->Texto != b[i]->Texto)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n)
{
    const std::string_view entrada = fuzz::Vista(datos, n);
    // A 29 February, so leap-day entries meet a leap year.
    const Fecha hoy{2028, 2, 29};
    ListaAvisales leidas;
    const ResultadoAvisales r = LeerAvisales(entrada, hoy, leidas);
    EXIGIR(r.ok == (r.lineaFallida == 0));

    // Every entry kept is one the window can show.
    std::vector<FilaAvisal> filas;
    for (const auto& a : leidas) {
        EXIGIR(!EsPasado(a->Dia, a->Mes, a->Ano, hoy));
        EXIGIR(FilasDeAvisal(*a, hoy, filas));
        EXIGIR(filas.size() == (a->Mes == 0 ? 12u : 1u));
        for (const FilaAvisal& f : filas) {
            EXIGIR(f[ColFalta].size() == 3);
            EXIGIR(f[ColFalta] <= "365" || f[ColFalta] == "999");
        }
    }

    const std::string escrito = SerializarAvisales(leidas);
    ListaAvisales releidas;
    const ResultadoAvisales r2 = LeerAvisales(escrito, hoy, releidas);
    EXIGIR(r2.ok);
    EXIGIR(Iguales(leidas, releidas));
    EXIGIR(SerializarAvisales(releidas) == escrito);

    fuzz::ComprobarLineal(entrada, [&hoy](std::string_view t) {
        ListaAvisales l;
        LeerAvisales(t, hoy, l);
    });
    return 0;
}
