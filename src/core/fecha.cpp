#include "core/fecha.h"

#include <chrono>
#include <cmath>

namespace bindelora {

namespace {
using namespace std::chrono;

// Day 0 of the date values.
constexpr sys_days kOrigen = sys_days{year{1899} / December / 30};
}  // namespace

bool EsBisiesto(int ano)
{
    // Plain arithmetic: any int, not only the years std::chrono can hold.
    return ano % 4 == 0 && (ano % 100 != 0 || ano % 400 == 0);
}

int DiasDelMes(int mes, int ano)
{
    switch (mes) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12: return 31;
    case 2: return EsBisiesto(ano) ? 29 : 28;
    default: return 30;
    }
}

bool EsFechaValida(int ano, int mes, int dia)
{
    return ano >= 1 && ano <= 9999 && mes >= 1 && mes <= 12 && dia >= 1 && dia <= DiasDelMes(mes, ano);
}

bool CodificarFecha(int ano, int mes, int dia, double& valor)
{
    if (!EsFechaValida(ano, mes, dia)) return false;
    sys_days d{year{ano} / month{static_cast<unsigned>(mes)} / day{static_cast<unsigned>(dia)}};
    valor = static_cast<double>((d - kOrigen).count());
    return true;
}

bool DecodificarFecha(double valor, Fecha& fecha)
{
    // -693593 is 1 January of year 1, 2958465 is 31 December 9999.
    if (!std::isfinite(valor)) return false;
    double entero = std::trunc(valor);
    if (entero < -693593.0 || entero > 2958465.0) return false;
    year_month_day ymd{kOrigen + days{static_cast<long>(entero)}};
    fecha.ano = static_cast<int>(ymd.year());
    fecha.mes = static_cast<int>(static_cast<unsigned>(ymd.month()));
    fecha.dia = static_cast<int>(static_cast<unsigned>(ymd.day()));
    return true;
}

int DiasEntre(const Fecha& a, const Fecha& b)
{
    auto aDias = [](const Fecha& f) {
        return sys_days{year{f.ano} / month{static_cast<unsigned>(f.mes)} / day{static_cast<unsigned>(f.dia)}};
    };
    return static_cast<int>((aDias(b) - aDias(a)).count());
}

}  // namespace bindelora
