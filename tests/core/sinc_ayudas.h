#pragma once
// A book, a folder and a state file in a temporary folder, and the runs of
// the program against them: start (both directions) and end (sending only).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/sinc.h"
#include "core/texto.h"

class SincBase : public ::testing::Test {
protected:
    std::string raiz_, vdir_, estado_;
    bindelora::ListaPibes pibes_;
    bindelora::ListaAvisales avisales_;
    const bindelora::Fecha hoy_{2026, 12, 9};
    const bindelora::MarcaUtc ahora_{hoy_, 10, 0, 0};
    std::unique_ptr<bindelora::Sincronizador> s_;

    void SetUp() override
    {
        std::string plantilla = (std::filesystem::temp_directory_path() / "bindelora-sinc-XXXXXX").string();
        ASSERT_NE(::mkdtemp(plantilla.data()), nullptr);
        raiz_ = plantilla;
        vdir_ = raiz_ + "/vdir";
        estado_ = raiz_ + "/bindelora.sinc";
    }
    void TearDown() override
    {
        s_.reset();
        std::filesystem::remove_all(raiz_);
    }

    // A run's start: a new engine reads the state file.
    bindelora::ResumenSinc Empezar()
    {
        s_ = std::make_unique<bindelora::Sincronizador>(vdir_, estado_);
        return s_->Intercambiar(pibes_, avisales_, "Nombre", hoy_, ahora_);
    }
    // A later exchange of the same run.
    bindelora::ResumenSinc Otra() { return s_->Intercambiar(pibes_, avisales_, "Nombre", hoy_, ahora_); }
    bindelora::ResumenSinc Terminar()
    {
        if (!s_) s_ = std::make_unique<bindelora::Sincronizador>(vdir_, estado_);
        bindelora::ResumenSinc r = s_->Enviar(pibes_, avisales_, hoy_, ahora_);
        s_.reset();
        return r;
    }

    std::vector<std::string> Archivos(const std::string& sub) const
    {
        std::vector<std::string> r;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(vdir_ + "/" + sub, ec)) r.push_back(e.path().filename().string());
        std::sort(r.begin(), r.end());
        return r;
    }
    std::string Ruta(const std::string& sub, const std::string& nombre) const { return vdir_ + "/" + sub + "/" + nombre; }
    static std::string Leer(const std::string& ruta)
    {
        std::ifstream f(ruta, std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    // Another program's write: the file's time moves on even within the
    // clock's step.
    static void Poner(const std::string& ruta, const std::string& texto)
    {
        struct stat antes {};
        const bool habia = ::stat(ruta.c_str(), &antes) == 0;
        std::ofstream(ruta, std::ios::binary | std::ios::trunc) << texto;
        if (habia) {
            timespec t[2] = {antes.st_atim, antes.st_mtim};
            t[0].tv_sec += 2;
            t[1].tv_sec += 2;
            ::utimensat(AT_FDCWD, ruta.c_str(), t, 0);
        }
    }
    static void Cambiar(const std::string& ruta, const std::string& de, const std::string& a)
    {
        std::string t = Leer(ruta);
        const std::size_t i = t.find(de);
        ASSERT_NE(i, std::string::npos) << de << " in " << t;
        t.replace(i, de.size(), a);
        Poner(ruta, t);
    }
};

inline std::unique_ptr<bindelora::TPibe> SincPibe(const char* nombre, const char* ape1, const char* movil = "")
{
    auto p = std::make_unique<bindelora::TPibe>();
    p->Nombre = bindelora::Utf8ACp1252(nombre);
    p->Ape1 = bindelora::Utf8ACp1252(ape1);
    p->TfnoMovil = movil;
    return p;
}

inline std::unique_ptr<bindelora::TAvisal> SincAvisal(int dia, int mes, int ano, const char* texto)
{
    auto a = std::make_unique<bindelora::TAvisal>();
    a->Dia = dia;
    a->Mes = mes;
    a->Ano = ano;
    a->Texto = bindelora::Utf8ACp1252(texto);
    return a;
}
