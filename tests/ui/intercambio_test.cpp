// vCard import and export and the iCalendar export from the popup menus.
#include <QMenu>

#include "core/icalendar.h"
#include "core/vcard.h"
#include "entorno.h"

using namespace bindelora;

namespace {

class Intercambio : public EntornoIntercambio {
protected:
    std::string EnCarpeta(const char* nombre) const { return (carpeta.path() + QLatin1Char('/') + QLatin1String(nombre)).toStdString(); }

    void Elegir(const std::string& ruta, int filtro = 0)
    {
        dialogo.respuestas.push_back(EleccionArchivo{QString::fromStdString(ruta), filtro});
    }

    using V = std::vector<std::string>;
};

}  // namespace

TEST_F(Intercambio, EntradasAlFinalDelMenuDeLaLista)
{
    TfrmBindelora* f = Iniciar();
    const QList<QAction*> acciones = f->PopupMenuLista->actions();
    ASSERT_EQ(acciones.size(), 10);
    // The specified entries keep their places.
    EXPECT_EQ(acciones[0], f->mnuListaVerDatos);
    EXPECT_EQ(acciones[6], f->mnuListaOrdenarPorGrupo);
    EXPECT_TRUE(acciones[7]->isSeparator());
    EXPECT_EQ(acciones[8]->text(), QStringLiteral("Importar contactos (vCard)…"));
    EXPECT_EQ(acciones[9]->text(), QStringLiteral("Exportar contactos (vCard)…"));

    // The events list's own popup ends with the iCalendar export.
    ASSERT_FALSE(f->PopupMenuAvisal->actions().isEmpty());
    EXPECT_EQ(f->PopupMenuAvisal->actions().back(), f->mnuAvisalExportarICalendar);

    QMenu avisal;
    avisal.addAction(QStringLiteral("&Eliminar entrada"));
    f->AnadirMenuAvisalIntercambio(&avisal);
    ASSERT_EQ(avisal.actions().size(), 3);
    EXPECT_EQ(avisal.actions()[2]->text(), QStringLiteral("Exportar a iCalendar…"));
    EXPECT_EQ(avisal.actions()[2], f->mnuAvisalExportarICalendar);
}

TEST_F(Intercambio, ImportarEnLibroVacioMuestraElPrimeroYResume)
{
    ListaPibes fuera;
    fuera.push_back(Pibe("Zoe", "Zapata", "", "Amigos", Dia(1990, 12, 7)));
    fuera.push_back(Pibe("Ana", "Abad", "", "Familia"));
    Escribir(EnCarpeta("a.vcf"), ExportarVCard(fuera, VersionVCard::V40));
    TfrmBindelora* f = Iniciar();
    ASSERT_TRUE(f->PanelHagaClicAqui->isVisibleTo(f));
    Elegir(EnCarpeta("a.vcf"));
    f->mnuListaImportarVCard->trigger();

    ASSERT_EQ(dialogo.llamadas.size(), 1u);
    EXPECT_FALSE(dialogo.llamadas[0].guardar);
    EXPECT_EQ(dialogo.llamadas[0].carpeta, carpeta.path());
    EXPECT_EQ(NombresEnLista(f), (V{"Ana", "Zoe"}));
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Ana"));
    EXPECT_FALSE(f->PanelHagaClicAqui->isVisibleTo(f));
    EXPECT_EQ(f->cbGrupo->count(), 2);
    // The birthday with a year is entered as an event at once.
    EXPECT_EQ(f->ListaAvisal.size(), 1u);
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].titulo, QStringLiteral("Importar contactos (vCard)"));
    EXPECT_EQ(mensajes.cajas[0].icono, IconoMensaje::Informacion);
    EXPECT_TRUE(mensajes.cajas[0].texto.startsWith(QStringLiteral("Contactos añadidos: 2\nRepetidos (ya estaban en la agenda): 0")));

    // Again: everything is already there, nothing changes.
    Elegir(EnCarpeta("a.vcf"));
    f->mnuListaImportarVCard->trigger();
    EXPECT_EQ(NombresEnLista(f), (V{"Ana", "Zoe"}));
    EXPECT_TRUE(mensajes.cajas[1].texto.contains(QStringLiteral("Repetidos (ya estaban en la agenda): 2")));
}

TEST_F(Intercambio, ImportarConservaElContactoMostradoYElOrden)
{
    ListaPibes libro;
    libro.push_back(Pibe("Berta", "B"));
    libro.push_back(Pibe("Diana", "D"));
    EscribirAgenda(libro);
    ListaPibes fuera;
    fuera.push_back(Pibe("Carla", "C"));
    fuera.push_back(Pibe("Alba", "A"));
    Escribir(EnCarpeta("b.vcf"), ExportarVCard(fuera, VersionVCard::V30));
    TfrmBindelora* f = Iniciar();
    f->MostrarPibe(1);
    f->PibeActual = 1;  // Diana
    Elegir(EnCarpeta("b.vcf"));
    f->mnuListaImportarVCard->trigger();
    EXPECT_EQ(NombresEnLista(f), (V{"Alba", "Berta", "Carla", "Diana"}));
    EXPECT_EQ(f->PibeActual, 3);
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Diana"));
}

