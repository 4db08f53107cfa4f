// The editor's child window: class registration shared by all windows of the module, the
// window procedure, and drop-target registration.
#include "gui/platform/win32/win32_window.h"

#include <cstdio>
#include <cstdlib>

#include "gui/platform/win32/gdi_device.h"
#include "gui/platform/win32/win32_drop_target.h"
#include "gui/platform/win32/win32_edit_field.h"
#include "gui/platform/win32/win32_module.h"

namespace gui_platform {
namespace win32 {

namespace {

// User-interface thread only, like everything of the editor.
int32_t classUsers = 0;
int32_t liveWindows = 0;
char classNameText[32] = "";

// The first user registers the class; the name carries the module handle so that two loaded
// copies of the plug-in never share a class (and a window procedure in the other copy).
void registerWindowClass() {
    if (++classUsers != 1) return;
    WNDCLASSA windowClass = {};
    windowClass.style = CS_GLOBALCLASS;  // no CS_DBLCLKS: a quick second press stays a press
    windowClass.lpfnWndProc = &Win32Window::windowProc;
    windowClass.hInstance = moduleInstance();
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = Win32Window::className();
    RegisterClassA(&windowClass);  // a class left by an earlier user is as good
}

void unregisterWindowClass() {
    if (classUsers <= 0 || --classUsers != 0) return;
    UnregisterClassA(Win32Window::className(), moduleInstance());
}

}  // namespace

const char* Win32Window::className() {
    if (!classNameText[0]) {
        std::snprintf(classNameText, sizeof classNameText, "Plugin%08x",
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(moduleInstance())));
    }
    return classNameText;
}

int32_t Win32Window::liveCount() { return liveWindows; }

Win32Window::Win32Window(HWND parent, int32_t width, int32_t height, WindowListener* listener)
    : listener(listener), clientWidth(width), clientHeight(height) {
    // OLE for the drop target, once per window; undone with the window.
    oleReady = SUCCEEDED(OleInitialize(nullptr));
    registerWindowClass();
    classHeld = true;
    hwnd = CreateWindowExA(0, className(), "Window", WS_CHILD | WS_VISIBLE, 0, 0, width, height,
                           parent, nullptr, moduleInstance(), nullptr);
    if (!hwnd) return;
    ++liveWindows;
    // Messages sent during creation find no window object and get default handling.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (oleReady) {
        dropTarget = new Win32DropTarget(this);
        if (FAILED(RegisterDragDrop(hwnd, dropTarget))) {
            dropTarget->Release();
            dropTarget = nullptr;
        }
    }
}

Win32Window::~Win32Window() {
    listener = nullptr;
    if (hwnd) {
        HWND going = hwnd;
        onDestroyed();
        SetWindowLongPtrA(going, GWLP_USERDATA, 0);  // late messages find no window object
        DestroyWindow(going);
    }
    if (classHeld) unregisterWindowClass();
    if (oleReady) OleUninitialize();
}

// Runs once, whoever destroys the native window first: the drop registration goes while the
// window still exists.
void Win32Window::onDestroyed() {
    if (!hwnd) return;
    if (dropTarget) {
        RevokeDragDrop(hwnd);
        dropTarget->detach();
        dropTarget->Release();
        dropTarget = nullptr;
    }
    hwnd = nullptr;
    --liveWindows;
}

GuiPoint Win32Window::screenOrigin() const {
    RECT r = {};
    if (hwnd) GetWindowRect(hwnd, &r);
    return GuiPoint{r.left, r.top};
}

std::unique_ptr<Device> Win32Window::openDevice() {
    if (!hwnd) return nullptr;
    HDC dc = GetDC(hwnd);
    if (!dc) return nullptr;
    return std::unique_ptr<Device>(new GdiDevice(dc, hwnd));
}

void Win32Window::invalidate(const GuiRect& area) {
    if (!hwnd) return;
    RECT r = {area.left, area.top, area.right, area.bottom};
    InvalidateRect(hwnd, &r, FALSE);
}

// The highest ancestor within 60 pixels of the editor's size, or an earlier one with a caption
// or without a parent: what a modal picture of the editor should belong to.
void* Win32Window::outerWindow() const {
    if (!hwnd) return nullptr;
    RECT frameRect = {};
    GetWindowRect(hwnd, &frameRect);
    const LONG frameWidth = frameRect.right - frameRect.left;
    const LONG frameHeight = frameRect.bottom - frameRect.top;
    HWND window = hwnd;
    for (;;) {
        HWND parent = GetParent(window);
        if ((GetWindowLongA(window, GWL_STYLE) & WS_CAPTION) != 0 || !parent) return window;
        RECT parentRect = {};
        GetWindowRect(parent, &parentRect);
        if (std::labs((parentRect.right - parentRect.left) - frameWidth) > 60 ||
            std::labs((parentRect.bottom - parentRect.top) - frameHeight) > 60) {
            return window;
        }
        window = parent;
    }
}

std::unique_ptr<EditField> Win32Window::createEditField(const EditFieldSetup& setup,
                                                        EditListener* editListener) {
    if (!hwnd) return nullptr;
    std::unique_ptr<Win32EditField> field(new Win32EditField(hwnd, setup, editListener));
    if (!field->handle()) return nullptr;
    return std::unique_ptr<EditField>(field.release());
}

void Win32Window::deliverDrop(void* data, int32_t count, int32_t type, POINT where) {
    if (!hwnd || !listener) return;
    POINT client = where;
    ScreenToClient(hwnd, &client);
    listener->onDrop(data, count, type, GuiPoint{client.x, client.y});
}

LRESULT CALLBACK Win32Window::windowProc(HWND hwnd, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
    Win32Window* window = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!window || window->hwnd != hwnd) return DefWindowProcA(hwnd, message, wParam, lParam);
    return window->handle(message, wParam, lParam);
}

LRESULT Win32Window::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY: {
        // The host tore its window down before closing the editor.
        HWND going = hwnd;
        WindowListener* owner = listener;
        onDestroyed();
        SetWindowLongPtrA(going, GWLP_USERDATA, 0);
        if (owner) owner->onWindowDestroyed();
        return DefWindowProcA(going, message, wParam, lParam);
    }
    case WM_PAINT: {
        RECT dirty = {};
        if (!GetUpdateRect(hwnd, &dirty, FALSE) || !listener) break;
        PAINTSTRUCT paint = {};
        HDC dc = BeginPaint(hwnd, &paint);
        if (dc) {
            GdiDevice device(dc);
            listener->onPaint(device, GuiRect{paint.rcPaint.left, paint.rcPaint.top,
                                              paint.rcPaint.right, paint.rcPaint.bottom});
        }
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        if (!listener) break;
        // Which button is down is read later from the live state, as are the positions of a drag.
        const GuiPoint where{int32_t(LOWORD(lParam)), int32_t(HIWORD(lParam))};
        std::unique_ptr<Device> device = openDevice();
        if (device) listener->onButtonPress(*device, where);
        return 0;
    }
    case WM_CTLCOLOREDIT: {
        Win32EditField* field = Win32EditField::fromWindow(reinterpret_cast<HWND>(lParam));
        if (!field) break;
        return reinterpret_cast<LRESULT>(field->paintColors(reinterpret_cast<HDC>(wParam)));
    }
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace win32
}  // namespace gui_platform
