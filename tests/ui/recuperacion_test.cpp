// Nothing lost, nothing shown to others: the changes of a run that is
// killed come back at the next start if the user wants them, a book that
// another program replaced is kept aside, a damaged book is backed up once,
// and every file the program makes is private.
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/archivo.h"
#include "core/recuperacion.h"
#include "entorno.h"
#include "platform/bloqueo.h"

using namespace bindelora;

namespace {

class Recuperar : public EntornoIntercambio {
protected:
    std::string RecDat() const { return RutaRecuperacion(Dat()); }
    std::string RecAvs() const { return RutaRecuperacion(Avs()); }

    static bool Existe(const std::string& r) { return QFileInfo::exists(QString::fromStdString(r)); }

    static void AnadirContacto(TfrmBindelora* f, const QString& nombre, const QString& ape1)
    {
        f->btnNuevo->click();
        f->edtNombre->setText(nombre);
        f->edtApe1->setText(ape1);
        f->btnNuevo->click();
    }

    static void AnadirSuceso(TfrmBindelora* f, const QString& dia, const QString& mes, const QString& texto)
    {
        f->btnAvisal->click();
        f->btnAvisalNuevo->click();
        f->edtAvisalDia->setText(dia);
        f->edtAvisalMes->setText(mes);
        f->edtAvisalAno->setText(QStringLiteral("2030"));
        f->edtAvisalTexto->setText(texto);
        f->btnAvisalNuevo->click();
    }

    static std::vector<std::string> Nombres(const TfrmBindelora* f)
    {
        std::vector<std::string> r;
        for (const auto& p : f->ListaPibes) r.push_back(p->Nombre);
        std::sort(r.begin(), r.end());
        return r;
    }

    static std::vector<std::string> Textos(const TfrmBindelora* f)
    {
        std::vector<std::string> r;
        for (const auto& a : f->ListaAvisal) r.push_back(a->Texto);
        std::sort(r.begin(), r.end());
        return r;
    }

    void LibroDeAna()
    {
        ListaPibes l;
        l.push_back(Pibe("Ana", "Ruiz"));
        EscribirAgenda(l);
        Escribir(Avs(), "01012030Fiesta\r\n");
    }

    // The names in the data folder that start with prefijo.
    QStringList Archivos(const QString& prefijo) const
    {
        return QDir(carpeta.path()).entryList({prefijo + QLatin1Char('*')}, QDir::Files | QDir::Hidden, QDir::Name);
    }

    static unsigned Modo(const std::string& r)
    {
        struct stat st {};
        return ::lstat(r.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
    }
};

}  // namespace

TEST_F(Recuperar, ChangesReachTheRecoveryFilesAndTheNormalEndRemovesThem)
{
    LibroDeAna();
    const std::string dat = Leer(Dat()), avs = Leer(Avs());
    TfrmBindelora* f = Iniciar();
    // Nothing is kept aside while nothing changed.
    QTest::qWait(1200);
    EXPECT_FALSE(Existe(RecDat()));

    QElapsedTimer reloj;
    reloj.start();
    AnadirContacto(f, QStringLiteral("Berta"), QStringLiteral("Gil"));
    // The editor's action does not wait for the disk.
    EXPECT_FALSE(Existe(RecDat()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Existe(RecDat()) && Existe(RecAvs()); }, 2000));
    EXPECT_LT(reloj.elapsed(), 2000);
    ListaPibes copia;
    EXPECT_EQ(LeerAgenda(RecDat(), copia).estado, EstadoLectura::Completa);
    EXPECT_EQ(copia.size(), 2u);
    EXPECT_EQ(Leer(RecAvs()), avs);

    // An event, a deletion and an update each reach it too.
    AnadirSuceso(f, QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("Nuevo"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Leer(RecAvs()).find("05062030Nuevo") != std::string::npos; }, 2000));
    f->btnDatos->click();
    f->MostrarPibe(0);
    f->edtTfnoCasa->setText(QStringLiteral("555"));
    f->btnActualizarClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Leer(RecDat()).find("TFC:555") != std::string::npos; }, 2000));
    mensajes.siguienteRespuesta(RespuestaMensaje::Aceptar);
    f->btnEliminarClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return LeerAgenda(RecDat(), copia).estado == EstadoLectura::Completa &&
                                             copia.size() == 1u; }, 2000));
    // The data files keep the start of the run, for the settings' recovery.
    EXPECT_EQ(Leer(Dat()), dat);
    EXPECT_EQ(Leer(Avs()), avs);

    // A change just before the end is saved by the end itself.
    AnadirContacto(f, QStringLiteral("Carla"), QStringLiteral("Paz"));
    Cerrar();
    EXPECT_FALSE(Existe(RecDat()));
    EXPECT_FALSE(Existe(RecAvs()));
    EXPECT_NE(Leer(Dat()).find("NOM:Carla"), std::string::npos);
    EXPECT_NE(Leer(Avs()).find("05062030Nuevo"), std::string::npos);
    EXPECT_EQ(mensajes.cajas.size(), 1u);  // the deletion's question only
}