TEST_F(Intercambio, ArchivoIlegibleOCancelarNoCambianNada)
{
    ListaPibes libro;
    libro.push_back(Pibe("Berta", "B"));
    EscribirAgenda(libro);
    Escribir(EnCarpeta("basura.vcf"), std::string("\x89PNG\r\n\x1A\n\0\0\0", 11));
    TfrmBindelora* f = Iniciar();

    f->mnuListaImportarVCard->trigger();  // cancelled
    EXPECT_TRUE(mensajes.cajas.empty());

    Elegir(EnCarpeta("basura.vcf"));
    f->mnuListaImportarVCard->trigger();
    EXPECT_EQ(NombresEnLista(f), (V{"Berta"}));
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].icono, IconoMensaje::Aviso);
    EXPECT_TRUE(mensajes.cajas[0].texto.contains(QStringLiteral("la agenda no ha cambiado")));

    Elegir(EnCarpeta("no-existe.vcf"));
    f->mnuListaImportarVCard->trigger();
    EXPECT_EQ(mensajes.cajas.back().icono, IconoMensaje::Error);
}

TEST_F(Intercambio, ExportarEnLasDosVersionesConExtension)
{
    ListaPibes libro;
    libro.push_back(Pibe("Berta", "Núñez", "Pérez", "", Dia(1, 3, 9)));
    EscribirAgenda(libro);
    TfrmBindelora* f = Iniciar();

    Elegir(EnCarpeta("todos"), 0);
    f->mnuListaExportarVCard->trigger();
    EXPECT_EQ(Leer(EnCarpeta("todos.vcf")), ExportarVCard(f->ListaPibes, VersionVCard::V40));
    Elegir(EnCarpeta("tres.vcf"), 1);
    f->mnuListaExportarVCard->trigger();
    EXPECT_EQ(Leer(EnCarpeta("tres.vcf")), ExportarVCard(f->ListaPibes, VersionVCard::V30));
    ASSERT_EQ(mensajes.cajas.size(), 2u);
    EXPECT_TRUE(mensajes.cajas[0].texto.startsWith(QStringLiteral("Contactos exportados: 1")));
    EXPECT_TRUE(dialogo.llamadas[0].guardar);

    // A folder that does not exist: told, nothing written.
    Elegir(EnCarpeta("no/hay/carpeta.vcf"));
    f->mnuListaExportarVCard->trigger();
    EXPECT_EQ(mensajes.cajas.back().icono, IconoMensaje::Error);
}

TEST_F(Intercambio, UnaExportacionNoSeEscribeEncimaDeLosArchivosDeDatos)
{
    ListaPibes libro;
    libro.push_back(Pibe("Berta", "Núñez", "Pérez", "", Dia(1, 3, 9)));
    EscribirAgenda(libro);
    Escribir(Avs(), "07129999Cumplea\xF1os de Ana\r\n");
    const std::string agenda = Leer(Dat()), sucesos = Leer(Avs());
    TfrmBindelora* f = Iniciar();
    QMenu menu;
    f->AnadirMenuAvisalIntercambio(&menu);

    Elegir(Dat());
    f->mnuListaExportarVCard->trigger();
    Elegir(Avs());
    f->mnuAvisalExportarICalendar->trigger();
    ASSERT_EQ(mensajes.cajas.size(), 2u);
    for (const auto& caja : mensajes.cajas) {
        EXPECT_EQ(caja.icono, IconoMensaje::Error);
        EXPECT_TRUE(caja.texto.contains(QStringLiteral("es un archivo de datos de Bindelora"))) << caja.texto.toStdString();
    }
    EXPECT_EQ(Leer(Dat()), agenda);
    EXPECT_EQ(Leer(Avs()), sucesos);
}

TEST_F(Intercambio, ExportarICalendarDeLosSucesos)
{
    Escribir(Avs(), "07129999Cumplea\xF1os de Ana\r\n15002030Mensual\r\n");
    TfrmBindelora* f = Iniciar();
    QMenu menu;
    f->AnadirMenuAvisalIntercambio(&menu);
    Elegir(EnCarpeta("sucesos"));
    f->mnuAvisalExportarICalendar->trigger();
    const std::string ics = Leer(EnCarpeta("sucesos.ics"));
    EXPECT_NE(ics.find("SUMMARY:Cumplea\xC3\xB1os de Ana\r\n"), std::string::npos);
    EXPECT_NE(ics.find("RRULE:FREQ=MONTHLY;UNTIL=20291231"), std::string::npos);
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_TRUE(mensajes.cajas[0].texto.startsWith(QStringLiteral("Sucesos exportados: 2")));
}
