// The exchange's state file, hashes, identifiers and summary.
#include <charconv>
#include <cstring>
#include <cstdio>
#include <random>

#include "core/archivo.h"
#include "core/sinc.h"
#include "core/sinc_interno.h"

namespace bindelora {

namespace {

constexpr std::string_view kCabecera = "BINDELORA-SINC 1";

// Names and identifiers from other programs may hold anything but the
// separators of this file.
std::string Escapar(std::string_view s)
{
    std::string r;
    r.reserve(s.size());
    for (char c : s) {
        if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
            char b[4];
            std::snprintf(b, sizeof b, "%%%02X", static_cast<unsigned char>(c));
            r += b;
        } else {
            r += c;
        }
    }
    return r;
}

bool Desescapar(std::string_view s, std::string& r)
{
    if (s.find('%') == std::string_view::npos) {
        r.assign(s);
        return true;
    }
    r.clear();
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            r += s[i];
            continue;
        }
        unsigned v = 0;
        if (i + 2 >= s.size() + 0 || std::from_chars(s.data() + i + 1, s.data() + i + 3, v, 16).ptr != s.data() + i + 3)
            return false;
        r += static_cast<char>(v);
        i += 2;
    }
    return true;
}

template <class T>
bool Numero(std::string_view s, T& v)
{
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && p == s.data() + s.size();
}

void Linea(std::string& r, char tipo, const ItemEstado& e)
{
    r += tipo;
    r += '\t';
    r += Escapar(e.uid);
    r += '\t';
    r += Escapar(e.archivo);
    for (std::uint64_t h : {e.hashRegistro, e.hashGuardado, e.hashArchivo}) {
        r += '\t';
        r += std::to_string(h);
    }
    r += '\t';
    r += std::to_string(e.tamano);
    r += '\t';
    r += std::to_string(e.mtime);
    r += e.conflicto ? "\t1\n" : "\t0\n";
}

}  // namespace

namespace {

inline std::uint64_t Mezclar(std::uint64_t h)
{
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ull;
    h ^= h >> 32;
    return h;
}

// Eight bytes a step: the start of a run hashes every contact.
struct Hasher {
    std::uint64_t h = 0x9E3779B97F4A7C15ull;
    void Bloque(std::uint64_t v) { h = (h ^ Mezclar(v + 0x2545F4914F6CDD1Dull)) * 0x9FB21C651E98DF25ull; }
    void Texto(std::string_view s)
    {
        Bloque(s.size());
        std::size_t i = 0;
        for (; i + 8 <= s.size(); i += 8) {
            std::uint64_t v;
            std::memcpy(&v, s.data() + i, 8);
            Bloque(v);
        }
        if (i < s.size()) {
            std::uint64_t v = 0;
            std::memcpy(&v, s.data() + i, s.size() - i);
            Bloque(v);
        }
    }
    std::uint64_t Fin() const { return Mezclar(h); }
};

}  // namespace

std::uint64_t HashTexto(std::string_view s)
{
    Hasher h;
    h.Texto(s);
    return h.Fin();
}

std::uint64_t HashPibe(const TPibe& p)
{
    Hasher h;
    for (const std::string* s : {&p.Nombre, &p.Ape1, &p.Ape2, &p.TfnoCasa, &p.TfnoMovil, &p.EMail, &p.Grupo}) h.Texto(*s);
    for (const auto* l : {&p.Direccion, &p.Varios}) {
        h.Bloque(l->size());
        for (const std::string& s : *l) h.Texto(s);
    }
    std::uint64_t cumple;
    std::memcpy(&cumple, &p.Cumple, 8);
    h.Bloque(cumple);
    h.Bloque(p.EnAvisal ? 1 : 0);
    return h.Fin();
}

std::uint64_t HashAvisal(const TAvisal& a)
{
    Hasher h;
    h.Bloque(static_cast<std::uint32_t>(a.Dia));
    h.Bloque(static_cast<std::uint32_t>(a.Mes));
    h.Bloque(static_cast<std::uint32_t>(a.Ano));
    h.Texto(a.Texto);
    return h.Fin();
}

std::string NuevoUid()
{
    static thread_local std::mt19937_64 azar{(static_cast<std::uint64_t>(std::random_device{}()) << 32) ^ std::random_device{}()};
    std::uint64_t a = azar(), b = azar();
    a = (a & 0xFFFFFFFFFFFF0FFFull) | 0x4000ull;          // version 4
    b = (b & 0x3FFFFFFFFFFFFFFFull) | 0x8000000000000000ull;  // variant 1
    char t[37];
    std::snprintf(t, sizeof t, "%08x-%04x-%04x-%04x-%012llx", static_cast<unsigned>(a >> 32),
                  static_cast<unsigned>((a >> 16) & 0xFFFF), static_cast<unsigned>(a & 0xFFFF),
                  static_cast<unsigned>(b >> 48), static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFull));
    return t;
}

