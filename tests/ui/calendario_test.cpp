// The Avisal view at the window: the month calendar, the events list with its
// selection and orderings, the editor, and the view's activation. Today is
// Monday 7 December 2026 unless a test says otherwise.
#include <QSignalSpy>

#include "celdasdia.h"
#include "core/calendario.h"
#include "core/texto.h"
#include "entorno.h"
#include "qtexto.h"
#include "tlistview.h"

using namespace bindelora;

namespace {

const QColor kGris{187, 187, 187};
const QColor kDomingo{17, 17, 187};
const QColor kLaborable{0, 0, 0};
const QColor kFondo{238, 238, 255};
const QColor kBrocha{51, 187, 153};
const QColor kBrochaSel{51, 187, 192};
const QColor kPlumaSel{51, 51, 255};
const QColor kRojo{255, 17, 68};
const QColor kTextoVerde{221, 238, 221};

class CalendarioVentana : public EntornoVentanas {
protected:
    TfrmBindelora* Abrir(const std::string& avs)
    {
        Escribir(Avs(), avs);
        TfrmBindelora* f = Iniciar();
        f->btnAvisal->click();
        return f;
    }

    static TEtiquetaDia* Etiqueta(TfrmBindelora* f, int celda) { return f->EtiquetasDia[celda % 7][celda / 7]; }
    static TMarcaDia* Marca(TfrmBindelora* f, int celda) { return f->MarcasDia[celda % 7][celda / 7]; }
    // The ellipse of a day of the month shown.
    static TMarcaDia* MarcaDe(TfrmBindelora* f, int dia)
    {
        const int c = CeldaDelDia(dia, f->MesMostrado, f->AnoMostrado);
        EXPECT_GE(c, 0);
        return Marca(f, c);
    }
    static std::vector<int> DiasMarcados(TfrmBindelora* f)
    {
        std::vector<int> r;
        for (int i = 0; i < 42; ++i)
            if (Marca(f, i)->Brocha() != kFondo) r.push_back(Etiqueta(f, i)->text().toInt());
        return r;
    }
    static int Fila(TfrmBindelora* f, const std::string& texto, const std::string& mesReal = "")
    {
        for (int i = 0; i < f->ListViewAvisal->NumFilas(); ++i)
            if (f->ListViewAvisal->Texto(i, ColTexto) == texto &&
                (mesReal.empty() || f->ListViewAvisal->Texto(i, ColMesReal) == mesReal))
                return i;
        return -1;
    }
    static void Teclear(TfrmBindelora* f, const char* teclas)
    {
        for (const char* p = teclas; *p; ++p) QTest::keyClick(f->focusWidget(), *p);
    }
    static void Rellenar(TfrmBindelora* f, const char* dia, const char* mes, const char* ano, const char* texto)
    {
        f->edtAvisalDia->setText(QString::fromLatin1(dia));
        f->edtAvisalMes->setText(QString::fromLatin1(mes));
        f->edtAvisalAno->setText(QString::fromLatin1(ano));
        f->edtAvisalTexto->setText(QString::fromLatin1(texto));
    }
    static QColor Fondo(QWidget* w) { return w->palette().color(QPalette::Base); }
    static std::vector<std::string> Textos(TfrmBindelora* f)
    {
        std::vector<std::string> r;
        for (const auto& a : f->ListaAvisal) r.push_back(a->Texto);
        return r;
    }
};

}  // namespace

