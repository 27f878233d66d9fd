#include "core/vcard.h"

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstring>

#include <cstdint>

#include "core/agenda.h"
#include "core/fecha.h"
#include "core/orden.h"
#include "core/texto.h"
#include "core/vcard_interno.h"

namespace bindelora {

namespace {
bool IgualesSinMayusculas(const char* a, const char* b, std::size_t n)
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
    std::vector<Parametro> params;
    std::string_view valor;

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
        p.params.push_back(par);
    }
    if (i >= n || linea[i] != ':') return false;
    p.valor = linea.substr(i + 1);
    return true;
}

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

// One content line's value as Windows-1252 bytes, escapes still in.
struct Decodificador {
    std::string qp;
    std::size_t sustituidos = 0;
    bool qpMalo = false;
    bool charsetRaro = false;

    // Valid until the next call.
    std::string_view Valor(const Propiedad& p)
    {
        std::string_view bytes = p.valor;
        if (p.EsQuotedPrintable()) {
            if (!DecodificarQP(bytes, qp)) qpMalo = true;
            bytes = qp;
        }
        if (EsAscii(bytes)) return bytes;
        out.clear();
        std::string_view cs = p.Param("CHARSET");
        if (cs.empty()) {
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
        return out;
    }

    void Limpiar()
    {
        sustituidos = 0;
        qpMalo = charsetRaro = false;
    }

private:
    std::string out;
};

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

}  // namespace

// The particles a surname may start with, in capitals.
bool EsParticula(std::string_view w)
{
    static const char* const kParticulas[] = {"DE", "DEL", "LA", "LAS", "LOS", "Y", "I", "DA", "DO", "DOS", "VAN", "VON", "DI"};
    if (w.size() > 3) return false;
    for (const char* p : kParticulas)
        if (IgualSinMayusculas(w, p)) return true;
    return false;
}

namespace {

// "García de la Fuente" -> "García", "de la Fuente"; "de la Fuente Ruiz" ->
// "de la Fuente", "Ruiz": the first surname is the first word after its
// particles, the rest is the second.
void PartirApellidos(const std::string& familia, std::string& ape1, std::string& ape2)
{
    std::size_t i = 0;
    const std::size_t n = familia.size();
    while (i < n) {
        while (i < n && familia[i] == ' ') ++i;
        std::size_t fin = familia.find(' ', i);
        if (fin == std::string::npos) fin = n;
        std::string_view palabra(familia.data() + i, fin - i);
        i = fin;
        if (!EsParticula(palabra)) break;
    }
    std::string_view f(familia);
    ape1 = std::string(Recortar(f.substr(0, i)));
    ape2 = i < n ? std::string(Recortar(f.substr(i))) : std::string();
}

struct Telefono {
    std::string numero;
    bool movil, casa, trabajo, fax;
};

// Everything a card gave, before it becomes a contact.
struct Tarjeta {
    std::size_t numero = 0;  // 1-based, in the file
    bool hayN = false, hayApellidos = false;
    std::vector<std::string> n;
    std::string apellidos[2];
    std::string fn, org;
    std::vector<Telefono> telefonos;
    std::vector<std::string> emails;
    bool hayGrupo = false;
    std::string grupo;
    bool hayBday = false;
    std::string bday;
    bool bdayTexto = false, bdaySinAno1604 = false;
    bool hayCum = false;
    std::string cum;
    std::vector<std::vector<std::string>> adrs;
    std::vector<std::string> labels;
    std::vector<std::string> notas;
    bool avisal = false;
    Decodificador dec;

