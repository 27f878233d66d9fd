// One contact's vCard file in the folder: read through the import, written
// through the export, and rewritten property by property so that what
// other programs put there survives.
#include <algorithm>
#include <cctype>

#include "core/sinc_interno.h"
#include "core/vcard.h"

namespace bindelora {

namespace {

bool Igual(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y)); });
}

// Parts of s split at sep where it is not escaped by a backslash (or, for
// parameters, not inside double quotes).
std::vector<std::string> Partir(std::string_view s, char sep, bool comillas = false)
{
    std::vector<std::string> r(1);
    bool dentro = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (!comillas && c == '\\' && i + 1 < s.size()) {
            r.back() += c;
            r.back() += s[++i];
            continue;
        }
        if (comillas && c == '"') dentro = !dentro;
        if (c == sep && !dentro) {
            r.emplace_back();
            continue;
        }
        r.back() += c;
    }
    return r;
}

std::string Unir(const std::vector<std::string>& partes, char sep)
{
    std::string r;
    for (std::size_t i = 0; i < partes.size(); ++i) {
        if (i) r += sep;
        r += partes[i];
    }
    return r;
}

// The parameters of a line: "TYPE=home", or a bare 2.1 value "CELL".
std::vector<std::string> Parametros(const LineaVCard& l)
{
    if (l.params.empty()) return {};
    std::vector<std::string> r = Partir(std::string_view(l.params).substr(1), ';', true);
    return r;
}

std::string NombreParametro(std::string_view p)
{
    const std::size_t igual = p.find('=');
    return igual == std::string_view::npos ? std::string() : std::string(p.substr(0, igual));
}

std::string ValorParametro(std::string_view p)
{
    const std::size_t igual = p.find('=');
    std::string_view v = igual == std::string_view::npos ? p : p.substr(igual + 1);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    return std::string(v);
}

bool TieneTipo(const LineaVCard& l, std::string_view tipo)
{
    for (const std::string& p : Parametros(l)) {
        const std::string n = NombreParametro(p);
        if (!n.empty() && !Igual(n, "TYPE")) continue;
        for (const std::string& t : Partir(ValorParametro(p), ',', true))
            if (Igual(t, tipo)) return true;
    }
    return false;
}

std::string Parametro(const LineaVCard& l, std::string_view nombre)
{
    for (const std::string& p : Parametros(l))
        if (Igual(NombreParametro(p), nombre)) return ValorParametro(p);
    return {};
}

// A value written anew is plain UTF-8: the old encoding and charset go.
void PonerValor(LineaVCard& l, std::string valor)
{
    std::string params;
    for (const std::string& p : Parametros(l)) {
        const std::string n = NombreParametro(p);
        const std::string v = ValorParametro(p);
        if (Igual(n, "ENCODING") || Igual(n, "CHARSET") || (n.empty() && Igual(v, "QUOTED-PRINTABLE"))) continue;
        params += ";" + p;
    }
    l.params = params;
    if (Igual(Parametro(l, "VALUE"), "URI") && Igual(l.nombre, "TEL")) valor = "tel:" + valor;
    l.valor = std::move(valor);
}

bool EsQuotedPrintable(const LineaVCard& l)
{
    for (const std::string& p : Parametros(l))
        if (Igual(ValorParametro(p), "QUOTED-PRINTABLE")) return true;
    return false;
}

bool ValorVacio(const LineaVCard& l)
{
    std::string_view v = l.valor;
    if (Igual(l.nombre, "TEL") && v.size() >= 4 && Igual(v.substr(0, 4), "TEL:")) v.remove_prefix(4);
    return v.find_first_not_of(" \t") == std::string_view::npos;
}

// Where the import took each field from, by its own rules.
struct Fuentes {
    long casa = -1, movil = -1, email = -1, categorias = -1, adr = -1, label = -1, n = -1, fn = -1, apellidos = -1,
         avisal = -1;
    std::vector<std::size_t> cumple, notas;
};

