// The contact editor driven as a user does: adding in each ordering, the
// birthday checks, updating, deleting, browsing, the change marks, the key
// filters, the e-mail link, and what the agenda file holds after exit.
#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>

#include "core/agenda.h"
#include "core/texto.h"
#include "entorno.h"
#include "platform/escritorio.h"
#include "qtexto.h"

using namespace bindelora;

namespace {

class Datos : public EntornoVentanas {
protected:
    void SetUp() override
    {
        EntornoVentanas::SetUp();
        Escritorio::setInstancia(&escritorio);
    }
    void TearDown() override
    {
        EntornoVentanas::TearDown();
        Escritorio::setInstancia(nullptr);
    }

    // Carlos Bravo, Ana (no first surname), Berta Abril; shown in the
    // editor, ordered by first surname: Ana, Berta, Carlos.
    TfrmBindelora* ConLibro(ListaPibes extra = {})
    {
        ListaPibes l;
        l.push_back(Pibe("Carlos", "Bravo", "Abad", "Trabajo"));
        l.push_back(Pibe("Ana", "", "Zurita", "Familia"));
        l.push_back(Pibe("Berta", "Abril", "Nieto", ""));
        for (auto& p : extra) l.push_back(std::move(p));
        EscribirAgenda(l);
        return Abrir();
    }

    TfrmBindelora* Abrir()
    {
        TfrmBindelora* f = Iniciar();
        f->btnDatos->click();
        return f;
    }

    static std::vector<std::string> Nombres(TfrmBindelora* f)
    {
        std::vector<std::string> r;
        for (const auto& p : f->ListaPibes) r.push_back(p->Nombre);
        return r;
    }

    static std::vector<std::string> Filas(TfrmBindelora* f)
    {
        std::vector<std::string> r;
        for (int i = 0; i < f->ListViewLista->NumFilas(); ++i) r.push_back(f->ListViewLista->Texto(i, 0));
        return r;
    }

    // "&Nuevo", the given fields typed, "Aña&dir".
    static void Anadir(TfrmBindelora* f, const QString& nombre, const QString& ape1, const QString& dia = {},
                       const QString& mes = {}, const QString& ano = {})
    {
        f->btnNuevo->click();
        f->edtNombre->setText(nombre);
        f->edtApe1->setText(ape1);
        f->edtCumpleDia->setText(dia);
        f->edtCumpleMes->setText(mes);
        f->edtCumpleAno->setText(ano);
        f->btnNuevo->click();
    }

    static QColor Color(QWidget* w) { return w->palette().color(QPalette::Base); }

    static std::vector<QWidget*> Campos(TfrmBindelora* f)
    {
        return {f->edtNombre,    f->edtApe1,      f->edtApe2,     f->edtTfnoCasa,   f->edtTfnoMovil, f->edtEMail,
                f->MemoDireccion, f->edtCumpleDia, f->edtCumpleMes, f->edtCumpleAno, f->cbGrupo,     f->MemoVarios};
    }

    static bool Navegacion(TfrmBindelora* f, bool primero, bool siguiente)
    {
        return f->btnFirst->isEnabled() == primero && f->btnPrev->isEnabled() == primero &&
               f->btnNext->isEnabled() == siguiente && f->btnLast->isEnabled() == siguiente;
    }

    // The agenda file written at exit, read back.
    ListaPibes AlSalir()
    {
        Cerrar();
        ListaPibes l;
        const EstadoLectura e = LeerAgenda(Dat(), l).estado;
        EXPECT_TRUE(e == EstadoLectura::Completa || e == EstadoLectura::SinRegistros);
        return l;
    }

    bool HayAvisal(TfrmBindelora* f, const std::string& texto, int dia, int mes)
    {
        for (const auto& a : f->ListaAvisal)
            if (a->Texto == texto && a->Dia == dia && a->Mes == mes && a->Ano == 9999) return true;
        return false;
    }

