// Switches, the image strip and the momentary button: images shown, clicks and held presses.
#include <gtest/gtest.h>

#include <vector>

#include "gui/views/gui_image_strip.h"
#include "gui/views/gui_momentary_button.h"
#include "gui/views/gui_toggle_button.h"
#include "editor/synth_switch.h"
#include "tests/gui_views_support.h"

namespace {

using namespace gui_test;

constexpr VstInt32 kSwitchId = 7109;
constexpr VstInt32 kIndicatorId = 7110;
constexpr VstInt32 kButtonId = 7101;

class ButtonFixture : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        mem::registerBitmap(kSwitchId, stripImage(36, 24, 2));       // off above, on below
        mem::registerBitmap(kIndicatorId, stripImage(40, 40, 17));   // 17 images, 0..16 voices
        mem::registerBitmap(kButtonId, stripImage(50, 30, 2));       // released, pushed
    }
    void TearDown() override {
        EditorFixture::TearDown();
        for (VstInt32 id : {kSwitchId, kIndicatorId, kButtonId}) mem::unregisterBitmap(id);
    }
    template <typename View>
    View* add(View* view) {
        frame->addView(view);
        return view;
    }
    // Creates a bitmap for a view; the view takes its own reference, ours goes at once.
    template <typename Make>
    auto withBitmap(VstInt32 id, Make make) {
        auto* bitmap = new GuiBitmap(id);
        auto* view = make(bitmap);
        bitmap->dropReference();
        return add(view);
    }
    int32_t frameShownAt(GuiPoint where) {
        window->paintAll();
        return stripFrameOf(window->image().pixel(where.h, where.v));
    }

    RecordingListener listener;
};

// ---- switches ----

TEST_F(ButtonFixture, SynthSwitchIsOnOnlyAboveOneHalf) {
    auto* sw = withBitmap(kSwitchId, [&](GuiBitmap* b) {
        return new SynthSwitch(GuiRect{100, 100, 136, 124}, &listener, 3, b);
    });
    struct Case {
        float value;
        int32_t image;
    } cases[] = {{0.0f, 0}, {0.5f, 0}, {0.51f, 1}, {0.7f, 1}, {1.0f, 1}};
    for (const Case& c : cases) {
        sw->setValue(c.value);
        EXPECT_EQ(frameShownAt(GuiPoint{118, 112}), c.image) << c.value;
    }
}

TEST_F(ButtonFixture, ToggleButtonIsOnForAnyNonZeroValue) {
    auto* toggle = withBitmap(kSwitchId, [&](GuiBitmap* b) {
        return new GuiToggleButton(GuiRect{100, 100, 136, 124}, &listener, 3, b);
    });
    struct Case {
        float value;
        int32_t image;
    } cases[] = {{0.0f, 0}, {0.3f, 1}, {0.5f, 1}, {1.0f, 1}};
    for (const Case& c : cases) {
        toggle->setValue(c.value);
        EXPECT_EQ(frameShownAt(GuiPoint{118, 112}), c.image) << c.value;
    }
}

TEST_F(ButtonFixture, ClickTogglesByTheWholePartOfTheValue) {
    auto* sw = add(new SynthSwitch(GuiRect{100, 100, 136, 124}, &listener, 3, nullptr));
    auto* toggle = add(new GuiToggleButton(GuiRect{200, 100, 236, 124}, &listener, 4, nullptr));
    struct Case {
        float from, to;
    } cases[] = {{0.7f, 1.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {0.5f, 1.0f}};
    for (GuiControl* control : std::vector<GuiControl*>{sw, toggle}) {
        for (const Case& c : cases) {
            control->setValue(c.from);
            listener.changes.clear();
            const GuiRect& r = control->getBounds();
            window->press(GuiPoint{r.left + 5, r.top + 5});
            EXPECT_EQ(control->getValue(), c.to) << control->getTag() << " from " << c.from;
            ASSERT_EQ(listener.changes.size(), 1u);
            EXPECT_EQ(listener.changes[0].value, c.to);
        }
    }
    EXPECT_EQ(hostLog().count(audioMasterBeginEdit), 0);  // a click is not a gesture
}

TEST_F(ButtonFixture, SwitchClickSurvivesARefreshDuringItsOwnIdle) {
    auto* sw = add(new SynthSwitch(GuiRect{100, 100, 136, 124}, &listener, 3, nullptr));
    sw->setValue(0.0f);
    // The refresh copies the plug-in's parameter, still the old 0, into the switch.
    editor->onUpdate = [&] { sw->setValue(0.0f); };
    editor->postUpdate();
    window->press(GuiPoint{110, 110});
    EXPECT_EQ(editor->updates, 1);
    EXPECT_EQ(sw->getValue(), 1.0f);
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.changes[0].value, 1.0f);
}

