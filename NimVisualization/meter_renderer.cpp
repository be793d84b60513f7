#include "meter_renderer.h"

#include <algorithm>
#include <limits>

namespace nim_visualization {

namespace {

int32_t ClampToInt(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
}

}  // namespace

int MeterRenderer::OnDraw(FrameTarget& target, const MeterRect& bounds)
{
    drawDC_ = &target;
    drawRect_ = bounds;
    return started_ ? DrawLive() : DrawIdle(settings_.style);
}

MeterRenderer::Grid MeterRenderer::TickGrid() const
{
    Grid grid;
    grid.colPitch = settings_.TickWidth + settings_.TickSeparate;
    grid.rowPitch = settings_.TickHeight + settings_.TickSeparate;
    // A pitch of zero or less leaves no room for a single tick: no grid at all.
    if (grid.colPitch <= 0 || grid.rowPitch <= 0) return grid;
    grid.cols = std::max(width(), 0) / grid.colPitch;
    grid.rows = std::max(height(), 0) / grid.rowPitch;
    return grid;
}

Pixel MeterRenderer::ZoneColour(int64_t row, bool lit) const
{
    // Height of the tick's bottom edge above the bottom of the area.
    const int64_t h = int64_t(settings_.TickSeparate) + row * (int64_t(settings_.TickHeight) + settings_.TickSeparate);
    if (h > settings_.HighPosition) return lit ? colours::kLitRed : colours::kUnlitRed;
    if (h >= settings_.MidPosition) return lit ? colours::kLitYellow : colours::kUnlitYellow;
    return lit ? colours::kLitGreen : colours::kUnlitGreen;
}

void MeterRenderer::FillTick(const Grid& grid, int64_t col, int64_t row, Pixel colour)
{
    FillTick(frame_, grid, col, row, colour);
}

void MeterRenderer::FillTick(RasterSurface& surface, const Grid& grid, int64_t col, int64_t row, Pixel colour)
{
    const int64_t left = int64_t(settings_.TickSeparate) + col * grid.colPitch;
    const int64_t bottom = int64_t(height()) - settings_.TickSeparate - row * grid.rowPitch;
    surface.FillRect(ClampToInt(left), ClampToInt(bottom - settings_.TickHeight),
                    ClampToInt(left + settings_.TickWidth), ClampToInt(bottom), colour);
}

void MeterRenderer::PaintUnlitGrid(const Grid& grid)
{
    // The unlit grid depends only on the size and the settings: drawn once into its own
    // picture and copied into every frame after that (the frame is background when this
    // is called, which the grid picture holds too).
    const GridKey key{width(), height(), settings_.HighPosition, settings_.MidPosition, settings_.TickWidth,
                      settings_.TickHeight, settings_.TickSeparate};
    if (!(gridKey_ == key) || unlitGrid_.width() != frame_.width() || unlitGrid_.height() != frame_.height()) {
        gridKey_ = {};
        if (!unlitGrid_.Resize(frame_.width(), frame_.height())) {
            PaintGridTicks(frame_, grid);
            return;
        }
        PaintGridTicks(unlitGrid_, grid);
        gridKey_ = key;
    }
    frame_.CopyFrom(unlitGrid_, 0, 0);
}

void MeterRenderer::PaintGridTicks(RasterSurface& surface, const Grid& grid)
{
    surface.Fill(colours::kBackground);
    for (int32_t r = 0; r < grid.rows; ++r) {
        const Pixel colour = ZoneColour(r, false);
        for (int32_t c = 0; c < grid.cols; ++c) FillTick(surface, grid, c, r, colour);
    }
}

void MeterRenderer::PaintCentreLine()
{
    const int32_t middle = height() / 2;
    frame_.FillRect(0, middle - 1, width(), middle + 1, colours::kEnvelope);
}

bool MeterRenderer::BeginFrame()
{
    if (!drawDC_ || width() < 0 || height() < 0) return false;
    if (frame_.width() != width() || frame_.height() != height()) {
        frameShown_ = false;
        return frame_.Resize(width(), height());  // a new surface is already black
    }
    frame_.Fill(colours::kBackground);
    return true;
}

int MeterRenderer::ShowFrame()
{
    if (!drawDC_->Show(frame_, drawRect_.left, drawRect_.top)) return kFailed;
    frameShown_ = true;
    return kDone;
}

int MeterRenderer::DrawIdle(int32_t style)
{
    if (!BeginFrame()) return kFailed;
    if (style == 0)
        PaintUnlitGrid(TickGrid());
    else if (style == 1)
        PaintCentreLine();
    // Any other style shows the bare background.
    return ShowFrame();
}

int MeterRenderer::DrawLive()
{
    started_ = true;
    // The spectrum looks at the first block only: the rest of the buffer is not copied.
    if (!sampleBuffer_.ReadFirst(scratch_, kAnalysedBytes)) {
        // The writer kept the buffer too long: show the last frame again rather than
        // read bytes that are being written.
        if (drawDC_ && frameShown_ && frame_.width() == width() && frame_.height() == height())
            return ShowFrame();
        // No frame of this size yet: draw from the previous copy.
    }
    ComputeSpectrum(scratch_, levels_);
    if (settings_.style == 0) return DrawBars(levels_);
    if (settings_.style == 1) return DrawEnvelope(levels_);
    return DrawIdle(settings_.style);
}

int MeterRenderer::DrawBars(const SpectrumLevels& levels)
{
    if (!BeginFrame()) return kFailed;
    const Grid grid = TickGrid();
    PaintUnlitGrid(grid);

    // Distance from the centre to spectrum bin, over the full width of the grid.
    const int32_t mapped = std::min<int32_t>(grid.cols, int32_t(kColumnSlots));
    for (int32_t k = 0; k < mapped; ++k)
        columnBin_[k] = k == 0 ? 1 : std::min<int32_t>(int32_t(int64_t(k) * 512 / grid.cols), 511);

    const int32_t n = std::min(grid.cols, kMaxBars);
    const int32_t half = n / 2;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t value = i < half ? levels.left[columnBin_[half - i]] : levels.right[columnBin_[i - half]];
        const int64_t lit = int64_t(value) * grid.rows / 110 - 20;
        int32_t& held = heldLevel_[i];
        if (lit > held)
            held = int32_t(lit);
        else if (held > std::numeric_limits<int32_t>::min())
            --held;
        FillTick(grid, i, held, ZoneColour(held, true));
        // Rows whose bottom edge has left the top of the area are not drawn.
        const int64_t height64 = height();
        for (int64_t r = 0; r < lit; ++r) {
            if (height64 - settings_.TickSeparate - r * grid.rowPitch <= 0) break;
            FillTick(grid, i, r, ZoneColour(r, true));
        }
    }
    return ShowFrame();
}