    EscritorioFalso escritorio;
    using V = std::vector<std::string>;
};

// --- Adding ---

TEST_F(Datos, NewEntryModeLocksTheBrowsingAndEmptiesTheFields)
{
    TfrmBindelora* f = ConLibro();
    f->btnNuevo->click();
    EXPECT_EQ(f->btnNuevo->text(), QStringLiteral("Aña&dir"));
    EXPECT_EQ(f->btnEliminar->text(), QStringLiteral("&Cancelar"));
    EXPECT_TRUE(f->btnEliminar->isEnabled());
    EXPECT_FALSE(f->btnActualizar->isEnabled());
    EXPECT_TRUE(Navegacion(f, false, false));
    EXPECT_FALSE(f->cbOrden->isEnabled());
    EXPECT_EQ(f->cbOrden->palette().color(QPalette::Button), QColor(192, 192, 192));
    EXPECT_TRUE(f->edtNombre->text().isEmpty());
    for (QWidget* w : Campos(f)) EXPECT_EQ(Color(w), QColor(221, 238, 221)) << w->objectName().toStdString();
    EXPECT_EQ(QApplication::focusWidget(), f->edtNombre);
}

TEST_F(Datos, AddsAtItsPlaceInEveryOrderingBeforeEqualKeys)
{
    struct Caso {
        int columna;
        QString nombre, ape1;
        V esperado;
    };
    // Ordered by each column in turn; the new contact's insertion key equals
    // an existing one's and it goes in front of it.
    const Caso casos[] = {
        {0, QStringLiteral("berta"), QStringLiteral("ABRIL"), V{"Ana", "berta", "Berta", "Carlos"}},
        {1, QStringLiteral("Zoe"), QStringLiteral("Bravo"), V{"Ana", "Berta", "Zoe", "Carlos"}},
        {2, QStringLiteral("Zoe"), QString(), V{"Zoe", "Carlos", "Berta", "Ana"}},
        {3, QStringLiteral("Zoe"), QStringLiteral("Abril"), V{"Zoe", "Berta", "Ana", "Carlos"}},
    };
    for (const Caso& c : casos) {
        TfrmBindelora* f = ConLibro();
        f->ListViewListaColumnClick(c.columna);
        Anadir(f, c.nombre, c.ape1);
        EXPECT_EQ(Nombres(f), c.esperado) << c.columna;
        EXPECT_EQ(Filas(f), c.esperado) << c.columna;
        const auto pos = std::find(c.esperado.begin(), c.esperado.end(), deQ(c.nombre)) - c.esperado.begin();
        EXPECT_EQ(f->PibeActual, pos);
        EXPECT_EQ(f->edtNombre->text(), c.nombre);
        EXPECT_EQ(f->btnNuevo->text(), QStringLiteral("&Nuevo"));
        EXPECT_EQ(f->btnEliminar->text(), QStringLiteral("&Eliminar"));
        EXPECT_TRUE(f->cbOrden->isEnabled());
        EXPECT_FALSE(f->btnActualizar->isEnabled());
        EXPECT_EQ(Color(f->edtNombre), QColor(238, 238, 255));
        Cerrar();
    }
}

TEST_F(Datos, ABirthdayWithAYearIsEnteredInTheEventsAtOnce)
{
    TfrmBindelora* f = ConLibro();
    Anadir(f, QStringLiteral("Luis"), QStringLiteral("Gil"), QStringLiteral("5"), QStringLiteral("Jun"),
           QStringLiteral("1980"));
    const TPibe& p = *f->ListaPibes[static_cast<std::size_t>(f->PibeActual)];
    EXPECT_EQ(p.Cumple, Dia(1980, 6, 5));
    EXPECT_TRUE(p.EnAvisal);
    EXPECT_TRUE(HayAvisal(f, Utf8ACp1252("Cumpleaños de Luis Gil"), 5, 6));

    // Without a year it waits for the next start.
    Anadir(f, QStringLiteral("Eva"), QStringLiteral("Sanz"), QStringLiteral("7"), QStringLiteral("8"));
    const TPibe& q = *f->ListaPibes[static_cast<std::size_t>(f->PibeActual)];
    EXPECT_EQ(q.Cumple, Dia(1, 8, 7));
    EXPECT_FALSE(q.EnAvisal);
    EXPECT_FALSE(HayAvisal(f, Utf8ACp1252("Cumpleaños de Eva Sanz"), 7, 8));
    EXPECT_EQ(f->edtCumpleMes->text(), QStringLiteral("Ago"));
    EXPECT_TRUE(f->edtCumpleAno->text().isEmpty());

    Cerrar();
    EXPECT_NE(Leer(Avs()).find("05069999" + Utf8ACp1252("Cumpleaños de Luis Gil")), std::string::npos);
    // The next start enters the year-less one.
    f = Abrir();
    EXPECT_TRUE(HayAvisal(f, Utf8ACp1252("Cumpleaños de Eva Sanz"), 7, 8));
}

TEST_F(Datos, TheCurrentYearIsRefusedAndCanBeCorrected)
{
    TfrmBindelora* f = ConLibro();
    Anadir(f, QStringLiteral("Luis"), QStringLiteral("Gil"), QStringLiteral("5"), QStringLiteral("6"),
           QStringLiteral("2026"));
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].texto, QStringLiteral("Pa mi que esa fecha de nacimiento no está demasiado bien..."));
    EXPECT_EQ(mensajes.cajas[0].titulo, QStringLiteral("Graciosillo..."));
    EXPECT_EQ(mensajes.cajas[0].icono, IconoMensaje::Aviso);
    EXPECT_EQ(f->ListaPibes.size(), 3u);
    EXPECT_EQ(f->btnNuevo->text(), QStringLiteral("Aña&dir"));
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Luis"));
    EXPECT_EQ(QApplication::focusWidget(), f->edtCumpleAno);

    f->edtCumpleAno->setText(QStringLiteral("2025"));
    f->btnNuevo->click();
    EXPECT_EQ(f->ListaPibes.size(), 4u);
    EXPECT_EQ(f->btnNuevo->text(), QStringLiteral("&Nuevo"));
    EXPECT_EQ(f->ListaPibes[static_cast<std::size_t>(f->PibeActual)]->Cumple, Dia(2025, 6, 5));
}