TEST_F(CalendarioVentana, MesesQueEmpiezanEnLunesYEnDomingo)
{
    TfrmBindelora* f = Iniciar();
    // Shown month and year hold today's before the view is ever shown.
    EXPECT_EQ(f->MesMostrado, 12);
    EXPECT_EQ(f->AnoMostrado, 2026);

    f->DibujarMes(2, 2027);  // a common February starting on a Monday
    EXPECT_EQ(f->lblNomMes->text(), QStringLiteral("Febrero de 2027"));
    for (int i = 0; i < 28; ++i) {
        EXPECT_EQ(Etiqueta(f, i)->text().toInt(), i + 1);
        EXPECT_FALSE(Etiqueta(f, i)->Vecino());
        EXPECT_EQ(Etiqueta(f, i)->ColorTexto(), i % 7 == 6 ? kDomingo : kLaborable);
    }
    for (int i = 28; i < 42; ++i) {
        EXPECT_EQ(Etiqueta(f, i)->text().toInt(), i - 27);
        EXPECT_TRUE(Etiqueta(f, i)->Vecino());
        EXPECT_EQ(Etiqueta(f, i)->ColorTexto(), kGris);
    }

    f->DibujarMes(8, 2027);  // 31 days starting on a Sunday
    EXPECT_EQ(Etiqueta(f, 0)->text(), QStringLiteral("26"));
    EXPECT_TRUE(Etiqueta(f, 0)->Vecino());
    EXPECT_EQ(Etiqueta(f, 6)->text(), QStringLiteral("1"));
    EXPECT_EQ(Etiqueta(f, 6)->ColorTexto(), kDomingo);
    EXPECT_EQ(Etiqueta(f, 36)->text(), QStringLiteral("31"));
    EXPECT_EQ(Etiqueta(f, 37)->text(), QStringLiteral("1"));
    EXPECT_EQ(Etiqueta(f, 41)->text(), QStringLiteral("5"));
    EXPECT_EQ(Etiqueta(f, 41)->ColorTexto(), kGris);

    f->DibujarMes(6, 2001);
    EXPECT_EQ(f->lblNomMes->text(), QStringLiteral("Junio de 2001"));
    EXPECT_EQ(f->MesMostrado, 6);
    EXPECT_EQ(f->AnoMostrado, 2001);
    // A month outside 1..12 draws today's.
    f->DibujarMes(13, 2001);
    EXPECT_EQ(f->lblNomMes->text(), QStringLiteral("Diciembre de 2026"));
    f->DibujarMes(0, 0);
    EXPECT_EQ(f->MesMostrado, 12);
}

TEST_F(CalendarioVentana, MarcasMarcaSeleccionadaYAnilloDeHoy)
{
    TfrmBindelora* f = Abrir("05052030Cinco de mayo\r\n"
                             "05002030Mensual 5\r\n"
                             "31002030Mensual 31\r\n"
                             "45002030Mensual 45\r\n"
                             "00002030Mensual 0\r\n"
                             "29029999Bisiesto\r\n"
                             "07122030Hoy\r\n");
    // Today (the 7th) has an entry: event colours with the red ring.
    EXPECT_EQ(f->MesMostrado, 12);
    TMarcaDia* hoy = MarcaDe(f, 7);
    EXPECT_EQ(hoy->Pluma(), kRojo);
    EXPECT_EQ(hoy->Grosor(), 2);
    EXPECT_TRUE(hoy->Brocha() == kBrocha || hoy->Brocha() == kBrochaSel);

    // April: the monthly 31st on the 30th, the 45th and the 0th nowhere.
    f->MostrarMes(4, 2027);
    EXPECT_EQ(DiasMarcados(f), (std::vector<int>{5, 30}));
    EXPECT_EQ(MarcaDe(f, 5)->Grosor(), 1);
    // May of every year has the dated 5th; 29 February on the 28th in a
    // common year.
    f->MostrarMes(5, 2031);
    EXPECT_EQ(DiasMarcados(f), (std::vector<int>{5, 31}));
    f->MostrarMes(2, 2027);
    EXPECT_EQ(DiasMarcados(f), (std::vector<int>{5, 28}));
    f->MostrarMes(2, 2028);
    EXPECT_EQ(DiasMarcados(f), (std::vector<int>{5, 29}));
    // Drawing another month clears the marks and the ring.
    f->DibujarMes(12, 2026);
    EXPECT_TRUE(DiasMarcados(f).empty());
    EXPECT_EQ(MarcaDe(f, 7)->Grosor(), 1);

    // The selected entry's day in its own colours.
    f->ListViewAvisal->SeleccionarFila(Fila(f, "Cinco de mayo"));
    EXPECT_EQ(f->MesMostrado, 5);
    EXPECT_EQ(f->AnoMostrado, 2027);
    EXPECT_EQ(MarcaDe(f, 5)->Brocha(), kBrochaSel);
    EXPECT_EQ(MarcaDe(f, 5)->Pluma(), kPlumaSel);
}

