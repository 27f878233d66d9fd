// Drives the book for the integration test as a run of the window does:
//   conductor sesion AGENDA AVISAL CARPETA OPS...
// start exchange, the edits OPS made in between, the data files written,
// end exchange. OPS: cambiar:NOMBRE:CAMPO:VALOR, borrar:NOMBRE,
// anadir:NOMBRE:APE1:MOVIL, scambiar:TEXTO:NUEVO, sborrar:TEXTO,
// sanadir:DIA:MES:ANO:TEXTO, orden:SHELL (run then, e.g. the other side's
// edits and syncs). Names and texts are UTF-8.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/agenda.h"
#include "core/archivo_avisal.h"
#include "core/sinc.h"
#include "core/texto.h"
#include "sincronizar.h"

using namespace bindelora;

namespace {

const Fecha kHoy{2026, 12, 9};

std::vector<std::string> Partes(const std::string& op)
{
    const std::string tipo = op.substr(0, op.find(':'));
    const std::size_t n = tipo == "cambiar" || tipo == "anadir" ? 4 : tipo == "scambiar" ? 3 : tipo == "sanadir" ? 5 : 2;
    std::vector<std::string> r(1);
    for (char c : op) {
        if (c == ':' && r.size() < n) r.emplace_back();
        else r.back() += c;
    }
    return r;
}

int Sesion(const std::string& agenda, const std::string& avisal, const std::string& carpeta, int n, char** ops)
{
    ListaPibes pibes;
    ListaAvisales avisales;
    LeerAgenda(agenda, pibes);
    if (!LeerArchivoAvisal(avisal, kHoy, avisales).Correcta()) return 1;
    Sincronizador s(carpeta, RutaEstadoSinc(agenda));
    ResumenSinc r = s.Intercambiar(pibes, avisales, "Nombre", kHoy, AhoraUtc());
    std::printf("inicio: %s\n", Cp1252AUtf8(TextoResumenSinc(r)).c_str());
    for (int i = 0; i < n; ++i) {
        const std::vector<std::string> p = Partes(ops[i]);
        auto pibe = [&pibes](const std::string& nombre) -> std::size_t {
            for (std::size_t j = 0; j < pibes.size(); ++j)
                if (pibes[j]->Nombre == Utf8ACp1252(nombre)) return j;
            std::fprintf(stderr, "no hay contacto %s\n", nombre.c_str());
            std::exit(1);
        };
        auto suceso = [&avisales](const std::string& texto) -> std::size_t {
            for (std::size_t j = 0; j < avisales.size(); ++j)
                if (avisales[j]->Texto == Utf8ACp1252(texto)) return j;
            std::fprintf(stderr, "no hay suceso %s\n", texto.c_str());
            std::exit(1);
        };
        if (p[0] == "cambiar" && p.size() == 4) {
            TPibe& x = *pibes[pibe(p[1])];
            std::string* campo = p[2] == "movil" ? &x.TfnoMovil : p[2] == "casa" ? &x.TfnoCasa : p[2] == "email" ? &x.EMail : &x.Grupo;
            *campo = Utf8ACp1252(p[3]);
        } else if (p[0] == "borrar" && p.size() == 2) {
            const std::size_t j = pibe(p[1]);
            s.Olvidar(pibes[j].get());
            pibes.erase(pibes.begin() + static_cast<long>(j));
        } else if (p[0] == "anadir" && p.size() == 4) {
            auto x = std::make_unique<TPibe>();
            x->Nombre = Utf8ACp1252(p[1]);
            x->Ape1 = Utf8ACp1252(p[2]);
            x->TfnoMovil = p[3];
            pibes.push_back(std::move(x));
        } else if (p[0] == "scambiar" && p.size() == 3) {
            // The events editor replaces the entry by a new one.
            const std::size_t j = suceso(p[1]);
            auto x = std::make_unique<TAvisal>(*avisales[j]);
            x->Texto = Utf8ACp1252(p[2]);
            s.Reemplazado(avisales[j].get(), x.get());
            avisales.erase(avisales.begin() + static_cast<long>(j));
            avisales.push_back(std::move(x));
        } else if (p[0] == "sborrar" && p.size() == 2) {
            const std::size_t j = suceso(p[1]);
            s.Olvidar(avisales[j].get());
            avisales.erase(avisales.begin() + static_cast<long>(j));
        } else if (p[0] == "sanadir" && p.size() == 5) {
            auto x = std::make_unique<TAvisal>();
            x->Dia = std::atoi(p[1].c_str());
            x->Mes = std::atoi(p[2].c_str());
            x->Ano = std::atoi(p[3].c_str());
            x->Texto = Utf8ACp1252(p[4]);
            avisales.push_back(std::move(x));
        } else if (p[0] == "orden" && p.size() == 2) {
            if (std::system(p[1].c_str()) != 0) return 1;
        } else {
            std::fprintf(stderr, "no entiendo %s\n", ops[i]);
            return 2;
        }
    }
    std::string error;
    if (!GuardarAgenda(agenda, pibes, error) || !GuardarArchivoAvisal(avisal, avisales, error)) {
        std::fprintf(stderr, "%s\n", Cp1252AUtf8(error).c_str());
        return 1;
    }
    r = s.Enviar(pibes, avisales, kHoy, AhoraUtc());
    std::printf("fin: %s\n", Cp1252AUtf8(TextoResumenSinc(r)).c_str());
    for (const std::string& e : r.errores) std::fprintf(stderr, "%s\n", Cp1252AUtf8(e).c_str());
    return r.errores.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "uso: conductor sesion AGENDA AVISAL CARPETA [OPS...]\n");
        return 2;
    }
    const std::string modo = argv[1];
    if (modo == "sesion") return Sesion(argv[2], argv[3], argv[4], argc - 5, argv + 5);
    return 2;
}
