#pragma once
// The Avisal module's data: dated event entries, the events file (one line
// per entry: DDMMAAAA then the text, CR LF, Windows-1252), the rows that
// show an entry, and the entering of birthdays as entries.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/fecha.h"
#include "core/pibe.h"

namespace bindelora {

struct TAvisal {
    std::int32_t Dia = 0;
    std::int32_t Mes = 0;  // 0: a monthly entry, its day in every month
    std::int32_t Ano = 0;  // 9999 for birthday entries
    std::string Texto;
};

// Insertion order; this is the order of the events file.
using ListaAvisales = std::vector<std::unique_ptr<TAvisal>>;

// Columns of a row: "FALTA", "DIA", "MES", "ANO", "MESREAL", "Fecha:", "Texto:".
enum ColumnaAvisal { ColFalta, ColDia, ColMes, ColAno, ColMesReal, ColFecha, ColTexto, NumColumnasAvisal };
using FilaAvisal = std::array<std::string, NumColumnasAvisal>;

// The caption a row gets after a sort by text.
std::string ClaveTextoAvisal(std::string_view texto);

bool EsPasado(int dia, int mes, int ano, const Fecha& hoy);

// Days from today to the next (dia, mes); a day the month lacks that year is
// observed on its last day. -1 when mes is not 1..12 or the month never has
// that day (31 April).
int DiasHastaAvisal(int dia, int mes, const Fecha& hoy);

// The days-until caption of the row of (dia, mes) for mes 1..12, as the rows
// are built: a day the month lacks counts to that month's last day, and a day
// outside 1..31 gets "999", after every real date.
std::string ClaveDiasAvisal(int dia, int mes, const Fecha& hoy);

// The rows of one entry (twelve for a monthly entry, months 1 to 12),
// captions holding the days-until key. False when a dated entry is no real
// day of a month; a monthly entry whose day lies outside 1..31 gets the key
// "999", after every dated key. filas is replaced (left empty on failure).
bool FilasDeAvisal(const TAvisal& a, const Fecha& hoy, std::vector<FilaAvisal>& filas);

bool ExisteAvisal(const ListaAvisales& lista, int dia, int mes, std::string_view texto);

// One line of the events file (without its line break). False when a field
// does not convert to a number.
bool LeerLineaAvisal(std::string_view linea, TAvisal& a);
std::string LineaAvisal(const TAvisal& a);

struct ResultadoAvisales {
    bool ok = true;
    std::size_t lineaFallida = 0;  // 1-based, when !ok
};

// Reads the events file's text into lista (appending), dropping past
// entries and checking that every kept entry gives its rows. Stops at the
// first bad line, keeping what was read before it.
ResultadoAvisales LeerAvisales(std::string_view datos, const Fecha& hoy, ListaAvisales& lista);

std::string SerializarAvisales(const ListaAvisales& lista);

// "Cumpleaños de " + Nombre + " " + Ape1.
std::string TextoCumple(const TPibe& p);

// Enters every birthday not yet entered: appends the new entries to avisales
// and marks each contact with a birthday EnAvisal. Returns the entries added,
// in order, so the caller can show their rows.
std::vector<TAvisal*> SincronizarCumples(ListaPibes& pibes, ListaAvisales& avisales);

// The texts of the entries that fall on hoy, as the today's-events window
// finds them: same day, and same month or a monthly entry. List order.
std::vector<std::string> TextosDeHoy(const ListaAvisales& lista, const Fecha& hoy);

// After the events file is read back: enters again the birthdays of the
// contacts marked CumpleEntradoEnSesion that the file lacks (no duplicates).
// Returns the entries added.
std::vector<TAvisal*> ReponerCumplesDeSesion(const ListaPibes& pibes, ListaAvisales& avisales);

}  // namespace bindelora
