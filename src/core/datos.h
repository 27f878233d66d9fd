#pragma once
// The contact editor's rules, apart from the window: reading the typed
// fields into a contact, and the texts a stored contact shows.
#include <string>
#include <string_view>
#include <vector>

#include "core/pibe.h"

namespace bindelora {

// The editor's twelve fields as they stand (memos as whole texts).
struct CamposPibe {
    std::string Nombre, Ape1, Ape2, TfnoCasa, TfnoMovil, EMail, Grupo;
    std::string Direccion, Varios;
    std::string CumpleDia, CumpleMes, CumpleAno;
};

// A one-line field must never hold a line break (it would split a record of
// the agenda file): every CR LF, CR or LF becomes one blank.
std::string QuitarSaltos(std::string_view s);

// A memo's text as lines: CR LF, CR and LF each end a line; an empty text
// has no lines.
std::vector<std::string> LineasDeMemo(std::string_view texto);
// The reverse, joined with LF.
std::string MemoDeLineas(const std::vector<std::string>& lineas);

// The typed birthday. Refused when the year is not before the current one;
// otherwise Cumple is the date, or 0 when the fields make no date.
struct LecturaCumple {
    bool aceptada = true;
    double Cumple = 0;
};
LecturaCumple LeerCumple(std::string_view dia, std::string_view mes, std::string_view ano, int anoHoy);

// Copies the fields into the contact. A refused birthday leaves the contact
// untouched and gives false. One-line fields are taken with their line
// breaks already removed (see QuitarSaltos).
bool LeerDatos(const CamposPibe& campos, int anoHoy, TPibe& p);

// What the birthday fields show for a stored date value: day without a
// leading zero, short month name, and the year unless it is 1 (no year).
struct TextosCumple {
    std::string dia, mes, ano;
};
TextosCumple TextosDeCumple(double cumple);

// True when the text is an address the e-mail label may open: an at sign
// somewhere before its last character.
bool EsEMailEnlazable(std::string_view email);

}  // namespace bindelora
