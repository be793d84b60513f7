#include "autorun.h"

#include <QDir>

#include <algorithm>
#include <QFile>
#include <QSaveFile>

namespace autorun {
namespace {

constexpr const char* kFileName = "Tapewell.desktop";

// An Exec argument: quoted when it holds a reserved character; inside the quotes
// '"', '`', '$' and '\' are escaped with a backslash. A literal '%' is written "%%".
QString ExecArgument(const QString& path)
{
    QString escapedPercent = path;
    escapedPercent.replace(QLatin1Char('%'), QStringLiteral("%%"));
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool quote = std::any_of(path.begin(), path.end(), [](QChar c) { return reserved.contains(c); });
    if (!quote) return escapedPercent;
    QString quoted;
    for (QChar c : escapedPercent) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// The value escapes of a desktop file: a backslash is written "\\".
QString EscapeValue(QString value)
{
    return value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
}

}  // namespace

QString AutostartFolder()
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString base = QDir::isAbsolutePath(config) ? config : QDir(QDir::homePath()).filePath(QStringLiteral(".config"));
    return QDir(base).filePath(QStringLiteral("autostart"));
}

QString DesktopEntryFor(const QString& executablePath)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Tapewell\n"
                          "Exec=%1\n")
        .arg(EscapeValue(ExecArgument(executablePath)));
}

void SetAutoRun(bool on, const QString& executablePath, const QString& folder)
{
    const QString path = QDir(folder).filePath(QString::fromLatin1(kFileName));
    if (!on) {
        QFile::remove(path);
        return;
    }
    if (!QDir().mkpath(folder)) return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(DesktopEntryFor(executablePath).toUtf8());
    (void)file.commit();  // an unwritable folder is skipped silently
}

}  // namespace autorun
