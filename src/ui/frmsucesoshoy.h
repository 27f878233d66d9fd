#pragma once
// The window that lists today's events.
#include <QDialog>

#include "ui_frmsucesoshoy.h"

class TfrmSucesosHoy : public QDialog, public Ui::TfrmSucesosHoy {
    Q_OBJECT
public:
    explicit TfrmSucesosHoy(QWidget* parent = nullptr);
};

extern TfrmSucesosHoy* frmSucesosHoy;
