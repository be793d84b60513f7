#include "toolbox_bitmap.h"

#include <QImage>
#include <QPainter>

namespace component_shell {

QImage ToolboxImage(const ToolboxBitmap& bitmap)
{
    QImage image(bitmap.width, bitmap.height, QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height; ++y) {
        const char* row = bitmap.rows[y];
        auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
        bool ended = false;
        for (int x = 0; x < bitmap.width; ++x) {
            const char c = ended ? '\0' : row[x];
            if (c == '\0') ended = true;
            int index = -1;
            if (c >= '0' && c <= '9') index = c - '0';
            if (c >= 'A' && c <= 'F') index = c - 'A' + 10;
            line[x] = index < 0 ? kToolboxPalette[0] : kToolboxPalette[size_t(index)];
        }
    }
    return image;
}

void DrawToolboxBitmap(QPainter& painter, int x, int y, const ToolboxBitmap& bitmap)
{
    // The temporary image stands in for the memory device context; it goes at the end.
    const QImage image = ToolboxImage(bitmap);
    const QPainter::CompositionMode mode = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(x, y, image);
    painter.setCompositionMode(mode);
}

}  // namespace component_shell
