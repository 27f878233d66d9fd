#pragma once
// The window that lists today's events.
#include <QDialog>
#include <string>

#include "ui_frmsucesoshoy.h"

class TfrmSucesosHoy : public QDialog, public Ui::TfrmSucesosHoy {
    Q_OBJECT
public:
    explicit TfrmSucesosHoy(QWidget* parent = nullptr);

    void FormCreate();
    // Appends a row (the list keeps itself in order) and sizes the column.
    void AnadirSuceso(const std::string& texto);
    void btnSalirClick();
    void Image1Click();
    void ImageFondoMouseDown();

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
};

extern TfrmSucesosHoy* frmSucesosHoy;
