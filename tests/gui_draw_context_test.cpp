// The draw context's pixel rules: outlines, fills, the pen, dotted lines, offset, defaults,
// the font table and the live mouse state.
#include <vector>

#include "tests/gui_draw_support.h"

namespace {

using gui_draw_test::kBackdrop;
using gui_draw_test::SurfaceFixture;
namespace memory = gui_platform::memory;

class GuiDrawRulesTest : public SurfaceFixture {};

TEST_F(GuiDrawRulesTest, OutlineAndFillCoverTheSquareExactlyOnce) {
    for (GuiPoint shift : {GuiPoint{0, 0}, GuiPoint{5, 7}}) {
        SCOPED_TRACE(testing::Message() << "offset " << shift.h << "," << shift.v);
        context->offset = shift;
        const GuiRect square{0, 0, 10, 10};

        clear();
        context->strokeRect(square);
        std::vector<bool> outline(64 * 48);
        for (int32_t y = 0; y < 48; ++y)
            for (int32_t x = 0; x < 64; ++x) outline[size_t(y * 64 + x)] = touched(x, y);

        clear();
        context->fillRect(square);
        int32_t outlinePixels = 0, fillPixels = 0;
        for (int32_t y = 0; y < 48; ++y) {
            for (int32_t x = 0; x < 64; ++x) {
                const int32_t lx = x - shift.h, ly = y - shift.v;
                const bool inSquare = lx >= 0 && lx <= 10 && ly >= 0 && ly <= 10;
                const bool onEdge = inSquare && (lx == 0 || lx == 10 || ly == 0 || ly == 10);
                const bool stroked = outline[size_t(y * 64 + x)];
                const bool filled = touched(x, y);
                EXPECT_EQ(stroked, onEdge) << "outline at " << x << "," << y;
                EXPECT_EQ(filled, inSquare && !onEdge) << "fill at " << x << "," << y;
                EXPECT_FALSE(stroked && filled) << "covered twice at " << x << "," << y;
                outlinePixels += stroked;
                fillPixels += filled;
            }
        }
        EXPECT_EQ(outlinePixels, 11 * 11 - 9 * 9);
        EXPECT_EQ(fillPixels, 9 * 9);
    }
}

TEST_F(GuiDrawRulesTest, LineToLeavesItsEndPointForTheNextLine) {
    context->moveTo(GuiPoint{2, 2});
    context->lineTo(GuiPoint{8, 2});
    for (int32_t x = 2; x < 8; ++x) EXPECT_TRUE(touched(x, 2)) << x;
    EXPECT_FALSE(touched(8, 2));
    EXPECT_EQ(touchedCount(), 6);

    context->lineTo(GuiPoint{8, 6});  // starts at the unpainted end point
    for (int32_t y = 2; y < 6; ++y) EXPECT_TRUE(touched(8, y)) << y;
    EXPECT_FALSE(touched(8, 6));
    EXPECT_EQ(touchedCount(), 10);

    // A diagonal steps one pixel in each direction per pixel, and also leaves its end.
    clear();
    context->moveTo(GuiPoint{10, 10});
    context->lineTo(GuiPoint{15, 15});
    for (int32_t i = 0; i < 5; ++i) EXPECT_TRUE(touched(10 + i, 10 + i)) << i;
    EXPECT_FALSE(touched(15, 15));
    EXPECT_EQ(touchedCount(), 5);
}

TEST_F(GuiDrawRulesTest, DottedPenPaintsEveryOtherPixelAlongThePath) {
    context->setLineStyle(lineDotted);
    EXPECT_EQ(context->penStyle, lineDotted);
    context->moveTo(GuiPoint{0, 0});
    context->lineTo(GuiPoint{5, 0});
    context->lineTo(GuiPoint{5, 5});
    // (0,0)..(4,0) then (5,0)..(5,4): each line, like a GDI LineTo, starts painted.
    const GuiPoint path[] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0},
                             {5, 0}, {5, 1}, {5, 2}, {5, 3}, {5, 4}};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(touched(path[i].h, path[i].v), (i % 5) % 2 == 0) << "step " << i;

    // A new moveTo starts the pattern with a painted pixel again; solid paints every pixel.
    context->moveTo(GuiPoint{0, 10});
    context->lineTo(GuiPoint{3, 10});
    EXPECT_TRUE(touched(0, 10));
    EXPECT_FALSE(touched(1, 10));
    context->setLineStyle(lineSolid);
    context->moveTo(GuiPoint{0, 20});
    context->lineTo(GuiPoint{4, 20});
    for (int32_t x = 0; x < 4; ++x) EXPECT_TRUE(touched(x, 20)) << x;
    // Any style other than 1 is solid.
    context->setLineStyle(7);
    EXPECT_EQ(context->penStyle, lineSolid);
}