TEST_F(CalendarioVentana, SeleccionMuestraElMesDeLaProximaVez)
{
    TfrmBindelora* f = Abrir("01122030Pasado este mes\r\n20122030Por venir\r\n");
    TListView* l = f->ListViewAvisal;
    l->SeleccionarFila(Fila(f, "Pasado este mes"));
    EXPECT_EQ(f->AvisalActual, f->ListaAvisal[0].get());
    EXPECT_EQ(f->MesMostrado, 12);
    EXPECT_EQ(f->AnoMostrado, 2027);  // its day has passed this year
    EXPECT_EQ(f->lblNomMes->text(), QStringLiteral("Diciembre de 2027"));
    EXPECT_EQ(MarcaDe(f, 1)->Brocha(), kBrochaSel);
    for (int i = 0; i < 42; ++i) EXPECT_NE(Marca(f, i)->Pluma(), kRojo);
    EXPECT_EQ(f->edtAvisalDia->text(), QStringLiteral("1"));
    EXPECT_EQ(f->edtAvisalMes->text(), QStringLiteral("12"));
    EXPECT_EQ(f->edtAvisalAno->text(), QStringLiteral("2030"));
    EXPECT_EQ(f->edtAvisalTexto->text(), QStringLiteral("Pasado este mes"));
    EXPECT_TRUE(f->btnAvisalEliminar->isEnabled());
    EXPECT_FALSE(f->btnAvisalActualizar->isEnabled());

    l->SeleccionarFila(Fila(f, "Por venir"));
    EXPECT_EQ(f->AnoMostrado, 2026);
    EXPECT_EQ(MarcaDe(f, 20)->Brocha(), kBrochaSel);
    EXPECT_EQ(MarcaDe(f, 7)->Pluma(), kRojo);
}

TEST_F(CalendarioVentana, ClicEnUnDiaDelMesYEnUnDiaGris)
{
    TfrmBindelora* f = Abrir("15122030Quince\r\n03012031Tres de enero\r\n31002030Fin de mes\r\n");
    TListView* l = f->ListViewAvisal;
    f->MostrarMes(12, 2026);
    l->clearSelection();
    // The grey 3 of January in December's grid does nothing.
    const int gris = 31 + PrimerDiaSemana(12, 2026) + 2;
    ASSERT_TRUE(Etiqueta(f, gris)->Vecino());
    ASSERT_EQ(Etiqueta(f, gris)->text(), QStringLiteral("3"));
    QTest::mouseClick(Etiqueta(f, gris), Qt::LeftButton);
    EXPECT_EQ(l->FilaSeleccionada(), -1);
    // A day without entries does nothing either.
    QTest::mouseClick(Etiqueta(f, CeldaDelDia(16, 12, 2026)), Qt::LeftButton);
    EXPECT_EQ(l->FilaSeleccionada(), -1);

    QTest::mouseClick(Etiqueta(f, CeldaDelDia(15, 12, 2026)), Qt::LeftButton);
    ASSERT_GE(l->FilaSeleccionada(), 0);
    EXPECT_EQ(l->Texto(l->FilaSeleccionada(), ColTexto), "Quince");
    EXPECT_EQ(f->edtAvisalTexto->text(), QStringLiteral("Quince"));

    // April's last day carries the monthly 31st and selects its row.
    f->MostrarMes(4, 2027);
    QTest::mouseClick(Etiqueta(f, CeldaDelDia(30, 4, 2027)), Qt::LeftButton);
    ASSERT_GE(l->FilaSeleccionada(), 0);
    EXPECT_EQ(l->Texto(l->FilaSeleccionada(), ColTexto), "Fin de mes");
    EXPECT_EQ(l->Texto(l->FilaSeleccionada(), ColMesReal), "4");
    EXPECT_EQ(f->MesMostrado, 4);
    EXPECT_EQ(f->AnoMostrado, 2027);
}

