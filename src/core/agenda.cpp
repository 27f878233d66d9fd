#include "core/agenda.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/archivo.h"

namespace bindelora {

namespace {

constexpr std::string_view kCabecera = "VER:2.1";
constexpr std::size_t kBloque = 1 << 20;
constexpr std::string_view kSeparador = "----";
constexpr std::string_view kFinLinea = "\r\n";

// The first CR or LF from p on, or fin. Lines are short: eight bytes are
// looked at a time, within the window; a memchr for each kind of line end
// cost more than the looking.
const char* FinDeLinea(const char* p, const char* fin)
{
    constexpr std::uint64_t kUnos = 0x0101010101010101ull, kAltos = 0x8080808080808080ull;
    const auto hay = [](std::uint64_t w, char c) {
        const std::uint64_t x = w ^ (kUnos * static_cast<unsigned char>(c));
        return (x - kUnos) & ~x & kAltos;
    };
    while (fin - p >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        if ((hay(w, '\r') | hay(w, '\n')) != 0) break;
        p += 8;
    }
    while (p < fin && *p != '\r' && *p != '\n') ++p;
    return p;
}

// Lines of bytes held in memory or read from a file a block at a time, so a
// large book never needs a second whole copy of the file in memory. A line
// ends at CR LF, LF or CR. Everything from the last Marcar on stays in the
// buffer, though it may move: places in it are kept as offsets from Marca.
class LectorLineas {
public:
    explicit LectorLineas(std::string_view datos)
        : marca_(datos.data()), p_(datos.data()), fin_(datos.data() + datos.size()), eof_(true)
    {
    }

    // bloque: the bytes asked for at each read; a record longer than that
    // grows the buffer.
    LectorLineas(int fd, std::size_t bloque)
        : fd_(fd), capacidad_(std::max<std::size_t>(bloque, 1)),
          buf_(std::make_unique_for_overwrite<char[]>(capacidad_))
    {
        marca_ = p_ = fin_ = buf_.get();
    }

    // True when no byte is left after the last line break.
    bool AlFinal()
    {
        while (p_ == fin_ && !eof_) Rellenar();
        return p_ == fin_;
    }

    void Marcar() { marca_ = p_; }
    const char* Marca() const { return marca_; }

    bool Siguiente(std::string_view& linea)
    {
        for (;;) {
            if (p_ == fin_) {
                if (eof_) return false;
                Rellenar();
                continue;
            }
            const char* corte = FinDeLinea(p_, fin_);
            if (corte < fin_) {
                // A CR at the window's edge may be the first half of CR LF.
                if (*corte == '\r' && corte + 1 == fin_ && !eof_) {
                    Rellenar();
                    continue;
                }
                linea = std::string_view(p_, static_cast<std::size_t>(corte - p_));
                p_ = corte + 1;
                if (*corte == '\r' && p_ < fin_ && *p_ == '\n') ++p_;
                return true;
            }
            if (!eof_) {
                Rellenar();
                continue;
            }
            // Last line without a line break.
            linea = std::string_view(p_, static_cast<std::size_t>(fin_ - p_));
            p_ = fin_;
            return true;
        }
    }

    // errno of a failed read, 0 when none failed.
    int Error() const { return error_; }

private:
    // Keeps the bytes from the mark on, moved to the front, and reads after
    // them. The buffer only grows when a single record fills it.
    void Rellenar()
    {
        const std::size_t resto = static_cast<std::size_t>(fin_ - marca_);
        const std::size_t leido = static_cast<std::size_t>(p_ - marca_);
        if (resto == capacidad_) {
            auto mayor = std::make_unique_for_overwrite<char[]>(capacidad_ * 2);
            std::memcpy(mayor.get(), marca_, resto);
            buf_ = std::move(mayor);
            capacidad_ *= 2;
        } else if (marca_ != buf_.get()) {
            std::memmove(buf_.get(), marca_, resto);
        }
        marca_ = buf_.get();
        p_ = marca_ + leido;
        fin_ = marca_ + resto;
        for (;;) {
            ssize_t r = ::read(fd_, buf_.get() + resto, capacidad_ - resto);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) error_ = errno;
            if (r <= 0) eof_ = true;
            else fin_ += r;
            return;
        }
    }

