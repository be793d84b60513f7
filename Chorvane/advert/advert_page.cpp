#include "advert_page.h"

#include "action_address.h"
#include "codepage.h"

#include <QImage>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <string>
#include <vector>

namespace advert {
namespace {

QByteArray MimeTypeOf(const QByteArray& contentType)
{
    const qsizetype semicolon = contentType.indexOf(';');
    return (semicolon < 0 ? contentType : contentType.left(semicolon)).trimmed().toLower();
}

QByteArray CharsetOf(const QByteArray& contentType)
{
    for (const QByteArray& part : contentType.split(';')) {
        const QByteArray item = part.trimmed();
        if (!item.toLower().startsWith("charset=")) continue;
        QByteArray name = item.mid(8).trimmed();
        if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'')) name = name.mid(1, name.size() - 2);
        return name.trimmed().toLower();
    }
    return {};
}

bool IsGbkName(const QByteArray& name)
{
    return name == "gbk" || name == "gb2312" || name == "gb18030" || name == "cp936" || name == "x-gbk" ||
           name == "euc-cn";
}

QString FromGbk(const QByteArray& body)
{
    return QString::fromStdString(codepage::GbkToUtf8(body.toStdString()));
}

// The page's own declaration: a byte-order mark, or a charset in a meta tag. Qt knows
// the UTF forms and Latin-1; a GBK declaration it does not know is looked for here.
QString FromDeclaration(const QByteArray& body)
{
    const std::optional<QStringConverter::Encoding> declared = QStringConverter::encodingForHtml(body);
    if (!declared) {
        const QByteArray head = body.left(4096).toLower();
        for (const char* name : {"gb2312", "gbk", "gb18030"})
            if (head.contains(QByteArray("charset=") + name) || head.contains(QByteArray("charset=\"") + name))
                return FromGbk(body);
    } else if (*declared != QStringConverter::Utf8) {
        QStringDecoder decoder(*declared);
        return decoder(body);
    }
    if (codepage::IsValidUtf8(body.toStdString())) {
        QStringDecoder decoder(QStringConverter::Utf8);
        return decoder(body);
    }
    return FromGbk(body);
}

// True when the format held a colour.
bool ClearColours(QTextFormat& format)
{
    bool had = false;
    for (int property : {int(QTextFormat::ForegroundBrush), int(QTextFormat::BackgroundBrush), int(QTextFormat::TextOutline),
                         int(QTextFormat::TextUnderlineColor), int(QTextFormat::FrameBorderBrush)}) {
        if (!format.hasProperty(property)) continue;
        format.clearProperty(property);
        had = true;
    }
    return had;
}

class AdvertDocument : public QTextDocument {
public:
    QVariant loadResource(int type, const QUrl&) override
    {
        // A transparent dot for an image rather than nothing, which draws a broken-image icon.
        if (type != ImageResource) return QVariant(QString());
        QImage dot(1, 1, QImage::Format_ARGB32);
        dot.fill(Qt::transparent);
        return dot;
    }
};

void FitFrames(QTextFrame* frame)
{
    QTextFrameFormat format = frame->frameFormat();
    ClearColours(format);
    frame->setFrameFormat(format);
    if (auto* table = qobject_cast<QTextTable*>(frame)) {
        for (int row = 0; row < table->rows(); ++row)
            for (int column = 0; column < table->columns(); ++column) {
                QTextTableCell cell = table->cellAt(row, column);
                QTextCharFormat cellFormat = cell.format();
                ClearColours(cellFormat);
                cell.setFormat(cellFormat);
            }
    }
    for (QTextFrame* child : frame->childFrames()) FitFrames(child);
}

}  // namespace

PageKind KindOf(const QByteArray& contentType)
{
    const QByteArray type = MimeTypeOf(contentType);
    if (type == "text/html" || type == "application/xhtml+xml") return PageKind::Html;
    if (type == "text/plain") return PageKind::Text;
    return PageKind::None;
}

QString DecodePage(const QByteArray& body, const QByteArray& contentType)
{
    const QByteArray charset = CharsetOf(contentType);
    if (IsGbkName(charset)) return FromGbk(body);
    if (!charset.isEmpty())
        if (const std::optional<QStringConverter::Encoding> named = QStringConverter::encodingForName(charset)) {
            QStringDecoder decoder(*named);
            return decoder(body);
        }
    return FromDeclaration(body);
}

void FitToPanel(QTextDocument& document, const QUrl& base)
{
    FitFrames(document.rootFrame());
    struct Piece {
        int position, length;
        QTextCharFormat format;
    };
    std::vector<Piece> pieces;
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat blockFormat = block.blockFormat();
        QTextCharFormat blockChars = block.charFormat();
        const bool blockColoured = ClearColours(blockFormat);
        if (ClearColours(blockChars) || blockColoured) {
            cursor.setPosition(block.position());
            cursor.setBlockFormat(blockFormat);
            cursor.setBlockCharFormat(blockChars);
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            const bool link = format.isAnchor() && !format.anchorHref().isEmpty();
            if (!ClearColours(format) && !link) continue;
            if (link) format.setAnchorHref(base.resolved(QUrl(format.anchorHref())).toString(QUrl::FullyEncoded));
            pieces.push_back({fragment.position(), fragment.length(), format});
        }
    }
    // Set after the walk: setting a format merges and splits the fragments walked.
    for (const Piece& piece : pieces) {
        cursor.setPosition(piece.position);
        cursor.setPosition(piece.position + piece.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(piece.format);
    }
}

std::unique_ptr<QTextDocument> MakeDocument(const QString& text, PageKind kind, const QUrl& base)
{
    auto document = std::make_unique<AdvertDocument>();
    document->setUndoRedoEnabled(false);
    if (kind == PageKind::Html) {
        document->setHtml(text);
        FitToPanel(*document, base);
    } else {
        document->setPlainText(text);
    }
    if (document->toPlainText().trimmed().isEmpty()) return nullptr;
    return document;
}

bool IsOpenableLink(const QUrl& link)
{
    const QString scheme = link.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) return false;
    return song_list::IsOpenableAction(link.toString(QUrl::FullyEncoded));
}

}  // namespace advert
