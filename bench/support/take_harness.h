#pragma once
// A take driven headlessly, as the benchmarks run it in a child process: the program's
// windows on a program folder inside `folder`, the accompaniment folder/song.mp3 with
// folder/song.lrc, the sing button pressed and the program's own event loop run until
// the take has ended. Recordings go to folder/Music/Chorvane. Returns 0 when the take
// ended with one recording.

#include "UnitMain.h"
#include "message_box.h"
#include "program_windows.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>
#include <functional>

namespace bench_support {

// The GStreamer plugin registry of the user's own cache, as the stock tools use it: a
// fresh home would have every take rebuild it, a cost no real start has.
inline void KeepPluginRegistry()
{
    if (qEnvironmentVariableIsSet("GST_REGISTRY")) return;
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty()) cache = QDir::home().filePath(".cache");
    const QDir gst(QDir(cache).filePath("gstreamer-1.0"));
    const QStringList found = gst.entryList({"registry.*.bin"}, QDir::Files);
    if (!found.isEmpty()) qputenv("GST_REGISTRY", gst.filePath(found.first()).toLocal8Bit());
}

inline int RunTake(const QString& folder, const std::function<void()>& beforeClick = {})
{
    message_box::SetSink([](const QString& text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); });
    KeepPluginRegistry();
    qputenv("HOME", folder.toLocal8Bit());  // recordings go to $HOME/Music/Chorvane
    ProgramWindows windows(nullptr, QDir(folder).filePath("program").toStdString());
    TfrmMain& main = windows.frmMain();
    main.show();
    main.EditKaraokeFile->setText(QDir(folder).filePath("song.mp3"));
    main.EditLRCFile->setText(QDir(folder).filePath("song.lrc"));
    // The program's own event loop, as in a real run (a polling wait would add its
    // wake-ups to the figures).
    QObject::connect(&main.take(), &TakeController::stateChanged, qApp, [](bool running) {
        if (!running) QCoreApplication::quit();
    });
    if (beforeClick) beforeClick();
    main.ButtonRecord->click();
    if (main.takeState() == 1) QApplication::exec();
    const bool ended = main.takeState() == 0;
    return ended && QDir(QDir(folder).filePath("Music/Chorvane")).entryList({"*.mp3"}).size() == 1 ? 0 : 1;
}

}  // namespace bench_support
