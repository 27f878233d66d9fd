// What a screen reader and the keyboard meet in the main window: names,
// the view shortcuts, Tab within the view in front, and the calendar's days
// from the keyboard.
#include <QKeySequence>

#include "accesibilidad.h"
#include "celdasdia.h"
#include "core/avisal.h"
#include "core/calendario.h"
#include "dibujo_svg.h"
#include "frmbindelora.h"
#include "platform/reloj.h"

using namespace bindelora;
namespace acc = bindelora::accesible;

namespace {

const char* const kMeses[13] = {"",      "enero",      "febrero", "marzo",     "abril",     "mayo",     "junio",
                                "julio", "agosto",     "septiembre", "octubre", "noviembre", "diciembre"};

QString FechaLarga(int dia, int mes, int ano)
{
    return QStringLiteral("%1 de %2 de %3").arg(dia).arg(QString::fromLatin1(kMeses[mes])).arg(ano);
}

// The view button's tooltip keeps its hint and shows its shortcut.
void Atajo(QPushButton* b, const QKeySequence& tecla, const QString& nombre, const QString& descripcion)
{
    b->setShortcut(tecla);
    b->setToolTip(b->toolTip() + QStringLiteral(" (") + tecla.toString(QKeySequence::NativeText) + QLatin1Char(')'));
    b->setFocusPolicy(Qt::TabFocus);  // a click still leaves the focus where it was
    acc::Nombrar(b, nombre, descripcion);
}

}  // namespace

