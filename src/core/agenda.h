#pragma once
// The agenda file: "VER:2.1" header and tagged lines per contact, CR LF,
// Windows-1252. The earlier headerless format (no AVS: line) is still read.
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/pibe.h"

namespace bindelora {

enum class EstadoLectura {
    NoExiste,     // no file: the address book is left untouched
    SinRegistros, // empty file or no record: the address book is emptied
    Completa,     // every record read
    Incompleta,   // stopped at an unreadable record; the records before it were kept
    Fallo         // the file could not be opened or read at all
};

struct ResultadoLectura {
    EstadoLectura estado = EstadoLectura::NoExiste;
    bool formatoAntiguo = false;
    std::string error;  // Spanish, for Fallo
    // True only when every record was read.
    bool Exito() const { return estado == EstadoLectura::Completa; }
};

// One record as the file holds it: views into the bytes read, valid only
// during the call that hands it over.
struct VistaRegistro {
    std::string_view Nombre, Ape1, Ape2, TfnoCasa, TfnoMovil, EMail, Grupo;
    double Cumple = 0;
    bool EnAvisal = false;  // the earlier format has no mark: false
    std::span<const std::string_view> Direccion, Varios;
};

// Called for each record in file order; false stops the reading there.
using ReceptorRegistros = std::function<bool(const VistaRegistro&)>;

// The one reader of the agenda file. On Fallo some records may already
// have been handed over.
ResultadoLectura RecorrerAgenda(const std::string& ruta, const ReceptorRegistros& receptor);

// Reads the agenda file into lista, replacing its contents unless the file
// does not exist or cannot be read.
ResultadoLectura LeerAgenda(const std::string& ruta, ListaPibes& lista);

// The same from a file already open, asking for bloque bytes at each read
// (a record longer than a block grows it): lets tests reach the block edges.
ResultadoLectura LeerAgendaDeDescriptor(int fd, std::size_t bloque, ListaPibes& lista);

// The same from bytes already in memory.
ResultadoLectura LeerAgendaDeTexto(std::string_view datos, ListaPibes& lista);

// The whole file in the current format.
std::string SerializarAgenda(const ListaPibes& lista);

// Writes the agenda file safely (see EscribirArchivoSeguro).
bool GuardarAgenda(const std::string& ruta, const ListaPibes& lista, std::string& error);

// One contact's record, as the file holds it, appended to destino.
void AnadirRegistroAgenda(const TPibe& p, std::string& destino);

// "CUM:" text of a date value and its reverse (accepts '.' or ',' as
// decimal separator; empty or non-numeric text fails).
std::string FormatearCumple(double valor);
bool LeerCumple(std::string_view texto, double& valor);

}  // namespace bindelora
