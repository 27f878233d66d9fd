#include "platform/registro.h"

#include "core/archivo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace bindelora;

namespace {

const std::string kLineaClave = "[HKEY_LOCAL_MACHINE\\Software\\Quenturo\\Bindelora]";

std::string Contenido(const std::string& ruta)
{
    std::ifstream f(ruta, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void Poner(const std::string& ruta, const std::string& datos)
{
    QDir().mkpath(QString::fromStdString(ruta).section('/', 0, -2));
    std::ofstream(ruta, std::ios::binary) << datos;
}

class RegistroArchivoTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string ruta = dir.path().toStdString() + "/Quenturo/Bindelora.reg";
};

}  // namespace

TEST_F(RegistroArchivoTest, IdaYVueltaConBytesExactos)
{
    RegistroArchivo r(ruta);
    EXPECT_FALSE(r.AbrirClave(false));
    EXPECT_EQ(r.Error(), "");
    ASSERT_TRUE(r.AbrirClave(true)) << r.Error();
    EXPECT_EQ(Contenido(ruta), "REGEDIT4\r\n\r\n" + kLineaClave + "\r\n\r\n");

    const std::string conEscapes = "C:\\Datos\\\"Ni\xF1o\" \\";  // ends in a backslash
    ASSERT_TRUE(r.EscribirCadena("Ruta", conEscapes));
    ASSERT_TRUE(r.EscribirEntero("Ancho", 0x1234ABCDu));
    ASSERT_TRUE(r.EscribirCadena("", "defecto"));
    EXPECT_EQ(Contenido(ruta), "REGEDIT4\r\n\r\n" + kLineaClave +
                                   "\r\n\"Ruta\"=\"C:\\\\Datos\\\\\\\"Ni\xF1o\\\" \\\\\"\r\n"
                                   "\"Ancho\"=dword:1234abcd\r\n@=\"defecto\"\r\n\r\n");

    RegistroArchivo otro(ruta);
    ASSERT_TRUE(otro.AbrirClave(false));
    std::string s;
    std::uint32_t n = 0;
    EXPECT_EQ(otro.LeerCadena("Ruta", s), LecturaRegistro::Ok);
    EXPECT_EQ(s, conEscapes);
    EXPECT_EQ(otro.LeerEntero("ancho", n), LecturaRegistro::Ok);  // any case
    EXPECT_EQ(n, 0x1234ABCDu);
    EXPECT_EQ(otro.LeerCadena("", s), LecturaRegistro::Ok);
    EXPECT_EQ(s, "defecto");
    EXPECT_EQ(otro.LeerCadena("Ancho", s), LecturaRegistro::OtroTipo);
    EXPECT_EQ(otro.LeerEntero("Ruta", n), LecturaRegistro::OtroTipo);
    EXPECT_EQ(otro.LeerCadena("Nada", s), LecturaRegistro::Falta);

    // Rewriting under another case keeps the first spelling.
    ASSERT_TRUE(otro.EscribirEntero("ANCHO", 7));
    EXPECT_NE(Contenido(ruta).find("\"Ancho\"=dword:00000007\r\n"), std::string::npos);
    EXPECT_EQ(Contenido(ruta).find("ANCHO"), std::string::npos);
    EXPECT_EQ(QDir(dir.path() + "/Quenturo").entryList(QDir::Files | QDir::Hidden), QStringList{"Bindelora.reg"});
}

TEST_F(RegistroArchivoTest, ConservaClavesLineasYTiposAjenos)
{
    Poner(ruta, "REGEDIT4\n\n[HKEY_CURRENT_USER\\Otra]\n\"X\"=\"1\"\n; nota\n\n"
                "[hkey_local_machine\\software\\quenturo\\bindelora]\n"
                "\"Bin\"=hex:01,02,\\\n  03,04\n\"Exp\"=hex(2):41,00\n\"Nombre\"=\"viejo\"\n"
                "[Siguiente]\n\"Y\"=dword:00000001\n");
    RegistroArchivo r(ruta);
    ASSERT_TRUE(r.AbrirClave(false));
    std::string s;
    std::uint32_t n = 0;
    EXPECT_EQ(r.LeerCadena("Bin", s), LecturaRegistro::OtroTipo);
    EXPECT_EQ(r.LeerEntero("Bin", n), LecturaRegistro::OtroTipo);
    EXPECT_EQ(r.LeerCadena("Exp", s), LecturaRegistro::OtroTipo);
    EXPECT_EQ(r.LeerCadena("X", s), LecturaRegistro::Falta);  // another key's value
    EXPECT_EQ(r.LeerEntero("Y", n), LecturaRegistro::Falta);

    ASSERT_TRUE(r.EscribirCadena("Nombre", "nuevo"));
    ASSERT_TRUE(r.EscribirEntero("Nuevo", 5));
    EXPECT_EQ(Contenido(ruta), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Otra]\r\n\"X\"=\"1\"\r\n; nota\r\n\r\n"
                               "[hkey_local_machine\\software\\quenturo\\bindelora]\r\n"
                               "\"Bin\"=hex:01,02,\\\r\n  03,04\r\n\"Exp\"=hex(2):41,00\r\n"
                               "\"Nombre\"=\"nuevo\"\r\n\"Nuevo\"=dword:00000005\r\n\r\n"
                               "[Siguiente]\r\n\"Y\"=dword:00000001\r\n");

