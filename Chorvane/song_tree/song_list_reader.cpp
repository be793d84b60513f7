#include "song_list_reader.h"

#include <QByteArray>
#include <QXmlStreamReader>

namespace song_list {

namespace {

QString ParserMessage(const QXmlStreamReader& reader)
{
    return QStringLiteral("%1\nLine: %2, column: %3")
        .arg(reader.errorString())
        .arg(reader.lineNumber())
        .arg(reader.columnNumber());
}

// Adds the element's node as the last child of `parent` (-1: the top node): caption
// its `topic`, action its `action`. Returns the new node, or -1 when either is missing
// or empty, which stops the filling.
int32_t AddSongNode(const QXmlStreamAttributes& attributes, int32_t parent, std::vector<Node>& nodes)
{
    const QStringView action = attributes.value(QLatin1StringView("action"));
    const QStringView topic = attributes.value(QLatin1StringView("topic"));
    if (action.isEmpty() || topic.isEmpty()) return -1;
    nodes.push_back({topic.toString(), action.toString(), parent});
    return static_cast<int32_t>(nodes.size() - 1);
}

}  // namespace

SongList Read(QByteArrayView bytes)
{
    SongList list;
    // The reader takes the bytes as they are; no copy of them is made.
    QXmlStreamReader reader(QByteArray::fromRawData(bytes.data(), bytes.size()));
    // For every open element: the node it became, or -1 when it adds none (outside
    // `root`, or after the element that stopped the filling).
    std::vector<int32_t> open;
    open.reserve(64);
    bool stopped = false;  // an element without its topic or action was met
    bool documentElementSeen = false;

    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::EndElement) {
            open.pop_back();
            continue;
        }
        if (token != QXmlStreamReader::StartElement) continue;
        if (open.size() >= static_cast<size_t>(kMaxDepth)) {
            reader.raiseError(QStringLiteral("Elements are nested deeper than %1 levels.").arg(kMaxDepth));
            break;
        }
        int32_t node = -1;
        const bool isDocumentElement = open.empty() && !documentElementSeen;
        documentElementSeen = true;
        const bool inside = isDocumentElement ? reader.qualifiedName() == u"root" : (!open.empty() && open.back() >= 0);
        if (inside && !stopped) {
            node = AddSongNode(reader.attributes(), isDocumentElement ? -1 : open.back(), list.nodes);
            // The nodes before this one stay; the rest of the document is still read,
            // so that a document that is not well formed says so instead.
            stopped = node < 0;
        }
        open.push_back(node);
    }

    if (reader.hasError()) {
        list.nodes.clear();
        list.nodes.shrink_to_fit();
        list.errorKind = ErrorKind::Parser;
        list.error = ParserMessage(reader);
    } else if (stopped) {
        list.errorKind = ErrorKind::Conversion;
        list.error = QString::fromLatin1(kConversionError);
    }
    return list;
}

}  // namespace song_list
