#include "platform/mensajes.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

namespace bindelora {

namespace {

QMessageBox::Icon IconoQt(IconoMensaje icono)
{
    switch (icono) {
    case IconoMensaje::Aviso: return QMessageBox::Warning;
    case IconoMensaje::Error: return QMessageBox::Critical;
    case IconoMensaje::Pregunta: return QMessageBox::Question;
    case IconoMensaje::Informacion: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

RespuestaMensaje MensajesQt::Mostrar(QWidget* dueno, const QString& texto, const QString& titulo,
                                     IconoMensaje icono, BotonesMensaje botones)
{
    // The texts break lines with bare carriage returns, as the old boxes
    // did; a Qt label only breaks at line feeds.
    QString lineas = texto;
    lineas.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox caja(IconoQt(icono), titulo, lineas, QMessageBox::NoButton, dueno);

    // Standard buttons keep their roles (Enter, Escape, platform order) while
    // the Spanish text replaces whatever translation Qt would pick.
    auto anadir = [&caja](QMessageBox::StandardButton b, const char* textoBoton) {
        QPushButton* boton = caja.addButton(b);
        boton->setText(QString::fromUtf8(textoBoton));
        return boton;
    };

    QAbstractButton* si = nullptr;
    switch (botones) {
    case BotonesMensaje::Aceptar: {
        QPushButton* aceptar = anadir(QMessageBox::Ok, "Aceptar");
        caja.setDefaultButton(aceptar);
        caja.setEscapeButton(aceptar);
        si = aceptar;
        break;
    }
    case BotonesMensaje::AceptarCancelar: {
        QPushButton* aceptar = anadir(QMessageBox::Ok, "Aceptar");
        QPushButton* cancelar = anadir(QMessageBox::Cancel, "Cancelar");
        caja.setDefaultButton(aceptar);
        caja.setEscapeButton(cancelar);
        si = aceptar;
        break;
    }
    case BotonesMensaje::SiNo: {
        // The underlined letters answer the box: "S" and "N" on their own.
        QPushButton* boton = anadir(QMessageBox::Yes, "&Sí");
        QPushButton* no = anadir(QMessageBox::No, "&No");
        caja.setDefaultButton(boton);
        caja.setEscapeButton(no);
        si = boton;
        break;
    }
    }

    caja.exec();
    // Anything but the affirmative button, including a box closed some other
    // way, is the negative answer (the only answer for the single button).
    const bool afirmativa = caja.clickedButton() == si || botones == BotonesMensaje::Aceptar;
    switch (botones) {
    case BotonesMensaje::Aceptar:
    case BotonesMensaje::AceptarCancelar:
        return afirmativa ? RespuestaMensaje::Aceptar : RespuestaMensaje::Cancelar;
    case BotonesMensaje::SiNo:
        return afirmativa ? RespuestaMensaje::Si : RespuestaMensaje::No;
    }
    return RespuestaMensaje::Cancelar;
}

RespuestaMensaje MensajesFalsos::Mostrar(QWidget* dueno, const QString& texto, const QString& titulo,
                                         IconoMensaje icono, BotonesMensaje botones)
{
    cajas.push_back(Caja{texto, titulo, icono, botones, dueno});
    if (!respuestas.empty()) {
        const RespuestaMensaje r = respuestas.front();
        respuestas.pop_front();
        return r;
    }
    return botones == BotonesMensaje::SiNo ? RespuestaMensaje::Si : RespuestaMensaje::Aceptar;
}

}  // namespace bindelora
