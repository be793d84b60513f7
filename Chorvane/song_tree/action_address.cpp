#include "action_address.h"

#include <QUrl>
#include <QUrlQuery>

namespace song_list {

bool IsOpenableAction(const QString& action)
{
    // The text as the desktop will read it: no leading blanks or controls for a
    // handler to trim into something else.
    if (action.isEmpty() || action.front().isSpace() || action.front().unicode() < 0x20) return false;
    const QUrl url(action, QUrl::StrictMode);
    if (!url.isValid()) return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) return !url.host().isEmpty();
    if (scheme == QLatin1String("mailto")) {
        // Some mail programs attach the local file a mailto address names.
        for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
            const QString k = key.toLower();
            if (k == QLatin1String("attach") || k == QLatin1String("attachment")) return false;
        }
        return !url.path().isEmpty() || url.hasQuery();
    }
    return false;
}

}  // namespace song_list
