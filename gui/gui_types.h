// Geometry, colours and the shared constants every view and the draw context speak in.
#pragma once

#include <cstdint>

// A pixel position, from the top-left corner of the editor window.
struct GuiPoint {
    int32_t h = 0;
    int32_t v = 0;
};

// A rectangle of pixels. Hit tests include the right and bottom edges; how the drawing
// calls treat those edges is written at each call in GuiDrawContext.
struct GuiRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool contains(GuiPoint p) const {
        return left <= p.h && p.h <= right && top <= p.v && p.v <= bottom;
    }
    GuiRect movedBy(int32_t dh, int32_t dv) const {
        return GuiRect{left + dh, top + dv, right + dh, bottom + dv};
    }
};

// Red, green, blue and a fourth byte that drawing ignores.
struct GuiColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t unused = 0;

    // Colours compare by red, green and blue only.
    bool sameRgb(GuiColor other) const {
        return red == other.red && green == other.green && blue == other.blue;
    }
    // The packed form red + green * 256 + blue * 65536.
    uint32_t packed() const {
        return uint32_t(red) | (uint32_t(green) << 8) | (uint32_t(blue) << 16);
    }
};

inline constexpr GuiColor colorWhite{255, 255, 255, 0};
inline constexpr GuiColor colorBlack{0, 0, 0, 0};
inline constexpr GuiColor colorGrey{127, 127, 127, 0};
inline constexpr GuiColor colorRed{255, 0, 0, 0};
inline constexpr GuiColor colorGreen{0, 255, 0, 0};
inline constexpr GuiColor colorBlue{0, 0, 255, 0};
inline constexpr GuiColor colorYellow{255, 255, 0, 0};
inline constexpr GuiColor colorMagenta{255, 0, 255, 0};
inline constexpr GuiColor colorCyan{0, 255, 255, 0};
// Kept apart from colorWhite although equal: it names the key colour of a new bitmap.
inline constexpr GuiColor colorTransparentDefault{255, 255, 255, 0};

// Font identifiers for GuiDrawContext::setFont.
enum GuiFontId : int32_t {
    fontSystem = 0,     // "Arial" 12, always bold
    fontVeryBig = 1,    // "Arial" 18
    fontBig = 2,        // "Arial" 14
    fontNormal = 3,     // "Arial" 12
    fontSmall = 4,      // "Arial" 11
    fontSmaller = 5,    // "Arial" 10
    fontVerySmall = 6,  // "Arial" 9
    fontSymbol = 7,     // "Symbol" 13
};
inline constexpr int32_t kGuiFontCount = 8;

// Font style bits for setFont.
enum GuiFontStyle : int32_t {
    styleBold = 1,
    styleItalic = 2,
    styleUnderline = 4,
};

// Bits returned by GuiDrawContext::getMouseButtons.
enum GuiMouseState : int32_t {
    buttonLeft = 1,
    buttonMiddle = 2,
    buttonRight = 4,
    modifierShift = 8,
    modifierControl = 16,
    modifierAlt = 32,
};

// Horizontal text alignment for drawString; any other value acts as alignLeft.
enum GuiTextAlign : int32_t {
    alignLeft = 0,
    alignCenter = 1,
    alignRight = 2,
};

// Line styles for setLineStyle.
enum GuiLineStyle : int32_t {
    lineSolid = 0,
    lineDotted = 1,
};