    void Limpiar()
    {
        hayN = hayApellidos = hayGrupo = hayBday = bdayTexto = bdaySinAno1604 = hayCum = avisal = false;
        n.clear();
        apellidos[0].clear();
        apellidos[1].clear();
        fn.clear();
        org.clear();
        telefonos.clear();
        emails.clear();
        grupo.clear();
        bday.clear();
        cum.clear();
        adrs.clear();
        labels.clear();
        notas.clear();
        dec.Limpiar();
    }
};

bool LeerNumero(std::string_view s, std::size_t desde, std::size_t cuantos, int& n)
{
    if (desde + cuantos > s.size()) return false;
    n = 0;
    for (std::size_t k = desde; k < desde + cuantos; ++k) {
        if (s[k] < '0' || s[k] > '9') return false;
        n = n * 10 + (s[k] - '0');
    }
    return true;
}

// BDAY date forms: YYYYMMDD, YYYY-MM-DD, --MMDD, --MM-DD, any of them with a
// time after 'T' (ignored, the day as written counts). ano is 0 without a
// year. False for any other form.
bool PartirBday(std::string_view s, int& ano, int& mes, int& dia)
{
    s = Recortar(s);
    std::size_t t = s.find_first_of("Tt");
    if (t != std::string_view::npos) s = s.substr(0, t);
    if (s.size() >= 2 && s[0] == '-' && s[1] == '-') {
        ano = 0;
        if (s.size() == 6) return LeerNumero(s, 2, 2, mes) && LeerNumero(s, 4, 2, dia);
        if (s.size() == 7 && s[4] == '-') return LeerNumero(s, 2, 2, mes) && LeerNumero(s, 5, 2, dia);
        return false;
    }
    if (s.size() == 8) return LeerNumero(s, 0, 4, ano) && LeerNumero(s, 4, 2, mes) && LeerNumero(s, 6, 2, dia);
    if (s.size() == 10 && s[4] == '-' && s[7] == '-')
        return LeerNumero(s, 0, 4, ano) && LeerNumero(s, 5, 2, mes) && LeerNumero(s, 8, 2, dia);
    return false;
}

class Lector {
public:
    explicit Lector(std::string_view d) : d_(d) {}

    // The next physical line without its end; false at the end.
    bool Fisica(std::string_view& l)
    {
        if (p_ >= d_.size()) return false;
        std::size_t nl = d_.find('\n', p_);
        std::size_t fin = nl == std::string_view::npos ? d_.size() : nl;
        l = d_.substr(p_, fin - p_);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        p_ = nl == std::string_view::npos ? d_.size() : nl + 1;
        return true;
    }

    bool SigueContinuacion() const
    {
        return p_ < d_.size() && (d_[p_] == ' ' || d_[p_] == '\t');
    }

    // The next logical line: folded lines joined. The view stays valid
    // until the next call.
    bool Logica(std::string_view& l)
    {
        if (!Fisica(l)) return false;
        if (!SigueContinuacion()) return true;
        buf_.assign(l);
        std::string_view c;
        while (SigueContinuacion() && Fisica(c)) buf_.append(c.substr(1));
        l = buf_;
        return true;
    }

    // Quoted-printable soft line breaks: while the value ends in '=', the
    // next physical line continues it.
    void UnirSuaves(std::string_view& l)
    {
        if (l.empty() || l.back() != '=') return;
        if (l.data() != buf_.data()) buf_.assign(l);
        std::string_view c;
        while (!buf_.empty() && buf_.back() == '=' && p_ < d_.size() && Fisica(c)) {
            buf_.pop_back();
            // Some writers also fold the continuation with a blank.
            if (!c.empty() && (c[0] == ' ' || c[0] == '\t')) c.remove_prefix(1);
            buf_.append(c);
        }
        l = buf_;
    }

private:
    std::string_view d_;
    std::size_t p_ = 0;
    std::string buf_;
};

class Importador {
public:
    LecturaVCard r;
    std::size_t tarjetas = 0;  // BEGIN lines seen

    void Leer(std::string_view datos)
    {
        // A card of ours takes some 300 bytes; others rarely less than 100.
        const std::size_t previstas = datos.size() / 300 + 16;
        r.pibes.reserve(previstas);
        Lector lector(datos);
        std::string_view linea;
        Propiedad p;
        // One card at a time, its buffers reused.
        Tarjeta tarjeta;
        Tarjeta* t = nullptr;
        std::size_t& numero = tarjetas;
        while (lector.Logica(linea)) {
            if (!PartirLinea(linea, p)) continue;
            if (IgualSinMayusculas(p.nombre, "BEGIN") && IgualSinMayusculas(Recortar(p.valor), "VCARD")) {
                if (t) Ilegible(*t, "la tarjeta no termina con END:VCARD");
                r.hayTarjetas = true;
                t = &tarjeta;
                t->Limpiar();
                t->numero = ++numero;
                continue;
            }
            if (!t) continue;
            if (IgualSinMayusculas(p.nombre, "END")) {
                Terminar(*t);
                t = nullptr;
                continue;
            }
            if (p.EsQuotedPrintable()) {
                lector.UnirSuaves(linea);
                PartirLinea(linea, p);
            }
            Propiedad_(*t, p);
        }
        if (t) Ilegible(*t, "la tarjeta no termina con END:VCARD");
    }

private:
    void Aviso(std::string texto)
    {
        ++r.avisosTotales;
        if (r.avisos.size() < kMaxAvisos) r.avisos.push_back(std::move(texto));
    }

