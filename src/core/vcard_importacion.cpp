// The rules of an import: which contacts read are new, where each goes in
// the book, and the summary. Shared by the window's import, which holds
// the contacts, and the command line's.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "core/agenda.h"
#include "core/archivo.h"
#include "core/orden.h"
#include "core/texto.h"
#include "core/vcard.h"
#include "core/vcard_interno.h"

namespace bindelora {

namespace {

// The comparison form of every byte, taken from NormalizarTexto once.
struct Plegado {
    unsigned char t[256];
    Plegado()
    {
        std::string todos(256, '\0');
        for (int i = 0; i < 256; ++i) todos[static_cast<std::size_t>(i)] = static_cast<char>(i);
        const std::string n = NormalizarTexto(todos, true);
        std::memcpy(t, n.data(), 256);
    }
};
const Plegado& ElPlegado()
{
    static const Plegado p;
    return p;
}

bool MismoContacto(const IdentidadContacto& a, const IdentidadContacto& b)
{
    const unsigned char* t = ElPlegado().t;
    auto igual = [t](std::string_view x, std::string_view y) {
        if (x.size() != y.size()) return false;
        for (std::size_t i = 0; i < x.size(); ++i)
            if (t[static_cast<unsigned char>(x[i])] != t[static_cast<unsigned char>(y[i])]) return false;
        return true;
    };
    return igual(a.nombre, b.nombre) && igual(a.ape1, b.ape1) && igual(a.ape2, b.ape2) &&
           (a.cumple == b.cumple || (a.cumple == 0 && b.cumple == 0));
}

IdentidadContacto IdentidadDe(const TPibe& p) { return {p.Nombre, p.Ape1, p.Ape2, p.Cumple}; }

// Open addressing over the hashes; equal hashes are compared in full. A
// slot keeps the contact's number among the book's and then the file's.
class ConjuntoContactos {
public:
    explicit ConjuntoContactos(std::size_t n)
    {
        std::size_t cap = 16;
        while (cap < 2 * n) cap <<= 1;
        huecos_.assign(cap, {0, kLibre});
        mascara_ = cap - 1;
    }

    // False when an equal contact is already in; h is its HashContacto and
    // identidad(k) gives contact k's.
    template <class Identidad>
    bool Insertar(std::size_t k, std::uint64_t h, const Identidad& identidad)
    {
        for (std::size_t i = h & mascara_;; i = (i + 1) & mascara_) {
            auto& hueco = huecos_[i];
            if (hueco.second == kLibre) {
                hueco = {h, k};
                return true;
            }
            if (hueco.first == h && MismoContacto(identidad(hueco.second), identidad(k))) return false;
        }
    }

