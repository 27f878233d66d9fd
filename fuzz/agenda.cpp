// The agenda file reader, both formats: whatever it reads, written and read
// again, gives the same book and the same bytes; reading through a file in
// small blocks gives what reading from memory gives; time stays linear.
#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "comun.h"
#include "core/agenda.h"
#include "core/vcard.h"

using namespace bindelora;

namespace {

// A birthday is compared as written: the file keeps 15 significant digits,
// so a longer number read once comes back rounded, and stays so.
bool Iguales(const ListaPibes& a, const ListaPibes& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const TPibe& x = *a[i];
        const TPibe& y = *b[i];
        if (x.Nombre != y.Nombre || x.Ape1 != y.Ape1 || x.Ape2 != y.Ape2 || x.TfnoCasa != y.TfnoCasa ||
            x.TfnoMovil != y.TfnoMovil || x.EMail != y.EMail || x.Grupo != y.Grupo ||
            x.EnAvisal != y.EnAvisal || x.Direccion != y.Direccion || x.Varios != y.Varios ||
            FormatearCumple(x.Cumple) != FormatearCumple(y.Cumple))
            return false;
    }
    return true;
}

int EnMemoria(std::string_view texto)
{
    const int fd = ::memfd_create("agenda", MFD_CLOEXEC);
    EXIGIR(fd >= 0);
    std::size_t hecho = 0;
    while (hecho < texto.size()) {
        const ssize_t w = ::write(fd, texto.data() + hecho, texto.size() - hecho);
        EXIGIR(w > 0);
        hecho += static_cast<std::size_t>(w);
    }
    return fd;
}

void LeerDeDescriptor(std::string_view texto, std::size_t bloque, const ResultadoLectura& esperado,
                      const ListaPibes& lista)
{
    const int fd = EnMemoria(texto);
    EXIGIR(::lseek(fd, 0, SEEK_SET) == 0);
    ListaPibes otra;
    const ResultadoLectura r = LeerAgendaDeDescriptor(fd, bloque, otra);
    ::close(fd);
    EXIGIR(r.estado == esperado.estado);
    EXIGIR(r.formatoAntiguo == esperado.formatoAntiguo);
    EXIGIR(Iguales(otra, lista));
}

// The command line's export, straight from the file, gives the cards of the
// book the reader read.
void ExportarDesdeArchivo(std::string_view texto, const ResultadoLectura& esperado,
                          const ListaPibes& lista)
{
    const int entrada = EnMemoria(texto);
    const int salida = EnMemoria("");
    const ResultadoExportacion r =
        ExportarAgendaAVCard("/proc/self/fd/" + std::to_string(entrada), salida, VersionVCard::V40);
    const off_t largo = ::lseek(salida, 0, SEEK_END);
    std::string escrito(static_cast<std::size_t>(largo), '\0');
    EXIGIR(::pread(salida, escrito.data(), escrito.size(), 0) == largo);
    ::close(entrada);
    ::close(salida);
    EXIGIR(r.estado == esperado.estado);
    EXIGIR(r.contactos == lista.size());
    EXIGIR(escrito == ExportarVCard(lista, VersionVCard::V40));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n)
{
    const std::string_view entrada = fuzz::Vista(datos, n);
    ListaPibes leida;
    const ResultadoLectura r = LeerAgendaDeTexto(entrada, leida);
    EXIGIR(r.estado != EstadoLectura::Fallo && r.estado != EstadoLectura::NoExiste);
    EXIGIR(r.estado != EstadoLectura::SinRegistros || leida.empty());

    // Blocks of 1 to 64 bytes put a block edge everywhere, CR LF included.
    LeerDeDescriptor(entrada, 1 + n % 64, r, leida);
    ExportarDesdeArchivo(entrada, r, leida);

    const std::string escrito = SerializarAgenda(leida);
    ListaPibes releida;
    const ResultadoLectura r2 = LeerAgendaDeTexto(escrito, releida);
    EXIGIR(!r2.formatoAntiguo);
    EXIGIR(r2.estado == (leida.empty() ? EstadoLectura::SinRegistros : EstadoLectura::Completa));
    EXIGIR(Iguales(leida, releida));
    EXIGIR(SerializarAgenda(releida) == escrito);

    fuzz::ComprobarLineal(entrada, [](std::string_view t) {
        ListaPibes l;
        LeerAgendaDeTexto(t, l);
    });
    return 0;
}
