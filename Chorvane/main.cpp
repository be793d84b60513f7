#include "UnitMain.h"
#include "program_windows.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Chorvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Chorvane"));
    QApplication::setDesktopFileName(QStringLiteral("chorvane"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("chorvane"), QIcon(QStringLiteral(":/chorvane.svg"))));
    ProgramWindows windows;
    windows.frmMain().show();
    return QApplication::exec();
}
