// The Windows back end's factory functions and live services: USER for input and windows,
// the multimedia clock, the module's bitmap and dialog resources.
#include <windows.h>

#include <memory>

#include "gui/platform/platform.h"
#include "gui/platform/win32/gdi_device.h"
#include "gui/platform/win32/win32_module.h"
#include "gui/platform/win32/win32_window.h"

namespace gui_platform {

using win32::dibHeader;
using win32::DibHeader;
using win32::moduleInstance;

namespace {

// The dialog resource that shows each picture bitmap.
struct PictureDialog {
    int32_t bitmap;
    int32_t dialog;
};
const PictureDialog kPictureDialogs[] = {{114, 117}};

// A click anywhere on the picture closes it.
INT_PTR CALLBACK pictureDialogProc(HWND dialog, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_LBUTTONDOWN) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

HWND ownerWindow(Window* owner) {
    return owner ? static_cast<HWND>(owner->outerWindow()) : nullptr;
}

bool isDown(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

}  // namespace

std::unique_ptr<Window> createWindow(void* parent, int32_t width, int32_t height,
                                     WindowListener* listener) {
    if (!parent || width <= 0 || height <= 0) return nullptr;
    std::unique_ptr<win32::Win32Window> window(
        new win32::Win32Window(static_cast<HWND>(parent), width, height, listener));
    if (!window->nativeHandle()) return nullptr;
    return std::unique_ptr<Window>(window.release());
}

// The state at this moment, not the one of the message being handled: a drag is followed by
// polling this while the button is held.
int32_t mouseButtons() {
    int32_t state = 0;
    if (isDown(VK_LBUTTON)) state |= buttonLeft;
    if (isDown(VK_MBUTTON)) state |= buttonMiddle;
    if (isDown(VK_RBUTTON)) state |= buttonRight;
    if (isDown(VK_SHIFT)) state |= modifierShift;
    if (isDown(VK_CONTROL)) state |= modifierControl;
    if (isDown(VK_MENU)) state |= modifierAlt;
    return state;
}

GuiPoint mouseScreenPosition() {
    POINT p = {};
    GetCursorPos(&p);
    return GuiPoint{p.x, p.y};
}

uint32_t tickCount() { return timeGetTime(); }

void sleepMilliseconds(uint32_t ms) { Sleep(ms); }

int32_t doubleClickTime() { return int32_t(GetDoubleClickTime()); }

void serveRepaints() {
    MSG message;
    if (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&message);
}

// The resource is asked for as a device-independent section so that its pixels come back as
// stored, whatever the screen's depth.
std::unique_ptr<Image> loadBitmap(int32_t resourceId) {
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(moduleInstance(),
                                                     MAKEINTRESOURCEA(resourceId & 0xFFFF),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) return nullptr;
    std::unique_ptr<Image> image;
    BITMAP description = {};
    if (GetObjectA(bitmap, sizeof description, &description) && description.bmWidth > 0 &&
        description.bmHeight > 0) {
        const int32_t width = description.bmWidth;
        const int32_t height = description.bmHeight;
        DibHeader dib = dibHeader(width, height, 24);
        const size_t stride = ((size_t(width) * 3 + 3) / 4) * 4;
        std::vector<uint8_t> rows(stride * size_t(height));
        HDC screen = GetDC(nullptr);
        const int copied = GetDIBits(screen, bitmap, 0, UINT(height), rows.data(), reinterpret_cast<BITMAPINFO*>(&dib), DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        if (copied == height) {
            image.reset(new Image(width, height));
            for (int32_t y = 0; y < height; ++y) {
                const uint8_t* from = &rows[stride * size_t(y)];
                for (int32_t x = 0; x < width; ++x, from += 3)
                    image->setPixel(x, y, GuiColor{from[2], from[1], from[0], 0});
            }
        }
    }
    DeleteObject(bitmap);
    return image;
}

uint32_t showModalPicture(int32_t resourceId, Window* owner) {
    int32_t dialog = 0;
    for (const PictureDialog& entry : kPictureDialogs)
        if (entry.bitmap == (resourceId & 0xFFFF)) dialog = entry.dialog;
    if (dialog == 0) return ERROR_RESOURCE_NAME_NOT_FOUND;
    SetLastError(0);
    const INT_PTR result = DialogBoxParamA(moduleInstance(), MAKEINTRESOURCEA(dialog),
                                           ownerWindow(owner), pictureDialogProc, 0);
    if (result != -1) return 0;
    // A failure must not read as success, even when the system left no code.
    const DWORD error = GetLastError();
    return error ? error : ERROR_CAN_NOT_COMPLETE;
}

void showMessage(Window* owner, const char* text, const char* caption) {
    MessageBoxA(ownerWindow(owner), text ? text : "", caption ? caption : "", MB_OK);
}

}  // namespace gui_platform
