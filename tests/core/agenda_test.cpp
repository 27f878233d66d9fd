#include <gtest/gtest.h>

#include <limits>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "core/agenda.h"
#include "core/archivo.h"
#include "core/texto.h"
#include "ayudas.h"

using namespace bindelora;
namespace fs = std::filesystem;

namespace {

std::unique_ptr<TPibe> PibeAgenda(const char* nombre, double cumple = 0, bool avisal = false,
                            std::vector<std::string> dir = {}, std::vector<std::string> varios = {})
{
    auto p = std::make_unique<TPibe>();
    p->Nombre = C(nombre);
    p->Cumple = cumple;
    p->EnAvisal = avisal;
    p->Direccion = std::move(dir);
    p->Varios = std::move(varios);
    return p;
}

// A book of one record, used to check the list is left alone.
ListaPibes Previa()
{
    ListaPibes l;
    l.push_back(PibeAgenda("Previo"));
    return l;
}

std::vector<std::string> Nombres(const ListaPibes& l)
{
    std::vector<std::string> v;
    for (const auto& p : l) v.push_back(p->Nombre);
    return v;
}

ResultadoLectura Leer(std::string_view datos, ListaPibes& l)
{
    return LeerAgendaDeTexto(datos, l);
}

// A record in the current format, its fields named after their tags.
std::string Registro(const std::string& nom, const std::string& cum = "0", const std::string& avs = "AVS:0",
                     const std::string& dir = "", const std::string& var = "")
{
    return "NOM:" + nom + "\r\nAP1:\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\nCUM:" + cum + "\r\n" + avs + "\r\n" +
           dir + "----\r\n" + var + "----\r\n";
}
const std::string kCabecera = "VER:2.1\r\n----\r\n";

ListaPibes LibroVariado()
{
    ListaPibes l;
    auto p = PibeAgenda("José María", 36892, true, {C("C/ Núñez de Balboa, 3º"), "28001 Madrid"}, {"----", "", "x"});
    p->Ape1 = C("Peña"), p->Ape2 = C("Ibáñez"), p->TfnoCasa = "915551234", p->TfnoMovil = "600111222";
    p->EMail = "jm@correo.es", p->Grupo = "Familia";
    l.push_back(std::move(p));
    l.push_back(PibeAgenda(""));                                   // every field empty
    l.push_back(PibeAgenda("Sin año", -693593 + 45, true, {""}));  // birthday typed without a year
    l.push_back(PibeAgenda("Fracción", 36892.5, false, {}, {C("€ y ñ"), "VAR:", "----"}));
    l.push_back(PibeAgenda("----", 2958465));
    return l;
}

TEST(AgendaFormato, ExactBytes)
{
    ListaPibes l;
    auto p = PibeAgenda("Íñigo", 36892, true, {"C/ Mayor 1", "Madrid"});
    p->Ape1 = C("Muñoz"), p->TfnoMovil = "600", p->Grupo = "Amigos";
    l.push_back(std::move(p));
    l.push_back(PibeAgenda("Ana", 0, false, {}, {"nota"}));
    EXPECT_EQ(SerializarAgenda(l),
              "VER:2.1\r\n----\r\n"
              "NOM:\xCD\xF1igo\r\nAP1:Mu\xF1oz\r\nAP2:\r\nTFC:\r\nTFM:600\r\nEMA:\r\nGRP:Amigos\r\n"
              "CUM:36892\r\nAVS:1\r\nDIR:C/ Mayor 1\r\nDIR:Madrid\r\n----\r\n----\r\n"
              "NOM:Ana\r\nAP1:\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\n"
              "CUM:0\r\nAVS:0\r\n----\r\nVAR:nota\r\n----\r\n");
    EXPECT_EQ(SerializarAgenda(ListaPibes{}), kCabecera);
}

TEST(AgendaFormato, RoundTripIsByteForByte)
{
    const std::string escrito = SerializarAgenda(LibroVariado());
    ListaPibes leida;
    ResultadoLectura r = Leer(escrito, leida);
    EXPECT_TRUE(r.Exito());
    EXPECT_FALSE(r.formatoAntiguo);
    EXPECT_EQ(SerializarAgenda(leida), escrito);
    ASSERT_EQ(leida.size(), 5u);
    EXPECT_EQ(leida[3]->Cumple, 36892.5);
}

TEST(AgendaFormato, EarlierFormatWithoutHeaderOrAvisal)
{
    const std::string antiguo =
        "NOM:Ana\r\nAP1:Gil\r\nAP2:\r\nTFC:91\r\nTFM:\r\nEMA:\r\nGRP:Amigos\r\nCUM:36892\r\nDIR:Sol 1\r\n----\r\n----\r\n"
        "NOM:Luis\r\nAP1:\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\nCUM:0\r\n----\r\nVAR:1\r\nVAR:0\r\n----\r\n";
    ListaPibes l = Previa();
    ResultadoLectura r = Leer(antiguo, l);
    EXPECT_EQ(r.estado, EstadoLectura::Completa);
    EXPECT_TRUE(r.formatoAntiguo);
    ASSERT_EQ(Nombres(l), (std::vector<std::string>{"Ana", "Luis"}));
    EXPECT_FALSE(l[0]->EnAvisal || l[1]->EnAvisal);
    EXPECT_EQ(SerializarAgenda(l),
              kCabecera +
                  "NOM:Ana\r\nAP1:Gil\r\nAP2:\r\nTFC:91\r\nTFM:\r\nEMA:\r\nGRP:Amigos\r\nCUM:36892\r\nAVS:0\r\n"
                  "DIR:Sol 1\r\n----\r\n----\r\n" +
                  Registro("Luis", "0", "AVS:0", "", "VAR:1\r\nVAR:0\r\n"));
}

TEST(AgendaFormato, TagsAreNeverChecked)
{
    // Neither the second header line nor the tags; short lines give "".
    ListaPibes l;
    ASSERT_EQ(Leer("VER:2.1\r\nxx\r\nNOM:\r\nxyz:Gil\r\nab\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\n1234 36892\r\nAVS:1\r\n"
                   "DI\r\n----\r\n----\r\n",
                   l).estado,
              EstadoLectura::Completa);
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(SerializarAgenda(l), kCabecera + Registro("", "36892", "AVS:1", "DIR:\r\n").replace(10, 0, "Gil"));

    const std::pair<const char*, bool> avisos[] = {
        {"AVS:1", true}, {"AVS:0", false}, {"AVS:x", true}, {"AVS", true}, {"", true}, {"XYZ:0", false}, {"AVS:01", false}};
    for (const auto& [linea, esperado] : avisos) {
        ASSERT_EQ(Leer(kCabecera + Registro("Ana", "0", linea), l).estado, EstadoLectura::Completa) << linea;
        EXPECT_EQ(l[0]->EnAvisal, esperado) << linea;
    }
}

TEST(AgendaFormato, UnreadableRecordKeepsTheOnesBefore)
{
    const std::string dos = kCabecera + Registro("Ana") + Registro("Bea");
    const std::pair<std::string, std::vector<std::string>> casos[] = {
        {dos + "\r\n", {"Ana", "Bea"}},               // blank line after the last record
        {dos + Registro("Eva", ""), {"Ana", "Bea"}},  // empty birthday
        {kCabecera + Registro("Ana", "hoy") + Registro("Bea"), {}},
        {kCabecera + Registro("Ana") + Registro("Eva").substr(0, 60), {"Ana"}},  // second "----" missing
    };
    for (const auto& [datos, nombres] : casos) {
        ListaPibes l = Previa();
        EXPECT_EQ(Leer(datos, l).estado, EstadoLectura::Incompleta) << datos;
        EXPECT_EQ(Nombres(l), nombres) << datos;
    }
}

TEST(AgendaFormato, EveryTruncationEndsCleanly)
{
    const ListaPibes libro = LibroVariado();
    const std::string entero = SerializarAgenda(libro);
    std::vector<std::size_t> finales;  // just after each record's last CR LF
    for (const auto& p : libro) {
        ListaPibes uno;
        uno.push_back(std::make_unique<TPibe>(*p));
        finales.push_back((finales.empty() ? 0 : finales.back()) + SerializarAgenda(uno).size() -
                          (finales.empty() ? 0 : kCabecera.size()));
    }
    for (std::size_t largo = 0; largo <= entero.size(); ++largo) {
        ListaPibes l = Previa();  // replaced whatever is read
        ResultadoLectura r = Leer(std::string_view(entero).substr(0, largo), l);
        std::size_t completos = 0;
        bool enUnFinal = false;  // only the line break of the last "----" may be missing
        for (std::size_t f : finales) {
            enUnFinal = enUnFinal || (largo + 2 >= f && largo <= f);
            completos += largo + 2 >= f;
        }
        if (largo > 0 && largo < 7) {  // part of "VER:2.1" is no header
            EXPECT_EQ(r.estado, EstadoLectura::Incompleta) << largo;
            EXPECT_TRUE(r.formatoAntiguo);
        } else if (largo <= kCabecera.size()) {
            EXPECT_EQ(r.estado, EstadoLectura::SinRegistros) << largo;
        } else {
            EXPECT_EQ(r.estado, enUnFinal ? EstadoLectura::Completa : EstadoLectura::Incompleta) << largo;
        }
        ASSERT_EQ(l.size(), completos) << largo;
        for (std::size_t k = 0; k < l.size(); ++k) ASSERT_EQ(l[k]->Nombre, libro[k]->Nombre) << largo;
    }
}

std::string CambiarFinDeLinea(const std::string& crlf, const std::string& fin)
{
    std::string s;
    s.reserve(crlf.size());
    for (std::size_t i = 0; i < crlf.size(); ++i) {
        if (crlf.compare(i, 2, "\r\n") == 0) s += fin, ++i;
        else s += crlf[i];
    }
    return s;
}

TEST(AgendaFormato, AnyLineEndReads)
{
    const std::string crlf = SerializarAgenda(LibroVariado());
    const std::string cr = CambiarFinDeLinea(crlf, "\r");
    for (const std::string& datos : {CambiarFinDeLinea(crlf, "\n"), cr, cr.substr(0, cr.size() - 1),
                                     crlf.substr(0, crlf.size() - 1), crlf.substr(0, crlf.size() - 2)}) {
        ListaPibes l;
        ASSERT_EQ(Leer(datos, l).estado, EstadoLectura::Completa);
        EXPECT_EQ(SerializarAgenda(l), crlf);
    }
    ListaPibes l;  // mixed in one file
    ASSERT_EQ(Leer("VER:2.1\n----\rNOM:Ana\r\nAP1:\nAP2:\rTFC:\r\nTFM:\nEMA:\nGRP:\nCUM:0\rAVS:1\n----\r----", l).estado,
              EstadoLectura::Completa);
    EXPECT_EQ(Nombres(l), std::vector<std::string>{"Ana"});
}

TEST(AgendaFormato, OddInputNeverHangsOrCrashes)
{
    ListaPibes l;
    // A byte-order mark hides the header: the earlier format is tried.
    EXPECT_TRUE(Leer("\xEF\xBB\xBF" + kCabecera + Registro("Ana"), l).formatoAntiguo);

    std::mt19937 azar(99);
    for (int ronda = 0; ronda < 50; ++ronda) {
        std::string basura = ronda % 2 ? kCabecera : "";
        for (unsigned i = 0, n = azar() % 20000; i < n; ++i) {
            unsigned c = azar() % 300;  // some more line ends than chance would give
            basura += c < 256 ? static_cast<char>(c) : (c < 280 ? '\n' : '\r');
        }
        EXPECT_NE(Leer(basura, l).estado, EstadoLectura::Fallo);
    }

    const std::string grande(1 << 20, 'x');  // a line of a megabyte, as a note and as a whole file
    ASSERT_EQ(Leer(kCabecera + Registro("Ana", "0", "AVS:0", "", "VAR:" + grande + "\r\n"), l).estado,
              EstadoLectura::Completa);
    EXPECT_EQ(l[0]->Varios.at(0), grande);
    EXPECT_EQ(Leer(grande, l).estado, EstadoLectura::Incompleta);
    EXPECT_TRUE(l.empty());
}

TEST(AgendaFormato, Cumple)
{
    const std::pair<double, const char*> escritos[] = {
        {36892, "36892"}, {0, "0"}, {-693593, "-693593"}, {2958465, "2958465"}, {36892.5, "36892,5"}, {0.1, "0,1"},
        {NAN, "0"}};  // no date, and "nan" would make the file unreadable
    for (const auto& [valor, texto] : escritos) EXPECT_EQ(FormatearCumple(valor), texto);

    const std::pair<const char*, double> buenos[] = {
        {"36892", 36892}, {" 36892 ", 36892}, {"\t-693593", -693593}, {"+5", 5}, {"36892,5", 36892.5},
        {"36892.25", 36892.25}, {",5", 0.5}, {"5.", 5}, {"3,6892e4", 36892}, {"1E+2", 100}, {"000123", 123},
        {"-999999999999999", -999999999999999.0}, {"12345678901234567890", 12345678901234567890.0}};
    for (const auto& [texto, valor] : buenos) {
        double v = -1;
        EXPECT_TRUE(LeerCumple(texto, v)) << texto;
        EXPECT_EQ(v, valor) << texto;
    }
    // Whole numbers take a shorter way; a negative zero keeps its sign.
    double cero = 0;
    EXPECT_TRUE(LeerCumple("-0", cero));
    EXPECT_TRUE(std::signbit(cero));
    for (const char* malo : {"", " ", "-", "-1-", "abc", "1,2,3", "12a", "--1", "+", ".", "1e", "1e+", "1e999", "inf", "nan",
                             "0x10", "1 2", "36892\r"}) {
        double v = 7;
        EXPECT_FALSE(LeerCumple(malo, v)) << malo;
        EXPECT_EQ(v, 7) << malo;
    }
}

class ArchivoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string plantilla = (fs::temp_directory_path() / "bindelora-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(plantilla.data()), nullptr);
        dir_ = plantilla;
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }
    std::string Ruta(const std::string& nombre) const { return (dir_ / nombre).string(); }
    static std::string Contenido(const std::string& ruta)
    {
        std::ifstream f(ruta, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    static void Escribir(const std::string& ruta, const std::string& datos) { std::ofstream(ruta, std::ios::binary) << datos; }
    std::size_t Entradas() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }
    fs::path dir_;
};

TEST_F(ArchivoTest, SaveAndLoad)
{
    const std::string ruta = Ruta("bindelora.dat");
    const ListaPibes libro = LibroVariado();
    std::string error;
    ASSERT_TRUE(GuardarAgenda(ruta, libro, error)) << error;
    EXPECT_EQ(Entradas(), 1u);  // no temporary left behind
    EXPECT_TRUE(ExisteArchivo(ruta));
    EXPECT_FALSE(ExisteArchivo(dir_.string()));
    ListaPibes l;
    ASSERT_EQ(LeerAgenda(ruta, l).estado, EstadoLectura::Completa);
    EXPECT_EQ(SerializarAgenda(l), Contenido(ruta));
    Escribir(ruta, "");
    EXPECT_EQ(LeerAgenda(ruta, l).estado, EstadoLectura::SinRegistros);
    EXPECT_TRUE(l.empty());
}

// The save writes straight into the file, a large book in two halves
// meeting in the middle; the bytes are those of the text in memory.
TEST_F(ArchivoTest, SavedFileIsTheSerialisedText)
{
    for (int n : {0, 3, 19999, 20000, 30001}) {
        ListaPibes libro;
        for (int i = 0; i < n; ++i) {
            ListaPibes variado = LibroVariado();
            auto& p = variado[static_cast<std::size_t>(i) % variado.size()];
            p->EMail = std::to_string(i);
            libro.push_back(std::move(p));
        }
        if (n > 0) {
            // Odd birthdays, whose text has no fixed length, and records
            // larger than the save's buffer at both ends of a half.
            libro[0]->Cumple = std::numeric_limits<double>::quiet_NaN();
            libro[n / 2]->Cumple = 12345.678901234;
            libro[n - 1]->Varios.push_back(std::string(3 << 20, 'v'));
            libro[n / 2]->Direccion.push_back(std::string((1 << 20) + 7, 'd'));
        }
        const std::string ruta = Ruta("grande.dat");
        std::string error;
        ASSERT_TRUE(GuardarAgenda(ruta, libro, error)) << error;
        ASSERT_EQ(Contenido(ruta), SerializarAgenda(libro)) << n;
        EXPECT_EQ(Entradas(), 1u);
    }
}

TEST_F(ArchivoTest, FileReadInBlocksMatchesTheText)
{
    // Enough to cross the reader's blocks, with a line end moved to lie just
    // before, on and just after the end of the first one, in each line-end
    // style; plus a note longer than a block.
    constexpr std::size_t kBloque = 1 << 20;
    ListaPibes libro;
    for (int i = 0; i < 15000; ++i) libro.push_back(PibeAgenda("Nombre", 36892 + i, i % 2 == 0, {"Calle"}, {"nota"}));
    libro[14000]->Varios.push_back(std::string(3 * kBloque, 'n'));
    for (const std::string fin : {"\r\n", "\n", "\r"}) {
        libro[0]->Nombre = "Nombre";
        const std::size_t corte = CambiarFinDeLinea(SerializarAgenda(libro), fin).rfind(fin[0], kBloque - 3);
        for (std::size_t desplazar : {0, 1, 2}) {
            // A longer first name moves every later line end by as much.
            libro[0]->Nombre = "Nombre" + std::string(kBloque - 2 - corte + desplazar, 'a');
            const std::string crlf = SerializarAgenda(libro);
            const std::string datos = CambiarFinDeLinea(crlf, fin);
            ASSERT_EQ(datos[kBloque - 2 + desplazar], fin[0]);
            Escribir(Ruta("a.dat"), datos);
            ListaPibes l;
            ASSERT_EQ(LeerAgenda(Ruta("a.dat"), l).estado, EstadoLectura::Completa) << desplazar;
            ASSERT_EQ(SerializarAgenda(l), crlf) << desplazar;
        }
    }
}

TEST_F(ArchivoTest, MissingOrUnreadableFileLeavesTheBook)
{
    ListaPibes l = Previa();
    EXPECT_EQ(LeerAgenda(Ruta("no-existe.dat"), l).estado, EstadoLectura::NoExiste);
    EXPECT_EQ(LeerAgenda(Ruta("no-existe/a.dat"), l).estado, EstadoLectura::NoExiste);
    ResultadoLectura r = LeerAgenda(dir_.string(), l);  // a folder opens but cannot be read
    EXPECT_EQ(r.estado, EstadoLectura::Fallo);
    EXPECT_NE(r.error.find(dir_.string()), std::string::npos);
    EXPECT_EQ(Nombres(l), std::vector<std::string>{"Previo"});

    if (::geteuid() == 0) GTEST_SKIP() << "root reads any file whatever its permissions";
    Escribir(Ruta("cerrado.dat"), kCabecera + Registro("Ana"));
    ::chmod(Ruta("cerrado.dat").c_str(), 0);
    EXPECT_EQ(LeerAgenda(Ruta("cerrado.dat"), l).estado, EstadoLectura::Fallo);
    EXPECT_EQ(Nombres(l), std::vector<std::string>{"Previo"});
}

TEST_F(ArchivoTest, SafeWrite)
{
    const std::string ruta = Ruta("datos.dat");
    Escribir(ruta, "viejo");
    ::chmod(ruta.c_str(), 0600);
    std::string error;
    ASSERT_TRUE(EscribirArchivoSeguro(ruta, std::string("nuevo\0\r\n", 8), error)) << error;
    EXPECT_EQ(Contenido(ruta), std::string("nuevo\0\r\n", 8));
    struct stat st;
    ASSERT_EQ(::stat(ruta.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    // Failures leave what was there: a folder in the way, a missing folder, a closed one.
    fs::create_directory(Ruta("carpeta"));
    Escribir(Ruta("carpeta/dentro"), "x");
    EXPECT_FALSE(EscribirArchivoSeguro(Ruta("carpeta"), "datos", error));
    EXPECT_NE(error.find(Ruta("carpeta")), std::string::npos);
    EXPECT_EQ(Contenido(Ruta("carpeta/dentro")), "x");
    EXPECT_FALSE(EscribirArchivoSeguro(Ruta("falta/a.dat"), "datos", error));
    EXPECT_EQ(Entradas(), 2u);

    if (::geteuid() == 0) GTEST_SKIP() << "root writes in any folder whatever its permissions";
    ::chmod(dir_.c_str(), 0500);
    EXPECT_FALSE(EscribirArchivoSeguro(ruta, "otro", error));
    ::chmod(dir_.c_str(), 0700);
    EXPECT_EQ(Contenido(ruta), std::string("nuevo\0\r\n", 8));
    EXPECT_EQ(Entradas(), 2u);
}

TEST_F(ArchivoTest, BackupsAreNumberedAndNeverReplaced)
{
    const std::string ruta = Ruta("bindelora.dat");
    std::string copia, error;
    fs::create_directory(ruta + ".bak.2");  // a taken name, whatever it is
    for (const char* contenido : {"uno", "dos", "tres"}) {
        Escribir(ruta, contenido);
        ASSERT_TRUE(CopiarRespaldo(ruta, copia, error)) << error;
    }
    EXPECT_EQ(copia, ruta + ".bak.3");
    EXPECT_EQ(Contenido(ruta + ".bak") + Contenido(ruta + ".bak.1") + Contenido(ruta + ".bak.3"), "unodostres");
    EXPECT_FALSE(CopiarRespaldo(Ruta("falta.dat"), copia, error));
    EXPECT_EQ(copia, ruta + ".bak.3");
}

TEST(NombreArchivoDatos, ThreeLetterExtensionIsReplaced)
{
    const std::pair<const char*, const char*> casos[] = {
        {"/opt/x/prog.exe", "/opt/x/prog.dat"}, {"C:/PROG/PROG.EXE", "C:/PROG/PROG.dat"},
        {"/opt/x/bindelora", "/opt/x/bindelora.dat"}, {"/a.b/prog", "/a.b/prog.dat"},
        {"/a/prog.ex", "/a/prog.ex.dat"}, {"/a/prog.exe2", "/a/prog.exe2.dat"}, {"prog.exe", "prog.dat"},
        {"/a.bcd/x", "/a.bcd/x.dat"}};
    for (const auto& [exe, datos] : casos) EXPECT_EQ(NombreArchivoDatos(exe, "dat"), datos) << exe;
}

}  // namespace
