#include "meter_widget.h"

#include <QImage>
#include <QPainter>

namespace nim_visualization {

bool PainterTarget::Show(const RasterSurface& frame, int32_t x, int32_t y)
{
    if (!painter_.isActive()) return false;
    if (frame.width() == 0 || frame.height() == 0) return true;
    // The image borrows the frame's pixels: the only copy is the painter's.
    const QImage image(reinterpret_cast<const uchar*>(frame.data()), frame.width(), frame.height(),
                       qsizetype(frame.width()) * 4, QImage::Format_RGB32);
    painter_.drawImage(x, y, image);
    return true;
}

MeterWidget::MeterWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void MeterWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PainterTarget target(painter);
    if (onDraw_) {
        onDraw_(target, MeterRect{0, 0, width(), height()});
    } else {
        painter.fillRect(rect(), Qt::black);
    }
}

}  // namespace nim_visualization
