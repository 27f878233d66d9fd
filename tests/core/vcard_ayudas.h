#pragma once
// What the vCard tests share: contacts made by hand or at random.
#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <string_view>

#include "ayudas.h"
#include "core/pibe.h"
#include "core/vcard.h"

namespace bindelora::prueba {

inline std::unique_ptr<TPibe> PibeVCard(const char* nombre, const char* ape1, const char* ape2 = "", double cumple = 0)
{
    auto p = std::make_unique<TPibe>();
    p->Nombre = C(nombre);
    p->Ape1 = C(ape1);
    p->Ape2 = C(ape2);
    p->Cumple = cumple;
    return p;
}

// A field of any Windows-1252 byte but the line breaks, weighted towards
// the characters that need care: escapes, accents, Ñ, the agenda's "----".
inline std::string Campo(std::mt19937& g, int maximo)
{
    static const std::string kDificiles = C("ÁÉÍÓÚáéíóúÑñü€Œ") + ";,\\:= \t\"----" + std::string("\x81\x8D\x9D\xA0\xFF\x01", 6);
    const int n = static_cast<int>(g() % static_cast<unsigned>(maximo + 1));
    std::string s;
    for (int i = 0; i < n; ++i) {
        unsigned r = g() % 10;
        char c;
        if (r < 5) c = static_cast<char>('a' + g() % 26);
        else if (r < 8) c = kDificiles[g() % kDificiles.size()];
        else {
            do c = static_cast<char>(g() % 256); while (c == '\r' || c == '\n');
        }
        s += c;
    }
    if (g() % 8 == 0) s = "----";
    return s;
}

inline ListaPibes LibroAlAzar(unsigned semilla, int n)
{
    std::mt19937 g(semilla);
    ListaPibes l;
    for (int i = 0; i < n; ++i) {
        auto p = std::make_unique<TPibe>();
        // Long names cross the 75-octet folds.
        p->Nombre = Campo(g, g() % 4 == 0 ? 200 : 12);
        p->Ape1 = Campo(g, 12);
        p->Ape2 = g() % 3 ? Campo(g, 12) : std::string();
        p->TfnoCasa = Campo(g, 10);
        p->TfnoMovil = Campo(g, 10);
        p->EMail = Campo(g, 20);
        p->Grupo = g() % 3 ? Campo(g, 8) : std::string();
        switch (g() % 6) {
        case 0: p->Cumple = 0; break;
        case 1: p->Cumple = Dia(1, 1 + static_cast<int>(g() % 12), 1 + static_cast<int>(g() % 28)); break;  // no year
        case 2: p->Cumple = Dia(1980, 2, 29); break;
        case 3: p->Cumple = 36892.5; break;  // not a whole day: kept as written
        default: p->Cumple = Dia(1900 + static_cast<int>(g() % 150), 1 + static_cast<int>(g() % 12), 1 + static_cast<int>(g() % 28));
        }
        p->EnAvisal = g() % 2;
        for (unsigned k = g() % 4; k > 0; --k) p->Direccion.push_back(Campo(g, 30));
        for (unsigned k = g() % 4; k > 0; --k) p->Varios.push_back(Campo(g, 100));
        l.push_back(std::move(p));
    }
    return l;
}

// The contact as an import gives it back: the control characters but TAB
// dropped from every field. Returns how many went.
inline std::size_t SinControles(TPibe& p)
{
    std::size_t n = 0;
    auto quitar = [&n](std::string& s) {
        const auto fin = std::remove_if(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; });
        n += static_cast<std::size_t>(s.end() - fin);
        s.erase(fin, s.end());
    };
    for (std::string* s : {&p.Nombre, &p.Ape1, &p.Ape2, &p.TfnoCasa, &p.TfnoMovil, &p.EMail, &p.Grupo}) quitar(*s);
    for (std::string& s : p.Direccion) quitar(s);
    for (std::string& s : p.Varios) quitar(s);
    return n;
}

inline ListaPibes Leer(std::string_view texto)
{
    LecturaVCard r = LeerVCard(texto);
    ListaPibes l;
    for (auto& p : r.pibes) l.push_back(std::move(p));
    return l;
}

}  // namespace bindelora::prueba
