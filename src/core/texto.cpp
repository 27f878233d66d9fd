#include "core/texto.h"

#include <charconv>
#include <climits>

namespace bindelora {

const std::array<const char*, 13> NombresMes = {
    "", "Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio",
    "Julio", "Agosto", "Septiembre", "Octubre", "Noviembre", "Diciembre"};
const std::array<const char*, 13> NombresMesCortos = {
    "", "Ene", "Feb", "Mar", "Abr", "May", "Jun", "Jul", "Ago", "Sep", "Oct", "Nov", "Dic"};

namespace {

// One table per fold mode, built once: normalising is on the hot path of
// every ordering.
struct TablaNormalizar {
    unsigned char t[2][256];
    TablaNormalizar()
    {
        for (int fold = 0; fold < 2; ++fold) {
            for (int c = 0; c < 256; ++c) {
                unsigned char r = static_cast<unsigned char>(c);
                if (c >= 'a' && c <= 'z') r = static_cast<unsigned char>(c - 'a' + 'A');
                switch (c) {
                case 193: case 225: r = 'A'; break;
                case 201: case 233: r = 'E'; break;
                case 205: case 237: r = 'I'; break;
                case 211: case 243: r = 'O'; break;
                case 218: case 250: r = 'U'; break;
                case 209: case 241: r = fold ? 'N' : 209; break;
                default: break;
                }
                t[fold][c] = r;
            }
        }
    }
};
const TablaNormalizar tablaNormalizar;

// Code points of 0x80..0x9F; the five undefined bytes map to the C1 controls
// of the same value, as Windows does.
const char32_t kAltos[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AnadirUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char CodigoACp1252(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kAltos[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

}  // namespace

std::string NormalizarTexto(std::string_view s, bool foldN)
{
    const unsigned char* t = tablaNormalizar.t[foldN ? 1 : 0];
    std::string r(s.size(), '\0');
    for (std::size_t i = 0; i < s.size(); ++i)
        r[i] = static_cast<char>(t[static_cast<unsigned char>(s[i])]);
    return r;
}

char NormalizarCaracter(char c, bool foldN)
{
    return static_cast<char>(tablaNormalizar.t[foldN ? 1 : 0][static_cast<unsigned char>(c)]);
}

bool EsNumero(std::string_view s)
{
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

int MesDeTexto(std::string_view s)
{
    static const char* const kMeses[12] = {"ENE", "FEB", "MAR", "ABR", "MAY", "JUN",
                                           "JUL", "AGO", "SEP", "OCT", "NOV", "DIC"};
    if (s.size() < 3) return 0;
    char p[3];
    for (int i = 0; i < 3; ++i) {
        char c = s[i];
        p[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    for (int m = 0; m < 12; ++m)
        if (p[0] == kMeses[m][0] && p[1] == kMeses[m][1] && p[2] == kMeses[m][2]) return m + 1;
    return 0;
}

std::string RellenarConCeros(long long n, int w)
{
    std::string s = std::to_string(n);
    if (static_cast<int>(s.size()) < w) s.insert(0, static_cast<std::size_t>(w) - s.size(), '0');
    return s;
}

bool TextoAEntero(std::string_view s, int& valor)
{
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;  // leading blanks are allowed, trailing ones are not
    if (i < s.size() && s[i] == '+') {
        ++i;
        if (i < s.size() && s[i] == '-') return false;  // one sign only
    }
    if (i >= s.size()) return false;
    long long v = 0;
    auto [p, ec] = std::from_chars(s.data() + i, s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size()) return false;
    if (v < INT_MIN || v > INT_MAX) return false;
    valor = static_cast<int>(v);
    return true;
}

char32_t Cp1252ACodigo(unsigned char c)
{
    return (c >= 0x80 && c < 0xA0) ? kAltos[c - 0x80] : static_cast<char32_t>(c);
}

std::string Cp1252AUtf8(std::string_view s)
{
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    for (char c : s) AnadirUtf8(out, Cp1252ACodigo(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ACp1252(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        int n;
        char32_t cp;
        if ((c & 0xE0) == 0xC0) { n = 1; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { n = 2; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { n = 3; cp = c & 0x07; }
        else { out += '?'; ++i; continue; }
        bool bien = i + n < s.size();
        for (int k = 1; bien && k <= n; ++k) {
            unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) bien = false;
            else cp = (cp << 6) | (d & 0x3F);
        }
        if (!bien) { out += '?'; ++i; continue; }
        out += CodigoACp1252(cp);
        i += static_cast<std::size_t>(n) + 1;
    }
    return out;
}

}  // namespace bindelora
