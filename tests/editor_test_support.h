// Shared pieces of the editor tests: the instrument with a recording host, its editor open in a
// memory window, and pixel checks of the panel against the skin bitmaps.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui/views/gui_control.h"
#include "gui/views/gui_text_field.h"
#include "editor/synth_editor.h"
#include "editor/synth_layout.h"
#include "gui/frame.h"
#include "gui/platform/memory/memory_platform.h"
#include "plugin/synth_plugin.h"
#include "tests/recording_host.h"

namespace editor_test {

namespace mem = gui_platform::memory;

inline std::vector<HostRequest>& hostRequests() { return TestHost::instance().requests; }

// A window point and a bitmap pixel per check, or none: where a view added later covers the
// control, the control's own pixels are not what the window shows.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        mem::reset();
        hostRequests().clear();
        plugin.reset(new SynthPlugin(TestHost::callback, createSynthEditor));
        plugin->setSampleRate(44100.0f);
        editor = dynamic_cast<SynthEditor*>(plugin->getEditor());
        ASSERT_NE(editor, nullptr);
    }
    void TearDown() override {
        if (editor) editor->setKnobMode(0);  // process-wide: leave it as a fresh process has it
        plugin.reset();
    }

    void openEditor() {
        ASSERT_TRUE(plugin->dispatcher(effEditOpen, 0, 0, hostWindow(), 0.0f));
        window = mem::lastWindow();
        ASSERT_NE(window, nullptr);
        frame = editor->getFrame();
        ASSERT_NE(frame, nullptr);
    }
    // The first exposure, then one host idle (the refresh the opening asked for lands here).
    void paintAndIdle() {
        window->paintAll();
        idle();
    }
    void idle() { plugin->dispatcher(effEditIdle, 0, 0, nullptr, 0.0f); }
    // A left click: pressed at where, released there.
    void click(GuiPoint where) {
        mem::queueDrag({window->toScreen(where)});
        window->press(where);
    }
    static void* hostWindow() {
        static char parent;
        return &parent;
    }

    GuiControl* control(int row) const { return editor->getControl(row); }
    std::string valueText(int row) const {
        GuiTextField* display = editor->getValueDisplay(row);
        return display ? display->text() : "<none>";
    }
    std::string expectedReadout(int row) const {
        char display[1024] = {};
        char label[1024] = {};
        plugin->getParameterDisplay(row, display);
        plugin->getParameterLabel(row, label);
        return std::string(display) + " " + label;
    }

    // Counts the pixels of view's rectangle (right and bottom exclusive, as drawn) that no later
    // view covers and whose window colour differs from the expected one: the bitmap block at
    // source, with keyed pixels showing the panel, or (key absent) the block as it is. Keyed
    // pixels over an earlier view show that view and are left out.
    struct PixelCheck {
        int32_t checked = 0;
        int32_t shown = 0;  // unkeyed pixels among the checked ones
        int32_t mismatches = 0;
    };
    PixelCheck checkViewPixels(GuiView* view, const gui_platform::Image& bitmap, GuiPoint source,
                               bool keyed) const;

    std::unique_ptr<SynthPlugin> plugin;
    SynthEditor* editor = nullptr;
    mem::MemoryWindow* window = nullptr;
    GuiFrame* frame = nullptr;
};

inline EditorTest::PixelCheck EditorTest::checkViewPixels(GuiView* view, const gui_platform::Image& bitmap,
                                                          GuiPoint source, bool keyed) const {
    PixelCheck result;
    std::unique_ptr<gui_platform::Image> panel = gui_platform::loadBitmap(SynthEditor::kBackgroundBitmap);
    std::vector<GuiRect> covers;
    std::vector<GuiRect> under;
    bool later = false;
    for (VstInt32 i = 0; i < frame->getViewCount(); ++i) {
        GuiView* other = frame->getView(i);
        if (other == view) {
            later = true;
            continue;
        }
        (later ? covers : under).push_back(other->getBounds());
    }
    auto inside = [](const std::vector<GuiRect>& rects, int32_t x, int32_t y) {
        for (const GuiRect& r : rects)
            if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
        return false;
    };
    const GuiRect box = view->getBounds();
    for (int32_t y = box.top; y < box.bottom; ++y) {
        for (int32_t x = box.left; x < box.right; ++x) {
            if (inside(covers, x, y)) continue;
            const GuiColor image = bitmap.pixel(source.h + x - box.left, source.v + y - box.top);
            const bool transparent = keyed && image.sameRgb(colorYellow);
            if (transparent && inside(under, x, y)) continue;
            const GuiColor expected = transparent ? panel->pixel(x, y) : image;
            ++result.checked;
            result.shown += transparent ? 0 : 1;
            result.mismatches += window->image().pixel(x, y).sameRgb(expected) ? 0 : 1;
        }
    }
    return result;
}

}  // namespace editor_test
