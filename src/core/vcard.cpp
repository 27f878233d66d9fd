// Reading vCards: cards of any of the usual forms into contacts.
#include "core/vcard.h"

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstring>

#include <cstdint>

#include "core/agenda.h"
#include "core/fecha.h"
#include "core/orden.h"
#include "core/texto.h"
#include "core/vcard_interno.h"

namespace bindelora {

namespace {

// "García de la Fuente" -> "García", "de la Fuente"; "de la Fuente Ruiz" ->
// "de la Fuente", "Ruiz": the first surname is the first word after its
// particles, the rest is the second.
void PartirApellidos(const std::string& familia, std::string& ape1, std::string& ape2)
{
    std::size_t i = 0;
    const std::size_t n = familia.size();
    while (i < n) {
        while (i < n && familia[i] == ' ') ++i;
        std::size_t fin = familia.find(' ', i);
        if (fin == std::string::npos) fin = n;
        std::string_view palabra(familia.data() + i, fin - i);
        i = fin;
        if (!EsParticula(palabra)) break;
    }
    std::string_view f(familia);
    ape1 = std::string(Recortar(f.substr(0, i)));
    ape2 = i < n ? std::string(Recortar(f.substr(i))) : std::string();
}

struct Telefono {
    std::string numero;
    bool movil, casa, trabajo, fax;
};

// Everything a card gave, before it becomes a contact.
struct Tarjeta {
    std::size_t numero = 0;  // 1-based, in the file
    bool hayN = false, hayApellidos = false;
    std::vector<std::string> n;
    std::string apellidos[2];
    std::string fn, org;
    std::vector<Telefono> telefonos;
    std::vector<std::string> emails;
    bool hayGrupo = false;
    std::string grupo;
    bool hayBday = false;
    std::string bday;
    bool bdayTexto = false, bdaySinAno1604 = false;
    bool hayCum = false;
    std::string cum;
    std::vector<std::vector<std::string>> adrs;
    std::vector<std::string> labels;
    std::vector<std::string> notas;
    bool avisal = false;
    // Refused at its end: larger than kMaxTarjetaVCard, or a property of
    // more parts than kMaxComponentesVCard.
    bool grande = false, demasiados = false;
    // The last of each of these properties lost characters to '?'.
    bool nPerdido = false, apellidosPerdidos = false, fnPerdido = false, orgPerdido = false, cumplePerdido = false;
    // Control characters of values that may not reach the contact (dec
    // counts the others): counted only when they do.
    std::size_t controlesApellidos = 0, controlesFn = 0, controlesOrg = 0, controlesLabel = 0;
    std::size_t inicio = 0;  // of its BEGIN line in the file
    Decodificador dec;

    void Limpiar()
    {
        hayN = hayApellidos = hayGrupo = hayBday = bdayTexto = bdaySinAno1604 = hayCum = avisal = false;
        grande = demasiados = nPerdido = apellidosPerdidos = fnPerdido = orgPerdido = cumplePerdido = false;
        controlesApellidos = controlesFn = controlesOrg = controlesLabel = 0;
        n.clear();
        apellidos[0].clear();
        apellidos[1].clear();
        fn.clear();
        org.clear();
        telefonos.clear();
        emails.clear();
        grupo.clear();
        bday.clear();
        cum.clear();
        adrs.clear();
        labels.clear();
        notas.clear();
        dec.Limpiar();
    }
};

bool LeerNumero(std::string_view s, std::size_t desde, std::size_t cuantos, int& n)
{
    if (desde + cuantos > s.size()) return false;
    n = 0;
    for (std::size_t k = desde; k < desde + cuantos; ++k) {
        if (s[k] < '0' || s[k] > '9') return false;
        n = n * 10 + (s[k] - '0');
    }
    return true;
}

// BDAY date forms: YYYYMMDD, YYYY-MM-DD, --MMDD, --MM-DD, any of them with a
// time after 'T' (ignored, the day as written counts). ano is 0 without a
// year. False for any other form.
bool PartirBday(std::string_view s, int& ano, int& mes, int& dia)
{
    s = Recortar(s);
    std::size_t t = s.find_first_of("Tt");
    if (t != std::string_view::npos) s = s.substr(0, t);
    if (s.size() >= 2 && s[0] == '-' && s[1] == '-') {
        ano = 0;
        if (s.size() == 6) return LeerNumero(s, 2, 2, mes) && LeerNumero(s, 4, 2, dia);
        if (s.size() == 7 && s[4] == '-') return LeerNumero(s, 2, 2, mes) && LeerNumero(s, 5, 2, dia);
        return false;
    }
    if (s.size() == 8) return LeerNumero(s, 0, 4, ano) && LeerNumero(s, 4, 2, mes) && LeerNumero(s, 6, 2, dia);
    if (s.size() == 10 && s[4] == '-' && s[7] == '-')
        return LeerNumero(s, 0, 4, ano) && LeerNumero(s, 5, 2, mes) && LeerNumero(s, 8, 2, dia);
    return false;
}

// No line longer than a card can be of use: what a joined line would hold
// past this is passed over, so a hostile file costs no more.
constexpr std::size_t kMaxLinea = kMaxTarjetaVCard;

class Lector {
public:
    explicit Lector(std::string_view d) : d_(d) {}

