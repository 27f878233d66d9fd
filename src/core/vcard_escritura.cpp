// Writing vCards: the whole book from memory, or straight from the agenda
// file for the command line.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "core/agenda.h"
#include "core/archivo.h"
#include "core/fecha.h"
#include "core/paralelo.h"
#include "core/texto.h"
#include "core/vcard.h"
#include "core/vcard_interno.h"

namespace bindelora {

namespace {

constexpr int kAnchoLinea = 75;  // octets per line, CR LF not counted

// What one Windows-1252 byte becomes in a vCard value: its UTF-8 form, or
// an escape for \\ , ; and the line break.
struct CodigoSalida {
    char b[4];
    unsigned char n;
};

struct TablaSalida {
    CodigoSalida t[256];
    bool llano[256];  // goes out as it is
    TablaSalida()
    {
        for (int c = 0; c < 256; ++c) {
            CodigoSalida& k = t[c];
            llano[c] = c < 0x80 && c != '\\' && c != ',' && c != ';' && c != '\n';
            const char32_t cp = Cp1252ACodigo(static_cast<unsigned char>(c));
            if (c == '\\' || c == ',' || c == ';') {
                k = {{'\\', static_cast<char>(c)}, 2};
            } else if (c == '\n') {
                k = {{'\\', 'n'}, 2};
            } else if (cp < 0x80) {
                k = {{static_cast<char>(cp)}, 1};
            } else if (cp < 0x800) {
                k = {{static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))}, 2};
            } else {
                k = {{static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                      static_cast<char>(0x80 | (cp & 0x3F))},
                     3};
            }
        }
    }
};
const TablaSalida kTablaSalida;

#if defined(__SSE2__)
// Which of sixteen bytes cannot go out as they are: the bytes from 0x80 on
// (the high bit of v) and \\ , ; and the line break.
inline unsigned NoLlanos(__m128i v)
{
    const __m128i e = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\\')), _mm_cmpeq_epi8(v, _mm_set1_epi8(','))),
                                   _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(';')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(e, v)));
}
#endif

// Copies the run of bytes from c that go out as they are, at most `hueco`
// of them, to p; how many. Most text is plain ASCII, so sixteen bytes are
// looked at and stored at a time: the output has room past the run, and
// what lands there is written over next.
inline std::ptrdiff_t CopiarLlano(char* p, const char* c, std::ptrdiff_t hueco)
{
    std::ptrdiff_t n = 0;
#if defined(__SSE2__)
    while (hueco - n >= 16) {
        const __m128i v = Cargar16(c + n);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + n), v);
        if (const unsigned m = NoLlanos(v); m != 0) return n + __builtin_ctz(m);
        n += 16;
    }
    if (n < hueco && EnLaPagina(c + n)) {
        const __m128i v = Cargar16(c + n);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + n), v);
        return n + __builtin_ctz(NoLlanos(v) | (0xFFFFu << (hueco - n)));
    }
#endif
    // The last bytes of a page, one at a time.
    for (; n < hueco && kTablaSalida.llano[static_cast<unsigned char>(c[n])]; ++n) p[n] = c[n];
    return n;
}

// Content lines folded at 75 octets without cutting a UTF-8 character or
// an escape in two. Room is made once for a whole card (Reservar, with
// CotaTexto for each value): the pieces themselves are written unchecked.
class Salida {
public:
    explicit Salida(std::size_t reserva)
    {
        s_.resize(std::max<std::size_t>(reserva, 4096));
        base_ = p_ = s_.data();
        fin_ = p_ + s_.size();
    }

    // Writes into [buffer, buffer + largo), which it does not own, until a
    // card needs more room.
    Salida(char* buffer, std::size_t largo) : base_(buffer), p_(buffer), fin_(buffer + largo) {}

    // The most a value of n bytes takes: 3 octets a byte, a fold (3 octets)
    // every 24 bytes at worst, and a block of sixteen stored past its end.
    static constexpr std::size_t CotaTexto(std::size_t n) { return 4 * n + 32; }

    void Reservar(std::size_t n)
    {
        if (static_cast<std::size_t>(fin_ - p_) < n) Crecer(n);
    }

    // A property name or other fixed ASCII text, never folded.
    void Nombre(std::string_view n)
    {
        std::memcpy(p_, n.data(), n.size());
        p_ += n.size();
        col_ += static_cast<int>(n.size());
    }

    void Texto(std::string_view t)
    {
#if defined(__SSE2__)
        // A short plain field that fits on the line goes over in one step
        // (an empty one, whose data() may be null, not: its size less one
        // wraps round).
        if (t.size() - 1 < 16 && col_ + static_cast<int>(t.size()) <= kAnchoLinea && EnLaPagina(t.data())) {
            const __m128i v = Cargar16(t.data());
            if ((NoLlanos(v) & ~(0xFFFFu << t.size())) == 0) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(p_), v);
                p_ += t.size();
                col_ += static_cast<int>(t.size());
                return;
            }
        }
