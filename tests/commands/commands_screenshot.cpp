// Not a test: the main window with its menu bar, in the Silver skin with the Options menu
// open and in the dark SportsBlack skin, saved as <folder>/main-window-commands.png and
// <folder>/main-window-commands-dark.png (the README's pictures).
#include "UnitMain.h"
#include "UnitMainCommands.h"
#include "UnitSkin.h"
#include "Unit_common.h"
#include "event_loop.h"
#include "fake_mixers.h"
#include "message_box.h"
#include "profile.h"
#include "program_windows.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// The window as drawn, with the Options menu drawn open under its title.
QImage WindowWithOptionsMenu(TfrmMain& main, TMainCommands& commands)
{
    QMenu* options = main.findChild<QMenu*>(QStringLiteral("N2"));
    QMenuBar* bar = commands.menuBar();
    const QRect title = bar->actionGeometry(options->menuAction());
    const QPoint at = bar->mapTo(&main, title.bottomLeft());
    options->popup(main.mapToGlobal(at));
    test_support::SpinFor(50);
    QImage window = main.grab().toImage();
    const QImage menu = options->grab().toImage();
    options->close();
    QImage picture(window.width(), std::max(window.height(), at.y() + menu.height()), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawImage(0, 0, window);
    painter.drawImage(at, menu);
    return picture;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    QTemporaryDir folder;
    qputenv("HOME", folder.path().toLocal8Bit());
    message_box::SetSink([](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
    ProgramWindows windows(std::make_unique<mixer::FakeMixerLibraries>(true), folder.path().toStdString());
    profile::WriteString(windows.frmCommon().ConfigPath(), "common", "language", "2");
    profile::WriteString(windows.frmCommon().ConfigPath(), "setting", "displayHelpDialog", "0");
    TfrmMain& main = windows.frmMain();
    main.show();
    test_support::SpinFor(100);
    struct Picture {
        int skin;
        const char* name;
        bool menuOpen;
    };
    for (const Picture& p : {Picture{10, "main-window-commands.png", true}, Picture{11, "main-window-commands-dark.png", false}}) {
        const auto& [skin, name, menuOpen] = p;
        windows.skinChoice().ApplySkin(skin);
        test_support::SpinFor(50);
        const QString path = QDir(QString::fromLocal8Bit(argv[1])).filePath(QLatin1String(name));
        const QImage picture = menuOpen ? WindowWithOptionsMenu(main, windows.commands()) : main.grab().toImage();
        if (!picture.save(path)) {
            std::fprintf(stderr, "Unable to write to %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
