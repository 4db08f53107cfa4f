// Knobs: angle/value mapping, linear and circular drags driven by scripted input, knob modes,
// Control+click, arrow keys and the strip frame shown for a value.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "gui/views/gui_knob.h"
#include "gui/views/gui_strip_knob.h"
#include "tests/gui_views_support.h"

namespace {

using namespace gui_test;

constexpr double kPi = 3.14159265358979323846;
constexpr double kSweepDegrees = 270.0;
constexpr double kStartDegrees = 225.0;
// A point 1000 px from the centre pins the angle to within 0.001 rad: 0.0002 of the range.
constexpr double kFarRadius = 1000.0;
constexpr float kFarPointTolerance = 1e-3f;

// Independently: the value a default knob gives for a pointer at this angle (degrees, 0 right,
// counter-clockwise). The dead zone between 225 and 315 degrees is split straight down.
float expectedValueAt(double degrees) {
    double fromStart = kStartDegrees - degrees;  // clockwise distance from the minimum
    while (fromStart < 0.0) fromStart += 360.0;
    while (fromStart >= 360.0) fromStart -= 360.0;
    if (fromStart <= kSweepDegrees) return static_cast<float>(fromStart / kSweepDegrees);
    return fromStart < kSweepDegrees + 45.0 ? 1.0f : 0.0f;
}

GuiPoint pointAt(double centre, double degrees, double distance) {
    const double radians = degrees * kPi / 180.0;
    return GuiPoint{static_cast<int32_t>(std::lround(centre + std::cos(radians) * distance)),
                    static_cast<int32_t>(std::lround(centre - std::sin(radians) * distance))};
}

class KnobMapping : public ::testing::Test {
protected:
    // 64 px wide: radius 32, handle inset 3.
    GuiKnob knob{GuiRect{0, 0, 64, 64}, nullptr, 0, nullptr, nullptr, GuiPoint{0, 0}};
    const double centre = 32.0;
};

TEST_F(KnobMapping, ValueForPointFollowsTheWholeSweep) {
    for (double degrees = -45.0; degrees <= 225.0; degrees += 5.0) {
        const float value = knob.valueForPoint(pointAt(centre, degrees, kFarRadius));
        EXPECT_NEAR(value, expectedValueAt(degrees), kFarPointTolerance) << degrees << " degrees";
    }
}

TEST_F(KnobMapping, DeadZoneGivesTheNearerEndOnEachSide) {
    for (double degrees : {228.0, 240.0, 255.0, 268.0}) {
        EXPECT_EQ(knob.valueForPoint(pointAt(centre, degrees, kFarRadius)), 0.0f) << degrees;
    }
    for (double degrees : {272.0, 285.0, 300.0, 312.0}) {
        EXPECT_EQ(knob.valueForPoint(pointAt(centre, degrees, kFarRadius)), 1.0f) << degrees;
    }
}

TEST_F(KnobMapping, PointForValueLiesOnTheRimAtTheValuesAngle) {
    const double reach = 32.0 - 3.0;
    // Whole-pixel rounding moves the point by at most 0.71 px at 29 px from the centre.
    const double angleTolerance = 0.71 / reach;
    for (int step = 0; step <= 20; ++step) {
        knob.setValue(step / 20.0f);
        GuiPoint point;
        knob.pointForValue(point);
        const double dh = point.h - centre, dv = centre - point.v;
        EXPECT_NEAR(std::hypot(dh, dv), reach, 0.71) << step;
        const double expected = (kStartDegrees - kSweepDegrees * step / 20.0) * kPi / 180.0;
        double difference = std::atan2(dv, dh) - expected;
        difference = std::remainder(difference, 2.0 * kPi);
        EXPECT_NEAR(difference, 0.0, angleTolerance) << step;
        // And back: the rim point stands for the value again, within the same rounding.
        EXPECT_NEAR(knob.valueForPoint(point), step / 20.0f, angleTolerance / (1.5 * kPi)) << step;
    }
}

TEST_F(KnobMapping, SweepSettersRecomputeTheMapping) {
    knob.setSweepStart(static_cast<float>(kPi));        // start at the left
    knob.setSweepAngle(static_cast<float>(-kPi));       // half a turn clockwise, over the top
    EXPECT_NEAR(knob.valueForPoint(pointAt(centre, 90.0, kFarRadius)), 0.5f, kFarPointTolerance);
    EXPECT_NEAR(knob.valueForPoint(pointAt(centre, 180.0, kFarRadius)), 0.0f, kFarPointTolerance);
    EXPECT_NEAR(knob.valueForPoint(pointAt(centre, 45.0, kFarRadius)), 0.75f, kFarPointTolerance);
    EXPECT_TRUE(knob.isDirty());
}

// ---- dragging through the frame, with scripted input ----

constexpr VstInt32 kKnobTag = 12;
constexpr VstInt32 kStripId = 7104;
constexpr VstInt32 kStripFrames = 56;  // 55 shown, as in the skin
const GuiPoint kCentre{100, 100};

class KnobDrag : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        mem::registerBitmap(kStripId, stripImage(32, 32, kStripFrames));
        auto* strip = new GuiBitmap(kStripId);
        knob = new GuiStripKnob(GuiRect{84, 84, 116, 116}, &listener, kKnobTag, 55, 32, strip, GuiPoint{84, 84});
        strip->dropReference();  // the knob keeps its own
        frame->addView(knob);
    }
    void TearDown() override {
        EditorFixture::TearDown();
        mem::unregisterBitmap(kStripId);
    }

    // Presses at pressAt and drags along path (window points), then releases.
    void drag(GuiPoint pressAt, const std::vector<GuiPoint>& path, int32_t modifiers = 0) {
        mem::setModifiers(modifiers);
        mem::queueStep(buttonLeft, screen(pressAt));
        std::vector<GuiPoint> points = path.empty() ? std::vector<GuiPoint>{pressAt} : path;
        mem::queueDrag(screenPath(points));
        window->press(pressAt, buttonLeft | modifiers);
        mem::setModifiers(0);
    }
    // A straight path from the centre, one point per 10 px.
    std::vector<GuiPoint> straight(int32_t dh, int32_t dv) const {
        std::vector<GuiPoint> path;
        const int32_t steps = std::max(std::abs(dh), std::abs(dv)) / 10;
        for (int32_t i = 1; i <= steps; ++i)
            path.push_back(GuiPoint{kCentre.h + dh * i / steps, kCentre.v + dv * i / steps});
        return path;
    }

    RecordingListener listener;
    GuiStripKnob* knob = nullptr;
};

