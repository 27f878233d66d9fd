#include "platform/mensajes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

using namespace bindelora;

TEST(Mensajes, FalsosSiguenElGuionYLuegoAfirman)
{
    MensajesFalsos falsos;
    Mensajes::setInstancia(&falsos);
    falsos.siguienteRespuesta(RespuestaMensaje::No);
    auto si = BotonesMensaje::SiNo, ac = BotonesMensaje::AceptarCancelar;
    EXPECT_EQ(Mensajes::mostrar(nullptr, "¿Borrar?", "Bindelora", IconoMensaje::Pregunta, si), RespuestaMensaje::No);
    EXPECT_EQ(Mensajes::mostrar(nullptr, "t", "c", IconoMensaje::Pregunta, si), RespuestaMensaje::Si);
    EXPECT_EQ(Mensajes::mostrar(nullptr, "t", "c", IconoMensaje::Aviso, ac), RespuestaMensaje::Aceptar);
    Mensajes::setInstancia(nullptr);
    EXPECT_NE(dynamic_cast<MensajesQt*>(&Mensajes::instancia()), nullptr);

    ASSERT_EQ(falsos.cajas.size(), 3u);
    EXPECT_EQ(falsos.cajas[0].texto, "¿Borrar?");
    EXPECT_EQ(falsos.cajas[0].titulo, "Bindelora");
    EXPECT_EQ(falsos.cajas[2].icono, IconoMensaje::Aviso);
    EXPECT_EQ(falsos.cajas[2].botones, ac);
}

namespace {

// Shows a real box and lets `accion` act on it once it is up.
RespuestaMensaje ConCaja(IconoMensaje icono, BotonesMensaje botones, const std::function<void(QMessageBox*)>& accion)
{
    QTimer sondeo;
    sondeo.setInterval(10);
    QObject::connect(&sondeo, &QTimer::timeout, [&] {
        if (auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            sondeo.stop();
            accion(caja);
        }
    });
    sondeo.start();
    return MensajesQt().Mostrar(nullptr, "Texto", "Título", icono, botones);
}

}  // namespace

TEST(Mensajes, CajaRealEnEspanol)
{
    QStringList textos;
    QMessageBox::Icon icono = QMessageBox::NoIcon;
    auto mirarYEscapar = [&](QMessageBox* caja) {
        textos.clear();
        for (QAbstractButton* b : caja->buttons())
            textos << b->text();
        textos.sort();
        icono = caja->icon();
        EXPECT_EQ(caja->windowTitle(), "Título");
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(caja, &escape);
    };
    EXPECT_EQ(ConCaja(IconoMensaje::Pregunta, BotonesMensaje::SiNo, mirarYEscapar), RespuestaMensaje::No);
    EXPECT_EQ(textos, (QStringList{"&No", "&Sí"}));
    EXPECT_EQ(icono, QMessageBox::Question);
    EXPECT_EQ(ConCaja(IconoMensaje::Aviso, BotonesMensaje::AceptarCancelar, mirarYEscapar), RespuestaMensaje::Cancelar);
    EXPECT_EQ(textos, (QStringList{"Aceptar", "Cancelar"}));
    EXPECT_EQ(icono, QMessageBox::Warning);
    EXPECT_EQ(ConCaja(IconoMensaje::Error, BotonesMensaje::Aceptar, mirarYEscapar), RespuestaMensaje::Aceptar);
    EXPECT_EQ(icono, QMessageBox::Critical);

    auto pulsarSi = [](QMessageBox* caja) {
        for (QAbstractButton* b : caja->buttons())
            if (b->text() == "&Sí")
                b->click();
    };
    EXPECT_EQ(ConCaja(IconoMensaje::Pregunta, BotonesMensaje::SiNo, pulsarSi), RespuestaMensaje::Si);
}

TEST(Mensajes, SiNoRespondenALasTeclasSyN)
{
    auto tecla = [](Qt::Key k, const char* texto) {
        return [k, texto](QMessageBox* caja) {
            QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier, QString::fromLatin1(texto));
            QApplication::sendEvent(caja, &e);
        };
    };
    EXPECT_EQ(ConCaja(IconoMensaje::Pregunta, BotonesMensaje::SiNo, tecla(Qt::Key_N, "n")), RespuestaMensaje::No);
    EXPECT_EQ(ConCaja(IconoMensaje::Pregunta, BotonesMensaje::SiNo, tecla(Qt::Key_S, "s")), RespuestaMensaje::Si);
}
