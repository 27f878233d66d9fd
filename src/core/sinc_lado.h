#pragma once
// Inside the folder's exchange only: the steps of one kind of record.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/archivo.h"
#include "core/sinc.h"
#include "core/sinc_interno.h"
#include "core/texto.h"

namespace bindelora::detalle_sinc {

struct Marca {
    std::int64_t tamano = -1, mtime = 0;
};

inline Marca MarcaDe(const struct stat& st)
{
    return {static_cast<std::int64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

inline std::string Porque(int err) { return Utf8ACp1252(std::strerror(err)); }

inline bool CrearCarpeta(const std::string& ruta, std::string& error)
{
    if (::mkdir(ruta.c_str(), 0700) == 0) return true;
    struct stat st;
    if (errno == EEXIST && ::stat(ruta.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    error = "No se puede crear la carpeta " + ruta + ": " + Porque(errno) + ".";
    return false;
}

// The regular files of carpeta whose names end in ext (not hidden, not a
// safe write's temporary file), with their size and time.
inline bool Listar(const std::string& carpeta, std::string_view ext, std::unordered_map<std::string, Marca>& r,
            std::string& error)
{
    DIR* d = ::opendir(carpeta.c_str());
    if (!d) {
        error = "No se puede leer la carpeta " + carpeta + ": " + Porque(errno) + ".";
        return false;
    }
    const int fd = ::dirfd(d);
    while (dirent* e = ::readdir(d)) {
        const std::string_view n = e->d_name;
        if (n.empty() || n[0] == '.' || n.size() <= ext.size() || n.substr(n.size() - ext.size()) != ext) continue;
        struct stat st;
        if (::fstatat(fd, e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) r.emplace(std::string(n), MarcaDe(st));
    }
    ::closedir(d);
    return true;
}

struct Escritura {
    std::string ruta, texto, error;
    bool ok = false;
    Marca marca;
};

inline void Escribir(Escritura& w)
{
    w.ok = EscribirArchivoSeguro(w.ruta, w.texto, w.error);
    struct stat st;
    if (w.ok && ::stat(w.ruta.c_str(), &st) == 0) w.marca = MarcaDe(st);
}

// Each safe write waits for the disk twice (the file and its folder): one
// after the other, a first exchange of 11,000 files takes some 40 s, and
// many at once share the waits. The threads only write files; nothing of
// the book is touched there.
inline void EscribirTodas(std::vector<Escritura>& ws)
{
    std::atomic<std::size_t> siguiente{0};
    auto trabajo = [&ws, &siguiente] {
        for (std::size_t i; (i = siguiente++) < ws.size();) Escribir(ws[i]);
    };
    std::vector<std::thread> hilos;
    const std::size_t n = std::min<std::size_t>(16, ws.size() / 8);
    for (std::size_t i = 0; i < n; ++i) {
        try {
            hilos.emplace_back(trabajo);
        } catch (const std::system_error&) {
            break;
        }
    }
    trabajo();
    for (std::thread& h : hilos) h.join();
}

struct Entorno {
    std::string carpeta;
    bool soloEnviar = false;
    bool porHash = false;
    std::string_view orden;
    ResumenSinc& r;
    std::unordered_map<const void*, ItemEstado*>& ids;
    bool sucio = false;  // the state file must be written
};


// Items by a hash, taken in their order: equal records pair in order.
class PorHash {
public:
    void Poner(std::uint64_t h, ItemEstado* it) { v_.emplace_back(h, it); }
    void Ordenar()
    {
        std::stable_sort(v_.begin(), v_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        usados_.assign(v_.size(), false);
    }
    ItemEstado* Tomar(std::uint64_t h)
    {
        auto i = std::lower_bound(v_.begin(), v_.end(), h, [](const auto& a, std::uint64_t x) { return a.first < x; });
        for (; i != v_.end() && i->first == h; ++i) {
            const std::size_t n = static_cast<std::size_t>(i - v_.begin());
            if (usados_[n]) continue;
            usados_[n] = true;
            return i->second;
        }
        return nullptr;
    }

private:
    std::vector<std::pair<std::uint64_t, ItemEstado*>> v_;
    std::vector<bool> usados_;
};

inline std::string FaltaCarpeta(const std::string& carpeta)
{
    return "La carpeta " + carpeta + " no est\xE1; no se sincroniza nada hasta que vuelva con sus archivos.";
}

template <class K>
using LecturaDe = decltype(K::Leer(std::string_view()));

inline bool LeerItem(const std::string& ruta, const std::string& nombre, std::string& bytes, Entorno& e)
{
    int err = 0;
    if (LeerArchivoEntero(ruta, bytes, err)) return true;
    e.r.errores.push_back(err == ENOENT ? "El archivo " + nombre + " ha desaparecido mientras se le\xED" "a; queda para la pr\xF3xima vez."
                                        : "No se puede leer el archivo " + nombre + ": " + Porque(err) + ".");
    return false;
}

// False, and reported, when the item's file gives no record.
template <class K>
bool Legible(LecturaDe<K>& l, const std::string& nombre, Entorno& e)
{
    if (l.tipo == TipoLectura::Bien) return true;
    if (l.tipo == TipoLectura::NoRepresentable) ++e.r.noRepresentables;
    else e.r.errores.push_back("El archivo " + nombre + " no se puede leer (" + l.porque + "); se deja como est\xE1.");
    return false;
}

// One kind of record against its folder (see the rules in sinc.h). lista
// is the book's list; mut the same when the book may change (null when
// only sending).
template <class K, class Lista>
void Lado(const K& k, Lista* mut, const Lista& lista, ItemsEstado& items, Entorno& e)
{
    using R = typename K::R;
    std::string error;
    std::unordered_map<std::string, Marca> archivos;
    archivos.reserve(items.size() + 64);
    // A folder gone (a drive not mounted, a folder moved) would empty the
    // book: nothing is done, and it is not made anew, until it is back.
    struct stat st;
    if (::stat(e.carpeta.c_str(), &st) != 0 && !items.empty()) {
        e.r.errores.push_back(FaltaCarpeta(e.carpeta));
        return;
    }
    if (!CrearCarpeta(e.carpeta, error) || !Listar(e.carpeta, K::kExt, archivos, error)) {
        e.r.errores.push_back(error);
        return;
    }
    for (auto& it : items) {
        it->local = nullptr;
        it->forzar = false;
    }

    // Which item each record had.
    std::vector<std::pair<const R*, std::uint64_t>> nuevos;
    std::unordered_set<std::string> conflictivos;
    if (e.porHash) {
        PorHash porHash;
        for (auto& it : items) porHash.Poner(it->hashRegistro, it.get());
        porHash.Ordenar();
        std::vector<std::pair<const R*, std::uint64_t>> sinPar;
        auto emparejar = [&e](ItemEstado* it, const R* p, std::uint64_t h) {
            it->local = p;
            it->hashLocal = h;
            if (it->hashGuardado != h) e.sucio = true;
            it->hashGuardado = h;
        };
        for (const auto& p : lista) {
            const std::uint64_t h = K::Hash(*p);
            if (ItemEstado* it = porHash.Tomar(h)) emparejar(it, p.get(), h);
            else sinPar.emplace_back(p.get(), h);
        }
        // The data file may still hold a record as it was before the last
        // exchange changed it (the run did not end well): it takes the
        // file again.
        PorHash porGuardado;
        for (auto& it : items)
            if (!it->local && it->hashGuardado != 0 && it->hashGuardado != it->hashRegistro)
                porGuardado.Poner(it->hashGuardado, it.get());
        porGuardado.Ordenar();
        for (auto [p, h] : sinPar) {
            if (ItemEstado* it = porGuardado.Tomar(h)) {
                it->forzar = true;
                emparejar(it, p, h);
            } else {
                nuevos.emplace_back(p, h);
            }
        }
        // Read from the folder but never saved: its file comes in anew.
        for (auto& it : items)
            if (!it->local && it->hashGuardado == 0) {
                it->quitar = true;
                e.sucio = true;
                if (it->conflicto) conflictivos.insert(it->archivo);
            }
    } else {
        for (const auto& p : lista) {
            auto f = e.ids.find(p.get());
            const std::uint64_t h = K::Hash(*p);
            if (f != e.ids.end() && !f->second->quitar) {
                f->second->local = p.get();
                f->second->hashLocal = h;
            } else {
                nuevos.emplace_back(p.get(), h);
            }
        }
    }

    std::unordered_set<std::string_view> conocidos, uids;
    conocidos.reserve(items.size() + archivos.size());
    uids.reserve(items.size() + archivos.size());
    for (auto& it : items)
        if (!it->quitar) {
            conocidos.insert(it->archivo);
            uids.insert(it->uid);
        }
    std::vector<std::unique_ptr<R>> entrantes;
    std::unordered_set<const R*> aBorrar;
    std::vector<R*> cambiados;
    auto anotar = [&e](ItemEstado& it, std::uint64_t hashRegistro, std::uint64_t hashArchivo, Marca m) {
        it.hashRegistro = hashRegistro;
        it.hashArchivo = hashArchivo;
        it.tamano = m.tamano;
        it.mtime = m.mtime;
        e.sucio = true;
    };
    auto escribir = [&e](const std::string& ruta, std::string texto, Escritura& w) {
        w.ruta = ruta;
        w.texto = std::move(texto);
        if (w.texto.empty()) w.error = "No se puede escribir " + ruta + ".";
        else Escribir(w);
        if (!w.ok) e.r.errores.push_back(w.error);
        else ++e.r.escritos;
        return w.ok;
    };
    auto entrar = [&](ItemEstado& it, std::unique_ptr<R> p) {
        it.local = p.get();
        it.hashGuardado = 0;
        entrantes.push_back(std::move(p));
        ++K::Nuevos(e.r);
    };

    const std::size_t total = items.size();
    for (std::size_t i = 0; i < total; ++i) {
        ItemEstado& it = *items[i];
        if (it.quitar || it.conflicto) continue;
        const std::string ruta = e.carpeta + "/" + it.archivo;
        const R* local = static_cast<const R*>(it.local);
        const bool localBorrado = local == nullptr;
        const bool localCambiado = !localBorrado && !e.porHash && it.hashLocal != it.hashRegistro;
        auto f = archivos.find(it.archivo);
        const bool borrado = f == archivos.end();
        Marca m = borrado ? Marca{} : f->second;
        std::string bytes;
        bool cambiado = false, leidos = false;
        std::uint64_t ha = it.hashArchivo;
        LecturaDe<K> leido;
        if (!borrado && (it.forzar || m.tamano != it.tamano || m.mtime != it.mtime)) {
            if (!LeerItem(ruta, it.archivo, bytes, e)) continue;
            leidos = true;
            ha = HashTexto(bytes);
            cambiado = it.forzar || ha != it.hashArchivo;
            if (!cambiado) anotar(it, it.hashRegistro, ha, m);
            else if (leido = K::Leer(bytes); !Legible<K>(leido, it.archivo, e)) continue;
        }
        if (borrado) {
            if (localBorrado) {
                it.quitar = true;
                e.sucio = true;
            } else if (localCambiado) {
                Escritura w;
                if (escribir(ruta, k.Nuevo(*local, it.uid), w)) anotar(it, K::Hash(*local), HashTexto(w.texto), w.marca);
            } else if (!e.soloEnviar) {
                aBorrar.insert(local);
                it.quitar = true;
                e.sucio = true;
                ++K::Borrados(e.r);
            }
            continue;
        }
        if (!cambiado) {
            if (localBorrado) {
                if (::unlink(ruta.c_str()) == 0 || errno == ENOENT) {
                    it.quitar = true;
                    e.sucio = true;
                    ++e.r.borrados;
                } else {
                    e.r.errores.push_back("No se puede borrar " + ruta + ": " + Porque(errno) + ".");
                }
            } else if (localCambiado) {
                if (!leidos && !LeerItem(ruta, it.archivo, bytes, e)) continue;
                leido = K::Leer(bytes);
                if (!Legible<K>(leido, it.archivo, e)) continue;
                std::string texto = k.Reescribir(bytes, *K::Registro(leido), *local);
                if (texto.empty()) texto = k.Nuevo(*local, it.uid);
                Escritura w;
                if (escribir(ruta, std::move(texto), w)) anotar(it, K::Hash(*local), HashTexto(w.texto), w.marca);
            }
            continue;
        }
        std::unique_ptr<R>& deFuera = K::Registro(leido);
        if (localBorrado) {
            if (e.soloEnviar) continue;
            anotar(it, K::Hash(*deFuera), ha, m);
            entrar(it, std::move(deFuera));
        } else if (!localCambiado) {
            if (e.soloEnviar) continue;
            R* l = const_cast<R*>(local);
            if (!K::Mismo(*l, *deFuera)) {
                K::Tomar(*l, *deFuera);
                cambiados.push_back(l);
                ++K::Cambiados(e.r);
            }
            anotar(it, K::Hash(*l), ha, m);
        } else if (K::Mismo(*local, *deFuera)) {
            anotar(it, K::Hash(*local), ha, m);
        } else {
            // Both changed: the folder's version goes to an item of its own.
            const std::string uid = NuevoUid(), nombre = uid + std::string(K::kExt);
            Escritura w;
            if (!escribir(e.carpeta + "/" + nombre, K::OtroUid(bytes, uid), w)) continue;
            e.r.conflictos.push_back(K::Nombre(*deFuera));
            std::string texto = k.Reescribir(bytes, *deFuera, *local);
            if (texto.empty()) texto = k.Nuevo(*local, it.uid);
            Escritura w2;
            if (escribir(ruta, std::move(texto), w2)) anotar(it, K::Hash(*local), HashTexto(w2.texto), w2.marca);
            auto otro = std::make_unique<ItemEstado>();
            otro->uid = uid;
            otro->archivo = nombre;
            anotar(*otro, K::Hash(*deFuera), HashTexto(w.texto), w.marca);
            // At an end it waits in the state for the next start.
            if (e.soloEnviar) otro->conflicto = true;
            else entrar(*otro, std::move(deFuera));
            conocidos.insert(otro->archivo);
            uids.insert(otro->uid);
            items.push_back(std::move(otro));
        }
    }

    // Files this program has not met yet, in name order.
    struct Candidato {
        std::string nombre, uid;
        Marca m;
        std::uint64_t ha;
        LecturaDe<K> leido;
        bool usado = false;
    };
    std::vector<Candidato> candidatos;
    std::vector<std::string> nombres;
    for (const auto& [nombre, m] : archivos)
        if (!conocidos.count(nombre)) nombres.push_back(nombre);
    std::sort(nombres.begin(), nombres.end());
    candidatos.reserve(nombres.size());  // uids keeps views of their identifiers
    for (const std::string& nombre : nombres) {
        std::string bytes;
        if (!LeerItem(e.carpeta + "/" + nombre, nombre, bytes, e)) continue;
        Candidato c{nombre, {}, archivos[nombre], HashTexto(bytes), K::Leer(bytes)};
        if (!Legible<K>(c.leido, nombre, e)) continue;
        c.uid = c.leido.uid.empty() ? nombre.substr(0, nombre.size() - K::kExt.size()) : c.leido.uid;
        if (uids.count(c.uid)) {
            e.r.errores.push_back("El archivo " + nombre + " tiene el mismo UID que otro; se deja como est\xE1.");
            continue;
        }
        candidatos.push_back(std::move(c));
        uids.insert(candidatos.back().uid);
    }
    // A new record and a new file with the same content are one item.
    std::unordered_map<std::uint64_t, std::deque<Candidato*>> porContenido;
    for (Candidato& c : candidatos) porContenido[K::Hash(*K::Registro(c.leido))].push_back(&c);
    std::vector<std::pair<const R*, std::uint64_t>> sinArchivo;
    for (auto [p, h] : nuevos) {
        auto f = porContenido.find(h);
        if (f == porContenido.end() || f->second.empty()) {
            sinArchivo.emplace_back(p, h);
            continue;
        }
        Candidato& c = *f->second.front();
        f->second.pop_front();
        c.usado = true;
        auto it = std::make_unique<ItemEstado>();
        it->uid = c.uid;
        it->archivo = c.nombre;
        it->local = p;
        it->hashLocal = h;
        it->hashGuardado = e.porHash ? h : 0;
        anotar(*it, h, c.ha, c.m);
        items.push_back(std::move(it));
    }
    if (!e.soloEnviar)
        for (Candidato& c : candidatos) {
            if (c.usado) continue;
            auto it = std::make_unique<ItemEstado>();
            it->uid = c.uid;
            it->archivo = c.nombre;
            anotar(*it, K::Hash(*K::Registro(c.leido)), c.ha, c.m);
            if (conflictivos.count(c.nombre)) e.r.conflictos.push_back(K::Nombre(*K::Registro(c.leido)));
            entrar(*it, std::move(K::Registro(c.leido)));
            items.push_back(std::move(it));
        }

    // Records new here, each to a new file named by its new identifier.
    std::vector<Escritura> ws;
    std::vector<std::unique_ptr<ItemEstado>> pendientes;
    for (auto [p, h] : sinArchivo) {
        auto it = std::make_unique<ItemEstado>();
        it->uid = NuevoUid();
        it->archivo = it->uid + std::string(K::kExt);
        std::string texto = k.Nuevo(*p, it->uid);
        if (texto.empty()) continue;  // no calendar can hold it
        it->local = p;
        it->hashLocal = h;
        it->hashRegistro = h;
        it->hashGuardado = e.porHash ? h : 0;
        Escritura w;
        w.ruta = e.carpeta + "/" + it->archivo;
        w.texto = std::move(texto);
        ws.push_back(std::move(w));
        pendientes.push_back(std::move(it));
    }
    EscribirTodas(ws);
    for (std::size_t i = 0; i < ws.size(); ++i) {
        if (!ws[i].ok) {
            e.r.errores.push_back(ws[i].error);
            continue;
        }
        ++e.r.escritos;
        anotar(*pendientes[i], pendientes[i]->hashRegistro, HashTexto(ws[i].texto), ws[i].marca);
        items.push_back(std::move(pendientes[i]));
    }

    if (mut && (!aBorrar.empty() || !cambiados.empty() || !entrantes.empty())) {
        std::erase_if(*mut, [&aBorrar](const auto& p) { return aBorrar.count(p.get()) != 0; });
        K::Colocar(*mut, cambiados, entrantes, e.orden);
        K::Cambio(e.r) = true;
    }
}

}  // namespace bindelora::detalle_sinc
