// The raster surface's pixel conventions: exclusive right and bottom edges, the
// alternate fill rule with pixel-centre coverage, and clipped copies.
#include "raster_surface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace nim_visualization;

namespace {

constexpr Pixel kInk = Rgb(0, 255, 0);
constexpr Pixel kPaper = Rgb(0, 0, 0);

// The surface as text, one line per row: '#' for ink, '.' for anything else.
std::string Picture(const RasterSurface& s)
{
    std::string out;
    for (int32_t y = 0; y < s.height(); ++y) {
        for (int32_t x = 0; x < s.width(); ++x) out += s.at(x, y) == kInk ? '#' : '.';
        out += '\n';
    }
    return out;
}

RasterSurface Blank(int32_t w, int32_t h)
{
    RasterSurface s;
    EXPECT_TRUE(s.Resize(w, h));
    return s;
}

}  // namespace

TEST(RasterSurface, RectanglesExcludeRightAndBottomEdgesAndClip)
{
    RasterSurface s = Blank(6, 4);
    EXPECT_EQ(s.at(5, 3), kPaper);
    s.FillRect(1, 1, 3, 2, kInk);    // two pixels
    s.FillRect(4, 2, 4, 4, kInk);    // empty: no width
    s.FillRect(5, 3, 2, 1, kInk);    // inverted: nothing
    s.FillRect(-3, 3, 1, 99, kInk);  // clipped to pixel (0, 3)
    EXPECT_EQ(Picture(s),
              "......\n"
              ".##...\n"
              "......\n"
              "#.....\n");
}

TEST(RasterSurface, ResizeRefusesNegativeSizesAndStartsBlack)
{
    RasterSurface s;
    EXPECT_FALSE(s.Resize(-1, 5));
    EXPECT_EQ(s.width(), 0);
    EXPECT_TRUE(s.Resize(0, 0));
    s.Fill(kInk);  // nothing to fill, nothing to break
    ASSERT_TRUE(s.Resize(3, 2));
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x) EXPECT_EQ(s.at(x, y), kPaper);
}

TEST(RasterSurface, PolygonCoversPixelsWhoseCentresAreInside)
{
    // An axis-aligned rectangle covers exactly the pixels of the same rectangle fill.
    RasterSurface rect = Blank(7, 6);
    const std::vector<RasterPoint> box{{1, 1}, {5, 1}, {5, 4}, {1, 4}};
    rect.FillPolygon(box, kInk);
    EXPECT_EQ(Picture(rect),
              ".......\n"
              ".####..\n"
              ".####..\n"
              ".####..\n"
              ".......\n"
              ".......\n");

    // A diagonal through pixel centres: on the left edge the centre is inside, on the
    // right edge outside.
    RasterSurface leftDiagonal = Blank(5, 5);
    const std::vector<RasterPoint> upperRight{{0, 0}, {4, 0}, {4, 4}};
    leftDiagonal.FillPolygon(upperRight, kInk);
    EXPECT_EQ(Picture(leftDiagonal),
              "####.\n"
              ".###.\n"
              "..##.\n"
              "...#.\n"
              ".....\n");

    RasterSurface rightDiagonal = Blank(5, 5);
    const std::vector<RasterPoint> upperLeft{{0, 0}, {4, 0}, {0, 4}};
    rightDiagonal.FillPolygon(upperLeft, kInk);
    EXPECT_EQ(Picture(rightDiagonal),
              "###..\n"
              "##...\n"
              "#....\n"
              ".....\n"
              ".....\n");
}

TEST(RasterSurface, PolygonUsesTheAlternateRuleAndClips)
{
    // An outer square and an inner square traced the same way round, joined by a cut:
    // the alternate rule leaves the inner square empty (winding would fill it).
    RasterSurface s = Blank(9, 9);
    const std::vector<RasterPoint> ring{{0, 0}, {8, 0}, {8, 8}, {0, 8}, {0, 0},
                                        {2, 2}, {6, 2}, {6, 6}, {2, 6}, {2, 2}};
    s.FillPolygon(ring, kInk);
    EXPECT_EQ(Picture(s),
              "########.\n"
              "########.\n"
              "##....##.\n"
              "##....##.\n"
              "##....##.\n"
              "##....##.\n"
              "########.\n"
              "########.\n"
              ".........\n");

    // Parts outside the surface are cut off; fewer than three points fill nothing.
    RasterSurface clipped = Blank(4, 3);
    const std::vector<RasterPoint> big{{-10, -10}, {2, -10}, {2, 20}, {-10, 20}};
    clipped.FillPolygon(big, kInk);
    const std::vector<RasterPoint> line{{0, 0}, {3, 2}};
    clipped.FillPolygon(line, Rgb(255, 0, 0));
    EXPECT_EQ(Picture(clipped),
              "##..\n"
              "##..\n"
              "##..\n");
}

TEST(RasterSurface, CopyPlacesTheSourceAndClipsAtEveryEdge)
{
    RasterSurface source = Blank(3, 2);
    source.Fill(kInk);
    source.FillRect(1, 0, 2, 1, kPaper);  // a hole to show orientation

    RasterSurface target = Blank(5, 4);
    target.CopyFrom(source, 1, 1);
    EXPECT_EQ(Picture(target),
              ".....\n"
              ".#.#.\n"
              ".###.\n"
              ".....\n");

    RasterSurface corner = Blank(3, 3);
    corner.CopyFrom(source, -1, 2);  // left column and bottom row fall outside
    corner.CopyFrom(source, 10, 10);
    EXPECT_EQ(Picture(corner),
              "...\n"
              "...\n"
              ".#.\n");
}
