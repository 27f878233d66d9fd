#pragma once
// What a screen reader and the keyboard meet in the windows: names, pictures
// left out of the accessibility tree, pictures that act as buttons, the
// views behind the front one, and a focus ring for the picture buttons.
#include <QWidget>
#include <QString>
#include <initializer_list>

class QAbstractButton;
class QLabel;
class QWidget;

namespace bindelora::accesible {

// Once per run, before the first window asks for its tree.
void InstalarFabrica();

void Nombrar(QWidget* w, const QString& nombre, const QString& descripcion = {});
// A picture that only decorates: it leaves the tree.
void Adorno(QWidget* w);
// A picture that acts as a button: its press action is a left click.
void BotonDibujo(QLabel* w, const QString& nombre);
// One of the stacked views: the tree shows only the one in front.
void Vista(QWidget* panel, const QString& nombre);
bool EsVista(const QWidget* w);
bool EnFrente(const QWidget* panel);
// A text that does not fit its fixed box gets its whole text as a tooltip;
// checked again whenever the font changes.
void AvisarTextoCortado(QWidget* w);
// The same for every label and button of a window that shows a text.
void AvisarTextosCortados(QWidget* ventana);

// A dotted ring inside whichever of the buttons has the keyboard focus;
// the buttons look as before while they have none.
class AnilloFoco : public QWidget {
    Q_OBJECT
public:
    AnilloFoco(QWidget* ventana, std::initializer_list<QAbstractButton*> botones);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QWidget* boton_ = nullptr;
};

}  // namespace bindelora::accesible
