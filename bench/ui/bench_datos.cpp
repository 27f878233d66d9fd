// Benchmarks of the contact editor with a 100,000-contact book: "Aña&dir"
// (insert at its place, refill the list, show, enter the birthday),
// "&Actualizar" (full re-order, refill, groups), "&Eliminar" and one
// navigation click. Runs inside bench_ui, whose main sets up the fakes.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWindow>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "core/agenda.h"
#include "core/archivo.h"
#include "frmbindelora.h"
#include "generador.h"
#include "platform/mensajes.h"
#include "platform/ruta_ejecutable.h"
#include "programa.h"

using namespace bindelora;

namespace {

constexpr std::size_t kContactos = 100000;
constexpr unsigned kSemillaDatos = 8;

// Each benchmark starts from the same agenda file, written once.
void PrepararAgenda()
{
    static std::string bytes;
    const std::string ruta = NombreArchivoDatos(RutaEjecutable::instancia().Ruta(), "dat");
    if (bytes.empty()) {
        std::string error;
        if (!GuardarAgenda(ruta, bench::GenerarAgenda(kContactos, kSemillaDatos), error)) {
            std::fprintf(stderr, "GuardarAgenda: %s\n", error.c_str());
            std::abort();
        }
        std::ifstream f(ruta, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
        return;
    }
    std::ofstream f(ruta, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The Datos view in front; with visible:1 the window is shown and every
// action is followed by the event loop, so the repaint counts too.
std::unique_ptr<Programa> AbrirDatos(benchmark::State& state)
{
    PrepararAgenda();
    auto p = std::make_unique<Programa>(QStringList{QStringLiteral("bindelora")});
    if (p->Terminado()) {
        state.SkipWithError("the program ended at start-up");
        return nullptr;
    }
    if (state.range(0) != 0) {
        p->Mostrar();
        QElapsedTimer limite;
        limite.start();
        while (!(frmBindelora->windowHandle() && frmBindelora->windowHandle()->isExposed() &&
                 !frmBindelora->TimerOnLoad->isActive())) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (limite.elapsed() > 10000) {
                state.SkipWithError("the window was never exposed");
                return nullptr;
            }
        }
    }
    frmBindelora->btnDatos->click();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return p;
}

void Pintar(benchmark::State& state)
{
    if (state.range(0) == 0) return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void BM_DatosAnadir(benchmark::State& state)
{
    auto p = AbrirDatos(state);
    if (!p) return;
    TfrmBindelora* f = frmBindelora;
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f->btnNuevoClick();
        f->edtNombre->setText(QStringLiteral("Mar\u00EDa Jos\u00E9"));
        f->edtApe1->setText(QStringLiteral("N\u00FA\u00F1ez %1").arg(i++));
        f->edtApe2->setText(QStringLiteral("Ortega"));
        f->cbGrupo->setEditText(QStringLiteral("Amigos"));
        f->edtCumpleDia->setText(QStringLiteral("12"));
        f->edtCumpleMes->setText(QStringLiteral("Oct"));
        f->edtCumpleAno->setText(QStringLiteral("1975"));
        Pintar(state);
        state.ResumeTiming();

        f->btnNuevoClick();
        Pintar(state);
    }
    if (f->btnNuevo->text() != QStringLiteral("&Nuevo")) state.SkipWithError("the contact was not added");
    state.counters["contactos"] = static_cast<double>(f->ListaPibes.size());
    state.counters["objetivo_ms"] = 100;
}
BENCHMARK(BM_DatosAnadir)->ArgNames({"visible"})->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DatosActualizar(benchmark::State& state)
{
    auto p = AbrirDatos(state);
    if (!p) return;
    TfrmBindelora* f = frmBindelora;
    f->PibeActual = static_cast<int>(kContactos / 2);
    f->MostrarPibe(f->PibeActual);
    // Alternating first surnames that send the contact to either end.
    bool alFinal = false;
    for (auto _ : state) {
        state.PauseTiming();
        alFinal = !alFinal;
        f->edtApe1->setText(alFinal ? QStringLiteral("Zzz") : QStringLiteral("Aaa"));
        f->btnActualizar->setEnabled(true);
        state.ResumeTiming();

        f->btnActualizarClick();
        Pintar(state);
    }
    state.counters["contactos"] = static_cast<double>(f->ListaPibes.size());
    state.counters["objetivo_ms"] = 150;
}
BENCHMARK(BM_DatosActualizar)->ArgNames({"visible"})->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same when the rest of the book is out of order (as an addition among
// equal insertion keys can leave it): the full re-ordering and refill.
void BM_DatosActualizarReordenando(benchmark::State& state)
{
    auto p = AbrirDatos(state);
    if (!p) return;
    TfrmBindelora* f = frmBindelora;
    f->PibeActual = static_cast<int>(kContactos / 2);
    f->MostrarPibe(f->PibeActual);
    bool alFinal = false;
    for (auto _ : state) {
        state.PauseTiming();
        std::swap(f->ListaPibes[10], f->ListaPibes[kContactos - 10]);
        alFinal = !alFinal;
        f->edtApe1->setText(alFinal ? QStringLiteral("Zzz") : QStringLiteral("Aaa"));
        state.ResumeTiming();

        f->btnActualizarClick();
        Pintar(state);
    }
    state.counters["objetivo_ms"] = 150;
}
BENCHMARK(BM_DatosActualizarReordenando)
    ->ArgNames({"visible"})
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_DatosEliminar(benchmark::State& state)
{
    auto p = AbrirDatos(state);
    if (!p) return;
    TfrmBindelora* f = frmBindelora;
    // The deletion questions are expected: they are taken out of the record
    // of boxes afterwards, which reports only the unexpected ones.
    auto* mensajes = dynamic_cast<MensajesFalsos*>(&Mensajes::instancia());
    const std::size_t cajas = mensajes ? mensajes->cajas.size() : 0;
    std::size_t posicion = kContactos / 3;
    for (auto _ : state) {
        state.PauseTiming();
        f->PibeActual = static_cast<int>(posicion);
        f->MostrarPibe(f->PibeActual);
        f->ActualizarNavegacion();
        Pintar(state);
        state.ResumeTiming();

        f->btnEliminarClick();  // the message box fake answers OK
        Pintar(state);
        posicion = (posicion + 997) % f->ListaPibes.size();
    }
    if (mensajes) {
        for (std::size_t i = cajas; i < mensajes->cajas.size(); ++i)
            if (mensajes->cajas[i].titulo != QStringLiteral("Aviso de Eliminación"))
                state.SkipWithError("an unexpected message box was shown");
        mensajes->cajas.resize(cajas);
    }
    state.counters["contactos_al_final"] = static_cast<double>(f->ListaPibes.size());
    state.counters["objetivo_ms"] = 60;
}
// Each deletion takes one contact away: a few hundred iterations leave the
// book at practically its size.
BENCHMARK(BM_DatosEliminar)
    ->ArgNames({"visible"})
    ->Arg(0)
    ->Arg(1)
    ->Iterations(100)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_DatosNavegar(benchmark::State& state)
{
    auto p = AbrirDatos(state);
    if (!p) return;
    TfrmBindelora* f = frmBindelora;
    f->PibeActual = static_cast<int>(kContactos / 2);
    bool adelante = true;
    for (auto _ : state) {
        if (adelante) f->btnNextClick();
        else f->btnPrevClick();
        Pintar(state);
        adelante = !adelante;
    }
    state.counters["objetivo_ms"] = 5;
}
BENCHMARK(BM_DatosNavegar)->ArgNames({"visible"})->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
