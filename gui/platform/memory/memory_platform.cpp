// The memory back end's factory functions and live services, answered from the scripted state.
#include "gui/platform/memory/memory_world.h"
#include "gui/platform/embedded_bitmaps.h"

namespace gui_platform {

using memory::world;

std::unique_ptr<Window> createWindow(void* parent, int32_t width, int32_t height,
                                     WindowListener* listener) {
    if (!parent || width <= 0 || height <= 0) return nullptr;
    return std::unique_ptr<Window>(new memory::MemoryWindow(parent, width, height, listener));
}

int32_t mouseButtons() {
    auto& w = world();
    if (!w.queue.empty()) {
        w.live = w.queue.front();
        w.queue.pop_front();
    }
    return w.live.buttons | w.modifiers;
}

GuiPoint mouseScreenPosition() { return world().live.screen; }

uint32_t tickCount() {
    auto& w = world();
    return w.clock.fetch_add(w.tickPerQuery.load());
}

void sleepMilliseconds(uint32_t ms) {
    auto& w = world();
    w.clock += ms;
    w.slept += ms;
    ++w.sleepCalls;
}

int32_t doubleClickTime() { return 500; }

void serveRepaints() {
    auto& w = world();
    ++w.serveCalls;
    // A copy: a paint may open or close windows.
    const std::vector<memory::MemoryWindow*> windows = w.windows;
    for (memory::MemoryWindow* window : windows)
        if (window->servePending()) ++w.served;
}

std::unique_ptr<Image> loadBitmap(int32_t resourceId) {
    const int32_t number = resourceId & 0xFFFF;
    auto& w = world();
    const auto registered = w.bitmaps.find(number);
    if (registered != w.bitmaps.end()) {
        if (registered->second.empty()) return nullptr;
        return std::unique_ptr<Image>(new Image(registered->second));
    }
    std::unique_ptr<Image> image(new Image());
    if (!loadEmbeddedBitmap(number, *image)) return nullptr;
    return image;
}

namespace {
uint32_t modalPictureError = 0;
std::vector<memory::MessageRecord> messages;
}  // namespace

uint32_t showModalPicture(int32_t resourceId, Window* owner) {
    if (modalPictureError) return modalPictureError;
    world().pictures.push_back(
        memory::PictureRecord{resourceId, owner ? owner->nativeHandle() : nullptr});
    return 0;
}

void showMessage(Window* owner, const char* text, const char* caption) {
    messages.push_back(memory::MessageRecord{text ? text : "", caption ? caption : "",
                                             owner ? owner->nativeHandle() : nullptr});
}

namespace memory {

MemoryWorld& world() {
    static MemoryWorld instance;
    return instance;
}

void reset() {
    auto& w = world();
    w.nextWindowOrigin = GuiPoint{200, 100};
    w.live = InputStep();
    w.modifiers = 0;
    w.queue.clear();
    w.clock = 1000;
    w.tickPerQuery = 0;
    w.slept = 0;
    w.sleepCalls = 0;
    w.bitmaps.clear();
    w.pictures.clear();
    modalPictureError = 0;
    messages.clear();
    w.serveCalls = 0;
    w.served = 0;
}

std::vector<MemoryWindow*> windows() { return world().windows; }
MemoryWindow* lastWindow() { return world().windows.empty() ? nullptr : world().windows.back(); }
void setNextWindowOrigin(GuiPoint p) { world().nextWindowOrigin = p; }

void setInput(int32_t buttons, GuiPoint screen) { world().live = InputStep{buttons, screen}; }
void setModifiers(int32_t modifiers) {
    world().modifiers = modifiers & (modifierShift | modifierControl | modifierAlt);
}
void queueStep(int32_t buttons, GuiPoint screen) {
    world().queue.push_back(InputStep{buttons, screen});
}
void queueDrag(const std::vector<GuiPoint>& screenPoints, int32_t buttons) {
    for (const GuiPoint& p : screenPoints) queueStep(buttons, p);
    queueRelease();
}
void queueRelease() {
    auto& w = world();
    const GuiPoint at = w.queue.empty() ? w.live.screen : w.queue.back().screen;
    queueStep(0, at);
}
size_t queuedSteps() { return world().queue.size(); }
InputStep liveInput() { return world().live; }

void setTickCount(uint32_t ms) { world().clock = ms; }
void advanceClock(uint32_t ms) { world().clock += ms; }
uint64_t totalSleptMilliseconds() { return world().slept; }
int32_t sleepCalls() { return world().sleepCalls; }
void setTickPerQuery(uint32_t ms) { world().tickPerQuery = ms; }

std::vector<MemoryEditField*> editFields() { return world().editFields; }
MemoryEditField* activeEditField() {
    return world().editFields.empty() ? nullptr : world().editFields.back();
}

void registerBitmap(int32_t resourceId, const Image& image) {
    world().bitmaps[resourceId & 0xFFFF] = image;
}
void unregisterBitmap(int32_t resourceId) { world().bitmaps.erase(resourceId & 0xFFFF); }

const std::vector<PictureRecord>& shownPictures() { return world().pictures; }
void failModalPictures(uint32_t errorCode) { modalPictureError = errorCode; }
const std::vector<MessageRecord>& shownMessages() { return messages; }
int32_t serveRepaintCalls() { return world().serveCalls; }
int32_t repaintsServed() { return world().served; }

}  // namespace memory
}  // namespace gui_platform
