#pragma once
// The settings store: one key of values, each a string or a 32-bit integer,
// as the Windows registry keeps them. The real store is a REGEDIT4 text file.
#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "platform/sustituible.h"

namespace bindelora {

enum class LecturaRegistro { Ok, Falta, OtroTipo };

class RegistroArchivo;

class Registro : public Sustituible<Registro, RegistroArchivo> {
public:
    virtual ~Registro() = default;
    // Opens the key; with crear, creates it when missing. False when the key
    // is missing (and not created) or the store cannot be used (see Error()).
    virtual bool AbrirClave(bool crear) = 0;
    virtual LecturaRegistro LeerCadena(const std::string& nombre, std::string& valor) = 0;
    virtual LecturaRegistro LeerEntero(const std::string& nombre, std::uint32_t& valor) = 0;
    // Each write reaches the store at once. False with Error() on failure.
    virtual bool EscribirCadena(const std::string& nombre, const std::string& valor) = 0;
    virtual bool EscribirEntero(const std::string& nombre, std::uint32_t valor) = 0;
    // Why the last operation failed, in Spanish; empty when it did not.
    virtual std::string Error() const = 0;
};

// A value of any type the store may hold; other types are kept as the raw
// text after '=' so that they are written back unchanged.
struct OtroValor { std::string crudo; };
using ValorRegistro = std::variant<std::string, std::uint32_t, OtroValor>;

// In memory, for tests.
class RegistroMemoria : public Registro {
public:
    bool AbrirClave(bool crear) override;
    LecturaRegistro LeerCadena(const std::string& nombre, std::string& valor) override;
    LecturaRegistro LeerEntero(const std::string& nombre, std::uint32_t& valor) override;
    bool EscribirCadena(const std::string& nombre, const std::string& valor) override;
    bool EscribirEntero(const std::string& nombre, std::uint32_t valor) override;
    std::string Error() const override { return fallar ? "Error simulado" : ""; }

    bool existe = false;   // the key exists
    bool fallar = false;   // every operation fails
    std::map<std::string, ValorRegistro> valores;

private:
    const ValorRegistro* Buscar(const std::string& nombre);
    bool Poner(const std::string& nombre, ValorRegistro valor);
};

// The REGEDIT4 file (Windows-1252): "REGEDIT4", a blank line, the key line
// [HKEY_LOCAL_MACHINE\Software\Quenturo\Bindelora], then "Name"="text" and
// "Name"=dword:0000000n lines. Other keys and lines are kept as they are.
class RegistroArchivo : public Registro {
public:
    // Default path: $XDG_CONFIG_HOME/Quenturo/Bindelora.reg (~/.config when unset).
    RegistroArchivo();
    explicit RegistroArchivo(std::string ruta);
    static std::string RutaPorDefecto();
    const std::string& Ruta() const { return ruta_; }

    // With an empty path the text lives in memory only: CargarTexto puts it
    // in place of a file, Texto() gives what a save would write.
    void CargarTexto(const std::string& datos);
    std::string Texto() const;

    bool AbrirClave(bool crear) override;
    LecturaRegistro LeerCadena(const std::string& nombre, std::string& valor) override;
    LecturaRegistro LeerEntero(const std::string& nombre, std::uint32_t& valor) override;
    bool EscribirCadena(const std::string& nombre, const std::string& valor) override;
    bool EscribirEntero(const std::string& nombre, std::uint32_t valor) override;
    std::string Error() const override { return error_; }

private:
    std::string ruta_;
    std::string error_;
    // The file as last read or written, one entry per logical line without
    // its line end (a value continued by a trailing backslash keeps its inner
    // CR LF).
    std::vector<std::string> lineas_;
    bool cargado_ = false;
    bool limpiado_ = false;  // the leftovers of crashed saves, once per run

    bool Cargar();
    bool Guardar();
    bool Escribir(const std::string& nombre, const std::string& valorTexto);
    LecturaRegistro Leer(const std::string& nombre, ValorRegistro& valor);
    long BuscarValor(const std::string& nombre) const;  // -1 when absent
    long InicioClave() const;                           // -1 when absent
    void CrearClave();
};

}  // namespace bindelora