Fuentes BuscarFuentes(const std::vector<LineaVCard>& ls)
{
    Fuentes f;
    for (std::size_t i = 0; i < ls.size(); ++i) {
        const LineaVCard& l = ls[i];
        const long li = static_cast<long>(i);
        auto es = [&l](std::string_view x) { return Igual(l.nombre, x); };
        if (es("N")) f.n = li;
        else if (es("FN")) f.fn = li;
        else if (es("X-BINDELORA-APELLIDOS")) f.apellidos = li;
        else if (es("TEL") && !ValorVacio(l)) {
            const bool movil = TieneTipo(l, "CELL") || TieneTipo(l, "MOBILE"), casa = TieneTipo(l, "HOME"),
                       trabajo = TieneTipo(l, "WORK"), fax = TieneTipo(l, "FAX");
            if (movil && f.movil < 0) f.movil = li;
            else if (casa && !movil && !fax && f.casa < 0) f.casa = li;
            else if (!movil && !casa && !trabajo && !fax && f.casa < 0) f.casa = li;
            else if (!casa && !trabajo && !fax && f.movil < 0) f.movil = li;
        } else if (es("EMAIL") && !ValorVacio(l) && f.email < 0) f.email = li;
        else if (es("CATEGORIES") && f.categorias < 0) f.categorias = li;
        else if (es("ADR") && f.adr < 0) f.adr = li;
        else if (es("LABEL") && f.label < 0) f.label = li;
        else if (es("BDAY") || es("X-BINDELORA-CUM")) f.cumple.push_back(i);
        else if (es("NOTE")) f.notas.push_back(i);
        else if (es("X-BINDELORA-AVISAL")) f.avisal = li;
    }
    return f;
}

const LineaVCard* Buscar(const std::vector<LineaVCard>& ls, std::string_view nombre, std::string_view tipo = {})
{
    for (const LineaVCard& l : ls)
        if (Igual(l.nombre, nombre) && (tipo.empty() || TieneTipo(l, tipo))) return &l;
    return nullptr;
}

std::string Version(const std::vector<LineaVCard>& ls)
{
    const LineaVCard* v = Buscar(ls, "VERSION");
    return v ? v->valor : std::string("4.0");
}

// The export's lines for p, in the file's version.
std::vector<LineaVCard> Frescas(const TPibe& p, std::string_view version)
{
    ListaPibes uno;
    uno.push_back(std::make_unique<TPibe>(p));
    return PartirVCard(ExportarVCard(uno, version == "4.0" ? VersionVCard::V40 : VersionVCard::V30));
}

// How many lines of Varios the import makes of the notes alone.
std::size_t LineasDeNotas(const std::vector<LineaVCard>& ls, const Fuentes& f)
{
    if (f.notas.empty()) return 0;
    std::vector<LineaVCard> tarjeta{{"", "BEGIN", "", "VCARD"}, {"", "VERSION", "", Version(ls)}, {"", "N", "", ";x;;;"}};
    for (std::size_t i : f.notas) tarjeta.push_back(ls[i]);
    tarjeta.push_back({"", "END", "", "VCARD"});
    LecturaVCard l = LeerVCard(UnirVCard(tarjeta));
    return l.pibes.size() == 1 ? l.pibes[0]->Varios.size() : 0;
}

// The name after the surnames or given names changed: N's components, and
// FN made of the result.
void PonerNombre(std::vector<LineaVCard>& ls, Fuentes& f, const std::vector<LineaVCard>& frescas, const TPibe& leido,
                 const TPibe& local)
{
    const LineaVCard* nf = Buscar(frescas, "N");
    std::vector<std::string> nuevo = Partir(nf ? nf->valor : ";;;;", ';');
    nuevo.resize(5);
    const bool apellidos = local.Ape1 != leido.Ape1 || local.Ape2 != leido.Ape2;
    const bool nombre = local.Nombre != leido.Nombre;
    if (f.n < 0) {
        ls.insert(ls.end() - 1, *nf);
        f = BuscarFuentes(ls);
    }
    LineaVCard& n = ls[static_cast<std::size_t>(f.n)];
    std::vector<std::string> c = EsQuotedPrintable(n) ? nuevo : Partir(n.valor, ';');
    c.resize(std::max<std::size_t>(c.size(), 5));
    if (apellidos) c[0] = nuevo[0];
    if (nombre) {
        c[1] = nuevo[1];
        c[2].clear();
    }
    PonerValor(n, Unir(c, ';'));
    if (apellidos) {
        const LineaVCard* af = Buscar(frescas, "X-BINDELORA-APELLIDOS");
        if (f.apellidos >= 0 && af) PonerValor(ls[static_cast<std::size_t>(f.apellidos)], af->valor);
        else if (f.apellidos >= 0) ls.erase(ls.begin() + f.apellidos);
        else if (af) ls.insert(ls.begin() + f.n + 1, *af);
        f = BuscarFuentes(ls);
    }
    if (f.fn >= 0) {
        std::vector<std::string> partes;
        for (std::size_t i : {std::size_t{1}, std::size_t{2}, std::size_t{0}}) {
            std::string t = Unir(Partir(c[i], ','), ' ');
            if (!t.empty()) partes.push_back(t);
        }
        PonerValor(ls[static_cast<std::size_t>(f.fn)], Unir(partes, ' '));
    }
}