TEST_F(Datos, CancelDropsTheTypedEntryAndShowsTheCurrentContactAgain)
{
    TfrmBindelora* f = ConLibro();
    f->btnNextClick();  // Berta
    f->btnNuevo->click();
    f->edtNombre->setText(QStringLiteral("Medio escrito"));
    f->btnEliminar->click();
    EXPECT_EQ(f->ListaPibes.size(), 3u);
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Berta"));
    EXPECT_EQ(f->btnNuevo->text(), QStringLiteral("&Nuevo"));
    EXPECT_EQ(f->btnEliminar->text(), QStringLiteral("&Eliminar"));
    EXPECT_TRUE(Navegacion(f, true, true));
    EXPECT_FALSE(f->btnActualizar->isEnabled());
    EXPECT_EQ(Color(f->MemoVarios), QColor(238, 238, 255));
    EXPECT_EQ(f->cbOrden->palette().color(QPalette::Button), QColor(238, 238, 255));
    EXPECT_TRUE(mensajes.cajas.empty());
}

TEST_F(Datos, TheFirstContactOfAnEmptyBook)
{
    TfrmBindelora* f = Abrir();
    EXPECT_TRUE(f->PanelHagaClicAqui->isVisible());
    QTest::mousePress(f->btnNuevo, Qt::RightButton);
    EXPECT_FALSE(f->PanelHagaClicAqui->isVisible());
    QTest::mouseRelease(f->btnNuevo, Qt::RightButton);
    f->btnNuevo->click();
    f->btnNuevo->click();  // everything empty
    ASSERT_EQ(f->ListaPibes.size(), 1u);
    EXPECT_EQ(f->ListaPibes[0]->Nombre, "");
    EXPECT_EQ(f->ListaPibes[0]->Cumple, 0);
    EXPECT_TRUE(f->btnEliminar->isEnabled());
    EXPECT_TRUE(Navegacion(f, false, false));
    EXPECT_EQ(AlSalir().size(), 1u);
}

TEST_F(Datos, TheListRowsFollowEveryAdditionAndDeletion)
{
    ListaPibes extra;
    for (int i = 0; i < 18; ++i) extra.push_back(Pibe("Relleno" + std::to_string(i), "M" + std::to_string(i)));
    TfrmBindelora* f = ConLibro(std::move(extra));  // 21 rows
    auto espejo = [f] {
        if (f->ListViewLista->NumFilas() != static_cast<int>(f->ListaPibes.size())) return false;
        for (int i = 0; i < f->ListViewLista->NumFilas(); ++i)
            if (f->ListViewLista->Dato(i) != f->ListaPibes[static_cast<std::size_t>(i)].get() ||
                f->ListViewLista->Texto(i, 1) != f->ListaPibes[static_cast<std::size_t>(i)]->Ape1)
                return false;
        return true;
    };
    const int ancho21 = f->ListViewLista->AnchoColumna(3);
    f->ListViewLista->SeleccionarFila(4);
    Anadir(f, QStringLiteral("Nuevo"), QStringLiteral("B"));  // between Berta Abril and Carlos Bravo
    EXPECT_TRUE(espejo());
    EXPECT_EQ(f->ListViewLista->FilaSeleccionada(), -1);  // as after a refill
    EXPECT_EQ(f->ListViewLista->AnchoColumna(3), ancho21 - 16);
    f->btnEliminar->click();
    EXPECT_TRUE(espejo());
    EXPECT_EQ(f->ListViewLista->AnchoColumna(3), ancho21);
    f->btnLastClick();
    f->btnEliminar->click();
    f->btnFirstClick();
    f->btnEliminar->click();
    EXPECT_TRUE(espejo());

    // Rows that no longer mirror the book are rebuilt whole.
    f->ListViewLista->Vaciar();
    Anadir(f, QStringLiteral("Otro"), QStringLiteral("Z"));
    EXPECT_TRUE(espejo());
    f->ListViewLista->Vaciar();
    f->btnEliminar->click();
    EXPECT_TRUE(espejo());
}

// --- Updating ---

TEST_F(Datos, UpdateReordersAndFollowsTheChangedContact)
{
    TfrmBindelora* f = ConLibro();  // Ana, Berta, Carlos
    f->btnFirstClick();
    QTest::keyClicks(f->edtApe1, "Zapata");
    EXPECT_TRUE(f->btnActualizar->isEnabled());
    f->cbGrupo->setEditText(QStringLiteral("Nuevo grupo"));
    f->btnActualizar->click();
    EXPECT_EQ(Nombres(f), (V{"Berta", "Carlos", "Ana"}));
    EXPECT_EQ(Filas(f), (V{"Berta", "Carlos", "Ana"}));
    EXPECT_EQ(f->PibeActual, 2);
    EXPECT_EQ(f->edtApe1->text(), QStringLiteral("Zapata"));
    EXPECT_FALSE(f->btnActualizar->isEnabled());
    EXPECT_EQ(Color(f->edtApe1), QColor(238, 238, 255));
    EXPECT_TRUE(Navegacion(f, true, false));
    EXPECT_NE(f->cbGrupo->findText(QStringLiteral("Nuevo grupo")), -1);
    EXPECT_FALSE(f->ListaPibes[2]->EnAvisal);
}

