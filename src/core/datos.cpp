#include "core/datos.h"

#include "core/fecha.h"
#include "core/texto.h"

namespace bindelora {

std::string QuitarSaltos(std::string_view s)
{
    std::string r;
    r.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\r') {
            r += ' ';
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            r += ' ';
        } else {
            r += c;
        }
    }
    return r;
}

std::vector<std::string> LineasDeMemo(std::string_view texto)
{
    std::vector<std::string> lineas;
    if (texto.empty()) return lineas;
    std::string linea;
    for (std::size_t i = 0; i < texto.size(); ++i) {
        const char c = texto[i];
        if (c == '\r' || c == '\n') {
            lineas.push_back(std::move(linea));
            linea.clear();
            if (c == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n') ++i;
        } else {
            linea += c;
        }
    }
    lineas.push_back(std::move(linea));
    return lineas;
}

std::string MemoDeLineas(const std::vector<std::string>& lineas)
{
    std::string r;
    for (std::size_t i = 0; i < lineas.size(); ++i) {
        if (i > 0) r += '\n';
        r += lineas[i];
    }
    return r;
}

LecturaCumple LeerCumple(std::string_view dia, std::string_view mes, std::string_view ano, int anoHoy)
{
    LecturaCumple r;
    if (dia.empty() || !EsNumero(dia) || mes.empty()) return r;
    // Any number that does not convert, or a date that does not exist, is
    // simply no birthday.
    int d = 0;
    if (!TextoAEntero(dia, d)) return r;
    int m = MesDeTexto(mes);
    if (m == 0 && EsNumero(mes) && !TextoAEntero(mes, m)) return r;
    int a = 1;
    if (!ano.empty() && EsNumero(ano) && !TextoAEntero(ano, a)) return r;
    if (a >= anoHoy) {
        r.aceptada = false;
        return r;
    }
    double v = 0;
    if (CodificarFecha(a, m, d, v)) r.Cumple = v;
    return r;
}

bool LeerDatos(const CamposPibe& c, int anoHoy, TPibe& p)
{
    // The birthday first: a refused one must leave the contact as it was.
    const LecturaCumple cumple = LeerCumple(c.CumpleDia, c.CumpleMes, c.CumpleAno, anoHoy);
    if (!cumple.aceptada) return false;
    p.Nombre = QuitarSaltos(c.Nombre);
    p.Ape1 = QuitarSaltos(c.Ape1);
    p.Ape2 = QuitarSaltos(c.Ape2);
    p.TfnoCasa = QuitarSaltos(c.TfnoCasa);
    p.TfnoMovil = QuitarSaltos(c.TfnoMovil);
    p.EMail = QuitarSaltos(c.EMail);
    p.Grupo = QuitarSaltos(c.Grupo);
    p.Direccion = LineasDeMemo(c.Direccion);
    p.Varios = LineasDeMemo(c.Varios);
    p.Cumple = cumple.Cumple;
    return true;
}

TextosCumple TextosDeCumple(double cumple)
{
    TextosCumple t;
    Fecha f;
    if (cumple == 0 || !DecodificarFecha(cumple, f)) return t;
    t.dia = std::to_string(f.dia);
    t.mes = NombresMesCortos[static_cast<std::size_t>(f.mes)];
    if (f.ano != 1) t.ano = std::to_string(f.ano);
    return t;
}

bool EsEMailEnlazable(std::string_view email)
{
    if (email.size() < 2) return false;
    return email.substr(0, email.size() - 1).find('@') != std::string_view::npos;
}

}  // namespace bindelora
