#pragma once
// The about window.
#include <QDialog>

#include "ui_frmabout.h"

class TfrmAbout : public QDialog, public Ui::TfrmAbout {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);
};

extern TfrmAbout* frmAbout;
