#include "platform/registro.h"

#include "core/archivo.h"
#include "core/texto.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include <pwd.h>
#include <unistd.h>

namespace bindelora {

namespace {

constexpr std::string_view kClave = "HKEY_LOCAL_MACHINE\\Software\\Quenturo\\Bindelora";
constexpr std::string_view kCabecera = "REGEDIT4";
// Files written by newer regedit versions carry this header instead.
constexpr std::string_view kCabeceraNueva = "Windows Registry Editor Version 5.00";
// A settings file this big is not one of ours; refuse rather than load it.
constexpr std::size_t kTamanoMaximo = 64 * 1024 * 1024;

// ---------------------------------------------------------------- text

// Windows compares value names ignoring case, including the accented
// capitals of its code page.
unsigned char Minuscula(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<unsigned char>(c + 32);
    if (c == 0x8A || c == 0x8C || c == 0x8E)  // Š Œ Ž
        return static_cast<unsigned char>(c + 16);
    if (c == 0x9F)  // Ÿ
        return 0xFF;
    return c;
}

bool IgualesSinCaso(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Minuscula(static_cast<unsigned char>(a[i])) != Minuscula(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool EsBlanco(char c) { return c == ' ' || c == '\t'; }

std::string_view SinBlancosIzquierda(std::string_view s)
{
    while (!s.empty() && EsBlanco(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view Recortar(std::string_view s)
{
    s = SinBlancosIzquierda(s);
    while (!s.empty() && EsBlanco(s.back()))
        s.remove_suffix(1);
    return s;
}

bool EsCabecera(std::string_view linea)
{
    const std::string_view s = Recortar(linea);
    return IgualesSinCaso(s, kCabecera) || IgualesSinCaso(s, kCabeceraNueva);
}

// Any line opening with '[' starts a key section, ours or not.
bool EsSeccion(std::string_view linea)
{
    const std::string_view s = SinBlancosIzquierda(linea);
    return !s.empty() && s.front() == '[';
}

bool EsNuestraClave(std::string_view linea)
{
    const std::string_view s = Recortar(linea);
    return s.size() >= 2 && s.front() == '[' && s.back() == ']' &&
           IgualesSinCaso(s.substr(1, s.size() - 2), kClave);
}

// Reads a quoted text that opens at s[0]; returns the characters used, or
// npos when the closing quote is missing. Only \\ and \" are escapes: any
// other backslash is taken literally, as regedit does.
size_t LeerEntrecomillado(std::string_view s, std::string& salida)
{
    salida.clear();
    for (size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            salida += s[++i];
        } else if (c == '"') {
            return i + 1;
        } else {
            salida += c;
        }
    }
    return std::string_view::npos;
}

std::string Entrecomillar(std::string_view s)
{
    std::string r;
    r.reserve(s.size() + 2);
    r += '"';
    for (const char c : s) {
        if (c == '\\' || c == '"')
            r += '\\';
        r += c;
    }
    r += '"';
    return r;
}

// Splits a value line `"Name"=data` (or `@=data`, the unnamed value) into
// its name and the raw data. False for any other line.
bool SepararValor(std::string_view linea, std::string& nombre, std::string_view& datos)
{
    std::string_view s = SinBlancosIzquierda(linea);
    if (s.empty())
        return false;
    size_t i = 0;
    if (s.front() == '@') {
        nombre.clear();
        i = 1;
    } else if (s.front() == '"') {
        i = LeerEntrecomillado(s, nombre);
        if (i == std::string_view::npos)
            return false;
    } else {
        return false;
    }
    while (i < s.size() && EsBlanco(s[i]))
        ++i;
    if (i >= s.size() || s[i] != '=')
        return false;
    datos = SinBlancosIzquierda(s.substr(i + 1));
    return true;
}

bool EsHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

ValorRegistro InterpretarValor(std::string_view datos)
{
    if (!datos.empty() && datos.front() == '"') {
        std::string texto;
        const size_t usados = LeerEntrecomillado(datos, texto);
        if (usados != std::string_view::npos && Recortar(datos.substr(usados)).empty())
            return texto;
    } else if (datos.size() > 6 && IgualesSinCaso(datos.substr(0, 6), "dword:")) {
        const std::string_view hex = Recortar(datos.substr(6));
        bool valido = !hex.empty() && hex.size() <= 8;
        for (const char c : hex)
            valido = valido && EsHex(c);
        std::uint32_t n = 0;
        if (valido && std::from_chars(hex.data(), hex.data() + hex.size(), n, 16).ec == std::errc())
            return n;
    }
    // Binary, expandable, multi-string, deletions and anything malformed:
    // kept verbatim so that it is written back untouched.
    return OtroValor{std::string(datos)};
}

bool ContinuaEnSiguiente(std::string_view fisica)
{
    const std::string_view s = Recortar(fisica);
    return !s.empty() && s.back() == '\\';
}

// A non-string value whose last line ends in a backslash swallows the line
// after it when read back.
bool DejaAbierta(std::string_view linea)
{
    std::string nombre;
    std::string_view datos;
    return SepararValor(linea, nombre, datos) && !datos.empty() && datos.front() != '"' &&
           ContinuaEnSiguiente(linea);
}

// Lines of the file, LF or CR LF. regedit splits long hex data over lines
// ending in a backslash; such a value is kept as one entry so that it can be
// replaced or preserved whole.
std::vector<std::string> DividirLineas(const std::string& datos)
{
    std::vector<std::string> fisicas;
    size_t inicio = 0;
    while (inicio < datos.size()) {
        size_t fin = datos.find('\n', inicio);
        if (fin == std::string::npos)
            fin = datos.size();
        size_t largo = fin - inicio;
        if (largo > 0 && datos[inicio + largo - 1] == '\r')
            --largo;
        fisicas.emplace_back(datos, inicio, largo);
        inicio = fin + 1;
    }

    std::vector<std::string> logicas;
    logicas.reserve(fisicas.size());
    for (size_t i = 0; i < fisicas.size(); ++i) {
        std::string linea = std::move(fisicas[i]);
        // A quoted string never continues: one ending in "\\" is complete.
        if (DejaAbierta(linea)) {
            bool sigue = true;
            while (sigue && i + 1 < fisicas.size()) {
                sigue = ContinuaEnSiguiente(fisicas[i + 1]);
                linea += "\r\n";
                linea += fisicas[++i];
            }
        }
        logicas.push_back(std::move(linea));
    }
    return logicas;
}

// ---------------------------------------------------------------- files

// The store's text is Windows-1252; paths and the core's reasons are UTF-8.
std::string ErrorLectura(const std::string& ruta, const std::string& motivo)
{
    return "No se pudo leer la configuraci\xF3n de " + Utf8ACp1252(ruta) + ": " + motivo;
}

std::string ErrorEscritura(const std::string& ruta, const std::string& motivo)
{
    return "No se pudo guardar la configuraci\xF3n en " + Utf8ACp1252(ruta) + ": " + motivo;
}

std::string Motivo(int err) { return Utf8ACp1252(DescribirError(err)); }

// The folder is made on the first save.
int GuardarArchivo(const std::string& ruta, const std::string& datos)
{
    const std::filesystem::path carpeta = std::filesystem::path(ruta).parent_path();
    if (!carpeta.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(carpeta, ec);
        if (ec) return ec.value();
    }
    return EscrituraSegura(ruta, [&datos](int fd) { return EscribirTodo(fd, datos.data(), datos.size()) ? 0 : errno; });
}

// What saves cut short by a crash left beside the store: those of the safe
// write, and "<file>.<pid>.<n>.tmp" of the versions that wrote their own.
void QuitarTemporalesHuerfanos(const std::string& ruta)
{
    LimpiarTemporales(ruta);
    const std::filesystem::path camino(ruta);
    const std::string prefijo = camino.filename().string() + ".";
    constexpr std::string_view kFin = ".tmp";
    QuitarDeProcesosTerminados(camino.parent_path().string(), [&](std::string_view nombre) -> long {
        if (nombre.size() <= prefijo.size() + kFin.size() || nombre.substr(0, prefijo.size()) != prefijo ||
            nombre.substr(nombre.size() - kFin.size()) != kFin)
            return -1;
        const std::string_view medio = nombre.substr(prefijo.size(), nombre.size() - prefijo.size() - kFin.size());
        const std::size_t punto = medio.find('.');
        if (punto == std::string_view::npos || !SoloDigitos(medio.substr(0, punto)) ||
            !SoloDigitos(medio.substr(punto + 1)))
            return -1;
        return std::stol(std::string(medio.substr(0, punto)));
    });
}

enum class ResultadoLeer { Ok, NoExiste, Error };

ResultadoLeer LeerArchivo(const std::string& ruta, std::string& datos, std::string& motivo)
{
    int err = 0;
    if (LeerArchivoEntero(ruta, datos, err, kTamanoMaximo)) return ResultadoLeer::Ok;
    datos.clear();
    // ENOTDIR: a file stands where a folder of the path should; then ours
    // cannot exist either, and saving will report the real problem.
    if (err == ENOENT || err == ENOTDIR) return ResultadoLeer::NoExiste;
    motivo = Motivo(err);
    return ResultadoLeer::Error;
}

std::string Carpeta(const char* variable)
{
    const char* v = std::getenv(variable);
    return v ? std::string(v) : std::string();
}

// ---------------------------------------------------------------- memory

std::map<std::string, ValorRegistro>::iterator BuscarEnMapa(std::map<std::string, ValorRegistro>& m,
                                                             const std::string& nombre)
{
    auto it = m.find(nombre);
    if (it != m.end())
        return it;
    for (it = m.begin(); it != m.end(); ++it)
        if (IgualesSinCaso(it->first, nombre))
            return it;
    return m.end();
}

}  // namespace

// ==================================================================== Registro

// ============================================================ RegistroMemoria

bool RegistroMemoria::AbrirClave(bool crear)
{
    if (fallar)
        return false;
    if (crear)
        existe = true;
    return existe;
}

namespace {

// The value as T, or OtroTipo when the store holds another type.
template <class T>
LecturaRegistro ComoTipo(const ValorRegistro* v, T& valor)
{
    if (!v)
        return LecturaRegistro::Falta;
    const T* p = std::get_if<T>(v);
    if (!p)
        return LecturaRegistro::OtroTipo;
    valor = *p;
    return LecturaRegistro::Ok;
}

}  // namespace

const ValorRegistro* RegistroMemoria::Buscar(const std::string& nombre)
{
    if (fallar)
        return nullptr;
    const auto it = BuscarEnMapa(valores, nombre);
    return it == valores.end() ? nullptr : &it->second;
}

LecturaRegistro RegistroMemoria::LeerCadena(const std::string& nombre, std::string& valor)
{
    return ComoTipo(Buscar(nombre), valor);
}

LecturaRegistro RegistroMemoria::LeerEntero(const std::string& nombre, std::uint32_t& valor)
{
    return ComoTipo(Buscar(nombre), valor);
}

bool RegistroMemoria::Poner(const std::string& nombre, ValorRegistro valor)
{
    if (fallar)
        return false;
    const auto it = BuscarEnMapa(valores, nombre);
    (it == valores.end() ? valores[nombre] : it->second) = std::move(valor);
    existe = true;
    return true;
}

bool RegistroMemoria::EscribirCadena(const std::string& nombre, const std::string& valor)
{
    return Poner(nombre, valor);
}

bool RegistroMemoria::EscribirEntero(const std::string& nombre, std::uint32_t valor)
{
    return Poner(nombre, valor);
}

// ============================================================ RegistroArchivo

RegistroArchivo::RegistroArchivo() : ruta_(RutaPorDefecto()) {}

RegistroArchivo::RegistroArchivo(std::string ruta) : ruta_(std::move(ruta)) {}

std::string RegistroArchivo::RutaPorDefecto()
{
    std::string base = Carpeta("XDG_CONFIG_HOME");
    // The XDG rules say a relative value is to be ignored.
    if (base.empty() || base.front() != '/') {
        std::string casa = Carpeta("HOME");
        if (casa.empty()) {
            if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
                casa = pw->pw_dir;
        }
        base = SinBarraFinal(casa) + "/.config";
    }
    return SinBarraFinal(base) + "/Quenturo/Bindelora.reg";
}

void RegistroArchivo::CargarTexto(const std::string& datos)
{
    lineas_ = DividirLineas(datos);
    cargado_ = true;
}

std::string RegistroArchivo::Texto() const
{
    std::string datos;
    for (const std::string& linea : lineas_) {
        datos += linea;
        datos += "\r\n";
    }
    return datos;
}

bool RegistroArchivo::Cargar()
{
    if (ruta_.empty()) {
        cargado_ = true;
        return true;
    }
    lineas_.clear();
    cargado_ = false;
    if (!limpiado_) {
        limpiado_ = true;
        QuitarTemporalesHuerfanos(ruta_);
    }
    std::string datos, motivo;
    switch (LeerArchivo(ruta_, datos, motivo)) {
    case ResultadoLeer::Error:
        error_ = ErrorLectura(ruta_, motivo);
        return false;
    case ResultadoLeer::NoExiste:
        break;
    case ResultadoLeer::Ok:
        lineas_ = DividirLineas(datos);
        break;
    }
    cargado_ = true;
    return true;
}

bool RegistroArchivo::Guardar()
{
    if (lineas_.empty() || !EsCabecera(lineas_.front()))
        lineas_.insert(lineas_.begin(), {std::string(kCabecera), std::string()});
    if (ruta_.empty())
        return true;
    if (const int err = GuardarArchivo(ruta_, Texto()); err != 0) {
        error_ = ErrorEscritura(ruta_, Motivo(err));
        return false;
    }
    return true;
}

long RegistroArchivo::InicioClave() const
{
    for (size_t i = 0; i < lineas_.size(); ++i)
        if (EsNuestraClave(lineas_[i]))
            return static_cast<long>(i);
    return -1;
}

long RegistroArchivo::BuscarValor(const std::string& nombre) const
{
    // regedit applies the lines in order, so a repeated name (or a repeated
    // section) ends with its last occurrence.
    long encontrada = -1;
    bool enNuestra = false;
    std::string leido;
    std::string_view datos;
    for (size_t i = 0; i < lineas_.size(); ++i) {
        if (EsSeccion(lineas_[i]))
            enNuestra = EsNuestraClave(lineas_[i]);
        else if (enNuestra && SepararValor(lineas_[i], leido, datos) && IgualesSinCaso(leido, nombre))
            encontrada = static_cast<long>(i);
    }
    return encontrada;
}

void RegistroArchivo::CrearClave()
{
    if (!lineas_.empty() && !Recortar(lineas_.back()).empty())
        lineas_.emplace_back();
    lineas_.emplace_back("[" + std::string(kClave) + "]");
    lineas_.emplace_back();
}

bool RegistroArchivo::AbrirClave(bool crear)
{
    error_.clear();
    if (!Cargar())
        return false;
    if (InicioClave() >= 0)
        return true;
    if (!crear)
        return false;
    const std::vector<std::string> antes = lineas_;
    CrearClave();
    if (!Guardar()) {
        lineas_ = antes;
        return false;
    }
    return true;
}

LecturaRegistro RegistroArchivo::Leer(const std::string& nombre, ValorRegistro& valor)
{
    error_.clear();
    const long i = BuscarValor(nombre);
    if (i < 0)
        return LecturaRegistro::Falta;
    std::string leido;
    std::string_view datos;
    SepararValor(lineas_[static_cast<size_t>(i)], leido, datos);
    valor = InterpretarValor(datos);
    return LecturaRegistro::Ok;
}

LecturaRegistro RegistroArchivo::LeerCadena(const std::string& nombre, std::string& valor)
{
    ValorRegistro v;
    return Leer(nombre, v) == LecturaRegistro::Ok ? ComoTipo(&v, valor) : LecturaRegistro::Falta;
}

LecturaRegistro RegistroArchivo::LeerEntero(const std::string& nombre, std::uint32_t& valor)
{
    ValorRegistro v;
    return Leer(nombre, v) == LecturaRegistro::Ok ? ComoTipo(&v, valor) : LecturaRegistro::Falta;
}

bool RegistroArchivo::Escribir(const std::string& nombre, const std::string& valorTexto)
{
    error_.clear();
    // A line break would split the entry and corrupt the file.
    if (nombre.find_first_of("\r\n") != std::string::npos) {
        error_ = ErrorEscritura(ruta_, "el nombre del valor contiene un salto de l\xEDnea");
        return false;
    }
    // Writing to a file that could not be read would wipe it; retry instead.
    if (!cargado_ && !Cargar())
        return false;

    const std::vector<std::string> antes = lineas_;
    if (InicioClave() < 0)
        CrearClave();
    const long existente = BuscarValor(nombre);
    if (existente >= 0) {
        // Windows keeps the case the name was first written with.
        std::string escrito;
        std::string_view datos;
        SepararValor(lineas_[static_cast<size_t>(existente)], escrito, datos);
        lineas_[static_cast<size_t>(existente)] =
            (escrito.empty() ? std::string("@") : Entrecomillar(escrito)) + "=" + valorTexto;
    } else {
        // After the section's last non-blank line, so its closing blank line
        // stays last.
        size_t pos = static_cast<size_t>(InicioClave()) + 1;
        for (size_t i = pos; i < lineas_.size() && !EsSeccion(lineas_[i]); ++i)
            if (!Recortar(lineas_[i]).empty())
                pos = i + 1;
        // A blank line closes a continuation left dangling at the end of
        // the file, which would otherwise take the new value in.
        if (DejaAbierta(lineas_[pos - 1]))
            lineas_.insert(lineas_.begin() + static_cast<long>(pos++), std::string());
        lineas_.insert(lineas_.begin() + static_cast<long>(pos),
                       (nombre.empty() ? std::string("@") : Entrecomillar(nombre)) + "=" + valorTexto);
        if (pos + 1 == lineas_.size() || EsSeccion(lineas_[pos + 1]))
            lineas_.insert(lineas_.begin() + static_cast<long>(pos) + 1, std::string());
    }

    if (!Guardar()) {
        lineas_ = antes;
        return false;
    }
    return true;
}

bool RegistroArchivo::EscribirCadena(const std::string& nombre, const std::string& valor)
{
    if (valor.find_first_of("\r\n") != std::string::npos) {
        error_ = ErrorEscritura(ruta_, "el valor contiene un salto de l\xEDnea");
        return false;
    }
    return Escribir(nombre, Entrecomillar(valor));
}

bool RegistroArchivo::EscribirEntero(const std::string& nombre, std::uint32_t valor)
{
    static const char kDigitos[] = "0123456789abcdef";
    std::string texto = "dword:00000000";
    for (int i = 0; i < 8; ++i)
        texto[13 - static_cast<size_t>(i)] = kDigitos[(valor >> (4 * i)) & 0xF];
    return Escribir(nombre, texto);
}

}  // namespace bindelora
