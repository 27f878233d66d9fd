// The window's vCard import against files it cannot take: refused with a
// message, and an allocation failure in the middle costs nothing unsaved.
#include <new>

#include <sys/stat.h>

#include "core/archivo.h"
#include "core/vcard.h"
#include "entorno.h"
#include "platform/dialogo_intercambio.h"

using namespace bindelora;

namespace {

// Reading the file chosen for the import throws, as an allocation would
// with no memory left; every other file reads as ever.
class SinMemoriaAlLeerVcf : public SistemaArchivos {
public:
    int Abrir(const std::string& ruta, int flags, unsigned modo) override
    {
        const int fd = SistemaArchivos::Abrir(ruta, flags, modo);
        if (ruta.size() > 4 && ruta.compare(ruta.size() - 4, 4, ".vcf") == 0) fdVcf = fd;
        return fd;
    }
    long Leer(int fd, char* p, std::size_t n) override
    {
        if (fd >= 0 && fd == fdVcf) throw std::bad_alloc();
        return SistemaArchivos::Leer(fd, p, n);
    }
    int fdVcf = -1;
};

class IntercambioHostil : public EntornoVentanas {
protected:
    void SetUp() override
    {
        EntornoVentanas::SetUp();
        DialogoIntercambio::setInstancia(&dialogo);
    }
    void TearDown() override
    {
        SistemaArchivos::setInstancia(nullptr);
        EntornoVentanas::TearDown();
        DialogoIntercambio::setInstancia(nullptr);
    }

    std::string EnCarpetaHostil(const char* nombre) const
    {
        return (carpeta.path() + QLatin1Char('/') + QLatin1String(nombre)).toStdString();
    }

    void Importar(TfrmBindelora* f, const std::string& ruta)
    {
        dialogo.respuestas.push_back(EleccionArchivo{QString::fromStdString(ruta), 0});
        f->mnuListaImportarVCard->trigger();
    }

    DialogoIntercambioFalso dialogo;
};

}  // namespace

TEST_F(IntercambioHostil, SinMemoriaLaAgendaYLoNoGuardadoSiguenIgual)
{
    ListaPibes libro;
    libro.push_back(Pibe("Berta", "Abad"));
    EscribirAgenda(libro);
    const std::string enDisco = Leer(Dat());
    ListaPibes fuera;
    fuera.push_back(Pibe("Ana", "Ruiz"));
    Escribir(EnCarpetaHostil("a.vcf"), ExportarVCard(fuera, VersionVCard::V40));
    TfrmBindelora* f = Iniciar();
    // Changes of the run, not yet saved: in the book and in the editor.
    f->ListaPibes[0]->TfnoCasa = "555";
    f->edtNombre->setText(QStringLiteral("Bertita"));

    SinMemoriaAlLeerVcf sinMemoria;
    SistemaArchivos::setInstancia(&sinMemoria);
    Importar(f, EnCarpetaHostil("a.vcf"));
    ASSERT_NE(sinMemoria.fdVcf, -1);
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].icono, IconoMensaje::Error);
    EXPECT_TRUE(mensajes.cajas[0].texto.contains(QStringLiteral("no hay memoria suficiente"))) << mensajes.cajas[0].texto.toStdString();
    ASSERT_EQ(f->ListaPibes.size(), 1u);
    EXPECT_EQ(f->ListaPibes[0]->TfnoCasa, "555");
    EXPECT_EQ(f->edtNombre->text(), QStringLiteral("Bertita"));
    EXPECT_EQ(f->ListViewLista->NumFilas(), 1);
    EXPECT_EQ(Leer(Dat()), enDisco);

    // The run goes on: with memory again the same file imports.
    SistemaArchivos::setInstancia(nullptr);
    Importar(f, EnCarpetaHostil("a.vcf"));
    EXPECT_EQ(f->ListaPibes.size(), 2u);
    EXPECT_EQ(mensajes.cajas.back().icono, IconoMensaje::Informacion);
}

TEST_F(IntercambioHostil, LoQueNoEsUnArchivoSeRechazaConSuMotivo)
{
    const std::string tuberia = EnCarpetaHostil("tuberia.vcf");
    ASSERT_EQ(::mkfifo(tuberia.c_str(), 0600), 0);
    TfrmBindelora* f = Iniciar();
    for (const std::string& ruta : {tuberia, std::string("/dev/zero"), carpeta.path().toStdString()}) {
        Importar(f, ruta);
        ASSERT_FALSE(mensajes.cajas.empty());
        EXPECT_EQ(mensajes.cajas.back().icono, IconoMensaje::Error);
        const QString& texto = mensajes.cajas.back().texto;
        EXPECT_TRUE(texto.contains(QStringLiteral("no es un archivo normal")) || texto.contains(QStringLiteral("es una carpeta")))
            << texto.toStdString();
    }
    EXPECT_TRUE(f->ListaPibes.empty());
}