    std::size_t Posicion() const { return p_; }

    // The next physical line without its end; false at the end.
    bool Fisica(std::string_view& l)
    {
        if (p_ >= d_.size()) return false;
        std::size_t nl = d_.find('\n', p_);
        std::size_t fin = nl == std::string_view::npos ? d_.size() : nl;
        l = d_.substr(p_, fin - p_);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        p_ = nl == std::string_view::npos ? d_.size() : nl + 1;
        return true;
    }

    bool SigueContinuacion() const
    {
        return p_ < d_.size() && (d_[p_] == ' ' || d_[p_] == '\t');
    }

    // The next logical line: folded lines joined. The view stays valid
    // until the next call.
    bool Logica(std::string_view& l)
    {
        if (!Fisica(l)) return false;
        if (!SigueContinuacion()) return true;
        buf_.assign(l.substr(0, kMaxLinea));
        std::string_view c;
        while (SigueContinuacion() && Fisica(c))
            if (buf_.size() + c.size() <= kMaxLinea + 1) buf_.append(c.substr(1));
        l = buf_;
        return true;
    }

    // Quoted-printable soft line breaks: while the value ends in '=', the
    // next physical line continues it.
    void UnirSuaves(std::string_view& l)
    {
        if (l.empty() || l.back() != '=') return;
        if (l.data() != buf_.data()) buf_.assign(l.substr(0, kMaxLinea));
        std::string_view c;
        bool sigue = true;
        while (sigue && p_ < d_.size() && Fisica(c)) {
            // Some writers also fold the continuation with a blank.
            if (!c.empty() && (c[0] == ' ' || c[0] == '\t')) c.remove_prefix(1);
            if (buf_.size() + c.size() <= kMaxLinea) {
                buf_.pop_back();
                buf_.append(c);
                sigue = !buf_.empty() && buf_.back() == '=';
            } else {
                sigue = !c.empty() && c.back() == '=';
            }
        }
        l = buf_;
    }

private:
    std::string_view d_;
    std::size_t p_ = 0;
    std::string buf_;
};

class Importador {
public:
    LecturaVCard r;
    std::size_t tarjetas = 0;  // BEGIN lines seen

