#include "frmconfig.h"

TfrmConfig* frmConfig = nullptr;

TfrmConfig::TfrmConfig(QWidget* parent) : QDialog(parent)
{
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
}
