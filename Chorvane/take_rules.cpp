#include "take_rules.h"

#include <QFileInfo>

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

}  // namespace take_rules
