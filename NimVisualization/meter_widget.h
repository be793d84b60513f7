#pragma once
// The meter's window: a plain widget that paints nothing itself. Each paint asks its
// owner for the meter picture and shows it with one image copy; the background is
// never erased first, so live frames do not flicker.

#include "frame_target.h"
#include "meter_renderer.h"

#include <QWidget>

#include <functional>

class QPainter;

namespace nim_visualization {

// Shows frames through a painter that is active on a widget or an image.
class PainterTarget final : public FrameTarget {
public:
    explicit PainterTarget(QPainter& painter) : painter_(painter) {}
    [[nodiscard]] bool Show(const RasterSurface& frame, int32_t x, int32_t y) override;

private:
    QPainter& painter_;
};

class MeterWidget final : public QWidget {
    Q_OBJECT
public:
    // Called for every paint with the target and the widget's own rectangle.
    using DrawHandler = std::function<void(FrameTarget& target, const MeterRect& bounds)>;

    explicit MeterWidget(QWidget* parent);
    void setDrawHandler(DrawHandler handler) { onDraw_ = std::move(handler); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DrawHandler onDraw_;
};

}  // namespace nim_visualization
