// The meter pictures with the program's settings on its 331 x 74 area: the tick grid
// and its zones, live bars with held peaks, the envelope, the idle pictures, and the
// buffer lock's behaviour when the other side keeps it.
#include "meter_renderer.h"
#include "meter_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using namespace nim_visualization;

namespace {

constexpr int32_t kW = 331;
constexpr int32_t kH = 74;

// Geometry of the program's meter, from its settings: column c spans x 1 + 11c to
// 10 + 11c, row r is the pixel row 72 - 2r; rows 0-14 green, 15-29 yellow, 30-36 red.
int32_t TickLeft(int32_t col) { return 1 + 11 * col; }
int32_t TickY(int32_t row) { return 72 - 2 * row; }
Pixel Zone(int32_t row, bool lit)
{
    if (row >= 30) return lit ? colours::kLitRed : colours::kUnlitRed;
    if (row >= 15) return lit ? colours::kLitYellow : colours::kUnlitYellow;
    return lit ? colours::kLitGreen : colours::kUnlitGreen;
}

// The expected picture of the grid, with `lit(col, row)` choosing lit ticks.
void ExpectGrid(const RasterSurface& s, int32_t ox, int32_t oy, const std::function<bool(int32_t, int32_t)>& lit)
{
    int mismatches = 0;
    for (int32_t y = 0; y < kH; ++y) {
        for (int32_t x = 0; x < kW; ++x) {
            Pixel expected = colours::kBackground;
            const int32_t col = (x - 1) / 11;
            const bool inTick = x >= 1 && (x - 1) % 11 < 10 && col < 30;
            const bool inRow = y <= 72 && (72 - y) % 2 == 0;
            if (inTick && inRow) {
                const int32_t row = (72 - y) / 2;
                expected = Zone(row, lit(col, row));
            }
            if (s.at(ox + x, oy + y) != expected && ++mismatches <= 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << s.at(ox + x, oy + y)
                              << ", expected " << expected;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

bool NoneLit(int32_t, int32_t) { return false; }

struct Meter {
    MeterRenderer renderer;
    RasterSurface screen;
    SurfaceTarget target{screen};

    explicit Meter(int32_t w = kW, int32_t h = kH)
    {
        renderer.settings() = meter_test::ProgramSettings();
        EXPECT_TRUE(screen.Resize(w, h));
        screen.Fill(Rgb(1, 2, 3));  // anything the meter does not paint stays visible
    }
    void Send(const std::vector<uint8_t>& bytes) { ASSERT_TRUE(renderer.sampleBuffer().Write(bytes.data(), bytes.size())); }
    int Draw() { return renderer.OnDraw(target, {0, 0, screen.width(), screen.height()}); }
};

}  // namespace

TEST(MeterIdle, TickGridWithZonesByRowIsShownAtTheBoundsOrigin)
{
    Meter m(kW + 9, kH + 6);
    EXPECT_EQ(m.renderer.OnDraw(m.target, {5, 3, 5 + kW, 3 + kH}), MeterRenderer::kDone);
    ExpectGrid(m.screen, 5, 3, NoneLit);
    EXPECT_EQ(m.screen.at(4, 3), Rgb(1, 2, 3));  // outside the bounds: untouched
    EXPECT_EQ(m.screen.at(5 + kW, 3 + kH), Rgb(1, 2, 3));
    EXPECT_FALSE(m.renderer.started());
    EXPECT_EQ(m.renderer.heldLevel()[0], 0);
}

TEST(MeterIdle, EnvelopeStyleShowsTheCentreLineAndOtherStylesTheBareBackground)
{
    Meter m;
    m.renderer.settings().style = 1;
    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; x += 7)
            ASSERT_EQ(m.screen.at(x, y), (y == 36 || y == 37) ? colours::kEnvelope : colours::kBackground)
                << x << "," << y;

    m.renderer.settings().style = 2;
    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x) ASSERT_EQ(m.screen.at(x, y), colours::kBackground);
}

TEST(MeterIdle, ZonesIncludeTheMidHeightInYellowAndStartRedAboveTheHighHeight)
{
    // Tick height 2 and gap 2: row r has its bottom edge h = 2 + 4r above the bottom.
    Meter m(8, 80);
    m.renderer.settings() = {0, 58, 30, 4, 2, 2};
    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);
    const auto rowColour = [&](int32_t row) { return m.screen.at(2, 80 - 2 - 4 * row - 1); };
    EXPECT_EQ(rowColour(6), colours::kUnlitGreen);   // h = 26
    EXPECT_EQ(rowColour(7), colours::kUnlitYellow);  // h = 30, the mid height itself
    EXPECT_EQ(rowColour(14), colours::kUnlitYellow); // h = 58, the high height itself
    EXPECT_EQ(rowColour(15), colours::kUnlitRed);    // h = 62
    EXPECT_EQ(m.screen.at(2, 80 - 2), colours::kBackground);  // the gap under row 0

    // A mid height above the high height leaves no yellow zone.
    m.renderer.settings().MidPosition = 50;
    m.renderer.settings().HighPosition = 20;
    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);
    EXPECT_EQ(rowColour(4), colours::kUnlitGreen);  // h = 18
    EXPECT_EQ(rowColour(5), colours::kUnlitRed);    // h = 22
    EXPECT_EQ(rowColour(12), colours::kUnlitRed);   // h = 50
}

