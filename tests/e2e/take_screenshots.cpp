// Starts a take of the demo song and saves the main window and the display window
// with its lyrics as PNG files:  take_screenshots <folder>
#include "UnitDisplay.h"
#include "UnitMain.h"
#include "event_loop.h"
#include "program_windows.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: take_screenshots <folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    ProgramWindows windows;
    TfrmMain& main = windows.frmMain();
    main.show();
    test_support::SpinFor(500);
    const QString demo = QDir(QCoreApplication::applicationDirPath()).filePath("demo/Lights Are Low.mp3");
    main.AccompanimentChosen(demo);
    main.ButtonRecord->click();
    test_support::SpinFor(9000);  // into the first verse
    const bool saved = main.grab().save(out.filePath("main-window.png")) &&
                       windows.frmDisplay().grab().save(out.filePath("display-lyrics.png"));
    main.ButtonRecordClick();
    test_support::SpinFor(300);
    return saved ? 0 : 1;
}