    int fd_ = -1;
    std::size_t capacidad_ = 0;
    std::unique_ptr<char[]> buf_;
    const char* marca_ = nullptr;
    const char* p_ = nullptr;
    const char* fin_ = nullptr;
    bool eof_ = false;
    int error_ = 0;
};

// A field's place in the record being read, from the reader's mark.
struct Trozo {
    std::size_t inicio = 0, largo = 0;
};

// A line without its four-character tag, whatever the tag says.
Trozo SinEtiqueta(const LectorLineas& lector, std::string_view linea)
{
    if (linea.size() <= 4) return {};
    return {static_cast<std::size_t>(linea.data() - lector.Marca()) + 4, linea.size() - 4};
}

std::string_view SinEtiqueta(std::string_view linea)
{
    return linea.size() > 4 ? linea.substr(4) : std::string_view();
}

// What a record's reading keeps between records, so its room is reused.
struct Registro {
    Trozo campos[7];
    std::vector<Trozo> lineas;
    std::size_t enDireccion = 0;
    std::vector<std::string_view> vistas;
    VistaRegistro vista;
};

// False when the record cannot be read: a bad birthday or the data ending
// before its two closing lines. primera, when given, is its first line,
// already taken from the reader after the mark.
bool LeerRegistro(LectorLineas& lector, bool conAviso, const std::string_view* primera, Registro& r)
{
    std::string_view linea;
    for (int i = 0; i < 7; ++i) {
        if (i == 0 && primera) {
            r.campos[0] = SinEtiqueta(lector, *primera);
            continue;
        }
        if (!lector.Siguiente(linea)) return false;
        r.campos[i] = SinEtiqueta(lector, linea);
    }
    VistaRegistro& v = r.vista;
    if (!lector.Siguiente(linea) || !LeerCumple(SinEtiqueta(linea), v.Cumple)) return false;
    v.EnAvisal = false;
    if (conAviso) {
        if (!lector.Siguiente(linea)) return false;
        v.EnAvisal = !(linea.size() >= 5 && linea[4] == '0');
    }
    r.lineas.clear();
    for (int lista = 0; lista < 2; ++lista) {
        for (;;) {
            if (!lector.Siguiente(linea)) return false;
            if (linea == kSeparador) break;
            r.lineas.push_back(SinEtiqueta(lector, linea));
        }
        if (lista == 0) r.enDireccion = r.lineas.size();
    }
    // Only now: the buffer no longer moves until the next mark.
    const char* base = lector.Marca();
    const auto vista = [base](Trozo t) { return std::string_view(base + t.inicio, t.largo); };
    std::string_view* campos[7] = {&v.Nombre, &v.Ape1, &v.Ape2, &v.TfnoCasa, &v.TfnoMovil, &v.EMail, &v.Grupo};
    for (int i = 0; i < 7; ++i) *campos[i] = vista(r.campos[i]);
    r.vistas.clear();
    for (Trozo t : r.lineas) r.vistas.push_back(vista(t));
    v.Direccion = std::span<const std::string_view>(r.vistas.data(), r.enDireccion);
    v.Varios = std::span<const std::string_view>(r.vistas.data() + r.enDireccion, r.vistas.size() - r.enDireccion);
    return true;
}

ResultadoLectura Recorrer(LectorLineas& lector, const ReceptorRegistros& receptor, const std::string& ruta)
{
    ResultadoLectura r;
    std::string_view linea;
    r.estado = EstadoLectura::SinRegistros;
    if (lector.Siguiente(linea)) {
        const bool actual = linea == kCabecera;
        r.formatoAntiguo = !actual;
        // The earlier format has no header: this line starts the first record.
        bool hayPrimera = !actual;
        if (hayPrimera || (lector.Siguiente(linea) && !lector.AlFinal())) {
            r.estado = EstadoLectura::Completa;
            Registro registro;
            do {
                if (!hayPrimera) lector.Marcar();
                if (!LeerRegistro(lector, actual, hayPrimera ? &linea : nullptr, registro)) {
                    r.estado = EstadoLectura::Incompleta;
                    break;
                }
                hayPrimera = false;
                if (!receptor(registro.vista)) break;
                lector.Marcar();
            } while (!lector.AlFinal());
        }
    }
    if (lector.Error() != 0) {
        ResultadoLectura fallo;
        fallo.estado = EstadoLectura::Fallo;
        fallo.error = "No se pudo leer el archivo " + ruta + ": " + std::strerror(lector.Error());
        return fallo;
    }
    return r;
}

std::unique_ptr<TPibe> PibeDe(const VistaRegistro& v)
{
    auto p = std::make_unique<TPibe>();
    p->Nombre.assign(v.Nombre);
    p->Ape1.assign(v.Ape1);
    p->Ape2.assign(v.Ape2);
    p->TfnoCasa.assign(v.TfnoCasa);
    p->TfnoMovil.assign(v.TfnoMovil);
    p->EMail.assign(v.EMail);
    p->Grupo.assign(v.Grupo);
    p->Cumple = v.Cumple;
    p->EnAvisal = v.EnAvisal;
    p->Direccion.assign(v.Direccion.begin(), v.Direccion.end());
    p->Varios.assign(v.Varios.begin(), v.Varios.end());
    return p;
}

// Reads into a list of its own and hands it over only at the end, so a read
// error halfway leaves the caller's book as it was.
template <class Recorrido>
ResultadoLectura LeerEnLista(ListaPibes& lista, const Recorrido& recorrer)
{
    ListaPibes nueva;
    const ResultadoLectura r = recorrer([&nueva](const VistaRegistro& v) {
        nueva.push_back(PibeDe(v));
        return true;
    });
    if (r.estado != EstadoLectura::Fallo && r.estado != EstadoLectura::NoExiste) lista.swap(nueva);
    return r;
}

// Writes into a buffer already sized for everything: appending piece by
// piece to a string took half as long again, in capacity checks.
struct Escritor {
    char* p;
    void Poner(std::string_view t)
    {
        if (t.empty()) return;  // an empty view may hold no pointer at all
        std::memcpy(p, t.data(), t.size());
        p += t.size();
    }
    void Linea(std::string_view etiqueta, std::string_view texto)
    {
        Poner(etiqueta);
        Poner(texto);
        *p++ = '\r';
        *p++ = '\n';
    }
};

// The "CUM:" text into buf, which holds at least kMaxCumple characters.
constexpr std::size_t kMaxCumple = 32;
std::size_t FormatearCumpleEn(double valor, char* buf)
{
    // NaN or infinity would make the record unreadable on the next load; it
    // is no date anyway, so it is written as "no birthday".
    if (!std::isfinite(valor)) valor = 0;
    auto [fin, ec] = std::to_chars(buf, buf + kMaxCumple, valor, std::chars_format::general, 15);
    if (ec != std::errc()) return 0;
    for (char* c = buf; c != fin; ++c)
        if (*c == '.') *c = ',';
    return static_cast<std::size_t>(fin - buf);
}

}  // namespace

