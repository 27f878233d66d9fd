// The sound player's refusals, the file dialog's fake and the hand-made
// window drag.
#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWidget>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/dialogo_archivo.h"
#include "platform/sonido.h"
#include "platform/ventanas.h"

using namespace bindelora;

TEST(Sonido, SoloArchivosNormalesNoVaciosYDeTamanoRazonable)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString bueno = dir.filePath("bueno.wav"), vacio = dir.filePath("vacio.wav"),
                  fifo = dir.filePath("tubo.wav"), enlace = dir.filePath("enlace.wav");
    std::ofstream(bueno.toStdString()) << "RIFF....WAVE";
    std::ofstream(vacio.toStdString());
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(fifo, enlace));

    EXPECT_TRUE(EsArchivoDeSonido(bueno));
    EXPECT_FALSE(EsArchivoDeSonido(QString()));
    EXPECT_FALSE(EsArchivoDeSonido(vacio));
    EXPECT_FALSE(EsArchivoDeSonido(dir.path()));            // a folder
    EXPECT_FALSE(EsArchivoDeSonido(fifo));                  // would block on open
    EXPECT_FALSE(EsArchivoDeSonido(enlace));                // a link to the FIFO
    EXPECT_FALSE(EsArchivoDeSonido(dir.filePath("no.wav")));
    EXPECT_FALSE(EsArchivoDeSonido("/dev/zero"));           // a device never ends

    // The real player returns at once whatever it is given, the FIFO too.
    SonidoQt real;
    real.Reproducir(fifo);
    real.Reproducir(QString());
    real.Reproducir(vacio);
    // Not a WAV, then a real one twice (the second replaces the first):
    // neither waits for the sound nor fails without an audio device.
    real.Reproducir(bueno);
    const QString wav = dir.filePath("tono.wav");
    {
        std::ofstream f(wav.toStdString(), std::ios::binary);
        auto u32 = [&f](std::uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
        auto u16 = [&f](std::uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
        const std::uint32_t muestras = 800;
        f.write("RIFF", 4); u32(36 + muestras * 2); f.write("WAVEfmt ", 8);
        u32(16); u16(1); u16(1); u32(8000); u32(16000); u16(2); u16(16);
        f.write("data", 4); u32(muestras * 2);
        for (std::uint32_t i = 0; i < muestras; ++i) u16(static_cast<std::uint16_t>((i % 16) * 1000));
    }
    real.Reproducir(wav);
    real.Reproducir(wav);
    QCoreApplication::processEvents();
}

TEST(Sonido, ServiciosSustituibles)
{
    SonidoFalso sonido;
    Sonido::setInstancia(&sonido);
    Sonido::instancia().Reproducir("/x/a.wav");
    Sonido::setInstancia(nullptr);
    EXPECT_EQ(sonido.sonidos, (std::vector<QString>{"/x/a.wav"}));
    EXPECT_NE(dynamic_cast<SonidoQt*>(&Sonido::instancia()), nullptr);

    DialogoArchivoFalso dialogo;
    dialogo.respuestas.push_back("/x/b.wav");
    DialogoArchivo::setInstancia(&dialogo);
    EXPECT_EQ(DialogoArchivo::instancia().ElegirArchivo(nullptr, "t", "/x", "a.wav", {"f"}), "/x/b.wav");
    EXPECT_EQ(DialogoArchivo::instancia().ElegirArchivo(nullptr, "t", "/x", "", {"f"}), QString());
    DialogoArchivo::setInstancia(nullptr);
    ASSERT_EQ(dialogo.aperturas.size(), 2u);
    EXPECT_EQ(dialogo.aperturas[0].nombre, "a.wav");
    EXPECT_NE(dynamic_cast<DialogoArchivoQt*>(&DialogoArchivo::instancia()), nullptr);
}

TEST(Ventanas, ArrastreAManoSigueAlRatonHastaSoltar)
{
    QWidget ventana;
    ventana.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    ventana.setGeometry(100, 100, 200, 100);
    ventana.show();
    const QPoint origen = ventana.pos();
    auto raton = [&](QEvent::Type tipo, QPoint global, Qt::MouseButtons botones) {
        QMouseEvent e(tipo, QPointF(5, 5), QPointF(global), tipo == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      botones, Qt::NoModifier);
        QApplication::sendEvent(&ventana, &e);
    };
    ArrastrarAMano(&ventana, QPoint(500, 500));
    raton(QEvent::MouseMove, QPoint(530, 490), Qt::LeftButton);
    EXPECT_EQ(ventana.pos(), origen + QPoint(30, -10));
    raton(QEvent::MouseMove, QPoint(510, 520), Qt::LeftButton);
    EXPECT_EQ(ventana.pos(), origen + QPoint(10, 20));
    raton(QEvent::MouseButtonRelease, QPoint(510, 520), Qt::NoButton);
    // Released: later moves leave it alone.
    raton(QEvent::MouseMove, QPoint(700, 700), Qt::NoButton);
    EXPECT_EQ(ventana.pos(), origen + QPoint(10, 20));
    QCoreApplication::processEvents();
}

TEST(Ventanas, SinGestorDeVentanasElServicioArrastraAMano)
{
    // The offscreen platform, like a bare X server, does not move windows.
    QWidget ventana;
    ventana.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    ventana.setGeometry(50, 60, 120, 80);
    ventana.show();
    QCursor::setPos(100, 100);
    if (QCursor::pos() != QPoint(100, 100)) GTEST_SKIP() << "no cursor on this platform";
    const QPoint origen = ventana.pos();
    VentanasQt().Arrastrar(&ventana);
    QMouseEvent mover(QEvent::MouseMove, QPointF(5, 5), QPointF(140, 90), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&ventana, &mover);
    QMouseEvent soltar(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(140, 90), Qt::LeftButton, Qt::NoButton,
                       Qt::NoModifier);
    QApplication::sendEvent(&ventana, &soltar);
    EXPECT_EQ(ventana.pos(), origen + QPoint(40, -10));
    QCoreApplication::processEvents();
}