TEST_F(KnobDrag, LinearDragOf200PixelsSweepsTheRange) {
    editor->setKnobMode(2);
    struct Case {
        int32_t dh, dv;
        float expected;
    } cases[] = {
        {200, 0, 1.0f}, {0, -200, 1.0f}, {120, -80, 1.0f}, {100, 0, 0.5f}, {50, 0, 0.25f}, {40, -10, 0.25f},
    };
    for (const Case& c : cases) {
        knob->setValue(0.0f);
        drag(kCentre, straight(c.dh, c.dv));
        EXPECT_NEAR(knob->getValue(), c.expected, 1e-5f) << c.dh << "," << c.dv;
    }
    // Dragging back down returns to the minimum and no further.
    knob->setValue(0.5f);
    drag(kCentre, straight(0, 150));
    EXPECT_EQ(knob->getValue(), 0.0f);
}

TEST_F(KnobDrag, ShiftStretchesTheLinearDragTo300Pixels) {
    editor->setKnobMode(2);
    knob->setValue(0.0f);
    drag(kCentre, straight(300, 0), modifierShift);
    EXPECT_NEAR(knob->getValue(), 1.0f, 1e-5f);
    knob->setValue(0.0f);
    drag(kCentre, straight(200, 0), modifierShift);
    EXPECT_NEAR(knob->getValue(), 200.0f / 300.0f, 1e-5f);
}

TEST_F(KnobDrag, ShiftPressedMidDragChangesOnlyTheSensitivity) {
    editor->setKnobMode(2);
    knob->setValue(0.0f);
    mem::queueStep(buttonLeft, screen(kCentre));
    for (int32_t h = 110; h <= 200; h += 10) mem::queueStep(buttonLeft, screen(GuiPoint{h, 100}));  // 100 px plain
    for (int32_t h = 210; h <= 260; h += 10)
        mem::queueStep(buttonLeft | modifierShift, screen(GuiPoint{h, 100}));  // 60 px fine
    mem::queueStep(modifierShift, screen(GuiPoint{260, 100}));
    window->press(kCentre);
    // 100 px at 1/200 and then 60 px at 1/300, without a jump where Shift went down.
    EXPECT_NEAR(knob->getValue(), 100.0f / 200.0f + 60.0f / 300.0f, 1e-5f);
    for (size_t i = 1; i < listener.changes.size(); ++i)
        EXPECT_LE(listener.changes[i].value - listener.changes[i - 1].value, 10.0f / 200.0f + 1e-5f);
}