    static std::string Quien(const Tarjeta& t, const TPibe* p)
    {
        std::string nombre;
        if (p) nombre = Unir({p->Nombre, p->Ape1, p->Ape2}, " ");
        if (nombre.empty()) return "Tarjeta " + std::to_string(t.numero);
        return "Tarjeta " + std::to_string(t.numero) + " (" + nombre + ")";
    }

    void Ilegible(const Tarjeta& t, const char* porque)
    {
        ++r.ilegibles;
        Aviso(Quien(t, nullptr) + ": " + porque + "; no se ha importado.");
    }

    void Propiedad_(Tarjeta& t, const Propiedad& p)
    {
        const std::string_view n = p.nombre;
        auto es = [n](std::string_view x) { return IgualSinMayusculas(n, x); };
        if (es("N")) {
            t.hayN = true;
            std::string_view v = t.dec.Valor(p);
            t.n.clear();
            for (std::string_view c : Partir(v, ';')) t.n.push_back(std::string(c));
        } else if (es("X-BINDELORA-APELLIDOS")) {
            std::string_view v = t.dec.Valor(p);
            const auto& partes = Partir(v, ';');
            t.hayApellidos = true;
            t.apellidos[0] = UnaLinea(Desescapar(partes[0]));
            t.apellidos[1] = partes.size() > 1 ? UnaLinea(Desescapar(partes[1])) : std::string();
        } else if (es("FN")) {
            // Into the card's own buffer: most cards have one, and most
            // are read only for their N.
            DesescaparEn(t.dec.Valor(p), t.fn);
            UnaLineaEn(t.fn);
        } else if (es("ORG")) {
            std::string_view v = t.dec.Valor(p);
            std::vector<std::string> partes;
            for (std::string_view c : Partir(v, ';')) partes.push_back(UnaLinea(Desescapar(c)));
            t.org = Unir(partes, ", ");
        } else if (es("TEL")) {
            std::string v = UnaLinea(Desescapar(t.dec.Valor(p)));
            // Taken as written, so our own files keep every byte; only a
            // URI (4.0) loses its scheme.
            std::string_view num = v;
            if (IgualSinMayusculas(p.Param("VALUE"), "URI") && num.size() >= 4 &&
                IgualSinMayusculas(num.substr(0, 4), "TEL:"))
                num.remove_prefix(4);
            if (num.empty()) return;
            Telefono tel{std::string(num), false, false, false, false};
            p.ParaCadaTipo([&tel](std::string_view tipo) {
                tel.movil = tel.movil || IgualSinMayusculas(tipo, "CELL") || IgualSinMayusculas(tipo, "MOBILE");
                tel.casa = tel.casa || IgualSinMayusculas(tipo, "HOME");
                tel.trabajo = tel.trabajo || IgualSinMayusculas(tipo, "WORK");
                tel.fax = tel.fax || IgualSinMayusculas(tipo, "FAX");
            });
            t.telefonos.push_back(std::move(tel));
        } else if (es("EMAIL")) {
            std::string v = UnaLinea(Desescapar(t.dec.Valor(p)));
            if (!v.empty()) t.emails.push_back(std::move(v));
        } else if (es("CATEGORIES")) {
            if (t.hayGrupo) return;
            std::string_view v = t.dec.Valor(p);
            t.hayGrupo = true;
            t.grupo = UnaLinea(Desescapar(Partir(v, ',')[0]));
        } else if (es("BDAY")) {
            t.hayBday = true;
            t.bday.assign(t.dec.Valor(p));
            t.bdayTexto = IgualSinMayusculas(p.Param("VALUE"), "TEXT");
            std::string_view omit = p.Param("X-APPLE-OMIT-YEAR");
            t.bdaySinAno1604 = !omit.empty();
        } else if (es("X-BINDELORA-CUM")) {
            t.hayCum = true;
            t.cum.assign(t.dec.Valor(p));
        } else if (es("ADR")) {
            std::string_view v = t.dec.Valor(p);
            const auto& partes = Partir(v, ';');
            std::vector<std::string> comps;
            comps.reserve(partes.size());
            for (std::string_view c : partes) comps.push_back(Desescapar(c));
            t.adrs.push_back(std::move(comps));
        } else if (es("LABEL")) {
            t.labels.push_back(Desescapar(t.dec.Valor(p)));
        } else if (es("NOTE")) {
            t.notas.push_back(Desescapar(t.dec.Valor(p)));
        } else if (es("X-BINDELORA-AVISAL")) {
            t.avisal = Recortar(p.valor) == "1";
        }
    }