ResultadoLectura RecorrerAgenda(const std::string& ruta, const ReceptorRegistros& receptor)
{
    ResultadoLectura r;
    int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        int err = errno;
        if (err == ENOENT || err == ENOTDIR) {
            r.estado = EstadoLectura::NoExiste;
        } else {
            r.estado = EstadoLectura::Fallo;
            r.error = "No se pudo abrir el archivo " + ruta + ": " + std::strerror(err);
        }
        return r;
    }
    struct stat st;
    std::size_t tamano = ::fstat(fd, &st) == 0 && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
    // A small file gets a block no bigger than itself.
    LectorLineas lector(fd, std::clamp<std::size_t>(tamano + 1, 4096, kBloque));
    r = Recorrer(lector, receptor, ruta);
    ::close(fd);
    return r;
}

ResultadoLectura LeerAgenda(const std::string& ruta, ListaPibes& lista)
{
    return LeerEnLista(lista, [&ruta](const ReceptorRegistros& f) { return RecorrerAgenda(ruta, f); });
}

ResultadoLectura LeerAgendaDeDescriptor(int fd, std::size_t bloque, ListaPibes& lista)
{
    return LeerEnLista(lista, [fd, bloque](const ReceptorRegistros& f) {
        LectorLineas lector(fd, bloque);
        return Recorrer(lector, f, std::string());
    });
}

ResultadoLectura LeerAgendaDeTexto(std::string_view datos, ListaPibes& lista)
{
    return LeerEnLista(lista, [datos](const ReceptorRegistros& f) {
        LectorLineas lector(datos);
        return Recorrer(lector, f, std::string());
    });
}

namespace {

// Room one record takes: exactly, or at most (cheaper) with the birthday
// text counted at its longest.
std::size_t MedirPibe(const TPibe& p, bool exacta)
{
    constexpr std::size_t kLinea = 6;  // a tag of four and CR LF
    char cumple[kMaxCumple];
    std::size_t total = p.Nombre.size() + p.Ape1.size() + p.Ape2.size() + p.TfnoCasa.size() + p.TfnoMovil.size() +
                        p.EMail.size() + p.Grupo.size() + 7 * kLinea;
    total += kLinea + (exacta ? FormatearCumpleEn(p.Cumple, cumple) : kMaxCumple) + kLinea + 1 + 2 * kLinea;
    for (const auto& l : p.Direccion) total += kLinea + l.size();
    for (const auto& l : p.Varios) total += kLinea + l.size();
    return total;
}

// One record from p on; returns where it ends.
char* EscribirPibe(char* p, const TPibe& r)
{
    Escritor e{p};
    char cumple[kMaxCumple];
    e.Linea("NOM:", r.Nombre);
    e.Linea("AP1:", r.Ape1);
    e.Linea("AP2:", r.Ape2);
    e.Linea("TFC:", r.TfnoCasa);
    e.Linea("TFM:", r.TfnoMovil);
    e.Linea("EMA:", r.EMail);
    e.Linea("GRP:", r.Grupo);
    e.Linea("CUM:", std::string_view(cumple, FormatearCumpleEn(r.Cumple, cumple)));
    e.Linea(r.EnAvisal ? "AVS:1" : "AVS:0", {});
    for (const auto& l : r.Direccion) e.Linea("DIR:", l);
    e.Linea(kSeparador, {});
    for (const auto& l : r.Varios) e.Linea("VAR:", l);
    e.Linea(kSeparador, {});
    return e.p;
}

}  // namespace

