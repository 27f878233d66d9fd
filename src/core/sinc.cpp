// The exchange with the folder: which side changed since last time, and
// what each change does to the other side.
#include "core/sinc.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <deque>
#include <functional>
#include <system_error>
#include <thread>
#include <unordered_set>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/archivo.h"
#include "core/orden.h"
#include "core/sinc_interno.h"
#include "core/sinc_lado.h"
#include "core/texto.h"

namespace bindelora {

struct Sincronizador::Estado {
    ItemsEstado items[2];
    std::unordered_map<const void*, ItemEstado*> ids;
    bool primero = false;  // no usable state: nothing is deleted on either side
    bool enCurso = false;  // the records' addresses name their items
};

namespace {

using namespace detalle_sinc;

struct Contactos {
    using R = TPibe;
    static constexpr std::string_view kExt = ".vcf";
    static constexpr const char* kCarpeta = "contactos";
    static std::uint64_t Hash(const R& p) { return HashPibe(p); }
    static bool Mismo(const R& a, const R& b) { return MismoPibe(a, b); }
    static ItemPibe Leer(std::string_view t) { return LeerItemVCard(t); }
    static std::unique_ptr<R>& Registro(ItemPibe& i) { return i.pibe; }
    std::string Nuevo(const R& p, std::string_view uid) const { return NuevoItemVCard(p, uid); }
    std::string Reescribir(std::string_view a, const R& leido, const R& local) const
    {
        return ReescribirVCard(a, leido, local);
    }
    static std::string OtroUid(std::string_view a, std::string_view uid) { return CambiarUidVCard(a, uid); }
    static std::string Nombre(const R& p)
    {
        std::string n;
        for (const std::string* s : {&p.Nombre, &p.Ape1, &p.Ape2})
            if (!s->empty()) n += (n.empty() ? "" : " ") + *s;
        return n;
    }
    static void Tomar(R& local, const R& leido)
    {
        const bool avisal = local.EnAvisal, sesion = local.CumpleEntradoEnSesion;
        local = leido;
        // Other programs drop the mark; the birthday is entered all the same.
        local.EnAvisal = leido.EnAvisal || avisal;
        local.CumpleEntradoEnSesion = sesion;
    }
    static std::size_t& Nuevos(ResumenSinc& r) { return r.contactosNuevos; }
    static std::size_t& Cambiados(ResumenSinc& r) { return r.contactosCambiados; }
    static std::size_t& Borrados(ResumenSinc& r) { return r.contactosBorrados; }
    static bool& Cambio(ResumenSinc& r) { return r.pibesCambiados; }
    // Changed contacts move to their place, new ones go to theirs.
    static void Colocar(ListaPibes& lista, const std::vector<R*>& cambiados, std::vector<std::unique_ptr<R>>& nuevos,
                        std::string_view orden)
    {
        for (R* c : cambiados) {
            auto i = std::find_if(lista.begin(), lista.end(), [c](const auto& p) { return p.get() == c; });
            if (i != lista.end()) RecolocarPibe(lista, static_cast<std::size_t>(i - lista.begin()), orden);
        }
        for (auto& p : nuevos) {
            const std::size_t en = PosicionInsercion(lista, *p, orden);
            lista.insert(lista.begin() + static_cast<long>(en), std::move(p));
        }
    }
};

struct Sucesos {
    using R = TAvisal;
    static constexpr std::string_view kExt = ".ics";
    static constexpr const char* kCarpeta = "sucesos";
    Fecha hoy;
    MarcaUtc ahora;
    static std::uint64_t Hash(const R& a) { return HashAvisal(a); }
    static bool Mismo(const R& a, const R& b) { return MismoAvisal(a, b); }
    static ItemAvisal Leer(std::string_view t) { return LeerItemICal(t); }
    static std::unique_ptr<R>& Registro(ItemAvisal& i) { return i.avisal; }
    std::string Nuevo(const R& a, std::string_view uid) const { return NuevoItemICal(a, uid, hoy, ahora); }
    std::string Reescribir(std::string_view a, const R& leido, const R& local) const
    {
        return ReescribirICal(a, leido, local, hoy, ahora);
    }
    static std::string OtroUid(std::string_view a, std::string_view uid) { return CambiarUidICal(a, uid); }
    static std::string Nombre(const R& a) { return a.Texto; }
    static void Tomar(R& local, const R& leido) { local = leido; }
    static std::size_t& Nuevos(ResumenSinc& r) { return r.sucesosNuevos; }
    static std::size_t& Cambiados(ResumenSinc& r) { return r.sucesosCambiados; }
    static std::size_t& Borrados(ResumenSinc& r) { return r.sucesosBorrados; }
    static bool& Cambio(ResumenSinc& r) { return r.avisalesCambiados; }
    // The events file keeps insertion order.
    static void Colocar(ListaAvisales& lista, const std::vector<R*>&, std::vector<std::unique_ptr<R>>& nuevos,
                        std::string_view)
    {
        for (auto& p : nuevos) lista.push_back(std::move(p));
    }
};

}  // namespace

Sincronizador::Sincronizador(std::string carpeta, std::string rutaEstado)
    : carpeta_(SinBarraFinal(std::move(carpeta))), rutaEstado_(std::move(rutaEstado)), estado_(std::make_unique<Estado>())
{
}

Sincronizador::~Sincronizador() = default;

void Sincronizador::Reemplazado(const void* antes, const void* despues)
{
    auto i = estado_->ids.find(antes);
    if (i == estado_->ids.end()) return;
    ItemEstado* e = i->second;
    estado_->ids.erase(i);
    estado_->ids[despues] = e;
}

void Sincronizador::Olvidar(const void* registro) { estado_->ids.erase(registro); }

void Sincronizador::OlvidarDirecciones()
{
    estado_->ids.clear();
    estado_->enCurso = false;
}

namespace {

template <class F>
ResumenSinc Ejecutar(const std::string& carpeta, const std::string& rutaEstado, Sincronizador::Estado& es, bool& cargado,
                     bool soloEnviar, F&& lados)
{
    ResumenSinc r;
    if (!cargado) {
        cargado = true;
        std::string datos;
        int err = 0;
        if (!LeerArchivoEntero(rutaEstado, datos, err)) {
            es.primero = true;
            if (err != ENOENT)
                r.errores.push_back("No se puede leer " + rutaEstado + ": " + Porque(err) +
                                    "; se toma como el primer intercambio.");
        } else if (std::string antes; !LeerEstadoSinc(datos, antes, es.items[0], es.items[1])) {
            es.primero = true;
            r.errores.push_back("El archivo " + rutaEstado +
                                " est\xE1 da\xF1" "ado; se toma como el primer intercambio y no se borra nada.");
        } else if (antes != carpeta) {
            // Another folder: what the state says is not about it.
            es.items[0].clear();
            es.items[1].clear();
            es.primero = true;
        }
    }
    r.primerIntercambio = es.primero;
    std::string error;
    struct stat st;
    if (::stat(carpeta.c_str(), &st) != 0 && !(es.items[0].empty() && es.items[1].empty())) {
        r.errores.push_back(FaltaCarpeta(carpeta));
        return r;
    }
    if (!CrearCarpeta(carpeta, error)) {
        r.errores.push_back(error);
        return r;
    }
    Entorno e{carpeta, soloEnviar, !es.enCurso, {}, r, es.ids};
    lados(e);
    es.enCurso = true;
    // The records' addresses from now on.
    es.ids.clear();
    for (ItemsEstado& items : es.items) {
        for (auto& it : items)
            if (!it->quitar && it->local) es.ids[it->local] = it.get();
        std::erase_if(items, [](const auto& it) { return it->quitar; });
    }
    if (e.sucio) {
        // Made for its owner only by the safe write, like every new file.
        if (!EscribirArchivoSeguro(rutaEstado, SerializarEstadoSinc(carpeta, es.items[0], es.items[1]), error))
            r.errores.push_back(error);
        else
            es.primero = false;
    }
    return r;
}

}  // namespace

ResumenSinc Sincronizador::Intercambiar(ListaPibes& pibes, ListaAvisales& avisales, std::string_view orden,
                                        const Fecha& hoy, const MarcaUtc& ahora)
{
    return Ejecutar(carpeta_, rutaEstado_, *estado_, cargado_, false, [&](Entorno& e) {
        e.orden = orden;
        const std::string raiz = e.carpeta;
        Contactos c;
        Sucesos s{hoy, ahora};
        e.carpeta = raiz + "/" + Contactos::kCarpeta;
        Lado(c, &pibes, pibes, estado_->items[0], e);
        e.carpeta = raiz + "/" + Sucesos::kCarpeta;
        Lado(s, &avisales, avisales, estado_->items[1], e);
    });
}

ResumenSinc Sincronizador::Enviar(const ListaPibes& pibes, const ListaAvisales& avisales, const Fecha& hoy,
                                  const MarcaUtc& ahora)
{
    return Ejecutar(carpeta_, rutaEstado_, *estado_, cargado_, true, [&](Entorno& e) {
        const std::string raiz = e.carpeta;
        Contactos c;
        Sucesos s{hoy, ahora};
        e.carpeta = raiz + "/" + Contactos::kCarpeta;
        Lado(c, static_cast<ListaPibes*>(nullptr), pibes, estado_->items[0], e);
        e.carpeta = raiz + "/" + Sucesos::kCarpeta;
        Lado(s, static_cast<ListaAvisales*>(nullptr), avisales, estado_->items[1], e);
        // The data files now hold the book as it is.
        for (ItemsEstado& items : estado_->items)
            for (auto& it : items) {
                if (it->conflicto) continue;
                const std::uint64_t g = it->local ? it->hashLocal : it->hashRegistro;
                if (g != it->hashGuardado) {
                    it->hashGuardado = g;
                    e.sucio = true;
                }
            }
    });
}

}  // namespace bindelora
