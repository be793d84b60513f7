#pragma once
// The meter's off-screen picture: 32-bit pixels (0xAARRGGBB, alpha always opaque),
// rectangles with exclusive right and bottom edges, a polygon fill with the
// alternate (even-odd) rule, and a clipped copy from one surface into another.
// It knows nothing of Qt, so that its pixels can be checked exactly.

#include <cstdint>
#include <span>
#include <vector>

namespace nim_visualization {

using Pixel = uint32_t;

constexpr Pixel Rgb(uint8_t red, uint8_t green, uint8_t blue)
{
    return 0xFF000000u | (uint32_t(red) << 16) | (uint32_t(green) << 8) | uint32_t(blue);
}

struct RasterPoint {
    int32_t x;
    int32_t y;
};

class RasterSurface {
public:
    RasterSurface() = default;

    // Makes the surface width x height pixels, all black. False, leaving an empty
    // surface, for a negative size or when the memory cannot be had.
    [[nodiscard]] bool Resize(int32_t width, int32_t height);

    [[nodiscard]] int32_t width() const { return width_; }
    [[nodiscard]] int32_t height() const { return height_; }
    [[nodiscard]] const Pixel* data() const { return pixels_.data(); }
    // The pixel at (x, y); the caller keeps inside the surface.
    [[nodiscard]] Pixel at(int32_t x, int32_t y) const { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }

    // Fills x in [left, right), y in [top, bottom), clipped to the surface. An empty or
    // inverted rectangle fills nothing.
    void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, Pixel colour);
    void Fill(Pixel colour) { FillRect(0, 0, width_, height_, colour); }

    // Fills the closed polygon through the points with the alternate rule. A pixel is
    // filled when its centre lies inside; a centre exactly on a left edge counts as
    // inside, one on a right edge as outside.
    void FillPolygon(std::span<const RasterPoint> points, Pixel colour);

    // Copies all of `source` with its top-left corner at (x, y), clipped to this surface.
    void CopyFrom(const RasterSurface& source, int32_t x, int32_t y);

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<Pixel> pixels_;
    // Scratch of the polygon fill, kept between frames: the doubled x of every edge
    // crossing, grouped by row; row y's crossings start at rowStart_[y].
    std::vector<double> crossings_;
    std::vector<int32_t> rowStart_;
    std::vector<int32_t> rowFill_;
};

}  // namespace nim_visualization
