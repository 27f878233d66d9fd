#include "core/busqueda.h"

#include "core/fecha.h"
#include "core/texto.h"

namespace bindelora {

namespace {

constexpr int kNingunMes = 666;  // the form's mark for "any"

int LeerCampoCumple(std::string_view s)
{
    if (s.empty()) return CumpleBuscado::kNada;
    int valor = 0;
    if (EsNumero(s)) {
        // Digits only, so a failed conversion can only be a number too big.
        if (!TextoAEntero(s, valor)) return CumpleBuscado::kImposible;
    } else {
        valor = MesDeTexto(s);
        if (valor == 0) return CumpleBuscado::kNada;
    }
    return valor == kNingunMes ? CumpleBuscado::kNada : valor;
}

bool Cumple(int buscado, int parte)
{
    return buscado == CumpleBuscado::kNada || buscado == parte;
}

// NormalizarTexto one character at a time, so that a field is compared in
// its normal form without building that form.
struct Tabla {
    unsigned char t[2][256];
    Tabla()
    {
        for (int c = 0; c < 256; ++c) {
            const std::string uno(1, static_cast<char>(c));
            t[0][c] = static_cast<unsigned char>(NormalizarTexto(uno, false)[0]);
            t[1][c] = static_cast<unsigned char>(NormalizarTexto(uno, true)[0]);
        }
    }
};
// Built on first use: the table behind NormalizarTexto is itself a static
// of another file.
const Tabla& LaTabla()
{
    static const Tabla tabla;
    return tabla;
}

// True when the normalised pattern occurs in the normal form of texto.
bool ContieneNormalizado(std::string_view texto, std::string_view normalizado, bool foldN)
{
    const std::size_t m = normalizado.size();
    if (m == 0 || texto.size() < m) return false;
    const unsigned char* t = LaTabla().t[foldN ? 1 : 0];
    const auto primero = static_cast<unsigned char>(normalizado[0]);
    for (std::size_t i = 0; i + m <= texto.size(); ++i) {
        if (t[static_cast<unsigned char>(texto[i])] != primero) continue;
        std::size_t k = 1;
        while (k < m && t[static_cast<unsigned char>(texto[i + k])] == static_cast<unsigned char>(normalizado[k])) ++k;
        if (k == m) return true;
    }
    return false;
}

std::string TextoDeLineas(const std::vector<std::string>& lineas)
{
    std::size_t total = 0;
    for (const std::string& l : lineas) total += l.size() + 2;
    std::string t;
    t.reserve(total);
    for (const std::string& l : lineas) {
        t += NormalizarTexto(l, false);
        t += "\r\n";
    }
    return t;
}

bool LineasContienen(const std::vector<std::string>& lineas, std::string_view normalizado)
{
    if (normalizado.empty() || lineas.empty()) return false;
    // A pattern without line breaks can only match inside one line.
    if (normalizado.find_first_of("\r\n") == std::string_view::npos) {
        for (const std::string& l : lineas)
            if (ContieneNormalizado(l, normalizado, false)) return true;
        return false;
    }
    return TextoDeLineas(lineas).find(normalizado) != std::string::npos;
}

bool CampoContiene(const std::string& campo, std::string_view normalizado, bool foldN)
{
    return ContieneNormalizado(campo, normalizado, foldN);
}

}  // namespace

std::string QuitarEspacios(std::string_view s)
{
    std::string r;
    r.reserve(s.size());
    for (char c : s)
        if (c != ' ') r += c;
    return r;
}

bool Contiene(std::string_view texto, std::string_view patron)
{
    return !patron.empty() && texto.find(patron) != std::string_view::npos;
}

bool CoincideTelefono(std::string_view patron, std::string_view telefono)
{
    return Contiene(QuitarEspacios(telefono), QuitarEspacios(patron));
}

bool CoincideLineas(std::string_view patron, const std::vector<std::string>& lineas)
{
    return LineasContienen(lineas, NormalizarTexto(patron, false));
}

CumpleBuscado LeerCumpleBuscado(std::string_view dia, std::string_view mes, std::string_view ano)
{
    CumpleBuscado b;
    b.dia = LeerCampoCumple(dia);
    b.mes = LeerCampoCumple(mes);
    b.ano = LeerCampoCumple(ano);
    return b;
}

bool CoincideCumple(double cumple, const CumpleBuscado& buscado)
{
    Fecha f;
    if (cumple == 0 || !DecodificarFecha(cumple, f)) return false;
    if (f.ano == 1 && buscado.ano != CumpleBuscado::kNada) return false;  // the year is unknown
    return Cumple(buscado.dia, f.dia) && Cumple(buscado.mes, f.mes) && Cumple(buscado.ano, f.ano);
}

Busqueda::Busqueda(const PatronBusqueda& patron) : bruto_(patron)
{
    // The pattern side is normalised once; the contacts' side afresh for
    // each comparison.
    nombre_ = NormalizarTexto(patron.Nombre, false);
    ape1_ = NormalizarTexto(patron.Ape1, false);
    ape2_ = NormalizarTexto(patron.Ape2, false);
    tfnoCasa_ = QuitarEspacios(patron.TfnoCasa);
    tfnoMovil_ = QuitarEspacios(patron.TfnoMovil);
    email_ = NormalizarTexto(patron.EMail, true);
    direccion_ = NormalizarTexto(patron.Direccion, false);
    varios_ = NormalizarTexto(patron.Varios, false);
    conCumple_ = !patron.CumpleDia.empty() || !patron.CumpleMes.empty() || !patron.CumpleAno.empty();
    if (conCumple_) cumple_ = LeerCumpleBuscado(patron.CumpleDia, patron.CumpleMes, patron.CumpleAno);
    for (const std::string* s : {&patron.Nombre, &patron.Ape1, &patron.Ape2, &patron.TfnoCasa, &patron.TfnoMovil,
                                 &patron.EMail, &patron.Direccion, &patron.CumpleDia, &patron.CumpleMes,
                                 &patron.CumpleAno, &patron.Grupo, &patron.Varios})
        hay_ = hay_ || !s->empty();
}

bool Busqueda::Coincide(const TPibe& p) const
{
    const PatronBusqueda& b = bruto_;
    if (!b.Nombre.empty() && !CampoContiene(p.Nombre, nombre_, false)) return false;
    if (!b.Ape1.empty() && !CampoContiene(p.Ape1, ape1_, false)) return false;
    if (!b.Ape2.empty() && !CampoContiene(p.Ape2, ape2_, false)) return false;
    // A phone pattern of blanks alone is empty here and so matches nothing.
    if (!b.TfnoCasa.empty() && !Contiene(QuitarEspacios(p.TfnoCasa), tfnoCasa_)) return false;
    if (!b.TfnoMovil.empty() && !Contiene(QuitarEspacios(p.TfnoMovil), tfnoMovil_)) return false;
    if (!b.EMail.empty() && !CampoContiene(p.EMail, email_, true)) return false;
    if (!b.Direccion.empty() && !LineasContienen(p.Direccion, direccion_)) return false;
    if (conCumple_ && !CoincideCumple(p.Cumple, cumple_)) return false;
    if (!b.Grupo.empty() && b.Grupo != p.Grupo) return false;
    if (!b.Varios.empty() && !LineasContienen(p.Varios, varios_)) return false;
    return true;
}

std::vector<TPibe*> BuscarPibes(const ListaPibes& lista, const PatronBusqueda& patron)
{
    const Busqueda busqueda(patron);
    std::vector<TPibe*> r;
    for (const auto& p : lista)
        if (busqueda.Coincide(*p)) r.push_back(p.get());
    return r;
}

}  // namespace bindelora