bool LeerEstadoSinc(std::string_view texto, std::string& carpeta, ItemsEstado& contactos, ItemsEstado& sucesos)
{
    contactos.clear();
    sucesos.clear();
    auto fallo = [&] {
        contactos.clear();
        sucesos.clear();
        return false;
    };
    // The last line counts the items and hashes everything before it.
    const std::size_t ultima = texto.rfind("\nFIN\t", texto.size() >= 2 ? texto.size() - 2 : 0);
    if (ultima == std::string_view::npos || texto.substr(0, kCabecera.size() + 1) != std::string(kCabecera) + "\n")
        return fallo();
    const std::string_view cuerpo = texto.substr(0, ultima + 1);
    std::string_view cierre = texto.substr(ultima + 5);
    if (cierre.empty() || cierre.back() != '\n') return fallo();
    cierre.remove_suffix(1);
    const std::size_t tab = cierre.find('\t');
    std::size_t total = 0;
    std::uint64_t hash = 0;
    if (tab == std::string_view::npos || !Numero(cierre.substr(0, tab), total) || !Numero(cierre.substr(tab + 1), hash) ||
        hash != HashTexto(cuerpo))
        return fallo();
    std::size_t i = kCabecera.size() + 1;
    std::string_view campos[9];
    while (i < cuerpo.size()) {
        const std::size_t fin = cuerpo.find('\n', i);
        std::string_view linea = cuerpo.substr(i, fin - i);
        i = fin + 1;
        std::size_t n = 0;
        while (n < 9) {
            const std::size_t t = linea.find('\t');
            campos[n++] = linea.substr(0, t);
            if (t == std::string_view::npos) break;
            linea.remove_prefix(t + 1);
        }
        if (n == 2 && campos[0] == "D") {
            if (!Desescapar(campos[1], carpeta)) return fallo();
            continue;
        }
        auto e = std::make_unique<ItemEstado>();
        if (n != 9 || (campos[8] != "0" && campos[8] != "1") || campos[0].size() != 1 || (campos[0][0] != 'C' && campos[0][0] != 'S') ||
            !Desescapar(campos[1], e->uid) || !Desescapar(campos[2], e->archivo) || e->archivo.empty() ||
            !Numero(campos[3], e->hashRegistro) || !Numero(campos[4], e->hashGuardado) ||
            !Numero(campos[5], e->hashArchivo) || !Numero(campos[6], e->tamano) || !Numero(campos[7], e->mtime))
            return fallo();
        e->conflicto = campos[8] == "1";
        (campos[0][0] == 'C' ? contactos : sucesos).push_back(std::move(e));
    }
    if (contactos.size() + sucesos.size() != total) return fallo();
    return true;
}

std::string SerializarEstadoSinc(std::string_view carpeta, const ItemsEstado& contactos, const ItemsEstado& sucesos)
{
    std::string r(kCabecera);
    r += "\nD\t" + Escapar(carpeta) + "\n";
    r.reserve(128 * (contactos.size() + sucesos.size()) + 64);
    std::size_t n = 0;
    for (const auto& e : contactos)
        if (!e->quitar) Linea(r, 'C', *e), ++n;
    for (const auto& e : sucesos)
        if (!e->quitar) Linea(r, 'S', *e), ++n;
    const std::uint64_t h = HashTexto(r);
    r += "FIN\t" + std::to_string(n) + "\t" + std::to_string(h) + "\n";
    return r;
}

std::string RutaEstadoSinc(const std::string& rutaAgenda) { return NombreArchivoDatos(rutaAgenda, "sinc"); }

std::string TextoResumenSinc(const ResumenSinc& r)
{
    std::string t = "Sincronizaci\xF3n: contactos " + std::to_string(r.contactosNuevos) + " nuevos, " +
                    std::to_string(r.contactosCambiados) + " cambiados, " + std::to_string(r.contactosBorrados) +
                    " borrados; sucesos " + std::to_string(r.sucesosNuevos) + " nuevos, " +
                    std::to_string(r.sucesosCambiados) + " cambiados, " + std::to_string(r.sucesosBorrados) +
                    " borrados; carpeta " + std::to_string(r.escritos) + " escritos, " + std::to_string(r.borrados) +
                    " borrados; " + std::to_string(r.conflictos.size()) + " conflictos";
    if (r.noRepresentables) t += "; " + std::to_string(r.noRepresentables) + " sucesos sin equivalente";
    if (!r.errores.empty()) t += "; " + std::to_string(r.errores.size()) + " errores";
    return t + ".";
}

}  // namespace bindelora