#endif
        if (!t.empty()) TextoLargo(t);
    }

    // An escaped piece that is never cut ("\\n", a blank, a ';' between
    // components): on the next line when it does not fit on this one.
    void Literal(std::string_view l)
    {
        if (col_ + static_cast<int>(l.size()) > kAnchoLinea) {
            std::memcpy(p_, "\r\n ", 3);
            p_ += 3;
            col_ = 1;
        }
        std::memcpy(p_, l.data(), l.size());
        p_ += l.size();
        col_ += static_cast<int>(l.size());
    }

    void Signo(char c) { Literal(std::string_view(&c, 1)); }

    void FinLinea()
    {
        *p_++ = '\r';
        *p_++ = '\n';
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
        Nombre(linea);
        FinLinea();
    }

    std::string_view Escrito() const { return {base_, static_cast<std::size_t>(p_ - base_)}; }

    // Empty again, keeping the buffer for the next round.
    void Vaciar()
    {
        p_ = base_;
        col_ = 0;
    }

    std::string Cadena()
    {
        if (base_ != s_.data()) return std::string(Escrito());
        s_.resize(static_cast<std::size_t>(p_ - base_));
        return std::move(s_);
    }

private:
    [[gnu::noinline]] void TextoLargo(std::string_view t)
    {
        char* p = p_;
        int col = col_;
        const char* c = t.data();
        const char* const fin = c + t.size();
        while (c < fin) {
            const std::ptrdiff_t hueco = std::min<std::ptrdiff_t>(fin - c, kAnchoLinea - col);
            const std::ptrdiff_t n = CopiarLlano(p, c, hueco);
            p += n;
            c += n;
            col += static_cast<int>(n);
            if (c == fin) break;
            const CodigoSalida& k = kTablaSalida.t[static_cast<unsigned char>(*c++)];
            if (col + k.n > kAnchoLinea) {
                std::memcpy(p, "\r\n ", 3);
                p += 3;
                col = 1;
            }
            std::memcpy(p, k.b, 4);
            p += k.n;
            col += k.n;
        }
        p_ = p;
        col_ = col;
    }

    [[gnu::noinline]] void Crecer(std::size_t n)
    {
        const std::size_t usado = static_cast<std::size_t>(p_ - base_);
        const std::size_t largo = std::max(static_cast<std::size_t>(fin_ - base_) * 2, usado + n);
        if (base_ == s_.data()) {
            s_.resize(largo);
        } else {
            // Out of the borrowed buffer: its own from now on.
            std::string s(largo, '\0');
            std::memcpy(s.data(), base_, usado);
            s_ = std::move(s);
        }
        base_ = s_.data();
        p_ = base_ + usado;
        fin_ = base_ + s_.size();
    }

    std::string s_;
    char* base_;  // s_.data() or the borrowed buffer
    char* p_;
    char* fin_;  // the end of the buffer
    int col_ = 0;
};

// A contact as the writer takes it: views of its fields, whether they sit
// in a TPibe or in the agenda file itself.
struct LineasVista {
    const std::string_view* datos = nullptr;
    std::size_t n = 0;
    bool empty() const { return n == 0; }
    const std::string_view* begin() const { return datos; }
    const std::string_view* end() const { return datos + n; }
};

struct VistaPibe {
    std::string_view Nombre, Ape1, Ape2, TfnoCasa, TfnoMovil, EMail, Grupo;
    double Cumple = 0;
    bool EnAvisal = false;
    LineasVista Direccion, Varios;
};

// Lines of a list joined by line breaks (escaped as \n on the way out).
void TextoLineas(Salida& o, LineasVista lineas)
{
    for (const std::string_view& l : lineas) {
        if (&l != lineas.begin()) o.Literal("\\n");
        o.Texto(l);
    }
}

// A birthday the vCard date forms can carry: a whole day count of a real
// date. The year 1 stands for a birthday known without its year.
bool FechaExacta(double cumple, Fecha& f)
{
    return cumple != 0 && std::trunc(cumple) == cumple && DecodificarFecha(cumple, f);
}

// The digits of n, zero-padded to ancho.
char* Digitos(char* p, int n, int ancho)
{
    for (int i = ancho - 1; i >= 0; --i, n /= 10) p[i] = static_cast<char>('0' + n % 10);
    return p + ancho;
}

std::string_view TextoBday(const Fecha& f, VersionVCard v, char (&buf)[16])
{
    const bool guiones = v == VersionVCard::V30;
    char* p = buf;
    if (f.ano == 1) {
        *p++ = '-';
        *p++ = '-';
    } else {
        p = Digitos(p, f.ano, 4);
        if (guiones) *p++ = '-';
    }
    p = Digitos(p, f.mes, 2);
    if (guiones) *p++ = '-';
    p = Digitos(p, f.dia, 2);
    return {buf, static_cast<std::size_t>(p - buf)};
}

