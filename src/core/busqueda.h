#pragma once
// Search by example: one pattern per contact field, every non-empty pattern
// must hold. Patterns are plain text; "*" and "?" stand for themselves.
#include <string>
#include <string_view>
#include <vector>

#include "core/pibe.h"

namespace bindelora {

// The twelve fields of the search form, as typed (Windows-1252). The two
// memos hold their lines separated by CR LF.
struct PatronBusqueda {
    std::string Nombre, Ape1, Ape2, TfnoCasa, TfnoMovil, EMail;
    std::string Direccion;
    std::string CumpleDia, CumpleMes, CumpleAno;
    std::string Grupo;
    std::string Varios;
};

// The text without any blank (character 32).
std::string QuitarEspacios(std::string_view s);

// True when patron is a contiguous part of texto; an empty pattern occurs
// nowhere.
bool Contiene(std::string_view texto, std::string_view patron);

// Blanks do not count on either side; nothing else is folded.
bool CoincideTelefono(std::string_view patron, std::string_view telefono);

// The lines, each normalised and followed by CR LF, must contain the
// normalised pattern (Ñ kept apart from N).
bool CoincideLineas(std::string_view patron, const std::vector<std::string>& lineas);

// What the three birthday fields ask for. A field asks nothing when it is
// empty, holds 666, or is text that names no month; digits ask their value,
// other text the month it names. A number too big to convert asks for a
// value no date has.
struct CumpleBuscado {
    static constexpr int kNada = -1;
    static constexpr int kImposible = -2;
    int dia = kNada, mes = kNada, ano = kNada;
};
CumpleBuscado LeerCumpleBuscado(std::string_view dia, std::string_view mes, std::string_view ano);

// A birthday without a year (stored in year 1) is compared by day and month
// and fails any year condition; no birthday (0) or a value that is no date
// never matches.
bool CoincideCumple(double cumple, const CumpleBuscado& buscado);

// A pattern set prepared once for a pass over the whole book.
class Busqueda {
public:
    explicit Busqueda(const PatronBusqueda& patron);
    // The criteria in the form's order, stopping at the first that fails.
    bool Coincide(const TPibe& p) const;
    // False when no field holds text.
    bool HayCriterios() const { return hay_; }

private:
    PatronBusqueda bruto_;
    std::string nombre_, ape1_, ape2_, tfnoCasa_, tfnoMovil_, email_, direccion_, varios_;
    CumpleBuscado cumple_;
    bool conCumple_ = false;
    bool hay_ = false;
};

// Every contact that passes, in book order.
std::vector<TPibe*> BuscarPibes(const ListaPibes& lista, const PatronBusqueda& patron);

}  // namespace bindelora
