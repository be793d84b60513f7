#pragma once
// Draws the lyric lines around the current one into the display window's picture:
// up to six lines before and after it, the current line red and bold, the others
// green, on black, 15 pixels apart, the last drawn line's top at H - 100.

#include <QFont>
#include <QImage>

#include <cstdint>

class TfrmLyric;

namespace lyric_drawing {

inline constexpr int kLinesAround = 6;
inline constexpr int kLinePitch = 15;
inline constexpr int kLeft = 10;
inline constexpr int kBottomOffset = 100;

// The font of the lyric picture: the default user-interface font at 8 points.
[[nodiscard]] QFont LyricFont();

// Paints the picture black, then the lines for `position` (milliseconds); H is the
// display window's outer height in pixels. `gbk`: the file's text is GBK, not UTF-8.
void DrawLyrics(QImage& picture, const TfrmLyric& lyrics, int32_t position, int outerHeight,
                const QFont& font, bool gbk = false);
// True when some line of the file is not UTF-8: the whole file is then read as GBK.
[[nodiscard]] bool IsGbkFile(const TfrmLyric& lyrics);

}  // namespace lyric_drawing
