#pragma once
// The settings dialog's tests: a file chooser that only records, and the
// login entry in a folder of the test's own.
#include <cstdlib>
#include <optional>
#include <string>

#include "entorno.h"
#include "frmconfig.h"
#include "platform/dialogo_archivo.h"

class EntornoConfig : public EntornoVentanas {
protected:
    void SetUp() override
    {
        EntornoVentanas::SetUp();
        bindelora::DialogoArchivo::setInstancia(&dialogo);
        if (const char* antes = std::getenv("XDG_CONFIG_HOME")) configAnterior = antes;
        ::setenv("XDG_CONFIG_HOME", (carpeta.path() + "/config").toUtf8().constData(), 1);
    }
    void TearDown() override
    {
        if (frmConfig) frmConfig->hide();
        EntornoVentanas::TearDown();
        bindelora::DialogoArchivo::setInstancia(nullptr);
        if (configAnterior) ::setenv("XDG_CONFIG_HOME", configAnterior->c_str(), 1);
        else ::unsetenv("XDG_CONFIG_HOME");
    }

    // Opens the dialog as the Config. button does (the fake records the
    // modal showing), and leaves it shown so keys and clicks reach it.
    static void Abrir(TfrmBindelora* f)
    {
        f->btnConfigClick();
        frmConfig->show();
    }

    std::string Cadena(const char* nombre)
    {
        std::string v;
        registro.AbrirClave(false);
        registro.LeerCadena(nombre, v);
        return v;
    }

    bindelora::DialogoArchivoFalso dialogo;
    std::optional<std::string> configAnterior;
};
