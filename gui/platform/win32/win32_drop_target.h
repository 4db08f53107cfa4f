// The OLE drop target of the editor's window: text and file lists, shortcuts resolved.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace gui_platform {
namespace win32 {

class Win32Window;

// Reference counted as OLE requires: the registration holds one reference, the window its own
// until it goes; the object is destroyed by the last Release.
class Win32DropTarget : public IDropTarget {
public:
    explicit Win32DropTarget(Win32Window* window) : window(window) {}

    // The window is going: later calls from OLE deliver nothing.
    void detach() { window = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL where,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL where, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL where,
                                   DWORD* effect) override;

private:
    virtual ~Win32DropTarget() = default;

    bool dropText(IDataObject* data, POINT where);
    bool dropFiles(IDataObject* data, POINT where);

    LONG references = 1;
    bool accepted = false;
    Win32Window* window;
};

// Replaces a shell shortcut name (".lnk") in buffer by its target's short path; anything else,
// or a shortcut that cannot be resolved, stays as it is.
void resolveShortcut(char* buffer, size_t capacity);

}  // namespace win32
}  // namespace gui_platform
