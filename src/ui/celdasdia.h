#pragma once
// The day cells of the month calendar: a day label that knows whether it
// shows a neighbouring month's day and tells its clicks, and the ellipse
// behind it.
#include <QColor>
#include <QLabel>
#include <QWidget>

class TEtiquetaDia : public QLabel {
    Q_OBJECT
public:
    explicit TEtiquetaDia(QWidget* parent = nullptr);

    // Set with the day number, so a click need not read the colour back.
    bool Vecino() const { return vecino_; }
    void FijarDia(int dia, const QColor& color, bool vecino);
    QColor ColorTexto() const { return palette().color(QPalette::WindowText); }
    // What a click does, for Enter, Space and a screen reader's press.
    void Pulsar() { emit Pulsada(this); }

signals:
    void Pulsada(TEtiquetaDia* etiqueta);
    // An arrow key: columns and rows to move the focus by.
    void Mover(TEtiquetaDia* etiqueta, int columnas, int filas);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    bool vecino_ = false;
};

// An ellipse filling its widget, painted without antialiasing; a thick pen
// is drawn inside the bounds, as a shape control draws it, so a ring of two
// pixels is not clipped.
class TMarcaDia : public QWidget {
    Q_OBJECT
public:
    explicit TMarcaDia(QWidget* parent = nullptr);

    void Fijar(const QColor& brocha, const QColor& pluma, int grosor);
    void FijarPluma(const QColor& pluma, int grosor);
    QColor Brocha() const { return brocha_; }
    QColor Pluma() const { return pluma_; }
    int Grosor() const { return grosor_; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QColor brocha_;
    QColor pluma_;
    int grosor_ = 1;
};
