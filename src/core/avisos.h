#pragma once
// The text of the login reminder: today's entries, then the birthdays of
// the coming days. Windows-1252, as the data files hold it.
#include <string>
#include <vector>

#include "core/fecha.h"
#include "core/pibe.h"

namespace bindelora {

// How far ahead the reminder looks for birthdays.
inline constexpr int kDiasCumplesProximos = 7;

// One line per birthday from tomorrow to dias days ahead, in the birthday
// list's order: "12 Dic  Ana García (40 años)". Today's birthdays are left
// out: they are among today's entries already. No age for a birthday stored
// without a year.
std::vector<std::string> LineasCumplesProximos(const ListaPibes& lista, const Fecha& hoy,
                                               int dias = kDiasCumplesProximos);

// Today's texts one a line, then "Próximos cumpleaños:" and its lines, a
// blank line between the two; empty when both are.
std::string TextoAviso(const std::vector<std::string>& hoy, const std::vector<std::string>& cumples);

}  // namespace bindelora
