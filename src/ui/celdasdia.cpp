#include "celdasdia.h"

#include <QKeyEvent>
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

void TEtiquetaDia::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Left: emit Mover(this, -1, 0); break;
    case Qt::Key_Right: emit Mover(this, 1, 0); break;
    case Qt::Key_Up: emit Mover(this, 0, -1); break;
    case Qt::Key_Down: emit Mover(this, 0, 1); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: Pulsar(); break;
    default: QLabel::keyPressEvent(e); return;
    }
    e->accept();
}

void TEtiquetaDia::paintEvent(QPaintEvent* e)
{
    QLabel::paintEvent(e);
    if (!hasFocus()) return;
    // Dotted, inside the cell: the day's mark around it stays as it is.
    QPainter p(this);
    QPen pen(palette().color(QPalette::WindowText));
    pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TEtiquetaDia::focusInEvent(QFocusEvent* e)
{
    QLabel::focusInEvent(e);
    update();
}

void TEtiquetaDia::focusOutEvent(QFocusEvent* e)
{
    QLabel::focusOutEvent(e);
    update();
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