TEST_F(KnobDrag, KnobModeAndAltChooseCircularOrLinear) {
    // Pressing at the top of the knob and moving 20 px right: a linear drag gives 20/200; a
    // circular one follows the pointer to about 35 degrees, (225 - 35) / 270 of the range.
    const GuiPoint top{100, 86};
    const float linearValue = 0.1f;
    const float circularValue = expectedValueAt(std::atan2(14.0, 20.0) * 180.0 / kPi);
    struct Case {
        VstInt32 mode;
        int32_t modifiers;
        bool linear;
    } cases[] = {{0, 0, false}, {0, modifierAlt, true},  {1, 0, false},
                 {1, modifierAlt, true}, {2, 0, true}, {2, modifierAlt, false}};
    for (const Case& c : cases) {
        editor->setKnobMode(c.mode);
        knob->setValue(0.0f);
        drag(top, {GuiPoint{110, 86}, GuiPoint{120, 86}}, c.modifiers);
        EXPECT_NEAR(knob->getValue(), c.linear ? linearValue : circularValue, 0.02f)
            << "mode " << c.mode << " alt " << (c.modifiers != 0);
    }
}

TEST_F(KnobDrag, CircularDragCannotJumpAcrossTheDeadZone) {
    // From near the maximum, clockwise through the bottom and on up the minimum side.
    std::vector<GuiPoint> path;
    for (double degrees = -40.0; degrees >= -160.0; degrees -= 10.0) path.push_back(pointAt(100.0, degrees, 40.0));
    const GuiPoint pressAt = pointAt(100.0, -35.0, 12.0);  // on the knob, then off it
    knob->setValue(0.0f);
    drag(pressAt, path);
    EXPECT_EQ(knob->getValue(), 1.0f);
    ASSERT_FALSE(listener.changes.empty());
    for (const Change& change : listener.changes) EXPECT_GT(change.value, 0.9f);

    // The same from the minimum, counter-clockwise: held at the minimum.
    listener.changes.clear();
    path.clear();
    for (double degrees = 220.0; degrees <= 340.0; degrees += 10.0) path.push_back(pointAt(100.0, degrees, 40.0));
    drag(pointAt(100.0, 215.0, 12.0), path);
    EXPECT_EQ(knob->getValue(), 0.0f);
    for (const Change& change : listener.changes) EXPECT_LT(change.value, 0.1f);
}

TEST_F(KnobDrag, CircularDragFollowsThePointerAlongTheSweep) {
    std::vector<GuiPoint> path;
    for (double degrees = 200.0; degrees >= 0.0; degrees -= 20.0) path.push_back(pointAt(100.0, degrees, 40.0));
    drag(pointAt(100.0, 210.0, 12.0), path);
    EXPECT_NEAR(knob->getValue(), expectedValueAt(0.0), 0.02f);
}

TEST_F(KnobDrag, DragIsBracketedByBeginAndEndEditAndTakesTheFocus) {
    drag(kCentre, straight(30, 0));
    std::vector<VstInt32> edits;
    for (const HostRequest& call : hostLog().requests) {
        if (call.opcode == audioMasterBeginEdit || call.opcode == audioMasterEndEdit) {
            EXPECT_EQ(call.index, kKnobTag);
            edits.push_back(call.opcode);
        }
    }
    EXPECT_EQ(edits, (std::vector<VstInt32>{audioMasterBeginEdit, audioMasterEndEdit}));
    EXPECT_EQ(frame->getFocusView(), knob);
    for (const Change& change : listener.changes) EXPECT_TRUE(change.hadContext);
}

TEST_F(KnobDrag, ControlClickReturnsToTheDefault) {
    knob->setDefaultValue(0.7f);
    knob->setValue(0.2f);
    window->press(GuiPoint{90, 90}, buttonLeft | modifierControl);
    EXPECT_EQ(knob->getValue(), 0.7f);
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.changes[0].value, 0.7f);
    EXPECT_EQ(hostLog().count(audioMasterBeginEdit), 0);

    // Control+Shift is not a reset: it starts a (circular, mode 0) drag that follows the pointer.
    knob->setValue(0.2f);
    const GuiPoint top{100, 86};
    drag(top, {top}, modifierControl | modifierShift);
    EXPECT_NEAR(knob->getValue(), 0.5f, 0.02f);
    EXPECT_EQ(hostLog().count(audioMasterBeginEdit), 1);
}

TEST_F(KnobDrag, PressWithoutTheLeftButtonOrWithTheMouseDisabledDoesNothing) {
    knob->setValue(0.3f);
    window->press(kCentre, buttonRight);
    EXPECT_EQ(knob->getValue(), 0.3f);
    knob->setMouseEnabled(false);
    drag(kCentre, straight(50, 0));
    EXPECT_EQ(knob->getValue(), 0.3f);
    EXPECT_TRUE(listener.changes.empty());
}

