#pragma once
// The settings dialog.
#include <QDialog>

#include "ui_frmconfig.h"

class TfrmConfig : public QDialog, public Ui::TfrmConfig {
    Q_OBJECT
public:
    explicit TfrmConfig(QWidget* parent = nullptr);
};

extern TfrmConfig* frmConfig;
