#pragma once
#include <QLabel>

// A label that also reports the mouse entering and leaving it, and clicks.
class TLabel2 : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void OnMouseEnter(TLabel2* sender);
    void OnMouseLeave(TLabel2* sender);
    void OnClick(TLabel2* sender);

protected:
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
};