    // Address lines from the components pobox;ext;street;locality;region;code;country.
    // The street is taken from c.
    static std::vector<std::string> LineasDireccion(std::vector<std::string>& c)
    {
        static const std::string kVacio;
        auto comp = [&c](std::size_t i) -> const std::string& { return i < c.size() ? c[i] : kVacio; };
        bool soloCalle = true;
        for (std::size_t i = 3; i < c.size(); ++i)
            if (!c[i].empty()) soloCalle = false;
        if (!comp(0).empty() || !comp(1).empty()) soloCalle = false;
        std::vector<std::string> lineas;
        const std::string& calle = comp(2);
        // Our own form, also a single empty line.
        if (soloCalle) return Lineas(c.size() > 2 ? std::move(c[2]) : std::string());
        for (std::size_t i = 0; i < 2; ++i)
            for (std::string& x : Lineas(comp(i)))
                if (!x.empty()) lineas.push_back(UnaLinea(std::move(x)));
        if (!calle.empty())
            for (std::string& x : Lineas(calle)) lineas.push_back(std::move(x));
        std::string ciudad = Unir({UnaLinea(comp(5)), UnaLinea(comp(3))}, " ");
        if (!ciudad.empty()) lineas.push_back(ciudad);
        for (std::string x : {comp(4), comp(6)})
            if (!x.empty()) lineas.push_back(UnaLinea(std::move(x)));
        return lineas;
    }

    void Cumple(Tarjeta& t, TPibe& p)
    {
        if (t.hayCum) {
            double v;
            if (LeerCumple(Recortar(Desescapar(t.cum)), v)) {
                p.Cumple = v;
                return;
            }
        }
        if (!t.hayBday) return;
        int ano = 0, mes = 0, dia = 0;
        if (t.bdayTexto || !PartirBday(t.bday, ano, mes, dia)) {
            Aviso(Quien(t, &p) + ": fecha de nacimiento \"" + UnaLinea(Desescapar(t.bday)) +
                  "\" no reconocida; se importa sin ella.");
            return;
        }
        // Year 0 and Apple's stand-in year mean a birthday without a year.
        if (ano == 0 || (t.bdaySinAno1604 && ano == 1604)) ano = 1;
        if (!EsFechaValida(ano == 1 ? 2000 : ano, mes, dia)) {
            Aviso(Quien(t, &p) + ": la fecha de nacimiento " + std::to_string(dia) + "/" + std::to_string(mes) +
                  " no existe; se importa sin ella.");
            return;
        }
        if (!CodificarFecha(ano, mes, dia, p.Cumple)) {
            // 29 February without a year: the year 1 the book uses for it
            // has no such day.
            Aviso(Quien(t, &p) + ": el 29 de febrero sin año no se puede guardar; se importa sin fecha de nacimiento.");
            p.Cumple = 0;
        }
    }

