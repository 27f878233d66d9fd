#include "core/avisal.h"

#include <algorithm>
#include <functional>
#include <unordered_set>

#include "core/texto.h"

namespace bindelora {

namespace {

// A leap year holds every day any month can have.
constexpr int kAnoBisiesto = 2000;

bool EsDiaDeAlgunAno(int dia, int mes)
{
    return mes >= 1 && mes <= 12 && dia >= 1 && dia <= DiasDelMes(mes, kAnoBisiesto);
}

// The year is chosen with the day as written, and only then is the day
// clamped: otherwise 29 February seen on 28 February of a common year would
// jump a whole year ahead instead of falling on today.
int DiasHastaSinComprobar(int dia, int mes, const Fecha& hoy)
{
    int ano = hoy.ano;
    if (mes < hoy.mes || (mes == hoy.mes && dia < hoy.dia)) ++ano;
    int ultimo = DiasDelMes(mes, ano);
    if (dia > ultimo) dia = ultimo;
    return DiasEntre(hoy, Fecha{ano, mes, dia});
}

// Whether FilasDeAvisal would succeed, without building the rows.
bool DaFilas(const TAvisal& a)
{
    return a.Mes == 0 || EsDiaDeAlgunAno(a.Dia, a.Mes);
}

void AnadirFila(std::vector<FilaAvisal>& filas, const TAvisal& a, int mesReal,
                std::string falta, const std::string& dia, const std::string& mes,
                const std::string& ano)
{
    FilaAvisal& f = filas.emplace_back();
    f[ColFalta] = std::move(falta);
    f[ColDia] = dia;
    f[ColMes] = mes;
    f[ColAno] = ano;
    f[ColMesReal] = std::to_string(mesReal);
    f[ColFecha] = dia;
    f[ColFecha] += '-';
    f[ColFecha] += NombresMesCortos[static_cast<std::size_t>(mesReal)];
    f[ColTexto] = a.Texto;
}

// Birthday lookup key; texto views the text of an entry that outlives the set.
struct ClaveCumple {
    int dia;
    int mes;
    std::string_view texto;
    bool operator==(const ClaveCumple&) const = default;
};

// Not noexcept on purpose: libstdc++ then keeps each node's hash, so a
// bucket walk does not rehash every text it passes.
struct HashClaveCumple {
    std::size_t operator()(const ClaveCumple& c) const
    {
        std::size_t h = std::hash<std::string_view>{}(c.texto);
        std::size_t dm = static_cast<std::size_t>(static_cast<unsigned>(c.dia)) * 31u +
                         static_cast<unsigned>(c.mes);
        return h ^ (dm + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2));
    }
};

}  // namespace

std::string ClaveTextoAvisal(std::string_view texto)
{
    return NormalizarTexto(texto, true);
}

bool EsPasado(int dia, int mes, int ano, const Fecha& hoy)
{
    if (ano != hoy.ano) return ano < hoy.ano;
    if (mes != hoy.mes) return mes < hoy.mes;
    return dia < hoy.dia;
}

int DiasHastaAvisal(int dia, int mes, const Fecha& hoy)
{
    if (!EsDiaDeAlgunAno(dia, mes)) return -1;
    return DiasHastaSinComprobar(dia, mes, hoy);
}

std::string ClaveDiasAvisal(int dia, int mes, const Fecha& hoy)
{
    if (dia < 1 || dia > 31 || mes < 1 || mes > 12) return "999";
    return RellenarConCeros(DiasHastaSinComprobar(dia, mes, hoy), 3);
}

bool FilasDeAvisal(const TAvisal& a, const Fecha& hoy, std::vector<FilaAvisal>& filas)
{
    filas.clear();
    if (!DaFilas(a)) return false;
    const std::string dia = std::to_string(a.Dia);
    const std::string mes = std::to_string(a.Mes);
    const std::string ano = std::to_string(a.Ano);
    if (a.Mes != 0) {
        AnadirFila(filas, a, a.Mes, ClaveDiasAvisal(a.Dia, a.Mes, hoy), dia, mes, ano);
        return true;
    }
    // A monthly day no month has still shows, sorted after every real date.
    filas.reserve(12);
    for (int m = 1; m <= 12; ++m) AnadirFila(filas, a, m, ClaveDiasAvisal(a.Dia, m, hoy), dia, mes, ano);
    return true;
}

bool ExisteAvisal(const ListaAvisales& lista, int dia, int mes, std::string_view texto)
{
    for (const auto& a : lista)
        if (a->Dia == dia && a->Mes == mes && a->Texto == texto) return true;
    return false;
}

bool LeerLineaAvisal(std::string_view linea, TAvisal& a)
{
    int dia = 0, mes = 0, ano = 0;
    if (!TextoAEntero(linea.substr(0, 2), dia)) return false;
    if (!TextoAEntero(linea.substr(std::min<std::size_t>(2, linea.size()), 2), mes)) return false;
    if (!TextoAEntero(linea.substr(std::min<std::size_t>(4, linea.size()), 4), ano)) return false;
    a.Dia = dia;
    a.Mes = mes;
    a.Ano = ano;
    a.Texto.assign(linea.size() > 8 ? linea.substr(8) : std::string_view());
    return true;
}

