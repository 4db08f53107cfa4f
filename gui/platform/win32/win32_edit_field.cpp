// The EDIT control with its window procedure replaced: losing the keyboard focus or Return
// ends the edit through the listener, everything else is the control's own behaviour.
#include "gui/platform/win32/win32_edit_field.h"

#include "gui/platform/win32/gdi_device.h"
#include "gui/platform/win32/win32_module.h"

namespace gui_platform {
namespace win32 {

namespace {
// The EDIT class's procedure, the same for every edit control, so one copy serves all fields.
WNDPROC editClassProc = nullptr;
}  // namespace

Win32EditField::Win32EditField(HWND parent, const EditFieldSetup& setup, EditListener* listener)
    : textColor(setup.textColor), backColor(setup.backColor), listener(listener) {
    DWORD style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
    if (setup.align == alignCenter) style |= ES_CENTER;
    else if (setup.align == alignRight) style |= ES_RIGHT;
    const GuiRect& box = setup.box;
    hwnd = CreateWindowExA(0, "EDIT", setup.text ? setup.text : "", style, box.left, box.top,
                           box.right - box.left + 1, box.bottom - box.top + 1, parent, nullptr,
                           moduleInstance(), nullptr);
    if (!hwnd) return;
    font = createFont(setup.font);
    if (font) SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SendMessageA(hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    SendMessageA(hwnd, EM_SETSEL, 0, -1);
    const WNDPROC previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32EditField::editProc)));
    if (!editClassProc) editClassProc = previous;
    SetFocus(hwnd);
}

// The focus loss that destroying a focused control causes must not reach the listener, which
// is the one tearing the field down.
Win32EditField::~Win32EditField() {
    listener = nullptr;
    if (hwnd) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
    }
    if (font) DeleteObject(font);
    if (brush) DeleteObject(brush);
}

void Win32EditField::getText(char* out, int32_t capacity) const {
    if (!out || capacity <= 0) return;
    out[0] = '\0';
    if (hwnd) GetWindowTextA(hwnd, out, capacity);
    out[capacity - 1] = '\0';
}

Win32EditField* Win32EditField::fromWindow(HWND window) {
    if (!window || !editClassProc ||
        GetWindowLongPtrA(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&Win32EditField::editProc)) {
        return nullptr;
    }
    return reinterpret_cast<Win32EditField*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

HBRUSH Win32EditField::paintColors(HDC dc) {
    SetTextColor(dc, RGB(textColor.red, textColor.green, textColor.blue));
    SetBkColor(dc, RGB(backColor.red, backColor.green, backColor.blue));
    HBRUSH made = CreateSolidBrush(RGB(backColor.red, backColor.green, backColor.blue));
    if (made) {
        if (brush) DeleteObject(brush);
        brush = made;
    }
    return brush;
}

LRESULT CALLBACK Win32EditField::editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32EditField* field = reinterpret_cast<Win32EditField*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (field && field->listener) {
        // The listener may destroy the field, and with it this window, inside the call.
        if (message == WM_KILLFOCUS) field->listener->onEditFocusLost();
        else if (message == WM_KEYDOWN && wParam == VK_RETURN) field->listener->onEditReturn();
    }
    if (!IsWindow(hwnd)) return 0;
    return CallWindowProcA(editClassProc, hwnd, message, wParam, lParam);
}

}  // namespace win32
}  // namespace gui_platform
