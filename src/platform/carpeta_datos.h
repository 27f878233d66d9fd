#pragma once
// Where the two data files live. Beside the program when its folder can be
// written and is the user's own, closed to everyone else (a copy run from
// its own folder keeps its data with it); an installed program, or one in a
// folder that others could write in or that belongs to someone else, keeps
// them in the
// user's data folder, $XDG_DATA_HOME/bindelora ("~/.local/share/bindelora"
// when unset), created on first use. The file names are the same in both.
// Plain functions of the executable's path: no window is needed.
#include <functional>
#include <string>

namespace bindelora {

// What the choice looks at, so that tests can stand in for the system.
struct EntornoCarpetaDatos {
    // The value of an environment variable; empty when unset.
    std::function<std::string(const char* nombre)> variable;
    // The home folder when HOME is unset or empty.
    std::function<std::string()> casa;
    // True when new files can be created in the folder.
    std::function<bool(const std::string& carpeta)> escribible;
    // True when the folder belongs to the user and neither group nor others
    // may write in it: no one else can plant or replace files there. Unset:
    // the real check.
    std::function<bool(const std::string& carpeta)> propia;

    // The real environment, the password database, access(2) and stat(2).
    static EntornoCarpetaDatos Sistema();
};

// The real ownership and mode check of EntornoCarpetaDatos::propia.
bool CarpetaPropia(const std::string& carpeta);

struct CarpetaDatos {
    std::string ruta;       // without a final '/'
    bool junto = false;     // beside the program
    std::string error;      // why the user's data folder could not be created; empty when it could
};

// Chooses the folder; when it is the user's data folder, creates it (and
// any missing parents, mode 0700) if missing. A folder that cannot be
// created is still returned, with error set: the first write there then
// fails and is reported like any failed save.
CarpetaDatos ElegirCarpetaDatos(const std::string& rutaEjecutable,
                                const EntornoCarpetaDatos& entorno = EntornoCarpetaDatos::Sistema());

// The full path of one data file: the program's file name with its
// extension replaced by ext (see NombreArchivoDatos), in the chosen folder.
std::string RutaArchivoDatos(const std::string& rutaEjecutable, const std::string& ext,
                             const EntornoCarpetaDatos& entorno = EntornoCarpetaDatos::Sistema());

// The two data files in use, e.g. to show the user where the data is.
struct RutasDatos {
    std::string agenda;  // the address book ("dat")
    std::string avisal;  // the dated events ("avs")
};
RutasDatos RutasArchivosDatos(const std::string& rutaEjecutable,
                              const EntornoCarpetaDatos& entorno = EntornoCarpetaDatos::Sistema());

}  // namespace bindelora
