// Writing vCards: the whole book from memory, or straight from the agenda
// file for the command line.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "core/agenda.h"
#include "core/archivo.h"
#include "core/fecha.h"
#include "core/texto.h"
#include "core/vcard.h"
#include "core/vcard_interno.h"

namespace bindelora {

namespace {

constexpr int kAnchoLinea = 75;  // octets per line, CR LF not counted

// What one Windows-1252 byte becomes in a vCard value: its UTF-8 form, or
// an escape for \\ , ; and the line break. Either is never cut by a fold.
struct CodigoSalida {
    char b[3];
    unsigned char n;
};

struct TablaSalida {
    CodigoSalida t[256];
    TablaSalida()
    {
        for (int c = 0; c < 256; ++c) {
            CodigoSalida& k = t[c];
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

// Content lines folded at 75 written octets (escapes and UTF-8 counted,
// the blank that starts a continuation too), never inside a character or
// an escape.
class Salida {
public:
    // A property name or other fixed ASCII text, never folded.
    void Nombre(std::string_view n)
    {
        s_.append(n);
        col_ += static_cast<int>(n.size());
    }

    void Texto(std::string_view t)
    {
        std::size_t i = 0;
        while (i < t.size()) {
            // A run of plain bytes, as much of it as fits on this line.
            const std::size_t hasta = std::min(t.size(), i + static_cast<std::size_t>(std::max(kAnchoLinea - col_, 0)));
            const std::size_t j = FinLlano(t, i, hasta);
            s_.append(t.data() + i, j - i);
            col_ += static_cast<int>(j - i);
            i = j;
            if (i == t.size()) break;
            const CodigoSalida& k = kTablaSalida.t[static_cast<unsigned char>(t[i])];
            if (col_ + k.n > kAnchoLinea) Plegar();
            if (k.n == 1 && Llano(t[i])) {
                s_ += t[i];
                ++col_;
            } else {
                s_.append(k.b, k.n);
                col_ += k.n;
            }
            ++i;
        }
    }

    // An escaped piece that is never cut ("\\n", a blank, a ';' between
    // components): on the next line when it does not fit on this one.
    void Literal(std::string_view l)
    {
        if (col_ + static_cast<int>(l.size()) > kAnchoLinea) Plegar();
        s_.append(l);
        col_ += static_cast<int>(l.size());
    }

    void Signo(char c) { Literal(std::string_view(&c, 1)); }

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
        Nombre(linea);
        FinLinea();
    }

    std::string& Texto() { return s_; }

private:
    static bool Llano(char c)
    {
        return static_cast<unsigned char>(c) < 0x80 && c != '\\' && c != ',' && c != ';' && c != '\n';
    }

    // The end of the run of plain bytes of t from j, up to hasta. Eight
    // bytes are looked at a time within t: a byte at a time took a third of
    // an export.
    static std::size_t FinLlano(std::string_view t, std::size_t j, std::size_t hasta)
    {
        constexpr std::uint64_t kUnos = 0x0101010101010101ull, kAltos = 0x8080808080808080ull;
        const auto hay = [](std::uint64_t w, char c) {
            const std::uint64_t x = w ^ (kUnos * static_cast<unsigned char>(c));
            return (x - kUnos) & ~x & kAltos;
        };
        while (j + 8 <= hasta) {
            std::uint64_t w;
            std::memcpy(&w, t.data() + j, 8);
            if (((w & kAltos) | hay(w, '\\') | hay(w, ',') | hay(w, ';') | hay(w, '\n')) != 0) break;
            j += 8;
        }
        while (j < hasta && Llano(t[j])) ++j;
        return j;
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
void TextoLineas(Salida& o, std::span<const std::string_view> lineas)
{
    for (std::size_t i = 0; i < lineas.size(); ++i) {
        if (i > 0) o.Literal("\\n");
        o.Texto(lineas[i]);
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

void EscribirPibe(Salida& o, const VistaRegistro& p, VersionVCard v)
{
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
    o.Literal(";;;");  // after a value: may need a fold
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
        o.Literal(";;;;");
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
    Salida o;
    std::size_t estimado = 0;
    for (const auto& p : lista) estimado += 300 + 2 * (p->Nombre.size() + p->Ape1.size() + p->Ape2.size());
    o.Texto().reserve(estimado);
    std::vector<std::string_view> lineas;
    for (const auto& p : lista) {
        lineas.assign(p->Direccion.begin(), p->Direccion.end());
        lineas.insert(lineas.end(), p->Varios.begin(), p->Varios.end());
        VistaRegistro v{p->Nombre, p->Ape1, p->Ape2, p->TfnoCasa, p->TfnoMovil, p->EMail, p->Grupo, p->Cumple, p->EnAvisal,
                        std::span<const std::string_view>(lineas.data(), p->Direccion.size()),
                        std::span<const std::string_view>(lineas.data() + p->Direccion.size(), p->Varios.size())};
        EscribirPibe(o, v, version);
    }
    return std::move(o.Texto());
}

ResultadoExportacion ExportarAgendaAVCard(const std::string& rutaAgenda, int fd, VersionVCard version)
{
    // The cards go out in pieces of about this size, so a large book is
    // never held in memory.
    constexpr std::size_t kPieza = 256 << 10;
    ResultadoExportacion r;
    Salida o;
    o.Texto().reserve(kPieza + 4096);
    int errorEscritura = 0;
    const auto escribir = [&]() {
        std::string& t = o.Texto();
        if (!EscribirTodo(fd, t.data(), t.size())) {
            errorEscritura = errno != 0 ? errno : EIO;
            return false;
        }
        t.clear();
        return true;
    };
    const ResultadoLectura l = RecorrerAgenda(rutaAgenda, [&](const VistaRegistro& v) {
        EscribirPibe(o, v, version);
        ++r.contactos;
        return o.Texto().size() < kPieza || escribir();
    });
    r.estado = l.estado;
    r.error = l.error;
    if (errorEscritura == 0 && l.estado != EstadoLectura::Fallo) escribir();
    if (errorEscritura != 0) {
        r.estado = EstadoLectura::Fallo;
        r.error = std::string("No se pudo escribir el vCard: ") + std::strerror(errorEscritura);
    }
    return r;
}

}  // namespace bindelora