TEST_F(Datos, UpdateGivesTheFullOrderingEvenWhenAnAdditionLeftItUnordered)
{
    TfrmBindelora* f = ConLibro();
    f->ListViewListaColumnClick(0);  // by first name: Ana, Berta, Carlos
    // Equal in first name and first surname: the new one goes in front of
    // Berta Abril Nieto although Zz sorts after Nieto.
    f->btnNuevo->click();
    f->edtNombre->setText(QStringLiteral("Berta"));
    f->edtApe1->setText(QStringLiteral("Abril"));
    f->edtApe2->setText(QStringLiteral("Zz"));
    f->btnNuevo->click();
    ASSERT_EQ(f->ListaPibes[1]->Ape2, "Zz");
    f->btnLastClick();  // Carlos
    QTest::keyClicks(f->edtTfnoMovil, "6");
    f->btnActualizar->click();
    EXPECT_EQ(f->ListaPibes[1]->Ape2, "Nieto");
    EXPECT_EQ(f->ListaPibes[2]->Ape2, "Zz");
    EXPECT_EQ(f->ListViewLista->Texto(2, 2), "Zz");
    EXPECT_EQ(f->PibeActual, 3);
    EXPECT_EQ(f->ListaPibes[3]->TfnoMovil, "6");
}

TEST_F(Datos, UpdateFollowsTheLastContactThatMatchesTheEditor)
{
    ListaPibes extra;
    extra.push_back(Pibe("Berta", "Abril", "Nieto", "Otro"));  // the same six texts as Berta
    TfrmBindelora* f = ConLibro(std::move(extra));
    ASSERT_EQ(Nombres(f), (V{"Ana", "Berta", "Berta", "Carlos"}));
    f->btnNextClick();
    QTest::keyClicks(f->MemoVarios, "nota");
    f->btnActualizar->click();
    EXPECT_EQ(f->PibeActual, 2);
    EXPECT_EQ(f->ListViewLista->Texto(1, 0), "Berta");
}

TEST_F(Datos, ARefusedUpdateChangesNothingAndKeepsTheMarks)
{
    ListaPibes extra;
    extra.push_back(Pibe("Dora", "Zeta", "", "", Dia(1895, 3, 4)));
    TfrmBindelora* f = ConLibro(std::move(extra));
    f->btnLastClick();  // Dora, born 1895
    EXPECT_EQ(f->edtCumpleAno->text(), QStringLiteral("1895"));
    QTest::keyClicks(f->edtTfnoCasa, "555");
    f->edtCumpleAno->setText(QStringLiteral("2026"));
    f->btnActualizar->click();
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    const TPibe& p = *f->ListaPibes[3];
    EXPECT_EQ(p.TfnoCasa, "");
    EXPECT_EQ(p.Cumple, Dia(1895, 3, 4));
    EXPECT_TRUE(f->btnActualizar->isEnabled());
    EXPECT_EQ(Color(f->edtTfnoCasa), QColor(221, 238, 221));
    EXPECT_EQ(QApplication::focusWidget(), f->edtCumpleAno);

    // Corrected to the year before: accepted, and the old year was never
    // lost on the way.
    f->edtCumpleAno->setText(QStringLiteral("1895"));
    f->btnActualizar->click();
    EXPECT_EQ(p.TfnoCasa, "555");
    EXPECT_EQ(p.Cumple, Dia(1895, 3, 4));
}

TEST_F(Datos, WithAnEmptyBookOnlyMemosAndGroupMarkAndUpdateDoesNothing)
{
    TfrmBindelora* f = Abrir();
    QTest::keyClicks(f->edtNombre, "x");
    EXPECT_FALSE(f->btnActualizar->isEnabled());
    EXPECT_EQ(Color(f->edtNombre), QColor(238, 238, 255));
    QTest::keyClicks(f->MemoVarios, "y");
    EXPECT_TRUE(f->btnActualizar->isEnabled());
    EXPECT_EQ(Color(f->MemoVarios), QColor(221, 238, 221));
    f->btnActualizar->click();
    EXPECT_TRUE(f->ListaPibes.empty());
    EXPECT_TRUE(mensajes.cajas.empty());
}

// --- Deleting ---