// One property that holds one field: its value replaced, or the line
// removed when the field was emptied, or the export's line added.
void PonerUna(std::vector<LineaVCard>& ls, long fuente, const LineaVCard* fresca, bool vacio)
{
    if (fuente >= 0) {
        if (vacio) ls.erase(ls.begin() + fuente);
        else if (fresca) PonerValor(ls[static_cast<std::size_t>(fuente)], fresca->valor);
    } else if (!vacio && fresca) {
        ls.insert(ls.end() - 1, *fresca);
    }
}

void PonerGrupo(std::vector<LineaVCard>& ls, const Fuentes& f, const std::vector<LineaVCard>& frescas, const TPibe& local)
{
    const LineaVCard* cf = Buscar(frescas, "CATEGORIES");
    if (f.categorias < 0) {
        PonerUna(ls, -1, cf, local.Grupo.empty());
        return;
    }
    LineaVCard& l = ls[static_cast<std::size_t>(f.categorias)];
    std::vector<std::string> c = EsQuotedPrintable(l) ? std::vector<std::string>{""} : Partir(l.valor, ',');
    if (local.Grupo.empty()) c.erase(c.begin());
    else c[0] = cf ? cf->valor : std::string();
    if (c.empty()) ls.erase(ls.begin() + f.categorias);
    else PonerValor(l, Unir(c, ','));
}

// Lines of several properties replaced by the export's, where the first was.
void PonerVarias(std::vector<LineaVCard>& ls, std::vector<std::size_t> fuentes, const std::vector<LineaVCard>& nuevas)
{
    std::size_t donde = fuentes.empty() ? ls.size() - 1 : fuentes.front();
    std::sort(fuentes.rbegin(), fuentes.rend());
    for (std::size_t i : fuentes) ls.erase(ls.begin() + static_cast<long>(i));
    ls.insert(ls.begin() + static_cast<long>(donde), nuevas.begin(), nuevas.end());
}

std::vector<LineaVCard> Todas(const std::vector<LineaVCard>& ls, std::initializer_list<std::string_view> nombres)
{
    std::vector<LineaVCard> r;
    for (const LineaVCard& l : ls)
        for (std::string_view n : nombres)
            if (Igual(l.nombre, n)) r.push_back(l);
    return r;
}

void PonerNotas(std::vector<LineaVCard>& ls, const Fuentes& f, const TPibe& leido, const TPibe& local,
                std::string_view version)
{
    // The import adds the third telephone, the second e-mail ... to the
    // notes; those lines stay properties of their own.
    const std::size_t notas = std::min(LineasDeNotas(ls, f), leido.Varios.size());
    std::vector<std::string> extra(leido.Varios.begin() + static_cast<long>(notas), leido.Varios.end());
    std::vector<std::string> propias;
    for (const std::string& l : local.Varios) {
        auto e = std::find(extra.begin(), extra.end(), l);
        if (e != extra.end()) extra.erase(e);
        else propias.push_back(l);
    }
    if (std::equal(propias.begin(), propias.end(), leido.Varios.begin(), leido.Varios.begin() + static_cast<long>(notas)) &&
        propias.size() == notas)
        return;
    TPibe soloNotas;
    soloNotas.Varios = propias;
    PonerVarias(ls, f.notas, Todas(Frescas(soloNotas, version), {"NOTE"}));
}

}  // namespace

