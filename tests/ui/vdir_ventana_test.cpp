// The sync folder through the window: what a run's start brings in, what
// its end sends, the editors keeping each record with its file, and the
// "Sincronización" box that names a conflict.
#include <QDir>
#include <filesystem>

#include "entorno.h"

using namespace bindelora;

namespace {

class VdirVentana : public EntornoVentanas {
protected:
    std::string Vdir() const { return (carpeta.path() + QStringLiteral("/vdir")).toStdString(); }
    std::vector<std::string> Tarjetas() const
    {
        std::vector<std::string> r;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(Vdir() + "/contactos", ec)) r.push_back(e.path().string());
        std::sort(r.begin(), r.end());
        return r;
    }
    void ConCarpeta()
    {
        registro.existe = true;
        registro.valores["CarpetaSincronizacion"] = Vdir();
    }
    std::vector<QString> CajasSinc() const
    {
        std::vector<QString> r;
        for (const auto& c : mensajes.cajas)
            if (c.titulo == QStringLiteral("Sincronización")) r.push_back(c.texto);
        return r;
    }
};

}  // namespace

TEST_F(VdirVentana, SinCarpetaNadaSeToca)
{
    ListaPibes l;
    l.push_back(Pibe("Ana", "Ruiz"));
    EscribirAgenda(l);
    Iniciar();
    Cerrar();
    EXPECT_FALSE(std::filesystem::exists(Vdir()));
    EXPECT_FALSE(std::filesystem::exists(ruta.ruta + ".sinc"));
}

TEST_F(VdirVentana, ElFinEnviaYElArranqueTrae)
{
    ConCarpeta();
    ListaPibes l;
    l.push_back(Pibe("Ana", "Ruiz"));
    EscribirAgenda(l);
    Iniciar();
    Cerrar();
    ASSERT_EQ(Tarjetas().size(), 1u);

    Escribir(Vdir() + "/contactos/movil.vcf",
             "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:movil\r\nN:Abad;Zoe;;;\r\nTEL;TYPE=CELL:611\r\nEND:VCARD\r\n");
    TfrmBindelora* f = Iniciar();
    ASSERT_EQ(f->ListaPibes.size(), 2u);
    EXPECT_TRUE(CajasSinc().empty());
    // Placed by the start ordering (first surname) and shown in the list.
    EXPECT_EQ(f->ListaPibes[0]->Nombre, "Zoe");
    EXPECT_EQ(f->ListViewLista->NumFilas(), 2);
    Cerrar();
    EXPECT_NE(Leer(Dat()).find("NOM:Zoe"), std::string::npos);
}

TEST_F(VdirVentana, UnContactoEditadoEsUnaActualizacion)
{
    ConCarpeta();
    ListaPibes l;
    l.push_back(Pibe("Ana", "Ruiz"));
    EscribirAgenda(l);
    Iniciar();
    Cerrar();
    const std::vector<std::string> antes = Tarjetas();

    TfrmBindelora* f = Iniciar();
    f->MostrarPibe(0);
    f->edtTfnoMovil->setText(QStringLiteral("699"));
    f->btnActualizarClick();
    Cerrar();
    EXPECT_EQ(Tarjetas(), antes);
    EXPECT_NE(Leer(antes[0]).find("699"), std::string::npos);
}

TEST_F(VdirVentana, UnConflictoSeNombraAlArrancar)
{
    ConCarpeta();
    ListaPibes l;
    l.push_back(Pibe("Ana", "Ruiz"));
    EscribirAgenda(l);
    Iniciar();
    Cerrar();
    const std::string tarjeta = Tarjetas().at(0);

    // Changed here and, while the window is open, on the phone too.
    TfrmBindelora* f = Iniciar();
    f->MostrarPibe(0);
    f->edtTfnoMovil->setText(QStringLiteral("622"));
    f->btnActualizarClick();
    std::string texto = Leer(tarjeta);
    texto.insert(texto.find("END:VCARD"), "TEL;TYPE=cell:633\r\n");
    Escribir(tarjeta, texto);
    Cerrar();

    f = Iniciar();
    EXPECT_EQ(f->ListaPibes.size(), 2u);
    const std::vector<QString> cajas = CajasSinc();
    ASSERT_EQ(cajas.size(), 1u);
    EXPECT_TRUE(cajas[0].contains(QStringLiteral("Ana Ruiz"))) << cajas[0].toStdString();
}

TEST_F(VdirVentana, UnaAgendaDanadaNoSeSincroniza)
{
    ConCarpeta();
    ListaPibes l;
    l.push_back(Pibe("Ana", "Ruiz"));
    l.push_back(Pibe("Luis", "Pardo"));
    EscribirAgenda(l);
    Iniciar();
    Cerrar();
    ASSERT_EQ(Tarjetas().size(), 2u);
    // The second record cut short: only the first one reads.
    std::string dat = Leer(Dat());
    Escribir(Dat(), dat.substr(0, dat.rfind("NOM:Luis") + 10));
    Iniciar();
    Cerrar();
    EXPECT_EQ(Tarjetas().size(), 2u);
    const std::vector<QString> cajas = CajasSinc();
    ASSERT_FALSE(cajas.empty());
    EXPECT_TRUE(cajas.back().contains(QStringLiteral("no se sincroniza")));
}
