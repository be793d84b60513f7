// Saves the main window in each language, with the demo song chosen, as PNG files:
//   language_screenshots <folder>   writes main-window-en.png and main-window-zh.png
#include "UnitMain.h"
#include "event_loop.h"
#include "fake_mixers.h"
#include "message_box.h"
#include "program_windows.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

bool Save(const QDir& out, int language, const char* name)
{
    QTemporaryDir programFolder;
    QFile config(QDir(programFolder.path()).filePath("config.ini"));
    if (!config.open(QIODevice::WriteOnly)) return false;
    config.write("[common]\nlanguage=" + QByteArray::number(language) + "\n[setting]\ndisplayHelpDialog=0\n");
    config.close();
    ProgramWindows windows(std::make_unique<mixer::FakeMixerLibraries>(true), programFolder.path().toStdString());
    TfrmMain& main = windows.frmMain();
    main.show();
    test_support::SpinFor(500);
    main.AccompanimentChosen(QDir(QCoreApplication::applicationDirPath()).filePath("demo/Lights Are Low.mp3"));
    test_support::SpinFor(200);
    return main.grab().save(out.filePath(QString::fromLatin1(name)));
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Nothing may wait for an answer: messages go to the error output.
    message_box::SetSink([](const QString& text) { std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData()); });
    if (argc != 2) {
        std::fprintf(stderr, "usage: language_screenshots <folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const bool saved = Save(out, 2, "main-window-en.png") && Save(out, 1, "main-window-zh.png");
    return saved ? 0 : 1;
}