std::string SerializarAgenda(const ListaPibes& lista)
{
    std::size_t cota = kCabecera.size() + kSeparador.size() + 2 * kFinLinea.size();
    for (const auto& p : lista) cota += MedirPibe(*p, false);
    std::string s(cota, '\0');
    Escritor e{s.data()};
    e.Linea(kCabecera, {});
    e.Linea(kSeparador, {});
    for (const auto& p : lista) e.p = EscribirPibe(e.p, *p);
    s.resize(static_cast<std::size_t>(e.p - s.data()));
    return s;
}

void AnadirRegistroAgenda(const TPibe& p, std::string& destino)
{
    const std::size_t antes = destino.size();
    destino.resize(antes + MedirPibe(p, false));
    destino.resize(static_cast<std::size_t>(EscribirPibe(destino.data() + antes, p) - destino.data()));
}

bool GuardarAgenda(const std::string& ruta, const ListaPibes& lista, std::string& error)
{
    // A block at a time, so a large book is never held twice in memory.
    return EscribirArchivoSeguro(
        ruta,
        [&lista](int fd) -> int {
            std::string buf;
            buf.reserve(kBloque + 4096);
            buf.append(kCabecera).append(kFinLinea).append(kSeparador).append(kFinLinea);
            for (const auto& p : lista) {
                AnadirRegistroAgenda(*p, buf);
                if (buf.size() >= kBloque) {
                    if (!EscribirTodo(fd, buf.data(), buf.size())) return errno != 0 ? errno : EIO;
                    buf.clear();
                }
            }
            if (!EscribirTodo(fd, buf.data(), buf.size())) return errno != 0 ? errno : EIO;
            return 0;
        },
        error);
}

std::string FormatearCumple(double valor)
{
    char buf[kMaxCumple];
    return std::string(buf, FormatearCumpleEn(valor, buf));
}

bool LeerCumple(std::string_view texto, double& valor)
{
    auto blanco = [](char c) { return c == ' ' || c == '\t'; };
    auto digito = [](char c) { return c >= '0' && c <= '9'; };
    while (!texto.empty() && blanco(texto.front())) texto.remove_prefix(1);
    while (!texto.empty() && blanco(texto.back())) texto.remove_suffix(1);

    // Nearly every birthday is a whole day count: up to 15 digits are exact
    // in a double, without the general parse below.
    {
        const bool menos = !texto.empty() && texto.front() == '-';
        const std::string_view cifras = texto.substr(menos ? 1 : 0);
        if (!cifras.empty() && cifras.size() <= 15) {
            std::int64_t v = 0;
            std::size_t k = 0;
            for (; k < cifras.size() && digito(cifras[k]); ++k) v = v * 10 + (cifras[k] - '0');
            // "-0" is left to from_chars, which keeps its sign.
            if (k == cifras.size() && !(menos && v == 0)) {
                valor = static_cast<double>(menos ? -v : v);
                return true;
            }
        }
    }

    // Checked here and rewritten for from_chars, which takes neither ','
    // nor a leading '+'.
    std::string limpio;
    limpio.reserve(texto.size());
    std::size_t i = 0;
    const std::size_t n = texto.size();
    if (i < n && (texto[i] == '+' || texto[i] == '-')) {
        if (texto[i] == '-') limpio += '-';
        ++i;
    }
    std::size_t digitos = 0;
    for (; i < n && digito(texto[i]); ++i, ++digitos) limpio += texto[i];
    if (i < n && (texto[i] == '.' || texto[i] == ',')) {
        limpio += '.';
        for (++i; i < n && digito(texto[i]); ++i, ++digitos) limpio += texto[i];
    }
    if (digitos == 0) return false;
    if (i < n && (texto[i] == 'e' || texto[i] == 'E')) {
        limpio += 'e';
        ++i;
        if (i < n && (texto[i] == '+' || texto[i] == '-')) {
            if (texto[i] == '-') limpio += '-';
            ++i;
        }
        std::size_t exp = 0;
        for (; i < n && digito(texto[i]); ++i, ++exp) limpio += texto[i];
        if (exp == 0) return false;
    }
    if (i != n) return false;
    double v = 0;
    auto [fin, ec] = std::from_chars(limpio.data(), limpio.data() + limpio.size(), v);
    if (ec != std::errc() || fin != limpio.data() + limpio.size() || !std::isfinite(v)) return false;
    valor = v;
    return true;
}

}  // namespace bindelora
