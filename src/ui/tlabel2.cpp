#include "tlabel2.h"

#include <QMouseEvent>

void TLabel2::enterEvent(QEnterEvent* e)
{
    QLabel::enterEvent(e);
    emit OnMouseEnter(this);
}

void TLabel2::leaveEvent(QEvent* e)
{
    QLabel::leaveEvent(e);
    emit OnMouseLeave(this);
}

void TLabel2::mouseReleaseEvent(QMouseEvent* e)
{
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit OnClick(this);
}
