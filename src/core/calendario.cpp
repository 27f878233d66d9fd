#include "core/calendario.h"

namespace bindelora {

int PrimerDiaSemana(int mes, int ano)
{
    // Sakamoto's rule on the proleptic Gregorian calendar; it gives 0 for
    // Sunday, turned here into 0 for Monday.
    static constexpr int kDesfase[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (mes < 1 || mes > 12) return 0;
    long long y = ano;
    if (mes < 3) --y;
    // Floor division keeps negative years right.
    auto div = [](long long a, long long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); };
    long long d = y + div(y, 4) - div(y, 100) + div(y, 400) + kDesfase[mes - 1] + 1;
    int domingoCero = static_cast<int>(((d % 7) + 7) % 7);
    return (domingoCero + 6) % 7;
}

RejillaMes CalcularRejillaMes(int mes, int ano)
{
    RejillaMes r{};
    const int n = DiasDelMes(mes, ano);
    const int f = PrimerDiaSemana(mes, ano);
    const int p = mes == 1 ? DiasDelMes(12, ano - 1) : DiasDelMes(mes - 1, ano);
    for (int i = 0; i < kCeldasMes; ++i) {
        CeldaMes& c = r[static_cast<std::size_t>(i)];
        const int d = i - f + 1;  // day of this month, out of 1..n in the neighbours
        if (d < 1) {
            c.dia = p + d;
            c.vecino = true;
        } else if (d > n) {
            c.dia = d - n;
            c.vecino = true;
        } else {
            c.dia = d;
        }
        c.domingo = i % kColumnasMes == kColumnasMes - 1;
    }
    return r;
}

int CeldaDelDia(int dia, int mes, int ano)
{
    if (dia < 1 || dia > 31 || mes < 1 || mes > 12) return -1;
    const int n = DiasDelMes(mes, ano);
    if (dia > n) dia = n;
    return PrimerDiaSemana(mes, ano) + dia - 1;
}

bool ConvertirCampoFecha(std::string_view texto, int& valor)
{
    if (texto.empty() || texto.size() > 4) return false;
    int v = 0;
    for (char ch : texto) {
        if (ch < '0' || ch > '9') return false;
        v = v * 10 + (ch - '0');
    }
    valor = v;
    return true;
}

ComprobacionFechaAvisal ComprobarFechaAvisal(std::string_view dia, std::string_view mes, std::string_view ano)
{
    ComprobacionFechaAvisal c;
    const std::string_view textos[3] = {dia, mes, ano};
    int* valores[3] = {&c.dia, &c.mes, &c.ano};
    const CampoFechaAvisal campos[3] = {CampoFechaAvisal::Dia, CampoFechaAvisal::Mes, CampoFechaAvisal::Ano};
    for (int i = 0; i < 3; ++i)
        if (!ConvertirCampoFecha(textos[i], *valores[i])) {
            c.error = ErrorFechaAvisal::Conversion;
            c.campo = campos[i];
            return c;
        }
    if (c.mes < 0 || c.mes > 12) {
        c.error = ErrorFechaAvisal::Mes;
        c.campo = CampoFechaAvisal::Mes;
        return c;
    }
    if (c.mes >= 1 && (c.dia < 1 || c.dia > DiasDelMes(c.mes, c.ano))) {
        c.error = ErrorFechaAvisal::Dia;
        c.campo = CampoFechaAvisal::Dia;
    }
    return c;
}

std::string TextoDeUnaLinea(std::string_view texto)
{
    std::string r;
    r.reserve(texto.size());
    for (std::size_t i = 0; i < texto.size(); ++i) {
        const char ch = texto[i];
        if (ch == '\r' || ch == '\n') {
            r += ' ';
            if (ch == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n') ++i;
        } else {
            r += ch;
        }
    }
    return r;
}

}  // namespace bindelora
