#pragma once
// A control's toolbox bitmap: a small picture in the 16 colours of the platform's
// standard palette, kept as rows of hexadecimal palette indices so that it can be
// read and drawn in the source. Containers show it in their toolbox, and an invisible
// control shows it at design time in the place of its picture.

#include <array>
#include <cstdint>

class QImage;
class QPainter;

namespace component_shell {

struct ToolboxBitmap {
    int resourceId;      // the number in the ToolboxBitmap32 value
    int width;
    int height;
    const char* const* rows;  // `height` rows of `width` digits 0-9, A-F
};

// The 16-colour palette (0xFFRRGGBB): black, dark red, dark green, dark yellow, dark
// blue, dark magenta, dark cyan, light grey, dark grey, red, green, yellow, blue,
// magenta, cyan, white.
inline constexpr std::array<uint32_t, 16> kToolboxPalette{
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
    0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};

// The bitmap as an image in the 32-bit RGB format; a digit that is not one of the
// sixteen is drawn black.
[[nodiscard]] QImage ToolboxImage(const ToolboxBitmap& bitmap);
// Draws the bitmap at its own size with its top-left corner at (x, y), through a
// temporary image, with a plain copy (no blending).
void DrawToolboxBitmap(QPainter& painter, int x, int y, const ToolboxBitmap& bitmap);

}  // namespace component_shell