TEST(MeterBars, SineOnBin68LightsColumn11UpToRow27WithItsPeakInRow28)
{
    Meter m;
    m.renderer.setStarted(true);
    m.Send(meter_test::SineOnLeft(68));
    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);

    const std::array<int32_t, 16> bins{1, 17, 34, 51, 68, 85, 102, 119, 136, 153, 170, 187, 204, 221, 238, 256};
    for (size_t k = 0; k < bins.size(); ++k) EXPECT_EQ(m.renderer.columnBin()[k], bins[k]) << "distance " << k;

    ExpectGrid(m.screen, 0, 0, [](int32_t col, int32_t row) { return col == 11 && row <= 28; });
    EXPECT_EQ(m.screen.at(TickLeft(11), TickY(28)), colours::kLitYellow);  // the peak tick
    EXPECT_EQ(m.screen.at(TickLeft(11), TickY(14)), colours::kLitGreen);
    EXPECT_EQ(m.renderer.heldLevel()[11], 28);
    EXPECT_EQ(m.renderer.heldLevel()[12], -1);  // silent columns start falling too
    EXPECT_EQ(m.renderer.heldLevel()[20], -1);

    // On silence the bar goes at once and the peak falls one row per frame.
    m.Send(std::vector<uint8_t>(16384, 0));
    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);
    ExpectGrid(m.screen, 0, 0, [](int32_t col, int32_t row) { return col == 11 && row == 27; });
    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);
    ExpectGrid(m.screen, 0, 0, [](int32_t col, int32_t row) { return col == 11 && row == 26; });
    EXPECT_EQ(m.renderer.heldLevel()[11], 26);
    EXPECT_EQ(m.renderer.heldLevel()[20], -3);  // no lower limit
}

TEST(MeterBars, PeaksSurviveAStyleChangeAndStyle2DrawsNothingButGoesLive)
{
    Meter m;
    m.renderer.setStarted(true);
    m.Send(meter_test::SineOnLeft(68));
    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);

    m.renderer.settings().style = 2;
    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x) ASSERT_EQ(m.screen.at(x, y), colours::kBackground);
    EXPECT_EQ(m.renderer.heldLevel()[11], 28);

    m.renderer.setStarted(false);
    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);  // style 2 idle
    m.renderer.setStarted(true);
    m.renderer.settings().style = 1;
    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);
    EXPECT_TRUE(m.renderer.started());
    EXPECT_EQ(m.renderer.heldLevel()[11], 28);

    m.renderer.settings().style = 0;
    m.Send(std::vector<uint8_t>(16384, 0));
    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);
    EXPECT_EQ(m.renderer.heldLevel()[11], 27);
}

