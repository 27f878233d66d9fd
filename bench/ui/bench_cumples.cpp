// Benchmarks of the birthday list and the search panel over 100,000
// contacts: filling the list, a search with every field filled, and one step
// of the results' scroll bar. With visible:1 the window is shown on the view
// concerned and the repaint that follows each call counts too.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "core/agenda.h"
#include "core/archivo.h"
#include "frmbindelora.h"
#include "generador.h"
#include "platform/mensajes.h"
#include "platform/ruta_ejecutable.h"
#include "programa.h"
#include "qtexto.h"

using namespace bindelora;

namespace {

constexpr unsigned kSemillaCumples = 20261208;

// The agenda file of n generated contacts beside the (fake) executable, and
// an empty events file.
void PrepararLibro(std::size_t n)
{
    static std::map<std::size_t, std::string> cache;
    auto it = cache.find(n);
    if (it == cache.end()) it = cache.emplace(n, SerializarAgenda(bench::GenerarAgenda(n, kSemillaCumples))).first;
    const std::string ejecutable = RutaEjecutable::instancia().Ruta();
    std::string error;
    if (!EscribirArchivoSeguro(NombreArchivoDatos(ejecutable, "dat"), it->second, error) ||
        !EscribirArchivoSeguro(NombreArchivoDatos(ejecutable, "avs"), std::string(), error)) {
        std::fprintf(stderr, "No se pudieron escribir los archivos de datos: %s\n", error.c_str());
        std::abort();
    }
}

bool Arrancar(benchmark::State& state, Programa& p, QPushButton* vista)
{
    if (p.Terminado()) {
        state.SkipWithError("the program ended at start-up");
        return false;
    }
    if (state.range(1) == 0) return true;
    p.Mostrar();
    QElapsedTimer limite;
    limite.start();
    while (!(frmBindelora->windowHandle() && frmBindelora->windowHandle()->isExposed() &&
             !frmBindelora->TimerOnLoad->isActive())) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (limite.elapsed() > 10000) {
            state.SkipWithError("the window was never exposed");
            return false;
        }
    }
    vista->click();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return true;
}

void Pintar(benchmark::State& state)
{
    if (state.range(1) == 0) return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void BM_RellenarCumples(benchmark::State& state)
{
    PrepararLibro(static_cast<std::size_t>(state.range(0)));
    Programa p({QStringLiteral("bindelora")});
    if (!Arrancar(state, p, frmBindelora->btnCumples)) return;
    for (auto _ : state) {
        frmBindelora->RellenarCumples();
        Pintar(state);
    }
    state.counters["filas"] = frmBindelora->ListViewCumples->NumFilas();
    state.counters["objetivo_ms"] = 300;
}
BENCHMARK(BM_RellenarCumples)
    ->ArgNames({"contactos", "visible"})
    ->ArgsProduct({{100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The first contact with all twelve fields filled, shown as a result so that
// its values become the patterns, as when a shown result is searched again.
int ContactoCompleto()
{
    const auto& l = frmBindelora->ListaPibes;
    for (std::size_t i = l.size() / 2; i < l.size(); ++i) {
        const TPibe& c = *l[i];
        Fecha f;
        if (!c.Ape2.empty() && !c.TfnoCasa.empty() && !c.TfnoMovil.empty() && !c.EMail.empty() &&
            !c.Grupo.empty() && !c.Direccion.empty() && !c.Varios.empty() && DecodificarFecha(c.Cumple, f) &&
            f.ano > 1)
            return static_cast<int>(i);
    }
    return -1;
}

void PatronesDeContacto(benchmark::State& state)
{
    const int i = ContactoCompleto();
    if (i < 0) {
        state.SkipWithError("no contact has every field");
        return;
    }
    frmBindelora->ResultadoBusqueda = {frmBindelora->ListaPibes[static_cast<std::size_t>(i)].get()};
    frmBindelora->MostrarResultado(0);
}

// Patterns that most contacts pass for a long way, so that nearly every
// criterion is tested for nearly every contact.
void PatronesAmplios()
{
    TfrmBindelora* f = frmBindelora;
    f->edtBusNombre->setText(QStringLiteral("a"));
    f->edtBusApe1->setText(QStringLiteral("e"));
    f->edtBusApe2->setText(QStringLiteral("e"));
    f->edtBusTfnoCasa->setText(QStringLiteral("9"));
    f->edtBusTfnoMovil->setText(QStringLiteral("6"));
    f->edtBusEMail->setText(QStringLiteral("."));
    f->MemoBusDireccion->setPlainText(QStringLiteral("c"));
    f->edtBusCumpleAno->setText(QStringLiteral("666"));
    f->edtBusCumpleDia->setText(QStringLiteral("abc"));  // names no month: no condition
    f->edtBusCumpleMes->setText(QStringLiteral("xyz"));
    f->cbBusGrupo->setCurrentIndex(f->cbBusGrupo->findText(QStringLiteral("Familia")));
    f->memoBusVarios->setPlainText(QStringLiteral("e"));
}

void BM_BuscarTodosLosCampos(benchmark::State& state)
{
    PrepararLibro(static_cast<std::size_t>(state.range(0)));
    Programa p({QStringLiteral("bindelora")});
    if (!Arrancar(state, p, frmBindelora->btnDatos)) return;
    frmBindelora->btnBuscarClick();
    auto& cajas = static_cast<MensajesFalsos&>(Mensajes::instancia()).cajas;
    const std::size_t antes = cajas.size();
    for (auto _ : state) {
        // Showing the first result writes it over the patterns: they are
        // put back before every search.
        state.PauseTiming();
        if (state.range(2) == 0) PatronesDeContacto(state);
        else PatronesAmplios();
        Pintar(state);
        state.ResumeTiming();
        frmBindelora->btnBuscarAhoraClick();
        Pintar(state);
    }
    if (cajas.size() != antes) state.SkipWithError("the search found nothing");
    state.counters["resultados"] = static_cast<double>(frmBindelora->ResultadoBusqueda.size());
    state.counters["objetivo_ms"] = 100;
}
BENCHMARK(BM_BuscarTodosLosCampos)
    ->ArgNames({"contactos", "visible", "amplia"})
    ->ArgsProduct({{100000}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_PasoBarraBuscar(benchmark::State& state)
{
    PrepararLibro(static_cast<std::size_t>(state.range(0)));
    Programa p({QStringLiteral("bindelora")});
    if (!Arrancar(state, p, frmBindelora->btnDatos)) return;
    frmBindelora->btnBuscarClick();
    frmBindelora->edtBusNombre->setText(QStringLiteral("a"));
    frmBindelora->btnBuscarAhoraClick();
    QScrollBar* barra = frmBindelora->ScrollBarBuscar;
    if (barra->maximum() < 2) {
        state.SkipWithError("too few results to step through");
        return;
    }
    for (auto _ : state) {
        if (barra->value() == barra->maximum()) barra->setValue(1);
        else barra->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        Pintar(state);
    }
    state.counters["resultados"] = barra->maximum();
    state.counters["objetivo_ms"] = 10;
}
BENCHMARK(BM_PasoBarraBuscar)
    ->ArgNames({"contactos", "visible"})
    ->ArgsProduct({{100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
