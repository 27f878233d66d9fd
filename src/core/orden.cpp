#include "core/orden.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_set>

#include "core/texto.h"

namespace bindelora {

namespace {

// The three fields of a key, most significant first.
struct Campos {
    const std::string* c[3];
};

// False for an unknown ordering name.
bool CamposDe(const TPibe& p, std::string_view orden, Campos& campos)
{
    if (orden == "Nombre") campos = {{&p.Nombre, &p.Ape1, &p.Ape2}};
    else if (orden == "Apellido 1") campos = {{&p.Ape1, &p.Ape2, &p.Nombre}};
    else if (orden == "Apellido 2") campos = {{&p.Ape2, &p.Nombre, &p.Ape1}};
    else if (orden == "Grupo") campos = {{&p.Grupo, &p.Ape1, &p.Nombre}};
    else return false;
    return true;
}

std::string Clave(const TPibe& p, std::string_view orden, int n)
{
    Campos campos;
    if (!CamposDe(p, orden, campos)) return {};
    std::string clave;
    std::size_t largo = static_cast<std::size_t>(n - 1);
    for (int i = 0; i < n; ++i) largo += campos.c[i]->size();
    clave.reserve(largo);
    for (int i = 0; i < n; ++i) {
        if (i > 0) clave += '\0';
        clave += *campos.c[i];
    }
    return NormalizarTexto(clave, true);
}

// Keys compare as unsigned bytes: the letters left unfolded (à, ü, ç...)
// must come after every plain letter, and NUL before everything so that
// "Ana" < "Anabel".
int CompararBytes(std::string_view a, std::string_view b)
{
    std::size_t n = std::min(a.size(), b.size());
    if (n > 0) {
        int r = std::memcmp(a.data(), b.data(), n);
        if (r != 0) return r;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// Eight key bytes from desde, big-endian and zero-padded: comparing these
// as integers agrees with the byte order.
std::uint64_t OchoBytes(const std::string& clave, std::size_t desde)
{
    std::uint64_t v = 0;
    for (std::size_t i = desde; i < desde + 8; ++i)
        v = (v << 8) | (i < clave.size() ? static_cast<unsigned char>(clave[i]) : 0u);
    return v;
}

// The first sixteen key bytes settle most comparisons without leaving the
// entry; the rest of a longer key is found through the record's original
// index. Its length only matters up to "longer than sixteen".
constexpr std::size_t kEnEntrada = 16;
struct Entrada {
    std::uint64_t prefijo[2];
    std::uint32_t indice;
    std::uint16_t corto;     // key length, kEnEntrada + 1 for any longer key
    std::uint16_t coincide;  // the record is the editor's
};

}  // namespace

std::string ClaveOrden(const TPibe& p, std::string_view orden)
{
    return Clave(p, orden, 3);
}

std::string ClaveInsercion(const TPibe& p, std::string_view orden)
{
    return Clave(p, orden, 2);
}

bool CoincideConEditor(const TPibe& p, const TextosEditor& editor)
{
    return p.Nombre == editor.Nombre && p.Ape1 == editor.Ape1 && p.Ape2 == editor.Ape2 &&
           p.TfnoCasa == editor.TfnoCasa && p.TfnoMovil == editor.TfnoMovil &&
           p.EMail == editor.EMail;
}

int OrdenarPibes(ListaPibes& lista, std::string_view orden, const TextosEditor& editor)
{
    const std::size_t n = lista.size();
    Campos primero;
    if (n > 1 && CamposDe(*lista[0], orden, primero)) {
        // NormalizarTexto byte by byte, so each key is folded as it is copied.
        static const std::string tabla = [] {
            std::string bytes(256, '\0');
            for (int c = 0; c < 256; ++c) bytes[static_cast<std::size_t>(c)] = static_cast<char>(c);
            return NormalizarTexto(bytes, true);
        }();
        // Each key is built once; its first bytes go into the entry
        // and the rest into one shared buffer, record after record.
        std::vector<Entrada> entradas(n);
        std::vector<std::size_t> restos(n + 1);
        std::string resto;
        resto.reserve(n * 16);
        std::string clave;
        for (std::size_t i = 0; i < n; ++i) {
            const TPibe& p = *lista[i];
            Campos c;
            CamposDe(p, orden, c);
            clave.clear();
            for (int k = 0; k < 3; ++k) {
                if (k > 0) clave += '\0';
                clave += *c.c[k];
            }
            for (char& ch : clave) ch = tabla[static_cast<unsigned char>(ch)];
            Entrada& e = entradas[i];
            e.prefijo[0] = OchoBytes(clave, 0);
            e.prefijo[1] = OchoBytes(clave, 8);
            e.indice = static_cast<std::uint32_t>(i);
            e.corto = static_cast<std::uint16_t>(std::min(clave.size(), kEnEntrada + 1));
            // Checked now, while the record is at hand, rather than in a
            // second walk over the whole book.
            e.coincide = CoincideConEditor(p, editor);
            restos[i] = resto.size();
            if (clave.size() > kEnEntrada) resto.append(clave, kEnEntrada);
        }
        restos[n] = resto.size();

        // Ties fall back to the old position, which makes the unstable sort
        // give exactly the stable order.
        const char* base = resto.data();
        const std::size_t* r = restos.data();
        std::sort(entradas.begin(), entradas.end(), [base, r](const Entrada& a, const Entrada& b) {
            if (a.prefijo[0] != b.prefijo[0]) return a.prefijo[0] < b.prefijo[0];
            if (a.prefijo[1] != b.prefijo[1]) return a.prefijo[1] < b.prefijo[1];
            if (a.corto != b.corto) return a.corto < b.corto;  // the shorter is a prefix of the other
            if (a.corto > kEnEntrada) {
                int c = CompararBytes({base + r[a.indice], r[a.indice + 1] - r[a.indice]},
                                      {base + r[b.indice], r[b.indice + 1] - r[b.indice]});
                if (c != 0) return c < 0;
            }
            return a.indice < b.indice;
        });

        ListaPibes ordenada;
        ordenada.reserve(n);
        int actual = -1;
        for (const auto& e : entradas) {
            if (e.coincide) actual = static_cast<int>(ordenada.size());
            ordenada.push_back(std::move(lista[e.indice]));
        }
        lista.swap(ordenada);
        return actual;
    }
    for (std::size_t i = n; i-- > 0;)
        if (CoincideConEditor(*lista[i], editor)) return static_cast<int>(i);
    return -1;
}

namespace {

// Compares p's insertion key with a built one as CompararBytes would, but
// normalising p's two fields on the fly: most comparisons end at the first
// bytes, and a large book is walked without building a key per contact.
int CompararConClaveInsercion(const TPibe& p, std::string_view orden, std::string_view clave)
{
    Campos campos;
    if (!CamposDe(p, orden, campos)) return CompararBytes({}, clave);
    std::size_t k = 0;
    for (int f = 0; f < 2; ++f) {
        if (f > 0) {
            if (k == clave.size()) return 1;
            if (clave[k] != '\0') return -1;  // NUL is below every other byte
            ++k;
        }
        for (char c : *campos.c[f]) {
            if (k == clave.size()) return 1;
            const auto a = static_cast<unsigned char>(NormalizarCaracter(c, true));
            const auto b = static_cast<unsigned char>(clave[k]);
            if (a != b) return a < b ? -1 : 1;
            ++k;
        }
    }
    return k == clave.size() ? 0 : -1;
}

}  // namespace

std::size_t PosicionInsercion(const ListaPibes& lista, const TPibe& nuevo, std::string_view orden)
{
    const std::string clave = ClaveInsercion(nuevo, orden);
    for (std::size_t i = 0; i < lista.size(); ++i)
        if (CompararConClaveInsercion(*lista[i], orden, clave) >= 0) return i;
    return lista.size();
}

namespace {

// The bytes of a record's key, normalised one at a time.
class CursorClave {
public:
    CursorClave(const TPibe& p, std::string_view orden) : valido_(CamposDe(p, orden, campos_)) {}

    // False at the end of the key.
    bool Siguiente(unsigned char& c)
    {
        if (!valido_) return false;
        while (pos_ >= campos_.c[campo_]->size()) {
            if (campo_ == 2) return false;
            ++campo_;
            pos_ = 0;
            c = 0;  // the separator
            return true;
        }
        c = static_cast<unsigned char>(NormalizarCaracter((*campos_.c[campo_])[pos_++], true));
        return true;
    }

private:
    Campos campos_;
    bool valido_;
    int campo_ = 0;
    std::size_t pos_ = 0;
};

}  // namespace

namespace {

// The normalising table (Ñ folded), copied here so the loop below can
// look it up inline. Built on first use: the original is another file's
// static.
struct TablaLocal {
    unsigned char t[256];
    TablaLocal()
    {
        for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(NormalizarCaracter(static_cast<char>(c), true));
    }
};
const unsigned char* Tabla()
{
    static const TablaLocal tabla;
    return tabla.t;
}

}  // namespace

void AnadirClaveOrden(const TPibe& p, std::string_view orden, std::string& destino)
{
    Campos c;
    if (!CamposDe(p, orden, c)) return;
    const unsigned char* t = Tabla();
    std::size_t o = destino.size();
    destino.resize(o + c.c[0]->size() + c.c[1]->size() + c.c[2]->size() + 2);
    for (int k = 0; k < 3; ++k) {
        if (k > 0) destino[o++] = static_cast<char>(t[0]);
        for (char ch : *c.c[k]) destino[o++] = static_cast<char>(t[static_cast<unsigned char>(ch)]);
    }
}

namespace {

// Field by field: the usual case, decided without walking a cursor. Gives
// false (undecided) only when a shorter field meets a NUL character in the
// longer one, where the separator and that character compare equal.
bool CompararPorCampos(const Campos& a, const Campos& b, int& resultado)
{
    const unsigned char* t = Tabla();
    for (int f = 0; f < 3; ++f) {
        const std::string& x = *a.c[f];
        const std::string& y = *b.c[f];
        const std::size_t n = std::min(x.size(), y.size());
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned char cx = t[static_cast<unsigned char>(x[i])];
            const unsigned char cy = t[static_cast<unsigned char>(y[i])];
            if (cx != cy) {
                resultado = cx < cy ? -1 : 1;
                return true;
            }
        }
        if (x.size() == y.size()) continue;
        // The shorter field ends: its key goes on with a separator (or
        // ends), which is below any character but NUL.
        const std::string& largo = x.size() > y.size() ? x : y;
        if (f < 2 && largo[n] == '\0') return false;
        resultado = x.size() < y.size() ? -1 : 1;
        return true;
    }
    resultado = 0;
    return true;
}

}  // namespace

int CompararClavesOrden(const TPibe& a, const TPibe& b, std::string_view orden)
{
    Campos campos_a, campos_b;
    if (!CamposDe(a, orden, campos_a) || !CamposDe(b, orden, campos_b)) return 0;
    int resultado = 0;
    if (CompararPorCampos(campos_a, campos_b, resultado)) return resultado;
    CursorClave ca(a, orden), cb(b, orden);
    for (;;) {
        unsigned char x = 0, y = 0;
        const bool hayA = ca.Siguiente(x);
        const bool hayB = cb.Siguiente(y);
        if (!hayA || !hayB) return hayA ? 1 : (hayB ? -1 : 0);
        if (x != y) return x < y ? -1 : 1;
    }
}

long RecolocarPibe(ListaPibes& lista, std::size_t i, std::string_view orden)
{
    const std::size_t n = lista.size();
    if (i >= n) return -1;
    // The others must be in order already (skipping record i).
    const TPibe* anterior = nullptr;
    for (std::size_t k = 0; k < n; ++k) {
        if (k == i) continue;
        if (anterior && CompararClavesOrden(*anterior, *lista[k], orden) > 0) return -1;
        anterior = lista[k].get();
    }
    // A stable sort puts it after the lower keys, and among its equals by
    // its old place: after those that stood before it, before the others.
    // The others are in order, so that place is found by halving.
    const TPibe& p = *lista[i];
    auto antes = [&](std::size_t j) {
        const std::size_t k = j < i ? j : j + 1;
        const int c = CompararClavesOrden(*lista[k], p, orden);
        return c < 0 || (c == 0 && k < i);
    };
    std::size_t destino = 0, hasta = n - 1;
    while (destino < hasta) {
        const std::size_t medio = destino + (hasta - destino) / 2;
        if (antes(medio)) destino = medio + 1;
        else hasta = medio;
    }
    if (destino != i) {
        std::unique_ptr<TPibe> movido = std::move(lista[i]);
        lista.erase(lista.begin() + static_cast<std::ptrdiff_t>(i));
        lista.insert(lista.begin() + static_cast<std::ptrdiff_t>(destino), std::move(movido));
    }
    return static_cast<long>(destino);
}

std::vector<std::string> GruposDistintos(const ListaPibes& lista)
{
    // Views into the records are enough: the set dies before the call ends.
    std::unordered_set<std::string_view> vistos;
    std::vector<std::string> grupos;
    for (const auto& p : lista)
        if (vistos.insert(p->Grupo).second) grupos.push_back(p->Grupo);
    return grupos;
}

}  // namespace bindelora
