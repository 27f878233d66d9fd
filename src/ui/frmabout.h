#pragma once
// The about window.
#include <QDialog>
#include <QRect>
#include <string>

#include "ui_frmabout.h"

class QPainter;

class TfrmAbout : public QDialog, public Ui::TfrmAbout {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    void FormCreate();
    // Appends a line: the caption holds a NUL and the colour in decimal
    // (red in the low byte), the second column the text.
    void AgregarLinea(unsigned color, const std::string& texto);
    void img1MouseDown();
    void Image1Click();
    void btnSalirClick();
    // Draws one cell of ListView (the caption column only gets the background).
    void ListViewDrawItem(QPainter* p, const QRect& celda, int fila, int columna);

    // The colour a row's caption names, as ListViewDrawItem reads it.
    static QColor ColorDeFila(const std::string& caption);

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
};

// "8-Diciembre-2026" from the compiler's date ("Dec  8 2026").
std::string FechaCompilacion(const char* fecha);

extern TfrmAbout* frmAbout;