std::vector<LineaVCard> PartirVCard(std::string_view texto)
{
    std::vector<LineaVCard> r;
    std::string logica;
    bool qp = false;
    auto terminar = [&r, &logica, &qp] {
        if (logica.empty()) return;
        LineaVCard l;
        std::size_t fin = 0;
        bool dentro = false;
        while (fin < logica.size() && (dentro || logica[fin] != ':')) {
            if (logica[fin] == '"') dentro = !dentro;
            ++fin;
        }
        std::string cabeza = logica.substr(0, fin);
        l.valor = fin < logica.size() ? logica.substr(fin + 1) : std::string();
        const std::size_t pc = cabeza.find(';');
        std::string nombre = cabeza.substr(0, pc);
        if (pc != std::string::npos) l.params = cabeza.substr(pc);
        const std::size_t punto = nombre.rfind('.');
        if (punto != std::string::npos) {
            l.grupo = nombre.substr(0, punto + 1);
            nombre.erase(0, punto + 1);
        }
        l.nombre = std::move(nombre);
        qp = EsQuotedPrintable(l);
        r.push_back(std::move(l));
        logica.clear();
    };
    std::size_t i = 0;
    while (i < texto.size()) {
        std::size_t fin = texto.find('\n', i);
        if (fin == std::string_view::npos) fin = texto.size();
        std::string_view linea = texto.substr(i, fin - i);
        if (!linea.empty() && linea.back() == '\r') linea.remove_suffix(1);
        i = fin + 1;
        if (!linea.empty() && (linea[0] == ' ' || linea[0] == '\t') && !logica.empty()) {
            logica.append(linea.substr(1));
            continue;
        }
        // A quoted-printable soft break runs on into the next line.
        if (!logica.empty() && qp && logica.back() == '=') {
            logica.append("\r\n").append(linea);
            continue;
        }
        terminar();
        qp = false;
        logica.assign(linea);
        if (logica.find(':') != std::string::npos) {
            LineaVCard tmp;
            const std::size_t pc = logica.find(';');
            if (pc != std::string::npos && pc < logica.find(':')) {
                tmp.params = logica.substr(pc, logica.find(':') - pc);
                qp = EsQuotedPrintable(tmp);
            }
        }
    }
    terminar();
    return r;
}

std::string UnirVCard(const std::vector<LineaVCard>& lineas)
{
    std::string r;
    for (const LineaVCard& l : lineas) {
        const std::string entera = l.grupo + l.nombre + l.params + ":" + l.valor;
        if (entera.find("\r\n") != std::string::npos) {  // quoted-printable, kept as it came
            r += entera + "\r\n";
            continue;
        }
        // Folded at 75 octets, never inside a UTF-8 character.
        std::size_t col = 0;
        for (std::size_t i = 0; i < entera.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(entera[i]);
            std::size_t largo = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            largo = std::min(largo, entera.size() - i);
            if (col + largo > 75) {
                r += "\r\n ";
                col = 1;
            }
            r.append(entera, i, largo);
            col += largo;
            i += largo - 1;
        }
        r += "\r\n";
    }
    return r;
}

bool MismoPibe(const TPibe& a, const TPibe& b)
{
    return a.Nombre == b.Nombre && a.Ape1 == b.Ape1 && a.Ape2 == b.Ape2 && a.TfnoCasa == b.TfnoCasa &&
           a.TfnoMovil == b.TfnoMovil && a.EMail == b.EMail && a.Grupo == b.Grupo && a.Direccion == b.Direccion &&
           a.Cumple == b.Cumple && a.EnAvisal == b.EnAvisal && a.Varios == b.Varios;
}

ItemPibe LeerItemVCard(std::string_view texto)
{
    ItemPibe r;
    LecturaVCard l = LeerVCard(texto);
    if (!l.hayTarjetas) {
        r.porque = "no es una tarjeta vCard";
        return r;
    }
    if (l.pibes.size() != 1 || l.ilegibles != 0) {
        r.porque = l.pibes.size() > 1 ? "tiene m\xE1s de una tarjeta" : "la tarjeta no se puede leer";
        return r;
    }
    r.tipo = TipoLectura::Bien;
    r.pibe = std::move(l.pibes[0]);
    if (const std::size_t u = texto.find("UID"); u != std::string_view::npos)
        for (const LineaVCard& x : PartirVCard(texto))
            if (Igual(x.nombre, "UID")) {
                r.uid = x.valor;
                break;
            }
    return r;
}

std::string NuevoItemVCard(const TPibe& p, std::string_view uid)
{
    ListaPibes uno;
    uno.push_back(std::make_unique<TPibe>(p));
    std::string t = ExportarVCard(uno, VersionVCard::V40);
    const std::size_t tras = t.find("VERSION:4.0\r\n");
    const std::string linea = "UID:" + std::string(uid) + "\r\n";
    t.insert(tras == std::string::npos ? 0 : tras + 13, linea);
    return t;
}