// True when the family name "Ape1 Ape2" splits back into exactly these
// two: Ape1 one word (not a particle), Ape2 empty or without edge blanks
// or commas, neither holding a line break.
bool ApellidosSeDeducen(std::string_view ape1, std::string_view ape2)
{
    if (ape1.empty()) return ape2.empty();
    // By hand: find_first_of calls memchr once per byte of the surname.
    for (const char c : ape1)
        if (c == ' ' || c == '\t' || c == ',') return false;
    if (EsParticula(ape1)) return false;
    if (ape2.empty()) return true;
    if (ape2.front() == ' ' || ape2.front() == '\t' || ape2.back() == ' ' || ape2.back() == '\t') return false;
    for (const char c : ape2)
        if (c == ',') return false;
    return true;
}

// The most one card takes, over every piece EscribirPibe writes: the names
// go out up to three times, and 1024 octets cover the property names, the
// birthday and the separators.
std::size_t CotaPibe(const VistaPibe& p)
{
    std::size_t n = 1024 + 3 * Salida::CotaTexto(p.Nombre.size() + p.Ape1.size() + p.Ape2.size()) +
                    Salida::CotaTexto(p.TfnoCasa.size() + p.TfnoMovil.size() + p.EMail.size() + p.Grupo.size());
    for (const LineasVista& lista : {p.Direccion, p.Varios})
        for (const std::string_view& l : lista) n += Salida::CotaTexto(l.size()) + 8;
    return n;
}

