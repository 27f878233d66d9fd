// What a screen reader and the keyboard meet: every control a person acts on
// is named, decorating pictures stay out of the tree, the view buttons are
// reached by Tab and by their shortcuts, and the days carry their dates.
#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QTabWidget>
#include <set>

#include "celdasdia.h"
#include "entorno.h"
#include "frmabout.h"
#include "frmconfig.h"
#include "frmsucesoshoy.h"

using namespace bindelora;

namespace {

class Accesibilidad : public EntornoVentanas {
protected:
    TfrmBindelora* ConDatos()
    {
        ListaPibes l;
        l.push_back(Pibe("Ana", "Ruiz"));
        l.push_back(Pibe("Berta", "Sanz"));
        EscribirAgenda(l);
        Escribir(Avs(), "07122026Zapatero\r\n07129999Santo\r\n15032027Marzo\r\n10002027Mensual\r\n");
        TfrmBindelora* f = Iniciar();
        f->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(f));
        return f;
    }

    struct Recorrido {
        QStringList sinNombre;       // focusable or actionable, no name
        std::set<QObject*> objetos;  // everything met
    };

    // Walks the tree as a screen reader does, from the window down.
    static void Recorrer(QAccessibleInterface* i, Recorrido& r, const QString& camino = {})
    {
        if (!i || !i->isValid()) return;
        const QAccessible::State s = i->state();
        if (s.invisible) return;
        r.objetos.insert(i->object());
        const QString aqui = camino + QLatin1Char('/') +
                             (i->object() ? i->object()->objectName() : QString()) + QLatin1Char('[') +
                             QString::number(i->role()) + QLatin1Char(']');
        const bool actua = i->actionInterface() && !i->actionInterface()->actionNames().isEmpty() &&
                           i->actionInterface()->actionNames() != QStringList{QAccessibleActionInterface::setFocusAction()};
        if ((s.focusable || actua) && i->text(QAccessible::Name).trimmed().isEmpty()) r.sinNombre << aqui;
        if (QAccessibleTableInterface* t = i->tableInterface()) {
            for (int c = 0; c < t->columnCount(); ++c)
                if (t->columnDescription(c).isEmpty()) r.sinNombre << aqui + QStringLiteral(" column ") + QString::number(c);
            return;  // the rows are the program's data
        }
        for (int c = 0; c < i->childCount(); ++c) Recorrer(i->child(c), r, aqui);
    }

    static Recorrido Arbol(QWidget* ventana)
    {
        Recorrido r;
        Recorrer(QAccessible::queryAccessibleInterface(ventana), r);
        return r;
    }

    // The widgets Tab stops at, from the window's first one round to it.
    static std::vector<QWidget*> PorTab(QWidget* ventana, int pasos = 120)
    {
        std::vector<QWidget*> r;
        for (int i = 0; i < pasos; ++i) {
            QWidget* foco = QApplication::focusWidget();
            QTest::keyClick(foco ? foco : ventana, Qt::Key_Tab);
            if (QApplication::focusWidget()) r.push_back(QApplication::focusWidget());
        }
        return r;
    }

    static bool Contiene(const std::vector<QWidget*>& v, QWidget* w)
    {
        return std::find(v.begin(), v.end(), w) != v.end();
    }
};

}  // namespace

TEST_F(Accesibilidad, CadaVistaTieneNombradoTodoLoQueSeUsa)
{
    TfrmBindelora* f = ConDatos();
    for (QPushButton* vista : {f->btnLista, f->btnDatos, f->btnCumples, f->btnAvisal, f->btnBuscar}) {
        vista->click();
        const Recorrido r = Arbol(f);
        EXPECT_TRUE(r.sinNombre.isEmpty()) << vista->objectName().toStdString() << ": "
                                           << r.sinNombre.join(QStringLiteral("\n")).toStdString();
        for (QWidget* adorno : {static_cast<QWidget*>(f->img11), static_cast<QWidget*>(f->s3),
                                static_cast<QWidget*>(f->mini2), static_cast<QWidget*>(f->ImageNewAvisal)})
            EXPECT_EQ(r.objetos.count(adorno), 0u) << adorno->objectName().toStdString();
        // Only the view in front is read.
        for (QWidget* p : {f->PanelLista, f->PanelDatos, f->PanelCumples, f->PanelAvisal, f->PanelBuscar})
            EXPECT_EQ(r.objetos.count(p) == 1, p == PanelDelante()) << p->objectName().toStdString();
    }
}

