// The memory back end's test controls: offscreen windows whose pixels can be read, and a
// scripted world (input, clock, edit fields, drops, modal pictures) the toolkit runs against.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gui/platform/platform.h"

namespace gui_platform {
namespace memory {

class MemoryEditField;

// One offscreen window, made by gui_platform::createWindow.
class MemoryWindow : public Window {
public:
    MemoryWindow(void* parent, int32_t width, int32_t height, WindowListener* listener);
    ~MemoryWindow() override;

    void* nativeHandle() const override;
    GuiPoint screenOrigin() const override { return origin; }
    int32_t width() const override { return pixels.width; }
    int32_t height() const override { return pixels.height; }
    void setListener(WindowListener* newListener) override { listener = newListener; }
    std::unique_ptr<Device> openDevice() override;
    void invalidate(const GuiRect& area) override;
    void* outerWindow() const override { return parentHandle; }
    std::unique_ptr<EditField> createEditField(const EditFieldSetup& setup,
                                               EditListener* editListener) override;

    // ---- for tests ----
    const Image& image() const { return pixels; }
    Image& image() { return pixels; }
    void* parent() const { return parentHandle; }
    void setScreenOrigin(GuiPoint p) { origin = p; }
    GuiPoint toScreen(GuiPoint windowPoint) const {
        return GuiPoint{windowPoint.h + origin.h, windowPoint.v + origin.v};
    }
    // Paints area now through the listener (as an exposure would); whole window by default.
    void paint(const GuiRect& area);
    void paintAll() { paint(GuiRect{0, 0, pixels.width, pixels.height}); }
    // Pending repaint area (empty: none), and whether one is pending.
    bool hasPendingRepaint() const { return pendingRepaint; }
    GuiRect pendingArea() const { return pending; }
    // Serves this window's pending repaint, if any; true when one was served.
    bool servePending();
    // Presses at a window point: the live state becomes (buttons, position), then the
    // listener's onButtonPress runs; whatever the control does with the queued input happens
    // inside this call.
    void press(GuiPoint where, int32_t buttons = buttonLeft);
    // Delivers dropped text or file names at a window point.
    void dropText(const std::string& text, GuiPoint where);
    void dropFiles(const std::vector<std::string>& names, GuiPoint where);
    // The host destroys the window underneath its owner.
    void destroyNative();
    bool isNativeAlive() const { return alive; }

private:
    void* parentHandle;
    WindowListener* listener;
    Image pixels;
    GuiPoint origin;
    bool pendingRepaint = false;
    GuiRect pending;
    bool alive = true;
};

// The stand-in for a native edit field: tests type into it and end it.
class MemoryEditField : public EditField {
public:
    MemoryEditField(const EditFieldSetup& setup, EditListener* listener);
    ~MemoryEditField() override;
    void getText(char* out, int32_t capacity) const override;

    // ---- for tests; each may destroy the field (the owner ends its editing) ----
    void typeText(const std::string& text);   // replaces the selected (whole) text
    void pressReturn();
    void loseFocus();

    const std::string& text() const { return content; }
    const EditFieldSetup& setup() const { return fieldSetup; }
    const FontRequest& font() const { return fieldSetup.font; }

private:
    EditFieldSetup fieldSetup;
    std::string content;
    EditListener* listener;
};

// One scripted input state: buttons and modifiers (getMouseButtons bits) and the pointer in
// screen pixels.
struct InputStep {
    int32_t buttons = 0;
    GuiPoint screen;
};

// Everything below is process-wide scripted state; reset() returns to a fresh start (no
// windows are destroyed; clock at 1000 ms, no input, no records).
void reset();

// Windows alive, oldest first; the last one made (or null).
std::vector<MemoryWindow*> windows();
MemoryWindow* lastWindow();
// Where new windows appear on the screen (default (200, 100)).
void setNextWindowOrigin(GuiPoint p);

// Input. Each gui_platform::mouseButtons() query first takes the next queued step, if any,
// as the live state, then answers from the live state; positions read the live state without
// consuming. So a tracking loop "while buttons: read position" walks the queue one step per
// poll and leaves it on the last step.
void setInput(int32_t buttons, GuiPoint screen);
void setModifiers(int32_t modifiers);  // modifierShift/Control/Alt bits kept on every step
void queueStep(int32_t buttons, GuiPoint screen);
// Queues a drag with the buttons held along points, then a release at the last point.
void queueDrag(const std::vector<GuiPoint>& screenPoints, int32_t buttons = buttonLeft);
void queueRelease();
size_t queuedSteps();
InputStep liveInput();

// Clock. tickCount() reads it; sleepMilliseconds advances it by the time slept.
void setTickCount(uint32_t ms);
void advanceClock(uint32_t ms);
uint64_t totalSleptMilliseconds();
int32_t sleepCalls();
// Each tickCount() query also advances the clock by this much (default 0).
void setTickPerQuery(uint32_t ms);

// Edit fields currently open, oldest first; the last one (or null).
std::vector<MemoryEditField*> editFields();
MemoryEditField* activeEditField();

// Images served by loadBitmap before the embedded resources are asked; register an empty
// image to make a number missing.
void registerBitmap(int32_t resourceId, const Image& image);
void unregisterBitmap(int32_t resourceId);

// Modal pictures shown (resource numbers, in order); each returns at once as if dismissed.
struct PictureRecord {
    int32_t resourceId;
    void* owner;
};
const std::vector<PictureRecord>& shownPictures();
// From now on modal pictures fail with errorCode and are not shown; 0 shows them again.
void failModalPictures(uint32_t errorCode);

// Messages shown, in order; each returns at once as if confirmed.
struct MessageRecord {
    std::string text;
    std::string caption;
    void* owner;
};
const std::vector<MessageRecord>& shownMessages();

// How many serveRepaints() calls were made, and how many repaints they served.
int32_t serveRepaintCalls();
int32_t repaintsServed();

}  // namespace memory
}  // namespace gui_platform
