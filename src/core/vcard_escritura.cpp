// Writing vCards: the whole book from memory, or straight from the agenda
// file for the command line.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Sixteen bytes from c may be loaded when they stay in c's page, even past
// the end of the text: the bytes after it are masked off. Most fields are
// shorter than sixteen bytes, and this takes them in one step.
[[gnu::no_sanitize_address]] inline __m128i Cargar16(const char* c)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(c));
}

inline bool EnLaPagina(const char* c)
{
    return (reinterpret_cast<std::uintptr_t>(c) & 4095) <= 4096 - 16;
}
#endif

// The end of the run of bytes from c that go out as they are, at most up
// to tope. Most text is plain ASCII, so sixteen bytes are looked at a time.
inline const char* FinLlano(const char* c, const char* tope)
{
#if defined(__SSE2__)
    while (tope - c >= 16) {
        if (const unsigned m = NoLlanos(Cargar16(c)); m != 0) return c + __builtin_ctz(m);
        c += 16;
    }
    if (c < tope && EnLaPagina(c)) {
        const unsigned m = NoLlanos(Cargar16(c)) | (0xFFFFu << (tope - c));
        return c + __builtin_ctz(m);
    }
#endif
    while (c < tope && kTablaSalida.llano[static_cast<unsigned char>(*c)]) ++c;
    return c;
}

// Content lines folded at 75 octets without cutting a UTF-8 character or
// an escape in two, written into a buffer grown ahead of each piece.
class Salida {
public:
    explicit Salida(std::size_t reserva)
    {
        s_.resize(std::max<std::size_t>(reserva, 4096));
        p_ = s_.data();
        fin_ = p_ + s_.size();
    }

    void Nombre(std::string_view n)
    {
        Asegurar(n.size());
        std::memcpy(p_, n.data(), n.size());
        p_ += n.size();
        col_ += static_cast<int>(n.size());
    }

    void Texto(std::string_view t)
    {
        if (t.empty()) return;  // its data() may be null
        // At most 3 octets per byte, plus a fold (3 octets) every 24 bytes;
        // room for a whole block of sixteen on top.
        Asegurar(t.size() * 4 + 16);
#if defined(__SSE2__)
        // A short plain field that fits on the line goes over in one step.
        if (t.size() <= 16 && col_ + static_cast<int>(t.size()) <= kAnchoLinea && EnLaPagina(t.data())) {
            const __m128i v = Cargar16(t.data());
            if ((NoLlanos(v) & ~(0xFFFFu << t.size())) == 0) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(p_), v);
                p_ += t.size();
                col_ += static_cast<int>(t.size());
                return;
            }
        }