TEST_F(Accesibilidad, LasVentanasSecundariasTambien)
{
    ConDatos();
    for (QWidget* v : {static_cast<QWidget*>(frmAbout), static_cast<QWidget*>(frmSucesosHoy),
                       static_cast<QWidget*>(frmConfig)}) {
        v->show();
        const int paginas = v == frmConfig ? frmConfig->PageControl->count() : 1;
        for (int p = 0; p < paginas; ++p) {
            if (v == frmConfig) frmConfig->PageControl->setCurrentIndex(p);
            const Recorrido r = Arbol(v);
            EXPECT_TRUE(r.sinNombre.isEmpty()) << v->objectName().toStdString() << " " << p << ": "
                                               << r.sinNombre.join(QStringLiteral("\n")).toStdString();
            EXPECT_EQ(r.objetos.count(v->findChild<QWidget*>(v == frmConfig ? "imgBorde" : "img1")), 0u);
        }
        v->hide();
    }
    QAccessibleInterface* cerrar = QAccessible::queryAccessibleInterface(frmAbout->Image1);
    EXPECT_EQ(cerrar->role(), QAccessible::Button);
    EXPECT_EQ(cerrar->text(QAccessible::Name), QStringLiteral("Cerrar"));
}

TEST_F(Accesibilidad, NombresDeLosControles)
{
    TfrmBindelora* f = ConDatos();
    auto nombre = [](QObject* o) { return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name); };
    EXPECT_EQ(nombre(f->btnLista), QStringLiteral("Lista"));
    EXPECT_EQ(nombre(f->btnDatos), QStringLiteral("Datos"));
    EXPECT_EQ(nombre(f->btnCumples), QStringLiteral("Cumples"));
    EXPECT_EQ(nombre(f->btnAvisal), QStringLiteral("Avisal"));
    EXPECT_EQ(nombre(f->btnConfig), QStringLiteral("Configuración"));
    EXPECT_EQ(nombre(f->mini1), QStringLiteral("Minimizar"));
    EXPECT_EQ(nombre(f->cerr1), QStringLiteral("Cerrar"));
    EXPECT_EQ(nombre(f->edtNombre), QStringLiteral("Nombre"));
    EXPECT_EQ(nombre(f->edtApe1), QStringLiteral("Apellido 1"));
    EXPECT_EQ(nombre(f->edtCumpleDia), QStringLiteral("Cumpleaños, día"));
    EXPECT_EQ(nombre(f->btnNuevo), QStringLiteral("Nuevo"));  // the caption without "&"
    EXPECT_EQ(nombre(f->btnFirst), QStringLiteral("Primero"));
    EXPECT_FALSE(f->ListViewAvisal->accessibleName().isEmpty());
    // The picture buttons press as a click does.
    QAccessibleInterface* minimizar = QAccessible::queryAccessibleInterface(f->mini1);
    ASSERT_TRUE(minimizar->actionInterface());
    minimizar->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(f->isMinimized());
    f->showNormal();
}