    void Leer(std::string_view datos)
    {
        // A card of ours takes some 300 bytes; others rarely less than 100.
        const std::size_t previstas = datos.size() / 300 + 16;
        r.pibes.reserve(previstas);
        Lector lector(datos);
        std::string_view linea;
        Propiedad p;
        // One card at a time, its buffers reused.
        Tarjeta tarjeta;
        Tarjeta* t = nullptr;
        std::size_t& numero = tarjetas;
        std::size_t antes = 0;
        while (lector.Logica(linea)) {
            const std::size_t despues = lector.Posicion();
            if (!PartirLinea(linea, p)) {
                antes = despues;
                continue;
            }
            if (IgualSinMayusculas(p.nombre, "BEGIN") && IgualSinMayusculas(Recortar(p.valor), "VCARD")) {
                if (t) Ilegible(*t, "la tarjeta no termina con END:VCARD");
                r.hayTarjetas = true;
                t = &tarjeta;
                t->Limpiar();
                t->numero = ++numero;
                t->inicio = antes;
            }
            antes = despues;
            if (!t) continue;
            if (despues - t->inicio > kMaxTarjetaVCard) t->grande = true;
            if (p.demasiados) t->demasiados = true;
            if (IgualSinMayusculas(p.nombre, "END")) {
                Terminar(*t);
                t = nullptr;
                continue;
            }
            // A card already refused is only read to its end.
            if (t->grande || t->demasiados || IgualSinMayusculas(p.nombre, "BEGIN")) continue;
            if (p.EsQuotedPrintable()) {
                lector.UnirSuaves(linea);
                PartirLinea(linea, p);
                if (p.demasiados) t->demasiados = true;
            }
            Propiedad_(*t, p);
        }
        if (t) Ilegible(*t, "la tarjeta no termina con END:VCARD");
    }

private:
    void Aviso(std::string texto)
    {
        ++r.avisosTotales;
        if (r.avisos.size() < kMaxAvisos) r.avisos.push_back(std::move(texto));
    }

    static std::string Quien(const Tarjeta& t, const TPibe* p)
    {
        std::string nombre;
        if (p) nombre = Unir({p->Nombre, p->Ape1, p->Ape2}, " ");
        if (nombre.empty()) return "Tarjeta " + std::to_string(t.numero);
        return "Tarjeta " + std::to_string(t.numero) + " (" + nombre + ")";
    }

    void Ilegible(const Tarjeta& t, const char* porque)
    {
        ++r.ilegibles;
        Aviso(Quien(t, nullptr) + ": " + porque + "; no se ha importado.");
    }

    // Partir, marking the card when the value has too many parts.
    static const std::vector<std::string_view>& Partes(Tarjeta& t, std::string_view v, char sep)
    {
        const auto& partes = Partir(v, sep);
        if (partes.size() > kMaxComponentesVCard) t.demasiados = true;
        return partes;
    }