std::string LineaAvisal(const TAvisal& a)
{
    // Padding, not fixed-width formatting, so an odd kept value such as -1
    // comes back as the same text.
    std::string s = RellenarConCeros(a.Dia, 2);
    s += RellenarConCeros(a.Mes, 2);
    s += RellenarConCeros(a.Ano, 4);
    s += a.Texto;
    return s;
}

ResultadoAvisales LeerAvisales(std::string_view datos, const Fecha& hoy, ListaAvisales& lista)
{
    ResultadoAvisales r;
    const char* p = datos.data();
    const char* const fin = p + datos.size();
    std::size_t numero = 0;
    while (p < fin) {
        const char* q = p;
        while (q < fin && *q != '\r' && *q != '\n') ++q;
        std::string_view linea(p, static_cast<std::size_t>(q - p));
        ++numero;
        if (q < fin) q += (*q == '\r' && q + 1 < fin && q[1] == '\n') ? 2 : 1;
        p = q;

        auto a = std::make_unique<TAvisal>();
        if (!LeerLineaAvisal(linea, *a)) {
            r.ok = false;
            r.lineaFallida = numero;
            return r;
        }
        // Past entries are dropped before checking them, so an old bad date
        // does not spoil the file.
        if (EsPasado(a->Dia, a->Mes, a->Ano, hoy)) continue;
        if (!DaFilas(*a)) {
            r.ok = false;
            r.lineaFallida = numero;
            return r;
        }
        lista.push_back(std::move(a));
    }
    return r;
}

std::string SerializarAvisales(const ListaAvisales& lista)
{
    std::size_t total = 0;
    for (const auto& a : lista) total += a->Texto.size() + 12;
    std::string s;
    s.reserve(total);
    for (const auto& a : lista) {
        s += LineaAvisal(*a);
        s += "\r\n";
    }
    return s;
}

std::string TextoCumple(const TPibe& p)
{
    std::string s = "Cumplea\xF1" "os de ";
    s += p.Nombre;
    s += ' ';
    s += p.Ape1;
    return s;
}

namespace {

using ClavesCumple = std::unordered_set<ClaveCumple, HashClaveCumple>;

// Appends the yearly entry of p's birthday unless an equal one is there.
// The keys view the entries' own texts; entries are held by pointer, so
// growing avisales does not move them.
void EntrarCumpleSiFalta(const TPibe& p, const Fecha& f, ClavesCumple& existentes, ListaAvisales& avisales,
                         std::vector<TAvisal*>& nuevos)
{
    std::string texto = TextoCumple(p);
    if (existentes.contains({f.dia, f.mes, texto})) return;
    auto a = std::make_unique<TAvisal>();
    a->Dia = f.dia;
    a->Mes = f.mes;
    a->Ano = 9999;
    a->Texto = std::move(texto);
    existentes.insert({a->Dia, a->Mes, a->Texto});
    nuevos.push_back(a.get());
    avisales.push_back(std::move(a));
}

}  // namespace

std::vector<TAvisal*> SincronizarCumples(ListaPibes& pibes, ListaAvisales& avisales)
{
    std::vector<TAvisal*> nuevos;
    ClavesCumple existentes;
    existentes.reserve(avisales.size() + pibes.size());
    for (const auto& a : avisales) existentes.insert({a->Dia, a->Mes, a->Texto});

    for (auto& p : pibes) {
        if (p->Cumple == 0 || p->EnAvisal) continue;
        Fecha f;
        if (!DecodificarFecha(p->Cumple, f)) continue;
        EntrarCumpleSiFalta(*p, f, existentes, avisales, nuevos);
        p->EnAvisal = true;
        p->CumpleEntradoEnSesion = true;
    }
    return nuevos;
}

std::vector<TAvisal*> ReponerCumplesDeSesion(const ListaPibes& pibes, ListaAvisales& avisales)
{
    std::vector<TAvisal*> nuevos;
    ClavesCumple existentes;
    existentes.reserve(avisales.size());
    for (const auto& a : avisales) existentes.insert({a->Dia, a->Mes, a->Texto});
    for (const auto& p : pibes) {
        if (!p->CumpleEntradoEnSesion || p->Cumple == 0) continue;
        Fecha f;
        if (DecodificarFecha(p->Cumple, f)) EntrarCumpleSiFalta(*p, f, existentes, avisales, nuevos);
    }
    return nuevos;
}

std::vector<std::string> TextosDeHoy(const ListaAvisales& lista, const Fecha& hoy)
{
    std::vector<std::string> r;
    for (const auto& a : lista)
        if (a->Dia == hoy.dia && (a->Mes == hoy.mes || a->Mes == 0)) r.push_back(a->Texto);
    return r;
}

}  // namespace bindelora
