#include "recordings_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace recordings_folder {

QString DefaultFolder(const QString& programFolder, const QString& executableFolder)
{
    if (QFileInfo(QDir(executableFolder).filePath(QStringLiteral("portable"))).isFile())
        return QDir(programFolder).filePath(QStringLiteral("my_songs"));
    // Qt reads user-dirs.dirs as xdg-user-dir does and falls back to $HOME/Music.
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (music.isEmpty() || QDir(music) == QDir(QDir::homePath()))
        music = QDir(QDir::homePath()).filePath(QStringLiteral("Music"));
    return QDir(music).filePath(QStringLiteral("Chorvane"));
}

QString DefaultFolderOfProgram(const QString& programFolder)
{
    return DefaultFolder(programFolder, QCoreApplication::applicationDirPath());
}

}  // namespace recordings_folder