TEST_F(CalendarioVentana, ActivacionSeleccionaLaPrimeraFilaSoloEnElMesActual)
{
    TfrmBindelora* f = Abrir("20122030Este mes\r\n05012031Enero\r\n");
    EXPECT_TRUE(f->SucesosHoyMostrados);
    EXPECT_EQ(PanelDelante(), f->PanelAvisal);
    EXPECT_FALSE(f->btnNuevo->isEnabled());
    EXPECT_FALSE(f->btnEliminar->isEnabled());
    EXPECT_FALSE(f->btnActualizar->isEnabled());
    EXPECT_TRUE(f->btnAvisalNuevo->isEnabled());
    ASSERT_EQ(f->ListViewAvisal->FilaSeleccionada(), 0);
    EXPECT_EQ(f->edtAvisalTexto->text(), QStringLiteral("Este mes"));
    EXPECT_EQ(MarcaDe(f, 20)->Brocha(), kBrochaSel);
    EXPECT_EQ(MarcaDe(f, 7)->Pluma(), kRojo);
    Cerrar();

    f = Abrir("05012031Enero\r\n");
    EXPECT_EQ(f->ListViewAvisal->FilaSeleccionada(), -1);
    EXPECT_TRUE(f->edtAvisalTexto->text().isEmpty());
    EXPECT_EQ(f->lblNomMes->text(), QStringLiteral("Diciembre de 2026"));
    EXPECT_EQ(MarcaDe(f, 7)->Pluma(), kRojo);
    Cerrar();

    // The first row's day has passed this month: next year's month, no ring.
    f = Abrir("01122030Pasado\r\n");
    EXPECT_EQ(f->ListViewAvisal->FilaSeleccionada(), 0);
    EXPECT_EQ(f->lblNomMes->text(), QStringLiteral("Diciembre de 2027"));
    for (int i = 0; i < 42; ++i) EXPECT_NE(Marca(f, i)->Pluma(), kRojo);
}

TEST_F(CalendarioVentana, AnadirTecleandoYAvanceAutomatico)
{
    TfrmBindelora* f = Abrir("");
    f->btnAvisalNuevo->click();
    EXPECT_EQ(f->btnAvisalNuevo->text(), QStringLiteral("Aña&dir"));
    EXPECT_EQ(f->btnAvisalEliminar->text(), QStringLiteral("&Cancelar"));
    EXPECT_TRUE(f->btnAvisalEliminar->isEnabled());
    EXPECT_EQ(Fondo(f->edtAvisalTexto), kTextoVerde);
    EXPECT_EQ(f->focusWidget(), f->edtAvisalDia);

    // Letters, blanks and Enter never reach a date field.
    Teclear(f, "a- \r");
    EXPECT_TRUE(f->edtAvisalDia->text().isEmpty());
    Teclear(f, "0512");
    EXPECT_EQ(f->focusWidget(), f->edtAvisalAno);
    Teclear(f, "x2027");
    EXPECT_EQ(f->edtAvisalDia->text(), QStringLiteral("05"));
    EXPECT_EQ(f->edtAvisalMes->text(), QStringLiteral("12"));
    EXPECT_EQ(f->edtAvisalAno->text(), QStringLiteral("2027"));
    EXPECT_EQ(f->focusWidget(), f->edtAvisalTexto);
    // Backspace gets through.
    QTest::keyClick(f->edtAvisalAno, Qt::Key_Backspace);
    EXPECT_EQ(f->edtAvisalAno->text(), QStringLiteral("202"));
    QTest::keyClick(f->edtAvisalAno, '8');
    Teclear(f, "Santo");
    QTest::keyClick(f->focusWidget(), Qt::Key_Return);

    EXPECT_TRUE(mensajes.cajas.empty());
    ASSERT_EQ(f->ListaAvisal.size(), 1u);
    EXPECT_EQ(f->AvisalActual, f->ListaAvisal[0].get());
    EXPECT_EQ(f->btnAvisalNuevo->text(), QStringLiteral("&Nuevo"));
    EXPECT_EQ(f->btnAvisalEliminar->text(), QStringLiteral("&Eliminar"));
    EXPECT_TRUE(f->btnAvisalEliminar->isEnabled());
    EXPECT_EQ(Fondo(f->edtAvisalTexto), kFondo);
    EXPECT_EQ(f->ListViewAvisal->FilaSeleccionada(), 0);
    EXPECT_EQ(f->focusWidget(), f->ListViewAvisal);
    EXPECT_EQ(MarcaDe(f, 5)->Brocha(), kBrochaSel);
    Cerrar();
    EXPECT_EQ(Leer(Avs()), "05122028Santo\r\n");
}