void EscribirPibe(Salida& o, const VistaPibe& p, VersionVCard v)
{
    o.Reservar(CotaPibe(p));
    const bool v4 = v == VersionVCard::V40;
    o.Fija("BEGIN:VCARD");
    o.Fija(v4 ? "VERSION:4.0" : "VERSION:3.0");

    o.Nombre("FN:");
    bool algo = false;
    for (std::string_view t : {p.Nombre, p.Ape1, p.Ape2}) {
        if (t.empty()) continue;
        if (algo) o.Literal(" ");
        o.Texto(t);
        algo = true;
    }
    o.FinLinea();

    // Family name: both surnames as one, as other programs show them.
    o.Nombre("N:");
    o.Texto(p.Ape1);
    if (!p.Ape1.empty() && !p.Ape2.empty()) o.Literal(" ");
    o.Texto(p.Ape2);
    o.Signo(';');
    o.Texto(p.Nombre);
    o.Nombre(";;;");
    o.FinLinea();

    // The surnames apart, unless reading N back splits them right anyway.
    if (!ApellidosSeDeducen(p.Ape1, p.Ape2)) {
        o.Nombre("X-BINDELORA-APELLIDOS:");
        o.Texto(p.Ape1);
        o.Signo(';');
        o.Texto(p.Ape2);
        o.FinLinea();
    }

    if (!p.TfnoCasa.empty()) o.Linea(v4 ? "TEL;TYPE=home:" : "TEL;TYPE=HOME:", p.TfnoCasa);
    if (!p.TfnoMovil.empty()) o.Linea(v4 ? "TEL;TYPE=cell:" : "TEL;TYPE=CELL:", p.TfnoMovil);
    if (!p.EMail.empty()) o.Linea(v4 ? "EMAIL:" : "EMAIL;TYPE=INTERNET:", p.EMail);
    if (!p.Grupo.empty()) o.Linea("CATEGORIES:", p.Grupo);

    Fecha f;
    if (FechaExacta(p.Cumple, f)) {
        char buf[16];
        o.Nombre("BDAY:");
        o.Nombre(TextoBday(f, v, buf));
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
    std::vector<std::string_view> lineas;
    for (const auto& p : lista) {
        lineas.assign(p->Direccion.begin(), p->Direccion.end());
        lineas.insert(lineas.end(), p->Varios.begin(), p->Varios.end());
        VistaPibe v{p->Nombre, p->Ape1, p->Ape2, p->TfnoCasa, p->TfnoMovil, p->EMail, p->Grupo, p->Cumple, p->EnAvisal,
                    LineasVista{lineas.data(), p->Direccion.size()},
                    LineasVista{lineas.data() + p->Direccion.size(), p->Varios.size()}};
        EscribirPibe(o, v, version);
    }
    return o.Cadena();
}

namespace {

// The first CR or LF from p on, or fin.
inline const char* FinDeLinea(const char* p, const char* fin)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    while (fin - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const unsigned m =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
        if (m != 0) return p + __builtin_ctz(m);
        p += 16;
    }
#endif
    while (p < fin && *p != '\r' && *p != '\n') ++p;
    return p;
}

// Lines end at CR LF, LF or CR, as the agenda reader takes them.
class LineasAgenda {
public:
    explicit LineasAgenda(std::string_view d) : p_(d.data()), fin_(d.data() + d.size()) {}

    bool AlFinal() const { return p_ == fin_; }
    const char* Posicion() const { return p_; }

    bool Siguiente(std::string_view& linea)
    {
        if (p_ == fin_) return false;
        Anticipar(p_);
        const char* q = FinDeLinea(p_, fin_);
        linea = std::string_view(p_, static_cast<std::size_t>(q - p_));
        p_ = q;
        if (p_ < fin_ && *p_++ == '\r' && p_ < fin_ && *p_ == '\n') ++p_;
        return true;
    }

private:
    const char* p_;
    const char* fin_;
};

std::string_view SinEtiqueta(std::string_view linea)
{
    return linea.size() > 4 ? linea.substr(4) : std::string_view();
}

// How the reading of a stretch of records ended.
struct FinLectura {
    const char* alcanzado;  // the end of its last whole record
    std::size_t contactos = 0;
    bool danado = false;  // stopped at an unreadable record
    bool agotado = false;  // that record ran into the end of the bytes given
};

// The records starting before `hasta` from p on, written as cards into o,
// with the same rules as the agenda reader: fields by position, lists
// ended by "----", a bad birthday or the end of the file inside a record
// make it unreadable and end the reading. A positive `tope` stops it after
// the record that fills o past that many octets.
FinLectura EscribirRegistros(const char* p, const char* hasta, const char* finArchivo, bool conAviso,
                             VersionVCard version, Salida& o, std::vector<std::string_view>& lineas,
                             std::size_t tope = 0)
{
    FinLectura r{p};
    LineasAgenda l(std::string_view(p, static_cast<std::size_t>(finArchivo - p)));
    VistaPibe v;
    std::string_view linea;
    auto leer = [&]() -> bool {
        for (std::string_view* campo : {&v.Nombre, &v.Ape1, &v.Ape2, &v.TfnoCasa, &v.TfnoMovil, &v.EMail, &v.Grupo}) {
            if (!l.Siguiente(linea)) return false;
            *campo = SinEtiqueta(linea);
        }
        if (!l.Siguiente(linea) || !LeerCumple(SinEtiqueta(linea), v.Cumple)) return false;
        v.EnAvisal = false;
        if (conAviso) {
            if (!l.Siguiente(linea)) return false;
            v.EnAvisal = !(linea.size() >= 5 && linea[4] == '0');
        }
        lineas.clear();
        for (LineasVista* lista : {&v.Direccion, &v.Varios}) {
            std::size_t n = 0;
            for (;;) {
                if (!l.Siguiente(linea)) return false;
                if (linea == "----") break;
                lineas.push_back(SinEtiqueta(linea));
                ++n;
            }
            lista->n = n;
        }
        // Set only now: the lines no longer move.
        v.Direccion.datos = lineas.data();
        v.Varios.datos = lineas.data() + v.Direccion.n;
        return true;
    };
    while (l.Posicion() < hasta && !l.AlFinal()) {
        if (!leer()) {
            r.danado = true;
            r.agotado = l.AlFinal();
            break;
        }
        EscribirPibe(o, v, version);
        ++r.contactos;
        r.alcanzado = l.Posicion();
        if (tope != 0 && o.Escrito().size() >= tope) break;
    }
    return r;
}

// True when a record starts at p: the line is a name ("NOM:") right after
// a "----" line, which in a file the program wrote ends the notes of the
// record before. Another file may not follow that; the export checks every
// stretch it starts at such a place against where the one before it ended.
bool EmpiezaRegistro(const char* inicio, const char* p)
{
    if (p - inicio < 6 || (p[-1] != '\n' && p[-1] != '\r')) return false;
    const char* q = p - 1;
    if (*q == '\n' && q[-1] == '\r') --q;
    if (q - inicio < 4 || std::memcmp(q - 4, "----", 4) != 0) return false;
    return q - 4 == inicio || q[-5] == '\n' || q[-5] == '\r';
}

// The first place from desde on where a record seems to start, or fin.
const char* SiguienteRegistro(const char* inicio, const char* desde, const char* fin)
{
    const std::string_view d(inicio, static_cast<std::size_t>(fin - inicio));
    for (std::size_t i = static_cast<std::size_t>(desde - inicio); (i = d.find("NOM:", i)) != std::string_view::npos; ++i)
        if (EmpiezaRegistro(inicio, inicio + i)) return inicio + i;
    return fin;
}

// Reads all it can of [desde, desde + n) of fd into p; 0 or the errno of
// the failed read. `leido` says how much came: less at the end of the file.
int LeerDesde(int fd, char* p, std::size_t n, std::uint64_t desde, std::size_t& leido)
{
    leido = 0;
    while (leido < n) {
        const ssize_t r = ::pread(fd, p + leido, n - leido, static_cast<off_t>(desde + leido));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return errno;
        if (r == 0) break;
        leido += static_cast<std::size_t>(r);
    }
    return 0;
}

// One thread's copy of the stretch it works on. The stretches are read
// rather than mapped: on this kind of virtual machine the first read of
// each page of a mapping costs well over a microsecond, three times what
// copying the page into memory already used does.
class TramoLeido {
public:
    static constexpr int kAcortado = -1;  // Leer: the file ended before its size

    // Reads the stretch that starts at `inicio` and finds where the next one
    // starts, `largo` octets on or later; `principio` is where the records
    // of the file start. 0, kAcortado, or the errno of a failed read.
    int Leer(int fd, std::uint64_t principio, std::uint64_t inicio, std::uint64_t finArchivo, std::size_t largo,
             std::uint64_t& fin)
    {
        // A few bytes before the stretch, when there are, show whether a
        // record starts at the first place looked at.
        antes_ = static_cast<std::size_t>(std::min<std::uint64_t>(inicio - principio, kAntes));
        base_ = inicio - antes_;
        tengo_ = 0;
        std::size_t quiero = Hasta(finArchivo, antes_ + largo + kMargen);
        for (;;) {
            if (const int e = Completar(fd, quiero); e != 0) return e;
            const char* const p = buf_.get();
            if (base_ + tengo_ == finArchivo && finArchivo - inicio <= largo) {
                fin = finArchivo;
                return 0;
            }
            const char* q = SiguienteRegistro(p, p + antes_ + largo, p + tengo_);
            if (q != p + tengo_) {
                fin = inicio + static_cast<std::uint64_t>(q - Datos());
                return 0;
            }
            if (base_ + tengo_ == finArchivo) {
                fin = finArchivo;
                return 0;
            }
            quiero = Hasta(finArchivo, 2 * tengo_);  // a record longer than the margin
        }
    }

    const char* Datos() const { return buf_.get() + antes_; }
    // The end of what was read, past the stretch's end when the file goes on.
    const char* Final() const { return buf_.get() + tengo_; }
    bool AlFinalDelArchivo(std::uint64_t finArchivo) const { return base_ + tengo_ == finArchivo; }

private:
    static constexpr std::size_t kAntes = 8;
    static constexpr std::size_t kMargen = 4 << 10;
    // Loads of sixteen octets may run past the last byte read.
    static constexpr std::size_t kRelleno = 16;

    std::size_t Hasta(std::uint64_t finArchivo, std::size_t n) const
    {
        return static_cast<std::size_t>(std::min<std::uint64_t>(finArchivo - base_, n));
    }

    int Completar(int fd, std::size_t quiero)
    {
        if (quiero + kRelleno > capacidad_) {
            const std::size_t nueva = std::max(quiero + kRelleno, 2 * capacidad_);
            std::unique_ptr<char[]> b(new char[nueva]);
            if (tengo_ > 0) std::memcpy(b.get(), buf_.get(), tengo_);
            buf_ = std::move(b);
            capacidad_ = nueva;
        }
        std::size_t leido = 0;
        if (const int e = LeerDesde(fd, buf_.get() + tengo_, quiero - tengo_, base_ + tengo_, leido); e != 0) return e;
        tengo_ += leido;
        std::memset(buf_.get() + tengo_, 0, kRelleno);
        return tengo_ == quiero ? 0 : kAcortado;
    }

    std::unique_ptr<char[]> buf_;
    std::size_t capacidad_ = 0;
    std::uint64_t base_ = 0;  // the place in the file of buf_[0]
    std::size_t antes_ = 0;  // bytes of buf_ before the stretch
    std::size_t tengo_ = 0;  // bytes of buf_ read
};

// The agenda cut in stretches of records, written by two threads at once
// and to the file in their order. Each stretch's cards wait in one of a
// few buffers, so a large book never sits in memory whole.
class ExportacionPorTramos {
public:
    static constexpr std::size_t kEnVuelo = 6;  // stretches written ahead
    static constexpr std::size_t kBuffer = 128 << 10;  // room for a stretch's cards, grown if short

    // The records of `entrada` from `principio` to `finArchivo`, as cards
    // into fd.
    ExportacionPorTramos(int entrada, std::uint64_t principio, std::uint64_t finArchivo, bool conAviso,
                         VersionVCard version, int fd)
        : entrada_(entrada), principio_(principio), corte_(principio), finArchivo_(finArchivo), conAviso_(conAviso),
          version_(version), fd_(fd)
    {
        desde_ = ::lseek(fd, 0, SEEK_CUR);
        if (desde_ > 0) posicion_ = static_cast<std::uint64_t>(desde_);
        // The buffers in one block whose pages are all there from the
        // start: on a virtual machine a page touched for the first time
        // costs microseconds.
        void* m = ::mmap(nullptr, kEnVuelo * kBuffer, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE,
                         -1, 0);
        if (m != MAP_FAILED) bloque_ = static_cast<char*>(m);
        for (std::size_t i = 0; i < kEnVuelo; ++i)
            salidas_[i] = bloque_ ? std::make_unique<Salida>(bloque_ + i * kBuffer, kBuffer)
                                  : std::make_unique<Salida>(kBuffer);
    }

    ~ExportacionPorTramos()
    {
        for (auto& s : salidas_) s.reset();
        if (bloque_) ::munmap(bloque_, kEnVuelo * kBuffer);
    }

    ExportacionPorTramos(const ExportacionPorTramos&) = delete;
    ExportacionPorTramos& operator=(const ExportacionPorTramos&) = delete;

    static std::size_t Largo() { return std::max<std::size_t>(tramoExportacion, 1); }

    // Works until every stretch is written or the work stops; each of the
    // threads calls it.
    void Trabajar()
    {
        std::vector<std::string_view> lineas;
        TramoLeido leido;
        std::unique_lock<std::mutex> c(m_);
        for (;;) {
            cv_.wait(c, [&] { return parar_ || corte_ == finArchivo_ || siguiente_ < libres_ + kEnVuelo; });
            if (parar_ || corte_ == finArchivo_) return;
            // Each stretch is read and cut as it is taken: the next one
            // starts where it ends. Looking for the cuts all at the start
            // kept the other thread waiting.
            std::uint64_t fin = 0;
            if (const int e = leido.Leer(entrada_, principio_, corte_, finArchivo_, Largo(), fin); e != 0) {
                if (e == TramoLeido::kAcortado)
                    acortado = true;
                else
                    errorLectura = e;
                parar_ = true;
                cv_.notify_all();
                return;
            }
            tramos_.push_back({corte_, fin});
            corte_ = fin;
            const std::size_t i = siguiente_++;
            Tramo& t = tramos_[i];
            Salida& o = *salidas_[i % kEnVuelo];
            c.unlock();
            o.Vaciar();
            const char* const p = leido.Datos();
            const FinLectura f = EscribirRegistros(p, p + (t.fin - t.inicio), leido.Final(), conAviso_, version_, o, lineas);
            t.contactos = f.contactos;
            t.alcanzado = t.inicio + static_cast<std::uint64_t>(f.alcanzado - p);
            // A record that runs past what was read, before the end of the
            // file, shows a cut where no record starts, as below.
            t.danado = f.danado && !(f.agotado && !leido.AlFinalDelArchivo(finArchivo_));
            c.lock();
            t.hecho = true;
            if (escribiendo_) continue;
            // One thread at a time writes, in order, whatever is ready.
            escribiendo_ = true;
            while (!parar_ && escritos_ < tramos_.size() && tramos_[escritos_].hecho) {
                const std::size_t k = escritos_;
                c.unlock();
                const bool sigue = Escribir(k);
                c.lock();
                ++escritos_;
                // Buffers whose cards still wait are not handed out again.
                libres_ = pendientes_.empty() ? escritos_ : pendientes_.front().tramo;
                if (!sigue) parar_ = true;
                cv_.notify_all();
            }
            escribiendo_ = false;
        }
    }

    // Writes whatever cards still wait, once the threads are done; 0 or the
    // errno of the failed write.
    int Vaciar() { return EscribirPendiente(std::numeric_limits<std::uint64_t>::max()); }

    std::size_t contactos = 0;
    bool danado = false;
    int error = 0;  // errno of the first failed write
    int errorLectura = 0;  // errno of a failed read of the agenda
    bool acortado = false;  // the agenda ended before its size
    bool seguir = false;  // a stretch ran past its end: the rest from seguirDesde
    std::uint64_t seguirDesde = 0;

private:
    struct Tramo {
        std::uint64_t inicio, fin;  // places in the agenda file
        std::uint64_t alcanzado = 0;  // the end of its last whole record
        std::size_t contactos = 0;
        bool danado = false;
        bool hecho = false;
    };

    // Writes stretch k, the one after the last written; false when the
    // rest is not to be written from the stretches.
    bool Escribir(std::size_t k)
    {
        const Tramo& t = tramos_[k];
        if (const int e = Encolar(k, salidas_[k % kEnVuelo]->Escrito()); e != 0) {
            error = e;
            return false;
        }
        contactos += t.contactos;
        if (t.danado) {
            danado = true;
            return false;
        }
        // A stretch that did not end where the next begins shows that the
        // next was cut at a place no record starts: the rest goes on from
        // where this one ended, in one thread.
        if (t.alcanzado != t.fin) {
            seguir = true;
            seguirDesde = t.alcanzado;
            return false;
        }
        return true;
    }
    // The cards go to the file in pieces that end on a 128 KiB boundary of
    // it: the system then fills its pages in large blocks, which took a
    // third less of its time than pieces of any length. What is left over
    // waits, in its buffer, for the next stretch's cards.
    static constexpr std::uint64_t kAlineado = 128 << 10;
    struct Pendiente {
        std::size_t tramo;
        std::string_view datos;
    };

    // Queues stretch k's cards and writes what reaches a boundary; 0 or the
    // errno of the failed write.
    int Encolar(std::size_t k, std::string_view d)
    {
        if (!d.empty()) pendientes_.push_back({k, d});
        // Small stretches must not hold every buffer while they wait.
        if (pendientes_.size() + 2 > kEnVuelo) return Vaciar();
        std::uint64_t total = 0;
        for (const Pendiente& p : pendientes_) total += p.datos.size();
        const std::uint64_t hasta = (posicion_ + total) / kAlineado * kAlineado;
        return hasta > posicion_ ? EscribirPendiente(hasta - posicion_) : 0;
    }

    // Writes the first n bytes waiting (all of them when n is larger).
    int EscribirPendiente(std::uint64_t n)
    {
        while (n > 0 && !pendientes_.empty()) {
            iovec v[kEnVuelo];
            int cuantos = 0;
            std::uint64_t resto = n;
            for (const Pendiente& p : pendientes_) {
                if (resto == 0 || cuantos == static_cast<int>(kEnVuelo)) break;
                const std::size_t largo = static_cast<std::size_t>(std::min<std::uint64_t>(resto, p.datos.size()));
                v[cuantos++] = {const_cast<char*>(p.datos.data()), largo};
                resto -= largo;
            }
            const ssize_t w = ::writev(fd_, v, cuantos);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return w < 0 ? errno : EIO;
            n -= static_cast<std::uint64_t>(w);
            posicion_ += static_cast<std::uint64_t>(w);
            Despachar(static_cast<std::size_t>(w));
            for (std::size_t hecho = static_cast<std::size_t>(w); hecho > 0;) {
                Pendiente& p = pendientes_.front();
                const std::size_t quita = std::min(hecho, p.datos.size());
                p.datos.remove_prefix(quita);
                hecho -= quita;
                if (p.datos.empty()) pendientes_.pop_front();
            }
        }
        return 0;
    }

    // Sends what is written to the disk a few megabytes at a time, while
    // the other thread goes on with its cards; renamed over an older file,
    // the file system would otherwise do it all at the rename, at the end.
    void Despachar(std::size_t n)
    {
        if (desde_ < 0) return;
        pendiente_ += n;
        if (pendiente_ < kDespacho) return;
        if (::sync_file_range(fd_, desde_, static_cast<off_t>(pendiente_), SYNC_FILE_RANGE_WRITE) != 0) {
            desde_ = -1;  // not a file, or a system without it
            return;
        }
        desde_ += static_cast<off_t>(pendiente_);
        pendiente_ = 0;
    }
    static constexpr std::size_t kDespacho = 4 << 20;
    off_t desde_ = 0;  // of what is not sent yet
    std::size_t pendiente_ = 0;

    int entrada_;
    std::uint64_t principio_;
    std::uint64_t corte_;  // where the next stretch starts
    std::uint64_t finArchivo_;
    bool conAviso_;
    VersionVCard version_;
    int fd_;
    std::deque<Tramo> tramos_;  // those taken; a thread keeps a reference to its own
    char* bloque_ = nullptr;
    std::unique_ptr<Salida> salidas_[kEnVuelo];
    std::mutex m_;
    std::condition_variable cv_;
    std::size_t siguiente_ = 0, escritos_ = 0;
    std::size_t libres_ = 0;  // the first stretch whose buffer may still hold cards
    std::deque<Pendiente> pendientes_;  // only the writing thread touches them
    std::uint64_t posicion_ = 0;  // of the file, after what is written
    bool escribiendo_ = false, parar_ = false;
};

// Where the records of an agenda file start, from its first bytes.
struct Cabecera {
    bool actual = false;  // "VER:2.1" first, and the AVS line in each record
    bool sinRegistros = false;
    std::size_t principio = 0;
};

// False when the bytes, not the whole file (`todo`), do not settle it.
bool LeerCabecera(std::string_view d, bool todo, Cabecera& c)
{
    LineasAgenda l(d);
    std::string_view linea;
    c = Cabecera{};
    if (!l.Siguiente(linea)) {
        c.sinRegistros = true;
        return todo;
    }
    // The earlier format has no header: its first line is a record's.
    c.actual = linea == "VER:2.1";
    if (!c.actual) return true;
    if (!l.Siguiente(linea) || l.AlFinal()) {
        c.sinRegistros = true;
        return todo;
    }
    c.principio = static_cast<std::size_t>(l.Posicion() - d.data());
    // A line end at the edge of the bytes may go on past it (CR, then LF).
    return todo || c.principio < d.size();
}

std::string FalloDeLectura(const char* que, const std::string& ruta, int error)
{
    return std::string(que) + ruta + ": " + std::strerror(error);
}

struct CierreAlSalir {
    int fd;
    ~CierreAlSalir() { ::close(fd); }
};

}  // namespace