int MeterRenderer::DrawEnvelope(const SpectrumLevels& levels)
{
    if (!BeginFrame()) return kFailed;
    const int32_t w = width();
    const int32_t h = height();
    PaintCentreLine();

    const float scale = float(double(int64_t(h) * 99 / 100) / 44.0);
    const int32_t c = std::min<int32_t>(int32_t(int64_t(w) * 99 / 100), 512);
    const int32_t half = c / 2;
    const int32_t x0 = w / 2 - half;
    const int32_t middle = h / 2;

    for (int32_t k = 0; k < c; ++k)
        columnBin_[k] = k == 0 ? 1 : std::min<int32_t>(k * 1024 / c, 511);

    if (c >= 2) {
        // Upper points of columns 0..c-2, then lower points of columns c-1 down to 1.
        outline_.assign(size_t(2 * c - 2), RasterPoint{0, 0});
        for (int32_t j = 0; j < c; ++j) {
            const int32_t value = j < half ? levels.left[columnBin_[half - j]] : levels.right[columnBin_[j - half]];
            int32_t f = int32_t(scale * float(value - 66));
            if (f < 5) f = 1;
            if (j <= c - 2) outline_[size_t(j)] = {x0 + j, middle - f / 2};
            if (j >= 1) outline_[size_t(2 * c - 2 - j)] = {x0 + j + 1, middle + f / 2};
        }
        for (RasterPoint& p : outline_)
            if (p.y <= 0) p.y = middle + 1;
        frame_.FillPolygon(outline_, colours::kEnvelope);
    }
    return ShowFrame();
}

}  // namespace nim_visualization
