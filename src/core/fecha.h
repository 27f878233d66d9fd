#pragma once
// Date values: whole days since 30 December 1899 held as a double, valid
// from 1 January of year 1 to 31 December 9999.
namespace bindelora {

struct Fecha {
    int ano = 0;
    int mes = 0;
    int dia = 0;
    friend bool operator==(const Fecha&, const Fecha&) = default;
};

bool EsBisiesto(int ano);
// Days of month mes of year ano: 31, 30, or 28/29 for February; 30 for
// any other value of mes, so callers check the month themselves.
int DiasDelMes(int mes, int ano);
bool EsFechaValida(int ano, int mes, int dia);

// False for a date that does not exist or lies outside years 1..9999.
bool CodificarFecha(int ano, int mes, int dia, double& valor);
// Splits the whole-day part of a date value; false when it is out of range
// (or not a number).
bool DecodificarFecha(double valor, Fecha& fecha);

// Whole days from a to b (negative when b is earlier).
int DiasEntre(const Fecha& a, const Fecha& b);

}  // namespace bindelora
