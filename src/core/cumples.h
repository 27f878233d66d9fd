#pragma once
// The birthday list: one row per contact with a birthday, the nearest
// coming birthday first.
#include <string>
#include <vector>

#include "core/fecha.h"
#include "core/pibe.h"

namespace bindelora {

// Exact days from today to the next (dia, mes): 0 today, at most 365. In a
// common year 29 February is kept on 28 February. -1 for a day no month has.
int DiasParaCumple(int dia, int mes, const Fecha& hoy);

// The age reached on the coming birthday (today's included).
int EdadEnCumple(int ano, int mes, int dia, const Fecha& hoy);

// Columns: "Faltan" (the caption and sort key), "Pos", "Fecha:", "Años:",
// "Nombre:", "Grupo:".
enum ColumnaCumple { ColFaltan, ColPos, ColFechaCumple, ColAnos, ColNombre, ColGrupo, NumColumnasCumple };

struct FilaCumple {
    std::vector<std::string> textos;  // NumColumnasCumple cells
    const TPibe* pibe = nullptr;  // the contact the row was built from
};

// The rows in the list's order: by days to go, equal counts in book order.
// Contacts without a birthday, or whose value is no date, are left out.
std::vector<FilaCumple> FilasCumples(const ListaPibes& lista, const Fecha& hoy);

}  // namespace bindelora
