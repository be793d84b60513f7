#include "program_start.h"

#include "UnitMain.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

bool IsLyricFile(const QString& path)
{
    return path.endsWith(QStringLiteral(".lrc"), Qt::CaseInsensitive);
}

}  // namespace

StartOptions ParseStartOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Chorvane, the karaoke recorder"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption sing(QStringLiteral("sing"), QStringLiteral("Start the take at once with the files given."));
    const QCommandLineOption exitAfterTake(QStringLiteral("exit-after-take"),
                                           QStringLiteral("Close the program when the take has been saved."));
    parser.addOption(sing);
    parser.addOption(exitAfterTake);
    parser.addPositionalArgument(QStringLiteral("accompaniment"), QStringLiteral("An audio or video file to sing to."),
                                 QStringLiteral("[accompaniment]"));
    parser.addPositionalArgument(QStringLiteral("lyrics"), QStringLiteral("Its LRC lyric file."),
                                 QStringLiteral("[lyrics.lrc]"));
    parser.process(arguments);

    StartOptions options;
    options.sing = parser.isSet(sing);
    options.exitAfterTake = parser.isSet(exitAfterTake);
    for (const QString& file : parser.positionalArguments())
        options.files << QDir::cleanPath(QDir::current().absoluteFilePath(file));
    return options;
}

void OpenFiles(TfrmMain& main, const QStringList& files)
{
    for (const QString& file : files) {
        if (IsLyricFile(file)) continue;
        main.AccompanimentChosen(file);
        break;
    }
    for (const QString& file : files) {
        if (!IsLyricFile(file)) continue;
        main.EditLRCFile->setText(file);
        break;
    }
}

void ApplyStartOptions(TfrmMain& main, const StartOptions& options)
{
    if (!options.files.isEmpty()) OpenFiles(main, options.files);
    if (options.exitAfterTake) {
        QObject::connect(&main, &TfrmMain::takeFinished, &main, [&main] {
            // After the take's own handlers: the close saves the history and releases the
            // sources; the program ends even when another window is still open.
            QTimer::singleShot(0, &main, [&main] {
                if (main.close()) QCoreApplication::quit();
            });
        });
    }
    if (options.sing) main.ButtonRecordClick();
}

void BringToFront(TfrmMain& main, const QStringList& files)
{
    if (!files.isEmpty() && main.takeState() == 0) OpenFiles(main, files);
    main.setWindowState((main.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    main.show();
    main.raise();
    main.activateWindow();
}