TEST_F(GuiDrawRulesTest, OffsetMovesEveryDrawingCall) {
    context->offset = GuiPoint{20, 10};
    context->moveTo(GuiPoint{0, 0});
    context->lineTo(GuiPoint{3, 0});
    EXPECT_TRUE(touched(20, 10));
    EXPECT_TRUE(touched(22, 10));
    EXPECT_FALSE(touched(0, 0));
    EXPECT_EQ(device->penPosition().h, 23);
    EXPECT_EQ(device->penPosition().v, 10);
}

TEST_F(GuiDrawRulesTest, NewContextDrawsWhiteLinesBlackFillsWhiteText) {
    context->moveTo(GuiPoint{1, 1});
    context->lineTo(GuiPoint{3, 1});
    EXPECT_TRUE(at(1, 1).sameRgb(colorWhite));

    context->fillRect(GuiRect{10, 10, 20, 20});
    EXPECT_TRUE(at(15, 15).sameRgb(colorBlack));

    context->drawString("MW", GuiRect{30, 0, 64, 20}, false, alignLeft);
    bool fullWhite = false, onlyGreys = true;
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 30; x < 64; ++x) {
            const GuiColor c = at(x, y);
            if (c.sameRgb(colorWhite)) fullWhite = true;
            // Blends of white over the backdrop lighten all three channels together.
            if (c.red < kBackdrop.red || c.green < kBackdrop.green || c.blue < kBackdrop.blue)
                onlyGreys = false;
        }
    EXPECT_TRUE(fullWhite);
    EXPECT_TRUE(onlyGreys);

    EXPECT_EQ(context->lineWidth, 1);
    EXPECT_EQ(context->lineStyle, lineSolid);
    EXPECT_FALSE(context->fontSelected);
}

TEST_F(GuiDrawRulesTest, ColoursReachTheirDrawingCallsOnly) {
    context->setFrameColor(colorRed);
    context->setFillColor(colorGreen);
    context->setFontColor(colorBlue);
    context->strokeRect(GuiRect{0, 0, 4, 4});
    context->fillRect(GuiRect{0, 0, 4, 4});
    EXPECT_TRUE(at(0, 0).sameRgb(colorRed));
    EXPECT_TRUE(at(2, 2).sameRgb(colorGreen));
    // The fourth byte never matters.
    context->setFrameColor(GuiColor{1, 2, 3, 99});
    context->moveTo(GuiPoint{10, 10});
    context->lineTo(GuiPoint{11, 10});
    EXPECT_TRUE(at(10, 10).sameRgb(GuiColor{1, 2, 3, 0}));
}

struct FontCase {
    int32_t id, size, style;
    int32_t expectId, expectSize;
    bool expectBold;
    const char* expectFace;
};

TEST_F(GuiDrawRulesTest, SetFontFollowsTheFontTable) {
    const FontCase cases[] = {
        {9, 0, 0, 0, 12, true, "Arial"},     // unknown id becomes the system font
        {-1, 0, 0, 0, 12, true, "Arial"},
        {3, 0, 0, 3, 12, false, "Arial"},
        {0, 20, 0, 0, 20, true, "Arial"},    // the system font is bold whatever the style
        {7, 0, 1, 7, 13, true, "Symbol"},
        {1, 0, 0, 1, 18, false, "Arial"},
        {2, 0, 1, 2, 14, true, "Arial"},
        {4, 0, 0, 4, 11, false, "Arial"},
        {5, 0, 0, 5, 10, false, "Arial"},
        {6, 0, 0, 6, 9, false, "Arial"},
        {6, 15, 0, 6, 15, false, "Arial"},
    };
    for (const FontCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "setFont(" << c.id << ", " << c.size << ", " << c.style << ")");
        context->setFont(c.id, c.size, c.style);
        EXPECT_EQ(context->fontId, c.expectId);
        EXPECT_EQ(context->fontSize, c.expectSize);
        EXPECT_EQ(context->currentFont().id, c.expectId);
        EXPECT_EQ(context->currentFont().size, c.expectSize);
        EXPECT_EQ(context->currentFont().bold, c.expectBold);
        EXPECT_STREQ(GuiDrawContext::fontFaceName(context->fontId), c.expectFace);
        EXPECT_TRUE(context->fontSelected);
    }
    context->setFont(fontNormal, 0, styleItalic | styleUnderline);
    EXPECT_TRUE(context->currentFont().italic);
    EXPECT_TRUE(context->currentFont().underline);
    EXPECT_FALSE(context->currentFont().bold);
}

