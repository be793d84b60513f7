#include "UnitMain.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Chorvane");
    QApplication::setDesktopFileName("chorvane");
    TfrmMain frmMain;
    frmMain.show();
    return QApplication::exec();
}
