#include "celdasdia.h"

#include <QMouseEvent>
#include <QPainter>

TEtiquetaDia::TEtiquetaDia(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(false);
}

void TEtiquetaDia::FijarDia(int dia, const QColor& color, bool vecino)
{
    vecino_ = vecino;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
    setText(QString::number(dia));
}

void TEtiquetaDia::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        emit Pulsada(this);
        e->accept();
        return;
    }
    QLabel::mousePressEvent(e);
}

TMarcaDia::TMarcaDia(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TMarcaDia::Fijar(const QColor& brocha, const QColor& pluma, int grosor)
{
    if (brocha == brocha_ && pluma == pluma_ && grosor == grosor_) return;
    brocha_ = brocha;
    pluma_ = pluma;
    grosor_ = grosor;
    update();
}

void TMarcaDia::FijarPluma(const QColor& pluma, int grosor)
{
    Fijar(brocha_, pluma, grosor);
}

void TMarcaDia::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(brocha_);
    QPen pen(pluma_);
    pen.setWidth(grosor_);
    p.setPen(pen);
    // The pen's middle runs half its width inside the edge.
    const qreal m = grosor_ / 2.0;
    p.drawEllipse(QRectF(m, m, width() - grosor_, height() - grosor_));
}