void TfrmBindelora::PrepararAccesibilidad()
{
    acc::InstalarFabrica();
    Atajo(btnLista, QKeySequence(Qt::CTRL | Qt::Key_1), QStringLiteral("Lista"),
          QStringLiteral("Muestra la lista de contactos"));
    Atajo(btnDatos, QKeySequence(Qt::CTRL | Qt::Key_2), QStringLiteral("Datos"),
          QStringLiteral("Muestra los datos de un contacto"));
    Atajo(btnCumples, QKeySequence(Qt::CTRL | Qt::Key_3), QStringLiteral("Cumples"),
          QStringLiteral("Muestra los próximos cumpleaños"));
    Atajo(btnAvisal, QKeySequence(Qt::CTRL | Qt::Key_4), QStringLiteral("Avisal"),
          QStringLiteral("Muestra el calendario y los sucesos"));
    Atajo(btnConfig, QKeySequence(Qt::CTRL | Qt::Key_Comma), QStringLiteral("Configuración"),
          QStringLiteral("Abre la configuración"));
    btnAbout->setFocusPolicy(Qt::TabFocus);
    acc::Nombrar(btnAbout, QStringLiteral("Acerca de Bindelora"));
    new acc::AnilloFoco(this, {btnAbout, btnLista, btnDatos, btnCumples, btnAvisal, btnConfig});
    for (QPushButton* b : {btnLista, btnDatos, btnCumples, btnAvisal, btnConfig})
        DibujarBotonDesdeSvg(b, QStringLiteral(":/img/") + b->objectName());
    for (QLabel* l : {img11, img12, img13, img21, img23, img31, img32, img33, s1, s2, s3, s4, s5, mini1, mini2, cerr1,
                      cerr2})
        DibujarDesdeSvg(l, QStringLiteral(":/img/") + l->objectName() + QStringLiteral(".svg"));
    DibujarDesdeSvg(ImageHagaClicAqui, QStringLiteral(":/img/hagaclicaqui.svg"));
    DibujarDesdeSvg(ImageNewAvisal, QStringLiteral(":/img/newavisal.svg"));

    for (QWidget* w : std::initializer_list<QWidget*>{img11, img12, img13, img21, img23, img31, img32, img33, s1, s2,
                                                      s3, s4, s5, mini2, cerr2, ImageNewAvisal, Bevel2, Bevel1, Bevel3,
                                                      Bevel4, Bevel5, Bevel6, Bevel7, Bevel8, Bevel9, ShapeCal})
        acc::Adorno(w);
    acc::BotonDibujo(mini1, QStringLiteral("Minimizar"));
    acc::BotonDibujo(cerr1, QStringLiteral("Cerrar"));

    acc::Vista(PanelLista, QStringLiteral("Lista"));
    acc::Vista(PanelDatos, QStringLiteral("Datos"));
    acc::Vista(PanelCumples, QStringLiteral("Cumples"));
    acc::Vista(PanelAvisal, QStringLiteral("Avisal"));
    acc::Vista(PanelBuscar, QStringLiteral("Buscar"));

    acc::Nombrar(ListViewLista, QStringLiteral("Lista de contactos"),
                 QStringLiteral("Doble clic o Intro abre el contacto"));
    acc::Nombrar(ListViewCumples, QStringLiteral("Lista de cumpleaños"), QStringLiteral("Los más cercanos primero"));
    acc::Nombrar(ListViewAvisal, QStringLiteral("Sucesos"), QStringLiteral("Los más cercanos primero"));

    // The contact editor and the search form share their labels.
    struct Campo {
        QWidget* datos;
        QWidget* busqueda;
        const char* nombre;
    };
    const Campo campos[] = {
        {edtNombre, edtBusNombre, "Nombre"},
        {edtApe1, edtBusApe1, "Apellido 1"},
        {edtApe2, edtBusApe2, "Apellido 2"},
        {edtTfnoCasa, edtBusTfnoCasa, "Tfno. Casa"},
        {edtTfnoMovil, edtBusTfnoMovil, "Tfno. Móvil"},
        {edtEMail, edtBusEMail, "E-Mail"},
        {MemoDireccion, MemoBusDireccion, "Dirección"},
        {edtCumpleDia, edtBusCumpleDia, "Cumpleaños, día"},
        {edtCumpleMes, edtBusCumpleMes, "Cumpleaños, mes"},
        {edtCumpleAno, edtBusCumpleAno, "Cumpleaños, año"},
        {cbGrupo, cbBusGrupo, "Grupo"},
        {MemoVarios, memoBusVarios, "Varios"},
    };
    for (const Campo& c : campos) {
        acc::Nombrar(c.datos, QString::fromUtf8(c.nombre));
        acc::Nombrar(c.busqueda, QString::fromUtf8(c.nombre), QStringLiteral("Lo que se busca en este campo"));
    }
    MemoVarios->setAccessibleDescription(QStringLiteral("Otras notas del contacto"));
    acc::Nombrar(btnFirst, QStringLiteral("Primero"), QStringLiteral("Primer contacto"));
    acc::Nombrar(btnPrev, QStringLiteral("Anterior"), QStringLiteral("Contacto anterior"));
    acc::Nombrar(btnNext, QStringLiteral("Siguiente"), QStringLiteral("Contacto siguiente"));
    acc::Nombrar(btnLast, QStringLiteral("Último"), QStringLiteral("Último contacto"));
    acc::Nombrar(btnBuscar, QStringLiteral("Buscar"), QStringLiteral("Muestra el formulario de búsqueda"));
    acc::Nombrar(cbOrden, QStringLiteral("Ordenación"));
    acc::Nombrar(ImageHagaClicAqui, QStringLiteral("Haga clic aquí"),
                 QStringLiteral("Pulse Nuevo para añadir el primer contacto"));
    acc::Nombrar(ScrollBarBuscar, QStringLiteral("Resultados"), QStringLiteral("Pasa de un resultado a otro"));
    acc::Nombrar(lblBuscarPos, QStringLiteral("Resultado"));
    acc::Nombrar(edtAvisalDia, QStringLiteral("Fecha, día"));
    acc::Nombrar(edtAvisalMes, QStringLiteral("Fecha, mes"));
    acc::Nombrar(edtAvisalAno, QStringLiteral("Fecha, año"));
    acc::Nombrar(edtAvisalTexto, QStringLiteral("Texto"));
    acc::Nombrar(PanelMes, QStringLiteral("Calendario"), QStringLiteral("Las flechas recorren los días; Intro elige uno"));
    const char* const semana[] = {"lunes", "martes", "miércoles", "jueves", "viernes", "sábado", "domingo"};
    QLabel* const cabeceras[] = {lblCalLunes, lblCalMartes, lblCalMiercoles, lblCalJueves,
                                 lblCalViernes, lblCalSabado, lblCalDomingo};
    for (int i = 0; i < 7; ++i) acc::Nombrar(cabeceras[i], QString::fromUtf8(semana[i]));

    acc::AvisarTextosCortados(this);
    acc::AvisarTextoCortado(lblNomMes);  // empty until the month is drawn
}

void TfrmBindelora::PrepararTecladoCalendario()
{
    for (auto& columna : EtiquetasDia)
        for (TEtiquetaDia* d : columna) {
            d->setFocusPolicy(Qt::NoFocus);
            connect(d, &TEtiquetaDia::Mover, this, &TfrmBindelora::MoverFocoDia);
        }
    // In the order of the form: the days before the list.
    QWidget* antes = ListViewAvisal->previousInFocusChain();
    for (int i = 0; i < kCeldasMes; ++i) {
        QWidget* d = EtiquetasDia[i % kColumnasMes][i / kColumnasMes];
        setTabOrder(antes, d);
        antes = d;
    }
    setTabOrder(antes, ListViewAvisal);
}

