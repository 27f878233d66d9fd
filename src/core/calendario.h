#pragma once
// The month calendar's arithmetic and the checks of the events editor.
#include <array>
#include <string>
#include <string_view>

#include "core/fecha.h"

namespace bindelora {

// Weekday of the first of month mes (1..12) of year ano, 0 = Monday to
// 6 = Sunday.
int PrimerDiaSemana(int mes, int ano);

// One of the 42 cells of a month's grid, 6 weeks from Monday.
struct CeldaMes {
    int dia = 0;
    bool vecino = false;   // a day of the previous or the next month
    bool domingo = false;  // the Sunday column
};
constexpr int kColumnasMes = 7;
constexpr int kFilasMes = 6;
constexpr int kCeldasMes = kColumnasMes * kFilasMes;
// Cell r * 7 + c is column c, week r. mes must be 1..12.
using RejillaMes = std::array<CeldaMes, kCeldasMes>;
RejillaMes CalcularRejillaMes(int mes, int ano);

// Index of the cell that shows day dia of month mes: a day above the month's
// length lands on its last day (as the days-until keys count it); -1 for a
// day outside 1..31 or a month outside 1..12.
int CeldaDelDia(int dia, int mes, int ano);

// The three date fields of the editor: 1 to 4 plain decimal digits each;
// no sign, blank or other character.
bool ConvertirCampoFecha(std::string_view texto, int& valor);

enum class ErrorFechaAvisal { Ninguno, Conversion, Mes, Dia };
enum class CampoFechaAvisal { Dia, Mes, Ano };

struct ComprobacionFechaAvisal {
    ErrorFechaAvisal error = ErrorFechaAvisal::Ninguno;
    CampoFechaAvisal campo = CampoFechaAvisal::Dia;  // the field to focus on an error
    int dia = 0, mes = 0, ano = 0;
    bool Correcta() const { return error == ErrorFechaAvisal::Ninguno; }
};

// The editor's checks in their order: the three conversions, the month 0..12,
// then the day against the month's length in the typed year (no day check for
// a monthly entry, month 0).
ComprobacionFechaAvisal ComprobarFechaAvisal(std::string_view dia, std::string_view mes, std::string_view ano);

// The text of an entry typed in one line: each line break (CR LF, CR or LF)
// becomes one blank, so the events file keeps one line per entry.
std::string TextoDeUnaLinea(std::string_view texto);

}  // namespace bindelora
