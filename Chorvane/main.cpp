#include "UnitMain.h"
#include "program_windows.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Chorvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Chorvane"));
    QApplication::setDesktopFileName(QStringLiteral("chorvane"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("chorvane"), QIcon(QStringLiteral(":/chorvane.svg"))));
    ProgramWindows windows;
    // Centred on the desktop at start.
    TfrmMain& frmMain = windows.frmMain();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        frmMain.move(screen->availableGeometry().center() - frmMain.rect().center());
    frmMain.show();
    return QApplication::exec();
}
