#include "core/avisos.h"

#include "core/cumples.h"

namespace bindelora {

namespace {

// The name as the list shows it, less the blanks that empty surnames leave.
std::string SinBlancosDeMas(const std::string& s)
{
    std::string r;
    r.reserve(s.size());
    for (char c : s) {
        if (c == ' ' && (r.empty() || r.back() == ' ')) continue;
        r += c;
    }
    while (!r.empty() && r.back() == ' ') r.pop_back();
    return r;
}

}  // namespace

std::vector<std::string> LineasCumplesProximos(const ListaPibes& lista, const Fecha& hoy, int dias)
{
    std::vector<std::string> lineas;
    for (const FilaCumple& fila : FilasCumples(lista, hoy)) {
        const int faltan = std::stoi(fila.textos[ColFaltan]);
        if (faltan == 0) continue;
        if (faltan > dias) break;  // the rows come by days to go
        std::string linea = fila.textos[ColFechaCumple];
        linea[linea.find('-')] = ' ';  // "12-Dic" reads better as "12 Dic" outside its column
        linea += "  " + SinBlancosDeMas(fila.textos[ColNombre]);
        const std::string& anos = fila.textos[ColAnos];
        if (!anos.empty()) linea += " (" + anos + (anos == "1" ? " a\xF1o)" : " a\xF1os)");
        lineas.push_back(std::move(linea));
    }
    return lineas;
}

std::string TextoAviso(const std::vector<std::string>& hoy, const std::vector<std::string>& cumples)
{
    std::string texto;
    for (std::size_t i = 0; i < hoy.size(); ++i) {
        if (i > 0) texto += '\n';
        texto += hoy[i];
    }
    if (cumples.empty()) return texto;
    if (!hoy.empty()) texto += "\n\n";
    texto += "Pr\xF3ximos cumplea\xF1os:";
    for (const std::string& c : cumples) texto += '\n' + c;
    return texto;
}

}  // namespace bindelora
