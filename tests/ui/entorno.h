#pragma once
// Starts the program as its entry does, in a temporary folder, with a fixed
// date, scripted message boxes, a settings store in memory and window
// services that only record.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/agenda.h"
#include "core/fecha.h"
#include "frmbindelora.h"
#include "platform/dialogo_intercambio.h"
#include "platform/mensajes.h"
#include "platform/registro.h"
#include "platform/reloj.h"
#include "platform/ruta_ejecutable.h"
#include "platform/ventanas.h"
#include "programa.h"

class EntornoVentanas : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(carpeta.isValid());
        ruta.ruta = (carpeta.path() + QStringLiteral("/bindelora")).toStdString();
        bindelora::Reloj::setInstancia(&reloj);
        bindelora::Mensajes::setInstancia(&mensajes);
        bindelora::Registro::setInstancia(&registro);
        bindelora::RutaEjecutable::setInstancia(&ruta);
        bindelora::Ventanas::setInstancia(&ventanas);
    }

    void TearDown() override
    {
        programa.reset();
        bindelora::Reloj::setInstancia(nullptr);
        bindelora::Mensajes::setInstancia(nullptr);
        bindelora::Registro::setInstancia(nullptr);
        bindelora::RutaEjecutable::setInstancia(nullptr);
        bindelora::Ventanas::setInstancia(nullptr);
    }

    // The first column of the contact list, as shown.
    static std::vector<std::string> NombresEnLista(TfrmBindelora* f)
    {
        std::vector<std::string> r;
        for (int i = 0; i < f->ListViewLista->NumFilas(); ++i) r.push_back(f->ListViewLista->Texto(i, 0));
        return r;
    }

    std::string Dat() const { return ruta.ruta + ".dat"; }
    std::string Avs() const { return ruta.ruta + ".avs"; }

    static void Escribir(const std::string& archivo, const std::string& datos)
    {
        std::ofstream f(archivo, std::ios::binary | std::ios::trunc);
        f << datos;
    }

    static std::string Leer(const std::string& archivo)
    {
        std::ifstream f(archivo, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    }

    void EscribirAgenda(const bindelora::ListaPibes& lista) { Escribir(Dat(), bindelora::SerializarAgenda(lista)); }

    // Starts a run; unless the start ended it, shows the main window and
    // lets the start timer fire.
    TfrmBindelora* Iniciar(const QStringList& argumentos = {QStringLiteral("bindelora")})
    {
        programa = std::make_unique<bindelora::Programa>(argumentos);
        if (!programa->Terminado()) {
            programa->Mostrar();
            QTest::qWait(30);
        }
        return frmBindelora;
    }

    // Ends the run as closing the window does.
    void Cerrar()
    {
        if (programa) programa->Apagar();
        programa.reset();
    }

    // The view panel in front of the other four.
    QWidget* PanelDelante() const
    {
        QWidget* delante = nullptr;
        for (QObject* o : frmBindelora->children())
            if (o == frmBindelora->PanelLista || o == frmBindelora->PanelDatos || o == frmBindelora->PanelCumples ||
                o == frmBindelora->PanelAvisal || o == frmBindelora->PanelBuscar)
                delante = static_cast<QWidget*>(o);
        return delante;
    }

    static std::unique_ptr<bindelora::TPibe> Pibe(const std::string& nombre, const std::string& ape1,
                                                  const std::string& ape2 = "", const std::string& grupo = "",
                                                  double cumple = 0)
    {
        auto p = std::make_unique<bindelora::TPibe>();
        p->Nombre = nombre;
        p->Ape1 = ape1;
        p->Ape2 = ape2;
        p->Grupo = grupo;
        p->Cumple = cumple;
        return p;
    }

    static double Dia(int ano, int mes, int dia)
    {
        double v = 0;
        bindelora::CodificarFecha(ano, mes, dia, v);
        return v;
    }

    QTemporaryDir carpeta;
    bindelora::RelojFijo reloj{bindelora::Fecha{2026, 12, 7}};
    bindelora::MensajesFalsos mensajes;
    bindelora::RegistroMemoria registro;
    bindelora::RutaEjecutableFija ruta{""};
    bindelora::VentanasFalsas ventanas;
    std::unique_ptr<bindelora::Programa> programa;
};

// For the tests that choose files through the import and export dialogs.
class EntornoIntercambio : public EntornoVentanas {
protected:
    void SetUp() override
    {
        EntornoVentanas::SetUp();
        bindelora::DialogoIntercambio::setInstancia(&dialogo);
    }
    void TearDown() override
    {
        EntornoVentanas::TearDown();
        bindelora::DialogoIntercambio::setInstancia(nullptr);
    }

    bindelora::DialogoIntercambioFalso dialogo;
};