TEST_F(CalendarioVentana, AnadidosRechazadosConSuMensajeYFoco)
{
    TfrmBindelora* f = Abrir("");
    struct Caso {
        const char *dia, *mes, *ano;
        QString mensaje;
        QLineEdit* campo;
    };
    const QString conversion = QStringLiteral("Error al convertir a número");
    const QString mes = QStringLiteral("Error: El Mes debe estar entre 0 y 12");
    const QString dia = QStringLiteral("Error: No es un Día válido para el mes de ");
    const Caso casos[] = {
        {"", "5", "2027", conversion, f->edtAvisalDia},
        {"5", "5", "", conversion, f->edtAvisalAno},
        {"-1", "5", "2027", conversion, f->edtAvisalDia},  // pasted
        {"5", " 5", "2027", conversion, f->edtAvisalMes},
        {"5", "13", "2027", mes, f->edtAvisalMes},
        {"0", "5", "2027", dia + QStringLiteral("Mayo"), f->edtAvisalDia},
        {"29", "2", "2027", dia + QStringLiteral("Febrero"), f->edtAvisalDia},
        {"31", "4", "2027", dia + QStringLiteral("Abril"), f->edtAvisalDia},
    };
    for (const Caso& c : casos) {
        mensajes.cajas.clear();
        f->btnAvisalNuevo->click();
        Rellenar(f, c.dia, c.mes, c.ano, "x");
        f->btnAvisalNuevo->click();
        ASSERT_EQ(mensajes.cajas.size(), 1u) << c.dia << "/" << c.mes << "/" << c.ano;
        EXPECT_EQ(mensajes.cajas[0].texto, c.mensaje);
        EXPECT_EQ(mensajes.cajas[0].titulo, QStringLiteral("Error en Fecha"));
        EXPECT_EQ(mensajes.cajas[0].icono, IconoMensaje::Error);
        EXPECT_EQ(f->focusWidget(), c.campo);
        EXPECT_EQ(f->btnAvisalNuevo->text(), QStringLiteral("Aña&dir"));
        EXPECT_TRUE(f->ListaAvisal.empty());
        f->btnAvisalEliminar->click();  // cancel
        EXPECT_EQ(f->btnAvisalNuevo->text(), QStringLiteral("&Nuevo"));
        EXPECT_FALSE(f->btnAvisalEliminar->isEnabled());
        EXPECT_EQ(f->edtAvisalTexto->text(), QStringLiteral("x"));  // cancel keeps the text
    }

    // Accepted: 29 February of a leap year, a monthly 15th, 31st and 45th,
    // an empty text and a pasted line break.
    mensajes.cajas.clear();
    for (auto [d, m, a, t] : {std::tuple{"29", "2", "2028", "Bisiesto"}, std::tuple{"15", "0", "2027", "Quince"},
                              std::tuple{"31", "0", "2027", "Treinta y uno"}, std::tuple{"45", "0", "2027", "Raro"},
                              std::tuple{"8", "8", "2027", ""}, std::tuple{"9", "9", "2027", "dos\nl\xEDneas"}}) {
        f->btnAvisalNuevo->click();
        Rellenar(f, d, m, a, t);
        f->edtAvisalTexto->setText(aQ(t));
        f->btnAvisalNuevo->click();
    }
    EXPECT_TRUE(mensajes.cajas.empty());
    EXPECT_EQ(f->ListaAvisal.size(), 6u);
    EXPECT_EQ(f->ListViewAvisal->NumFilas(), 1 + 12 * 3 + 2);
    Cerrar();
    const std::string avs = Leer(Avs());
    EXPECT_EQ(avs, "29022028Bisiesto\r\n15002027Quince\r\n31002027Treinta y uno\r\n45002027Raro\r\n"
                   "08082027\r\n09092027dos l\xEDneas\r\n");
    // What was written reads back at the next start.
    f = Iniciar();
    EXPECT_FALSE(programa->Terminado());
    EXPECT_EQ(f->ListaAvisal.size(), 6u);
}