// Not a test of its own: the run that the next test starts as a process of
// its own and kills.
TEST_F(Recuperar, EjecucionQueSeraMatada)
{
    const QByteArray donde = qgetenv("BINDELORA_EJECUCION_MATADA");
    if (donde.isEmpty()) GTEST_SKIP() << "started only by KilledRunIsOfferedBackWithSiAndSetAsideWithNo";
    ruta.ruta = donde.toStdString() + "/bindelora";
    TfrmBindelora* f = Iniciar();
    AnadirContacto(f, QStringLiteral("Berta"), QStringLiteral("Gil"));
    AnadirSuceso(f, QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("Nuevo"));
    QTest::qWait(60000);
}

// The run is killed outright once its changes are in the recovery files;
// the next starts answer the question both ways.
TEST_F(Recuperar, KilledRunIsOfferedBackWithSiAndSetAsideWithNo)
{
    LibroDeAna();
    const std::string dat = Leer(Dat()), avs = Leer(Avs());
    QProcess hijo;
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    entorno.insert(QStringLiteral("BINDELORA_EJECUCION_MATADA"), carpeta.path());
    hijo.setProcessEnvironment(entorno);
    hijo.start(QCoreApplication::applicationFilePath(),
               {QStringLiteral("--gtest_filter=Recuperar.EjecucionQueSeraMatada")});
    ASSERT_TRUE(hijo.waitForStarted(20000));
    const bool escritos = QTest::qWaitFor(
        [&] {
            return Leer(RecDat()).find("NOM:Berta") != std::string::npos &&
                   Leer(RecAvs()).find("05062030Nuevo") != std::string::npos;
        },
        60000);
    hijo.kill();
    ASSERT_TRUE(hijo.waitForFinished(30000));
    ASSERT_TRUE(escritos) << hijo.readAll().toStdString();
    EXPECT_EQ(hijo.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(Leer(Dat()), dat);
    EXPECT_EQ(Leer(Avs()), avs);
    EXPECT_TRUE(Existe(carpeta.path().toStdString() + "/bindelora.lock"));
    const std::string copiaDat = Leer(RecDat()), copiaAvs = Leer(RecAvs());
    const QDateTime cuando = std::max(QFileInfo(QString::fromStdString(RecDat())).lastModified(),
                                      QFileInfo(QString::fromStdString(RecAvs())).lastModified());

    // "Sí": the book and the events of the killed run, before the first view.
    mensajes.siguienteRespuesta(RespuestaMensaje::Si);
    TfrmBindelora* f = Iniciar();
    ASSERT_FALSE(programa->Terminado());
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    const auto& caja = mensajes.cajas[0];
    EXPECT_EQ(caja.titulo, QStringLiteral("Recuperar cambios"));
    EXPECT_EQ(caja.texto, QStringLiteral("Bindelora no se cerró bien la última vez (el ") +
                              cuando.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" a las ") +
                              cuando.toString(QStringLiteral("HH:mm")) +
                              QStringLiteral("). ¿Quiere recuperar los cambios que no se guardaron?"));
    EXPECT_EQ(caja.botones, BotonesMensaje::SiNo);
    EXPECT_EQ(caja.icono, IconoMensaje::Pregunta);
    EXPECT_EQ(Nombres(f), (std::vector<std::string>{"Ana", "Berta"}));
    EXPECT_EQ(f->ListViewLista->NumFilas(), 2);
    EXPECT_EQ(Textos(f), (std::vector<std::string>{"Fiesta", "Nuevo"}));
    // Until this run ends normally the files are those of the last normal
    // end, which is what "Panic!" gives back; the copies stay meanwhile.
    EXPECT_EQ(Leer(Dat()), dat);
    EXPECT_EQ(Leer(Avs()), avs);
    EXPECT_TRUE(Existe(RecDat()));
    f->RecuperarAgenda();
    EXPECT_EQ(Nombres(f), std::vector<std::string>{"Ana"});
    f->RecuperarAvisal();
    EXPECT_EQ(Textos(f), std::vector<std::string>{"Fiesta"});
    mensajes.cajas.clear();
    Cerrar();
    EXPECT_TRUE(mensajes.cajas.empty());
    EXPECT_FALSE(Existe(RecDat()));
    EXPECT_FALSE(Existe(RecAvs()));

    // "No": the copies are set aside under ".descartado", over older ones,
    // and the run starts from the data files.
    Escribir(RecDat(), copiaDat);
    Escribir(RecAvs(), copiaAvs);
    Escribir(RecDat() + ".descartado", "una copia descartada antes");
    mensajes.cajas.clear();
    mensajes.siguienteRespuesta(RespuestaMensaje::No);
    f = Iniciar();
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(Nombres(f), std::vector<std::string>{"Ana"});
    EXPECT_FALSE(Existe(RecDat()));
    EXPECT_FALSE(Existe(RecAvs()));
    EXPECT_EQ(Leer(RecDat() + ".descartado"), copiaDat);
    EXPECT_EQ(Leer(RecAvs() + ".descartado"), copiaAvs);
    Cerrar();
    EXPECT_EQ(Leer(RecDat() + ".descartado"), copiaDat);
}

