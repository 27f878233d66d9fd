// The login entry: where it goes, its Exec for any path, and that the
// desktop's own checker takes it.
#include "platform/autoarranque.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

using namespace bindelora;

namespace {

class Autoarranque : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(carpeta.isValid());
        const char* antes = std::getenv("XDG_CONFIG_HOME");
        if (antes) anterior = antes;
        habia = antes != nullptr;
        config = carpeta.path().toStdString() + "/config";
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    }
    void TearDown() override
    {
        if (habia) ::setenv("XDG_CONFIG_HOME", anterior.c_str(), 1);
        else ::unsetenv("XDG_CONFIG_HOME");
    }

    static std::string Leer(const std::string& ruta)
    {
        std::ifstream f(ruta, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    }

    // desktop-file-validate's verdict: empty when it takes the file.
    static std::string Validar(const std::string& ruta)
    {
        QProcess p;
        p.start(QStringLiteral("desktop-file-validate"), {QString::fromStdString(ruta)});
        if (!p.waitForFinished(20000)) return "desktop-file-validate no se pudo ejecutar";
        const std::string salida = p.readAll().toStdString();
        if (p.exitCode() != 0 || !salida.empty()) return salida.empty() ? "falló sin decir por qué" : salida;
        return {};
    }

    static std::string LineaExec(const std::string& texto)
    {
        const auto i = texto.find("\nExec=");
        return i == std::string::npos ? "" : texto.substr(i + 6, texto.find('\n', i + 1) - i - 6);
    }

    QTemporaryDir carpeta;
    std::string config, anterior;
    bool habia = false;
};

}  // namespace

TEST_F(Autoarranque, TheEntryComesAndGoesAndTheCheckerTakesIt)
{
    const std::string ruta = config + "/autostart/com.quenturo.Bindelora.Avisos.desktop";
    EXPECT_EQ(RutaEntradaAutoarranque(), ruta);
    EXPECT_FALSE(AvisosAlIniciarActivos());
    std::string error;
    // Taking away what is not there is no failure.
    EXPECT_TRUE(PonerAvisosAlIniciar(false, "/usr/bin/bindelora", error)) << error;

    EXPECT_TRUE(PonerAvisosAlIniciar(true, "/usr/bin/bindelora", error)) << error;  // its folder made too
    EXPECT_TRUE(AvisosAlIniciarActivos());
    const std::string texto = Leer(ruta);
    EXPECT_EQ(LineaExec(texto), "\"/usr/bin/bindelora\" --avisar");
    EXPECT_NE(texto.find("\nIcon=com.quenturo.Bindelora\n"), std::string::npos);
    EXPECT_EQ(Validar(ruta), "");

    EXPECT_TRUE(PonerAvisosAlIniciar(false, "/usr/bin/bindelora", error)) << error;
    EXPECT_FALSE(AvisosAlIniciarActivos());

    // A relative XDG_CONFIG_HOME is ignored for the home's .config.
    ::setenv("XDG_CONFIG_HOME", "relativa", 1);
    const char* casa = std::getenv("HOME");
    ASSERT_NE(casa, nullptr);
    EXPECT_EQ(RutaEntradaAutoarranque(), std::string(casa) + "/.config/autostart/com.quenturo.Bindelora.Avisos.desktop");
}

TEST_F(Autoarranque, ExecQuotesAnyPathTheDesktopCanRead)
{
    std::string texto, error;
    // Blanks, quotes, the shell's characters, a backslash, a percent sign
    // and accents.
    const std::string raro = "/home/a b/\"c\"/$d`e`/f\\g/50% ñ/bindelora";
    ASSERT_TRUE(TextoEntradaAutoarranque(raro, texto, error)) << error;
    EXPECT_EQ(LineaExec(texto), "\"/home/a b/\\\\\"c\\\\\"/\\\\$d\\\\`e\\\\`/f\\\\\\\\g/50%% ñ/bindelora\" --avisar");
    const std::string ruta = carpeta.path().toStdString() + "/prueba.desktop";
    {
        std::ofstream f(ruta, std::ios::binary);
        f << texto;
    }
    EXPECT_EQ(Validar(ruta), "");

    // A line break or a byte that is no UTF-8 cannot be held: refused, said.
    EXPECT_FALSE(TextoEntradaAutoarranque("/a\nb/bindelora", texto, error));
    EXPECT_NE(error.find("caracteres de control"), std::string::npos);
    EXPECT_FALSE(PonerAvisosAlIniciar(true, "/a/\xF1/bindelora", error));
    EXPECT_NE(error.find("UTF-8"), std::string::npos);
    EXPECT_FALSE(AvisosAlIniciarActivos());
}
