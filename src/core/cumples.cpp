#include "core/cumples.h"

#include <algorithm>

#include "core/avisal.h"
#include "core/texto.h"

namespace bindelora {

int DiasParaCumple(int dia, int mes, const Fecha& hoy)
{
    // The events already count to the next occurrence, leap years included.
    return DiasHastaAvisal(dia, mes, hoy);
}

int EdadEnCumple(int ano, int mes, int dia, const Fecha& hoy)
{
    const bool pasado = mes < hoy.mes || (mes == hoy.mes && dia < hoy.dia);
    return hoy.ano - ano + (pasado ? 1 : 0);
}

std::vector<FilaCumple> FilasCumples(const ListaPibes& lista, const Fecha& hoy)
{
    struct Clave {
        int dias;
        std::size_t fila;
    };
    std::vector<FilaCumple> filas;
    std::vector<Clave> claves;
    for (std::size_t pos = 0; pos < lista.size(); ++pos) {
        const TPibe& p = *lista[pos];
        Fecha f;
        if (p.Cumple == 0 || !DecodificarFecha(p.Cumple, f)) continue;
        const int dias = DiasParaCumple(f.dia, f.mes, hoy);
        if (dias < 0) continue;
        FilaCumple& fila = filas.emplace_back();
        fila.pibe = &p;
        auto& t = fila.textos;
        t[ColFaltan] = RellenarConCeros(dias, 4);
        t[ColPos] = std::to_string(pos);
        t[ColFechaCumple] = std::to_string(f.dia);
        t[ColFechaCumple] += '-';
        t[ColFechaCumple] += NombresMesCortos[static_cast<std::size_t>(f.mes)];
        if (f.ano != 1) t[ColAnos] = std::to_string(EdadEnCumple(f.ano, f.mes, f.dia, hoy));
        t[ColNombre].reserve(p.Nombre.size() + p.Ape1.size() + p.Ape2.size() + 2);
        t[ColNombre] = p.Nombre;
        t[ColNombre] += ' ';
        t[ColNombre] += p.Ape1;
        t[ColNombre] += ' ';
        t[ColNombre] += p.Ape2;
        t[ColGrupo] = p.Grupo;
        claves.push_back({dias, filas.size() - 1});
    }
    std::stable_sort(claves.begin(), claves.end(), [](const Clave& a, const Clave& b) { return a.dias < b.dias; });
    std::vector<FilaCumple> ordenadas;
    ordenadas.reserve(filas.size());
    for (const Clave& c : claves) ordenadas.push_back(std::move(filas[c.fila]));
    return ordenadas;
}

}  // namespace bindelora