void TfrmBindelora::FijarDiaTab(TEtiquetaDia* dia)
{
    // Only one day is in the Tab chain; the arrows move among the rest.
    if (diaTab_ == dia) return;
    if (diaTab_) diaTab_->setFocusPolicy(Qt::NoFocus);
    diaTab_ = dia;
    if (dia) dia->setFocusPolicy(Qt::StrongFocus);
}

void TfrmBindelora::MoverFocoDia(TEtiquetaDia* desde, int columnas, int filas)
{
    int c = -1, r = -1;
    for (int i = 0; i < kCeldasMes; ++i)
        if (EtiquetasDia[i % kColumnasMes][i / kColumnasMes] == desde) {
            c = i % kColumnasMes;
            r = i / kColumnasMes;
        }
    if (c < 0) return;
    const int i = (r + filas) * kColumnasMes + c + columnas;
    if (i < 0 || i >= kCeldasMes) return;
    TEtiquetaDia* destino = EtiquetasDia[i % kColumnasMes][i / kColumnasMes];
    if (destino->Vecino()) return;  // the arrows stay within the month shown
    FijarDiaTab(destino);
    destino->setFocus(Qt::OtherFocusReason);
}

void TfrmBindelora::NombrarDias()
{
    if (MesMostrado < 1 || MesMostrado > 12) return;
    // Entries of the month shown per day, as the day click finds them.
    std::array<int, 32> sucesos{};
    const std::string mes = std::to_string(MesMostrado);
    for (int i = 0; i < ListViewAvisal->NumFilas(); ++i) {
        if (ListViewAvisal->Texto(i, ColMesReal) != mes) continue;
        int d = 0;
        const std::string& t = ListViewAvisal->Texto(i, ColDia);
        for (char ch : t) d = (ch >= '0' && ch <= '9' && d < 100) ? d * 10 + (ch - '0') : 100;
        if (d >= 1 && d <= 31) ++sucesos[static_cast<std::size_t>(d)];
    }
    const Fecha hoy = Reloj::instancia().Hoy();
    const RejillaMes rejilla = CalcularRejillaMes(MesMostrado, AnoMostrado);
    TEtiquetaDia* primero = nullptr;
    TEtiquetaDia* deHoy = nullptr;
    for (int i = 0; i < kCeldasMes; ++i) {
        const CeldaMes& celda = rejilla[static_cast<std::size_t>(i)];
        TEtiquetaDia* e = EtiquetasDia[i % kColumnasMes][i / kColumnasMes];
        int m = MesMostrado, a = AnoMostrado;
        if (celda.vecino) {
            m += i < kColumnasMes ? -1 : 1;
            if (m < 1) m = 12, --a;
            if (m > 12) m = 1, ++a;
        }
        QString nombre = FechaLarga(celda.dia, m, a);
        if (celda.dia == hoy.dia && m == hoy.mes && a == hoy.ano) {
            nombre += QStringLiteral(", hoy");
            if (!celda.vecino) deHoy = e;
        }
        if (!celda.vecino) {
            if (!primero) primero = e;
            const int n = sucesos[static_cast<std::size_t>(celda.dia)];
            if (n == 1) nombre += QStringLiteral(", 1 suceso");
            else if (n > 1) nombre += QStringLiteral(", %1 sucesos").arg(n);
        }
        if (e->accessibleName() != nombre) e->setAccessibleName(nombre);
    }
    // The Tab stop stays on its day while the month is the same.
    if (!diaTab_ || diaTab_->Vecino()) FijarDiaTab(deHoy ? deHoy : primero);
}

bool TfrmBindelora::focusNextPrevChild(bool siguiente)
{
    // The views lie on top of each other: Tab skips those behind the front one.
    QWidget* desde = focusWidget() ? focusWidget() : this;
    QWidget* w = desde;
    for (int vueltas = 0; vueltas < 1000; ++vueltas) {
        w = siguiente ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == desde) return false;
        if (w->window() != this || w == this || !w->isEnabled() || !w->isVisibleTo(this) || w->focusProxy() ||
            !(w->focusPolicy() & Qt::TabFocus))
            continue;
        bool detras = false;
        for (QWidget* p = w->parentWidget(); p && p != this; p = p->parentWidget())
            if (acc::EsVista(p) && !acc::EnFrente(p)) detras = true;
        if (detras) continue;
        w->setFocus(siguiente ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
    return false;
}
