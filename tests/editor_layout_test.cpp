// The editor panel as built and drawn: views from the control table, knob frames, switch states
// and the voice indicator, checked pixel by pixel against the skin bitmaps.
#include "tests/editor_test_support.h"

#include <cmath>
#include <set>

#include "gui/views/gui_image_strip.h"
#include "gui/views/gui_momentary_button.h"
#include "gui/views/gui_strip_knob.h"
#include "editor/synth_switch.h"
#include "gui/bitmap.h"

namespace editor_test {
namespace {

const std::set<int> kSwitchRows = {3, 8, 13, 26, 31, 52, 60};
constexpr int kLabelCount = 31;
constexpr int kValueDisplayCount = 38;
constexpr int kKnobFrames = 55;

using EditorLayout = EditorTest;

TEST_F(EditorLayout, OpeningBuildsEveryViewOfThePanel) {
    openEditor();
    int labels = 0, displays = 0;
    for (int row = 0; row < kSynthLayoutRowCount; ++row) {
        const SynthLayoutRow& layout = kSynthLayout[row];
        GuiControl* c = control(row);
        ASSERT_NE(c, nullptr) << row;
        EXPECT_EQ(c->getTag(), row);
        EXPECT_TRUE(c->getTransparency()) << row;
        const GuiRect bounds = c->getBounds();
        if (kSwitchRows.count(row)) {
            EXPECT_NE(dynamic_cast<SynthSwitch*>(c), nullptr) << row;
            EXPECT_EQ(bounds.width(), 36);
            EXPECT_EQ(bounds.height(), 24);
        } else {
            EXPECT_NE(dynamic_cast<GuiStripKnob*>(c), nullptr) << row;
            EXPECT_EQ(bounds.width(), 32);
            EXPECT_EQ(bounds.height(), 32);
        }
        EXPECT_EQ(bounds.left + bounds.width() / 2, layout.x) << row;
        EXPECT_EQ(bounds.top + bounds.height() / 2, layout.y) << row;

        if (GuiTextField* label = editor->getLabel(row)) {
            ++labels;
            EXPECT_STREQ(label->text(), layout.labelText);
            EXPECT_EQ(label->getTag(), 63 + row);
            EXPECT_FALSE(label->getMouseEnabled());
            EXPECT_EQ(label->getBounds().bottom, layout.y - 10);
        }
        if (GuiTextField* display = editor->getValueDisplay(row)) {
            ++displays;
            EXPECT_EQ(display->getTag(), 63 + row);
            EXPECT_FALSE(display->getMouseEnabled());
            EXPECT_EQ(display->getBounds().top, layout.y + 11);
        }
    }
    EXPECT_EQ(labels, kLabelCount);
    EXPECT_EQ(displays, kValueDisplayCount);

    ASSERT_NE(editor->getVoiceIndicator(), nullptr);
    EXPECT_FALSE(editor->getVoiceIndicator()->getMouseEnabled());
    ASSERT_NE(editor->getHelpButton(), nullptr);
    EXPECT_EQ(editor->getHelpButton()->getTag(), 100);
    EXPECT_TRUE(editor->getHelpButton()->getMouseEnabled());
    // 63 controls, the labels, the read-outs, the indicator and the help button.
    EXPECT_EQ(frame->getViewCount(), 63 + kLabelCount + kValueDisplayCount + 2);

    ERect* rect = nullptr;
    ASSERT_EQ(plugin->dispatcher(effEditGetRect, 0, 0, &rect, 0.0f), 1);
    EXPECT_EQ(rect->right - rect->left, 600);
    EXPECT_EQ(rect->bottom - rect->top, 250);
    EXPECT_EQ(window->width(), 600);
    EXPECT_EQ(window->height(), 250);
}

// Each knob shows frame floor(54 v) of its strip, keyed yellow over the panel. Values sit in the
// middle of a frame's span, plus the two ends and the last value before the top frame.
TEST_F(EditorLayout, EveryKnobShowsTheStripFrameOfItsValue) {
    openEditor();
    std::vector<int> frames(kSynthLayoutRowCount, 0);
    for (int row = 0; row < kSynthLayoutRowCount; ++row) {
        float v = ((row * 7) % 54 + 0.5f) / 54.0f;
        if (row == 0) v = 0.0f;
        if (row == 53) v = 1.0f;
        if (row == 62) v = 0.999f;
        plugin->setParameter(row, v);
        frames[row] = static_cast<int>(std::floor(54.0 * v));
    }
    paintAndIdle();

    std::unique_ptr<gui_platform::Image> strips[4];
    for (int kind = 0; kind < 4; ++kind) {
        strips[kind] = gui_platform::loadBitmap(104 + kind);
        ASSERT_NE(strips[kind], nullptr);
        ASSERT_EQ(strips[kind]->height, 56 * 32);
    }
    EXPECT_EQ(frames[53], 54);
    EXPECT_EQ(frames[62], 53);
    for (int row = 0; row < kSynthLayoutRowCount; ++row) {
        if (kSwitchRows.count(row)) continue;
        const gui_platform::Image& strip = *strips[kSynthLayout[row].kind];
        const PixelCheck shown = checkViewPixels(control(row), strip, GuiPoint{0, frames[row] * 32}, true);
        EXPECT_GE(shown.checked, 32 * 20) << row;
        EXPECT_GT(shown.shown, 100) << row;
        EXPECT_EQ(shown.mismatches, 0) << "row " << row << " frame " << frames[row];
        // The check can tell neighbouring frames apart.
        const int neighbour = frames[row] == 0 ? 1 : frames[row] - 1;
        EXPECT_GT(checkViewPixels(control(row), strip, GuiPoint{0, neighbour * 32}, true).mismatches, 0) << row;
    }
}

struct SwitchCase {
    float value;
    bool on;
};

TEST_F(EditorLayout, SwitchesShowOnOnlyAboveOneHalf) {
    openEditor();
    std::unique_ptr<gui_platform::Image> image = gui_platform::loadBitmap(109);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->height, 48);
    const SwitchCase cases[] = {{0.0f, false}, {0.5f, false}, {0.51f, true}, {1.0f, true}};
    window->paintAll();
    for (const SwitchCase& c : cases) {
        for (int row : kSwitchRows) plugin->setParameter(row, c.value);
        mem::advanceClock(200);  // past the refresh throttle
        editor->requestRefresh();
        idle();
        for (int row : kSwitchRows) {
            const PixelCheck shown = checkViewPixels(control(row), *image, GuiPoint{0, c.on ? 24 : 0}, true);
            EXPECT_GT(shown.shown, 50) << row;
            EXPECT_EQ(shown.mismatches, 0) << "row " << row << " value " << c.value;
            const PixelCheck other = checkViewPixels(control(row), *image, GuiPoint{0, c.on ? 0 : 24}, true);
            EXPECT_GT(other.mismatches, 0) << row;
        }
    }
}

TEST_F(EditorLayout, VoiceIndicatorShowsOneImagePerSoundingVoice) {
    openEditor();
    std::unique_ptr<gui_platform::Image> strip = gui_platform::loadBitmap(110);
    ASSERT_NE(strip, nullptr);
    ASSERT_EQ(strip->height, 17 * 40);
    window->paintAll();
    for (int voices : {0, 1, 5, 15, 16}) {
        editor->showActiveVoices(voices);
        idle();
        EXPECT_FLOAT_EQ(editor->getVoiceIndicator()->getValue(), voices / 16.0f);
        const PixelCheck shown = checkViewPixels(editor->getVoiceIndicator(), *strip, GuiPoint{0, voices * 40}, false);
        EXPECT_EQ(shown.checked, 40 * 40);
        EXPECT_EQ(shown.mismatches, 0) << voices << " voices";
    }
}

TEST_F(EditorLayout, LabelsAndReadoutsLetThePanelShowThrough) {
    openEditor();
    paintAndIdle();
    std::unique_ptr<gui_platform::Image> panel = gui_platform::loadBitmap(101);
    // The corner pixels of a text box hold no glyph: they show the panel under them.
    for (int row = 0; row < kSynthLayoutRowCount; ++row) {
        for (GuiTextField* text : {editor->getLabel(row), editor->getValueDisplay(row)}) {
            if (!text) continue;
            const GuiRect r = text->getBounds();
            EXPECT_TRUE(window->image().pixel(r.left, r.top).sameRgb(panel->pixel(r.left, r.top))) << row;
            EXPECT_TRUE(window->image().pixel(r.right - 1, r.bottom - 1).sameRgb(panel->pixel(r.right - 1, r.bottom - 1)))
                << row;
        }
    }
}

TEST_F(EditorLayout, CloseReleasesEveryBitmapAndReopeningBuildsAgain) {
    const int32_t before = GuiBitmap::liveCount();
    openEditor();
    EXPECT_EQ(GuiBitmap::liveCount(), before + 7);
    plugin->dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
    EXPECT_FALSE(editor->isEditorOpen());
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_EQ(editor->getControl(0), nullptr);
    EXPECT_EQ(GuiBitmap::liveCount(), before);
    EXPECT_TRUE(mem::windows().empty());

    // Calls that arrive while closed change nothing and touch no view.
    editor->showActiveVoices(3);
    editor->refreshValueDisplay(2);
    idle();

    openEditor();
    EXPECT_NE(control(62), nullptr);
    paintAndIdle();
    EXPECT_FLOAT_EQ(editor->getVoiceIndicator()->getValue(), 3 / 16.0f);
    // The plug-in goes away with its editor still open: nothing is left behind.
    plugin.reset();
    editor = nullptr;
    EXPECT_EQ(GuiBitmap::liveCount(), before);
    EXPECT_TRUE(mem::windows().empty());
}

}  // namespace
}  // namespace editor_test
