#include "lyric_drawing.h"

#include "UnitLyric.h"
#include "codepage.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>

namespace lyric_drawing {

QFont LyricFont()
{
    QFont font = QApplication::font();
    font.setPointSize(8);
    return font;
}

bool IsGbkFile(const TfrmLyric& lyrics)
{
    for (const TLyricLine& line : lyrics.Lines)
        if (!codepage::IsValidUtf8(line.Text)) return true;
    return false;
}

void DrawLyrics(QImage& picture, const TfrmLyric& lyrics, int32_t position, int outerHeight, const QFont& font, bool gbk)
{
    QPainter painter(&picture);
    painter.fillRect(picture.rect(), Qt::black);

    const int32_t current = lyrics.LineIndexAt(position);
    const int32_t lastIndex = lyrics.LastLineIndex();
    const int32_t first = std::max(current - kLinesAround, 0);
    const int32_t last = std::min(current + kLinesAround, lastIndex);
    if (last < first) return;

    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Qt::black);
    for (int32_t i = first; i <= last; ++i) {
        QFont lineFont = font;
        lineFont.setBold(i == current);
        painter.setFont(lineFont);
        painter.setPen(i == current ? QColor(255, 0, 0) : QColor(0, 255, 0));
        const int y = outerHeight - (last - i) * kLinePitch - kBottomOffset;
        std::string bytes = lyrics.LineTextAt(i);
        if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
        const QString text = QString::fromStdString(gbk ? codepage::GbkToUtf8(bytes) : bytes);
        // The point is the top-left corner of the text.
        painter.drawText(QPoint(kLeft, y + painter.fontMetrics().ascent()), text);
    }
}

}  // namespace lyric_drawing
