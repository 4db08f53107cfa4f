// drawString: alignment, vertical centring, clipping, opaque background; and the baked fonts.
#include <cstdlib>

#include "gui/platform/raster/font_tables.h"
#include "gui/platform/raster/glyph_cache.h"
#include "tests/gui_draw_support.h"

namespace {

using gui_draw_test::InkBox;
using gui_draw_test::inkBox;
using gui_draw_test::kBackdrop;
using gui_draw_test::SurfaceFixture;

// Inked columns may lean a pixel off the geometric centre: glyph bearings are not symmetric.
constexpr int32_t kCentreTolerance = 2;

class GuiDrawTextTest : public SurfaceFixture {
protected:
    InkBox ink(const GuiRect& within) const { return inkBox(memoryWindow->image(), within); }
    const GuiRect all{0, 0, 64, 48};
};

TEST_F(GuiDrawTextTest, LeftAlignedTextStartsOnePixelIn) {
    context->setFont(fontNormal);
    // The device itself, asked to align left at the box edge, gives the reference column.
    gui_platform::TextStyle style;
    style.color = colorWhite;
    device->drawText("H", GuiRect{10, 0, 60, 20}, context->currentFont(), style);
    const InkBox reference = ink(all);
    ASSERT_FALSE(reference.empty());

    clear();
    context->drawString("H", GuiRect{10, 0, 60, 20}, false, alignLeft);
    const InkBox left = ink(all);
    EXPECT_EQ(left.left, reference.left + 1);
    EXPECT_EQ(left.top, reference.top);

    // Unknown alignments behave as left, pixel for pixel.
    const gui_platform::Image leftPixels = memoryWindow->image();
    clear();
    context->drawString("H", GuiRect{10, 0, 60, 20}, false, 5);
    EXPECT_EQ(memoryWindow->image().rgb, leftPixels.rgb);
}

TEST_F(GuiDrawTextTest, CentredAndRightAlignedText) {
    context->setFont(fontNormal);
    const GuiRect box{4, 4, 60, 24};
    context->drawString("HH", box, false, alignCenter);
    const InkBox centre = ink(all);
    const int32_t inkMiddle2 = centre.left + centre.right + 1;  // twice the ink centre
    EXPECT_LE(std::abs(inkMiddle2 - (box.left + box.right)), 2 * kCentreTolerance);

    clear();
    context->drawString("HH", box, false, alignRight);
    const InkBox right = ink(all);
    EXPECT_LT(right.right, box.right);
    EXPECT_GE(right.right, box.right - 1 - kCentreTolerance);
}

TEST_F(GuiDrawTextTest, TextIsCentredVerticallyAndClippedToItsBox) {
    context->setFont(fontNormal);
    const GuiRect tall{0, 0, 64, 40};
    context->drawString("H", tall, false, alignLeft);
    const InkBox h = ink(all);
    // A capital sits on the baseline: its middle lies a little above the line's middle, which
    // is the box's middle.
    const int32_t capMiddle2 = h.top + h.bottom + 1;
    EXPECT_LE(capMiddle2, tall.top + tall.bottom);
    EXPECT_GE(capMiddle2, tall.top + tall.bottom - 2 * 4);

    clear();
    const GuiRect narrow{10, 10, 30, 16};
    context->setFont(fontVeryBig);
    context->drawString("WWWWWW", narrow, true, alignLeft);
    const InkBox clipped = ink(all);
    ASSERT_FALSE(clipped.empty());
    EXPECT_GE(clipped.left, narrow.left);
    EXPECT_LT(clipped.right, narrow.right);
    EXPECT_GE(clipped.top, narrow.top);
    EXPECT_LT(clipped.bottom, narrow.bottom);
}

TEST_F(GuiDrawTextTest, OpaqueBackgroundOnlyForThatCall) {
    context->setFont(fontNormal);
    context->setFillColor(colorBlue);
    context->drawString("Ab", GuiRect{0, 0, 64, 20}, true, alignLeft);
    int32_t blue = 0;
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 64; ++x) blue += at(x, y).sameRgb(colorBlue);
    EXPECT_GT(blue, 20);

