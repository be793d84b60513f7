#pragma once
// Where a finished meter frame goes: the single copy from the off-screen picture to
// the screen (the control's widget) or to another surface (tests, benchmarks).

#include "raster_surface.h"

namespace nim_visualization {

class FrameTarget {
public:
    virtual ~FrameTarget() = default;
    // Shows `frame` with its top-left corner at (x, y). False when the copy failed.
    [[nodiscard]] virtual bool Show(const RasterSurface& frame, int32_t x, int32_t y) = 0;
};

// A frame target that is itself a raster surface.
class SurfaceTarget final : public FrameTarget {
public:
    explicit SurfaceTarget(RasterSurface& surface) : surface_(surface) {}
    [[nodiscard]] bool Show(const RasterSurface& frame, int32_t x, int32_t y) override
    {
        surface_.CopyFrom(frame, x, y);
        return true;
    }

private:
    RasterSurface& surface_;
};

}  // namespace nim_visualization