TEST_F(Datos, DeletesFirstMiddleLastAndOnly)
{
    TfrmBindelora* f = ConLibro();
    f->btnNextClick();  // Berta, the middle one
    f->btnEliminar->click();
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].texto, QStringLiteral("Se dispone a eliminar a \"Berta Abril\"\r\r¿Está seguro?"));
    EXPECT_EQ(mensajes.cajas[0].titulo, QStringLiteral("Aviso de Eliminación"));
    EXPECT_EQ(mensajes.cajas[0].icono, IconoMensaje::Pregunta);
    EXPECT_EQ(mensajes.cajas[0].botones, BotonesMensaje::AceptarCancelar);
    EXPECT_EQ(Nombres(f), (V{"Ana", "Carlos"}));
    EXPECT_EQ(Filas(f), (V{"Ana", "Carlos"}));
    EXPECT_EQ(f->PibeActual, 1);
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Carlos"));  // took the deleted one's place

    f->btnEliminar->click();  // Carlos, the last: the one before is shown
    EXPECT_EQ(f->PibeActual, 0);
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Ana"));
    EXPECT_TRUE(Navegacion(f, false, false));

    f->btnEliminar->click();  // Ana, the only one, with no first surname
    EXPECT_EQ(mensajes.cajas.back().texto, QStringLiteral("Se dispone a eliminar a \"Ana\"\r\r¿Está seguro?"));
    EXPECT_TRUE(f->ListaPibes.empty());
    EXPECT_EQ(f->ListViewLista->NumFilas(), 0);
    EXPECT_TRUE(f->edtNombre->text().isEmpty());
    EXPECT_FALSE(f->btnEliminar->isEnabled());
    EXPECT_FALSE(f->btnBuscar->isEnabled());
    EXPECT_TRUE(Navegacion(f, false, false));
    EXPECT_TRUE(AlSalir().empty());
}

TEST_F(Datos, DeletingTheFirstShowsTheNextAndCancelKeepsIt)
{
    TfrmBindelora* f = ConLibro();
    mensajes.siguienteRespuesta(RespuestaMensaje::Cancelar);
    f->btnEliminar->click();
    EXPECT_EQ(f->ListaPibes.size(), 3u);
    f->btnEliminar->click();
    EXPECT_EQ(Nombres(f), (V{"Berta", "Carlos"}));
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Berta"));
    EXPECT_EQ(f->PibeActual, 0);
}

TEST_F(Datos, TheLastContactIsToldByItsPositionNotByAStaleButton)
{
    TfrmBindelora* f = ConLibro();
    f->btnLastClick();
    // Another view left the navigation buttons as they were for another
    // contact.
    f->btnNext->setEnabled(true);
    f->ResultadoBusqueda.push_back(f->ListaPibes[2].get());
    f->btnEliminar->click();
    EXPECT_EQ(f->PibeActual, 1);
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Berta"));
    EXPECT_TRUE(f->ResultadoBusqueda.empty());  // no reference to the freed contact is left
    EXPECT_TRUE(Navegacion(f, true, false));
}

TEST_F(Datos, NoCurrentContactMeansNothingHappens)
{
    TfrmBindelora* f = ConLibro();
    for (int fuera : {-1, 3, 1000}) {
        f->PibeActual = fuera;
        f->btnEliminarClick();
        f->btnActualizarClick();
        f->btnNextClick();
        f->btnPrevClick();
        EXPECT_EQ(f->ListaPibes.size(), 3u);
        EXPECT_TRUE(mensajes.cajas.empty());
        EXPECT_EQ(f->PibeActual, fuera);
    }
    f->btnFirstClick();
    EXPECT_EQ(f->PibeActual, 0);
}

// --- Browsing ---

TEST_F(Datos, NavigationButtonsFollowThePosition)
{
    TfrmBindelora* f = ConLibro();
    EXPECT_TRUE(Navegacion(f, false, true));
    f->btnNext->click();
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Berta"));
    EXPECT_TRUE(Navegacion(f, true, true));
    f->btnLast->click();
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Carlos"));
    EXPECT_TRUE(Navegacion(f, true, false));
    f->btnPrev->click();
    EXPECT_EQ(f->PibeActual, 1);
    f->btnFirst->click();
    EXPECT_EQ(f->PibeActual, 0);
    EXPECT_EQ(f->btnFirst->toolTip(), QStringLiteral("Primero"));

    // Typed text is dropped without a question and the marks are cleared.
    QTest::keyClicks(f->edtNombre, "zz");
    EXPECT_EQ(Color(f->edtNombre), QColor(221, 238, 221));
    f->btnNext->click();
    f->btnPrev->click();
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Ana"));
    EXPECT_EQ(Color(f->edtNombre), QColor(238, 238, 255));
    EXPECT_FALSE(f->btnActualizar->isEnabled());
    EXPECT_TRUE(mensajes.cajas.empty());
}

TEST_F(Datos, TheDatosButtonEnablesNewAndTheBrowsingInNewEntryModeToo)
{
    TfrmBindelora* f = ConLibro();
    f->btnNextClick();
    f->btnNuevo->click();
    f->btnAvisal->click();
    EXPECT_FALSE(f->btnNuevo->isEnabled());
    f->btnDatos->click();
    EXPECT_TRUE(f->btnNuevo->isEnabled());
    EXPECT_EQ(f->btnNuevo->text(), QStringLiteral("Aña&dir"));
    EXPECT_TRUE(Navegacion(f, true, true));
    EXPECT_EQ(PanelDelante(), f->PanelDatos);
}

// --- Marks and key filters ---