    void Propiedad_(Tarjeta& t, const Propiedad& p)
    {
        const std::string_view n = p.nombre;
        auto es = [n](std::string_view x) { return IgualSinMayusculas(n, x); };
        const std::size_t sustituidos = t.dec.sustituidos;
        auto perdio = [&t, sustituidos] { return t.dec.sustituidos > sustituidos; };
        const std::size_t controles = t.dec.controles;
        auto apartar = [&t, controles] {
            const std::size_t quitados = t.dec.controles - controles;
            t.dec.controles = controles;
            return quitados;
        };
        if (es("N")) {
            t.hayN = true;
            std::string_view v = t.dec.Valor(p);
            t.nPerdido = perdio();
            t.n.clear();
            for (std::string_view c : Partes(t, v, ';')) t.n.push_back(std::string(c));
        } else if (es("X-BINDELORA-APELLIDOS")) {
            std::string_view v = t.dec.Valor(p);
            t.apellidosPerdidos = perdio();
            t.controlesApellidos = apartar();
            const auto& partes = Partes(t, v, ';');
            t.hayApellidos = true;
            t.apellidos[0] = UnaLinea(Desescapar(partes[0]));
            t.apellidos[1] = partes.size() > 1 ? UnaLinea(Desescapar(partes[1])) : std::string();
        } else if (es("FN")) {
            // Into the card's own buffer: most cards have one, and most
            // are read only for their N.
            DesescaparEn(t.dec.Valor(p), t.fn);
            t.fnPerdido = perdio();
            t.controlesFn = apartar();
            UnaLineaEn(t.fn);
        } else if (es("ORG")) {
            std::string_view v = t.dec.Valor(p);
            t.orgPerdido = perdio();
            t.controlesOrg = apartar();
            std::vector<std::string> partes;
            for (std::string_view c : Partes(t, v, ';')) partes.push_back(UnaLinea(Desescapar(c)));
            t.org = Unir(partes, ", ");
        } else if (es("TEL")) {
            std::string v = UnaLinea(Desescapar(t.dec.Valor(p)));
            // Taken as written, so our own files keep every byte; only a
            // URI (4.0) loses its scheme.
            std::string_view num = v;
            if (IgualSinMayusculas(p.Param("VALUE"), "URI") && num.size() >= 4 &&
                IgualSinMayusculas(num.substr(0, 4), "TEL:"))
                num.remove_prefix(4);
            if (num.empty()) return;
            Telefono tel{std::string(num), false, false, false, false};
            p.ParaCadaTipo([&tel](std::string_view tipo) {
                tel.movil = tel.movil || IgualSinMayusculas(tipo, "CELL") || IgualSinMayusculas(tipo, "MOBILE");
                tel.casa = tel.casa || IgualSinMayusculas(tipo, "HOME");
                tel.trabajo = tel.trabajo || IgualSinMayusculas(tipo, "WORK");
                tel.fax = tel.fax || IgualSinMayusculas(tipo, "FAX");
            });
            t.telefonos.push_back(std::move(tel));
        } else if (es("EMAIL")) {
            std::string v = UnaLinea(Desescapar(t.dec.Valor(p)));
            if (!v.empty()) t.emails.push_back(std::move(v));
        } else if (es("CATEGORIES")) {
            if (t.hayGrupo) return;
            std::string_view v = t.dec.Valor(p);
            t.hayGrupo = true;
            t.grupo = UnaLinea(Desescapar(Partes(t, v, ',')[0]));
        } else if (es("BDAY")) {
            t.hayBday = true;
            t.bday.assign(t.dec.Valor(p));
            t.cumplePerdido = t.cumplePerdido || perdio();
            t.bdayTexto = IgualSinMayusculas(p.Param("VALUE"), "TEXT");
            std::string_view omit = p.Param("X-APPLE-OMIT-YEAR");
            t.bdaySinAno1604 = !omit.empty();
        } else if (es("X-BINDELORA-CUM")) {
            t.hayCum = true;
            t.cum.assign(t.dec.Valor(p));
            t.cumplePerdido = t.cumplePerdido || perdio();
        } else if (es("ADR")) {
            std::string_view v = t.dec.Valor(p);
            const auto& partes = Partes(t, v, ';');
            std::vector<std::string> comps;
            comps.reserve(partes.size());
            for (std::string_view c : partes) comps.push_back(Desescapar(c));
            t.adrs.push_back(std::move(comps));
        } else if (es("LABEL")) {
            t.labels.push_back(Desescapar(t.dec.Valor(p)));
            const std::size_t quitados = apartar();
            if (t.labels.size() == 1) t.controlesLabel = quitados;
        } else if (es("NOTE")) {
            t.notas.push_back(Desescapar(t.dec.Valor(p)));
        } else if (es("X-BINDELORA-AVISAL")) {
            t.avisal = Recortar(p.valor) == "1";
        }
    }

    // Address lines from the components pobox;ext;street;locality;region;code;country.
    // The street is taken from c.
    static std::vector<std::string> LineasDireccion(std::vector<std::string>& c)
    {
        static const std::string kVacio;
        auto comp = [&c](std::size_t i) -> const std::string& { return i < c.size() ? c[i] : kVacio; };
        bool soloCalle = true;
        for (std::size_t i = 3; i < c.size(); ++i)
            if (!c[i].empty()) soloCalle = false;
        if (!comp(0).empty() || !comp(1).empty()) soloCalle = false;
        std::vector<std::string> lineas;
        const std::string& calle = comp(2);
        // Our own form, also a single empty line.
        if (soloCalle) return Lineas(c.size() > 2 ? std::move(c[2]) : std::string());
        for (std::size_t i = 0; i < 2; ++i)
            for (std::string& x : Lineas(comp(i)))
                if (!x.empty()) lineas.push_back(UnaLinea(std::move(x)));
        if (!calle.empty())
            for (std::string& x : Lineas(calle)) lineas.push_back(std::move(x));
        std::string ciudad = Unir({UnaLinea(comp(5)), UnaLinea(comp(3))}, " ");
        if (!ciudad.empty()) lineas.push_back(ciudad);
        for (std::string x : {comp(4), comp(6)})
            if (!x.empty()) lineas.push_back(UnaLinea(std::move(x)));
        return lineas;
    }