    // A binary value can be replaced whole, continuation lines included.
    ASSERT_TRUE(r.EscribirEntero("Bin", 1));
    EXPECT_EQ(Contenido(ruta).find("03,04"), std::string::npos);
}

TEST_F(RegistroArchivoTest, ClaveAusenteSoloSeCreaAlPedirlo)
{
    const std::string ajeno = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Otra]\r\n\"X\"=\"1\"\r\n";
    Poner(ruta, ajeno);
    RegistroArchivo r(ruta);
    EXPECT_FALSE(r.AbrirClave(false));
    EXPECT_EQ(r.Error(), "");
    EXPECT_EQ(Contenido(ruta), ajeno);
    ASSERT_TRUE(r.AbrirClave(true));
    EXPECT_EQ(Contenido(ruta), ajeno + "\r\n" + kLineaClave + "\r\n\r\n");
}

TEST_F(RegistroArchivoTest, ArchivoIlegibleNoSeSobrescribe)
{
    QDir().mkpath(QString::fromStdString(ruta));  // a folder where the file should be
    RegistroArchivo r(ruta);
    EXPECT_FALSE(r.AbrirClave(false));
    EXPECT_NE(r.Error().find("No se pudo leer la configuraci\xF3n de " + ruta), std::string::npos) << r.Error();
    EXPECT_FALSE(r.AbrirClave(true));
    EXPECT_FALSE(r.EscribirCadena("A", "b"));
    EXPECT_NE(r.Error(), "");
    EXPECT_TRUE(QDir(QString::fromStdString(ruta)).exists());
}

TEST_F(RegistroArchivoTest, CarpetaNoEscribible)
{
    // A plain file in place of the folder defeats even root.
    Poner(dir.path().toStdString() + "/Quenturo", "");
    RegistroArchivo r(ruta);
    EXPECT_FALSE(r.AbrirClave(true));
    EXPECT_EQ(r.Error().rfind("No se pudo guardar la configuraci\xF3n en " + ruta + ": ", 0), 0u) << r.Error();
    EXPECT_FALSE(r.EscribirEntero("A", 1));
    EXPECT_NE(r.Error(), "");
    std::uint32_t n = 0;
    EXPECT_EQ(r.LeerEntero("A", n), LecturaRegistro::Falta);  // a failed write is not kept

    // A line break would corrupt the file, so it is refused.
    RegistroArchivo bueno(dir.path().toStdString() + "/b.reg");
    EXPECT_FALSE(bueno.EscribirCadena("A", "dos\nlineas"));
    EXPECT_NE(bueno.Error(), "");
}

