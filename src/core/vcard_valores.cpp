// The values of vCard content lines: their parameters, quoted-printable,
// character sets and escapes, into Windows-1252 text.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/texto.h"
#include "core/vcard_interno.h"

namespace bindelora {

// Splits "group.NAME;param=value;BARE:value". False when there is no colon
// or no name.
bool PartirLinea(std::string_view linea, Propiedad& p)
{
    std::size_t i = 0;
    const std::size_t n = linea.size();
    while (i < n && linea[i] != ';' && linea[i] != ':') ++i;
    if (i >= n) return false;
    std::string_view nombre = linea.substr(0, i);
    std::size_t punto = nombre.rfind('.');
    if (punto != std::string_view::npos) nombre.remove_prefix(punto + 1);
    nombre = Recortar(nombre);
    if (nombre.empty()) return false;
    p.nombre = nombre;
    p.params.clear();
    p.demasiados = false;
    while (i < n && linea[i] == ';') {
        ++i;
        std::size_t inicio = i;
        bool comillas = false;
        while (i < n && (comillas || (linea[i] != ';' && linea[i] != ':'))) {
            if (linea[i] == '"') comillas = !comillas;
            ++i;
        }
        std::string_view param = linea.substr(inicio, i - inicio);
        std::size_t igual = param.find('=');
        Parametro par;
        if (igual == std::string_view::npos) {
            par.valor = Recortar(param);
        } else {
            par.nombre = Recortar(param.substr(0, igual));
            par.valor = Recortar(param.substr(igual + 1));
        }
        if (p.params.size() < kMaxComponentesVCard) p.params.push_back(par);
        else p.demasiados = true;
    }
    if (i >= n || linea[i] != ':') return false;
    p.valor = linea.substr(i + 1);
    return true;
}

namespace {

int ValorHex(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Quoted-printable to bytes. A broken "=XY" is kept as written; false then.
bool DecodificarQP(std::string_view v, std::string& out)
{
    bool bien = true;
    out.clear();
    out.reserve(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) {
        char c = v[i];
        if (c != '=') {
            out += c;
            continue;
        }
        int a = i + 1 < v.size() ? ValorHex(v[i + 1]) : -1;
        int b = i + 2 < v.size() ? ValorHex(v[i + 2]) : -1;
        if (a >= 0 && b >= 0) {
            out += static_cast<char>(a * 16 + b);
            i += 2;
        } else {
            bien = false;
            out += c;
        }
    }
    return bien;
}

// Length of the UTF-8 sequence at s[i] and its code point; 0 when broken.
int LeerUtf8(std::string_view s, std::size_t i, char32_t& cp)
{
    unsigned char c = static_cast<unsigned char>(s[i]);
    int n;
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    if ((c & 0xE0) == 0xC0 && c >= 0xC2) { n = 2; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { n = 3; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0 && c <= 0xF4) { n = 4; cp = c & 0x07; }
    else return 0;
    if (i + static_cast<std::size_t>(n) > s.size()) return 0;
    for (int k = 1; k < n; ++k) {
        unsigned char d = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((d & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (d & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

// Windows-1252 byte of a code point, or -1.
int CodigoEnCp1252(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int b = 0x80; b < 0xA0; ++b)
        if (Cp1252ACodigo(static_cast<unsigned char>(b)) == cp) return b;
    return -1;
}

// UTF-8 to Windows-1252; what has no equivalent becomes '?' and is
// counted. With estricto, a broken sequence stops it and it returns false
// (out is then to be thrown away); otherwise that too becomes '?'.
bool DeUtf8(std::string_view s, std::string& out, std::size_t& sustituidos, bool estricto)
{
    out.resize(s.size());  // never longer than its UTF-8
    char* o = out.data();
    std::size_t malos = 0;
    for (std::size_t i = 0; i < s.size();) {
        // Plain ASCII eight bytes at a time.
        if (i + 8 <= s.size()) {
            std::uint64_t w;
            std::memcpy(&w, s.data() + i, 8);
            if (!(w & 0x8080808080808080ull)) {
                std::memcpy(o, &w, 8);
                o += 8;
                i += 8;
                continue;
            }
        }
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            *o++ = static_cast<char>(c);
            ++i;
            continue;
        }
        // The accented letters of Latin-1, the common case, directly.
        if ((c == 0xC2 || c == 0xC3) && i + 1 < s.size()) {
            const unsigned char d = static_cast<unsigned char>(s[i + 1]);
            if ((d & 0xC0) == 0x80 && (c == 0xC3 || d >= 0xA0)) {
                *o++ = static_cast<char>(((c & 0x03) << 6) | (d & 0x3F));
                i += 2;
                continue;
            }
        }
        char32_t cp;
        int n = LeerUtf8(s, i, cp);
        if (n == 0) {
            if (estricto) return false;
            *o++ = '?';
            ++malos;
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(n);
        int b = CodigoEnCp1252(cp);
        if (b < 0) {
            *o++ = '?';
            ++malos;
        } else {
            *o++ = static_cast<char>(b);
        }
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    sustituidos += malos;
    return true;
}

// Eight bytes at a time: most values are plain ASCII.
bool EsAscii(std::string_view s)
{
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        if (w & 0x8080808080808080ull) return false;
    }
    for (; i < s.size(); ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
    return true;
}

bool EsControl(char c)
{
    return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n';
}

// Eight bytes at a time, as EsAscii: a word with no byte below 0x20 has
// none to look at.
bool HayControles(std::string_view s)
{
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        if (((w - 0x2020202020202020ull) & ~w & 0x8080808080808080ull) == 0) continue;
        for (std::size_t k = i; k < i + 8; ++k)
            if (EsControl(s[k])) return true;
    }
    for (; i < s.size(); ++i)
        if (EsControl(s[i])) return true;
    return false;
}

// Removes them; returns how many.
std::size_t QuitarControles(std::string& s)
{
    const auto fin = std::remove_if(s.begin(), s.end(), EsControl);
    const std::size_t n = static_cast<std::size_t>(s.end() - fin);
    s.erase(fin, s.end());
    return n;
}

}  // namespace

std::string_view Decodificador::Valor(const Propiedad& p)
{
    std::string_view bytes = p.valor;
    if (p.EsQuotedPrintable()) {
        if (!DecodificarQP(bytes, qp)) qpMalo = true;
        bytes = qp;
    }
    std::string_view cs = p.Param("CHARSET");
    if (EsAscii(bytes)) {
        if (!HayControles(bytes)) return bytes;
        out.assign(bytes);
    } else if (cs.empty()) {
        // No charset: UTF-8 when it reads as such, else the usual 8-bit
        // Western text (Latin-1 is a part of Windows-1252).
        if (!DeUtf8(bytes, out, sustituidos, true)) out.assign(bytes);
    } else if (IgualSinMayusculas(cs, "UTF-8") || IgualSinMayusculas(cs, "UTF8")) {
        DeUtf8(bytes, out, sustituidos, false);
    } else if (IgualSinMayusculas(cs, "ISO-8859-1") || IgualSinMayusculas(cs, "ISO-8859-15") ||
               IgualSinMayusculas(cs, "WINDOWS-1252") || IgualSinMayusculas(cs, "CP1252") ||
               IgualSinMayusculas(cs, "LATIN1") || IgualSinMayusculas(cs, "US-ASCII")) {
        out.assign(bytes);
    } else {
        charsetRaro = true;
        if (!DeUtf8(bytes, out, sustituidos, true)) out.assign(bytes);
    }
    if (HayControles(out)) controles += QuitarControles(out);
    return out;
}

// Splits at the separators not escaped by a backslash.
// The parts live in one buffer reused by the next call: use them before
// splitting anything else.
const std::vector<std::string_view>& Partir(std::string_view v, char sep)
{
    static thread_local std::vector<std::string_view> r;
    r.clear();
    std::size_t inicio = 0;
    for (std::size_t i = 0; (i = BuscarUno(v, i, '\\', sep)) != std::string_view::npos;) {
        if (v[i] == '\\') {
            i += 2;  // the escaped byte is never a separator
            continue;
        }
        r.push_back(v.substr(inicio, i - inicio));
        inicio = ++i;
        if (r.size() == kMaxComponentesVCard) break;
    }
    r.push_back(v.substr(inicio));
    return r;
}

// Text escapes undone; a line break of any kind becomes '\n'. An unknown
// escape keeps its backslash (Windows paths in notes).
// Into r, whose room is reused.
void DesescaparEn(std::string_view v, std::string& r)
{
    // Two scans of the whole value, not one search of the pair per byte.
    if (BuscarUno(v, 0, '\\', '\r') == std::string_view::npos) {
        r.assign(v);
        return;
    }
    r.clear();
    r.reserve(v.size());
    // Plain stretches between escapes go over whole.
    auto llano = [](char c) { return c != '\\' && c != '\r'; };
    for (std::size_t i = 0; i < v.size(); ++i) {
        char c = v[i];
        // A backslash before a line break is only a backslash: the break
        // stays a break, never a bare CR inside a field.
        if (c == '\\' && i + 1 < v.size() && v[i + 1] != '\r') {
            char d = v[i + 1];
            if (d == 'n' || d == 'N') r += '\n';
            else if (d == '\\' || d == ',' || d == ';' || d == ':') r += d;
            else {
                r += c;
                r += d;
            }
            ++i;
        } else if (c == '\r') {
            r += '\n';
            if (i + 1 < v.size() && v[i + 1] == '\n') ++i;
        } else {
            std::size_t j = i + 1;
            while (j < v.size() && llano(v[j])) ++j;
            r.append(v.data() + i, j - i);
            i = j - 1;
        }
    }
}

std::string Desescapar(std::string_view v)
{
    std::string r;
    DesescaparEn(v, r);
    return r;
}

// A field of the book holds one line.
void UnaLineaEn(std::string& s)
{
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
}

std::string UnaLinea(std::string s)
{
    UnaLineaEn(s);
    return s;
}

std::vector<std::string> Lineas(std::string_view s)
{
    std::vector<std::string> r;
    r.reserve(static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n')) + 1);
    std::size_t inicio = 0;
    for (;;) {
        std::size_t nl = s.find('\n', inicio);
        r.emplace_back(s.substr(inicio, nl == std::string_view::npos ? std::string_view::npos : nl - inicio));
        if (nl == std::string_view::npos) break;
        inicio = nl + 1;
    }
    return r;
}

// A single line is moved, not copied.
std::vector<std::string> Lineas(std::string&& s)
{
    if (s.find('\n') != std::string::npos) return Lineas(std::string_view(s));
    std::vector<std::string> r;
    r.push_back(std::move(s));
    return r;
}

std::string Unir(const std::vector<std::string>& partes, std::string_view sep)
{
    std::string r;
    for (const std::string& p : partes) {
        if (p.empty()) continue;
        if (!r.empty()) r += sep;
        r += p;
    }
    return r;
}


// The particles a surname may start with, in capitals.
bool EsParticula(std::string_view w)
{
    static const char* const kParticulas[] = {"DE", "DEL", "LA", "LAS", "LOS", "Y", "I", "DA", "DO", "DOS", "VAN", "VON", "DI"};
    if (w.size() > 3) return false;
    for (const char* p : kParticulas)
        if (IgualSinMayusculas(w, p)) return true;
    return false;
}

}  // namespace bindelora
