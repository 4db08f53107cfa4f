// The window `zelvik-render editor` embeds a plug-in's editor in, one implementation per
// system (editor_host_window_x11.cpp, editor_host_window_win32.cpp); the build picks one.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class EditorHostWindow {
public:
    virtual ~EditorHostWindow() = default;

    // A top-level window with a client area of the given size, shown on screen. Throws
    // HostError when there is no display to open it on.
    static std::unique_ptr<EditorHostWindow> open(int width, int height, const std::string& title);

    // What effEditOpen receives: the X11 window id or the HWND of the client area.
    virtual void* parentHandle() = 0;
    // Serves the window's events for the given time, calling idle about every 20 ms as a
    // host's timer would. A negative time runs until the user closes the window.
    virtual void run(int milliseconds, const std::function<void()>& idle) = 0;
    // Whether the window still exists (the user may close it, or a test destroys it).
    virtual bool isOpen() const = 0;

    // Input as the system delivers it (XTest, SendInput), at client-area coordinates, so
    // an editor reading the live pointer state sees the same as with a real mouse.
    virtual void movePointer(int x, int y) = 0;
    virtual void pressButton(int button) = 0;  // 1 left, 2 middle, 3 right
    virtual void releaseButton(int button) = 0;
    // A key by name: a single character, or Return, Escape, BackSpace, Delete, Tab, Left,
    // Right, Up, Down, Home, End, Shift_L.
    virtual void pressKey(const std::string& name) = 0;
    virtual void releaseKey(const std::string& name) = 0;

    // The client area as it is on screen, 0x00RRGGBB per pixel, row by row.
    virtual std::vector<uint32_t> capture(int& width, int& height) = 0;
    // Destroys the window now, as a host closing its window before effEditClose does.
    virtual void destroy() = 0;

    // Top-level windows shown besides this one (dialogs of the plug-in), or -1 when the
    // system cannot tell.
    virtual int otherWindowCount() { return -1; }

    // What the process holds of the system's, to see whether an editor's open and close gives
    // back all it took: drawing objects (GDI objects) and windows, top-level and child. -1
    // when the system cannot tell.
    virtual long drawingObjectCount() { return -1; }
    virtual long windowCount() { return -1; }
    // Whether the window class of the editor's window (the child put into this one) is
    // registered: noted while an editor is open, looked up again once it has closed, since a
    // plug-in must not leave its class behind in the host. 1 yes, 0 no, -1 when the system
    // has no such thing or no editor window was seen yet.
    virtual int editorClassRegistered() { return -1; }
    // The client area of a dialog the plug-in shows now, as capture() gives the window's;
    // false when none is shown or the system cannot tell. Meant for idle: a modal dialog keeps
    // the host's thread in the dialog's own loop, where only the idle timer reaches the host.
    virtual bool captureDialog(std::vector<uint32_t>& /*pixels*/, int& /*width*/, int& /*height*/) { return false; }

    // Thread use: parentHandle, run, destroy, the counts, editorClassRegistered and
    // captureDialog belong to the thread that opened the window. The input methods, capture
    // and otherWindowCount may be called from one other thread while run() serves the window,
    // as a script played beside the host's loop does: a plug-in tracking a drag or showing a
    // modal picture keeps the host's thread inside idle until the input arrives. Input called
    // that way has reached the system when the call returns.
};
