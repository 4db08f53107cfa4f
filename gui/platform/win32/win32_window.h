// The editor's child window on Windows: class "Plugin%08x" of the module, paint and button
// presses to the frame, the edit field's colours, and the OLE drop target.
#pragma once

#include <windows.h>

#include "gui/platform/platform.h"

namespace gui_platform {
namespace win32 {

class Win32DropTarget;

class Win32Window : public Window {
public:
    // Creates the child window of parent; check nativeHandle() for success.
    Win32Window(HWND parent, int32_t width, int32_t height, WindowListener* listener);
    ~Win32Window() override;

    void* nativeHandle() const override { return hwnd; }
    GuiPoint screenOrigin() const override;
    int32_t width() const override { return clientWidth; }
    int32_t height() const override { return clientHeight; }
    void setListener(WindowListener* newListener) override { listener = newListener; }
    std::unique_ptr<Device> openDevice() override;
    void invalidate(const GuiRect& area) override;
    void* outerWindow() const override;
    std::unique_ptr<EditField> createEditField(const EditFieldSetup& setup,
                                               EditListener* editListener) override;

    // Drops arrive here from the drop target, at screen position where.
    void deliverDrop(void* data, int32_t count, int32_t type, POINT where);

    // The class name every window of this module uses ("Plugin" and the module handle).
    static const char* className();
    // Windows alive in the process made by this back end, for leak checks.
    static int32_t liveCount();

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void onDestroyed();

    HWND hwnd = nullptr;
    WindowListener* listener;
    int32_t clientWidth;
    int32_t clientHeight;
    bool oleReady = false;
    bool classHeld = false;
    Win32DropTarget* dropTarget = nullptr;
};

}  // namespace win32
}  // namespace gui_platform
