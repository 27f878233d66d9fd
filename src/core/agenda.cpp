#include "core/agenda.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/archivo.h"
#include "core/memoria.h"
#include "core/paralelo.h"

namespace bindelora {

namespace {

constexpr std::string_view kCabecera = "VER:2.1";
constexpr std::size_t kBloque = 1 << 20;
constexpr std::string_view kSeparador = "----";
constexpr std::string_view kFinLinea = "\r\n";

// Lines of bytes held in memory or read from a file a block at a time, so a
// large book never needs a second whole copy of the file in memory. A line
// ends at CR LF, LF or CR; the returned view lives until the next call.
class LectorLineas {
public:
    explicit LectorLineas(std::string_view datos)
        : p_(datos.data()), fin_(datos.data() + datos.size()), eof_(true)
    {
    }

    // bloque: the bytes asked for at each read; a line longer than that
    // grows the buffer.
    LectorLineas(int fd, std::size_t bloque)
        : fd_(fd), capacidad_(std::max<std::size_t>(bloque, 1)),
          buf_(std::make_unique_for_overwrite<char[]>(capacidad_))
    {
        p_ = fin_ = buf_.get();
    }

    // True when no byte is left after the last line break.
    bool AlFinal()
    {
        while (p_ == fin_ && !eof_) Rellenar();
        return p_ == fin_;
    }

    bool Siguiente(std::string_view& linea)
    {
        for (;;) {
            // The next LF is remembered: a file of CR-only lines would
            // otherwise have the rest of the window searched for every line.
            if (!lfValido_) {
                const void* lf = std::memchr(p_, '\n', static_cast<std::size_t>(fin_ - p_));
                lf_ = lf ? static_cast<const char*>(lf) : fin_;
                lfValido_ = true;
            }
            const void* cr = std::memchr(p_, '\r', static_cast<std::size_t>(lf_ - p_));
            const char* corte = cr ? static_cast<const char*>(cr) : lf_;
            if (corte < fin_) {
                // A CR at the window's edge may be the first half of CR LF.
                if (*corte == '\r' && corte + 1 == fin_ && !eof_) {
                    Rellenar();
                    continue;
                }
                linea = std::string_view(p_, static_cast<std::size_t>(corte - p_));
                p_ = corte + 1;
                if (*corte == '\r' && p_ < fin_ && *p_ == '\n') ++p_;
                if (lf_ < p_) lfValido_ = false;
                return true;
            }
            if (!eof_) {
                Rellenar();
                continue;
            }
            if (p_ == fin_) return false;
            // Last line without a line break.
            linea = std::string_view(p_, static_cast<std::size_t>(fin_ - p_));
            p_ = fin_;
            return true;
        }
    }

