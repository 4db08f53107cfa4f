// Shared pieces of the view and frame tests: a plug-in with a recording host, an editor that
// opens a frame in a memory window, a recording listener and striped test bitmaps.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "gui/views/gui_control.h"
#include "gui/aeff_gui_editor.h"
#include "gui/bitmap.h"
#include "gui/draw_context.h"
#include "gui/frame.h"
#include "gui/platform/memory/memory_platform.h"
#include "tests/recording_host.h"
#include "vst2/audio_effect_x.h"

namespace gui_test {

namespace mem = gui_platform::memory;

inline TestHost& hostLog() { return TestHost::instance(); }

class FakePlugin : public AudioEffectX {
public:
    FakePlugin() : AudioEffectX(TestHost::callback, 1, 63) {}
};

// An editor of the kind the instrument builds: it opens a frame with the host's window.
class TestEditor : public AEffGUIEditor {
public:
    explicit TestEditor(AudioEffect* effect) : AEffGUIEditor(effect) {
        rect.right = 600;
        rect.bottom = 250;
    }
    ~TestEditor() override { close(); }

    VstInt32 open(void* window) override {
        AEffGUIEditor::open(window);
        frame = new GuiFrame(GuiRect{0, 0, 600, 250}, window, this);
        return 1;
    }
    void close() override {
        delete frame;
        frame = nullptr;
    }
    void update() override {
        ++updates;
        if (onUpdate) onUpdate();
    }

    int updates = 0;
    std::function<void()> onUpdate;  // what a refresh does, e.g. copy old parameter values in
};

struct Change {
    VstInt32 tag;
    float value;
    bool hadContext;
};

// Records every change and, like the editor, redraws the control at once when the change came
// with a context, so that "dirty" keeps meaning "differs from what is shown".
class RecordingListener : public GuiControlListener {
public:
    void valueChanged(GuiDrawContext* context, GuiControl* control) override {
        changes.push_back(Change{control->getTag(), control->getValue(), context != nullptr});
        if (onChange) onChange(control);
        if (context) control->update(context);
    }
    std::vector<float> values() const {
        std::vector<float> out;
        for (const Change& change : changes) out.push_back(change.value);
        return out;
    }

    std::vector<Change> changes;
    std::function<void(GuiControl*)> onChange;
};

// A strip of count frames of width x frameHeight, frame i filled with stripColor(i).
inline GuiColor stripColor(int32_t frameIndex) {
    return GuiColor{static_cast<uint8_t>(10 + frameIndex), 40, 80, 0};
}

inline gui_platform::Image stripImage(int32_t width, int32_t frameHeight, int32_t count) {
    gui_platform::Image image(width, frameHeight * count);
    for (int32_t i = 0; i < count; ++i)
        for (int32_t y = 0; y < frameHeight; ++y)
            for (int32_t x = 0; x < width; ++x) image.setPixel(x, i * frameHeight + y, stripColor(i));
    return image;
}

// The frame of a strip that a pixel shows, or -1 for anything else.
inline int32_t stripFrameOf(GuiColor pixel) {
    if (pixel.green != 40 || pixel.blue != 80 || pixel.red < 10) return -1;
    return pixel.red - 10;
}

// A plug-in with an open editor in a memory window, on a fresh scripted world.
class EditorFixture : public ::testing::Test {
protected:
    void SetUp() override {
        mem::reset();
        hostLog().reset();
        plugin = new FakePlugin();
        editor = new TestEditor(plugin);  // the plug-in owns it from here on
        editor->open(reinterpret_cast<void*>(uintptr_t{0x5100}));
        frame = editor->getFrame();
        window = mem::lastWindow();
    }
    void TearDown() override {
        editor->setKnobMode(0);  // the mode is process-wide: leave it as a new process has it
        delete plugin;
    }

    // Screen position of a window point, for scripted input.
    GuiPoint screen(GuiPoint windowPoint) const { return window->toScreen(windowPoint); }
    std::vector<GuiPoint> screenPath(const std::vector<GuiPoint>& windowPoints) const {
        std::vector<GuiPoint> out;
        for (const GuiPoint& p : windowPoints) out.push_back(screen(p));
        return out;
    }

    FakePlugin* plugin = nullptr;
    TestEditor* editor = nullptr;
    GuiFrame* frame = nullptr;
    mem::MemoryWindow* window = nullptr;
};

}  // namespace gui_test