    void Cumple(Tarjeta& t, TPibe& p)
    {
        if (t.hayCum) {
            double v;
            if (LeerCumple(Recortar(Desescapar(t.cum)), v)) {
                p.Cumple = v;
                return;
            }
        }
        if (!t.hayBday) return;
        int ano = 0, mes = 0, dia = 0;
        if (t.bdayTexto || !PartirBday(t.bday, ano, mes, dia)) {
            Aviso(Quien(t, &p) + ": fecha de nacimiento \"" + UnaLinea(Desescapar(t.bday)) +
                  "\" no reconocida; se importa sin ella.");
            return;
        }
        // Year 0 and Apple's stand-in year mean a birthday without a year.
        if (ano == 0 || (t.bdaySinAno1604 && ano == 1604)) ano = 1;
        if (!EsFechaValida(ano == 1 ? 2000 : ano, mes, dia)) {
            Aviso(Quien(t, &p) + ": la fecha de nacimiento " + std::to_string(dia) + "/" + std::to_string(mes) +
                  " no existe; se importa sin ella.");
            return;
        }
        if (!CodificarFecha(ano, mes, dia, p.Cumple)) {
            // 29 February without a year: the year 1 the book uses for it
            // has no such day.
            Aviso(Quien(t, &p) + ": el 29 de febrero sin año no se puede guardar; se importa sin fecha de nacimiento.");
            p.Cumple = 0;
        }
    }

