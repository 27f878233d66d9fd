// Benchmarks of the Avisal view with 10,000 entries, a tenth of them monthly
// (about 19,000 rows): activating the view, selecting another entry, sorting
// by text and by date, adding and deleting an entry. Every timed step runs
// the event loop after it, so the repaint it causes counts too.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWindow>

#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "core/archivo.h"
#include "core/avisal.h"
#include "core/fecha.h"
#include "frmbindelora.h"
#include "platform/mensajes.h"
#include "platform/reloj.h"
#include "platform/ruta_ejecutable.h"
#include "programa.h"
#include "tlistview.h"

using namespace bindelora;

namespace {

constexpr int kEntradas = 10000;

std::string ArchivoAvisal()
{
    const char* const textos[] = {"Santo de Pepe", "Cita con el dentista", "Revisi\xF3n del coche",
                                  "Pagar la comunidad", "Cumplea\xF1os de \xC1lvaro", "Reuni\xF3n del AMPA",
                                  "\xD1u de la sierra", "Cena con los de la facultad", "Vacuna del perro"};
    std::mt19937 g(20261208);
    std::string s;
    for (int i = 0; i < kEntradas; ++i) {
        TAvisal a;
        a.Ano = 2027 + static_cast<int>(g() % 4);
        if (i % 10 == 0) {
            a.Mes = 0;
            a.Dia = 1 + static_cast<int>(g() % 28);
        } else {
            a.Mes = 1 + static_cast<int>(g() % 12);
            a.Dia = 1 + static_cast<int>(g() % static_cast<unsigned>(DiasDelMes(a.Mes, a.Ano)));
        }
        a.Texto = std::string(textos[g() % std::size(textos)]) + " " + std::to_string(i);
        s += LineaAvisal(a) + "\r\n";
    }
    return s;
}

void Procesar()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// A run on the Avisal view, shown, with the busy events file and no contacts.
class Vista {
public:
    Vista()
    {
        const std::string ruta = RutaEjecutable::instancia().Ruta();
        static const std::string datos = ArchivoAvisal();
        std::ofstream(NombreArchivoDatos(ruta, "avs"), std::ios::binary | std::ios::trunc) << datos;
        std::ofstream(NombreArchivoDatos(ruta, "dat"), std::ios::binary | std::ios::trunc);
        p = std::make_unique<Programa>(QStringList{QStringLiteral("bindelora")});
        if (p->Terminado()) return;
        p->Mostrar();
        QElapsedTimer t;
        t.start();
        while ((frmBindelora->TimerOnLoad->isActive() || !frmBindelora->windowHandle()->isExposed()) &&
               t.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        frmBindelora->btnAvisal->click();
        Procesar();
        ok = true;
    }
    ~Vista()
    {
        p.reset();
    }
    TfrmBindelora* f() const { return frmBindelora; }
    bool ok = false;

private:
    std::unique_ptr<Programa> p;
};

void Contadores(benchmark::State& state, const Vista& v, double objetivo)
{
    state.counters["entradas"] = static_cast<double>(v.f()->ListaAvisal.size());
    state.counters["filas"] = v.f()->ListViewAvisal->NumFilas();
    state.counters["objetivo_ms"] = objetivo;
}

void BM_ActivarAvisal(benchmark::State& state)
{
    Vista v;
    if (!v.ok) return state.SkipWithError("start failed");
    TfrmBindelora* f = v.f();
    // The first row is today's month: activation selects it each time.
    f->ListaAvisal.push_back(std::make_unique<TAvisal>(TAvisal{7, 12, 2030, "Hoy"}));
    f->InsertarFilasAvisal(f->ListaAvisal.back().get(), false);
    for (auto _ : state) {
        state.PauseTiming();
        f->btnLista->click();
        f->ListViewAvisal->clearSelection();
        Procesar();
        state.ResumeTiming();
        f->btnAvisal->click();
        Procesar();
    }
    if (f->ListViewAvisal->FilaSeleccionada() != 0) state.SkipWithError("the first row was not selected");
    Contadores(state, v, 50);
}
BENCHMARK(BM_ActivarAvisal)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SeleccionarOtraEntrada(benchmark::State& state)
{
    Vista v;
    if (!v.ok) return state.SkipWithError("start failed");
    TfrmBindelora* f = v.f();
    std::mt19937 g(7);
    for (auto _ : state) {
        f->ListViewAvisal->SeleccionarFila(static_cast<int>(g() % static_cast<unsigned>(f->ListViewAvisal->NumFilas())));
        Procesar();
    }
    Contadores(state, v, 10);
}
BENCHMARK(BM_SeleccionarOtraEntrada)->Unit(benchmark::kMillisecond)->UseRealTime();

// range(0): 0 sorts by date, 1 by text; each timed sort starts from the other order.
void BM_OrdenarAvisal(benchmark::State& state)
{
    Vista v;
    if (!v.ok) return state.SkipWithError("start failed");
    TfrmBindelora* f = v.f();
    const int columna = state.range(0) ? ColTexto : ColFecha;
    const int otra = state.range(0) ? ColFecha : ColTexto;
    f->ListViewAvisal->SeleccionarFila(100);
    for (auto _ : state) {
        state.PauseTiming();
        f->ListViewAvisalColumnClick(otra);
        Procesar();
        state.ResumeTiming();
        f->ListViewAvisalColumnClick(columna);
        Procesar();
    }
    Contadores(state, v, 150);
}
BENCHMARK(BM_OrdenarAvisal)->ArgName("texto")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// range(0): 0 a dated entry (one row), 1 a monthly one (twelve rows).
void BM_AnadirAvisal(benchmark::State& state)
{
    Vista v;
    if (!v.ok) return state.SkipWithError("start failed");
    TfrmBindelora* f = v.f();
    const QString mes = state.range(0) ? QStringLiteral("0") : QStringLiteral("6");
    for (auto _ : state) {
        state.PauseTiming();
        f->btnAvisalNuevoClick();
        f->edtAvisalDia->setText(QStringLiteral("15"));
        f->edtAvisalMes->setText(mes);
        f->edtAvisalAno->setText(QStringLiteral("2031"));
        f->edtAvisalTexto->setText(QStringLiteral("Nueva entrada"));
        Procesar();
        state.ResumeTiming();
        f->btnAvisalNuevoClick();
        Procesar();
        state.PauseTiming();
        f->btnAvisalEliminarClick();  // the scripted box answers OK
        Procesar();
        state.ResumeTiming();
    }
    Contadores(state, v, 30);
}
BENCHMARK(BM_AnadirAvisal)->ArgName("mensual")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EliminarAvisal(benchmark::State& state)
{
    Vista v;
    if (!v.ok) return state.SkipWithError("start failed");
    TfrmBindelora* f = v.f();
    const QString mes = state.range(0) ? QStringLiteral("0") : QStringLiteral("6");
    for (auto _ : state) {
        state.PauseTiming();
        f->btnAvisalNuevoClick();
        f->edtAvisalDia->setText(QStringLiteral("15"));
        f->edtAvisalMes->setText(mes);
        f->edtAvisalAno->setText(QStringLiteral("2031"));
        f->edtAvisalTexto->setText(QStringLiteral("Nueva entrada"));
        f->btnAvisalNuevoClick();
        Procesar();
        state.ResumeTiming();
        f->btnAvisalEliminarClick();
        Procesar();
    }
    Contadores(state, v, 30);
}
BENCHMARK(BM_EliminarAvisal)->ArgName("mensual")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
