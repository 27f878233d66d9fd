#pragma once
#include <memory>
#include <string>
#include <vector>

namespace bindelora {

// One contact of the address book.
struct TPibe {
    std::string Nombre;
    std::string Ape1;
    std::string Ape2;
    std::string TfnoCasa;
    std::string TfnoMovil;
    std::string EMail;
    std::string Grupo;
    std::vector<std::string> Direccion;
    double Cumple = 0;  // date value; 0 means no birthday
    bool EnAvisal = false;
    std::vector<std::string> Varios;
    // Never stored: the birthday was entered as an event in this run, so a
    // re-read of the events file (which predates it) must enter it again.
    bool CumpleEntradoEnSesion = false;
};

// The address book owns its records; its order is the current ordering.
using ListaPibes = std::vector<std::unique_ptr<TPibe>>;

}  // namespace bindelora
