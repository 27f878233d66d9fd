// The exchange's rules, one test a row, for contacts and for entries: what
// a change on one side since the last exchange does to the other.
#include "sinc_ayudas.h"

#include <cerrno>

#include "core/archivo.h"

using namespace bindelora;

namespace {

class SincContactos : public SincBase {
protected:
    // One contact, sent at the end of a first run: its file in the folder.
    std::string UnoEnviado()
    {
        pibes_.push_back(SincPibe("Ana", "Ruiz", "600111222"));
        Empezar();
        Terminar();
        auto a = Archivos("contactos");
        EXPECT_EQ(a.size(), 1u);
        return a.empty() ? std::string() : Ruta("contactos", a[0]);
    }
};

TEST_F(SincContactos, UnContactoNuevoDaUnArchivoNombradoPorSuUid)
{
    const std::string ruta = UnoEnviado();
    const std::string texto = Leer(ruta);
    const std::string nombre = std::filesystem::path(ruta).filename().string();
    EXPECT_NE(texto.find("VERSION:4.0"), std::string::npos);
    EXPECT_NE(texto.find("UID:" + nombre.substr(0, nombre.size() - 4) + "\r\n"), std::string::npos) << texto;
    EXPECT_NE(texto.find("TEL;TYPE=cell:600111222"), std::string::npos);
    // The folders and the state file are for their owner only.
    struct stat st;
    ASSERT_EQ(::stat((vdir_ + "/contactos").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat((vdir_ + "/sucesos").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(estado_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(SincContactos, NadaCambiadoNadaSeEscribe)
{
    const std::string ruta = UnoEnviado();
    struct stat antes, despues, estAntes, estDespues;
    ::stat(ruta.c_str(), &antes);
    ::stat(estado_.c_str(), &estAntes);
    ResumenSinc r = Empezar();
    EXPECT_EQ(r.escritos + r.borrados + r.contactosNuevos + r.contactosCambiados, 0u);
    r = Terminar();
    EXPECT_EQ(r.escritos + r.borrados, 0u);
    EXPECT_TRUE(r.errores.empty());
    ::stat(ruta.c_str(), &despues);
    ::stat(estado_.c_str(), &estDespues);
    EXPECT_EQ(antes.st_ino, despues.st_ino);
    EXPECT_EQ(estAntes.st_ino, estDespues.st_ino);
}

TEST_F(SincContactos, CambiadoAquiSeReescribeElArchivo)
{
    const std::string ruta = UnoEnviado();
    Empezar();
    pibes_[0]->TfnoMovil = "699000000";
    ResumenSinc r = Terminar();
    EXPECT_EQ(r.escritos, 1u);
    EXPECT_NE(Leer(ruta).find("TEL;TYPE=cell:699000000"), std::string::npos);
    EXPECT_EQ(Archivos("contactos").size(), 1u);
}

TEST_F(SincContactos, CambiadoEnLaCarpetaElContactoTomaSusDatos)
{
    const std::string ruta = UnoEnviado();
    Cambiar(ruta, "600111222", "611000000");
    // At the end nothing comes in: the book is already written.
    Empezar();
    ASSERT_EQ(pibes_.size(), 1u);
    EXPECT_EQ(pibes_[0]->TfnoMovil, "611000000");
    ResumenSinc r = Terminar();
    EXPECT_EQ(r.escritos, 0u);
}

TEST_F(SincContactos, AlTerminarLoDeLaCarpetaEsperaAlSiguienteArranque)
{
    const std::string ruta = UnoEnviado();
    Empezar();
    Cambiar(ruta, "600111222", "611000000");
    Terminar();
    EXPECT_EQ(pibes_[0]->TfnoMovil, "600111222");
    ResumenSinc r = Empezar();
    EXPECT_EQ(r.contactosCambiados, 1u);
    EXPECT_EQ(pibes_[0]->TfnoMovil, "611000000");
}

TEST_F(SincContactos, ContactoNuevoEnLaCarpetaEntraEnSuSitio)
{
    pibes_.push_back(SincPibe("Ana", "Ruiz"));
    pibes_.push_back(SincPibe("Zoe", "Gil"));
    Empezar();
    Terminar();
    std::filesystem::create_directories(vdir_ + "/contactos");
    Poner(Ruta("contactos", "de-fuera.vcf"),
          "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:de-fuera\r\nN:Pardo;Luis;;;\r\nFN:Luis Pardo\r\nEND:VCARD\r\n");
    ResumenSinc r = Empezar();
    EXPECT_EQ(r.contactosNuevos, 1u);
    ASSERT_EQ(pibes_.size(), 3u);
    EXPECT_EQ(pibes_[1]->Nombre, "Luis");
    EXPECT_EQ(pibes_[1]->Ape1, "Pardo");
    EXPECT_TRUE(r.pibesCambiados);
    // Its file keeps its name; nothing is written for it.
    Terminar();
    EXPECT_EQ(Archivos("contactos").size(), 3u);
    EXPECT_TRUE(std::filesystem::exists(Ruta("contactos", "de-fuera.vcf")));
}

TEST_F(SincContactos, BorradoAquiSeBorraElArchivo)
{
    const std::string ruta = UnoEnviado();
    Empezar();
    s_->Olvidar(pibes_[0].get());
    pibes_.clear();
    ResumenSinc r = Terminar();
    EXPECT_EQ(r.borrados, 1u);
    EXPECT_FALSE(std::filesystem::exists(ruta));
}

TEST_F(SincContactos, BorradoEnLaCarpetaSeBorraElContacto)
{
    const std::string ruta = UnoEnviado();
    std::filesystem::remove(ruta);
    ResumenSinc r = Empezar();
    EXPECT_EQ(r.contactosBorrados, 1u);
    EXPECT_TRUE(pibes_.empty());
    Terminar();
    EXPECT_TRUE(Archivos("contactos").empty());
}

TEST_F(SincContactos, CambiadoEnLosDosLadosSeQuedanAmbos)
{
    const std::string ruta = UnoEnviado();
    Empezar();
    pibes_[0]->TfnoMovil = "622000000";
    Cambiar(ruta, "600111222", "633000000");
    // At the start of a run (a later exchange here): the folder's version
    // is a new contact with a new file, named in the summary.
    ResumenSinc r = Otra();
    ASSERT_EQ(r.conflictos.size(), 1u);
    EXPECT_EQ(r.conflictos[0], "Ana Ruiz");
    ASSERT_EQ(pibes_.size(), 2u);
    std::vector<std::string> moviles{pibes_[0]->TfnoMovil, pibes_[1]->TfnoMovil};
    std::sort(moviles.begin(), moviles.end());
    EXPECT_EQ(moviles, (std::vector<std::string>{"622000000", "633000000"}));
    EXPECT_NE(Leer(ruta).find("622000000"), std::string::npos);
    EXPECT_EQ(Archivos("contactos").size(), 2u);
    Terminar();
    EXPECT_EQ(Archivos("contactos").size(), 2u);
}

TEST_F(SincContactos, ConflictoAlTerminarLlegaComoContactoNuevoAlArrancar)
{
    const std::string ruta = UnoEnviado();
    Empezar();
    pibes_[0]->TfnoMovil = "622000000";
    Cambiar(ruta, "600111222", "633000000");
    ResumenSinc r = Terminar();
    EXPECT_EQ(r.conflictos.size(), 1u);
    EXPECT_EQ(pibes_.size(), 1u);
    EXPECT_NE(Leer(ruta).find("622000000"), std::string::npos);
    r = Empezar();
    EXPECT_EQ(r.contactosNuevos, 1u);
    EXPECT_EQ(r.conflictos, std::vector<std::string>{"Ana Ruiz"});
    ASSERT_EQ(pibes_.size(), 2u);
    EXPECT_EQ(pibes_[0]->TfnoMovil == "633000000" || pibes_[1]->TfnoMovil == "633000000", true);
}

TEST_F(SincContactos, CambiadoAquiYBorradoAlliGanaElLibro)
{
    const std::string ruta = UnoEnviado();
    Empezar();
    pibes_[0]->TfnoMovil = "644000000";
    std::filesystem::remove(ruta);
    Terminar();
    ASSERT_TRUE(std::filesystem::exists(ruta));
    EXPECT_NE(Leer(ruta).find("644000000"), std::string::npos);
}

TEST_F(SincContactos, BorradoAquiYCambiadoAlliVuelveElContacto)
{
    const std::string ruta = UnoEnviado();
    Empezar();
    s_->Olvidar(pibes_[0].get());
    pibes_.clear();
    Cambiar(ruta, "600111222", "655000000");
    Terminar();
    EXPECT_TRUE(std::filesystem::exists(ruta));
    ResumenSinc r = Empezar();
    EXPECT_EQ(r.contactosNuevos, 1u);
    ASSERT_EQ(pibes_.size(), 1u);
    EXPECT_EQ(pibes_[0]->TfnoMovil, "655000000");
}

TEST_F(SincContactos, UnContactoCambiadoConservaSuArchivoEnLaMismaSesion)
{
    const std::string ruta = UnoEnviado();
    Empezar();
    // Edited twice and exchanged in between: always an update.
    pibes_[0]->Nombre = "Anabel";
    Otra();
    pibes_[0]->Ape1 = "Ruiz Soto";
    Terminar();
    EXPECT_EQ(Archivos("contactos").size(), 1u);
    EXPECT_NE(Leer(ruta).find("Anabel"), std::string::npos);
}

TEST_F(SincContactos, TrasRecuperarLosDatosNadaSeBorra)
{
    const std::string ruta = UnoEnviado();
    Empezar();
    // The settings' recovery reads the data file anew: other addresses.
    pibes_[0] = std::make_unique<TPibe>(*pibes_[0]);
    s_->OlvidarDirecciones();
    ResumenSinc r = Terminar();
    EXPECT_EQ(r.escritos + r.borrados, 0u);
    EXPECT_TRUE(std::filesystem::exists(ruta));
}

TEST_F(SincContactos, ContactosIgualesSeEmparejanEnOrden)
{
    pibes_.push_back(SincPibe("Ana", "Ruiz"));
    pibes_.push_back(SincPibe("Ana", "Ruiz"));
    Empezar();
    Terminar();
    EXPECT_EQ(Archivos("contactos").size(), 2u);
    ResumenSinc r = Empezar();
    EXPECT_EQ(r.escritos + r.borrados + r.contactosNuevos, 0u);
    EXPECT_EQ(pibes_.size(), 2u);
}

TEST_F(SincContactos, LeidoPeroNoGuardadoSeLeeOtraVez)
{
    // A run that took the folder's change and ended without writing the
    // data files: the next start gets it again instead of undoing it.
    const std::string ruta = UnoEnviado();
    Cambiar(ruta, "600111222", "611000000");
    Empezar();
    pibes_[0]->TfnoMovil = "600111222";  // the data file as it still is
    s_.reset();
    ResumenSinc r = Empezar();
    EXPECT_EQ(r.borrados + r.escritos, 0u);
    ASSERT_EQ(pibes_.size(), 1u);
    EXPECT_EQ(pibes_[0]->TfnoMovil, "611000000");
    EXPECT_TRUE(std::filesystem::exists(ruta));
}

class SincSucesos : public SincBase {
protected:
    std::string UnoEnviado()
    {
        avisales_.push_back(SincAvisal(24, 12, 9999, "Nochebuena"));
        Empezar();
        Terminar();
        auto a = Archivos("sucesos");
        EXPECT_EQ(a.size(), 1u);
        return a.empty() ? std::string() : Ruta("sucesos", a[0]);
    }
    void Editar(std::unique_ptr<TAvisal> nuevo)
    {
        // The events editor deletes the old entry and appends the new one.
        const TAvisal* viejo = avisales_[0].get();
        s_->Reemplazado(viejo, nuevo.get());
        avisales_.erase(avisales_.begin());
        avisales_.push_back(std::move(nuevo));
    }
};

TEST_F(SincSucesos, NuevoCambiadoYBorradoAqui)
{
    const std::string ruta = UnoEnviado();
    EXPECT_NE(Leer(ruta).find("RRULE:FREQ=YEARLY"), std::string::npos);
    Empezar();
    Editar(SincAvisal(24, 12, 9999, "Nochebuena en casa"));
    EXPECT_EQ(Terminar().escritos, 1u);
    EXPECT_EQ(Archivos("sucesos").size(), 1u);
    EXPECT_NE(Leer(ruta).find("Nochebuena en casa"), std::string::npos);
    Empezar();
    s_->Olvidar(avisales_[0].get());
    avisales_.clear();
    EXPECT_EQ(Terminar().borrados, 1u);
    EXPECT_TRUE(Archivos("sucesos").empty());
}

TEST_F(SincSucesos, NuevoCambiadoYBorradoEnLaCarpeta)
{
    const std::string ruta = UnoEnviado();
    Cambiar(ruta, "SUMMARY:Nochebuena", "SUMMARY:Nochebuena con los primos");
    ResumenSinc r = Empezar();
    EXPECT_EQ(r.sucesosCambiados, 1u);
    ASSERT_EQ(avisales_.size(), 1u);
    EXPECT_EQ(avisales_[0]->Texto, "Nochebuena con los primos");
    Terminar();
    Poner(Ruta("sucesos", "otro.ics"),
          "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//y//ES\r\nBEGIN:VEVENT\r\nUID:otro\r\nDTSTAMP:20261201T000000Z\r\n"
          "DTSTART;VALUE=DATE:20270115\r\nSUMMARY:Cita\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    std::filesystem::remove(ruta);
    r = Empezar();
    EXPECT_EQ(r.sucesosNuevos, 1u);
    EXPECT_EQ(r.sucesosBorrados, 1u);
    ASSERT_EQ(avisales_.size(), 1u);
    EXPECT_EQ(avisales_[0]->Dia, 15);
    EXPECT_EQ(avisales_[0]->Mes, 1);
    EXPECT_EQ(avisales_[0]->Ano, 2027);
    EXPECT_TRUE(r.avisalesCambiados);
}

TEST_F(SincSucesos, ConflictoYSusVariantes)
{
    const std::string ruta = UnoEnviado();
    Empezar();
    Editar(SincAvisal(24, 12, 9999, "Aqui"));
    Cambiar(ruta, "SUMMARY:Nochebuena", "SUMMARY:Alli");
    ResumenSinc r = Otra();
    ASSERT_EQ(r.conflictos.size(), 1u);
    EXPECT_EQ(r.conflictos[0], "Alli");
    ASSERT_EQ(avisales_.size(), 2u);
    EXPECT_EQ(avisales_[0]->Texto, "Aqui");
    EXPECT_EQ(avisales_[1]->Texto, "Alli");
    EXPECT_NE(Leer(ruta).find("SUMMARY:Aqui"), std::string::npos);
    EXPECT_EQ(Archivos("sucesos").size(), 2u);
    Terminar();
}

TEST_F(SincSucesos, CambiadoAquiYBorradoAlliYAlReves)
{
    const std::string ruta = UnoEnviado();
    Empezar();
    Editar(SincAvisal(25, 12, 9999, "Navidad"));
    std::filesystem::remove(ruta);
    Terminar();
    ASSERT_TRUE(std::filesystem::exists(ruta));
    EXPECT_NE(Leer(ruta).find("SUMMARY:Navidad"), std::string::npos);

    Empezar();
    s_->Olvidar(avisales_[0].get());
    avisales_.clear();
    Cambiar(ruta, "SUMMARY:Navidad", "SUMMARY:Navidad!");
    Terminar();
    Empezar();
    ASSERT_EQ(avisales_.size(), 1u);
    EXPECT_EQ(avisales_[0]->Texto, "Navidad!");
}

TEST_F(SincSucesos, LoQueNingunaEntradaPuedeSerSeDejaEnPaz)
{
    std::filesystem::create_directories(vdir_ + "/sucesos");
    const std::string cabeza = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//y//ES\r\n";
    const std::string evento = "BEGIN:VEVENT\r\nUID:%\r\nDTSTAMP:20261201T000000Z\r\nSUMMARY:x\r\n";
    auto ev = [&](const char* uid, const char* resto) {
        std::string e = evento;
        e.replace(e.find('%'), 1, uid);
        return e + resto + "END:VEVENT\r\n";
    };
    Poner(Ruta("sucesos", "hora.ics"), cabeza + ev("hora", "DTSTART:20270115T100000Z\r\n") + "END:VCALENDAR\r\n");
    Poner(Ruta("sucesos", "semanal.ics"),
          cabeza + ev("semanal", "DTSTART;VALUE=DATE:20270115\r\nRRULE:FREQ=WEEKLY\r\n") + "END:VCALENDAR\r\n");
    Poner(Ruta("sucesos", "dos.ics"), cabeza + ev("a", "DTSTART;VALUE=DATE:20270115\r\n") +
                                          ev("b", "DTSTART;VALUE=DATE:20270116\r\n") + "END:VCALENDAR\r\n");
    ResumenSinc r = Empezar();
    EXPECT_EQ(r.noRepresentables, 3u);
    EXPECT_TRUE(avisales_.empty());
    Terminar();
    EXPECT_EQ(Archivos("sucesos").size(), 3u);
    EXPECT_NE(TextoResumenSinc(r).find("3 sucesos sin equivalente"), std::string::npos);
}

class SincFallos : public SincBase {};

TEST_F(SincFallos, ArchivoIlegibleSeAvisaYNoToca)
{
    pibes_.push_back(SincPibe("Ana", "Ruiz"));
    std::filesystem::create_directories(vdir_ + "/contactos");
    Poner(Ruta("contactos", "basura.vcf"), "esto no es una tarjeta\r\n");
    ResumenSinc r = Empezar();
    ASSERT_EQ(r.errores.size(), 1u);
    EXPECT_NE(r.errores[0].find("basura.vcf"), std::string::npos);
    EXPECT_EQ(pibes_.size(), 1u);
    Terminar();
    EXPECT_TRUE(std::filesystem::exists(Ruta("contactos", "basura.vcf")));
}

TEST_F(SincFallos, DosArchivosConElMismoUid)
{
    std::filesystem::create_directories(vdir_ + "/contactos");
    const std::string t = "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:igual\r\nN:Pardo;Luis;;;\r\nEND:VCARD\r\n";
    Poner(Ruta("contactos", "a.vcf"), t);
    Poner(Ruta("contactos", "b.vcf"), t);
    ResumenSinc r = Empezar();
    EXPECT_EQ(pibes_.size(), 1u);
    ASSERT_EQ(r.errores.size(), 1u);
    EXPECT_NE(r.errores[0].find("b.vcf"), std::string::npos);
    EXPECT_NE(r.errores[0].find("UID"), std::string::npos);
}

TEST_F(SincFallos, EstadoDanadoEsUnPrimerIntercambioSinBorrar)
{
    pibes_.push_back(SincPibe("Ana", "Ruiz"));
    pibes_.push_back(SincPibe("Luis", "Pardo"));
    Empezar();
    Terminar();
    // One contact gone here, one file gone there, and the state spoilt.
    std::string estado = Leer(estado_);
    estado[estado.size() / 2] ^= 1;
    Poner(estado_, estado);
    std::filesystem::remove(Ruta("contactos", Archivos("contactos")[0]));
    pibes_.pop_back();
    ResumenSinc r = Empezar();
    EXPECT_TRUE(r.primerIntercambio);
    ASSERT_EQ(r.errores.size(), 1u);
    EXPECT_NE(r.errores[0].find("da\xF1" "ado"), std::string::npos);
    EXPECT_EQ(r.borrados + r.contactosBorrados, 0u);
    Terminar();
    // Whatever was on either side is on both now, and nothing twice.
    EXPECT_EQ(pibes_.size() + 0, Archivos("contactos").size());
    EXPECT_GE(pibes_.size(), 1u);
    EXPECT_FALSE(Empezar().primerIntercambio);
}

TEST_F(SincFallos, CarpetaQueNoSePuedeCrear)
{
    std::ofstream(raiz_ + "/fichero") << "x";
    vdir_ = raiz_ + "/fichero/vdir";
    pibes_.push_back(SincPibe("Ana", "Ruiz"));
    ResumenSinc r = Empezar();
    ASSERT_FALSE(r.errores.empty());
    EXPECT_NE(r.errores[0].find("No se puede crear la carpeta"), std::string::npos);
    EXPECT_EQ(pibes_.size(), 1u);
}

TEST_F(SincFallos, UnaCarpetaQueFaltaNoVaciaElLibro)
{
    pibes_.push_back(SincPibe("Ana", "Ruiz"));
    pibes_.push_back(SincPibe("Luis", "Pardo"));
    Empezar();
    Terminar();
    // The folder is gone, as on a drive that is not mounted.
    std::filesystem::remove_all(vdir_);
    ResumenSinc r = Empezar();
    EXPECT_EQ(pibes_.size(), 2u);
    EXPECT_EQ(r.contactosBorrados, 0u);
    ASSERT_EQ(r.errores.size(), 1u);
    EXPECT_NE(r.errores[0].find("no est\xE1"), std::string::npos);
    Terminar();
    EXPECT_FALSE(std::filesystem::exists(vdir_));
    Empezar();
    EXPECT_EQ(pibes_.size(), 2u);
    // Back: nothing was lost on either side.
    Terminar();
}

// A full disk under the folder: every new file there fails.
class SincDiscoLleno : public SistemaArchivos {
public:
    std::string carpeta;
    int Abrir(const std::string& ruta, int flags, unsigned modo) override
    {
        if ((flags & O_CREAT) && ruta.rfind(carpeta, 0) == 0) return Fallo(ENOSPC);
        return SistemaArchivos::Abrir(ruta, flags, modo);
    }
};

TEST_F(SincFallos, CarpetaQueNoSePuedeEscribir)
{
    pibes_.push_back(SincPibe("Ana", "Ruiz"));
    std::filesystem::create_directories(vdir_);
    SincDiscoLleno lleno;
    lleno.carpeta = vdir_;
    SistemaArchivos::setInstancia(&lleno);
    ResumenSinc r = Empezar();
    Terminar();
    SistemaArchivos::setInstancia(nullptr);
    EXPECT_EQ(r.escritos, 0u);
    ASSERT_FALSE(r.errores.empty());
    EXPECT_EQ(pibes_.size(), 1u);
    // Written once there is room again: nothing was taken as done.
    r = Empezar();
    EXPECT_EQ(r.escritos, 1u);
    EXPECT_EQ(Archivos("contactos").size(), 1u);
}

TEST_F(SincFallos, OtraCarpetaVaciaNoVaciaElLibro)
{
    pibes_.push_back(SincPibe("Ana", "Ruiz"));
    Empezar();
    Terminar();
    vdir_ = raiz_ + "/otra";
    std::filesystem::create_directories(vdir_ + "/contactos");
    ResumenSinc r = Empezar();
    EXPECT_TRUE(r.primerIntercambio);
    EXPECT_EQ(pibes_.size(), 1u);
    EXPECT_EQ(Archivos("contactos").size(), 1u);
}

TEST_F(SincFallos, PrimerIntercambioConLoMismoEnLosDosLados)
{
    // A book and a folder that already agree (another computer, a lost
    // state file): paired, nothing doubled.
    pibes_.push_back(SincPibe("Ana", "Ruiz", "600111222"));
    Empezar();
    Terminar();
    std::filesystem::remove(estado_);
    ResumenSinc r = Empezar();
    EXPECT_EQ(r.escritos + r.contactosNuevos, 0u);
    EXPECT_EQ(pibes_.size(), 1u);
    EXPECT_EQ(Archivos("contactos").size(), 1u);
}

}  // namespace
