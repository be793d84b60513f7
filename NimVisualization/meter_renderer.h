#pragma once
// The level meter's drawing: from the sample buffer to a two-channel spectrum, shown
// as mirrored tick bars with held peaks (style 0) or as a mirrored filled envelope
// (style 1), or as the idle picture of the style while the meter is not started.
// Every picture is composed off-screen and handed to the draw target in one copy.

#include "frame_target.h"
#include "raster_surface.h"
#include "sample_buffer.h"
#include "fft_levels.h"

#include <array>
#include <cstdint>
#include <vector>

namespace nim_visualization {

struct MeterRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The properties that shape the drawing, with their values at creation.
struct MeterSettings {
    int32_t style = 0;
    int32_t HighPosition = 80;
    int32_t MidPosition = 50;
    int32_t TickWidth = 20;
    int32_t TickHeight = 1;
    int32_t TickSeparate = 1;
};

namespace colours {
inline constexpr Pixel kBackground = Rgb(0, 0, 0);
inline constexpr Pixel kUnlitRed = Rgb(128, 0, 0);
inline constexpr Pixel kUnlitYellow = Rgb(128, 128, 0);
inline constexpr Pixel kUnlitGreen = Rgb(0, 128, 128);
inline constexpr Pixel kLitRed = Rgb(255, 0, 0);
inline constexpr Pixel kLitYellow = Rgb(255, 255, 0);
inline constexpr Pixel kLitGreen = Rgb(0, 255, 0);
inline constexpr Pixel kEnvelope = Rgb(0, 255, 0);
}  // namespace colours

class MeterRenderer {
public:
    static constexpr int kDone = 0;
    static constexpr int kFailed = -1;
    static constexpr size_t kColumnSlots = 1024;
    // Bars never use more columns than this, however wide the meter.
    static constexpr int32_t kMaxBars = 511;

    [[nodiscard]] MeterSettings& settings() { return settings_; }
    [[nodiscard]] const MeterSettings& settings() const { return settings_; }
    [[nodiscard]] SampleBuffer& sampleBuffer() { return sampleBuffer_; }
    [[nodiscard]] const SampleBuffer& sampleBuffer() const { return sampleBuffer_; }
    [[nodiscard]] bool started() const { return started_; }
    void setStarted(bool started) { started_ = started; }
    [[nodiscard]] const MeterRect& drawRect() const { return drawRect_; }
    [[nodiscard]] const std::array<int32_t, kColumnSlots>& heldLevel() const { return heldLevel_; }
    [[nodiscard]] const std::array<int32_t, kColumnSlots>& columnBin() const { return columnBin_; }

    // The draw request: remembers the target and bounds, then paints the idle picture
    // of the style or, once started, a live frame. The target must stay alive while
    // the drawing routines below are called for it.
    int OnDraw(FrameTarget& target, const MeterRect& bounds);

    int DrawIdle(int32_t style);
    // Copies the buffer, computes the spectrum and draws it in the current style; the
    // meter is started afterwards. When the buffer lock is not had in time, the
    // previous frame is shown again unchanged.
    int DrawLive();
    int DrawBars(const SpectrumLevels& levels);
    int DrawEnvelope(const SpectrumLevels& levels);

private:
    struct Grid {
        int32_t cols = 0;
        int32_t rows = 0;
        int32_t colPitch = 0;
        int32_t rowPitch = 0;
    };

    [[nodiscard]] int32_t width() const { return drawRect_.right - drawRect_.left; }
    [[nodiscard]] int32_t height() const { return drawRect_.bottom - drawRect_.top; }
    [[nodiscard]] Grid TickGrid() const;
    [[nodiscard]] Pixel ZoneColour(int64_t row, bool lit) const;
    // What the unlit grid picture was drawn for.
    struct GridKey {
        int32_t width = -1, height = -1, high = 0, mid = 0, tickWidth = 0, tickHeight = 0, tickSeparate = 0;
        bool operator==(const GridKey&) const = default;
    };

    void FillTick(const Grid& grid, int64_t col, int64_t row, Pixel colour);
    void FillTick(RasterSurface& surface, const Grid& grid, int64_t col, int64_t row, Pixel colour);
    void PaintUnlitGrid(const Grid& grid);
    void PaintGridTicks(RasterSurface& surface, const Grid& grid);
    void PaintCentreLine();
    // Sizes the off-screen picture to the bounds and clears it; false without memory.
    [[nodiscard]] bool BeginFrame();
    int ShowFrame();

    MeterSettings settings_;
    SampleBuffer sampleBuffer_;
    bool started_ = false;
    MeterRect drawRect_;
    FrameTarget* drawDC_ = nullptr;
    std::array<int32_t, kColumnSlots> heldLevel_{};
    std::array<int32_t, kColumnSlots> columnBin_{};

    // Kept from frame to frame so that a live frame allocates nothing.
    RasterSurface frame_;
    RasterSurface unlitGrid_;
    GridKey gridKey_;
    bool frameShown_ = false;
    SampleBuffer::Bytes scratch_{};
    SpectrumLevels levels_;
    std::vector<RasterPoint> outline_;
};

}  // namespace nim_visualization