TEST_F(Recuperar, UnreadableCopyIsSetAsideAndTheDataFileUsed)
{
    LibroDeAna();
    Escribir(RecDat(), "VER:2.1\r\n----\r\nNOM:Rota\r\nAP1:\r\n");
    mensajes.siguienteRespuesta(RespuestaMensaje::Si);
    TfrmBindelora* f = Iniciar();
    ASSERT_EQ(mensajes.cajas.size(), 2u);
    EXPECT_EQ(mensajes.cajas[1].titulo, QStringLiteral("Recuperar cambios"));
    EXPECT_TRUE(mensajes.cajas[1].texto.contains(QString::fromStdString(RecDat() + ".descartado")));
    EXPECT_EQ(Nombres(f), std::vector<std::string>{"Ana"});
    EXPECT_TRUE(Existe(RecDat() + ".descartado"));
}

TEST_F(Recuperar, BookReplacedOnDiskDuringTheRunIsKeptAsOtra)
{
    LibroDeAna();
    TfrmBindelora* f = Iniciar();
    AnadirContacto(f, QStringLiteral("Berta"), QStringLiteral("Gil"));
    // Another program writes its own book meanwhile.
    ListaPibes otro;
    otro.push_back(Pibe("Otro", "Programa"));
    const std::string suyo = SerializarAgenda(otro);
    std::string error;
    ASSERT_TRUE(GuardarAgenda(Dat(), otro, error));
    Cerrar();
    const QStringList otras = Archivos(QStringLiteral("bindelora.dat.otra-"));
    ASSERT_EQ(otras.size(), 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^bindelora\\.dat\\.otra-\\d{8}-\\d{6}$")).match(otras[0]).hasMatch());
    const std::string apartado = carpeta.path().toStdString() + "/" + otras[0].toStdString();
    EXPECT_EQ(Leer(apartado), suyo);
    // This run's book is saved, and the user is told where the other went.
    EXPECT_NE(Leer(Dat()).find("NOM:Berta"), std::string::npos);
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].titulo, QStringLiteral("Archivo cambiado por otro programa"));
    EXPECT_TRUE(mensajes.cajas[0].texto.contains(QString::fromStdString(apartado)));
    // The events file, untouched by others, is just written.
    EXPECT_TRUE(Archivos(QStringLiteral("bindelora.avs.otra-")).isEmpty());

    // A book removed meanwhile leaves nothing to keep.
    mensajes.cajas.clear();
    Iniciar();
    std::remove(Dat().c_str());
    Cerrar();
    EXPECT_TRUE(mensajes.cajas.empty());
    EXPECT_TRUE(Existe(Dat()));
    // One that another program made where there was none is kept.
    std::remove(Dat().c_str());
    Iniciar();
    Escribir(Dat(), suyo);
    Cerrar();
    EXPECT_EQ(Archivos(QStringLiteral("bindelora.dat.otra-")).size(), 2);
}