VstKeyCode key(unsigned char virt, unsigned char modifier = 0) {
    VstKeyCode code{};
    code.virt = virt;
    code.modifier = modifier;
    return code;
}

TEST_F(KnobDrag, ArrowKeysStepByTheStepOrATenthWithShift) {
    struct Case {
        unsigned char virt, modifier;
        float from, to;
    } cases[] = {
        {VKEY_RIGHT, 0, 0.5f, 0.6f}, {VKEY_UP, 0, 0.5f, 0.6f},
        {VKEY_LEFT, 0, 0.5f, 0.4f},  {VKEY_DOWN, 0, 0.5f, 0.4f},
        {VKEY_RIGHT, MODIFIER_SHIFT, 0.5f, 0.51f}, {VKEY_DOWN, MODIFIER_SHIFT, 0.5f, 0.49f},
        {VKEY_UP, 0, 0.95f, 1.0f},   {VKEY_LEFT, 0, 0.05f, 0.0f},
    };
    for (const Case& c : cases) {
        knob->setValue(c.from);
        knob->setDirty(false);  // as drawn: a change is what makes it dirty
        listener.changes.clear();
        VstKeyCode code = key(c.virt, c.modifier);
        EXPECT_EQ(editor->onKeyDown(code), 1);
        EXPECT_NEAR(knob->getValue(), c.to, 1e-6f) << int(c.virt) << " from " << c.from;
        ASSERT_EQ(listener.changes.size(), 1u);
        EXPECT_FALSE(listener.changes[0].hadContext);
    }
    // Other keys are not the knob's; the mouse flag does not matter for keys.
    knob->setValue(0.5f);
    VstKeyCode other = key(0);
    other.character = 'a';
    EXPECT_EQ(editor->onKeyDown(other), -1);
    knob->setMouseEnabled(false);
    VstKeyCode right = key(VKEY_RIGHT);
    EXPECT_EQ(editor->onKeyDown(right), 1);
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6f);
}

TEST_F(KnobDrag, PlainKnobDrawsATwoToneHandleFromTheRimToTheCentre) {
    // 64 px knob at (200, 100): at the middle value the handle points straight up, from 3 px
    // below the rim to the centre, grey first and white one pixel up and right of it.
    auto* plain = new GuiKnob(GuiRect{200, 100, 264, 164}, nullptr, 1, nullptr, nullptr, GuiPoint{0, 0});
    plain->setValue(0.5f);
    frame->addView(plain);
    window->image().resize(600, 250, colorBlue);
    window->paintAll();
    for (int32_t v = 104; v < 131; v += 3) {
        EXPECT_TRUE(window->image().pixel(231, v).sameRgb(colorGrey)) << v;
        EXPECT_TRUE(window->image().pixel(232, v - 1).sameRgb(colorWhite)) << v;
    }
    EXPECT_TRUE(window->image().pixel(231, 101).sameRgb(colorBlue));  // the rim itself stays clear
    plain->setHandleColor(colorRed);
    window->paintAll();
    EXPECT_TRUE(window->image().pixel(232, 110).sameRgb(colorRed));
}

// ---- strip frames ----

TEST(StripKnobFrames, FrameIsTheWholePartOf54TimesTheValue) {
    GuiStripKnob knob(GuiRect{0, 0, 32, 32}, nullptr, 0, 55, 32, nullptr, GuiPoint{0, 0});
    struct Case {
        float value;
        VstInt32 frame;
    } cases[] = {{0.0f, 0}, {0.999f, 53}, {-0.2f, 0}, {1.0f, 54}, {0.5f, 27}, {0.02f, 1}, {0.018f, 0}, {1.5f, 54}};
    for (const Case& c : cases) {
        knob.setValue(c.value);
        EXPECT_EQ(knob.imageIndex(), c.frame) << c.value;
    }
    for (int k = 0; k <= 54; ++k) {
        knob.setValue((k + 0.5f) / 54.0f > 1.0f ? 1.0f : (k + 0.5f) / 54.0f);
        EXPECT_EQ(knob.imageIndex(), k == 54 ? 54 : k) << k;
    }
}

TEST_F(KnobDrag, StripKnobDrawsTheFrameOfItsValue) {
    knob->setTransparency(true);
    struct Case {
        float value;
        int32_t frame;
    } cases[] = {{0.0f, 0}, {0.999f, 53}, {-0.2f, 0}, {1.0f, 54}, {0.5f, 27}};
    for (const Case& c : cases) {
        knob->setValue(c.value);
        window->paintAll();
        EXPECT_EQ(stripFrameOf(window->image().pixel(100, 100)), c.frame) << c.value;
        EXPECT_FALSE(knob->isDirty());
    }
}

}  // namespace
