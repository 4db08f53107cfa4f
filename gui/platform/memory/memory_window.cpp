// The memory back end's offscreen window and its edit-field stand-in.
#include <algorithm>
#include <cstring>

#include "gui/platform/memory/memory_world.h"
#include "gui/platform/raster/raster_device.h"

namespace gui_platform {
namespace memory {

using raster::RasterDevice;

MemoryWindow::MemoryWindow(void* parent, int32_t width, int32_t height,
                           WindowListener* listener)
    : parentHandle(parent), listener(listener), pixels(width, height, colorBlack),
      origin(world().nextWindowOrigin) {
    world().windows.push_back(this);
}

MemoryWindow::~MemoryWindow() {
    auto& list = world().windows;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void* MemoryWindow::nativeHandle() const { return const_cast<MemoryWindow*>(this); }

std::unique_ptr<Device> MemoryWindow::openDevice() {
    return std::unique_ptr<Device>(new RasterDevice(pixels));
}

void MemoryWindow::invalidate(const GuiRect& area) {
    const GuiRect inside = raster::intersectRects(area, GuiRect{0, 0, pixels.width, pixels.height});
    if (inside.right <= inside.left || inside.bottom <= inside.top) return;
    if (!pendingRepaint) {
        pending = inside;
    } else {
        pending = GuiRect{std::min(pending.left, inside.left), std::min(pending.top, inside.top),
                          std::max(pending.right, inside.right),
                          std::max(pending.bottom, inside.bottom)};
    }
    pendingRepaint = true;
}

void MemoryWindow::paint(const GuiRect& area) {
    if (!alive || !listener) return;
    RasterDevice device(pixels, area);
    listener->onPaint(device, device.clipRect());
}

bool MemoryWindow::servePending() {
    if (!pendingRepaint) return false;
    pendingRepaint = false;
    if (!alive || !listener) return false;
    paint(pending);
    return true;
}

void MemoryWindow::press(GuiPoint where, int32_t buttons) {
    world().live = InputStep{buttons, toScreen(where)};
    if (!alive || !listener) return;
    RasterDevice device(pixels);
    listener->onButtonPress(device, where);
}

void MemoryWindow::dropText(const std::string& text, GuiPoint where) {
    if (!alive || !listener || text.empty()) return;
    std::vector<char> block(text.begin(), text.end());
    block.push_back('\0');
    char* entries[1] = {block.data()};
    listener->onDrop(entries, int32_t(block.size()), 1, where);
}

void MemoryWindow::dropFiles(const std::vector<std::string>& names, GuiPoint where) {
    if (!alive || !listener || names.empty()) return;
    std::vector<std::vector<char>> copies;
    std::vector<char*> entries;
    for (const std::string& name : names) copies.emplace_back(name.c_str(), name.c_str() + name.size() + 1);
    for (auto& copy : copies) entries.push_back(copy.data());
    listener->onDrop(entries.data(), int32_t(entries.size()), 0, where);
}

void MemoryWindow::destroyNative() {
    if (!alive) return;
    alive = false;
    pendingRepaint = false;
    if (listener) listener->onWindowDestroyed();
}

std::unique_ptr<EditField> MemoryWindow::createEditField(const EditFieldSetup& setup,
                                                         EditListener* editListener) {
    if (!alive) return nullptr;
    return std::unique_ptr<EditField>(new MemoryEditField(setup, editListener));
}

MemoryEditField::MemoryEditField(const EditFieldSetup& setup, EditListener* listener)
    : fieldSetup(setup), content(setup.text ? setup.text : ""), listener(listener) {
    fieldSetup.text = nullptr;  // the caller's text need not outlive the call
    world().editFields.push_back(this);
}

MemoryEditField::~MemoryEditField() {
    auto& list = world().editFields;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void MemoryEditField::getText(char* out, int32_t capacity) const {
    if (!out || capacity <= 0) return;
    const size_t length = std::min(content.size(), size_t(capacity - 1));
    std::memcpy(out, content.data(), length);
    out[length] = '\0';
}

void MemoryEditField::typeText(const std::string& text) { content = text; }

// The listener may delete this field inside the call: nothing of it is touched afterwards.
void MemoryEditField::pressReturn() {
    if (listener) listener->onEditReturn();
}

void MemoryEditField::loseFocus() {
    if (listener) listener->onEditFocusLost();
}

}  // namespace memory
}  // namespace gui_platform
