#pragma once
// What the modes for scripts share: their arguments, the help, the messages
// and the data files, read as the window reads them.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/avisal.h"
#include "core/fecha.h"
#include "core/pibe.h"

namespace bindelora {

struct Orden {
    std::string modo;  // "--hoy" ...
    std::vector<std::string> resto;  // its other arguments
    bool vcard3 = false;
    Fecha fecha{};  // the day --hoy was given, if any
};

// Reads the arguments: -1 when they are the window's ("/LISTA", none ...),
// 2 when they misuse a mode (said on the error output), 0 otherwise.
int LeerOrden(int argc, char** argv, Orden& orden);

std::string_view TextoAyuda();

void Escribir(std::FILE* f, std::string_view s);
// Windows-1252 messages to the terminal, which speaks UTF-8. Control
// characters but the line breaks become '?': data must not drive the
// terminal.
void Decir(std::FILE* f, std::string_view cp1252);

// A file's name (the system's UTF-8) for a message: Windows-1252, on one
// line, no control characters.
std::string RutaEnMensaje(std::string_view ruta);

// The program file's path, as the window finds it: the data files are
// placed after it.
std::string RutaPropia(const char* argv0);

// True when ruta names one of the two data files, under any name: an
// export written there would put its text in place of the user's contacts
// or events.
bool EsArchivoDeDatos(const std::string& ruta, const std::string& agenda, const std::string& avisal);

// Says so and gives the exit code of a misuse.
int NoSobreDatos(const std::string& ruta);

// Reads the agenda; false (with the message told) when it cannot be used:
// a damaged file counts only when completa, else its first records serve.
bool CargarLibro(const std::string& ruta, ListaPibes& lista, bool completa);

// The event list as the window has it after its start: the events file
// (past entries dropped) and the birthdays not yet entered. Nothing is
// written. False (said) when the events file cannot be used.
bool CargarSucesos(const std::string& agenda, const std::string& avisal, const Fecha& hoy, ListaAvisales& avisales);

// The local date, as the window's clock gives it.
Fecha HoyLocal();

// Today's texts, as the today's-events window finds them, not yet in its
// order; false (said) when the events file cannot be used.
bool TextosHoy(const std::string& agenda, const std::string& avisal, const Fecha& hoy,
               std::vector<std::string>& textos);

// The texts to the standard output, one a line, control characters made '?'.
void DecirTextosHoy(const std::vector<std::string>& textos);

}  // namespace bindelora