TEST_F(CalendarioVentana, ActualizarAnadeAlFinalYUnFalloNoPierdeNada)
{
    TfrmBindelora* f = Abrir("10012031Uno\r\n11012031Dos\r\n12012031Tres\r\n");
    TListView* l = f->ListViewAvisal;
    l->SeleccionarFila(Fila(f, "Uno"));
    f->edtAvisalTexto->setFocus();
    Teclear(f, "!");
    EXPECT_TRUE(f->btnAvisalActualizar->isEnabled());
    EXPECT_EQ(Fondo(f->edtAvisalTexto), kTextoVerde);
    QTest::keyClick(f->edtAvisalTexto, Qt::Key_Return);
    EXPECT_EQ(Textos(f), (std::vector<std::string>{"Dos", "Tres", "Uno!"}));
    EXPECT_EQ(f->ListaAvisal.back()->Dia, 10);
    EXPECT_EQ(l->NumFilas(), 3);
    EXPECT_EQ(l->Texto(l->FilaSeleccionada(), ColTexto), "Uno!");
    EXPECT_FALSE(f->btnAvisalActualizar->isEnabled());
    // Enter with nothing changed does nothing.
    QTest::keyClick(f->edtAvisalTexto, Qt::Key_Return);
    EXPECT_EQ(Textos(f), (std::vector<std::string>{"Dos", "Tres", "Uno!"}));

    // A refused update keeps the old entry; cancel gives it back untouched.
    l->SeleccionarFila(Fila(f, "Dos"));
    f->edtAvisalMes->setText(QStringLiteral("13"));
    f->btnAvisalActualizarClick();
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].texto, QStringLiteral("Error: El Mes debe estar entre 0 y 12"));
    EXPECT_EQ(f->focusWidget(), f->edtAvisalMes);
    EXPECT_EQ(f->btnAvisalNuevo->text(), QStringLiteral("Aña&dir"));
    EXPECT_EQ(f->btnAvisalEliminar->text(), QStringLiteral("&Cancelar"));
    EXPECT_EQ(f->edtAvisalMes->text(), QStringLiteral("13"));
    EXPECT_EQ(f->ListaAvisal.size(), 3u);
    f->btnAvisalEliminar->click();
    EXPECT_EQ(Textos(f), (std::vector<std::string>{"Dos", "Tres", "Uno!"}));

    // Refused, then corrected: the later add replaces the old entry.
    l->SeleccionarFila(Fila(f, "Tres"));
    f->edtAvisalDia->setText(QStringLiteral("32"));
    f->btnAvisalActualizarClick();
    EXPECT_EQ(mensajes.cajas.size(), 2u);
    f->edtAvisalDia->setText(QStringLiteral("13"));
    f->btnAvisalNuevo->click();
    EXPECT_EQ(Textos(f), (std::vector<std::string>{"Dos", "Uno!", "Tres"}));
    EXPECT_EQ(f->ListaAvisal.back()->Dia, 13);
    EXPECT_EQ(l->NumFilas(), 3);

    // Refused, then another row chosen: the pending replacement is forgotten.
    l->SeleccionarFila(Fila(f, "Dos"));
    f->edtAvisalMes->setText(QStringLiteral("13"));
    f->btnAvisalActualizarClick();
    l->SeleccionarFila(Fila(f, "Uno!"));
    f->btnAvisalNuevo->click();  // the fields now show Uno!: an add of a copy
    EXPECT_EQ(Textos(f), (std::vector<std::string>{"Dos", "Uno!", "Tres", "Uno!"}));
}

