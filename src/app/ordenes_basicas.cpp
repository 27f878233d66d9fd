#include "ordenes_basicas.h"

#include <ctime>

#include <unistd.h>

#include "core/agenda.h"
#include "core/archivo.h"
#include "core/archivo_avisal.h"
#include "core/texto.h"
#include "platform/carpeta_datos.h"

namespace bindelora {

namespace {

constexpr std::string_view kAyuda =
    "Uso: bindelora [/LISTA | /DATOS | /CUMPLES | /AVISAL]\n"
    "     bindelora --exportar-vcard ARCHIVO [--vcard3]\n"
    "     bindelora --importar-vcard ARCHIVO\n"
    "     bindelora --exportar-ics ARCHIVO\n"
    "     bindelora --hoy [AAAA-MM-DD]\n"
    "     bindelora --avisar [AAAA-MM-DD]\n"
    "     bindelora --avisar-al-iniciar si|no\n"
    "     bindelora --sincronizar-en CARPETA\n"
    "     bindelora --help\n"
    "\n"
    "Sin opciones (o con una de las cuatro vistas) abre la ventana.\n"
    "\n"
    "  --exportar-vcard ARCHIVO  escribe la agenda entera en vCard 4.0 (3.0 con --vcard3)\n"
    "  --importar-vcard ARCHIVO  a\xC3\xB1" "ade a la agenda los contactos de un vCard (2.1, 3.0 o 4.0)\n"
    "                            que no estuvieran ya; resume lo hecho\n"
    "  --exportar-ics ARCHIVO    escribe los sucesos del Avisal en iCalendar\n"
    "  --hoy [AAAA-MM-DD]        escribe los sucesos de hoy (o de ese d\xC3\xAD" "a), uno por l\xC3\xAD" "nea\n"
    "  --avisar [AAAA-MM-DD]     avisa en el escritorio de los sucesos de hoy (o de ese d\xC3\xAD" "a)\n"
    "                            y de los cumplea\xC3\xB1os de los 7 d\xC3\xAD" "as siguientes; sin servicio\n"
    "                            de avisos, lo escribe en la salida est\xC3\xA1ndar\n"
    "  --avisar-al-iniciar si|no avisa as\xC3\xAD (o deja de hacerlo) al iniciar la sesi\xC3\xB3n\n"
    "  --sincronizar-en CARPETA  la carpeta de sincronizaci\xC3\xB3n; \"\" la desactiva\n"
    "  --help                    esta ayuda\n"
    "\n"
    "ARCHIVO puede ser - (la salida o la entrada est\xC3\xA1ndar).\n"
    "Los datos son los de la ventana: bindelora.dat y bindelora.avs junto al programa.\n"
    "C\xC3\xB3" "digos de salida: 0 bien, 1 error de datos o de archivo, 2 uso incorrecto.\n";

// A byte the terminal would act on rather than show: the C0 and C1
// controls (the bytes Windows-1252 leaves undefined become C1) and DEL.
bool EsControlTerminal(unsigned char c)
{
    return c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

std::string SinControles(std::string_view s, bool saltos)
{
    std::string r(s);
    for (char& c : r)
        if (EsControlTerminal(static_cast<unsigned char>(c)) && !(saltos && c == '\n')) c = '?';
    return r;
}

int ErrorUso(const std::string& que)
{
    std::fprintf(stderr, "bindelora: %s\nPruebe 'bindelora --help'.\n", que.c_str());
    return 2;
}

bool LeerFechaIso(std::string_view s, Fecha& f)
{
    if (s.size() != 10 || s[4] != '-' || s[7] != '-') return false;
    int a, m, d;
    if (!TextoAEntero(s.substr(0, 4), a) || !TextoAEntero(s.substr(5, 2), m) || !TextoAEntero(s.substr(8, 2), d))
        return false;
    if (!EsFechaValida(a, m, d)) return false;
    f = Fecha{a, m, d};
    return true;
}

}  // namespace

bool EsArchivoDeDatos(const std::string& ruta, const std::string& agenda, const std::string& avisal)
{
    return ruta != "-" && (MismoArchivo(ruta, agenda) || MismoArchivo(ruta, avisal));
}

int NoSobreDatos(const std::string& ruta)
{
    Decir(stderr, "bindelora: " + ruta +
                      " es un archivo de datos de Bindelora; la exportaci\xF3n no se escribe encima de \xE9l.");
    return 2;
}

int LeerOrden(int argc, char** argv, Orden& orden)
{
    if (argc < 2) return -1;
    const std::string_view modo = argv[1];
    if (modo != "--exportar-vcard" && modo != "--importar-vcard" && modo != "--exportar-ics" && modo != "--hoy" &&
        modo != "--avisar" && modo != "--avisar-al-iniciar" && modo != "--sincronizar-en" && modo != "--help")
        return -1;
    orden = Orden{std::string(modo), {}, false, {}};
    if (modo == "--help") return 0;
    for (int i = 2; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--vcard3" && modo == "--exportar-vcard") orden.vcard3 = true;
        else orden.resto.emplace_back(argv[i]);
    }
    if (modo == "--hoy" || modo == "--avisar") {
        if (orden.resto.size() > 1) return ErrorUso(orden.modo + " admite como mucho una fecha");
        if (orden.resto.size() == 1 && !LeerFechaIso(orden.resto[0], orden.fecha))
            return ErrorUso("la fecha de " + orden.modo + " debe ser AAAA-MM-DD y existir");
    } else if (modo == "--avisar-al-iniciar") {
        if (orden.resto.size() != 1 || (orden.resto[0] != "si" && orden.resto[0] != "s\xC3\xAD" && orden.resto[0] != "no"))
            return ErrorUso("--avisar-al-iniciar espera si o no");
    } else if (modo == "--sincronizar-en") {
        if (orden.resto.size() != 1) return ErrorUso("--sincronizar-en espera una carpeta (\"\" la desactiva)");
    } else {
        if (orden.resto.empty()) return ErrorUso(orden.modo + " necesita el nombre de un archivo");
        if (orden.resto.size() > 1) return ErrorUso("sobran argumentos");
    }
    return 0;
}

std::string_view TextoAyuda()
{
    return kAyuda;
}

void Escribir(std::FILE* f, std::string_view s)
{
    std::fwrite(s.data(), 1, s.size(), f);
}

void Decir(std::FILE* f, std::string_view cp1252)
{
    Escribir(f, Cp1252AUtf8(SinControles(cp1252, true)));
    Escribir(f, "\n");
}

std::string RutaEnMensaje(std::string_view ruta)
{
    return SinControles(Utf8ACp1252(ruta), false);
}

std::string RutaPropia(const char* argv0)
{
    char propia[4096];
    const ssize_t largo = ::readlink("/proc/self/exe", propia, sizeof propia - 1);
    return largo > 0 ? std::string(propia, static_cast<std::size_t>(largo)) : std::string(argv0 ? argv0 : "");
}

bool CargarLibro(const std::string& ruta, ListaPibes& lista, bool completa)
{
    const ResultadoLectura r = LeerAgenda(ruta, lista);
    if (r.estado == EstadoLectura::Fallo) {
        Decir(stderr, "bindelora: " + r.error);
        return false;
    }
    if (r.estado == EstadoLectura::Incompleta) {
        Decir(stderr, "bindelora: la agenda " + ruta + " est\xE1 da\xF1" "ada a partir del contacto " +
                          std::to_string(lista.size() + 1) +
                          (completa ? "; \xE1" "brala antes con Bindelora, que guarda una copia."
                                    : "; solo se usan los contactos anteriores."));
        return !completa;
    }
    return true;
}

bool CargarSucesos(const std::string& agenda, const std::string& avisal, const Fecha& hoy, ListaAvisales& avisales)
{
    const LecturaArchivoAvisal r = LeerArchivoAvisal(avisal, hoy, avisales);
    if (!r.Correcta()) {
        Decir(stderr, "bindelora: " + (r.error.empty() ? "el archivo de sucesos " + avisal + " est\xE1 da\xF1" "ado en la l\xED" "nea " +
                                                              std::to_string(r.resultado.lineaFallida)
                                                        : r.error));
        return false;
    }
    ListaPibes pibes;
    if (CargarLibro(agenda, pibes, false)) SincronizarCumples(pibes, avisales);
    return true;
}

Fecha HoyLocal()
{
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return Fecha{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

bool TextosHoy(const std::string& agenda, const std::string& avisal, const Fecha& hoy, std::vector<std::string>& textos)
{
    ListaAvisales avisales;
    if (!CargarSucesos(agenda, avisal, hoy, avisales)) return false;
    textos = TextosDeHoy(avisales, hoy);
    return true;
}

void DecirTextosHoy(const std::vector<std::string>& textos)
{
    std::string salida;
    for (const std::string& t : textos) {
        salida += Cp1252AUtf8(SinControles(t, false));
        salida += '\n';
    }
    Escribir(stdout, salida);
}

}  // namespace bindelora
