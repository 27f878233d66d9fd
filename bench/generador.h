#pragma once
// Realistic address books for the benchmarks: Spanish names with accents and
// Ñ, phones, e-mails, groups, addresses, notes and birthdays with and without
// a year. About 250 bytes of agenda file per contact, so 100,000 contacts
// make a file of 20 to 30 MB. The same seed always gives the same book.
#include <cstddef>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/fecha.h"
#include "core/pibe.h"
#include "core/texto.h"

namespace bindelora::bench {

namespace detalle {

// Written in UTF-8 here for legibility; the program holds Windows-1252.
inline std::vector<std::string> Tabla(std::initializer_list<const char*> utf8)
{
    std::vector<std::string> t;
    for (const char* s : utf8) t.push_back(Utf8ACp1252(s));
    return t;
}

struct Tablas {
    std::vector<std::string> nombres = Tabla({
        "José", "María", "Íñigo", "Ana", "Antonio", "Carmen", "Manuel", "Lucía", "Francisco",
        "Isabel", "David", "Laura", "Juan", "Marta", "Javier", "Elena", "Jesús", "Sofía",
        "Ángel", "Paula", "Rubén", "Irene", "Álvaro", "Nuria", "Sergio", "Begoña", "Óscar",
        "Raquel", "Andrés", "Inés", "Tomás", "Nerea", "Joaquín", "Rocío", "Adrián", "Verónica",
        "María José", "José Luis", "Juan Carlos", "Ana Belén", "Miguel Ángel", "Mª Ángeles",
        "Fermín", "Begoña", "Iñaki", "Ainhoa", "Nicolás", "Mónica", "Agustín", "Pilar"});
    std::vector<std::string> apellidos = Tabla({
        "García", "Martínez", "López", "Sánchez", "Pérez", "González", "Rodríguez", "Fernández",
        "Gómez", "Martín", "Jiménez", "Ruiz", "Hernández", "Díaz", "Moreno", "Muñoz", "Álvarez",
        "Romero", "Alonso", "Gutiérrez", "Navarro", "Torres", "Domínguez", "Vázquez", "Ramos",
        "Gil", "Ramírez", "Serrano", "Blanco", "Suárez", "Molina", "Castro", "Ortega", "Núñez",
        "Peña", "Ibáñez", "Ordóñez", "Castaño", "Iglesias", "Medina", "Garrido", "Cortés",
        "Rubio", "Marín", "Sanz", "Echeverría", "Goñi", "de la Fuente", "del Río", "Muñiz"});
    std::vector<std::string> grupos = Tabla({
        "Familia", "Amigos", "Trabajo", "", "Vecinos", "Club de pádel", "Médicos", "Colegio",
        "Amigos", "Familia", "Trabajo", ""});
    std::vector<std::string> calles = Tabla({
        "C/ Mayor", "Avda. de la Constitución", "C/ Real", "Pza. de España", "C/ del Carmen",
        "Paseo de la Castellana", "C/ Alcalá", "Ronda de Triana", "C/ San Martín",
        "Travesía de la Iglesia", "C/ Núñez de Balboa", "Camino Viejo de Logroño"});
    std::vector<std::string> pisos = Tabla({"", ", 1º A", ", 2º B", ", 3º Izda.", ", 4º Dcha.", ", bajo", ", ático"});
    std::vector<std::string> ciudades = Tabla({
        "28013 Madrid", "08001 Barcelona", "41004 Sevilla", "46002 Valencia", "48001 Bilbao",
        "31001 Pamplona", "15001 A Coruña", "50001 Zaragoza", "29001 Málaga", "33001 Oviedo",
        "26001 Logroño", "37001 Salamanca"});
    std::vector<std::string> notas = Tabla({
        "Llamar después de las ocho", "Le gusta el café sin azúcar", "Alérgico a los frutos secos",
        "Cuñado de Begoña; trabaja en el hospital", "Prestado el libro de García Márquez",
        "Cumpleaños de su hija en junio", "Número de cuenta en la carpeta azul",
        "Vive en el segundo portal, timbre estropeado", "Compañero de la autoescuela",
        "Nos vimos en la boda de Íñigo", "Prefiere WhatsApp", "Pendiente devolver la tienda de campaña"});
    std::vector<std::string> dominios = Tabla({"gmail.com", "hotmail.com", "yahoo.es", "telefonica.net", "empresa.es"});
};

inline const Tablas& LasTablas()
{
    static const Tablas t;
    return t;
}

// Lower-case ASCII for e-mail addresses.
inline std::string Ascii(const std::string& s)
{
    std::string r;
    for (char c : NormalizarTexto(s, true)) {
        if (c >= 'A' && c <= 'Z') r += static_cast<char>(c - 'A' + 'a');
        else if (c >= '0' && c <= '9') r += c;
    }
    return r;
}

}  // namespace detalle

inline ListaPibes GenerarAgenda(std::size_t n, unsigned semilla)
{
    const detalle::Tablas& t = detalle::LasTablas();
    std::mt19937 g(semilla);
    // Plain modulo rather than the distributions, whose output differs
    // between standard libraries.
    auto azar = [&g](unsigned n) { return static_cast<unsigned>(g() % n); };
    auto elegir = [&](const std::vector<std::string>& v) -> const std::string& { return v[azar(static_cast<unsigned>(v.size()))]; };
    auto digitos = [&](std::string s, int cuantos) {
        for (int i = 0; i < cuantos; ++i) s += static_cast<char>('0' + azar(10));
        return s;
    };

    ListaPibes lista;
    lista.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        auto p = std::make_unique<TPibe>();
        p->Nombre = elegir(t.nombres);
        p->Ape1 = elegir(t.apellidos);
        if (azar(100) < 92) p->Ape2 = elegir(t.apellidos);
        if (azar(100) < 60) p->TfnoCasa = digitos(azar(2) ? "91" : "9", azar(2) ? 7 : 8);
        if (azar(100) < 85) p->TfnoMovil = digitos(azar(3) ? "6" : "7", 8);
        if (azar(100) < 75)
            p->EMail = detalle::Ascii(p->Nombre.substr(0, p->Nombre.find(' '))) + "." +
                       detalle::Ascii(p->Ape1) + (azar(3) ? "" : digitos("", 2)) + "@" + elegir(t.dominios);
        p->Grupo = elegir(t.grupos);

        int lineasDir = 1 + static_cast<int>(azar(3));
        p->Direccion.push_back(elegir(t.calles) + ", " + std::to_string(1 + azar(140)) + elegir(t.pisos));
        if (lineasDir > 1) p->Direccion.push_back(elegir(t.ciudades));
        if (lineasDir > 2) p->Direccion.push_back("Apartado de correos " + std::to_string(100 + azar(9000)));
        int lineasVar = static_cast<int>(azar(4));
        for (int k = 0; k < lineasVar; ++k) p->Varios.push_back(elegir(t.notas));

        if (azar(100) < 70) {
            int mes = 1 + static_cast<int>(azar(12));
            int dia = 1 + static_cast<int>(azar(28));
            // One birthday in five is known without its year.
            int ano = azar(5) == 0 ? 1 : 1930 + static_cast<int>(azar(90));
            CodificarFecha(ano, mes, dia, p->Cumple);
            p->EnAvisal = azar(100) < 60;
        }
        lista.push_back(std::move(p));
    }
    return lista;
}

}  // namespace bindelora::bench