// ---- image strip ----

TEST_F(ButtonFixture, ImageStripShowsTheNearestImageAndPullsBackValuesAboveOne) {
    auto* strip = withBitmap(kIndicatorId, [&](GuiBitmap* b) {
        return new GuiImageStrip(GuiRect{156, 9, 196, 49}, nullptr, 100, 17, 40, b, GuiPoint{0, 0});
    });
    for (int voices = 0; voices <= 16; ++voices) {
        strip->setValue(voices * 0.0625f);
        EXPECT_EQ(frameShownAt(GuiPoint{176, 29}), voices) << voices;
    }
    strip->setValue(1.5f);
    EXPECT_EQ(frameShownAt(GuiPoint{176, 29}), 16);
    EXPECT_EQ(strip->getValue(), 1.0f);
    strip->setValue(-0.3f);
    EXPECT_EQ(frameShownAt(GuiPoint{176, 29}), 0);
}

// ---- momentary button ----

class MomentaryButton : public ButtonFixture {
protected:
    void SetUp() override {
        ButtonFixture::SetUp();
        button = withBitmap(kButtonId, [&](GuiBitmap* b) {
            return new GuiMomentaryButton(GuiRect{490, 210, 540, 240}, &listener, 42, 30, b, GuiPoint{0, 0});
        });
        window->paintAll();  // shown once, as the host does before anyone can click
    }
    void hold(const std::vector<GuiPoint>& path, int32_t modifiers = 0) {
        mem::setModifiers(modifiers);
        mem::queueStep(buttonLeft, screen(path.front()));
        mem::queueDrag(screenPath(path));
        window->press(path.front(), buttonLeft | modifiers);
        mem::setModifiers(0);
    }
    GuiMomentaryButton* button = nullptr;
};

TEST_F(MomentaryButton, ReportsOneWhileHeldThenZero) {
    hold({GuiPoint{500, 220}, GuiPoint{505, 222}, GuiPoint{510, 225}});
    EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.0f}));
    EXPECT_EQ(button->getValue(), 0.0f);
    EXPECT_EQ(hostLog().count(audioMasterBeginEdit), 1);
    EXPECT_EQ(hostLog().count(audioMasterEndEdit), 1);
}

TEST_F(MomentaryButton, ReleasedOutsideStillEndsWithZero) {
    hold({GuiPoint{500, 220}, GuiPoint{520, 230}, GuiPoint{560, 245}, GuiPoint{580, 248}});
    const std::vector<float> values = listener.values();
    ASSERT_GE(values.size(), 2u);
    EXPECT_EQ(values.front(), 1.0f);
    EXPECT_EQ(values.back(), 0.0f);
    EXPECT_EQ(button->getValue(), 0.0f);
}

TEST_F(MomentaryButton, FollowsThePointerOutAndBackIn) {
    hold({GuiPoint{500, 220}, GuiPoint{560, 220}, GuiPoint{500, 220}});
    EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.0f, 1.0f, 0.0f}));
}

TEST_F(MomentaryButton, WithAModifierItIsASinglePush) {
    hold({GuiPoint{500, 220}, GuiPoint{505, 222}}, modifierShift);
    EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.0f}));
    EXPECT_EQ(hostLog().count(audioMasterBeginEdit), 0);
}

TEST_F(MomentaryButton, DrawsThePushedImageWhileItsValueIsSet) {
    EXPECT_EQ(frameShownAt(GuiPoint{515, 225}), 0);
    button->setValue(1.0f);
    EXPECT_EQ(frameShownAt(GuiPoint{515, 225}), 1);
    button->setValue(3.0f);  // clamped when drawn
    EXPECT_EQ(frameShownAt(GuiPoint{515, 225}), 1);
    EXPECT_EQ(button->getValue(), 1.0f);
}

}  // namespace
