// Not a test by itself: runs one take in the program's windows, says "finished" on
// standard output when the take has ended, and then waits to be killed.
// Usage: history_take_and_wait <program folder> <accompaniment>
#include "UnitMain.h"
#include "message_box.h"
#include "program_windows.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) return 2;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    message_box::SetSink([](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
    ProgramWindows windows(nullptr, argv[1]);
    TfrmMain& main = windows.frmMain();
    main.show();
    QObject::connect(&main, &TfrmMain::takeFinished, [] {
        std::printf("finished\n");
        std::fflush(stdout);
    });
    main.EditKaraokeFile->setText(QString::fromLocal8Bit(argv[2]));
    main.ButtonRecord->click();
    if (main.takeState() != 1) return 1;
    return app.exec();
}