    static constexpr std::size_t kLibre = ~std::size_t{0};

private:
    std::vector<std::pair<std::uint64_t, std::size_t>> huecos_;
    std::size_t mascara_ = 0;
};

// The contacts read that are neither in the book nor earlier among those
// read, by their number; the others are counted in duplicados. hash(k) and
// identidad(k) describe contact k read. An incompleto one is always new,
// and no other is compared with it: its "???" may stand for anything.
template <class Hash, class Identidad>
std::vector<std::size_t> NoRepetidos(const ListaPibes& lista, std::size_t leidos, const Hash& hash,
                                     const Identidad& identidad, const std::vector<bool>& incompletos,
                                     std::size_t& duplicados)
{
    const std::size_t enLista = lista.size();
    // Numbers below enLista are the book's contacts.
    const auto cualquiera = [&](std::size_t k) { return k < enLista ? IdentidadDe(*lista[k]) : identidad(k - enLista); };
    ConjuntoContactos vistos(enLista + leidos);
    for (std::size_t i = 0; i < enLista; ++i) vistos.Insertar(i, HashContacto(IdentidadDe(*lista[i])), cualquiera);
    std::vector<std::size_t> nuevos;
    nuevos.reserve(leidos);
    for (std::size_t k = 0; k < leidos; ++k) {
        if ((k < incompletos.size() && incompletos[k]) || vistos.Insertar(enLista + k, hash(k), cualquiera))
            nuevos.push_back(k);
        else ++duplicados;
    }
    return nuevos;
}

// A new contact with its keys: the whole ordering key and its first two
// fields, which place it among the book's contacts.
struct Colocado {
    std::string_view orden, insercion;
    std::size_t leido;
};

// Sorts the new contacts by their ordering key (stably) and returns, for
// each in that order, how many of the book's contacts go before it: a new
// contact goes before the first one already there whose insertion key is
// not below its own.
std::vector<std::size_t> Colocar(const ListaPibes& lista, std::vector<Colocado>& nuevos, std::string_view orden)
{
    const auto antes = [](const Colocado& a, const Colocado& b) { return a.orden < b.orden; };
    std::stable_sort(nuevos.begin(), nuevos.end(), antes);
    std::vector<std::size_t> posiciones;
    posiciones.reserve(nuevos.size());
    std::size_t n = 0;
    std::string clave;
    for (std::size_t i = 0; i < lista.size() && n < nuevos.size(); ++i) {
        clave = ClaveInsercion(*lista[i], orden);
        while (n < nuevos.size() && !(std::string_view(clave) < nuevos[n].insercion)) {
            posiciones.push_back(i);
            ++n;
        }
    }
    posiciones.resize(nuevos.size(), lista.size());
    return posiciones;
}

ResumenImportacion Resumen(LecturaVCard& leidas)
{
    ResumenImportacion r;
    r.legible = leidas.hayTarjetas;
    r.ilegibles = leidas.ilegibles;
    r.controlesQuitados = leidas.controlesQuitados;
    r.avisos = std::move(leidas.avisos);
    r.avisosTotales = leidas.avisosTotales;
    return r;
}

}  // namespace

std::uint64_t HashContacto(const IdentidadContacto& p)
{
    const unsigned char* t = ElPlegado().t;
    std::uint64_t h = 1469598103934665603ull;
    for (std::string_view campo : {p.nombre, p.ape1, p.ape2}) {
        for (unsigned char c : campo) {
            h ^= t[c];
            h *= 1099511628211ull;
        }
        h ^= 0x100;  // field end, outside any byte value
        h *= 1099511628211ull;
    }
    double c = p.cumple == 0 ? 0.0 : p.cumple;  // -0 and 0 alike
    std::uint64_t bits;
    std::memcpy(&bits, &c, sizeof bits);
    h ^= bits;
    h *= 1099511628211ull;
    return h ^ (h >> 29);
}

ResumenImportacion ImportarPibes(ListaPibes& lista, LecturaVCard&& leidas, std::string_view orden)
{
    ResumenImportacion r = Resumen(leidas);
    if (!r.legible) return r;
    auto& pibes = leidas.pibes;
    std::vector<std::uint64_t> hashes(pibes.size());
    for (std::size_t i = 0; i < pibes.size(); ++i) hashes[i] = HashContacto(IdentidadDe(*pibes[i]));
    const std::vector<std::size_t> nuevos = NoRepetidos(
        lista, pibes.size(), [&](std::size_t k) { return hashes[k]; },
        [&](std::size_t k) { return IdentidadDe(*pibes[k]); }, leidas.incompletos, r.duplicados);
    r.anadidos = nuevos.size();
    if (nuevos.empty()) return r;

    // The keys lie one after another in one buffer: a string each was an
    // allocation each, and scattered for the sort.
    std::string claves;
    claves.reserve(nuevos.size() * 40);
    std::vector<std::pair<std::size_t, std::size_t>> tramos(nuevos.size());
    for (std::size_t i = 0; i < nuevos.size(); ++i) {
        const std::size_t inicio = claves.size();
        AnadirClaveOrden(*pibes[nuevos[i]], orden, claves);
        tramos[i] = {inicio, claves.size() - inicio};
    }
    std::vector<Colocado> colocados(nuevos.size());
    std::vector<std::string> insercionesAparte;  // keys with a NUL inside a field
    insercionesAparte.reserve(nuevos.size());
    for (std::size_t i = 0; i < nuevos.size(); ++i) {
        Colocado& c = colocados[i];
        c.leido = nuevos[i];
        c.orden = std::string_view(claves).substr(tramos[i].first, tramos[i].second);
        const std::size_t corte = FinClaveInsercion(c.orden);
        c.insercion = corte != std::string_view::npos
                          ? c.orden.substr(0, corte)
                          : std::string_view(insercionesAparte.emplace_back(ClaveInsercion(*pibes[c.leido], orden)));
    }
    const std::vector<std::size_t> posiciones = Colocar(lista, colocados, orden);

    // All room is taken before the first move: from here on nothing can
    // throw, so a failure above leaves the book as it was.
    ListaPibes resultado;
    resultado.reserve(lista.size() + colocados.size());
    std::size_t i = 0;
    for (std::size_t n = 0; n < colocados.size(); ++n) {
        while (i < posiciones[n]) resultado.push_back(std::move(lista[i++]));
        resultado.push_back(std::move(pibes[colocados[n].leido]));
    }
    while (i < lista.size()) resultado.push_back(std::move(lista[i++]));
    lista.swap(resultado);
    return r;
}

std::size_t FinClaveInsercion(std::string_view claveOrden)
{
    // The key is three fields and two separators unless a field itself
    // holds a NUL; then the insertion key is built apart.
    if (claveOrden.empty() || std::count(claveOrden.begin(), claveOrden.end(), '\0') != 2)
        return std::string_view::npos;
    return claveOrden.find('\0', claveOrden.find('\0') + 1);
}

std::string TextoResumen(const ResumenImportacion& r, std::size_t maxAvisos)
{
    if (!r.legible)
        return "El archivo no contiene ninguna tarjeta vCard; la agenda no ha cambiado.";
    std::string s = "Contactos a\xF1" "adidos: " + std::to_string(r.anadidos) +
                    "\nRepetidos (ya estaban en la agenda): " + std::to_string(r.duplicados) +
                    "\nNo se han podido leer: " + std::to_string(r.ilegibles);
    if (r.controlesQuitados > 0) s += "\nCaracteres de control quitados: " + std::to_string(r.controlesQuitados);
    if (r.avisosTotales > 0) {
        s += "\n";
        std::size_t mostrados = std::min({maxAvisos, r.avisos.size()});
        for (std::size_t i = 0; i < mostrados; ++i) s += "\n- " + r.avisos[i];
        if (r.avisosTotales > mostrados) s += "\n... y " + std::to_string(r.avisosTotales - mostrados) + " avisos m\xE1s.";
    }
    return s;
}

std::string MotivoLecturaVCard(int err)
{
    switch (err) {
    case EFBIG: return "pasa de 256 MiB, m\xE1s de lo que se importa de una vez";
    case ENODEV: return "no es un archivo normal (una tuber\xED" "a o un dispositivo no se importan)";
    default: return Utf8ACp1252(DescribirError(err));
    }
}

bool LeerArchivoVCard(const std::string& ruta, std::string& datos, std::string& motivo)
{
    int err = 0;
    if (LeerArchivoEntero(ruta, datos, err, kMaxArchivoVCard)) return true;
    motivo = MotivoLecturaVCard(err);
    return false;
}

}  // namespace bindelora
