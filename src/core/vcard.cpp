#include "core/vcard.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_set>

#include "core/agenda.h"
#include "core/fecha.h"
#include "core/orden.h"
#include "core/texto.h"

namespace bindelora {

namespace {

// ---------------------------------------------------------------- writing

constexpr int kAnchoLinea = 75;  // octets per line, CR LF not counted

// Content lines folded at 75 octets without cutting a UTF-8 character or
// an escape in two.
class Salida {
public:
    explicit Salida(std::size_t reserva) { s_.reserve(reserva); }

    void Nombre(std::string_view n)
    {
        s_ += n;
        col_ += static_cast<int>(n.size());
    }

    // Windows-1252 text as UTF-8, with \ , ; and line breaks escaped.
    void Texto(std::string_view t)
    {
        std::size_t i = 0;
        while (i < t.size()) {
            // A run of plain ASCII goes in one piece, cut only at the folds.
            std::size_t j = i;
            while (j < t.size() && EsLlano(static_cast<unsigned char>(t[j]))) ++j;
            while (i < j) {
                std::size_t cabe = static_cast<std::size_t>(kAnchoLinea - col_);
                if (cabe == 0) {
                    Plegar();
                    continue;
                }
                std::size_t n = std::min(cabe, j - i);
                s_.append(t.data() + i, n);
                col_ += static_cast<int>(n);
                i += n;
            }
            if (i >= t.size()) break;
            unsigned char c = static_cast<unsigned char>(t[i++]);
            char u[4];
            int n = 0;
            switch (c) {
            case '\\': case ',': case ';':
                u[0] = '\\';
                u[1] = static_cast<char>(c);
                n = 2;
                break;
            case '\n':
                u[0] = '\\';
                u[1] = 'n';
                n = 2;
                break;
            default: {
                char32_t cp = Cp1252ACodigo(c);
                if (cp < 0x80) {
                    u[0] = static_cast<char>(cp);
                    n = 1;
                } else if (cp < 0x800) {
                    u[0] = static_cast<char>(0xC0 | (cp >> 6));
                    u[1] = static_cast<char>(0x80 | (cp & 0x3F));
                    n = 2;
                } else {
                    u[0] = static_cast<char>(0xE0 | (cp >> 12));
                    u[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                    u[2] = static_cast<char>(0x80 | (cp & 0x3F));
                    n = 3;
                }
            }
            }
            Unidad(u, n);
        }
    }

    // A separator of the value (';' between components), never escaped.
    void Signo(char c) { Unidad(&c, 1); }

    void FinLinea()
    {
        s_ += "\r\n";
        col_ = 0;
    }

    void Linea(std::string_view nombre, std::string_view texto)
    {
        Nombre(nombre);
        Texto(texto);
        FinLinea();
    }

    // A line that is plain ASCII and short (BEGIN, VERSION ...).
    void Fija(std::string_view linea)
    {
        s_ += linea;
        s_ += "\r\n";
        col_ = 0;
    }

    std::string& Cadena() { return s_; }

private:
    static bool EsLlano(unsigned char c)
    {
        return c < 0x80 && c != '\\' && c != ',' && c != ';' && c != '\n';
    }

    void Unidad(const char* p, int n)
    {
        if (col_ + n > kAnchoLinea) Plegar();
        s_.append(p, static_cast<std::size_t>(n));
        col_ += n;
    }

    void Plegar()
    {
        s_ += "\r\n ";
        col_ = 1;
    }

    std::string s_;
    int col_ = 0;
};

// Lines of a list joined by line breaks (escaped as \n on the way out).
void TextoLineas(Salida& o, const std::vector<std::string>& lineas)
{
    for (std::size_t i = 0; i < lineas.size(); ++i) {
        if (i > 0) o.Texto("\n");
        o.Texto(lineas[i]);
    }
}

// A birthday the vCard date forms can carry: a whole day count of a real
// date. The year 1 stands for a birthday known without its year.
bool FechaExacta(double cumple, Fecha& f)
{
    return cumple != 0 && std::trunc(cumple) == cumple && DecodificarFecha(cumple, f);
}

void Digitos(std::string& s, int n, int ancho)
{
    std::string t = RellenarConCeros(n, ancho);
    s += t;
}

std::string TextoBday(const Fecha& f, VersionVCard v)
{
    std::string s;
    if (f.ano == 1) {
        s = "--";
        Digitos(s, f.mes, 2);
        if (v == VersionVCard::V30) s += '-';
        Digitos(s, f.dia, 2);
        return s;
    }
    Digitos(s, f.ano, 4);
    if (v == VersionVCard::V30) s += '-';
    Digitos(s, f.mes, 2);
    if (v == VersionVCard::V30) s += '-';
    Digitos(s, f.dia, 2);
    return s;
}

void EscribirPibe(Salida& o, const TPibe& p, VersionVCard v)
{
    const bool v4 = v == VersionVCard::V40;
    o.Fija("BEGIN:VCARD");
    o.Fija(v4 ? "VERSION:4.0" : "VERSION:3.0");

    o.Nombre("FN:");
    bool algo = false;
    for (const std::string* t : {&p.Nombre, &p.Ape1, &p.Ape2}) {
        if (t->empty()) continue;
        if (algo) o.Texto(" ");
        o.Texto(*t);
        algo = true;
    }
    o.FinLinea();

    // Family name: both surnames as one, as other programs show them.
    o.Nombre("N:");
    o.Texto(p.Ape1);
    if (!p.Ape1.empty() && !p.Ape2.empty()) o.Texto(" ");
    o.Texto(p.Ape2);
    o.Signo(';');
    o.Texto(p.Nombre);
    o.Nombre(";;;");
    o.FinLinea();

    o.Nombre("X-BINDELORA-APELLIDOS:");
    o.Texto(p.Ape1);
    o.Signo(';');
    o.Texto(p.Ape2);
    o.FinLinea();

    if (!p.TfnoCasa.empty()) o.Linea(v4 ? "TEL;TYPE=home:" : "TEL;TYPE=HOME:", p.TfnoCasa);
    if (!p.TfnoMovil.empty()) o.Linea(v4 ? "TEL;TYPE=cell:" : "TEL;TYPE=CELL:", p.TfnoMovil);
    if (!p.EMail.empty()) o.Linea(v4 ? "EMAIL:" : "EMAIL;TYPE=INTERNET:", p.EMail);
    if (!p.Grupo.empty()) o.Linea("CATEGORIES:", p.Grupo);

    Fecha f;
    if (FechaExacta(p.Cumple, f)) {
        o.Nombre("BDAY:");
        o.Nombre(TextoBday(f, v));
        o.FinLinea();
    } else if (p.Cumple != 0) {
        // Not a day any calendar can hold: kept as the agenda file has it.
        o.Linea("X-BINDELORA-CUM:", FormatearCumple(p.Cumple));
    }

    // The whole address in the street component, one line per line; present
    // exactly when the list has lines, even a single empty one.
    if (!p.Direccion.empty()) {
        o.Nombre(v4 ? "ADR;TYPE=home:;;" : "ADR;TYPE=HOME:;;");
        TextoLineas(o, p.Direccion);
        o.Nombre(";;;;");
        o.FinLinea();
    }
    if (!p.Varios.empty()) {
        o.Nombre("NOTE:");
        TextoLineas(o, p.Varios);
        o.FinLinea();
    }
    if (p.EnAvisal) o.Fija("X-BINDELORA-AVISAL:1");
    o.Fija("END:VCARD");
}

// ---------------------------------------------------------------- reading

bool IgualSinMayusculas(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

std::string Mayusculas(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

std::string_view Recortar(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

struct Parametro {
    std::string nombre;  // capitals; empty for a bare 2.1 value ("CELL")
    std::string_view valor;
};

struct Propiedad {
    std::string nombre;  // capitals, group prefix removed
    std::vector<Parametro> params;
    std::string_view valor;

    // Every value of a parameter, bare 2.1 values counting as TYPE.
    bool TieneTipo(std::string_view tipo) const
    {
        for (const Parametro& p : params) {
            if (!p.nombre.empty() && p.nombre != "TYPE") continue;
            std::string_view v = Recortar(p.valor);
            if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
            while (!v.empty()) {
                std::size_t coma = v.find(',');
                std::string_view uno = Recortar(v.substr(0, coma));
                if (IgualSinMayusculas(uno, tipo)) return true;
                if (coma == std::string_view::npos) break;
                v.remove_prefix(coma + 1);
            }
        }
        return false;
    }

    std::string_view Param(std::string_view nombre) const
    {
        for (const Parametro& p : params)
            if (p.nombre == nombre) {
                std::string_view v = p.valor;
                if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
                return v;
            }
        return {};
    }

    bool EsQuotedPrintable() const
    {
        for (const Parametro& p : params)
            if ((p.nombre == "ENCODING" || p.nombre.empty()) && IgualSinMayusculas(Recortar(p.valor), "QUOTED-PRINTABLE"))
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
    p.nombre = Mayusculas(nombre);
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
            par.nombre = Mayusculas(Recortar(param.substr(0, igual)));
            par.valor = Recortar(param.substr(igual + 1));
        }
        p.params.push_back(std::move(par));
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

bool EsUtf8Valido(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t cp;
        int n = LeerUtf8(s, i, cp);
        if (n == 0) return false;
        i += static_cast<std::size_t>(n);
    }
    return true;
}

// Windows-1252 byte of a code point, or -1.
int CodigoEnCp1252(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int b = 0x80; b < 0xA0; ++b)
        if (Cp1252ACodigo(static_cast<unsigned char>(b)) == cp) return b;
    return -1;
}

// UTF-8 to Windows-1252; what has no equivalent becomes '?' and is counted.
void DeUtf8(std::string_view s, std::string& out, std::size_t& sustituidos)
{
    out.reserve(out.size() + s.size());
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        char32_t cp;
        int n = LeerUtf8(s, i, cp);
        if (n == 0) {
            out += '?';
            ++sustituidos;
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(n);
        int b = CodigoEnCp1252(cp);
        if (b < 0) {
            out += '?';
            ++sustituidos;
        } else {
            out += static_cast<char>(b);
        }
    }
}

// One content line's value as Windows-1252 bytes, escapes still in.
struct Decodificador {
    std::string qp;
    std::size_t sustituidos = 0;
    bool qpMalo = false;
    bool charsetRaro = false;

    std::string Valor(const Propiedad& p)
    {
        std::string_view bytes = p.valor;
        if (p.EsQuotedPrintable()) {
            if (!DecodificarQP(bytes, qp)) qpMalo = true;
            bytes = qp;
        }
        std::string out;
        bool ascii = true;
        for (char c : bytes)
            if (static_cast<unsigned char>(c) >= 0x80) {
                ascii = false;
                break;
            }
        if (ascii) return std::string(bytes);
        std::string_view cs = p.Param("CHARSET");
        bool utf8;
        if (cs.empty()) {
            // No charset: UTF-8 when it reads as such, else the usual 8-bit
            // Western text (Latin-1 is a part of Windows-1252).
            utf8 = EsUtf8Valido(bytes);
        } else if (IgualSinMayusculas(cs, "UTF-8") || IgualSinMayusculas(cs, "UTF8")) {
            utf8 = true;
        } else if (IgualSinMayusculas(cs, "ISO-8859-1") || IgualSinMayusculas(cs, "ISO-8859-15") ||
                   IgualSinMayusculas(cs, "WINDOWS-1252") || IgualSinMayusculas(cs, "CP1252") ||
                   IgualSinMayusculas(cs, "LATIN1") || IgualSinMayusculas(cs, "US-ASCII")) {
            utf8 = false;
        } else {
            charsetRaro = true;
            utf8 = EsUtf8Valido(bytes);
        }
        if (utf8) DeUtf8(bytes, out, sustituidos);
        else out.assign(bytes);
        return out;
    }
};

// Splits at the separators not escaped by a backslash.
std::vector<std::string_view> Partir(std::string_view v, char sep)
{
    std::vector<std::string_view> r;
    std::size_t inicio = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '\\') {
            ++i;
            continue;
        }
        if (v[i] == sep) {
            r.push_back(v.substr(inicio, i - inicio));
            inicio = i + 1;
        }
    }
    r.push_back(v.substr(inicio));
    return r;
}

// Text escapes undone; a line break of any kind becomes '\n'. An unknown
// escape keeps its backslash (Windows paths in notes).
std::string Desescapar(std::string_view v)
{
    std::string r;
    r.reserve(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) {
        char c = v[i];
        if (c == '\\' && i + 1 < v.size()) {
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
            r += c;
        }
    }
    return r;
}

// A field of the book holds one line.
std::string UnaLinea(std::string s)
{
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
    return s;
}

std::vector<std::string> Lineas(const std::string& s)
{
    std::vector<std::string> r;
    std::size_t inicio = 0;
    for (;;) {
        std::size_t nl = s.find('\n', inicio);
        r.emplace_back(s.substr(inicio, nl == std::string::npos ? std::string::npos : nl - inicio));
        if (nl == std::string::npos) break;
        inicio = nl + 1;
    }
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

// Surname particles that belong to the surname that follows them.
bool EsParticula(std::string_view w)
{
    static const char* const kParticulas[] = {"DE", "DEL", "LA", "LAS", "LOS", "Y", "I", "DA", "DO", "DOS", "VAN", "VON", "DI"};
    std::string m = Mayusculas(w);
    for (const char* p : kParticulas)
        if (m == p) return true;
    return false;
}

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

    void Leer(std::string_view datos)
    {
        Lector lector(datos);
        std::string_view linea;
        Propiedad p;
        std::unique_ptr<Tarjeta> t;
        std::size_t numero = 0;
        while (lector.Logica(linea)) {
            if (!PartirLinea(linea, p)) continue;
            if (p.nombre == "BEGIN" && IgualSinMayusculas(Recortar(p.valor), "VCARD")) {
                if (t) Ilegible(*t, "la tarjeta no termina con END:VCARD");
                r.hayTarjetas = true;
                t = std::make_unique<Tarjeta>();
                t->numero = ++numero;
                continue;
            }
            if (!t) continue;
            if (p.nombre == "END") {
                Terminar(*t);
                t.reset();
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
        const std::string& n = p.nombre;
        if (n == "N") {
            t.hayN = true;
            std::string v = t.dec.Valor(p);
            t.n.clear();
            for (std::string_view c : Partir(v, ';')) t.n.push_back(std::string(c));
        } else if (n == "X-BINDELORA-APELLIDOS") {
            std::string v = t.dec.Valor(p);
            auto partes = Partir(v, ';');
            t.hayApellidos = true;
            t.apellidos[0] = UnaLinea(Desescapar(partes[0]));
            t.apellidos[1] = partes.size() > 1 ? UnaLinea(Desescapar(partes[1])) : std::string();
        } else if (n == "FN") {
            t.fn = UnaLinea(Desescapar(t.dec.Valor(p)));
        } else if (n == "ORG") {
            std::string v = t.dec.Valor(p);
            std::vector<std::string> partes;
            for (std::string_view c : Partir(v, ';')) partes.push_back(UnaLinea(Desescapar(c)));
            t.org = Unir(partes, ", ");
        } else if (n == "TEL") {
            std::string v = UnaLinea(Desescapar(t.dec.Valor(p)));
            // Our own cards (marked by the surnames line, written before
            // the phones) keep every byte; others are tidied.
            std::string_view num = v;
            if (!t.hayApellidos) {
                num = Recortar(num);
                if (num.size() >= 4 && IgualSinMayusculas(num.substr(0, 4), "TEL:")) num.remove_prefix(4);
                if (num.empty()) return;
            }
            t.telefonos.push_back({std::string(num), p.TieneTipo("CELL") || p.TieneTipo("MOBILE"), p.TieneTipo("HOME"),
                                   p.TieneTipo("WORK"), p.TieneTipo("FAX")});
        } else if (n == "EMAIL") {
            std::string v = UnaLinea(Desescapar(t.dec.Valor(p)));
            std::string_view e = v;
            if (!t.hayApellidos) {
                e = Recortar(e);
                if (e.size() >= 7 && IgualSinMayusculas(e.substr(0, 7), "MAILTO:")) e.remove_prefix(7);
                if (e.empty()) return;
            }
            t.emails.emplace_back(e);
        } else if (n == "CATEGORIES") {
            if (t.hayGrupo) return;
            std::string v = t.dec.Valor(p);
            t.hayGrupo = true;
            t.grupo = UnaLinea(Desescapar(Partir(v, ',')[0]));
        } else if (n == "BDAY") {
            t.hayBday = true;
            t.bday = t.dec.Valor(p);
            t.bdayTexto = IgualSinMayusculas(p.Param("VALUE"), "TEXT");
            std::string_view omit = p.Param("X-APPLE-OMIT-YEAR");
            t.bdaySinAno1604 = !omit.empty();
        } else if (n == "X-BINDELORA-CUM") {
            t.hayCum = true;
            t.cum = t.dec.Valor(p);
        } else if (n == "ADR") {
            std::string v = t.dec.Valor(p);
            std::vector<std::string> comps;
            for (std::string_view c : Partir(v, ';')) comps.push_back(Desescapar(c));
            t.adrs.push_back(std::move(comps));
        } else if (n == "LABEL") {
            t.labels.push_back(Desescapar(t.dec.Valor(p)));
        } else if (n == "NOTE") {
            t.notas.push_back(Desescapar(t.dec.Valor(p)));
        } else if (n == "X-BINDELORA-AVISAL") {
            t.avisal = Recortar(p.valor) == "1";
        }
    }

    // Address lines from the components pobox;ext;street;locality;region;code;country.
    static std::vector<std::string> LineasDireccion(const std::vector<std::string>& c)
    {
        auto comp = [&c](std::size_t i) { return i < c.size() ? c[i] : std::string(); };
        std::string resto[5] = {comp(0), comp(1), comp(3), comp(4), comp(5)};
        bool soloCalle = true;
        for (std::size_t i = 3; i < c.size(); ++i)
            if (!c[i].empty()) soloCalle = false;
        if (!comp(0).empty() || !comp(1).empty()) soloCalle = false;
        std::vector<std::string> lineas;
        std::string calle = comp(2);
        if (soloCalle) return Lineas(calle);  // our own form, also a single empty line
        for (const std::string& l : {comp(0), comp(1)})
            for (std::string& x : Lineas(l))
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
            p->Ape1 = t.apellidos[0];
            p->Ape2 = t.apellidos[1];
        }
        if (t.hayN) {
            auto comp = [&t](std::size_t i) { return i < t.n.size() ? t.n[i] : std::string(); };
            if (!t.hayApellidos) {
                // Family names given as a list are the two surnames.
                auto familias = Partir(comp(0), ',');
                if (familias.size() > 1) {
                    p->Ape1 = UnaLinea(Desescapar(familias[0]));
                    std::vector<std::string> resto;
                    for (std::size_t i = 1; i < familias.size(); ++i) resto.push_back(UnaLinea(Desescapar(familias[i])));
                    p->Ape2 = Unir(resto, " ");
                } else {
                    PartirApellidos(UnaLinea(Desescapar(comp(0))), p->Ape1, p->Ape2);
                }
            }
            std::vector<std::string> nombre;
            for (std::string_view x : Partir(comp(1), ',')) nombre.push_back(UnaLinea(Desescapar(x)));
            for (std::string_view x : Partir(comp(2), ',')) nombre.push_back(UnaLinea(Desescapar(x)));
            p->Nombre = t.hayApellidos && !t.n.empty() ? UnaLinea(Desescapar(comp(1))) : Unir(nombre, " ");
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
            if (i == 0) p->EMail = t.emails[0];
            else extra.push_back("E-mail: " + t.emails[i]);
        }
        p->Grupo = t.grupo;
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
        for (const std::string& nota : t.notas)
            for (std::string& l : Lineas(nota)) p->Varios.push_back(std::move(l));
        for (std::string& l : extra) p->Varios.push_back(std::move(l));
        p->EnAvisal = t.avisal;

        const bool vacia = p->Nombre.empty() && p->Ape1.empty() && p->Ape2.empty() && p->TfnoCasa.empty() &&
                           p->TfnoMovil.empty() && p->EMail.empty() && p->Direccion.empty() && p->Varios.empty() &&
                           p->Cumple == 0;
        if (vacia && !t.hayApellidos) {
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

    static constexpr std::size_t kMaxAvisos = 1000;
};

// The identity of a contact for the duplicates rule.
std::string ClaveDuplicado(const TPibe& p)
{
    std::string k = NormalizarTexto(p.Nombre, true);
    k += '\0';
    k += NormalizarTexto(p.Ape1, true);
    k += '\0';
    k += NormalizarTexto(p.Ape2, true);
    k += '\0';
    char b[sizeof(double)];
    double c = p.Cumple == 0 ? 0.0 : p.Cumple;  // -0 and 0 alike
    std::memcpy(b, &c, sizeof b);
    k.append(b, sizeof b);
    return k;
}

}  // namespace

std::string ExportarVCard(const ListaPibes& lista, VersionVCard version)
{
    std::size_t estimado = 0;
    for (const auto& p : lista) {
        estimado += 260 + 2 * (p->Nombre.size() + p->Ape1.size() + p->Ape2.size()) + p->TfnoCasa.size() +
                    p->TfnoMovil.size() + p->EMail.size() + p->Grupo.size();
        for (const auto& l : p->Direccion) estimado += l.size() + 3;
        for (const auto& l : p->Varios) estimado += l.size() + 3;
    }
    Salida o(estimado + estimado / 8);
    for (const auto& p : lista) EscribirPibe(o, *p, version);
    return std::move(o.Cadena());
}

LecturaVCard LeerVCard(std::string_view datos)
{
    Importador imp;
    imp.Leer(datos);
    return std::move(imp.r);
}

ResumenImportacion ImportarPibes(ListaPibes& lista, LecturaVCard&& leidas, std::string_view orden)
{
    ResumenImportacion r;
    r.legible = leidas.hayTarjetas;
    r.ilegibles = leidas.ilegibles;
    r.avisos = std::move(leidas.avisos);
    r.avisosTotales = leidas.avisosTotales;
    if (!r.legible) return r;

    std::unordered_set<std::string> vistos;
    vistos.reserve(lista.size() + leidas.pibes.size());
    for (const auto& p : lista) vistos.insert(ClaveDuplicado(*p));

    struct Nuevo {
        std::string insercion;
        std::string orden;
        std::unique_ptr<TPibe> pibe;
    };
    std::vector<Nuevo> nuevos;
    for (auto& p : leidas.pibes) {
        if (!vistos.insert(ClaveDuplicado(*p)).second) {
            ++r.duplicados;
            continue;
        }
        nuevos.push_back({ClaveInsercion(*p, orden), ClaveOrden(*p, orden), std::move(p)});
    }
    r.anadidos = nuevos.size();
    if (nuevos.empty()) return r;

    std::stable_sort(nuevos.begin(), nuevos.end(), [](const Nuevo& a, const Nuevo& b) { return a.orden < b.orden; });
    // Merge: a new contact goes before the first one already there whose
    // insertion key is not below its own.
    ListaPibes resultado;
    resultado.reserve(lista.size() + nuevos.size());
    std::size_t n = 0;
    for (auto& e : lista) {
        const std::string clave = ClaveInsercion(*e, orden);
        while (n < nuevos.size() && !(clave < nuevos[n].insercion)) resultado.push_back(std::move(nuevos[n++].pibe));
        resultado.push_back(std::move(e));
    }
    while (n < nuevos.size()) resultado.push_back(std::move(nuevos[n++].pibe));
    lista.swap(resultado);
    return r;
}

std::string TextoResumen(const ResumenImportacion& r, std::size_t maxAvisos)
{
    if (!r.legible)
        return "El archivo no contiene ninguna tarjeta vCard; la agenda no ha cambiado.";
    std::string s = "Contactos a\xF1" "adidos: " + std::to_string(r.anadidos) +
                    "\nRepetidos (ya estaban en la agenda): " + std::to_string(r.duplicados) +
                    "\nNo se han podido leer: " + std::to_string(r.ilegibles);
    if (r.avisosTotales > 0) {
        s += "\n";
        std::size_t mostrados = std::min({maxAvisos, r.avisos.size()});
        for (std::size_t i = 0; i < mostrados; ++i) s += "\n- " + r.avisos[i];
        if (r.avisosTotales > mostrados) s += "\n... y " + std::to_string(r.avisosTotales - mostrados) + " avisos m\xE1s.";
    }
    return s;
}

}  // namespace bindelora
