#pragma once
// The rules of the advert page: which answers count as a page, how their bytes become
// text, how the page is made fit for the panel, and which of its links may be opened.
// The page comes from the network, so nothing of it reaches the desktop or the disk
// unless these rules let it.

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <memory>

class QTextDocument;

namespace advert {

// The kinds of page the panel shows, from a Content-Type header ("text/html;
// charset=utf-8"). Anything else (images, XML, programs, no type at all) is no page.
enum class PageKind { None, Html, Text };
[[nodiscard]] PageKind KindOf(const QByteArray& contentType);

// The body as text: the charset the header names, else the one the page declares
// (byte-order mark or meta tag), else UTF-8 when the bytes are UTF-8 and GBK otherwise,
// the legacy encoding of the Chinese pages.
[[nodiscard]] QString DecodePage(const QByteArray& body, const QByteArray& contentType);

// Makes the imported page fit the panel: every colour of the page (text, highlight,
// block, table and body backgrounds) is dropped, so the panel's own colours, those of
// the skin, show; every link is made absolute against `base`.
void FitToPanel(QTextDocument& document, const QUrl& base);

// The page as a document fit for the panel (FitToPanel done), or nullptr when it holds
// no text to show. The document never loads what the page names (images, style
// sheets): not from the web, and above all not from this machine's files. Documents
// are reentrant: this runs on any thread, and the caller moves the result to its own.
[[nodiscard]] std::unique_ptr<QTextDocument> MakeDocument(const QString& text, PageKind kind, const QUrl& base);

// True for an absolute http or https address with a host: the links handed to the
// user's browser. Everything else (javascript:, file:, mailto:, relative text) is not.
[[nodiscard]] bool IsOpenableLink(const QUrl& link);

}  // namespace advert