    context->drawString("Ab", GuiRect{0, 24, 64, 44}, false, alignLeft);
    int32_t changedBackground = 0, blueAfter = 0;
    for (int32_t y = 24; y < 44; ++y)
        for (int32_t x = 0; x < 64; ++x) {
            blueAfter += at(x, y).sameRgb(colorBlue);
            // Transparent text changes only pixels under glyphs: the line's first column,
            // left of the one-pixel indent, keeps the backdrop.
            if (x == 0) changedBackground += !at(x, y).sameRgb(kBackdrop);
        }
    EXPECT_EQ(blueAfter, 0);
    EXPECT_EQ(changedBackground, 0);
}

TEST_F(GuiDrawTextTest, AmpersandIsShownAsItself) {
    context->setFont(fontNormal);
    context->drawString("&", GuiRect{0, 0, 64, 20}, false, alignLeft);
    EXPECT_FALSE(ink(all).empty());
    EXPECT_EQ(device->textWidth("a&b", context->currentFont()),
              device->textWidth("a", context->currentFont()) +
                  device->textWidth("&", context->currentFont()) +
                  device->textWidth("b", context->currentFont()));
}

TEST(GuiBakedFonts, EveryTableSizeHasEveryPrintableCharacter) {
    using gui_platform::raster::findBakedFont;
    for (int32_t face = 0; face < 2; ++face) {
        for (int32_t size = 9; size <= 18; ++size) {
            const auto* font = findBakedFont(face, size);
            ASSERT_NE(font, nullptr) << face << " " << size;
            // Liberation Sans: ascent 1854 + descent 434 over 2048 units to the em.
            const double expectedLine = size * (1854.0 + 434.0) / 2048.0;
            EXPECT_NEAR(font->ascent + font->descent, expectedLine, 1.0) << size;
            for (int code = 33; code < 127; ++code) {
                const auto& g = font->glyphs[code];
                EXPECT_TRUE(g.present) << code;
                EXPECT_GT(g.width * g.height, 0) << "face " << face << " size " << size << " code " << code;
                EXPECT_GT(g.advance, 0);
                EXPECT_LE(g.advance, size + 2);
            }
            EXPECT_TRUE(font->glyphs[' '].present);
            EXPECT_EQ(font->glyphs[' '].width, 0);
        }
    }
}

TEST(GuiBakedFonts, UnbakedSizesUseTheNearestBakedOne) {
    using gui_platform::raster::chooseFont;
    struct Case { int32_t asked, got; };
    const Case cases[] = {{9, 9}, {18, 18}, {20, 20}, {19, 18}, {21, 20}, {22, 20}, {23, 24},
                          {40, 24}, {5, 9}};
    for (const Case& c : cases) {
        gui_platform::FontRequest request;
        request.size = c.asked;
        ASSERT_NE(chooseFont(request).font, nullptr);
        EXPECT_EQ(chooseFont(request).font->size, c.got) << c.asked;
    }
    gui_platform::FontRequest symbol;
    symbol.id = fontSymbol;
    symbol.size = 13;
    symbol.bold = true;
    const auto choice = chooseFont(symbol);
    EXPECT_EQ(choice.font->face, gui_platform::raster::faceSymbol);
    EXPECT_TRUE(choice.syntheticBold);
}

TEST_F(GuiDrawTextTest, BoldIsWiderAndLargerSizesAreWider) {
    gui_platform::FontRequest request;
    request.bold = false;
    int32_t previous = 0, regularTotal = 0, boldTotal = 0;
    for (int32_t size = 9; size <= 18; ++size) {
        request.size = size;
        const int32_t width = device->textWidth("Resonance", request);
        EXPECT_GE(width, previous) << size;
        previous = width;
        gui_platform::FontRequest bold = request;
        bold.bold = true;
        // Rounded advances can tie at the smallest size; over all sizes bold is wider.
        EXPECT_GE(device->textWidth("Resonance", bold), width) << size;
        regularTotal += width;
        boldTotal += device->textWidth("Resonance", bold);
    }
    EXPECT_GT(boldTotal, regularTotal + 10);
}

}  // namespace
