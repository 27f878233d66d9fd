#pragma once
// Contacts to and from vCard files (4.0 and 3.0 written; 2.1, 3.0 and 4.0
// read, in the forms phones and web services produce). Files are UTF-8; the
// book keeps Windows-1252.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/agenda.h"
#include "core/pibe.h"

namespace bindelora {

enum class VersionVCard { V40, V30 };

// The whole book, in its order: CR LF lines folded at 75 octets. Both
// surnames, the exact address and note lines and the Avisal mark travel in
// X-BINDELORA- properties, so our own import gives back every field.
std::string ExportarVCard(const ListaPibes& lista, VersionVCard version);

struct ResultadoExportacion {
    EstadoLectura estado = EstadoLectura::NoExiste;  // of the agenda file
    std::size_t contactos = 0;
    std::string error;  // Spanish, for Fallo (reading or writing)
};

// The same straight from the agenda file to fd, a record at a time, without
// holding the book: for the command line on large books. Reads the file
// with LeerAgenda's reader and stops at the same unreadable record.
ResultadoExportacion ExportarAgendaAVCard(const std::string& rutaAgenda, int fd, VersionVCard version);

// What a file gave: the contacts read in file order and the reasons for
// anything dropped or changed (Windows-1252, one line each).
struct LecturaVCard {
    bool hayTarjetas = false;  // some BEGIN:VCARD was found
    std::vector<std::unique_ptr<TPibe>> pibes;
    // Beside pibes (missing entries false): the name, surnames or birthday
    // lost characters on the way to Windows-1252, so the contact cannot be
    // told apart from another and is never taken for a repeat.
    std::vector<bool> incompletos;
    std::size_t ilegibles = 0;  // cards that gave no contact
    std::size_t controlesQuitados = 0;  // control characters dropped from values
    std::vector<std::string> avisos;  // the first ones only
    std::size_t avisosTotales = 0;
};

// The reasons kept in LecturaVCard::avisos; the rest are only counted.
inline constexpr std::size_t kMaxAvisosVCard = 1000;

// Bounds on hostile files. A larger file is refused unread; a larger card,
// or a property split into more parts (";" or ","), is unreadable.
inline constexpr std::size_t kMaxArchivoVCard = std::size_t{256} << 20;
inline constexpr std::size_t kMaxTarjetaVCard = std::size_t{16} << 20;
inline constexpr std::size_t kMaxComponentesVCard = 1000;

// A file to import, read whole: only a regular file up to kMaxArchivoVCard.
// False with the reason (Windows-1252) in motivo.
bool LeerArchivoVCard(const std::string& ruta, std::string& datos, std::string& motivo);
// The reason for a failed read of an import from its errno (EFBIG: past
// kMaxArchivoVCard), Windows-1252.
std::string MotivoLecturaVCard(int err);

LecturaVCard LeerVCard(std::string_view datos);

struct ResumenImportacion {
    bool legible = false;  // false: nothing could be read, the book is untouched
    std::size_t anadidos = 0;
    std::size_t duplicados = 0;
    std::size_t ilegibles = 0;
    std::size_t controlesQuitados = 0;
    std::vector<std::string> avisos;
    std::size_t avisosTotales = 0;
};

// Adds the contacts read to the book, which is in the ordering named by
// orden: each new one goes before the first contact whose insertion key is
// not below its own. A contact already in the book or earlier in the file
// (same name, surnames and birthday, compared in their normalised form) is
// skipped, unless those lost characters (LecturaVCard::incompletos). Returns
// the summary; the new contacts are the ones not in the book before. On an
// exception (no memory) the book is as it was.
ResumenImportacion ImportarPibes(ListaPibes& lista, LecturaVCard&& leidas, std::string_view orden);

// The summary for the user, Windows-1252, at most maxAvisos reasons listed.
std::string TextoResumen(const ResumenImportacion& r, std::size_t maxAvisos = 15);

}  // namespace bindelora
