// The choice of the folder that holds the two data files.
#include "platform/carpeta_datos.h"

#include <QTemporaryDir>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace bindelora;

namespace {

class CarpetaDatosTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        raiz = tmp.path().toStdString();
        programa = raiz + "/programa";
        ::mkdir(programa.c_str(), 0755);
        casa = raiz + "/casa";
        ::mkdir(casa.c_str(), 0755);
        variables["HOME"] = casa;
    }

    // An environment whose program folder is writable or not, as asked; the
    // rest is real file system under the temporary folder.
    EntornoCarpetaDatos Entorno(bool programaEscribible)
    {
        EntornoCarpetaDatos e;
        e.variable = [this](const char* n) {
            const auto it = variables.find(n);
            return it == variables.end() ? std::string() : it->second;
        };
        e.casa = [this] { return casaPasswd; };
        e.escribible = [this, programaEscribible](const std::string& c) {
            carpetasMiradas.push_back(c);
            return programaEscribible;
        };
        return e;
    }

    static bool EsCarpeta(const std::string& r)
    {
        struct stat st {};
        return ::stat(r.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }

    static mode_t Modo(const std::string& r)
    {
        struct stat st {};
        ::stat(r.c_str(), &st);
        return st.st_mode & 07777;
    }

    QTemporaryDir tmp;
    std::string raiz, programa, casa, casaPasswd;
    std::map<std::string, std::string> variables;
    std::vector<std::string> carpetasMiradas;
};

}  // namespace

TEST_F(CarpetaDatosTest, WritableProgramFolderKeepsTheFilesBesideTheProgram)
{
    variables["XDG_DATA_HOME"] = raiz + "/xdg";
    const auto e = Entorno(true);
    const CarpetaDatos c = ElegirCarpetaDatos(programa + "/bindelora", e);
    EXPECT_TRUE(c.junto);
    EXPECT_EQ(c.ruta, programa);
    EXPECT_TRUE(c.error.empty());
    ASSERT_EQ(carpetasMiradas.size(), 1u);
    EXPECT_EQ(carpetasMiradas[0], programa);
    // Exactly the names used beside the program, extension rule included.
    EXPECT_EQ(RutaArchivoDatos(programa + "/bindelora", "dat", e), programa + "/bindelora.dat");
    EXPECT_EQ(RutaArchivoDatos(programa + "/AGENDA.EXE", "avs", e), programa + "/AGENDA.avs");
    EXPECT_EQ(RutaArchivoDatos("/bindelora", "dat", e), "/bindelora.dat");
    EXPECT_EQ(RutaArchivoDatos("bindelora", "dat", e), "bindelora.dat");
    // Nothing was created in the user's data folder.
    EXPECT_FALSE(EsCarpeta(raiz + "/xdg"));
    EXPECT_FALSE(EsCarpeta(casa + "/.local"));
}

TEST_F(CarpetaDatosTest, ReadOnlyProgramFolderUsesXdgDataHomeCreatedOnFirstUse)
{
    variables["XDG_DATA_HOME"] = raiz + "/xdg/datos/";  // missing, two levels, final slash
    const auto e = Entorno(false);
    const CarpetaDatos c = ElegirCarpetaDatos("/usr/bin/bindelora", e);
    EXPECT_FALSE(c.junto);
    EXPECT_EQ(c.ruta, raiz + "/xdg/datos/bindelora");
    EXPECT_TRUE(c.error.empty()) << c.error;
    ASSERT_TRUE(EsCarpeta(c.ruta));
    EXPECT_EQ(Modo(c.ruta), 0700u);
    EXPECT_EQ(Modo(raiz + "/xdg"), 0700u);

    const RutasDatos r = RutasArchivosDatos("/usr/bin/bindelora", e);
    EXPECT_EQ(r.agenda, c.ruta + "/bindelora.dat");
    EXPECT_EQ(r.avisal, c.ruta + "/bindelora.avs");
    EXPECT_EQ(RutaArchivoDatos("/opt/x/prog.exe", "dat", e), c.ruta + "/prog.dat");

    // A folder that is there already is used as it is, its mode untouched,
    // and files in it stay.
    ::chmod(c.ruta.c_str(), 0755);
    std::ofstream(c.ruta + "/bindelora.dat") << "VER:2.1\r\n----\r\n";
    EXPECT_EQ(ElegirCarpetaDatos("/usr/bin/bindelora", e).ruta, c.ruta);
    EXPECT_EQ(Modo(c.ruta), 0755u);
    std::ifstream f(c.ruta + "/bindelora.dat");
    EXPECT_TRUE(f.good());
}

