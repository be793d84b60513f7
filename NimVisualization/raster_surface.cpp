#include "raster_surface.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

namespace nim_visualization {

bool RasterSurface::Resize(int32_t width, int32_t height)
{
    const auto makeEmpty = [this] {
        pixels_.clear();
        pixels_.shrink_to_fit();
        width_ = height_ = 0;
        return false;
    };
    if (width < 0 || height < 0) return makeEmpty();
    try {
        pixels_.assign(size_t(width) * size_t(height), Rgb(0, 0, 0));
    } catch (const std::bad_alloc&) {
        return makeEmpty();
    }
    width_ = width;
    height_ = height;
    return true;
}

void RasterSurface::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, Pixel colour)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width_);
    bottom = std::min(bottom, height_);
    if (left >= right || top >= bottom) return;
    for (int32_t y = top; y < bottom; ++y) {
        Pixel* row = pixels_.data() + size_t(y) * size_t(width_);
        std::fill(row + left, row + right, colour);
    }
}

void RasterSurface::FillPolygon(std::span<const RasterPoint> points, Pixel colour)
{
    if (points.size() < 3 || width_ == 0 || height_ == 0) return;
    // Work in doubled coordinates so that pixel centres (x + 0.5) are the odd integers.
    // A crossing of the centre line of row y with edge (a, b) lies at
    //   2x = 2 a.x + (2y + 1 - 2 a.y) (b.x - a.x) / (b.y - a.y),
    // whose division is exact whenever the result is a whole or half number, so ties on
    // an edge are decided by the rule and not by rounding.
    // Rows whose centre y + 0.5 lies in [lower y, upper y) of an edge, clipped.
    const size_t n = points.size();
    const auto rowsOf = [&](const RasterPoint& a, const RasterPoint& b) {
        const int64_t first = std::max<int64_t>(std::min(a.y, b.y), 0);
        const int64_t last = std::min<int64_t>(std::max(a.y, b.y), height_);
        return std::pair<int64_t, int64_t>(first, std::max(first, last));
    };
    // Bucket the crossings by row: count them, then place them, then sort each row.
    rowStart_.assign(size_t(height_) + 1, 0);
    for (size_t i = 0; i < n; ++i) {
        const auto [first, last] = rowsOf(points[i], points[(i + 1) % n]);
        if (first == last) continue;
        ++rowStart_[size_t(first)];
        --rowStart_[size_t(last)];
    }
    int32_t running = 0, total = 0;
    for (int32_t y = 0; y < height_; ++y) {
        running += rowStart_[size_t(y)];
        rowStart_[size_t(y)] = total;
        total += running;
    }
    rowStart_[size_t(height_)] = total;
    crossings_.resize(size_t(total));
    rowFill_.assign(rowStart_.begin(), rowStart_.end() - 1);

    for (size_t i = 0; i < n; ++i) {
        const RasterPoint a = points[i];
        const RasterPoint b = points[(i + 1) % n];
        const auto [first, last] = rowsOf(a, b);  // a horizontal edge has no rows
        const int64_t dx = int64_t(b.x) - a.x;
        const int64_t dy = int64_t(b.y) - a.y;
        for (int64_t y = first; y < last; ++y) {
            const int64_t numerator = (2 * y + 1 - 2 * int64_t(a.y)) * dx;
            crossings_[size_t(rowFill_[size_t(y)]++)] = 2.0 * a.x + double(numerator) / double(dy);
        }
    }

    // Pixel x is inside a span [x2a, x2b) when x2a <= 2x + 1 < x2b. A closed figure
    // crosses each centre line an even number of times; spans pair up within a row.
    for (int32_t y = 0; y < height_; ++y) {
        double* begin = crossings_.data() + rowStart_[size_t(y)];
        double* end = crossings_.data() + rowStart_[size_t(y) + 1];
        std::sort(begin, end);
        for (double* x2 = begin; x2 + 1 < end; x2 += 2) {
            const double from = std::ceil((x2[0] - 1.0) / 2.0);
            const double to = std::ceil((x2[1] - 1.0) / 2.0);
            FillRect(int32_t(std::clamp(from, 0.0, double(width_))), y,
                     int32_t(std::clamp(to, 0.0, double(width_))), y + 1, colour);
        }
    }
}

void RasterSurface::CopyFrom(const RasterSurface& source, int32_t x, int32_t y)
{
    const int32_t left = std::max(x, 0);
    const int32_t top = std::max(y, 0);
    const int64_t right = std::min<int64_t>(int64_t(x) + source.width_, width_);
    const int64_t bottom = std::min<int64_t>(int64_t(y) + source.height_, height_);
    if (left >= right || top >= bottom) return;
    for (int32_t row = top; row < bottom; ++row) {
        const Pixel* from = source.pixels_.data() + size_t(row - y) * size_t(source.width_) + size_t(left - x);
        Pixel* to = pixels_.data() + size_t(row) * size_t(width_) + size_t(left);
        std::copy(from, from + (right - left), to);
    }
}

}  // namespace nim_visualization
