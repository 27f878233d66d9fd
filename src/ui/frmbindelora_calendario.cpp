// The month calendar of the Avisal view: 42 day cells drawn by the program,
// marks on the days with entries, today's ring and the day click.
#include <array>
#include <charconv>

#include "celdasdia.h"
#include "core/avisal.h"
#include "core/calendario.h"
#include "core/texto.h"
#include "frmbindelora.h"
#include "platform/reloj.h"
#include "qtexto.h"

using namespace bindelora;

namespace {

const QColor kColorVecino{187, 187, 187};
const QColor kColorDomingo{17, 17, 187};
const QColor kColorDia{0, 0, 0};
const QColor kBrochaConAvisal{51, 187, 153};
const QColor kPlumaConAvisal{136, 204, 204};
const QColor kBrochaSeleccion{51, 187, 192};
const QColor kPlumaSeleccion{51, 51, 255};
const QColor kPlumaHoy{255, 17, 68};

// The rows' number columns hold plain decimals; anything else reads as -1.
int Numero(const std::string& s)
{
    int v = -1;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return (ec == std::errc() && p == s.data() + s.size()) ? v : -1;
}

}  // namespace

void TfrmBindelora::CrearCalendario()
{
    // The day cells, 7 columns from Monday by 6 weeks, each label in front of
    // its ellipse.
    const QColor fondo = PanelMes->palette().color(QPalette::Window);
    for (int c = 0; c < kColumnasMes; ++c)
        for (int r = 0; r < kFilasMes; ++r) {
            auto* marca = new TMarcaDia(PanelMes);
            marca->setGeometry(10 + 24 * c - 2, 41 + 24 * r - 2, 21, 17);
            marca->Fijar(fondo, fondo, 1);
            MarcasDia[c][r] = marca;
            auto* etiqueta = new TEtiquetaDia(PanelMes);
            etiqueta->setGeometry(10 + 24 * c, 41 + 24 * r, 17, 17);
            EtiquetasDia[c][r] = etiqueta;
            connect(etiqueta, &TEtiquetaDia::Pulsada, this, &TfrmBindelora::CalendarioDiaClick);
        }
    // The editor can be reached before the view is first shown: the month
    // shown starts as today's.
    const Fecha hoy = Reloj::instancia().Hoy();
    MesMostrado = hoy.mes;
    AnoMostrado = hoy.ano;
    PrepararTecladoCalendario();
}

void TfrmBindelora::DibujarMes(int mes, int ano)
{
    if (mes < 1 || mes > 12) {
        const Fecha hoy = Reloj::instancia().Hoy();
        mes = hoy.mes;
        ano = hoy.ano;
    }
    const QColor fondo = PanelMes->palette().color(QPalette::Window);
    for (auto& columna : MarcasDia)
        for (TMarcaDia* m : columna) m->Fijar(fondo, fondo, 1);

    const RejillaMes rejilla = CalcularRejillaMes(mes, ano);
    for (int i = 0; i < kCeldasMes; ++i) {
        const CeldaMes& celda = rejilla[static_cast<std::size_t>(i)];
        const QColor& color = celda.vecino ? kColorVecino : celda.domingo ? kColorDomingo : kColorDia;
        EtiquetasDia[i % kColumnasMes][i / kColumnasMes]->FijarDia(celda.dia, color, celda.vecino);
    }
    lblNomMes->setText(aQ(NombresMes[static_cast<std::size_t>(mes)]) + QStringLiteral(" de ") + QString::number(ano));
    AnoMostrado = ano;
    MesMostrado = mes;
    PanelMes->update();
    NombrarDias();
}

void TfrmBindelora::MarcarDiasConAvisal(int mes, int ano)
{
    // An entry marks its day in that month of every year; a monthly one in
    // every month. Many rows share a day: each day is painted once. The rows
    // hold their numbers as plain decimals, so comparing texts is converting.
    const std::string mesTexto = std::to_string(mes);
    std::array<bool, 32> conAvisal{};
    for (int i = 0; i < ListViewAvisal->NumFilas(); ++i) {
        const std::string& m = ListViewAvisal->Texto(i, ColMes);
        if (m != "0" && m != mesTexto) continue;
        const int d = Numero(ListViewAvisal->Texto(i, ColDia));
        if (d >= 1 && d <= 31) conAvisal[static_cast<std::size_t>(d)] = true;
    }
    for (int d = 1; d <= 31; ++d)
        if (conAvisal[static_cast<std::size_t>(d)]) MarcarDia(d, mes, ano, false);
    NombrarDias();
}

void TfrmBindelora::MostrarMes(int mes, int ano)
{
    DibujarMes(mes, ano);
    MarcarDiasConAvisal(MesMostrado, AnoMostrado);
}

void TfrmBindelora::MarcarDia(int dia, int mes, int ano, bool seleccionado)
{
    const int celda = CeldaDelDia(dia, mes, ano);
    if (celda < 0) return;
    TMarcaDia* m = MarcasDia[celda % kColumnasMes][celda / kColumnasMes];
    if (seleccionado) m->Fijar(kBrochaSeleccion, kPlumaSeleccion, 1);
    else m->Fijar(kBrochaConAvisal, kPlumaConAvisal, 1);
}

void TfrmBindelora::MarcarHoy(int mes, int ano)
{
    const Fecha hoy = Reloj::instancia().Hoy();
    if (mes != hoy.mes || ano != hoy.ano) return;
    const int celda = CeldaDelDia(hoy.dia, mes, ano);
    if (celda < 0) return;
    MarcasDia[celda % kColumnasMes][celda / kColumnasMes]->FijarPluma(kPlumaHoy, 2);
}

void TfrmBindelora::CalendarioDiaClick(TEtiquetaDia* etiqueta)
{
    if (!etiqueta || etiqueta->Vecino()) return;
    const std::string dia = deQ(etiqueta->text());
    const std::string mes = std::to_string(MesMostrado);
    int fila = -1;
    for (int i = 0; i < ListViewAvisal->NumFilas() && fila < 0; ++i)
        if (ListViewAvisal->Texto(i, ColDia) == dia && ListViewAvisal->Texto(i, ColMesReal) == mes) fila = i;
    // The month's last day also carries the marks of the days it lacks
    // (the 31st of a monthly entry in April, 29 February in a common year).
    const int n = Numero(dia);
    if (fila < 0 && n == DiasDelMes(MesMostrado, AnoMostrado))
        for (int i = 0; i < ListViewAvisal->NumFilas() && fila < 0; ++i) {
            const int d = Numero(ListViewAvisal->Texto(i, ColDia));
            if (d > n && d <= 31 && ListViewAvisal->Texto(i, ColMesReal) == mes) fila = i;
        }
    if (fila < 0) return;
    ListViewAvisal->SeleccionarFila(fila);
    ListViewAvisal->setFocus();
    ListViewAvisalSelectItem();
}
