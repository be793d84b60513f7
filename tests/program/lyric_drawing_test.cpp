// The lyric picture: which lines are drawn where, and in which colour.
#include "UnitLyric.h"
#include "codepage.h"
#include "lyric_drawing.h"

#include <gtest/gtest.h>

#include <QImage>

#include <string>

namespace {

constexpr int kH = 300;  // outer height of the display window

TfrmLyric Lines(int count)
{
    std::string lrc;
    for (int i = 0; i < count; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "[00:%02d.00]Line %d of the song\n", i, i);
        lrc += line;
    }
    TfrmLyric lyric;
    lyric.LoadLyricData(lrc);
    return lyric;
}

// Rows of the band [top, top + 15) that hold pixels of the colour class.
bool BandHas(const QImage& img, int top, bool (*match)(QRgb))
{
    for (int y = std::max(0, top); y < std::min(img.height(), top + lyric_drawing::kLinePitch); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (match(img.pixel(x, y))) return true;
    return false;
}

bool Red(QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; }
bool Green(QRgb p) { return qGreen(p) > 200 && qRed(p) < 60 && qBlue(p) < 60; }
bool Lit(QRgb p) { return (p & 0xFFFFFF) != 0; }

}  // namespace

TEST(LyricDrawing, TwentyLinesAtTickTwentyPutLineTenInRedSevenFromTheBottom)
{
    TfrmLyric lyric = Lines(20);
    QImage picture(323, 252, QImage::Format_RGB32);
    picture.fill(Qt::white);
    lyric_drawing::DrawLyrics(picture, lyric, 20 * 500, kH, lyric_drawing::LyricFont());
    const int redTop = kH - 190;
    EXPECT_TRUE(BandHas(picture, redTop, Red));
    EXPECT_FALSE(BandHas(picture, redTop, Green));
    // Lines 4 .. 16 in green around it, line 16 at H - 100.
    for (int i = 4; i <= 16; ++i) {
        const int top = kH - (16 - i) * 15 - 100;
        if (i == 10) continue;
        EXPECT_TRUE(BandHas(picture, top, Green)) << "line " << i;
        EXPECT_FALSE(BandHas(picture, top, Red)) << "line " << i;
    }
    // Nothing above line 4 or below line 16; the background is black everywhere else.
    for (int y = 0; y < kH - 12 * 15 - 100; ++y)
        for (int x = 0; x < picture.width(); ++x) ASSERT_FALSE(Lit(picture.pixel(x, y))) << x << "," << y;
    for (int y = kH - 100 + 15; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) ASSERT_FALSE(Lit(picture.pixel(x, y))) << x << "," << y;
}

TEST(LyricDrawing, LastLineMovesDownNearTheEnd)
{
    TfrmLyric lyric = Lines(20);
    QImage picture(323, 252, QImage::Format_RGB32);
    lyric_drawing::DrawLyrics(picture, lyric, 19500, kH, lyric_drawing::LyricFont());
    EXPECT_TRUE(BandHas(picture, kH - 100, Red));
    EXPECT_TRUE(BandHas(picture, kH - 100 - 6 * 15, Green));   // line 13
    EXPECT_FALSE(BandHas(picture, kH - 100 - 7 * 15, Green));  // line 12 is not drawn
}

TEST(LyricDrawing, SingleLineIsRedFromTheStartAndEmptyHolderDrawsBlack)
{
    TfrmLyric one;
    one.LoadLyricData("[00:30.00]Only line\n");
    QImage picture(323, 252, QImage::Format_RGB32);
    lyric_drawing::DrawLyrics(picture, one, 500, kH, lyric_drawing::LyricFont());
    EXPECT_TRUE(BandHas(picture, kH - 100, Red));

    TfrmLyric empty;
    picture.fill(Qt::white);
    lyric_drawing::DrawLyrics(picture, empty, 500, kH, lyric_drawing::LyricFont());
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) ASSERT_FALSE(Lit(picture.pixel(x, y)));
}

TEST(LyricDrawing, GbkLyricFilesAreDecodedAsAWholeForDisplay)
{
    // "你好" in GBK is not valid UTF-8, so the whole file is GBK: also its second line,
    // whose two bytes "\xC4\xA1" happen to be valid UTF-8 too.
    TfrmLyric gbk;
    gbk.LoadLyricData(std::string("[00:00.00]\xC4\xE3\xBA\xC3\n[00:01.00]\xC4\xA1\n"));
    TfrmLyric utf8;
    utf8.LoadLyricData("[00:00.00]\xE4\xBD\xA0\xE5\xA5\xBD\n[00:01.00]" + codepage::GbkToUtf8("\xC4\xA1") + "\n");
    ASSERT_TRUE(lyric_drawing::IsGbkFile(gbk));
    ASSERT_FALSE(lyric_drawing::IsGbkFile(utf8));
    for (int32_t position : {500, 1500}) {
        QImage a(323, 252, QImage::Format_RGB32), b(323, 252, QImage::Format_RGB32);
        lyric_drawing::DrawLyrics(a, gbk, position, kH, lyric_drawing::LyricFont(), true);
        lyric_drawing::DrawLyrics(b, utf8, position, kH, lyric_drawing::LyricFont(), false);
        EXPECT_EQ(a, b) << position;
        // The current line is red: the last one drawn (at H - 100) once the second is due.
        EXPECT_TRUE(BandHas(a, kH - 100 - (position < 1000 ? 15 : 0), Red)) << position;
    }
}
