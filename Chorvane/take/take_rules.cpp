#include "take_rules.h"

#include "program_messages.h"

#include <QDir>
#include <QFileInfo>
#include <QObject>

namespace take_rules {

bool IsAudioAccompaniment(const QString& extension)
{
    // The extension followed by ";" must occur in this text; an empty one gives ";".
    static const QString kAudio = QStringLiteral("*.mp3;*.wav;*.wma;");
    return kAudio.contains(extension.toLower() + QLatin1Char(';'));
}

QString ExtensionOf(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

int32_t BalanceFor(bool leftChannel, bool rightChannel)
{
    if (leftChannel && !rightChannel) return -10000;
    if (rightChannel && !leftChannel) return 10000;
    return 0;
}

QString FormatPlayTime(int64_t n)
{
    const int64_t h = n / 3600;
    const int64_t m = (n - 3600 * h) / 60;
    const int64_t s = n - 3600 * h - 60 * m;
    auto part = [](int64_t v) {
        QString text = QString::number(v);
        return v <= 9 ? QStringLiteral("0") + text : text;
    };
    return part(h) + QLatin1Char(':') + part(m) + QLatin1Char(':') + part(s);
}

QString LedCaption(int64_t position, int64_t duration)
{
    return FormatPlayTime(position) + QStringLiteral("  ") + FormatPlayTime(duration);
}

QString TrimTrailingSeparators(QString folder)
{
    while (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}

QString OutputPath(const QString& folder, const QDateTime& start, const QString& accompaniment)
{
    QString name = QFileInfo(accompaniment).fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) name.truncate(dot);
    const QString stamp = start.toString(QStringLiteral("'['yyyy-MM-dd']['HH-mm-ss']'"));
    QString base = TrimTrailingSeparators(folder);
    if (!base.endsWith(QLatin1Char('/'))) base += QLatin1Char('/');
    return base + stamp + name + QStringLiteral(".mp3");
}

QString UniqueOutputPath(const QString& path)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) return path;
    const QString stem = path.endsWith(QStringLiteral(".mp3")) ? path.left(path.size() - 4) : path;
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2).mp3").arg(stem).arg(n);
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink()) return candidate;
    }
}

QString OutputFolderProblem(const QString& folder)
{
    QString shown = folder;
    bool control = false;
    for (QChar& c : shown)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            c = QLatin1Char('?');
            control = true;
        }
    if (control)
        return program_messages::Text(program_messages::Id::FolderControlCharacters).arg(shown);
    if (!QDir::isAbsolutePath(folder))
        return program_messages::Text(program_messages::Id::FolderNotFullPath).arg(folder);
    return {};
}

QString LyricTwinOf(const QString& accompaniment)
{
    const QFileInfo info(accompaniment);
    QString stem = info.fileName();
    const int dot = stem.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) stem.truncate(dot);
    if (stem.isEmpty()) return {};
    const QString exact = info.dir().filePath(stem + QStringLiteral(".lrc"));
    if (QFileInfo(exact).isFile()) return exact;
    // Song.LRC, Song.Lrc ...: one look at the folder, names compared without case; only
    // for an accompaniment that exists, so a path being typed lists no folder per key.
    if (!info.isFile()) return {};
    const QStringList names = info.dir().entryList({QStringLiteral("*.lrc")}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : names)
        if (name.compare(stem + QStringLiteral(".lrc"), Qt::CaseInsensitive) == 0) return info.dir().filePath(name);
    return {};
}

}  // namespace take_rules