TEST_F(CarpetaDatosTest, MissingOrRelativeXdgDataHomeFallsBackToHome)
{
    const auto e = Entorno(false);
    // Unset and empty are the same; a relative value is ignored.
    for (const char* valor : {"", "relativa/datos"}) {
        if (*valor) variables["XDG_DATA_HOME"] = valor;
        const CarpetaDatos c = ElegirCarpetaDatos("/usr/bin/bindelora", e);
        EXPECT_EQ(c.ruta, casa + "/.local/share/bindelora") << valor;
        EXPECT_TRUE(EsCarpeta(c.ruta)) << valor;
        EXPECT_TRUE(c.error.empty()) << c.error;
    }
    EXPECT_FALSE(EsCarpeta("relativa"));

    // Without HOME the password database names the home folder.
    variables.erase("XDG_DATA_HOME");
    variables.erase("HOME");
    casaPasswd = raiz + "/otra/";
    const CarpetaDatos c = ElegirCarpetaDatos("/usr/bin/bindelora", e);
    EXPECT_EQ(c.ruta, raiz + "/otra/.local/share/bindelora");
    EXPECT_TRUE(EsCarpeta(c.ruta));
}

TEST_F(CarpetaDatosTest, XdgDataHomeThatCannotBeCreatedIsReportedAndNothingElseIsUsed)
{
    // A regular file where a folder should be: not even root can create it.
    const std::string archivo = raiz + "/soy-un-archivo";
    std::ofstream(archivo) << "x";
    variables["XDG_DATA_HOME"] = archivo + "/datos";
    const auto e = Entorno(false);
    const CarpetaDatos c = ElegirCarpetaDatos("/usr/bin/bindelora", e);
    EXPECT_FALSE(c.junto);
    EXPECT_EQ(c.ruta, archivo + "/datos/bindelora");
    EXPECT_FALSE(c.error.empty());
    EXPECT_NE(c.error.find(archivo), std::string::npos) << c.error;
    // The data does not quietly move elsewhere: the failed save will name
    // this folder.
    EXPECT_FALSE(EsCarpeta(casa + "/.local"));
    EXPECT_EQ(RutaArchivoDatos("/usr/bin/bindelora", "dat", e), archivo + "/datos/bindelora/bindelora.dat");

    // The final folder itself being a file is reported too.
    variables["XDG_DATA_HOME"] = raiz + "/xdg";
    ::mkdir((raiz + "/xdg").c_str(), 0700);
    std::ofstream(raiz + "/xdg/bindelora") << "x";
    const CarpetaDatos d = ElegirCarpetaDatos("/usr/bin/bindelora", e);
    EXPECT_FALSE(d.error.empty());
}

TEST_F(CarpetaDatosTest, RealWritabilityCheck)
{
    const EntornoCarpetaDatos e = EntornoCarpetaDatos::Sistema();
    EXPECT_TRUE(e.escribible(programa));
    EXPECT_FALSE(e.escribible(raiz + "/no-existe"));
    // The real choice for a program in a writable folder never looks at
    // the environment.
    EXPECT_EQ(RutaArchivoDatos(programa + "/bindelora", "dat"), programa + "/bindelora.dat");
    if (::geteuid() != 0) {
        ::chmod(programa.c_str(), 0555);
        EXPECT_FALSE(e.escribible(programa));
        ::chmod(programa.c_str(), 0755);
    }
}

TEST_F(CarpetaDatosTest, ProgramFolderThatOthersMayWriteOrOwnIsNotUsed)
{
    variables["XDG_DATA_HOME"] = raiz + "/xdg";
    EntornoCarpetaDatos e = Entorno(true);
    e.propia = nullptr;  // the real ownership and mode check
    auto junto = [&] { return ElegirCarpetaDatos(programa + "/bindelora", e).junto; };
    ::chmod(programa.c_str(), 0755);
    EXPECT_TRUE(junto());
    EXPECT_TRUE(CarpetaPropia(programa));
    // Group or others may write: they could plant or swap the files.
    for (mode_t modo : {0775, 0757, 0777, 01777}) {
        ::chmod(programa.c_str(), modo);
        EXPECT_FALSE(junto()) << std::oct << modo;
        EXPECT_EQ(RutaArchivoDatos(programa + "/bindelora", "dat", e), raiz + "/xdg/bindelora/bindelora.dat");
    }
    ::chmod(programa.c_str(), 0755);
    // Someone else's folder, even one the user may write in (root may).
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(programa.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(CarpetaPropia(programa));
        EXPECT_FALSE(junto());
        ASSERT_EQ(::chown(programa.c_str(), 0, 0), 0);
    }
    EXPECT_FALSE(CarpetaPropia(raiz + "/no-existe"));
    // The user's data folder made in its place is closed to others.
    EXPECT_EQ(Modo(raiz + "/xdg/bindelora"), 0700u);
}