TEST_F(CalendarioVentana, ActualizarSinFilaSeleccionadaReemplazaLaEntradaActual)
{
    TfrmBindelora* f = Abrir("10012031Uno\r\n");
    f->ListViewAvisal->SeleccionarFila(0);
    f->ListViewAvisal->clearSelection();
    ASSERT_NE(f->AvisalActual, nullptr);
    f->edtAvisalTexto->setText(QStringLiteral("Cambiado"));
    f->btnAvisalActualizarClick();
    EXPECT_EQ(Textos(f), (std::vector<std::string>{"Cambiado"}));
    EXPECT_EQ(f->ListViewAvisal->NumFilas(), 1);
}

TEST_F(CalendarioVentana, EliminarConPreguntaDuplicadosYMensuales)
{
    TfrmBindelora* f = Abrir("05069999Igual\r\n05069999Igual\r\n20002030Mensual\r\n01012031Otra\r\n");
    TListView* l = f->ListViewAvisal;
    ASSERT_EQ(l->NumFilas(), 15);
    l->SeleccionarFila(Fila(f, "Igual"));
    mensajes.siguienteRespuesta(RespuestaMensaje::Cancelar);
    f->btnAvisalEliminar->click();
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].titulo, QStringLiteral("Aviso de eliminación"));
    EXPECT_EQ(mensajes.cajas[0].texto, QStringLiteral("Confirme que desea eliminar la entrada:\r\r(5/6/9999) Igual"));
    EXPECT_EQ(mensajes.cajas[0].icono, IconoMensaje::Pregunta);
    EXPECT_EQ(mensajes.cajas[0].botones, BotonesMensaje::AceptarCancelar);
    EXPECT_EQ(f->ListaAvisal.size(), 4u);

    f->btnAvisalEliminar->click();  // OK: both identical entries go
    EXPECT_EQ(Textos(f), (std::vector<std::string>{"Mensual", "Otra"}));
    EXPECT_EQ(l->NumFilas(), 13);
    EXPECT_EQ(l->FilaSeleccionada(), -1);
    EXPECT_EQ(f->AvisalActual, nullptr);
    EXPECT_TRUE(f->edtAvisalTexto->text().isEmpty());

    // From any of its twelve rows, through the popup menu.
    l->SeleccionarFila(Fila(f, "Mensual", "7"));
    f->PopupMenuAvisalPopup();
    EXPECT_TRUE(f->mnuAvisalEliminar->isEnabled());
    f->mnuAvisalEliminar->trigger();
    EXPECT_EQ(Textos(f), (std::vector<std::string>{"Otra"}));
    EXPECT_EQ(l->NumFilas(), 1);
    EXPECT_EQ(l->FilaSeleccionada(), -1);
    f->PopupMenuAvisalPopup();
    EXPECT_FALSE(f->mnuAvisalEliminar->isEnabled());
    // Nothing selected: nothing asked, nothing deleted.
    const auto cajas = mensajes.cajas.size();
    f->btnAvisalEliminar->click();
    EXPECT_EQ(mensajes.cajas.size(), cajas);
    Cerrar();
    EXPECT_EQ(Leer(Avs()), "01012031Otra\r\n");
}