TEST_F(GuiDrawRulesTest, LeftButtonWithControlReads17) {
    memory::setModifiers(modifierControl);
    memory::setInput(buttonLeft, GuiPoint{0, 0});
    EXPECT_EQ(context->getMouseButtons(), 17);

    struct Case { int32_t buttons, modifiers, expected; };
    const Case cases[] = {{0, 0, 0},
                          {buttonRight, modifierShift, 12},
                          {buttonMiddle, modifierAlt, 34},
                          {buttonLeft | buttonRight, modifierShift | modifierControl | modifierAlt, 61}};
    for (const Case& c : cases) {
        memory::setModifiers(c.modifiers);
        memory::setInput(c.buttons, GuiPoint{0, 0});
        EXPECT_EQ(context->getMouseButtons(), c.expected);
    }
}

TEST_F(GuiDrawRulesTest, MouseLocationUsesTheOriginTakenAtCreation) {
    const GuiPoint origin = window->screenOrigin();
    memory::setInput(0, GuiPoint{origin.h + 10, origin.v + 30});
    context->offset = GuiPoint{5, 5};  // not applied to the mouse
    GuiPoint p;
    context->getMouseLocation(p);
    EXPECT_EQ(p.h, 10);
    EXPECT_EQ(p.v, 30);

    memoryWindow->setScreenOrigin(GuiPoint{origin.h + 100, origin.v});
    context->getMouseLocation(p);
    EXPECT_EQ(p.h, 10);  // the old origin still counts
    GuiDrawContext fresh(nullptr, device.get(), window.get());
    fresh.getMouseLocation(p);
    EXPECT_EQ(p.h, -90);
}

TEST_F(GuiDrawRulesTest, TrackingLoopWalksTheScriptedPath) {
    const GuiPoint origin = window->screenOrigin();
    std::vector<GuiPoint> path;
    for (int32_t i = 1; i <= 5; ++i) path.push_back(GuiPoint{origin.h + 10, origin.v + 20 - 2 * i});
    memory::setInput(buttonLeft, GuiPoint{origin.h + 10, origin.v + 20});
    memory::queueDrag(path);

    std::vector<int32_t> seen;
    int32_t polls = 0;
    while ((context->getMouseButtons() & buttonLeft) && polls++ < 100) {
        GuiPoint p;
        context->getMouseLocation(p);
        seen.push_back(p.v);
        gui_platform::sleepMilliseconds(4);
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{18, 16, 14, 12, 10}));
    EXPECT_EQ(memory::queuedSteps(), 0u);
    EXPECT_EQ(memory::totalSleptMilliseconds(), 20u);
    EXPECT_EQ(gui_platform::tickCount(), 1000u + 20u);  // sleeping moves the scripted clock
}

TEST(GuiDrawContextWithoutDevice, RecordsFieldsAndDrawsNothing) {
    gui_platform::memory::reset();
    GuiDrawContext context(nullptr, nullptr, nullptr);
    context.setFrameColor(colorRed);
    context.setFont(fontBig, 0, 0);
    context.moveTo(GuiPoint{1, 1});
    context.lineTo(GuiPoint{5, 5});
    context.strokeRect(GuiRect{0, 0, 3, 3});
    context.fillRect(GuiRect{0, 0, 3, 3});
    context.drawString("x", GuiRect{0, 0, 10, 10}, true, 0);
    EXPECT_TRUE(context.frameColor.sameRgb(colorRed));
    EXPECT_EQ(context.fontSize, 14);
    EXPECT_EQ(context.windowOrigin.h, 0);
    EXPECT_EQ(context.windowOrigin.v, 0);
}

}  // namespace