TEST_F(RegistroArchivoTest, BasuraYLineasMalFormadas)
{
    std::string basura("\x00\xFF[\r\r\n\"=\"\"\n@@\n\x01\x02", 16);
    basura += std::string(1 << 20, 'x') + "\n";
    basura += kLineaClave + "\n\"Roto\"=\"sin cierre\n\"Malo\"=dword:xyz\n\"Largo\"=dword:123456789\n"
              "\"Bien\"=dword:0000002A\n\"Doble\"=\"1\"\n\"doble\"=\"2\"\n\"Cola\"=hex:01,\\";
    Poner(ruta, basura);
    RegistroArchivo r(ruta);
    ASSERT_TRUE(r.AbrirClave(false));
    std::string s;
    std::uint32_t n = 0;
    EXPECT_EQ(r.LeerCadena("Roto", s), LecturaRegistro::OtroTipo);
    EXPECT_EQ(r.LeerEntero("Malo", n), LecturaRegistro::OtroTipo);
    EXPECT_EQ(r.LeerEntero("Largo", n), LecturaRegistro::OtroTipo);
    EXPECT_EQ(r.LeerEntero("Bien", n), LecturaRegistro::Ok);
    EXPECT_EQ(n, 42u);
    EXPECT_EQ(r.LeerCadena("DOBLE", s), LecturaRegistro::Ok);
    EXPECT_EQ(s, "2");  // the last line wins, as on import
    EXPECT_EQ(r.LeerCadena("Cola", s), LecturaRegistro::OtroTipo);

    ASSERT_TRUE(r.EscribirCadena("Nuevo", "v"));
    const std::string escrito = Contenido(ruta);
    EXPECT_EQ(escrito.rfind("REGEDIT4\r\n\r\n", 0), 0u);
    EXPECT_NE(escrito.find(std::string(1 << 20, 'x') + "\r\n"), std::string::npos);
    RegistroArchivo otro(ruta);
    ASSERT_TRUE(otro.AbrirClave(false));
    EXPECT_EQ(otro.LeerCadena("Nuevo", s), LecturaRegistro::Ok);
    EXPECT_EQ(s, "v");
}

TEST_F(RegistroArchivoTest, QuitaLoQueDejaronGuardadosInterrumpidos)
{
    // A child that has already ended leaves a process id nobody holds.
    const pid_t muerto = ::fork();
    if (muerto == 0) ::_exit(0);
    ASSERT_GT(muerto, 0);
    ::waitpid(muerto, nullptr, 0);
    Poner(ruta, "REGEDIT4\r\n\r\n" + kLineaClave + "\r\n\"Uno\"=\"1\"\r\n");
    const std::string huerfano = ruta + "." + std::to_string(muerto) + ".3.tmp";  // written by older versions
    const std::string huerfanoNuevo = ruta + ".tmp-" + std::to_string(muerto) + "-12345678901234567890";
    // A save in progress in a running copy, and files that are not ours.
    const std::string enCurso = ruta + "." + std::to_string(::getpid()) + ".1.tmp";
    const std::string ajenos[] = {ruta + ".copia.tmp", ruta + "." + std::to_string(muerto) + ".tmp",
                                  dir.path().toStdString() + "/Quenturo/Otro.reg." + std::to_string(muerto) + ".1.tmp"};
    for (const std::string& f : {huerfano, huerfanoNuevo, enCurso}) Poner(f, "a");
    for (const std::string& f : ajenos) Poner(f, "a");

    RegistroArchivo r(ruta);
    ASSERT_TRUE(r.AbrirClave(false));
    std::string valor;
    EXPECT_EQ(r.LeerCadena("Uno", valor), LecturaRegistro::Ok);
    EXPECT_EQ(valor, "1");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(huerfano)));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(huerfanoNuevo)));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(enCurso)));
    for (const std::string& f : ajenos) EXPECT_TRUE(QFile::exists(QString::fromStdString(f))) << f;
}

