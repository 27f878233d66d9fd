#pragma once
// What the vCard reader, writer and import share, inside the core only.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/vcard.h"

namespace bindelora {

// The first a or b in s from i on, or npos. Values and lines are short: a
// call to memchr for each cost more than the looking.
inline std::size_t BuscarUno(std::string_view s, std::size_t i, char a, char b)
{
    for (; i < s.size(); ++i)
        if (s[i] == a || s[i] == b) return i;
    return std::string_view::npos;
}

// Property names and parameters are compared without regard to case.
inline bool IgualesSinMayusculas(const char* a, const char* b, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

// Every line is compared with a dozen property names; most differ in length.
inline bool IgualSinMayusculas(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && IgualesSinMayusculas(a.data(), b.data(), a.size());
}

inline std::string_view Recortar(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

struct Parametro {
    std::string_view nombre;  // empty for a bare 2.1 value ("CELL")
    std::string_view valor;
};

struct Propiedad {
    std::string_view nombre;  // group prefix removed
    std::vector<Parametro> params;  // the first kMaxComponentesVCard
    std::string_view valor;
    bool demasiados = false;  // more parameters than those kept

    // Calls f with every value of a parameter, bare 2.1 values counting
    // as TYPE.
    template <class F>
    void ParaCadaTipo(F&& f) const
    {
        for (const Parametro& p : params) {
            if (!p.nombre.empty() && !IgualSinMayusculas(p.nombre, "TYPE")) continue;
            std::string_view v = Recortar(p.valor);
            if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
            while (!v.empty()) {
                std::size_t coma = v.find(',');
                f(Recortar(v.substr(0, coma)));
                if (coma == std::string_view::npos) break;
                v.remove_prefix(coma + 1);
            }
        }
    }

    std::string_view Param(std::string_view nombre) const
    {
        for (const Parametro& p : params)
            if (IgualSinMayusculas(p.nombre, nombre)) {
                std::string_view v = p.valor;
                if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
                return v;
            }
        return {};
    }

    bool EsQuotedPrintable() const
    {
        for (const Parametro& p : params)
            if ((p.nombre.empty() || IgualSinMayusculas(p.nombre, "ENCODING")) && IgualSinMayusculas(Recortar(p.valor), "QUOTED-PRINTABLE"))
                return true;
        return false;
    }
};

// Splits "group.NAME;param=value;BARE:value". False when there is no colon
// or no name.
bool PartirLinea(std::string_view linea, Propiedad& p);

// One content line's value as Windows-1252 bytes, escapes still in.
// Control characters but TAB, CR and LF (blanks and line breaks) are
// dropped and counted in controles.
struct Decodificador {
    std::string qp;
    std::size_t sustituidos = 0;
    std::size_t controles = 0;
    bool qpMalo = false;
    bool charsetRaro = false;

    // Valid until the next call.
    std::string_view Valor(const Propiedad& p);

    void Limpiar()
    {
        sustituidos = controles = 0;
        qpMalo = charsetRaro = false;
    }

private:
    std::string out;
};

// Splits at the separators not escaped by a backslash. Past
// kMaxComponentesVCard parts the rest is one more part, unsplit: more parts
// than the bound tell of a hostile value, and cost no memory.
// The parts live in one buffer reused by the next call: use them before
// splitting anything else.
const std::vector<std::string_view>& Partir(std::string_view v, char sep);

// Text escapes undone; a line break of any kind becomes '\n'. An unknown
// escape keeps its backslash (Windows paths in notes). Into r, whose room
// is reused.
void DesescaparEn(std::string_view v, std::string& r);
std::string Desescapar(std::string_view v);

// A field of the book holds one line.
void UnaLineaEn(std::string& s);
std::string UnaLinea(std::string s);

// The lines of a text; a single line is moved, not copied.
std::vector<std::string> Lineas(std::string_view s);
std::vector<std::string> Lineas(std::string&& s);

// The parts that are not empty, joined by sep.
std::string Unir(const std::vector<std::string>& partes, std::string_view sep);

// Surname particles ("de", "la", "van" ...) that belong to the surname that
// follows them, in any case.
bool EsParticula(std::string_view w);

// What makes two contacts the same for an import: name, surnames and
// birthday, compared in their normalised form.
struct IdentidadContacto {
    std::string_view nombre, ape1, ape2;
    double cumple = 0;
};
std::uint64_t HashContacto(const IdentidadContacto& p);

// Where the insertion key ends inside an ordering key (ClaveOrden), or npos
// when a field holds a NUL and the insertion key must be built apart.
std::size_t FinClaveInsercion(std::string_view claveOrden);

}  // namespace bindelora