ResultadoExportacion ExportarAgendaAVCard(const std::string& rutaAgenda, int fd, VersionVCard version)
{
    ResultadoExportacion r;
    const int entrada = ::open(rutaAgenda.c_str(), O_RDONLY | O_CLOEXEC);
    if (entrada < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return r;  // NoExiste
        r.estado = EstadoLectura::Fallo;
        r.error = FalloDeLectura("No se pudo abrir el archivo ", rutaAgenda, errno);
        return r;
    }
    const CierreAlSalir cierre{entrada};
    const auto acortado = [&] {
        r.estado = EstadoLectura::Fallo;
        r.error = "El archivo " + rutaAgenda + " se ha acortado mientras se le\xED" "a; no se ha exportado.";
        return r;
    };
    const auto falloEscritura = [&](int error) {
        r.estado = EstadoLectura::Fallo;
        r.error = std::string("No se pudo escribir el vCard: ") + std::strerror(error);
        return r;
    };

    // A book of many stretches is read and written by two threads; a small
    // one, or the rest of a file cut in the wrong place, by this thread
    // from a map of the file.
    bool seguir = false;  // from seguirDesde, after the threads
    std::uint64_t seguirDesde = 0;
    bool actual = false;
    struct stat st;
    const std::size_t largo = ExportacionPorTramos::Largo();
    constexpr std::size_t kCabecera = 4096;
    if (::fstat(entrada, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) > largo) {
        const std::uint64_t finArchivo = static_cast<std::uint64_t>(st.st_size);
        char primeros[kCabecera];
        const std::size_t quiero = static_cast<std::size_t>(std::min<std::uint64_t>(finArchivo, kCabecera));
        std::size_t n = 0;
        if (const int e = LeerDesde(entrada, primeros, quiero, 0, n); e != 0) {
            r.estado = EstadoLectura::Fallo;
            r.error = FalloDeLectura("No se pudo leer el archivo ", rutaAgenda, e);
            return r;
        }
        if (n < quiero) return acortado();
        Cabecera c;
        if (LeerCabecera(std::string_view(primeros, n), n == finArchivo, c) && !c.sinRegistros) {
            actual = c.actual;
            r.estado = EstadoLectura::Completa;
            ExportacionPorTramos tramos(entrada, c.principio, finArchivo, actual, version, fd);
            std::thread otro;
            try {
                otro = NuevoHilo([&] { tramos.Trabajar(); });
            } catch (const std::system_error&) {
                // This thread alone does it all.
            }
            tramos.Trabajar();
            if (otro.joinable()) otro.join();
            if (tramos.acortado) return acortado();
            if (tramos.errorLectura != 0) {
                r.estado = EstadoLectura::Fallo;
                r.error = FalloDeLectura("No se pudo leer el archivo ", rutaAgenda, tramos.errorLectura);
                return r;
            }
            r.contactos = tramos.contactos;
            int error = tramos.error;
            if (error == 0) error = tramos.Vaciar();
            if (error != 0) return falloEscritura(error);
            if (tramos.danado) r.estado = EstadoLectura::Incompleta;
            if (!tramos.seguir) return r;
            seguir = true;
            seguirDesde = tramos.seguirDesde;
        }
    }

    ArchivoEnMemoria archivo;
    if (const int e = archivo.Abrir(entrada); e != 0) {
        r.estado = EstadoLectura::Fallo;
        r.error = FalloDeLectura("No se pudo leer el archivo ", rutaAgenda, e);
        return r;
    }
    const std::string_view datos = archivo.Datos();
    const char* const finArchivo = datos.data() + datos.size();
    const char* desde = nullptr;
    if (seguir) {
        if (seguirDesde > datos.size()) return acortado();
        desde = datos.data() + seguirDesde;
    } else {
        Cabecera c;
        LeerCabecera(datos, true, c);
        if (c.sinRegistros) {
            r.estado = EstadoLectura::SinRegistros;
            return r;
        }
        r.estado = EstadoLectura::Completa;
        actual = c.actual;
        desde = datos.data() + c.principio;
    }
    // One record after another, written a buffer at a time.
    Salida o(1 << 18);
    std::vector<std::string_view> lineas;
    while (desde < finArchivo) {
        o.Vaciar();
        const FinLectura f =
            EscribirRegistros(desde, finArchivo, finArchivo, actual, version, o, lineas, std::size_t{1} << 18);
        if (!EscribirTodo(fd, o.Escrito().data(), o.Escrito().size())) return falloEscritura(errno);
        r.contactos += f.contactos;
        if (f.danado) {
            r.estado = EstadoLectura::Incompleta;
            break;
        }
        desde = f.alcanzado;
    }
    if (archivo.Cambio()) return acortado();
    return r;
}

}  // namespace bindelora