    void Terminar(Tarjeta& t)
    {
        auto p = std::make_unique<TPibe>();
        if (t.hayApellidos) {
            p->Ape1 = std::move(t.apellidos[0]);
            p->Ape2 = std::move(t.apellidos[1]);
        }
        if (t.hayN) {
            static const std::string kVacio;
            auto comp = [&t](std::size_t i) -> const std::string& { return i < t.n.size() ? t.n[i] : kVacio; };
            if (!t.hayApellidos) {
                // Family names given as a list are the two surnames.
                const auto& familias = Partir(comp(0), ',');
                if (familias.size() > 1) {
                    p->Ape1 = UnaLinea(Desescapar(familias[0]));
                    std::vector<std::string> resto;
                    for (std::size_t i = 1; i < familias.size(); ++i) resto.push_back(UnaLinea(Desescapar(familias[i])));
                    p->Ape2 = Unir(resto, " ");
                } else {
                    PartirApellidos(UnaLinea(Desescapar(comp(0))), p->Ape1, p->Ape2);
                }
            }
            // Our own surnames come with the given name alone, and most
            // cards have a single given name: nothing to join.
            if ((t.hayApellidos && !t.n.empty()) || (comp(2).empty() && Partir(comp(1), ',').size() == 1)) {
                p->Nombre = UnaLinea(Desescapar(comp(1)));
            } else {
                std::vector<std::string> nombre;
                for (std::string_view x : Partir(comp(1), ',')) nombre.push_back(UnaLinea(Desescapar(x)));
                for (std::string_view x : Partir(comp(2), ',')) nombre.push_back(UnaLinea(Desescapar(x)));
                p->Nombre = Unir(nombre, " ");
            }
        }
        if (p->Nombre.empty() && p->Ape1.empty() && p->Ape2.empty()) p->Nombre = !t.fn.empty() ? t.fn : t.org;

        std::vector<std::string> extra;
        for (const Telefono& tel : t.telefonos) {
            if (tel.movil && p->TfnoMovil.empty()) p->TfnoMovil = tel.numero;
            else if (tel.casa && !tel.movil && !tel.fax && p->TfnoCasa.empty()) p->TfnoCasa = tel.numero;
            else if (!tel.movil && !tel.casa && !tel.trabajo && !tel.fax && p->TfnoCasa.empty()) p->TfnoCasa = tel.numero;
            else if (!tel.casa && !tel.trabajo && !tel.fax && p->TfnoMovil.empty()) p->TfnoMovil = tel.numero;
            else extra.push_back(std::string(tel.fax ? "Fax: " : tel.trabajo ? "Tel\xE9" "fono trabajo: " : "Tel\xE9" "fono: ") + tel.numero);
        }
        for (std::size_t i = 0; i < t.emails.size(); ++i) {
            if (i == 0) p->EMail = std::move(t.emails[0]);
            else extra.push_back("E-mail: " + t.emails[i]);
        }
        p->Grupo = std::move(t.grupo);
        Cumple(t, *p);

        if (!t.adrs.empty()) {
            p->Direccion = LineasDireccion(t.adrs[0]);
            for (std::size_t i = 1; i < t.adrs.size(); ++i) {
                std::vector<std::string> l = LineasDireccion(t.adrs[i]);
                extra.push_back("Direcci\xF3n: " + Unir(l, ", "));
            }
        } else if (!t.labels.empty()) {
            p->Direccion = Lineas(t.labels[0]);
        }
        for (std::string& nota : t.notas)
            for (std::string& l : Lineas(std::move(nota))) p->Varios.push_back(std::move(l));
        for (std::string& l : extra) p->Varios.push_back(std::move(l));
        p->EnAvisal = t.avisal;

        const bool vacia = p->Nombre.empty() && p->Ape1.empty() && p->Ape2.empty() && p->TfnoCasa.empty() &&
                           p->TfnoMovil.empty() && p->EMail.empty() && p->Direccion.empty() && p->Varios.empty() &&
                           p->Cumple == 0;
        // Our own file writes N for every contact, even an empty one.
        if (vacia && !t.hayN) {
            Ilegible(t, "la tarjeta no tiene ning\xFAn dato que guardar");
            return;
        }
        if (t.dec.sustituidos > 0)
            Aviso(Quien(t, p.get()) + ": " + std::to_string(t.dec.sustituidos) +
                  (t.dec.sustituidos == 1 ? " car\xE1" "cter sin equivalente en Windows-1252 se ha cambiado por ?"
                                          : " caracteres sin equivalente en Windows-1252 se han cambiado por ?"));
        if (t.dec.qpMalo) Aviso(Quien(t, p.get()) + ": quoted-printable mal formado; se ha dejado el texto tal cual.");
        if (t.dec.charsetRaro) Aviso(Quien(t, p.get()) + ": juego de caracteres desconocido; se ha le\xED" "do como UTF-8 o Latin-1.");
        r.pibes.push_back(std::move(p));
    }

    static constexpr std::size_t kMaxAvisos = kMaxAvisosVCard;
};

}  // namespace

LecturaVCard LeerVCard(std::string_view datos)
{
    Importador importador;
    importador.Leer(datos);
    return std::move(importador.r);
}

}  // namespace bindelora