TEST_F(CalendarioVentana, OrdenarPorTextoYPorFechaSinTocarLaSeleccion)
{
    TfrmBindelora* f = Abrir("08122030beta\r\n09122030\xC1lamo\r\n10122030Zorro\r\n11122030\xF1u\r\n");
    TListView* l = f->ListViewAvisal;
    ASSERT_EQ(l->FilaSeleccionada(), 0);
    const TAvisal* actual = f->AvisalActual;
    QSignalSpy avisos(l->selectionModel(), &QItemSelectionModel::selectionChanged);

    f->mnuAvisalOrdenarPorTexto->trigger();
    std::vector<std::string> textos;
    for (int i = 0; i < l->NumFilas(); ++i) textos.push_back(l->Texto(i, ColTexto));
    EXPECT_EQ(textos, (std::vector<std::string>{"\xC1lamo", "beta", "\xF1u", "Zorro"}));
    EXPECT_EQ(l->Texto(0, ColFalta), "ALAMO");
    EXPECT_EQ(l->Texto(2, ColFalta), "NU");
    // The selected row followed its entry, without a selection notice.
    ASSERT_GE(l->FilaSeleccionada(), 0);
    EXPECT_EQ(l->Texto(l->FilaSeleccionada(), ColTexto), "beta");
    EXPECT_EQ(avisos.count(), 0);
    EXPECT_EQ(f->AvisalActual, actual);

    // A new entry is keyed by days and lands ahead of the letters.
    f->btnAvisalNuevo->click();
    Rellenar(f, "25", "12", "2030", "Nueva");
    f->btnAvisalNuevo->click();
    EXPECT_EQ(l->Texto(0, ColTexto), "Nueva");
    EXPECT_EQ(l->Texto(0, ColFalta), "018");

    // The date header the next day recomputes every key.
    reloj.fecha = Fecha{2026, 12, 8};
    f->ListViewAvisal->ColumnaPulsada(ColFecha);
    textos.clear();
    std::vector<std::string> claves;
    for (int i = 0; i < l->NumFilas(); ++i) {
        textos.push_back(l->Texto(i, ColTexto));
        claves.push_back(l->Texto(i, ColFalta));
    }
    EXPECT_EQ(textos, (std::vector<std::string>{"beta", "\xC1lamo", "Zorro", "\xF1u", "Nueva"}));
    EXPECT_EQ(claves, (std::vector<std::string>{"000", "001", "002", "003", "017"}));
    f->mnuAvisalOrdenarPorTexto->trigger();
    f->mnuAvisalOrdenarPorFecha->trigger();
    EXPECT_EQ(l->Texto(0, ColFalta), "000");
}

TEST_F(CalendarioVentana, QuinientasEntradasEnUnDia)
{
    std::string avs;
    for (int i = 0; i < 500; ++i) avs += "24122030Entrada " + std::to_string(i) + "\r\n";
    TfrmBindelora* f = Abrir(avs);
    EXPECT_EQ(f->ListViewAvisal->NumFilas(), 500);
    EXPECT_EQ(DiasMarcados(f), (std::vector<int>{24}));
    QTest::mouseClick(Etiqueta(f, CeldaDelDia(24, 12, 2026)), Qt::LeftButton);
    EXPECT_GE(f->ListViewAvisal->FilaSeleccionada(), 0);
    EXPECT_NE(f->AvisalActual, nullptr);
    Cerrar();
    f = Iniciar();
    EXPECT_EQ(f->ListaAvisal.size(), 500u);
}

TEST_F(CalendarioVentana, DejarLaVistaOlvidaElReemplazoPendiente)
{
    TfrmBindelora* f = Abrir("10012031Uno\r\n");
    f->ListViewAvisal->SeleccionarFila(0);
    f->edtAvisalMes->setText(QStringLiteral("13"));
    f->btnAvisalActualizarClick();
    f->btnLista->click();
    f->btnAvisal->click();
    f->edtAvisalMes->setText(QStringLiteral("2"));
    f->btnAvisalNuevo->click();
    // The old entry stays; the corrected one is a new entry.
    EXPECT_EQ(f->ListaAvisal.size(), 2u);
}