TEST(MeterBars, WideMeterDraws511BarsOverA518ColumnGrid)
{
    Meter m(5700, kH);
    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);  // remembers the target and bounds
    SpectrumLevels loud;
    loud.left.fill(144);
    loud.right.fill(144);
    loud.left[0] = loud.right[0] = 0;
    ASSERT_EQ(m.renderer.DrawBars(loud), MeterRenderer::kDone);

    const auto rowZero = [&](int32_t col) { return m.screen.at(TickLeft(col), TickY(0)); };
    EXPECT_EQ(rowZero(0), colours::kLitGreen);
    EXPECT_EQ(rowZero(255), colours::kLitGreen);   // the centre: distance 0 shows bin 1
    EXPECT_EQ(rowZero(254), colours::kUnlitGreen); // distance 1 maps to bin 0, which holds 0
    EXPECT_EQ(rowZero(256), colours::kUnlitGreen);
    EXPECT_EQ(rowZero(510), colours::kLitGreen);
    for (int32_t col = 511; col < 518; ++col) EXPECT_EQ(rowZero(col), colours::kUnlitGreen) << col;
    EXPECT_EQ(m.screen.at(TickLeft(517) + 9, TickY(36)), colours::kUnlitRed);  // the grid's last tick
    EXPECT_EQ(m.screen.at(TickLeft(518), TickY(0)), colours::kBackground);
    EXPECT_EQ(m.renderer.heldLevel()[510], 144 * 37 / 110 - 20);
    EXPECT_EQ(m.renderer.heldLevel()[511], 0);
}

TEST(MeterEnvelope, PointsFollowTheLevelsAndHighPointsAreMovedBelowTheCentre)
{
    Meter m;
    m.renderer.settings().style = 1;
    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);
    const auto greenSpan = [&](int32_t y) {
        std::pair<int32_t, int32_t> span{-1, -1};
        for (int32_t x = 0; x < kW; ++x) {
            if (m.screen.at(x, y) != colours::kEnvelope) continue;
            if (span.first < 0) span.first = x;
            span.second = x + 1;
        }
        return span;
    };

    // Level 100 everywhere: f = 56, upper points at y = 9 from x = 2, lower points at
    // y = 65 one pixel further right.
    SpectrumLevels even;
    even.left.fill(100);
    even.right.fill(100);
    ASSERT_EQ(m.renderer.DrawEnvelope(even), MeterRenderer::kDone);
    EXPECT_EQ(greenSpan(8), std::make_pair(-1, -1));
    EXPECT_EQ(greenSpan(9), std::make_pair(2, 327));
    EXPECT_EQ(greenSpan(36), std::make_pair(0, kW));  // the centre line spans the width
    EXPECT_EQ(greenSpan(64), std::make_pair(4, 329));
    EXPECT_EQ(greenSpan(65), std::make_pair(-1, -1));

    // Level 120: f = 89, the upper points (y = -7) move to y = 38, so nothing shows
    // above the centre line and the lower half is filled to the bottom.
    SpectrumLevels high;
    high.left.fill(120);
    high.right.fill(120);
    ASSERT_EQ(m.renderer.DrawEnvelope(high), MeterRenderer::kDone);
    EXPECT_EQ(greenSpan(20), std::make_pair(-1, -1));
    EXPECT_EQ(greenSpan(35), std::make_pair(-1, -1));
    EXPECT_EQ(greenSpan(38), std::make_pair(2, 327));
    EXPECT_EQ(greenSpan(73).first, 4);

    // One loud right-channel bin: distance 10 shows bin 10 x 1024 / 327 = 31, in
    // envelope column 163 + 10; every quiet level gives f = 1.
    SpectrumLevels spike;
    spike.right[31] = 100;
    ASSERT_EQ(m.renderer.DrawEnvelope(spike), MeterRenderer::kDone);
    EXPECT_EQ(m.renderer.columnBin()[10], 31);
    EXPECT_EQ(greenSpan(30), std::make_pair(174, 176));  // rising to (175, 9)
    EXPECT_EQ(greenSpan(50), std::make_pair(175, 177));  // falling to (176, 65)
    EXPECT_EQ(greenSpan(5), std::make_pair(-1, -1));
    EXPECT_EQ(greenSpan(66), std::make_pair(-1, -1));
}

