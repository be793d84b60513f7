#pragma once
// The parts of the platform's control interfaces that a container here uses: the
// extent, misc status and class of IOleObject, and the drawing of IViewObject (into a
// painter instead of a device context). Extents are in HIMETRIC (0.01 mm).

#include "com.h"

class QPainter;

struct SIZEL {
    LONG cx = 0;
    LONG cy = 0;
    friend bool operator==(const SIZEL&, const SIZEL&) = default;
};

struct RECTL {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

constexpr DWORD DVASPECT_CONTENT = 1;
constexpr HRESULT DV_E_DVASPECT = static_cast<HRESULT>(0x8004006B);

struct IOleObject : IUnknown {
    // E_FAIL from a control of fixed size for any other extent; the control keeps its size.
    virtual HRESULT SetExtent(DWORD drawAspect, const SIZEL* size) = 0;
    virtual HRESULT GetExtent(DWORD drawAspect, SIZEL* size) = 0;
    virtual HRESULT GetMiscStatus(DWORD aspect, DWORD* status) = 0;
    virtual HRESULT GetUserClassID(CLSID* clsid) = 0;

protected:
    ~IOleObject() = default;
};

struct IViewObject : IUnknown {
    // Draws the control into `bounds` (pixels of the painter's device).
    virtual HRESULT Draw(DWORD drawAspect, QPainter* painter, const RECTL* bounds) = 0;

protected:
    ~IViewObject() = default;
};

inline constexpr IID IID_IOleObject{0x00000112, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IViewObject{0x0000010D, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

namespace component_shell {

// Screen pixels at 96 dots per inch and HIMETRIC, rounded to nearest as MulDiv does:
// 32 pixels are 847, 2 inches (192 pixels) 5080, 331 x 74 pixels 8758 x 1958.
constexpr LONG kPixelsPerInch = 96;
constexpr LONG kHimetricPerInch = 2540;
constexpr LONG MulDivRound(LONG value, LONG numerator, LONG denominator)
{
    const int64_t product = int64_t(value) * numerator;
    const int64_t half = denominator / 2;
    return LONG(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}
constexpr LONG PixelsToHimetric(LONG pixels) { return MulDivRound(pixels, kHimetricPerInch, kPixelsPerInch); }
constexpr LONG HimetricToPixels(LONG himetric) { return MulDivRound(himetric, kPixelsPerInch, kHimetricPerInch); }

}  // namespace component_shell
