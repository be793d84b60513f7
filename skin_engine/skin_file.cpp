#include "skin_file.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QWidget>

namespace skin_engine {
namespace {

// Qt reports an unparsable sheet only as a warning; it is caught while a probe polishes.
bool parseWarningSeen = false;
QtMessageHandler previousHandler = nullptr;

void CatchParseWarning(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("Could not parse"))) {
        parseWarningSeen = true;
        return;
    }
    if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

bool IsParsableStyleSheet(const QString& styleSheet)
{
    if (styleSheet.trimmed().isEmpty()) return true;
    parseWarningSeen = false;
    previousHandler = qInstallMessageHandler(CatchParseWarning);
    {
        QWidget probe;
        probe.setStyleSheet(styleSheet);
        probe.ensurePolished();
    }
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
    return !parseWarningSeen;
}

SkinFile ReadSkinFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("The skin file %1 cannot be read: %2").arg(path, file.errorString())};
    if (file.size() > kMaxSkinFileBytes)
        return {{}, QStringLiteral("The skin file %1 is too large to be a skin.").arg(path)};
    const QByteArray bytes = file.read(kMaxSkinFileBytes + 1);
    if (bytes.size() > kMaxSkinFileBytes)
        return {{}, QStringLiteral("The skin file %1 is too large to be a skin.").arg(path)};
    if (file.error() != QFileDevice::NoError)
        return {{}, QStringLiteral("The skin file %1 cannot be read: %2").arg(path, file.errorString())};
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString sheet = utf8(bytes);
    if (utf8.hasError()) return {{}, QStringLiteral("The skin file %1 is not UTF-8 text.").arg(path)};
    // A sheet of comments alone is the desktop's own look: no sheet at all, not an empty one.
    static const QRegularExpression comments(QStringLiteral("/\\*.*?\\*/"), QRegularExpression::DotMatchesEverythingOption);
    if (QString(sheet).remove(comments).trimmed().isEmpty()) return {QString(), {}};
    if (!IsParsableStyleSheet(sheet))
        return {{}, QStringLiteral("The skin file %1 is not a valid style sheet.").arg(path)};
    return {sheet, {}};
}

}  // namespace skin_engine
