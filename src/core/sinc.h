#pragma once
// Keeps a vdir (one vCard file per contact in contactos/, one iCalendar file
// per entry in sucesos/) in step with the book, for vdirsyncer to carry to
// a CardDAV/CalDAV server. What was exchanged last is kept in a state file
// beside the data files, so each side's changes can be told apart.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/avisal.h"
#include "core/fecha.h"
#include "core/icalendar.h"
#include "core/pibe.h"

namespace bindelora {

struct ResumenSinc {
    // Into the book.
    std::size_t contactosNuevos = 0, contactosCambiados = 0, contactosBorrados = 0;
    std::size_t sucesosNuevos = 0, sucesosCambiados = 0, sucesosBorrados = 0;
    // Into the folder.
    std::size_t escritos = 0, borrados = 0;
    // Events no entry can hold, left alone.
    std::size_t noRepresentables = 0;
    // Both sides changed: the contacts' names and the entries' texts whose
    // folder version became a new one. Windows-1252.
    std::vector<std::string> conflictos;
    // Spanish, Windows-1252, one line each.
    std::vector<std::string> errores;
    bool pibesCambiados = false, avisalesCambiados = false;
    bool primerIntercambio = false;
};

// One line for the command line and the log of a run.
std::string TextoResumenSinc(const ResumenSinc& r);

// The state file kept beside the data files.
std::string RutaEstadoSinc(const std::string& rutaAgenda);

class Sincronizador {
public:
    // carpeta: the vdir's root; rutaEstado: the state file.
    Sincronizador(std::string carpeta, std::string rutaEstado);
    ~Sincronizador();
    Sincronizador(const Sincronizador&) = delete;
    Sincronizador& operator=(const Sincronizador&) = delete;

    // Both directions. The first call of a run pairs the records with the
    // items they had by the hash of their content; later calls go by the
    // records' addresses, so a record keeps its item through edits. New
    // contacts are placed by the ordering orden; new entries appended.
    ResumenSinc Intercambiar(ListaPibes& pibes, ListaAvisales& avisales, std::string_view orden, const Fecha& hoy,
                             const MarcaUtc& ahora);

    // Only towards the folder, for the end of a run, when the data files
    // are already written and the book can no longer change: what changed
    // in the folder waits for the next exchange; when both sides changed,
    // the folder's version goes to a new item, to come in as a new record.
    ResumenSinc Enviar(const ListaPibes& pibes, const ListaAvisales& avisales, const Fecha& hoy, const MarcaUtc& ahora);

    // The window replaced a record by another (an edited entry is deleted
    // and appended anew): the new one keeps the old one's item.
    void Reemplazado(const void* antes, const void* despues);
    // The record was deleted: its address may come back for another one.
    void Olvidar(const void* registro);
    // The lists were read again from the data files (a recovery): records
    // are paired with their items by content again, as at a start.
    void OlvidarDirecciones();

    struct Estado;

private:
    std::string carpeta_, rutaEstado_;
    std::unique_ptr<Estado> estado_;
    bool cargado_ = false;
};

}  // namespace bindelora