std::string ReescribirVCard(std::string_view archivo, const TPibe& leido, const TPibe& local)
{
    std::vector<LineaVCard> ls = PartirVCard(archivo);
    auto fin = std::find_if(ls.begin(), ls.end(), [](const LineaVCard& l) { return Igual(l.nombre, "END"); });
    ls.erase(fin == ls.end() ? fin : fin + 1, ls.end());
    if (ls.empty() || !Igual(ls.back().nombre, "END")) ls.push_back({"", "END", "", "VCARD"});
    const std::string version = Version(ls);
    const std::vector<LineaVCard> frescas = Frescas(local, version);
    Fuentes f = BuscarFuentes(ls);

    // From the end of the card backwards, so the places found stay right.
    if (local.EnAvisal != leido.EnAvisal) PonerUna(ls, f.avisal, Buscar(frescas, "X-BINDELORA-AVISAL"), !local.EnAvisal);
    if (local.Varios != leido.Varios) PonerNotas(ls, BuscarFuentes(ls), leido, local, version);
    f = BuscarFuentes(ls);
    if (local.Direccion != leido.Direccion) {
        const LineaVCard* af = Buscar(frescas, "ADR");
        if (f.adr < 0 && f.label >= 0) {
            ls.erase(ls.begin() + f.label);
            PonerUna(ls, -1, af, local.Direccion.empty());
        } else {
            PonerUna(ls, f.adr, af, local.Direccion.empty());
        }
    }
    f = BuscarFuentes(ls);
    if (local.Cumple != leido.Cumple) PonerVarias(ls, f.cumple, Todas(frescas, {"BDAY", "X-BINDELORA-CUM"}));
    f = BuscarFuentes(ls);
    if (local.Grupo != leido.Grupo) PonerGrupo(ls, f, frescas, local);
    f = BuscarFuentes(ls);
    if (local.EMail != leido.EMail) PonerUna(ls, f.email, Buscar(frescas, "EMAIL"), local.EMail.empty());
    f = BuscarFuentes(ls);
    if (local.TfnoMovil != leido.TfnoMovil) PonerUna(ls, f.movil, Buscar(frescas, "TEL", "CELL"), local.TfnoMovil.empty());
    f = BuscarFuentes(ls);
    if (local.TfnoCasa != leido.TfnoCasa) PonerUna(ls, f.casa, Buscar(frescas, "TEL", "HOME"), local.TfnoCasa.empty());
    f = BuscarFuentes(ls);
    if (local.Nombre != leido.Nombre || local.Ape1 != leido.Ape1 || local.Ape2 != leido.Ape2)
        PonerNombre(ls, f, frescas, leido, local);
    std::string r = UnirVCard(ls);

    // What the import makes of the result must be the contact; where the
    // file's forms defeat the piecemeal change, the export's lines replace
    // the fields' own and the rest is kept.
    LecturaVCard prueba = LeerVCard(r);
    if (prueba.pibes.size() == 1) {
        TPibe p = *prueba.pibes[0];
        p.Varios = local.Varios;
        if (MismoPibe(p, local)) return r;
    }
    std::vector<LineaVCard> otra;
    for (const LineaVCard& l : frescas)
        if (!Igual(l.nombre, "END")) otra.push_back(l);
    static const std::string_view kPropias[] = {"BEGIN", "VERSION", "END", "N", "FN", "X-BINDELORA-APELLIDOS", "TEL",
                                                "EMAIL", "CATEGORIES", "BDAY", "X-BINDELORA-CUM", "ADR", "LABEL",
                                                "NOTE", "X-BINDELORA-AVISAL", "ORG"};
    for (const LineaVCard& l : PartirVCard(archivo)) {
        bool propia = false;
        for (std::string_view n : kPropias) propia = propia || Igual(l.nombre, n);
        if (!propia) otra.push_back(l);
    }
    otra.push_back({"", "END", "", "VCARD"});
    return UnirVCard(otra);
}

std::string CambiarUidVCard(std::string_view archivo, std::string_view uid)
{
    std::vector<LineaVCard> ls = PartirVCard(archivo);
    bool puesto = false;
    for (LineaVCard& l : ls)
        if (Igual(l.nombre, "UID")) {
            l.params.clear();
            l.valor = uid;
            puesto = true;
        }
    if (!puesto) {
        auto v = std::find_if(ls.begin(), ls.end(), [](const LineaVCard& l) { return Igual(l.nombre, "VERSION"); });
        ls.insert(v == ls.end() ? ls.begin() + std::min<long>(1, static_cast<long>(ls.size())) : v + 1,
                  LineaVCard{"", "UID", "", std::string(uid)});
    }
    return UnirVCard(ls);
}

}  // namespace bindelora
