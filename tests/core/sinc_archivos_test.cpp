// Nothing of the other side is lost: a file written elsewhere and then
// edited here keeps what the book does not hold, and an entry goes to and
// from its event as the iCalendar export maps it.
#include "ayudas.h"
#include "sinc_ayudas.h"

#include "core/sinc_interno.h"
#include "core/vcard.h"

using namespace bindelora;

namespace {

// A phone's card: a photo, a company, a third telephone, parameters on the
// telephones and properties of its own.
const std::string kDelMovil =
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "PRODID:-//Phone//ES\r\n"
    "UID:movil-1\r\n"
    "N:Pardo;Luis;;;\r\n"
    "FN:Luis Pardo\r\n"
    "ORG:Talleres Pardo\r\n"
    "item1.TEL;TYPE=HOME,VOICE;PREF=1:910000001\r\n"
    "item1.X-ABLabel:casa\r\n"
    "TEL;TYPE=CELL:600000002\r\n"
    "TEL;TYPE=WORK:910000003\r\n"
    "EMAIL;TYPE=INTERNET:luis@example.org\r\n"
    "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ\r\n"
    "X-PHONE-RINGTONE:campana\r\n"
    "NOTE:Primera nota\r\n"
    "END:VCARD\r\n";

std::unique_ptr<TPibe> Leido(const std::string& texto)
{
    ItemPibe i = LeerItemVCard(texto);
    EXPECT_EQ(i.tipo, TipoLectura::Bien) << i.porque;
    return std::move(i.pibe);
}

bool Tiene(const std::string& t, const std::string& trozo) { return t.find(trozo) != std::string::npos; }

TEST(SincVCard, LoQueElLibroNoGuardaSobreviveAUnCambioHecho)
{
    auto leido = Leido(kDelMovil);
    // The import puts the work telephone among the notes.
    ASSERT_EQ(leido->Varios.size(), 2u);
    TPibe local = *leido;
    local.TfnoCasa = "910999999";
    local.Varios[0] = "Nota cambiada";
    local.Grupo = "Amigos";
    const std::string r = ReescribirVCard(kDelMovil, *leido, local);
    for (const char* sigue : {"PRODID:-//Phone//ES", "UID:movil-1", "ORG:Talleres Pardo", "TEL;TYPE=WORK:910000003",
                              "item1.X-ABLabel:casa", "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ",
                              "X-PHONE-RINGTONE:campana", "TEL;TYPE=CELL:600000002", "FN:Luis Pardo"})
        EXPECT_TRUE(Tiene(r, sigue)) << sigue << "\n" << r;
    // The edited telephone keeps its group and parameters.
    EXPECT_TRUE(Tiene(r, "item1.TEL;TYPE=HOME,VOICE;PREF=1:910999999")) << r;
    EXPECT_TRUE(Tiene(r, "NOTE:Nota cambiada\r\n")) << r;
    EXPECT_FALSE(Tiene(r, "Tel\xE9" "fono trabajo")) << r;
    EXPECT_TRUE(Tiene(r, "CATEGORIES:Amigos")) << r;
    EXPECT_TRUE(Tiene(r, "VERSION:3.0")) << r;
    // And it reads back as the contact.
    auto otra = Leido(r);
    EXPECT_TRUE(MismoPibe(*otra, local));
}

TEST(SincVCard, UnCampoVaciadoQuitaSuPropiedadYSoloEsa)
{
    auto leido = Leido(kDelMovil);
    TPibe local = *leido;
    local.EMail.clear();
    local.TfnoMovil.clear();
    const std::string r = ReescribirVCard(kDelMovil, *leido, local);
    EXPECT_FALSE(Tiene(r, "EMAIL")) << r;
    EXPECT_FALSE(Tiene(r, "600000002")) << r;
    EXPECT_TRUE(Tiene(r, "910000001"));
    EXPECT_TRUE(Tiene(r, "910000003"));
}

TEST(SincVCard, NombresEnCoreanoYGriegoSeConservanSiNoSeTocan)
{
    const std::string tarjeta =
        "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:k\r\nFN:\xEA\xB9\x80\xEB\xAF\xBC\xEC\xA4\x80\r\n"
        "N:\xEA\xB9\x80;\xEB\xAF\xBC\xEC\xA4\x80;;;\r\nTEL;TYPE=cell:600\r\nEND:VCARD\r\n"
        "";
    auto leido = Leido(tarjeta);
    // What Windows-1252 cannot hold shows as '?'.
    EXPECT_EQ(leido->Nombre, "??");
    TPibe local = *leido;
    local.TfnoMovil = "611";
    local.Grupo = "Trabajo";
    std::string r = ReescribirVCard(tarjeta, *leido, local);
    EXPECT_TRUE(Tiene(r, "N:\xEA\xB9\x80;\xEB\xAF\xBC\xEC\xA4\x80;;;")) << r;
    EXPECT_TRUE(Tiene(r, "FN:\xEA\xB9\x80\xEB\xAF\xBC\xEC\xA4\x80")) << r;
    EXPECT_TRUE(Tiene(r, "TEL;TYPE=cell:611"));

    const std::string griega = "BEGIN:VCARD\r\nVERSION:4.0\r\nN:\xCE\xA0\xCE\xB1\xCF\x80\xCE\xAC\xCF\x82;"
                               "\xCE\x93\xCE\xB9\xCF\x8E\xCF\x81\xCE\xB3\xCE\xBF\xCF\x82;;;\r\nEND:VCARD\r\n";
    leido = Leido(griega);
    local = *leido;
    local.EMail = "g@example.org";
    r = ReescribirVCard(griega, *leido, local);
    EXPECT_TRUE(Tiene(r, "\xCE\xA0\xCE\xB1\xCF\x80\xCE\xAC\xCF\x82;\xCE\x93\xCE\xB9\xCF\x8E\xCF\x81\xCE\xB3\xCE\xBF\xCF\x82")) << r;
    EXPECT_TRUE(Tiene(r, "EMAIL:g@example.org"));

    // Changing that very field here writes the book's value.
    local.Nombre = "Jorge";
    r = ReescribirVCard(griega, *leido, local);
    EXPECT_TRUE(Tiene(r, "N:\xCE\xA0\xCE\xB1\xCF\x80\xCE\xAC\xCF\x82;Jorge;;;")) << r;
    EXPECT_FALSE(Tiene(r, "\xCE\x93\xCE\xB9"));
}

TEST(SincVCard, CambiosDeNombreCumpleYDireccion)
{
    auto leido = Leido(kDelMovil);
    TPibe local = *leido;
    local.Ape1 = "de la Fuente";
    local.Ape2 = "Gil";
    local.Nombre = "Luis Mari";
    local.Cumple = Dia(1980, 5, 17);
    local.Direccion = {"Calle Mayor 1", "28001 Madrid"};
    local.EnAvisal = true;
    const std::string r = ReescribirVCard(kDelMovil, *leido, local);
    EXPECT_TRUE(Tiene(r, "FN:Luis Mari de la Fuente Gil")) << r;
    EXPECT_TRUE(Tiene(r, "BDAY:1980-05-17")) << r;
    EXPECT_TRUE(Tiene(r, "ADR;TYPE=HOME:;;Calle Mayor 1\\n28001 Madrid;;;;")) << r;
    EXPECT_TRUE(Tiene(r, "ORG:Talleres Pardo"));
    auto otra = Leido(r);
    EXPECT_TRUE(MismoPibe(*otra, local)) << r;
}

TEST(SincVCard, UidNuevoYPlegado)
{
    TPibe p;
    p.Nombre = "Ana";
    p.Varios = {std::string(200, 'x')};
    const std::string t = NuevoItemVCard(p, "abc");
    EXPECT_EQ(t.rfind("BEGIN:VCARD\r\nVERSION:4.0\r\nUID:abc\r\n", 0), 0u) << t;
    const std::string otro = CambiarUidVCard(t, "def");
    EXPECT_TRUE(Tiene(otro, "UID:def\r\n"));
    EXPECT_FALSE(Tiene(otro, "abc"));
    // Lines stay within 75 octets and read back whole.
    std::size_t inicio = 0;
    while (inicio < otro.size()) {
        const std::size_t fin = otro.find("\r\n", inicio);
        EXPECT_LE(fin - inicio, 75u);
        inicio = fin + 2;
    }
    EXPECT_EQ(Leido(otro)->Varios, p.Varios);
    EXPECT_EQ(LeerItemVCard(otro).uid, "def");
}

TEST(SincICal, CadaEntradaVaYVuelveComoLaExportacion)
{
    for (const TAvisal& a : {TAvisal{24, 12, 9999, "Nochebuena"}, TAvisal{15, 0, 2028, "Paga"},
                             TAvisal{3, 0, 9999, "Recibo"}, TAvisal{1, 2, 2027, "Cita \xF1"}}) {
        const std::string t = NuevoItemICal(a, "u-1", {2026, 12, 9}, {{2026, 12, 9}, 10, 0, 0});
        ItemAvisal l = LeerItemICal(t);
        ASSERT_EQ(l.tipo, TipoLectura::Bien) << l.porque << t;
        EXPECT_EQ(l.uid, "u-1");
        EXPECT_TRUE(MismoAvisal(*l.avisal, a)) << t;
    }
    EXPECT_TRUE(NuevoItemICal(TAvisal{40, 0, 9999, "x"}, "u", {2026, 12, 9}, {}).empty());
}

TEST(SincICal, ReescribirGuardaLoAjeno)
{
    const std::string t =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//y//ES\r\nBEGIN:VEVENT\r\nUID:e1\r\n"
        "DTSTAMP:20261201T000000Z\r\nDTSTART;VALUE=DATE:20270115\r\nSEQUENCE:2\r\n"
        "SUMMARY;LANGUAGE=el:\xCE\x93\xCE\xB9\xCF\x8E\xCF\x81\xCE\xB3\xCE\xBF\xCF\x82\r\n"
        "DESCRIPTION:Detalles\r\nX-OTRO:1\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:a\r\n"
        "TRIGGER:-PT15M\r\nEND:VALARM\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    ItemAvisal l = LeerItemICal(t);
    ASSERT_EQ(l.tipo, TipoLectura::Bien);
    TAvisal local = *l.avisal;
    local.Dia = 16;
    std::string r = ReescribirICal(t, *l.avisal, local, {2026, 12, 9}, {{2026, 12, 9}, 10, 0, 0});
    for (const char* sigue : {"DESCRIPTION:Detalles", "X-OTRO:1", "BEGIN:VALARM", "TRIGGER:-PT15M", "SEQUENCE:3",
                              "SUMMARY;LANGUAGE=el:\xCE\x93\xCE\xB9", "DTSTART;VALUE=DATE:20270116"})
        EXPECT_TRUE(Tiene(r, sigue)) << sigue << "\n" << r;
    local.Texto = "Jorge";
    r = ReescribirICal(t, *l.avisal, local, {2026, 12, 9}, {{2026, 12, 9}, 10, 0, 0});
    EXPECT_TRUE(Tiene(r, "SUMMARY;LANGUAGE=el:Jorge")) << r;
}

TEST(SincEstado, VaYVuelveYSeNotaDanado)
{
    ItemsEstado c, s;
    auto e = std::make_unique<ItemEstado>();
    e->uid = "u\t%1";
    e->archivo = "nombre raro\n.vcf";
    e->hashRegistro = 18446744073709551615ull;
    e->hashGuardado = 0;
    e->hashArchivo = 42;
    e->tamano = 100;
    e->mtime = 1765000000123456789;
    c.push_back(std::move(e));
    s.push_back(std::make_unique<ItemEstado>(*c[0]));
    s[0]->archivo = "b.ics";
    const std::string texto = SerializarEstadoSinc("/una\tcarpeta", c, s);
    ItemsEstado c2, s2;
    std::string carpeta;
    ASSERT_TRUE(LeerEstadoSinc(texto, carpeta, c2, s2));
    EXPECT_EQ(carpeta, "/una\tcarpeta");
    ASSERT_EQ(c2.size(), 1u);
    ASSERT_EQ(s2.size(), 1u);
    EXPECT_EQ(c2[0]->uid, "u\t%1");
    EXPECT_EQ(c2[0]->archivo, "nombre raro\n.vcf");
    EXPECT_EQ(c2[0]->hashRegistro, 18446744073709551615ull);
    EXPECT_EQ(c2[0]->mtime, 1765000000123456789);
    EXPECT_EQ(s2[0]->archivo, "b.ics");
    // Cut short, a byte changed, or empty: damaged, and nothing kept.
    for (const std::string& malo : {texto.substr(0, texto.size() - 3), std::string(), std::string("x") + texto.substr(1)}) {
        EXPECT_FALSE(LeerEstadoSinc(malo, carpeta, c2, s2));
        EXPECT_TRUE(c2.empty() && s2.empty());
    }
}

}  // namespace