namespace {

// Every file created in one folder fails as on a full disk.
class DiscoLleno : public SistemaArchivos {
public:
    explicit DiscoLleno(std::string c) : carpeta(std::move(c)) { setInstancia(this); }
    ~DiscoLleno() override { setInstancia(nullptr); }
    int Abrir(const std::string& ruta, int flags, unsigned modo) override
    {
        if ((flags & O_CREAT) && ruta.rfind(carpeta + "/", 0) == 0) return Fallo(ENOSPC);
        return SistemaArchivos::Abrir(ruta, flags, modo);
    }
    std::string carpeta;
};

}  // namespace

// Saves go through the program's one safe write: the mode and a link are
// kept, a full disk leaves the file and the values as they were, and the
// reason names the path in the store's own code page.
TEST(RegistroGuardado, ModoEnlaceYDiscoLleno)
{
    QTemporaryDir dir;
    const std::string carpeta = dir.path().toStdString() + "/Configuraci\xC3\xB3n";  // UTF-8 on disk
    const std::string real = carpeta + "/Bindelora.reg";
    const std::string enlace = dir.path().toStdString() + "/enlace.reg";
    Poner(real, "REGEDIT4\r\n\r\n" + kLineaClave + "\r\n\"Uno\"=\"1\"\r\n\r\n");
    ::chmod(real.c_str(), 0640);
    ASSERT_EQ(::symlink(real.c_str(), enlace.c_str()), 0);

    RegistroArchivo r(enlace);
    ASSERT_TRUE(r.AbrirClave(false));
    ASSERT_TRUE(r.EscribirEntero("Dos", 2)) << r.Error();
    EXPECT_TRUE(QFileInfo(QString::fromStdString(enlace)).isSymLink());
    EXPECT_NE(Contenido(real).find("\"Dos\"=dword:00000002"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    const std::string antes = Contenido(real);
    {
        DiscoLleno lleno(carpeta);
        RegistroArchivo directo(real);
        ASSERT_TRUE(directo.AbrirClave(false));
        EXPECT_FALSE(directo.EscribirCadena("Tres", "3"));
        EXPECT_EQ(directo.Error(), "No se pudo guardar la configuraci\xF3n en " + dir.path().toStdString() +
                                       "/Configuraci\xF3n/Bindelora.reg: no queda espacio en el disco");
        std::string v;
        EXPECT_EQ(directo.LeerCadena("Tres", v), LecturaRegistro::Falta);
    }
    EXPECT_EQ(Contenido(real), antes);
    EXPECT_EQ(QDir(QString::fromStdString(carpeta)).entryList(QDir::Files | QDir::Hidden), QStringList{"Bindelora.reg"});
}

TEST(RegistroRuta, XdgConfigHome)
{
    const QByteArray xdg = qgetenv("XDG_CONFIG_HOME"), home = qgetenv("HOME");
    const bool habiaXdg = qEnvironmentVariableIsSet("XDG_CONFIG_HOME"), habiaHome = qEnvironmentVariableIsSet("HOME");
    qputenv("HOME", "/home/ana");

    qputenv("XDG_CONFIG_HOME", "/cfg/");
    EXPECT_EQ(RegistroArchivo::RutaPorDefecto(), "/cfg/Quenturo/Bindelora.reg");
    qputenv("XDG_CONFIG_HOME", "");
    EXPECT_EQ(RegistroArchivo::RutaPorDefecto(), "/home/ana/.config/Quenturo/Bindelora.reg");
    qputenv("XDG_CONFIG_HOME", "relativa");  // ignored, as XDG asks
    EXPECT_EQ(RegistroArchivo::RutaPorDefecto(), "/home/ana/.config/Quenturo/Bindelora.reg");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(RegistroArchivo().Ruta(), "/home/ana/.config/Quenturo/Bindelora.reg");

    habiaHome ? qputenv("HOME", home) : qunsetenv("HOME");
    if (habiaXdg)
        qputenv("XDG_CONFIG_HOME", xdg);
}

TEST(RegistroMemoria, TiposClaveYFallo)
{
    RegistroMemoria m;
    EXPECT_FALSE(m.AbrirClave(false));
    EXPECT_TRUE(m.AbrirClave(true));
    EXPECT_TRUE(m.existe);
    m.valores["Raro"] = OtroValor{"hex:00"};
    ASSERT_TRUE(m.EscribirCadena("Texto", "hola"));
    ASSERT_TRUE(m.EscribirEntero("numero", 3));
    ASSERT_TRUE(m.EscribirEntero("NUMERO", 4));  // same value, any case
    EXPECT_EQ(m.valores.size(), 3u);

    std::string s;
    std::uint32_t n = 0;
    EXPECT_EQ(m.LeerEntero("Numero", n), LecturaRegistro::Ok);
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(m.LeerCadena("numero", s), LecturaRegistro::OtroTipo);
    EXPECT_EQ(m.LeerEntero("Raro", n), LecturaRegistro::OtroTipo);
    EXPECT_EQ(m.LeerCadena("Falta", s), LecturaRegistro::Falta);

    m.fallar = true;
    EXPECT_FALSE(m.AbrirClave(true));
    EXPECT_EQ(m.LeerCadena("Texto", s), LecturaRegistro::Falta);
    EXPECT_FALSE(m.EscribirCadena("Texto", "x"));
    EXPECT_NE(m.Error(), "");
}

TEST(Registro, InstanciaSustituible)
{
    auto* archivo = dynamic_cast<RegistroArchivo*>(&Registro::instancia());
    ASSERT_NE(archivo, nullptr);
    RegistroMemoria m;
    Registro::setInstancia(&m);
    EXPECT_EQ(&Registro::instancia(), &m);
    Registro::setInstancia(nullptr);
    EXPECT_EQ(&Registro::instancia(), archivo);
}

// Without a path the text stays in memory: parsed and written exactly as the
// file would be, and no file is made anywhere.
TEST(RegistroEnTexto, SinRutaLeeYEscribeElTextoSinTocarArchivos)
{
    QTemporaryDir dir;
    const QString antes = QDir::currentPath();
    QDir::setCurrent(dir.path());
    RegistroArchivo r{std::string()};
    r.CargarTexto("REGEDIT4\r\n\r\n" + kLineaClave + "\r\n\"AlEjecutarMostrar\"=\"datos\"\r\n\r\n");
    ASSERT_TRUE(r.AbrirClave(false));
    std::string v;
    EXPECT_EQ(r.LeerCadena("alejecutarmostrar", v), LecturaRegistro::Ok);
    EXPECT_EQ(v, "datos");
    EXPECT_TRUE(r.EscribirCadena("AlEjecutarMostrar", "LISTA"));
    EXPECT_TRUE(r.EscribirEntero("ReproducirWAVSucesosParaHoy", 1));
    // A second open keeps what was written: there is no file to read again.
    ASSERT_TRUE(r.AbrirClave(false));
    EXPECT_EQ(r.Texto(), "REGEDIT4\r\n\r\n" + kLineaClave +
                             "\r\n\"AlEjecutarMostrar\"=\"LISTA\"\r\n\"ReproducirWAVSucesosParaHoy\"=dword:00000001\r\n\r\n");
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    QDir::setCurrent(antes);

    // An empty text gets the header and the key when the key is created.
    RegistroArchivo vacio{std::string()};
    EXPECT_FALSE(vacio.AbrirClave(false));
    ASSERT_TRUE(vacio.AbrirClave(true));
    EXPECT_EQ(vacio.Texto(), "REGEDIT4\r\n\r\n" + kLineaClave + "\r\n\r\n");
}