TEST_F(Datos, TypingMarksOnlyTheFieldThatGotTheKey)
{
    TfrmBindelora* f = ConLibro();
    QTest::keyClick(f->edtApe2, Qt::Key_Delete);  // types nothing
    QTest::keyClick(f->edtApe2, Qt::Key_Right);
    QTest::keyClick(f->edtApe2, Qt::Key_Tab);
    QTest::keyClick(f->edtApe2, Qt::Key_X, Qt::AltModifier);  // an accelerator
    EXPECT_FALSE(f->btnActualizar->isEnabled());
    EXPECT_EQ(Color(f->edtApe2), QColor(238, 238, 255));
    QTest::keyClick(f->edtApe2, Qt::Key_Backspace);
    EXPECT_TRUE(f->btnActualizar->isEnabled());
    EXPECT_EQ(Color(f->edtApe2), QColor(221, 238, 221));
    EXPECT_EQ(Color(f->edtNombre), QColor(238, 238, 255));
    QTest::keyClicks(f->MemoDireccion, "x");
    QTest::keyClicks(f->cbGrupo, "x");
    QTest::keyClicks(f->edtCumpleAno, "x");
    for (QWidget* w : std::initializer_list<QWidget*>{f->MemoDireccion, f->cbGrupo, f->edtCumpleAno})
        EXPECT_EQ(Color(w), QColor(221, 238, 221)) << w->objectName().toStdString();
    EXPECT_EQ(Color(f->MemoVarios), QColor(238, 238, 255));

    // A choice picked from the group list marks too.
    f->ColorearDatos(TfrmBindelora::ModoDatos::Normal);
    emit f->cbGrupo->activated(0);
    EXPECT_EQ(Color(f->cbGrupo), QColor(221, 238, 221));
    EXPECT_TRUE(f->btnActualizar->isEnabled());

    // In new-entry mode nothing is marked: all is in the new-entry colour.
    f->btnNuevo->click();
    QTest::keyClicks(f->edtNombre, "x");
    EXPECT_FALSE(f->btnActualizar->isEnabled());
}

TEST_F(Datos, DayAndMonthTakeDigitsOnlyAndMoveOnAfterTheSecond)
{
    TfrmBindelora* f = ConLibro();
    f->edtCumpleDia->clear();
    f->edtCumpleMes->setText(QStringLiteral("Jun"));
    f->edtCumpleDia->setFocus();
    QTest::keyClicks(f->edtCumpleDia, "a-/ ");
    EXPECT_TRUE(f->edtCumpleDia->text().isEmpty());
    EXPECT_FALSE(f->btnActualizar->isEnabled());  // a swallowed key marks nothing
    QTest::keyClicks(f->edtCumpleDia, "1");
    EXPECT_EQ(QApplication::focusWidget(), f->edtCumpleDia);
    QTest::keyClicks(f->edtCumpleDia, "7");
    EXPECT_EQ(f->edtCumpleDia->text(), QStringLiteral("17"));
    EXPECT_EQ(QApplication::focusWidget(), f->edtCumpleMes);
    EXPECT_EQ(f->edtCumpleMes->selectedText(), QStringLiteral("Jun"));
    EXPECT_EQ(Color(f->edtCumpleDia), QColor(221, 238, 221));

    // A month name can only be erased, then replaced by digits.
    f->edtCumpleMes->setCursorPosition(3);
    QTest::keyClicks(f->edtCumpleMes, "x");
    EXPECT_EQ(f->edtCumpleMes->text(), QStringLiteral("Jun"));
    for (int i = 0; i < 3; ++i) QTest::keyClick(f->edtCumpleMes, Qt::Key_Backspace);
    f->edtCumpleAno->setText(QStringLiteral("1990"));
    QTest::keyClicks(f->edtCumpleMes, "0");
    EXPECT_EQ(QApplication::focusWidget(), f->edtCumpleMes);
    QTest::keyClicks(f->edtCumpleMes, "3");
    EXPECT_EQ(f->edtCumpleMes->text(), QStringLiteral("03"));
    EXPECT_EQ(QApplication::focusWidget(), f->edtCumpleAno);
    EXPECT_EQ(f->edtCumpleAno->selectedText(), QStringLiteral("1990"));
    // Pasting by key is swallowed as any other control key.
    QApplication::clipboard()->setText(QStringLiteral("12"));
    QTest::keyClick(f->edtCumpleMes, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f->edtCumpleMes->text(), QStringLiteral("03"));

    f->btnActualizar->click();
    EXPECT_EQ(f->ListaPibes[0]->Cumple, Dia(1990, 3, 17));
}

TEST_F(Datos, AMonthLetterAfterOneCharacterDoesNotMoveTheFocus)
{
    TfrmBindelora* f = ConLibro();
    f->edtCumpleMes->setText(QStringLiteral("J"));
    f->edtCumpleMes->setFocus();
    f->edtCumpleMes->setCursorPosition(1);
    QTest::keyClicks(f->edtCumpleMes, "5");
    EXPECT_EQ(f->edtCumpleMes->text(), QStringLiteral("J5"));
    EXPECT_EQ(QApplication::focusWidget(), f->edtCumpleMes);
}

// --- The e-mail label ---

