#include "LedDisplay.h"

#include "take_rules.h"

#include <QPainter>

#include <array>

namespace {

// Segments a..g of each digit, as bits 0..6.
constexpr std::array<uint8_t, 10> kDigitSegments{0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

const QColor kPanel(12, 16, 12);
const QColor kLit(80, 255, 120);
const QColor kUnlit(28, 48, 30);

void DrawDigit(QPainter& p, const QRectF& cell, int digit)
{
    const qreal w = cell.width(), h = cell.height(), t = std::max<qreal>(2.0, w / 6);
    const qreal x = cell.left(), y = cell.top(), mid = y + h / 2;
    const std::array<QRectF, 7> segments{{
        {x + t, y, w - 2 * t, t},                 // a
        {x + w - t, y + t, t, h / 2 - 1.5 * t},   // b
        {x + w - t, mid + t / 2, t, h / 2 - 1.5 * t},  // c
        {x + t, y + h - t, w - 2 * t, t},         // d
        {x, mid + t / 2, t, h / 2 - 1.5 * t},     // e
        {x, y + t, t, h / 2 - 1.5 * t},           // f
        {x + t, mid - t / 2, w - 2 * t, t},       // g
    }};
    const uint8_t lit = digit >= 0 ? kDigitSegments[static_cast<size_t>(digit)] : 0;
    for (size_t s = 0; s < segments.size(); ++s) p.fillRect(segments[s], (lit >> s) & 1 ? kLit : kUnlit);
}

}  // namespace

TRzLEDDisplay::TRzLEDDisplay(QWidget* parent) : QWidget(parent), caption_(take_rules::kIdleLedCaption)
{
    setAccessibleName(tr("Playing time"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TRzLEDDisplay::setCaption(const QString& caption)
{
    if (caption == caption_) return;
    caption_ = caption;
    setAccessibleDescription(caption);
    update();
}

void TRzLEDDisplay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), kPanel);
    const qreal margin = 4;
    const qreal cellH = height() - 2 * margin;
    const qreal cellW = cellH * 0.55;
    const qreal gap = cellW * 0.35;
    qreal total = 0;
    for (QChar c : caption_) total += (c.isDigit() ? cellW : gap * 1.5) + gap;
    qreal x = (width() - total) / 2;
    for (QChar c : caption_) {
        if (c.isDigit()) {
            DrawDigit(p, QRectF(x, margin, cellW, cellH), c.digitValue());
            x += cellW + gap;
        } else if (c == QLatin1Char(':')) {
            const qreal d = std::max<qreal>(2.0, cellW / 6);
            p.fillRect(QRectF(x + gap * 0.75 - d / 2, margin + cellH * 0.3, d, d), kLit);
            p.fillRect(QRectF(x + gap * 0.75 - d / 2, margin + cellH * 0.7 - d, d, d), kLit);
            x += gap * 1.5 + gap;
        } else {
            if (!c.isSpace()) {
                p.setPen(kLit);
                p.drawText(QRectF(x, margin, gap * 1.5, cellH), Qt::AlignCenter, QString(c));
            }
            x += gap * 1.5 + gap;
        }
    }
}