TEST_F(Recuperar, DamagedBookIsBackedUpOnceAcrossRuns)
{
    const std::string danado =
        "VER:2.1\r\n----\r\n"
        "NOM:Ana\r\nAP1:Abad\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\nCUM:0\r\nAVS:0\r\n----\r\n----\r\n"
        "NOM:Luis\r\nAP1:Roto\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\nCUM:\r\nAVS:0\r\n----\r\n----\r\n";
    // The damaged file comes back each time (a run that cannot save it, a
    // user who puts it back): one backup in all, named every time.
    for (int vez = 0; vez < 3; ++vez) {
        Escribir(Dat(), danado);
        mensajes.cajas.clear();
        Iniciar();
        ASSERT_EQ(mensajes.cajas.size(), 1u);
        EXPECT_TRUE(mensajes.cajas[0].texto.contains(QString::fromStdString(Dat() + ".bak")));
        Cerrar();
    }
    EXPECT_EQ(Archivos(QStringLiteral("bindelora.dat.bak")), QStringList{QStringLiteral("bindelora.dat.bak")});
    // Other damage is other bytes: a second backup.
    Escribir(Dat(), danado + "NOM:Mas\r\n");
    Iniciar();
    Cerrar();
    EXPECT_EQ(Archivos(QStringLiteral("bindelora.dat.bak")).size(), 2);
}

TEST_F(Recuperar, EveryFileTheRunMakesIsPrivateAndReplacedOnesKeepTheirMode)
{
    const mode_t antes = ::umask(0);
    // A damaged book of the user's own mode, replaced at the end.
    Escribir(Dat(), "VER:2.1\r\n----\r\nNOM:Ana\r\nAP1:\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\nCUM:0\r\nAVS:0\r\n"
                    "----\r\n----\r\nNOM:Rota\r\n");
    ::chmod(Dat().c_str(), 0640);
    TfrmBindelora* f = Iniciar();
    AnadirContacto(f, QStringLiteral("Berta"), QStringLiteral("Gil"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Existe(RecDat()) && Existe(RecAvs()); }, 2000));
    const std::string lock = carpeta.path().toStdString() + "/bindelora.lock";
    EXPECT_EQ(Modo(lock), 0600u);
    dialogo.respuestas.push_back(EleccionArchivo{carpeta.path() + QStringLiteral("/contactos.vcf"), 0});
    f->mnuListaExportarVCardClick();
    dialogo.respuestas.push_back(EleccionArchivo{carpeta.path() + QStringLiteral("/sucesos.ics"), 0});
    f->mnuAvisalExportarICalendarClick();
    std::map<std::string, unsigned> modos;
    for (const QString& n : Archivos(QString()))
        modos[n.toStdString()] = Modo(carpeta.path().toStdString() + "/" + n.toStdString());
    Cerrar();
    for (const QString& n : Archivos(QString()))
        modos[n.toStdString()] = Modo(carpeta.path().toStdString() + "/" + n.toStdString());
    ::umask(antes);
    for (const char* n : {"bindelora.avs", "bindelora.lock", "bindelora.dat.bak", "bindelora.dat.recuperacion",
                          "bindelora.avs.recuperacion", "contactos.vcf", "sucesos.ics"})
        EXPECT_EQ(modos.count(n), 1u) << n;
    for (const auto& [nombre, modo] : modos)
        EXPECT_EQ(modo, nombre == "bindelora.dat" ? 0640u : 0600u) << nombre;
}

TEST_F(Recuperar, TwoProgramFoldersLinkedToOneBookExcludeEachOther)
{
    namespace fs = std::filesystem;
    const std::string raiz = fs::canonical(carpeta.path().toStdString()).string();
    for (const char* c : {"/libro", "/a", "/b"}) fs::create_directories(raiz + c);
    ListaPibes l;
    l.push_back(Pibe("Ana", "Ruiz"));
    std::string error;
    ASSERT_TRUE(GuardarAgenda(raiz + "/libro/bindelora.dat", l, error));
    for (const char* c : {"/a", "/b"}) {
        fs::create_symlink(raiz + "/libro/bindelora.dat", raiz + c + "/bindelora.dat");
        fs::create_symlink(raiz + "/libro/bindelora.avs", raiz + c + "/bindelora.avs");
    }
    ruta.ruta = raiz + "/a/bindelora";
    TfrmBindelora* f = Iniciar();
    ASSERT_FALSE(programa->Terminado());
    AnadirContacto(f, QStringLiteral("Berta"), QStringLiteral("Gil"));
    // The copies go beside the real book, where every way to it looks.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Existe(raiz + "/libro/bindelora.dat.recuperacion"); }, 2000));

    ruta.ruta = raiz + "/b/bindelora";
    {
        Programa otro({QStringLiteral("bindelora")});
        EXPECT_TRUE(otro.Terminado());
    }
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].texto, TextoYaAbierta(raiz + "/libro"));
    ruta.ruta = raiz + "/a/bindelora";
    Cerrar();
    // Saved through the links, which stay links.
    EXPECT_TRUE(fs::is_symlink(raiz + "/a/bindelora.dat"));
    EXPECT_NE(Leer(raiz + "/libro/bindelora.dat").find("NOM:Berta"), std::string::npos);
    EXPECT_FALSE(Existe(raiz + "/libro/bindelora.dat.recuperacion"));
}