TEST_F(Accesibilidad, LosDiasLlevanFechaHoyYSucesos)
{
    TfrmBindelora* f = ConDatos();
    f->btnAvisal->click();
    // Today is 7 December 2026: Monday 30 November opens the grid.
    EXPECT_EQ(f->EtiquetasDia[0][0]->accessibleName(), QStringLiteral("30 de noviembre de 2026"));
    EXPECT_EQ(f->EtiquetasDia[0][1]->accessibleName(), QStringLiteral("7 de diciembre de 2026, hoy, 2 sucesos"));
    EXPECT_EQ(f->EtiquetasDia[1][0]->accessibleName(), QStringLiteral("1 de diciembre de 2026"));
    EXPECT_EQ(f->EtiquetasDia[2][1]->accessibleName(), QStringLiteral("9 de diciembre de 2026"));
    EXPECT_EQ(f->EtiquetasDia[3][1]->accessibleName(), QStringLiteral("10 de diciembre de 2026, 1 suceso"));
    EXPECT_EQ(f->EtiquetasDia[3][5]->accessibleName(), QStringLiteral("7 de enero de 2027"));
    EXPECT_EQ(f->DiaTab(), f->EtiquetasDia[0][1]);  // Tab stops at today

    // Another month: the names follow the drawing.
    f->MostrarMes(3, 2027);
    EXPECT_EQ(f->EtiquetasDia[0][2]->accessibleName(), QStringLiteral("15 de marzo de 2027, 1 suceso"));
    EXPECT_EQ(f->EtiquetasDia[0][0]->accessibleName(), QStringLiteral("1 de marzo de 2027"));
    EXPECT_EQ(f->EtiquetasDia[2][1]->accessibleName(), QStringLiteral("10 de marzo de 2027, 1 suceso"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(f->EtiquetasDia[0][2])->role(), QAccessible::Button);
}

TEST_F(Accesibilidad, AtajosDeLasVistasConLasMismasReglas)
{
    TfrmBindelora* f = ConDatos();
    QTest::keyClick(f, Qt::Key_4, Qt::ControlModifier);
    QTest::qWait(200);  // the button's click follows its shortcut after a moment
    EXPECT_EQ(PanelDelante(), f->PanelAvisal);
    EXPECT_FALSE(f->btnNuevo->isEnabled());  // the handler of the click ran
    QTest::keyClick(f, Qt::Key_3, Qt::ControlModifier);
    QTest::qWait(200);
    EXPECT_EQ(PanelDelante(), f->PanelCumples);
    EXPECT_EQ(f->ListViewCumples->NumFilas(), 0);  // no birthdays, but rebuilt
    QTest::keyClick(f, Qt::Key_2, Qt::ControlModifier);
    QTest::qWait(200);
    EXPECT_EQ(PanelDelante(), f->PanelDatos);
    EXPECT_TRUE(f->btnNuevo->isEnabled());
    QTest::keyClick(f, Qt::Key_1, Qt::ControlModifier);
    QTest::qWait(200);
    EXPECT_EQ(PanelDelante(), f->PanelLista);

    // A disabled button's shortcut does nothing.
    f->btnAvisal->setEnabled(false);
    QTest::keyClick(f, Qt::Key_4, Qt::ControlModifier);
    QTest::qWait(200);
    EXPECT_EQ(PanelDelante(), f->PanelLista);
    f->btnAvisal->setEnabled(true);

    QTest::keyClick(f, Qt::Key_Comma, Qt::ControlModifier);
    QTest::qWait(200);
    ASSERT_FALSE(ventanas.modales.empty());
    EXPECT_EQ(ventanas.modales.back(), frmConfig);

    // The hints show the shortcuts.
    EXPECT_EQ(f->btnLista->toolTip(), QStringLiteral("Lista (Ctrl+1)"));
    EXPECT_TRUE(f->btnConfig->toolTip().endsWith(QStringLiteral("(Ctrl+,)")));
}

TEST_F(Accesibilidad, TabLlegaALosBotonesDeVistaYSoloALaVistaDelante)
{
    TfrmBindelora* f = ConDatos();
    f->btnDatos->click();
    const std::vector<QWidget*> paradas = PorTab(f);
    for (QWidget* b : {f->btnAbout, f->btnLista, f->btnDatos, f->btnCumples, f->btnAvisal, f->btnConfig})
        EXPECT_TRUE(Contiene(paradas, b)) << b->objectName().toStdString();
    for (QWidget* w : {static_cast<QWidget*>(f->edtNombre), static_cast<QWidget*>(f->cbGrupo),
                       static_cast<QWidget*>(f->btnEliminar), static_cast<QWidget*>(f->cbOrden)})
        EXPECT_TRUE(Contiene(paradas, w)) << w->objectName().toStdString();
    for (QWidget* w : paradas)
        EXPECT_FALSE(f->PanelLista->isAncestorOf(w) || f->PanelBuscar->isAncestorOf(w) || f->PanelAvisal->isAncestorOf(w))
            << w->objectName().toStdString();
    // In the order of the form: Nombre before Apellido 1.
    const auto nombre = std::find(paradas.begin(), paradas.end(), f->edtNombre);
    ASSERT_NE(nombre, paradas.end());
    EXPECT_EQ(*(nombre + 1), f->edtApe1);

    f->btnAvisal->click();
    const std::vector<QWidget*> enAvisal = PorTab(f);
    EXPECT_TRUE(Contiene(enAvisal, f->DiaTab()));
    EXPECT_TRUE(Contiene(enAvisal, f->ListViewAvisal));
    EXPECT_TRUE(Contiene(enAvisal, f->edtAvisalTexto));
    EXPECT_FALSE(Contiene(enAvisal, f->edtNombre));
}

TEST_F(Accesibilidad, ElFocoSeVeEnLosBotonesDeDibujo)
{
    TfrmBindelora* f = ConDatos();
    f->btnLista->click();
    const QImage sinFoco = f->grab(f->btnCumples->geometry().adjusted(-4, -4, 4, 4)).toImage();
    f->btnCumples->setFocus(Qt::TabFocusReason);
    QTest::qWait(20);
    const QImage conFoco = f->grab(f->btnCumples->geometry().adjusted(-4, -4, 4, 4)).toImage();
    EXPECT_NE(sinFoco, conFoco);
    f->edtNombre->setFocus(Qt::TabFocusReason);
    QTest::qWait(20);
    EXPECT_EQ(f->grab(f->btnCumples->geometry().adjusted(-4, -4, 4, 4)).toImage(), sinFoco);
}
