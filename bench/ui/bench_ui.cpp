// Benchmarks of the main window on an offscreen display: the contact list
// refill, re-ordering from a column click, the start-up to the first shown
// window and the loading of the events file with its rows.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "core/agenda.h"
#include "core/archivo.h"
#include "core/avisal.h"
#include "core/fecha.h"
#include "frmbindelora.h"
#include "generador.h"
#include "platform/mensajes.h"
#include "platform/registro.h"
#include "platform/reloj.h"
#include "platform/ruta_ejecutable.h"
#include "platform/ventanas.h"
#include "programa.h"

using namespace bindelora;

namespace {

const Fecha kHoy{2026, 12, 7};
constexpr unsigned kSemilla = 20261207;
constexpr int kEntradasAvisal = 10000;

// Set up by main before any benchmark runs.
std::string g_rutaAgenda;
std::string g_rutaAvisal;
MensajesFalsos* g_mensajes = nullptr;

bool EscribirBytes(const std::string& ruta, const std::string& datos)
{
    // A plain write: restoring between iterations needs no durability.
    std::ofstream f(ruta, std::ios::binary | std::ios::trunc);
    f.write(datos.data(), static_cast<std::streamsize>(datos.size()));
    return static_cast<bool>(f);
}

std::string LeerBytes(const std::string& ruta)
{
    std::ifstream f(ruta, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// The agenda file's bytes for n generated contacts, written once with the
// program's own writer and kept for restoring the file later.
const std::string& BytesAgenda(std::size_t n)
{
    static std::map<std::size_t, std::string> cache;
    auto it = cache.find(n);
    if (it != cache.end()) return it->second;
    const ListaPibes lista = bench::GenerarAgenda(n, kSemilla);
    std::string error;
    if (!bindelora::GuardarAgenda(g_rutaAgenda, lista, error)) {
        std::fprintf(stderr, "GuardarAgenda: %s\n", error.c_str());
        std::abort();
    }
    return cache.emplace(n, LeerBytes(g_rutaAgenda)).first->second;
}

// A busy events file: every entry lies ahead of kHoy so all are kept; one in
// ten is monthly (twelve rows each), which makes about 21,000 rows.
const std::string& BytesAvisal()
{
    static const std::string datos = [] {
        const char* const textos[] = {"Santo de Pepe", "Cita con el dentista", "Revisi\xF3n del coche",
                                      "Pagar la comunidad", "Cumplea\xF1os de \xC1lvaro", "Reuni\xF3n del AMPA",
                                      "Renovar el DNI", "Cena con los de la facultad", "Vacuna del perro",
                                      "Devolver el libro a la biblioteca", "Santo de Mar\xED" "a Jos\xE9",
                                      "Aniversario de I\xF1igo y Bego\xF1" "a"};
        std::mt19937 g(kSemilla);
        std::string s;
        for (int i = 0; i < kEntradasAvisal; ++i) {
            TAvisal a;
            if (i % 10 == 0) {
                a.Mes = 0;
                a.Dia = 1 + static_cast<int>(g() % 31);
                a.Ano = 2027 + static_cast<int>(g() % 4);
            } else {
                a.Ano = 2027 + static_cast<int>(g() % 4);
                a.Mes = 1 + static_cast<int>(g() % 12);
                a.Dia = 1 + static_cast<int>(g() % static_cast<unsigned>(DiasDelMes(a.Mes, a.Ano)));
            }
            a.Texto = std::string(textos[g() % std::size(textos)]) + " " + std::to_string(i);
            s += LineaAvisal(a);
            s += "\r\n";
        }
        return s;
    }();
    return datos;
}

void PrepararArchivos(std::size_t contactos, bool avisalLleno)
{
    const std::string& agenda = BytesAgenda(contactos);
    if (!EscribirBytes(g_rutaAgenda, agenda) || !EscribirBytes(g_rutaAvisal, avisalLleno ? BytesAvisal() : std::string())) {
        std::fprintf(stderr, "No se pudieron escribir los archivos de datos\n");
        std::abort();
    }
}

// Runs the event loop until the window is shown and exposed and its start
// timer has fired, then once more for the paint that follows.
bool EsperarVentana(QWidget* w, QTimer* timerInicio)
{
    QElapsedTimer limite;
    limite.start();
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        const bool expuesta = w->windowHandle() && w->windowHandle()->isExposed();
        if (w->isVisible() && expuesta && !timerInicio->isActive()) break;
        if (limite.elapsed() > 10000) return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return true;
}

bool SinErrores(benchmark::State& state, const Programa& p)
{
    if (p.Terminado()) {
        state.SkipWithError("the program ended at start-up (data file rejected)");
        return false;
    }
    return true;
}

// With visible:1 the window is shown on the Lista view and every call is
// followed by the event loop, so the view's relayout and repaint count too.
bool MostrarLista(benchmark::State& state, Programa& p)
{
    if (state.range(1) == 0) return true;
    p.Mostrar();
    if (!EsperarVentana(frmBindelora, frmBindelora->TimerOnLoad)) {
        state.SkipWithError("the window was never exposed");
        return false;
    }
    frmBindelora->btnLista->click();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return true;
}

// Counts the paints of a widget, to show that a visible run really repaints.
class ContadorPintado : public QObject {
public:
    explicit ContadorPintado(QWidget* w) : w_(w) { w_->installEventFilter(this); }
    // The widget may go first (the start-up run destroys the program).
    ~ContadorPintado() override
    {
        if (w_) w_->removeEventFilter(this);
    }
    int pintados = 0;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (o == w_ && e->type() == QEvent::Paint) ++pintados;
        return false;
    }

private:
    QPointer<QWidget> w_;
};

void Pintar(benchmark::State& state)
{
    if (state.range(1) == 0) return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void BM_RellenarLista(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    PrepararArchivos(n, false);
    Programa p({QStringLiteral("bindelora")});
    if (!SinErrores(state, p) || !MostrarLista(state, p)) return;
    ContadorPintado contador(frmBindelora->ListViewLista->viewport());
    for (auto _ : state) {
        frmBindelora->RellenarLista();
        Pintar(state);
    }
    state.counters["filas"] = frmBindelora->ListViewLista->NumFilas();
    state.counters["pintados"] = benchmark::Counter(contador.pintados, benchmark::Counter::kAvgIterations);
    state.counters["objetivo_ms"] = n <= 10000 ? 50 : 500;
}
BENCHMARK(BM_RellenarLista)
    ->ArgNames({"contactos", "visible"})
    ->ArgsProduct({{10000, 100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_OrdenarPorColumna(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    PrepararArchivos(n, false);
    Programa p({QStringLiteral("bindelora")});
    if (!SinErrores(state, p) || !MostrarLista(state, p)) return;
    ContadorPintado contador(frmBindelora->ListViewLista->viewport());
    // Alternating columns so that every click changes the ordering.
    int columna = 0;
    for (auto _ : state) {
        frmBindelora->ListViewListaColumnClick(columna);
        Pintar(state);
        columna = 1 - columna;
    }
    state.counters["filas"] = frmBindelora->ListViewLista->NumFilas();
    state.counters["pintados"] = benchmark::Counter(contador.pintados, benchmark::Counter::kAvgIterations);
    state.counters["objetivo_ms"] = 600;
}
BENCHMARK(BM_OrdenarPorColumna)
    ->ArgNames({"contactos", "visible"})
    ->ArgsProduct({{100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ArranqueHastaVentana(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    double cierreMs = 0;
    int filasAvisal = 0;
    int filasLista = 0;
    int pintados = 0;
    for (auto _ : state) {
        // The shutdown writes both files and the birthday entering changes
        // them: every run starts from the same files.
        state.PauseTiming();
        PrepararArchivos(n, false);
        state.ResumeTiming();

        auto p = std::make_unique<Programa>(QStringList{QStringLiteral("bindelora")});
        if (!SinErrores(state, *p)) return;
        ContadorPintado contador(frmBindelora);
        p->Mostrar();
        if (!EsperarVentana(frmBindelora, frmBindelora->TimerOnLoad)) {
            state.SkipWithError("the window was never exposed");
            return;
        }

        state.PauseTiming();
        filasAvisal = frmBindelora->ListViewAvisal->NumFilas();
        filasLista = frmBindelora->ListViewLista->NumFilas();
        pintados += contador.pintados;
        const auto t0 = std::chrono::steady_clock::now();
        p.reset();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        cierreMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        state.ResumeTiming();
    }
    state.counters["filas_lista"] = filasLista;
    state.counters["pintados"] = benchmark::Counter(pintados, benchmark::Counter::kAvgIterations);
    state.counters["filas_avisal"] = filasAvisal;
    state.counters["cierre_ms"] = benchmark::Counter(cierreMs, benchmark::Counter::kAvgIterations);
    state.counters["objetivo_ms"] = 1000;
}
BENCHMARK(BM_ArranqueHastaVentana)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RecuperarAvisal(benchmark::State& state)
{
    PrepararArchivos(1000, true);
    Programa p({QStringLiteral("bindelora")});
    if (!SinErrores(state, p)) return;
    const std::size_t cajas = g_mensajes->cajas.size();
    for (auto _ : state) frmBindelora->RecuperarAvisal();
    if (g_mensajes->cajas.size() != cajas) state.SkipWithError("the events file was rejected");
    state.counters["entradas"] = static_cast<double>(frmBindelora->ListaAvisal.size());
    state.counters["filas"] = frmBindelora->ListViewAvisal->NumFilas();
    state.counters["objetivo_ms"] = 300;
}
BENCHMARK(BM_RecuperarAvisal)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "No temporary folder\n");
        return 1;
    }
    const std::string ejecutable = dir.filePath(QStringLiteral("bindelora")).toStdString();
    g_rutaAgenda = NombreArchivoDatos(ejecutable, "dat");
    g_rutaAvisal = NombreArchivoDatos(ejecutable, "avs");

    RelojFijo reloj(kHoy);
    MensajesFalsos mensajes;
    RegistroMemoria registro;
    VentanasFalsas ventanas;
    RutaEjecutableFija ruta(ejecutable);
    Reloj::setInstancia(&reloj);
    Mensajes::setInstancia(&mensajes);
    Registro::setInstancia(&registro);
    Ventanas::setInstancia(&ventanas);
    RutaEjecutable::setInstancia(&ruta);
    g_mensajes = &mensajes;

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    Reloj::setInstancia(nullptr);
    Mensajes::setInstancia(nullptr);
    Registro::setInstancia(nullptr);
    Ventanas::setInstancia(nullptr);
    RutaEjecutable::setInstancia(nullptr);
    if (!mensajes.cajas.empty())
        std::fprintf(stderr, "%zu message box(es) shown, the first: %s\n", mensajes.cajas.size(),
                     mensajes.cajas.front().texto.toStdString().c_str());
    return 0;
}
