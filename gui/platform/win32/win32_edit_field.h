// The native single-line EDIT control over a text view while it is being edited.
#pragma once

#include <windows.h>

#include "gui/platform/platform.h"

namespace gui_platform {
namespace win32 {

class Win32EditField : public EditField {
public:
    Win32EditField(HWND parent, const EditFieldSetup& setup, EditListener* listener);
    ~Win32EditField() override;

    void getText(char* out, int32_t capacity) const override;

    HWND handle() const { return hwnd; }
    // The field a window handle belongs to, or null for any other window.
    static Win32EditField* fromWindow(HWND window);
    // Answers the control's colour request (WM_CTLCOLOREDIT): text and background colours on
    // dc, and a brush of the background colour that the field owns.
    HBRUSH paintColors(HDC dc);

private:
    static LRESULT CALLBACK editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd = nullptr;
    HFONT font = nullptr;
    HBRUSH brush = nullptr;
    GuiColor textColor;
    GuiColor backColor;
    EditListener* listener;
};

}  // namespace win32
}  // namespace gui_platform