    // errno of a failed read, 0 when none failed.
    int Error() const { return error_; }

private:
    // Keeps the unread bytes, moved to the front, and reads after them. The
    // buffer only grows when a single line fills it.
    void Rellenar()
    {
        std::size_t resto = static_cast<std::size_t>(fin_ - p_);
        if (resto == capacidad_) {
            auto mayor = std::make_unique_for_overwrite<char[]>(capacidad_ * 2);
            std::memcpy(mayor.get(), p_, resto);
            buf_ = std::move(mayor);
            capacidad_ *= 2;
        } else if (p_ != buf_.get()) {
            std::memmove(buf_.get(), p_, resto);
        }
        p_ = buf_.get();
        fin_ = p_ + resto;
        lfValido_ = false;
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
    const char* p_ = nullptr;
    const char* fin_ = nullptr;
    const char* lf_ = nullptr;
    bool lfValido_ = false;
    bool eof_ = false;
    int error_ = 0;
};

// A line without its four-character tag, whatever the tag says.
std::string_view SinEtiqueta(std::string_view linea)
{
    return linea.size() > 4 ? linea.substr(4) : std::string_view();
}

// False when the record cannot be read: a bad birthday or the data ending
// before its two closing lines. primera, when given, is its first line,
// already taken from the reader.
bool LeerRegistro(LectorLineas& lector, TPibe& p, bool conAviso, const std::string* primera,
                  std::vector<std::string>& lineas)
{
    std::string_view linea;
    std::string* campos[7] = {&p.Nombre, &p.Ape1, &p.Ape2, &p.TfnoCasa, &p.TfnoMovil, &p.EMail, &p.Grupo};
    for (int i = 0; i < 7; ++i) {
        if (i == 0 && primera) {
            campos[0]->assign(SinEtiqueta(*primera));
            continue;
        }
        if (!lector.Siguiente(linea)) return false;
        campos[i]->assign(SinEtiqueta(linea));
    }
    if (!lector.Siguiente(linea) || !LeerCumple(SinEtiqueta(linea), p.Cumple)) return false;
    if (conAviso) {
        if (!lector.Siguiente(linea)) return false;
        p.EnAvisal = !(linea.size() >= 5 && linea[4] == '0');
    }
    // The lines are gathered first so each list is allocated once at its
    // exact size: growing it line by line wastes time and, worse, memory.
    for (auto* destino : {&p.Direccion, &p.Varios}) {
        lineas.clear();
        for (;;) {
            if (!lector.Siguiente(linea)) return false;
            if (linea == kSeparador) break;
            lineas.emplace_back(SinEtiqueta(linea));
        }
        destino->reserve(lineas.size());
        for (auto& l : lineas) destino->push_back(std::move(l));
    }
    return true;
}

// Reads into a list of its own and hands it over only at the end, so a read
// error halfway leaves the caller's book as it was.
ResultadoLectura Leer(LectorLineas& lector, ListaPibes& lista, const std::string& ruta)
{
    ResultadoLectura r;
    ListaPibes nueva;
    std::string_view linea;
    std::string primera;
    bool hayPrimera = false;
    r.estado = EstadoLectura::SinRegistros;
    if (lector.Siguiente(linea)) {
        bool actual = linea == kCabecera;
        r.formatoAntiguo = !actual;
        if (!actual) {
            // The earlier format has no header: this line starts the first record.
            primera.assign(linea);
            hayPrimera = true;
        }
        if (hayPrimera || (lector.Siguiente(linea) && !lector.AlFinal())) {
            r.estado = EstadoLectura::Completa;
            std::vector<std::string> lineas;
            do {
                auto p = std::make_unique<TPibe>();
                if (!LeerRegistro(lector, *p, actual, hayPrimera ? &primera : nullptr, lineas)) {
                    r.estado = EstadoLectura::Incompleta;
                    break;
                }
                hayPrimera = false;
                nueva.push_back(std::move(p));
            } while (!lector.AlFinal());
        }
    }
    if (lector.Error() != 0) {
        ResultadoLectura fallo;
        fallo.estado = EstadoLectura::Fallo;
        fallo.error = "No se pudo leer el archivo " + ruta + ": " + std::strerror(lector.Error());
        return fallo;
    }
    lista.swap(nueva);
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

ResultadoLectura LeerAgenda(const std::string& ruta, ListaPibes& lista)
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
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    // A loaded book takes a little under three times its file in memory.
    ReservaMemoria reserva(tamano / 4 * 11);
    // A small file gets a block no bigger than itself.
    LectorLineas lector(fd, std::clamp<std::size_t>(tamano + 1, 4096, kBloque));
    r = Leer(lector, lista, ruta);
    ::close(fd);
    return r;
}

ResultadoLectura LeerAgendaDeDescriptor(int fd, std::size_t bloque, ListaPibes& lista)
{
    LectorLineas lector(fd, bloque);
    return Leer(lector, lista, std::string());
}

ResultadoLectura LeerAgendaDeTexto(std::string_view datos, ListaPibes& lista)
{
    LectorLineas lector(datos);
    return Leer(lector, lista, std::string());
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

// The records of a book to write, whatever holds them: Cota(i) bytes at
// most, Medida(i) exactly, Escribir(p, i) returning where record i ends.
struct RegistrosDeLista {
    const ListaPibes& lista;
    std::size_t Total() const { return lista.size(); }
    std::size_t Cota(std::size_t i) const { return MedirPibe(*lista[i], false); }
    std::size_t Medida(std::size_t i) const { return MedirPibe(*lista[i], true); }
    char* Escribir(char* p, std::size_t i) const { return EscribirPibe(p, *lista[i]); }
};

struct RegistrosSueltos {
    const std::vector<RegistroAgenda>& registros;
    std::size_t Total() const { return registros.size(); }
    std::size_t Cota(std::size_t i) const
    {
        return registros[i].pibe ? MedirPibe(*registros[i].pibe, false) : registros[i].texto.size();
    }
    std::size_t Medida(std::size_t i) const
    {
        return registros[i].pibe ? MedirPibe(*registros[i].pibe, true) : registros[i].texto.size();
    }
    char* Escribir(char* p, std::size_t i) const
    {
        if (registros[i].pibe) return EscribirPibe(p, *registros[i].pibe);
        Escritor e{p};
        e.Poner(registros[i].texto);
        return e.p;
    }
};

// From this many contacts on, a book is written in two halves at once.
constexpr std::size_t kParaleloAgenda = 20000;

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

namespace {

constexpr off_t kEnvio = 4 << 20;

// Writes the records [desde, hasta), after cabecera, into fd from byte
// posicion on, through a buffer of its own; 0 or the errno of the failure.
template <class Registros>
int VolcarRegistros(int fd, off_t posicion, std::string_view cabecera, const Registros& registros, std::size_t desde,
                    std::size_t hasta, off_t& fin)
{
    std::vector<char> buf(kBloque);
    char* p = buf.data();
    // What is written goes to the disk every few megabytes, while the rest
    // is still being made: the fsync at the end then has less to wait for.
    off_t enviado = posicion;
    bool enviar = true;
    auto vaciar = [&]() -> int {
        for (const char* q = buf.data(); q < p;) {
            const ssize_t w = ::pwrite(fd, q, static_cast<std::size_t>(p - q), posicion);
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) return errno;
            q += w;
            posicion += w;
        }
        p = buf.data();
        if (enviar && posicion - enviado >= kEnvio) {
            enviar = ::sync_file_range(fd, enviado, posicion - enviado, SYNC_FILE_RANGE_WRITE) == 0;
            enviado = posicion;
        }
        return 0;
    };
    Escritor e{p};
    e.Poner(cabecera);  // a few bytes
    p = e.p;
    for (std::size_t i = desde; i < hasta; ++i) {
        const std::size_t cota = registros.Cota(i);
        if (static_cast<std::size_t>(buf.data() + buf.size() - p) < cota) {
            if (const int err = vaciar(); err != 0) return err;
            if (cota > buf.size()) {
                buf.resize(cota);
                p = buf.data();
            }
        }
        p = registros.Escribir(p, i);
    }
    const int err = vaciar();
    fin = posicion;
    return err;
}

// The agenda file written into fd as SerializarAgenda has it, without the
// whole text in memory: a large book is written in two halves at once, the
// second from where the first will end.
template <class Registros>
int VolcarAgenda(int fd, const Registros& registros)
{
    std::string cabecera;
    cabecera.append(kCabecera).append(kFinLinea).append(kSeparador).append(kFinLinea);
    const std::size_t n = registros.Total();
    const std::size_t mitad = n >= kParaleloAgenda ? n / 2 : n;
    off_t inicio2 = 0, fin1 = 0, fin2 = 0;
    int err2 = 0;
    std::thread segunda;
    if (mitad < n)
        segunda = EnOtroHilo([&] {
            std::size_t antes = cabecera.size();
            for (std::size_t i = 0; i < mitad; ++i) antes += registros.Medida(i);
            inicio2 = static_cast<off_t>(antes);
            err2 = VolcarRegistros(fd, inicio2, {}, registros, mitad, n, fin2);
        });
    int err = VolcarRegistros(fd, 0, cabecera, registros, 0, mitad, fin1);
    if (mitad < n) {
        if (segunda.joinable()) segunda.join();
        if (err == 0) err = err2;
        // Never expected: the halves would not meet, so all is written again
        // in one go rather than leave a gap or an overlap in the file.
        if (err == 0 && fin1 != inicio2) {
            if (::ftruncate(fd, 0) != 0) return errno;
            err = VolcarRegistros(fd, 0, cabecera, registros, 0, n, fin1);
        }
    }
    return err;
}

}  // namespace

bool GuardarAgenda(const std::string& ruta, const ListaPibes& lista, std::string& error)
{
    return EscribirArchivoSeguro(ruta, [&lista](int fd) { return VolcarAgenda(fd, RegistrosDeLista{lista}); }, error);
}

bool GuardarAgenda(const std::string& ruta, const std::vector<RegistroAgenda>& registros, std::string& error)
{
    return EscribirArchivoSeguro(
        ruta, [&registros](int fd) { return VolcarAgenda(fd, RegistrosSueltos{registros}); }, error);
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