namespace {

// A disk that is full for the files whose names start with prefijo.
class DiscoLleno : public SistemaArchivos {
public:
    explicit DiscoLleno(std::string p) : prefijo(std::move(p)) {}
    int Abrir(const std::string& ruta, int flags, unsigned modo) override
    {
        if ((flags & O_CREAT) && ruta.rfind(prefijo, 0) == 0) return Fallo(ENOSPC);
        return SistemaArchivos::Abrir(ruta, flags, modo);
    }
    std::string prefijo;
};

}  // namespace

TEST_F(Recuperar, FullDiskRefusesTheStartAndSaysWhy)
{
    LibroDeAna();
    const std::string dat = Leer(Dat()), avs = Leer(Avs());
    DiscoLleno disco(std::filesystem::canonical(carpeta.path().toStdString()).string() + "/");
    SistemaArchivos::setInstancia(&disco);
    Iniciar();
    SistemaArchivos::setInstancia(nullptr);
    ASSERT_TRUE(programa->Terminado());
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].titulo, QStringLiteral("Bindelora"));
    EXPECT_EQ(mensajes.cajas[0].icono, IconoMensaje::Error);
    EXPECT_TRUE(mensajes.cajas[0].texto.contains(QString::fromStdString(disco.prefijo + "bindelora.lock")));
    EXPECT_TRUE(mensajes.cajas[0].texto.contains(QString::fromStdString(DescribirError(ENOSPC))));
    Cerrar();
    EXPECT_EQ(Leer(Dat()), dat);
    EXPECT_EQ(Leer(Avs()), avs);
    EXPECT_EQ(Archivos(QString()), (QStringList{QStringLiteral("bindelora.avs"), QStringLiteral("bindelora.dat")}));
    EXPECT_FALSE(registro.existe);
}

TEST_F(Recuperar, SaveThatFailsLeavesTheLastChangesForTheNextStart)
{
    LibroDeAna();
    const std::string dat = Leer(Dat());
    TfrmBindelora* f = Iniciar();
    // Closed at once: the copy's timer has not fired yet.
    AnadirContacto(f, QStringLiteral("Berta"), QStringLiteral("Gil"));
    DiscoLleno disco(RutaReal(Dat()) + ".tmp-");
    SistemaArchivos::setInstancia(&disco);
    Cerrar();
    SistemaArchivos::setInstancia(nullptr);
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].titulo, QStringLiteral("Error al guardar"));
    EXPECT_EQ(Leer(Dat()), dat);
    EXPECT_NE(Leer(RecDat()).find("NOM:Berta"), std::string::npos);
    // The events were saved: their copy is gone.
    EXPECT_FALSE(Existe(RecAvs()));

    mensajes.siguienteRespuesta(RespuestaMensaje::Si);
    f = Iniciar();
    EXPECT_EQ(Nombres(f), (std::vector<std::string>{"Ana", "Berta"}));
    Cerrar();
    EXPECT_NE(Leer(Dat()).find("NOM:Berta"), std::string::npos);
    EXPECT_FALSE(Existe(RecDat()));
}

TEST_F(Recuperar, CopiesThatCannotBeWrittenAreToldOnceAndTheExitSaveStillWrites)
{
    LibroDeAna();
    TfrmBindelora* f = Iniciar();
    DiscoLleno disco(std::filesystem::canonical(carpeta.path().toStdString()).string() + "/");
    SistemaArchivos::setInstancia(&disco);
    for (const char* nombre : {"Berta", "Carla", "Dora"}) {
        AnadirContacto(f, QString::fromLatin1(nombre), QStringLiteral("Gil"));
        QTest::qWait(1300);
    }
    SistemaArchivos::setInstancia(nullptr);
    ASSERT_EQ(mensajes.cajas.size(), 1u);
    EXPECT_EQ(mensajes.cajas[0].titulo, QStringLiteral("Recuperar cambios"));
    EXPECT_TRUE(mensajes.cajas[0].texto.contains(QString::fromStdString(DescribirError(ENOSPC))));
    Cerrar();
    EXPECT_NE(Leer(Dat()).find("NOM:Dora"), std::string::npos);
}
