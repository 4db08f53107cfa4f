// One Display connection of the X11 back end, with the error trap every connection shares.
#pragma once

#include <X11/Xlib.h>

#include <memory>

namespace gui_platform {
namespace x11 {

// Xlib reports protocol errors through one process-wide handler whose default ends the
// process. While any connection of ours is open, our handler is installed: errors on our
// connections are recorded here instead (the host's window may vanish under the editor at
// any time), errors on the host's own connections go on to the handler that was there
// before. The last connection to close puts that handler back.
// A connection is used on one thread only, the host's user-interface thread.
class X11Connection {
public:
    // Null when there is no X server to talk to (DISPLAY unset, refused, ...).
    static std::unique_ptr<X11Connection> open();
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    Display* display() const { return connection; }
    int screen() const { return DefaultScreen(connection); }
    ::Window root() const { return RootWindow(connection, DefaultScreen(connection)); }

    // Waits until the server has handled every request sent so far; true when none of them
    // failed since the last check.
    bool syncWithoutError();
    // The code of the last error since the last check (0 for none); clears it.
    int takeError();
    // The server went away (it stopped, or the network dropped). Xlib then answers every
    // call on the connection at once, and the window is as good as destroyed.
    bool isBroken() const { return broken; }

private:
    explicit X11Connection(Display* display);
    static int trapError(Display* display, XErrorEvent* error);
    static void connectionLost(Display* display, void* connection);

    Display* connection;
    int lastError = 0;
    bool broken = false;
};

}  // namespace x11
}  // namespace gui_platform
