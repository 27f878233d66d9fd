#include "frmsucesoshoy.h"

TfrmSucesosHoy* frmSucesosHoy = nullptr;

TfrmSucesosHoy::TfrmSucesosHoy(QWidget* parent) : QDialog(parent)
{
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(size());
}