    void Terminar(Tarjeta& t)
    {
        // The given names and surnames are lists too.
        for (std::size_t i = 0; i < 3 && i < t.n.size() && !t.demasiados; ++i) Partes(t, t.n[i], ',');
        if (t.grande) return Ilegible(t, "la tarjeta ocupa m\xE1s de 16 MiB");
        if (t.demasiados) return Ilegible(t, "una propiedad tiene m\xE1s de 1000 partes");
        auto p = std::make_unique<TPibe>();
        if (t.hayApellidos) {
            p->Ape1 = std::move(t.apellidos[0]);
            p->Ape2 = std::move(t.apellidos[1]);
        }
        if (t.hayN) {
            static const std::string kVacio;
            auto comp = [&t](std::size_t i) -> const std::string& { return i < t.n.size() ? t.n[i] : kVacio; };
            if (!t.hayApellidos) {
                // Family names given as a list are the two surnames.
                const auto& familias = Partir(comp(0), ',');
                if (familias.size() > 1) {
                    p->Ape1 = UnaLinea(Desescapar(familias[0]));
                    std::vector<std::string> resto;
                    for (std::size_t i = 1; i < familias.size(); ++i) resto.push_back(UnaLinea(Desescapar(familias[i])));
                    p->Ape2 = Unir(resto, " ");
                } else {
                    PartirApellidos(UnaLinea(Desescapar(comp(0))), p->Ape1, p->Ape2);
                }
            }
            // Our own surnames come with the given name alone, and most
            // cards have a single given name: nothing to join.
            if ((t.hayApellidos && !t.n.empty()) || (comp(2).empty() && Partir(comp(1), ',').size() == 1)) {
                p->Nombre = UnaLinea(Desescapar(comp(1)));
            } else {
                std::vector<std::string> nombre;
                for (std::string_view x : Partir(comp(1), ',')) nombre.push_back(UnaLinea(Desescapar(x)));
                for (std::string_view x : Partir(comp(2), ',')) nombre.push_back(UnaLinea(Desescapar(x)));
                p->Nombre = Unir(nombre, " ");
            }
        }
        const bool sinNombre = p->Nombre.empty() && p->Ape1.empty() && p->Ape2.empty();
        if (sinNombre) p->Nombre = !t.fn.empty() ? t.fn : t.org;
        const bool incompleto = (t.hayN && t.nPerdido) || (t.hayApellidos && t.apellidosPerdidos) ||
                                (sinNombre && (!t.fn.empty() ? t.fnPerdido : t.orgPerdido)) || t.cumplePerdido;

        std::vector<std::string> extra;
        for (const Telefono& tel : t.telefonos) {
            if (tel.movil && p->TfnoMovil.empty()) p->TfnoMovil = tel.numero;
            else if (tel.casa && !tel.movil && !tel.fax && p->TfnoCasa.empty()) p->TfnoCasa = tel.numero;
            else if (!tel.movil && !tel.casa && !tel.trabajo && !tel.fax && p->TfnoCasa.empty()) p->TfnoCasa = tel.numero;
            else if (!tel.casa && !tel.trabajo && !tel.fax && p->TfnoMovil.empty()) p->TfnoMovil = tel.numero;
            else extra.push_back(std::string(tel.fax ? "Fax: " : tel.trabajo ? "Tel\xE9" "fono trabajo: " : "Tel\xE9" "fono: ") + tel.numero);
        }
        for (std::size_t i = 0; i < t.emails.size(); ++i) {
            if (i == 0) p->EMail = std::move(t.emails[0]);
            else extra.push_back("E-mail: " + t.emails[i]);
        }
        p->Grupo = std::move(t.grupo);
        Cumple(t, *p);

        if (!t.adrs.empty()) {
            p->Direccion = LineasDireccion(t.adrs[0]);
            for (std::size_t i = 1; i < t.adrs.size(); ++i) {
                std::vector<std::string> l = LineasDireccion(t.adrs[i]);
                extra.push_back("Direcci\xF3n: " + Unir(l, ", "));
            }
        } else if (!t.labels.empty()) {
            p->Direccion = Lineas(t.labels[0]);
        }
        for (std::string& nota : t.notas)
            for (std::string& l : Lineas(std::move(nota))) p->Varios.push_back(std::move(l));
        for (std::string& l : extra) p->Varios.push_back(std::move(l));
        p->EnAvisal = t.avisal;

        const bool vacia = p->Nombre.empty() && p->Ape1.empty() && p->Ape2.empty() && p->TfnoCasa.empty() &&
                           p->TfnoMovil.empty() && p->EMail.empty() && p->Direccion.empty() && p->Varios.empty() &&
                           p->Cumple == 0;
        // Our own file writes N for every contact, even an empty one.
        if (vacia && !t.hayN) {
            Ilegible(t, "la tarjeta no tiene ning\xFAn dato que guardar");
            return;
        }
        if (t.dec.sustituidos > 0)
            Aviso(Quien(t, p.get()) + ": " + std::to_string(t.dec.sustituidos) +
                  (t.dec.sustituidos == 1 ? " car\xE1" "cter sin equivalente en Windows-1252 se ha cambiado por ?"
                                          : " caracteres sin equivalente en Windows-1252 se han cambiado por ?") +
                  (incompleto ? "; como no se conserva entero el nombre o la fecha de nacimiento, se a\xF1" "ade "
                                "aunque quiz\xE1 repita un contacto que ya estaba."
                              : ""));
        if (t.dec.qpMalo) Aviso(Quien(t, p.get()) + ": quoted-printable mal formado; se ha dejado el texto tal cual.");
        if (t.dec.charsetRaro) Aviso(Quien(t, p.get()) + ": juego de caracteres desconocido; se ha le\xED" "do como UTF-8 o Latin-1.");
        r.controlesQuitados += t.dec.controles + (t.hayN ? 0 : t.controlesApellidos) +
                               (sinNombre ? (!t.fn.empty() ? t.controlesFn : t.controlesOrg) : 0) +
                               (t.adrs.empty() ? t.controlesLabel : 0);
        r.pibes.push_back(std::move(p));
        r.incompletos.push_back(incompleto);
    }

    static constexpr std::size_t kMaxAvisos = kMaxAvisosVCard;
};

}  // namespace

LecturaVCard LeerVCard(std::string_view datos)
{
    Importador importador;
    importador.Leer(datos);
    return std::move(importador.r);
}

}  // namespace bindelora