TEST(MeterEdges, UnusableTickSizesAndEmptyAreasDrawWithoutFailing)
{
    Meter m;
    m.renderer.settings().TickWidth = -1;  // column pitch 0
    m.renderer.setStarted(true);
    m.Send(meter_test::SineOnLeft(68));
    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x) ASSERT_EQ(m.screen.at(x, y), colours::kBackground);

    m.renderer.settings() = meter_test::ProgramSettings();
    m.renderer.settings().TickHeight = -5;  // row pitch below 0
    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);
    EXPECT_EQ(m.screen.at(TickLeft(11), TickY(0)), colours::kBackground);

    // An envelope area too narrow for two columns shows only its centre line.
    m.renderer.settings().style = 1;
    EXPECT_EQ(m.renderer.OnDraw(m.target, {0, 0, 2, 10}), MeterRenderer::kDone);
    EXPECT_EQ(m.screen.at(0, 4), colours::kEnvelope);
    EXPECT_EQ(m.screen.at(1, 5), colours::kEnvelope);
    EXPECT_EQ(m.screen.at(1, 6), colours::kBackground);

    m.screen.Fill(Rgb(1, 2, 3));
    EXPECT_EQ(m.renderer.OnDraw(m.target, {10, 10, 10, 10}), MeterRenderer::kDone);
    EXPECT_EQ(m.screen.at(10, 10), Rgb(1, 2, 3));
    EXPECT_EQ(m.renderer.OnDraw(m.target, {10, 10, 5, 5}), MeterRenderer::kFailed);
}

TEST(MeterBufferLock, ABusyBufferIsNeitherOverwrittenNorReadAndTheLastFrameStays)
{
    SampleBuffer buffer(std::chrono::milliseconds(30));
    const std::vector<uint8_t> ones(100, 1);
    ASSERT_TRUE(buffer.Write(ones.data(), ones.size()));
    SampleBuffer::Bytes copy{};
    copy.fill(9);

    std::timed_mutex& lock = buffer.mutex();
    lock.lock();
    std::thread other([&] {
        const std::vector<uint8_t> twos(16384, 2);
        EXPECT_FALSE(buffer.Write(twos.data(), twos.size()));
        EXPECT_FALSE(buffer.Read(copy));
    });
    other.join();
    lock.unlock();
    EXPECT_EQ(copy[0], 9);  // the reader's own copy kept what it held
    ASSERT_TRUE(buffer.Read(copy));
    EXPECT_EQ(copy[99], 1);
    EXPECT_EQ(copy[100], 0);

    // The renderer shows its previous frame again and leaves the peaks alone.
    Meter m;
    m.renderer.setStarted(true);
    m.Send(meter_test::SineOnLeft(68));
    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);
    m.Send(std::vector<uint8_t>(16384, 0));
    std::timed_mutex& meterLock = m.renderer.sampleBuffer().mutex();
    meterLock.lock();
    int result = -2;
    std::thread painter([&] { result = m.Draw(); });
    painter.join();
    meterLock.unlock();
    EXPECT_EQ(result, MeterRenderer::kDone);
    ExpectGrid(m.screen, 0, 0, [](int32_t col, int32_t row) { return col == 11 && row <= 28; });
    EXPECT_EQ(m.renderer.heldLevel()[11], 28);

    ASSERT_EQ(m.Draw(), MeterRenderer::kDone);  // the lock is free again: silence shows
    EXPECT_EQ(m.renderer.heldLevel()[11], 27);
}
