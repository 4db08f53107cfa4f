// Shared helpers of the GUI core tests: a fresh memory window and pixel queries on it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "gui/draw_context.h"
#include "gui/platform/memory/memory_platform.h"

namespace gui_draw_test {

// A backdrop no drawing call of the tests uses, so any change shows.
inline constexpr GuiColor kBackdrop{40, 50, 60, 0};

// One offscreen window filled with kBackdrop, a device on it and a context.
class SurfaceFixture : public ::testing::Test {
protected:
    void SetUp() override {
        gui_platform::memory::reset();
        window = gui_platform::createWindow(&hostWindow, 64, 48, nullptr);
        ASSERT_TRUE(window);
        memoryWindow = gui_platform::memory::lastWindow();
        device = window->openDevice();
        device->fillRect(GuiRect{0, 0, 64, 48}, kBackdrop);
        context.reset(new GuiDrawContext(nullptr, device.get(), window.get()));
    }
    void TearDown() override {
        context.reset();
        device.reset();
        window.reset();
    }

    GuiColor at(int32_t x, int32_t y) const { return memoryWindow->image().pixel(x, y); }
    bool touched(int32_t x, int32_t y) const { return !at(x, y).sameRgb(kBackdrop); }
    // Pixels of the whole window that differ from kBackdrop.
    int32_t touchedCount() const {
        int32_t count = 0;
        for (int32_t y = 0; y < memoryWindow->height(); ++y)
            for (int32_t x = 0; x < memoryWindow->width(); ++x) count += touched(x, y) ? 1 : 0;
        return count;
    }
    void clear() { device->fillRect(GuiRect{0, 0, 64, 48}, kBackdrop); }

    int hostWindow = 0;  // stands in for the host's native window
    std::unique_ptr<gui_platform::Window> window;
    gui_platform::memory::MemoryWindow* memoryWindow = nullptr;
    std::unique_ptr<gui_platform::Device> device;
    std::unique_ptr<GuiDrawContext> context;
};

// The bounding box of the pixels differing from kBackdrop (right and bottom inclusive);
// left > right when nothing was drawn.
struct InkBox {
    int32_t left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
    bool empty() const { return right < left; }
};

inline InkBox inkBox(const gui_platform::Image& image, const GuiRect& within) {
    InkBox box;
    for (int32_t y = within.top; y < within.bottom; ++y)
        for (int32_t x = within.left; x < within.right; ++x) {
            if (image.pixel(x, y).sameRgb(kBackdrop)) continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    return box;
}

}  // namespace gui_draw_test
