#include "core/cumples.h"

#include <array>

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
    // The count and the "Fecha:" text depend on the day and month alone:
    // worked out once per call rather than once per contact.
    std::array<std::array<int, 32>, 13> dias;
    std::array<std::array<std::string, 32>, 13> fechas;
    for (int m = 1; m <= 12; ++m)
        for (int d = 1; d <= 31; ++d) {
            dias[m][d] = DiasParaCumple(d, m, hoy);
            fechas[m][d] = std::to_string(d) + '-' + NombresMesCortos[static_cast<std::size_t>(m)];
        }

    // First pass: who is listed and with which count; then a counting sort,
    // stable, so equal counts keep the book's order.
    struct Datos {
        std::size_t pos;
        Fecha f;
        int dias;
    };
    std::vector<Datos> datos;
    datos.reserve(lista.size());
    std::array<std::size_t, 367> inicio{};
    for (std::size_t pos = 0; pos < lista.size(); ++pos) {
        const TPibe& p = *lista[pos];
        Fecha f;
        if (p.Cumple == 0 || !DecodificarFecha(p.Cumple, f)) continue;
        const int d = dias[static_cast<std::size_t>(f.mes)][static_cast<std::size_t>(f.dia)];
        datos.push_back({pos, f, d});
        ++inicio[static_cast<std::size_t>(d) + 1];
    }
    for (std::size_t k = 1; k < inicio.size(); ++k) inicio[k] += inicio[k - 1];

    std::vector<FilaCumple> filas(datos.size());
    for (const Datos& x : datos) {
        const TPibe& p = *lista[x.pos];
        FilaCumple& fila = filas[inicio[static_cast<std::size_t>(x.dias)]++];
        fila.pibe = &p;
        auto& t = fila.textos;
        t.resize(NumColumnasCumple);
        t[ColFaltan] = RellenarConCeros(x.dias, 4);
        t[ColPos] = std::to_string(x.pos);
        t[ColFechaCumple] = fechas[static_cast<std::size_t>(x.f.mes)][static_cast<std::size_t>(x.f.dia)];
        if (x.f.ano != 1) t[ColAnos] = std::to_string(EdadEnCumple(x.f.ano, x.f.mes, x.f.dia, hoy));
        std::string& nombre = t[ColNombre];
        nombre.reserve(p.Nombre.size() + p.Ape1.size() + p.Ape2.size() + 2);
        nombre += p.Nombre;
        nombre += ' ';
        nombre += p.Ape1;
        nombre += ' ';
        nombre += p.Ape2;
        t[ColGrupo] = p.Grupo;
    }
    return filas;
}

}  // namespace bindelora
