// Benchmarks of the secondary windows: today's events window with its
// entries, the first showing of the settings dialog and of the about
// window, and the recovery of a large agenda file. Each works in a folder
// of its own, with the services that bench_ui.cpp's main puts in place.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWindow>

#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "core/agenda.h"
#include "core/archivo.h"
#include "core/avisal.h"
#include "frmabout.h"
#include "frmbindelora.h"
#include "frmconfig.h"
#include "frmsucesoshoy.h"
#include "generador.h"
#include "platform/reloj.h"
#include "platform/ruta_ejecutable.h"
#include "programa.h"
#include "tlistview.h"

using namespace bindelora;

namespace {

// Points the data files at a folder of its own for one benchmark.
class Carpeta {
public:
    Carpeta() : anterior_(&RutaEjecutable::instancia()), ruta_(dir_.filePath(QStringLiteral("bindelora")).toStdString())
    {
        RutaEjecutable::setInstancia(&ruta_);
    }
    ~Carpeta() { RutaEjecutable::setInstancia(anterior_); }
    std::string Archivo(const char* ext) const { return NombreArchivoDatos(ruta_.ruta, ext); }
    bool Escribir(const char* ext, const std::string& datos) const
    {
        std::string error;
        return EscribirArchivoSeguro(Archivo(ext), datos, error);
    }

private:
    QTemporaryDir dir_;
    RutaEjecutable* anterior_;
    RutaEjecutableFija ruta_;
};

// Runs the event loop until the window is shown, exposed and painted.
bool HastaQueSeVea(QWidget* w)
{
    QElapsedTimer limite;
    limite.start();
    while (!(w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed())) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (limite.elapsed() > 5000) return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return true;
}

// 10,000 entries ahead of today, n of them on today's day and month (any
// year, some birthdays, some monthly).
std::string AvisalConHoy(int hoyes)
{
    const Fecha hoy = Reloj::instancia().Hoy();
    std::mt19937 g(20261207);
    std::string s;
    for (int i = 0; i < 10000; ++i) {
        TAvisal a;
        a.Ano = hoy.ano + 1 + static_cast<int>(g() % 4);
        if (i % (10000 / hoyes) == 0) {
            a.Dia = hoy.dia;
            a.Mes = i % 7 == 0 ? 0 : hoy.mes;
            if (i % 5 == 0) a.Ano = 9999;
        } else {
            a.Mes = 1 + static_cast<int>(g() % 12);
            a.Dia = 1 + static_cast<int>(g() % 28);
            if (a.Dia == hoy.dia && a.Mes == hoy.mes) ++a.Dia;
        }
        a.Texto = "Suceso n\xFAmero " + std::to_string(i);
        s += LineaAvisal(a) + "\r\n";
    }
    return s;
}

void BM_SucesosHoy(benchmark::State& state)
{
    Carpeta carpeta;
    if (!carpeta.Escribir("avs", AvisalConHoy(500))) {
        state.SkipWithError("could not write the events file");
        return;
    }
    Programa p({QStringLiteral("bindelora")});
    if (p.Terminado()) {
        state.SkipWithError("the events file was rejected");
        return;
    }
    frmBindelora->Config.MostrarSucesosParaHoy = "SIEMPRE";
    frmBindelora->Config.ReproducirWAVSucesosParaHoy = false;
    for (auto _ : state) {
        // The check, the filling and the placing; the window then shows
        // and paints (the modal loop itself is the fake's).
        frmBindelora->MostrarSucesosHoy();
        frmSucesosHoy->show();
        if (!HastaQueSeVea(frmSucesosHoy)) {
            state.SkipWithError("the window was never exposed");
            return;
        }
        state.PauseTiming();
        frmSucesosHoy->hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["filas_avisal"] = frmBindelora->ListViewAvisal->NumFilas();
    state.counters["filas_hoy"] = frmSucesosHoy->ListView->NumFilas();
    state.counters["objetivo_ms"] = 50;
}
BENCHMARK(BM_SucesosHoy)->Unit(benchmark::kMillisecond)->UseRealTime();

// The first opening of a run, in a new run each time: what a user waits
// for after the click.
template <class Abrir>
void PrimeraApertura(benchmark::State& state, Abrir abrir)
{
    Carpeta carpeta;
    for (auto _ : state) {
        state.PauseTiming();
        auto p = std::make_unique<Programa>(QStringList{QStringLiteral("bindelora")});
        p->Mostrar();
        HastaQueSeVea(frmBindelora);
        state.ResumeTiming();
        QWidget* w = abrir();
        if (!HastaQueSeVea(w)) {
            state.SkipWithError("the window was never exposed");
            return;
        }
        state.PauseTiming();
        w->hide();
        p.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["objetivo_ms"] = 50;
}

void BM_AbrirConfig(benchmark::State& state)
{
    PrimeraApertura(state, [] {
        frmBindelora->btnConfigClick();
        frmConfig->show();
        return static_cast<QWidget*>(frmConfig);
    });
}
BENCHMARK(BM_AbrirConfig)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

void BM_AbrirAbout(benchmark::State& state)
{
    PrimeraApertura(state, [] {
        frmBindelora->btnAboutClick();
        frmAbout->show();
        return static_cast<QWidget*>(frmAbout);
    });
}
BENCHMARK(BM_AbrirAbout)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// Read, order and refill every view, the main window shown on the Lista
// view when visible is 1.
void BM_RecuperarAgenda(benchmark::State& state)
{
    Carpeta carpeta;
    {
        const ListaPibes lista = bench::GenerarAgenda(static_cast<std::size_t>(state.range(0)), 20261207);
        std::string error;
        if (!GuardarAgenda(carpeta.Archivo("dat"), lista, error)) {
            state.SkipWithError("could not write the agenda file");
            return;
        }
    }
    Programa p({QStringLiteral("bindelora")});
    if (p.Terminado()) {
        state.SkipWithError("the agenda file was rejected");
        return;
    }
    if (state.range(1)) {
        p.Mostrar();
        HastaQueSeVea(frmBindelora);
        frmBindelora->btnLista->click();
    }
    for (auto _ : state) {
        frmBindelora->RecuperarAgenda();
        if (state.range(1)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
    }
    state.counters["contactos"] = static_cast<double>(frmBindelora->ListaPibes.size());
    state.counters["filas"] = frmBindelora->ListViewLista->NumFilas();
    state.counters["objetivo_ms"] = 400;
}
BENCHMARK(BM_RecuperarAgenda)
    ->ArgNames({"contactos", "visible"})
    ->ArgsProduct({{100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
