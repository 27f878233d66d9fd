#pragma once
// What the folder's exchange shares inside the core: one item's file to and
// from a record, for vCard and for iCalendar.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/avisal.h"
#include "core/icalendar.h"
#include "core/pibe.h"

namespace bindelora {

std::uint64_t HashTexto(std::string_view s);
std::uint64_t HashPibe(const TPibe& p);
std::uint64_t HashAvisal(const TAvisal& a);
// A random version 4 UUID, lower case.
std::string NuevoUid();

enum class TipoLectura { Bien, Ilegible, NoRepresentable };

// A vCard property as written: "grupo.NOMBRE;params:valor", unfolded.
struct LineaVCard {
    std::string grupo;   // with its dot, or empty
    std::string nombre;
    std::string params;  // from the first ';', or empty
    std::string valor;   // escaped, as in the file
};
std::vector<LineaVCard> PartirVCard(std::string_view texto);
std::string UnirVCard(const std::vector<LineaVCard>& lineas);

struct ItemPibe {
    TipoLectura tipo = TipoLectura::Ilegible;
    std::string uid;
    std::unique_ptr<TPibe> pibe;
    std::string porque;  // Spanish, when unreadable
};
ItemPibe LeerItemVCard(std::string_view texto);
// A new file for p under uid.
std::string NuevoItemVCard(const TPibe& p, std::string_view uid);
// archivo (whose reading is leido) with the values local changed put in,
// everything else as it was.
std::string ReescribirVCard(std::string_view archivo, const TPibe& leido, const TPibe& local);
std::string CambiarUidVCard(std::string_view archivo, std::string_view uid);
bool MismoPibe(const TPibe& a, const TPibe& b);

struct ItemAvisal {
    TipoLectura tipo = TipoLectura::Ilegible;
    std::string uid;
    std::unique_ptr<TAvisal> avisal;
    std::string porque;
};
ItemAvisal LeerItemICal(std::string_view texto);
// Empty when no calendar can hold the entry (a monthly day above 31 ...).
std::string NuevoItemICal(const TAvisal& a, std::string_view uid, const Fecha& hoy, const MarcaUtc& ahora);
std::string ReescribirICal(std::string_view archivo, const TAvisal& leido, const TAvisal& local, const Fecha& hoy,
                           const MarcaUtc& ahora);
std::string CambiarUidICal(std::string_view archivo, std::string_view uid);
bool MismoAvisal(const TAvisal& a, const TAvisal& b);

// What the state file keeps of one item: what it was at the last exchange.
struct ItemEstado {
    std::string uid, archivo;
    std::uint64_t hashRegistro = 0;  // the record as last written or read
    std::uint64_t hashGuardado = 0;  // the record as the data file holds it (0: none)
    std::uint64_t hashArchivo = 0;
    std::int64_t tamano = -1, mtime = 0;  // mtime in nanoseconds
    // The folder's side of a conflict found at an end: it comes in as a
    // new record at the next start, which names it.
    bool conflicto = false;
    bool quitar = false;  // dropped at the end of this exchange
    // Only during an exchange.
    const void* local = nullptr;
    std::uint64_t hashLocal = 0;  // of local
    bool forzar = false;  // the book holds the version before the last one read
};
using ItemsEstado = std::vector<std::unique_ptr<ItemEstado>>;

// The state file's text, with the folder it was for; false when it is
// damaged (items then emptied).
bool LeerEstadoSinc(std::string_view texto, std::string& carpeta, ItemsEstado& contactos, ItemsEstado& sucesos);
std::string SerializarEstadoSinc(std::string_view carpeta, const ItemsEstado& contactos, const ItemsEstado& sucesos);

}  // namespace bindelora
