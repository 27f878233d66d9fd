#include "platform/autoarranque.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <pwd.h>
#include <unistd.h>

#include "core/archivo.h"

namespace bindelora {

namespace {

std::string Variable(const char* nombre)
{
    const char* v = std::getenv(nombre);
    return v ? std::string(v) : std::string();
}

std::string CarpetaConfiguracion()
{
    std::string base = Variable("XDG_CONFIG_HOME");
    // The XDG rules say a relative value is to be ignored.
    if (base.empty() || base.front() != '/') {
        std::string casa = Variable("HOME");
        if (casa.empty())
            if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) casa = pw->pw_dir;
        base = SinBarraFinal(casa) + "/.config";
    }
    return SinBarraFinal(base);
}

bool EsUtf8(const std::string& s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

// One argument of Exec, quoted as the launcher's are: the quoting escapes
// come first, then the escapes of any string value of the file, and a
// percent sign is no field code.
std::string ArgumentoExec(const std::string& s)
{
    std::string citado = "\"";
    for (char c : s) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') citado += '\\';
        citado += c;
    }
    citado += '"';
    std::string r;
    for (char c : citado) {
        if (c == '\\') r += '\\';
        else if (c == '%') r += '%';
        r += c;
    }
    return r;
}

}  // namespace

std::string RutaEntradaAutoarranque()
{
    return CarpetaConfiguracion() + "/autostart/com.quenturo.Bindelora.Avisos.desktop";
}

bool TextoEntradaAutoarranque(const std::string& programa, std::string& texto, std::string& error)
{
    for (char c : programa)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            error = "La ruta del programa tiene caracteres de control: no cabe en una entrada de inicio de sesi\xC3\xB3n.";
            return false;
        }
    if (!EsUtf8(programa)) {
        error = "La ruta del programa no est\xC3\xA1 en UTF-8: no cabe en una entrada de inicio de sesi\xC3\xB3n.";
        return false;
    }
    texto = "[Desktop Entry]\n"
            "Type=Application\n"
            "Version=1.4\n"
            "Name=Bindelora: avisos\n"
            "Comment=Avisa al iniciar la sesi\xC3\xB3n de los sucesos de hoy y de los pr\xC3\xB3ximos cumplea\xC3\xB1os\n"
            "Icon=com.quenturo.Bindelora\n"
            "Exec=" + ArgumentoExec(programa) + " --avisar\n"
            "Terminal=false\n"
            "NoDisplay=true\n"
            "X-GNOME-Autostart-enabled=true\n";
    return true;
}

bool AvisosAlIniciarActivos()
{
    return ExisteArchivo(RutaEntradaAutoarranque());
}

bool PonerAvisosAlIniciar(bool si, const std::string& programa, std::string& error)
{
    const std::string ruta = RutaEntradaAutoarranque();
    if (!si) {
        if (::unlink(ruta.c_str()) == 0 || errno == ENOENT) return true;
        error = "No se pudo quitar " + ruta + ": " + std::strerror(errno);
        return false;
    }
    std::string texto;
    if (!TextoEntradaAutoarranque(programa, texto, error)) return false;
    const std::filesystem::path carpeta = std::filesystem::path(ruta).parent_path();
    std::error_code ec;
    std::filesystem::create_directories(carpeta, ec);
    if (ec) {
        error = "No se pudo crear la carpeta " + carpeta.string() + ": " + ec.message();
        return false;
    }
    return EscribirArchivoSeguro(ruta, texto, error);
}

}  // namespace bindelora
