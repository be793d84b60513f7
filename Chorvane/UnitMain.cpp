#include "UnitMain.h"

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle("Chorvane");
    setFixedSize(530, 453);
}