#endif
        char* p = p_;
        int col = col_;
        const char* c = t.data();
        const char* const fin = c + t.size();
        while (c < fin) {
            const char* q = FinLlano(c, c + std::min<std::ptrdiff_t>(fin - c, kAnchoLinea - col));
            std::memcpy(p, c, static_cast<std::size_t>(q - c));
            p += q - c;
            col += static_cast<int>(q - c);
            c = q;
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

    // A separator of the value (';' between components), never escaped.
    void Signo(char c)
    {
        Asegurar(4);
        if (col_ + 1 > kAnchoLinea) {
            std::memcpy(p_, "\r\n ", 3);
            p_ += 3;
            col_ = 1;
        }
        *p_++ = c;
        ++col_;
    }

    void FinLinea()
    {
        Asegurar(2);
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

    std::string_view Escrito() const { return {s_.data(), static_cast<std::size_t>(p_ - s_.data())}; }

    // Empty again, keeping the buffer for the next round.
    void Vaciar()
    {
        p_ = s_.data();
        col_ = 0;
    }

    std::string Cadena()
    {
        s_.resize(static_cast<std::size_t>(p_ - s_.data()));
        return std::move(s_);
    }

private:
    // Called for every piece: the common case stays inline.
    void Asegurar(std::size_t n)
    {
        if (static_cast<std::size_t>(fin_ - p_) >= n) return;
        Crecer(n);
    }

    [[gnu::noinline]] void Crecer(std::size_t n)
    {
        const std::size_t usado = static_cast<std::size_t>(p_ - s_.data());
        s_.resize(std::max(s_.size() * 2, usado + n));
        p_ = s_.data() + usado;
        fin_ = s_.data() + s_.size();
    }

    std::string s_;
    char* p_;
    char* fin_;  // the end of s_
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
        if (&l != lineas.begin()) o.Texto("\n");
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
    if (ape1.find_first_of(" \t,") != std::string_view::npos || EsParticula(ape1)) return false;
    if (ape2.empty()) return true;
    return ape2.front() != ' ' && ape2.front() != '\t' && ape2.back() != ' ' && ape2.back() != '\t' &&
           ape2.find(',') == std::string_view::npos;
}

void EscribirPibe(Salida& o, const VistaPibe& p, VersionVCard v)
{
    const bool v4 = v == VersionVCard::V40;
    o.Fija("BEGIN:VCARD");
    o.Fija(v4 ? "VERSION:4.0" : "VERSION:3.0");

    o.Nombre("FN:");
    bool algo = false;
    for (std::string_view t : {p.Nombre, p.Ape1, p.Ape2}) {
        if (t.empty()) continue;
        if (algo) o.Texto(" ");
        o.Texto(t);
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

    bool Siguiente(std::string_view& linea)
    {
        if (p_ == fin_) return false;
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

// Records handed from the reading thread to the two writing ones, in
// batches so that the hand-over costs little. The views point into the
// agenda file; each batch keeps its buffers from round to round.
struct LoteExportacion {
    static constexpr std::size_t kPibes = 512;
    std::vector<VistaPibe> pibes = std::vector<VistaPibe>(kPibes);
    std::vector<std::pair<std::size_t, std::size_t>> inicios = decltype(inicios)(kPibes);  // of Direccion, Varios
    std::vector<std::string_view> lineas;
    std::size_t n = 0;
    std::size_t turno = 0;  // batches are written in the order they were read
    Salida salida{1 << 18};
};

// One record, with the same rules as the agenda reader: fields by position,
// lists ended by "----", a bad birthday or the end of the file inside a
// record make it unreadable.
bool LeerRegistro(LineasAgenda& l, LoteExportacion& lote, bool conAviso)
{
    VistaPibe& p = lote.pibes[lote.n];
    std::string_view linea;
    for (std::string_view* campo : {&p.Nombre, &p.Ape1, &p.Ape2, &p.TfnoCasa, &p.TfnoMovil, &p.EMail, &p.Grupo}) {
        if (!l.Siguiente(linea)) return false;
        *campo = SinEtiqueta(linea);
    }
    if (!l.Siguiente(linea) || !LeerCumple(SinEtiqueta(linea), p.Cumple)) return false;
    p.EnAvisal = false;
    if (conAviso) {
        if (!l.Siguiente(linea)) return false;
        p.EnAvisal = !(linea.size() >= 5 && linea[4] == '0');
    }
    std::size_t* inicio = &lote.inicios[lote.n].first;
    for (LineasVista* lista : {&p.Direccion, &p.Varios}) {
        *inicio++ = lote.lineas.size();
        std::size_t n = 0;
        for (;;) {
            if (!l.Siguiente(linea)) return false;
            if (linea == "----") break;
            lote.lineas.push_back(SinEtiqueta(linea));
            ++n;
        }
        lista->n = n;
    }
    return true;
}

// The batches between the threads, and the turn of the next one to write.
class Reparto {
public:
    explicit Reparto(std::deque<LoteExportacion>& lotes)
    {
        for (auto& l : lotes) vacios_.push_back(&l);
    }

    LoteExportacion* TomarVacio()
    {
        std::unique_lock<std::mutex> c(m_);
        cv_.wait(c, [&] { return !vacios_.empty(); });
        LoteExportacion* l = vacios_.front();
        vacios_.pop_front();
        l->n = 0;
        l->lineas.clear();
        return l;
    }

    void Entregar(LoteExportacion* l)
    {
        // The list views are set only now: the batch's lines no longer move.
        for (std::size_t i = 0; i < l->n; ++i) {
            l->pibes[i].Direccion.datos = l->lineas.data() + l->inicios[i].first;
            l->pibes[i].Varios.datos = l->lineas.data() + l->inicios[i].second;
        }
        {
            std::lock_guard<std::mutex> c(m_);
            l->turno = leidos_++;
            llenos_.push_back(l);
        }
        cv_.notify_all();
    }

    void Devolver(LoteExportacion* l)
    {
        {
            std::lock_guard<std::mutex> c(m_);
            vacios_.push_back(l);
        }
        cv_.notify_all();
    }

    void Terminar()
    {
        {
            std::lock_guard<std::mutex> c(m_);
            terminado_ = true;
        }
        cv_.notify_all();
    }

    // The next batch to write, or nullptr when all are taken.
    LoteExportacion* TomarLleno()
    {
        std::unique_lock<std::mutex> c(m_);
        cv_.wait(c, [&] { return !llenos_.empty() || terminado_; });
        if (llenos_.empty()) return nullptr;
        LoteExportacion* l = llenos_.front();
        llenos_.pop_front();
        return l;
    }

    void EsperarTurno(const LoteExportacion* l)
    {
        std::unique_lock<std::mutex> c(m_);
        cv_.wait(c, [&] { return escritos_ == l->turno; });
    }

    // Ends the batch's turn and hands it back for reading.
    void Escrito(LoteExportacion* l)
    {
        {
            std::lock_guard<std::mutex> c(m_);
            ++escritos_;
            vacios_.push_back(l);
        }
        cv_.notify_all();
    }

    std::atomic<int> error{0};  // of the first failed write

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::deque<LoteExportacion*> llenos_, vacios_;
    std::size_t leidos_ = 0, escritos_ = 0;
    bool terminado_ = false;
};

int EscribirTodo(int fd, std::string_view d)
{
    while (!d.empty()) {
        const ssize_t w = ::write(fd, d.data(), d.size());
        if (w < 0 && errno == EINTR) continue;
        if (w < 0) return errno;
        d.remove_prefix(static_cast<std::size_t>(w));
    }
    return 0;
}

}  // namespace

ResultadoExportacion ExportarAgendaAVCard(const std::string& rutaAgenda, int fd, VersionVCard version)
{
    ResultadoExportacion r;
    ArchivoEnMemoria archivo;
    {
        const int entrada = ::open(rutaAgenda.c_str(), O_RDONLY | O_CLOEXEC);
        if (entrada < 0 && (errno == ENOENT || errno == ENOTDIR)) return r;  // NoExiste
        const int error = entrada < 0 ? errno : archivo.Abrir(entrada);
        if (entrada >= 0) ::close(entrada);
        if (error != 0) {
            r.estado = EstadoLectura::Fallo;
            r.error = std::string(entrada < 0 ? "No se pudo abrir el archivo " : "No se pudo leer el archivo ") +
                      rutaAgenda + ": " + std::strerror(error);
            return r;
        }
    }

    // Reading the records is quick next to writing the cards, so this
    // thread reads and two others write, each its own batch, in turn.
    std::deque<LoteExportacion> lotes(6);
    Reparto reparto(lotes);
    auto escribirLote = [&](LoteExportacion* lote) {
        const bool sigue = reparto.error.load(std::memory_order_relaxed) == 0;
        if (sigue) {
            lote->salida.Vaciar();
            for (std::size_t i = 0; i < lote->n; ++i) EscribirPibe(lote->salida, lote->pibes[i], version);
        }
        reparto.EsperarTurno(lote);
        if (sigue && reparto.error.load(std::memory_order_relaxed) == 0) {
            if (const int e = EscribirTodo(fd, lote->salida.Escrito()); e != 0) reparto.error.store(e);
        }
        reparto.Escrito(lote);
    };
    std::vector<std::thread> escritores;
    for (int i = 0; i < 2; ++i) {
        try {
            escritores.push_back(NuevoHilo([&] {
                while (LoteExportacion* lote = reparto.TomarLleno()) escribirLote(lote);
            }));
        } catch (const std::system_error&) {
            break;
        }
    }
    // When the system cannot start a thread, this one writes each batch as
    // soon as it is read.
    auto entregar = [&](LoteExportacion* l) {
        reparto.Entregar(l);
        if (escritores.empty()) escribirLote(reparto.TomarLleno());
    };

    LineasAgenda l(archivo.Datos());
    r.estado = EstadoLectura::SinRegistros;
    LoteExportacion* lote = reparto.TomarVacio();
    std::string_view linea;
    if (l.Siguiente(linea)) {
        // The earlier format has no header: its first line is a record's.
        const bool actual = linea == "VER:2.1";
        if (!actual) l = LineasAgenda(archivo.Datos());
        if (!actual || (l.Siguiente(linea) && !l.AlFinal())) {
            r.estado = EstadoLectura::Completa;
            do {
                if (!LeerRegistro(l, *lote, actual)) {
                    r.estado = EstadoLectura::Incompleta;
                    break;
                }
                ++r.contactos;
                if (++lote->n == LoteExportacion::kPibes) {
                    entregar(lote);
                    lote = nullptr;
                    // A failed write ends the reading too.
                    if (reparto.error.load(std::memory_order_relaxed) != 0) break;
                    lote = reparto.TomarVacio();
                }
            } while (!l.AlFinal());
        }
    }
    if (lote && lote->n > 0) entregar(lote);
    else if (lote) reparto.Devolver(lote);
    reparto.Terminar();
    for (auto& e : escritores) e.join();
    if (const int e = reparto.error.load(); e != 0) {
        r.estado = EstadoLectura::Fallo;
        r.error = std::string("No se pudo escribir el vCard: ") + std::strerror(e);
    } else if (archivo.Cambio()) {
        r.estado = EstadoLectura::Fallo;
        r.error = "El archivo " + rutaAgenda + " se ha acortado mientras se le\xED" "a; no se ha exportado.";
    }
    return r;
}

}  // namespace bindelora