TEST_F(Datos, TheEMailLabelBecomesALinkForAnAddressWithAnAtSign)
{
    TfrmBindelora* f = ConLibro();
    const QColor azul(0, 0, 255);
    for (const char* email : {"x@", "@", ""}) {
        f->edtEMail->setText(QString::fromLatin1(email));
        emit f->lblEMail->OnMouseEnter(f->lblEMail);
        EXPECT_NE(f->lblEMail->palette().color(QPalette::WindowText), azul) << email;
        emit f->lblEMail->OnClick(f->lblEMail);
        emit f->lblEMail->OnMouseLeave(f->lblEMail);
    }
    EXPECT_TRUE(escritorio.urls.empty());

    f->edtEMail->setText(QStringLiteral("@x"));
    emit f->lblEMail->OnMouseEnter(f->lblEMail);
    EXPECT_EQ(f->lblEMail->palette().color(QPalette::WindowText), azul);
    emit f->lblEMail->OnMouseLeave(f->lblEMail);

    f->edtEMail->setText(QStringLiteral("ana.gil@correo.es"));
    emit f->lblEMail->OnMouseEnter(f->lblEMail);
    EXPECT_EQ(f->lblEMail->palette().color(QPalette::WindowText), azul);
    EXPECT_TRUE(f->lblEMail->font().underline());
    EXPECT_EQ(f->lblEMail->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(f->lblEMail->toolTip(), QStringLiteral("Enviar un EMail a Ana"));
    emit f->lblEMail->OnClick(f->lblEMail);
    ASSERT_EQ(escritorio.urls.size(), 1u);
    EXPECT_EQ(escritorio.urls[0].toString(), QStringLiteral("mailto:ana.gil@correo.es"));

    emit f->lblEMail->OnMouseLeave(f->lblEMail);
    EXPECT_EQ(f->lblEMail->palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_FALSE(f->lblEMail->font().underline());
    EXPECT_TRUE(f->lblEMail->toolTip().isEmpty());
    emit f->lblEMail->OnClick(f->lblEMail);  // no longer a link
    EXPECT_EQ(escritorio.urls.size(), 1u);

    f->edtNombre->clear();
    f->edtEMail->setText(QStringLiteral("x@y"));
    emit f->lblEMail->OnMouseEnter(f->lblEMail);
    EXPECT_EQ(f->lblEMail->toolTip(), QStringLiteral("Enviar un EMail"));
}

// --- Opening and deleting from the list ---

TEST_F(Datos, OpeningFromTheListLeavesNewEntryMode)
{
    TfrmBindelora* f = ConLibro();
    f->btnNuevo->click();
    f->edtNombre->setText(QStringLiteral("A medias"));
    f->btnLista->click();
    f->ListViewLista->SeleccionarFila(2);
    f->ListViewListaDblClick();
    EXPECT_EQ(PanelDelante(), f->PanelDatos);
    EXPECT_EQ(f->btnNuevo->text(), QStringLiteral("&Nuevo"));
    EXPECT_EQ(f->PibeActual, 2);
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Carlos"));
    EXPECT_EQ(f->ListaPibes.size(), 3u);
    EXPECT_TRUE(Navegacion(f, true, false));
    EXPECT_TRUE(mensajes.cajas.empty());
}

TEST_F(Datos, DeletingFromTheListInNewEntryModeDeletesTheChosenContact)
{
    TfrmBindelora* f = ConLibro();
    f->btnNuevo->click();
    f->btnLista->click();
    f->ListViewLista->SeleccionarFila(1);
    f->mnuListaEliminar->trigger();
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].texto, QStringLiteral("Se dispone a eliminar a \"Berta Abril\"\r\r¿Está seguro?"));
    EXPECT_EQ(Nombres(f), (V{"Ana", "Carlos"}));
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Carlos"));
    EXPECT_EQ(PanelDelante(), f->PanelDatos);

    // Without a selected row the popup deletes nothing.
    f->ListViewLista->clearSelection();
    f->mnuListaEliminarClick();
    EXPECT_EQ(f->ListaPibes.size(), 2u);
}

// --- Fields as stored ---

TEST_F(Datos, GroupsAreStoredAsTypedWithoutCompletion)
{
    TfrmBindelora* f = ConLibro();
    f->cbGrupo->setEditText(QString());
    f->cbGrupo->lineEdit()->setFocus();
    QTest::keyClicks(f->cbGrupo->lineEdit(), "fam");
    EXPECT_EQ(f->cbGrupo->currentText(), QStringLiteral("fam"));
    QTest::keyClick(f->cbGrupo->lineEdit(), Qt::Key_Return);
    f->btnActualizar->click();
    EXPECT_EQ(f->ListaPibes[0]->Grupo, "fam");
}

