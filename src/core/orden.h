#pragma once
// The four orderings of the address book and the distinct groups.
#include <string>
#include <string_view>
#include <vector>

#include "core/pibe.h"

namespace bindelora {

// Key of one record for an ordering name ("Nombre", "Apellido 1",
// "Apellido 2", "Grupo"): three fields joined by NUL, normalised with Ñ
// folded. Empty for any other name.
std::string ClaveOrden(const TPibe& p, std::string_view orden);

// The same key appended to destino: many keys in one buffer, without a
// string each.
void AnadirClaveOrden(const TPibe& p, std::string_view orden, std::string& destino);

// The first two fields of the same key, used when a new contact is inserted.
std::string ClaveInsercion(const TPibe& p, std::string_view orden);

// The six texts of the editor that tell which record is being edited.
struct TextosEditor {
    std::string Nombre, Ape1, Ape2, TfnoCasa, TfnoMovil, EMail;
};

bool CoincideConEditor(const TPibe& p, const TextosEditor& editor);

// Stable re-ordering by ClaveOrden. Returns the new index of the last record
// (in the new order) that matches the editor, or -1 when none does.
int OrdenarPibes(ListaPibes& lista, std::string_view orden, const TextosEditor& editor);

// Position where a new record goes: before the first record whose
// insertion key is not less than its own (the end when all are less).
std::size_t PosicionInsercion(const ListaPibes& lista, const TPibe& nuevo, std::string_view orden);

// Compares the ClaveOrden keys of two records (negative, 0, positive)
// without building them.
int CompararClavesOrden(const TPibe& a, const TPibe& b, std::string_view orden);

// After record i has changed: when the other records are already in the
// order of `orden`, moves it to where OrdenarPibes would put it and returns
// its new index; otherwise returns -1 and leaves the list alone.
long RecolocarPibe(ListaPibes& lista, std::size_t i, std::string_view orden);

// Distinct Grupo values (exact comparison) in address book order.
std::vector<std::string> GruposDistintos(const ListaPibes& lista);

}  // namespace bindelora