TEST_F(Datos, MemosKeepEveryLineExactly)
{
    ListaPibes extra;
    auto p = Pibe("Dora", "Zeta");
    p->Direccion = {"", "Calle Mayor, 1", "", "28001 Madrid", ""};
    p->Varios = {"a\xA0" "b", "  sangr\xED" "a  "};
    extra.push_back(std::move(p));
    TfrmBindelora* f = ConLibro(std::move(extra));
    f->btnLastClick();
    QTest::keyClicks(f->edtTfnoCasa, "1");
    f->btnActualizar->click();
    const TPibe& q = *f->ListaPibes[3];
    EXPECT_EQ(q.Direccion, (V{"", "Calle Mayor, 1", "", "28001 Madrid", ""}));
    EXPECT_EQ(q.Varios, (V{"a\xA0" "b", "  sangr\xED" "a  "}));
    EXPECT_EQ(f->MemoDireccion->document()->defaultTextOption().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
}

// --- Bad input ---

TEST_F(Datos, PastedLineBreaksBecomeBlanksAndTheFileReadsBackWhole)
{
    TfrmBindelora* f = ConLibro();
    QApplication::clipboard()->setText(QStringLiteral("Ana\r\nMar\u00EDa"));
    f->edtNombre->selectAll();
    f->edtNombre->paste();
    for (QLineEdit* e : {f->edtApe1, f->edtApe2, f->edtTfnoCasa, f->edtTfnoMovil, f->edtEMail})
        e->setText(QStringLiteral("uno\ndos\rtres"));
    f->cbGrupo->setEditText(QStringLiteral("g\r\nh"));
    f->edtCumpleAno->setText(QStringLiteral("19\n80"));  // not all digits: no year
    f->btnActualizarClick();

    // The fields show what was stored, and the re-ordering found it.
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Ana Mar\u00EDa"));
    EXPECT_EQ(f->edtApe1->text(), QStringLiteral("uno dos tres"));
    EXPECT_EQ(f->cbGrupo->currentText(), QStringLiteral("g h"));
    const TPibe& p = *f->ListaPibes[static_cast<std::size_t>(f->PibeActual)];
    EXPECT_EQ(p.Nombre, Utf8ACp1252("Ana María"));
    EXPECT_EQ(p.EMail, "uno dos tres");
    EXPECT_EQ(p.Grupo, "g h");

    Anadir(f, QStringLiteral("Zoe\nZ"), QStringLiteral("Q\rQ"));
    const ListaPibes l = AlSalir();
    ASSERT_EQ(l.size(), 4u);
    bool hayZoe = false;
    for (const auto& q : l) hayZoe |= q->Nombre == "Zoe Z" && q->Ape1 == "Q Q";
    EXPECT_TRUE(hayZoe);
}

TEST_F(Datos, BadBirthdaysNeverCrashAndGiveTheirOutcome)
{
    struct Caso {
        const char *dia, *mes, *ano;
        bool refusado;
        double cumple;
    };
    const Caso casos[] = {
        {"31", "4", "1980", false, 0},           {"29", "2", "", false, 0},
        {"29", "Feb", "1980", false, Dia(1980, 2, 29)},
        {"5", "6", "0", false, 0},               {"5", "6", "123456789", true, 0},
        {"5", "6", "19a0", false, Dia(1, 6, 5)}, {"5", "6", "2026", true, 0},
        {"5", "6", "2025", false, Dia(2025, 6, 5)}, {"5", "Febrero", "", false, Dia(1, 2, 5)},
        {"5", "FEBxx", "", false, Dia(1, 2, 5)}, {"5", "02", "", false, Dia(1, 2, 5)},
        {"x", "6", "1980", false, 0},            {"5", "-6", "1980", false, 0},
    };
    TfrmBindelora* f = ConLibro();
    for (const Caso& c : casos) {
        const std::size_t cajas = mensajes.cajas.size();
        // Set as a paste through the menu would: the key filters do not see it.
        f->edtCumpleDia->setText(QString::fromLatin1(c.dia));
        f->edtCumpleMes->setText(QString::fromLatin1(c.mes));
        f->edtCumpleAno->setText(QString::fromLatin1(c.ano));
        f->edtApe2->setText(QStringLiteral("cambiado"));
        const double antes = f->ListaPibes[0]->Cumple;
        f->btnActualizarClick();
        EXPECT_EQ(mensajes.cajas.size() - cajas, c.refusado ? 1u : 0u) << c.dia << "/" << c.mes << "/" << c.ano;
        EXPECT_EQ(f->ListaPibes[0]->Cumple, c.refusado ? antes : c.cumple) << c.dia << "/" << c.mes << "/" << c.ano;
        f->btnFirstClick();
    }
    EXPECT_EQ(AlSalir().size(), 3u);
}

TEST_F(Datos, VeryLongFieldsAreKeptWhole)
{
    // 40,000 characters: beyond a line edit's own limit of 32767.
    ListaPibes extra;
    auto p = Pibe(std::string(40000, 'n'), "Zeta", "", std::string(40000, 'g'));
    p->EMail = std::string(40000, 'e');
    extra.push_back(std::move(p));
    TfrmBindelora* f = ConLibro(std::move(extra));
    f->btnLastClick();
    EXPECT_EQ(f->edtNombre->text().size(), 40000);
    EXPECT_EQ(f->cbGrupo->currentText().size(), 40000);
    f->edtApe2->setText(QString(10000, QLatin1Char('x')));
    f->btnActualizarClick();
    const ListaPibes l = AlSalir();
    bool hay = false;
    for (const auto& q : l)
        hay |= q->Nombre.size() == 40000 && q->Grupo.size() == 40000 && q->EMail.size() == 40000 &&
               q->Ape2.size() == 10000;
    EXPECT_TRUE(hay);
}

}  // namespace
