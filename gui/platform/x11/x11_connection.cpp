// Display connections and the shared error trap.
#include "gui/platform/x11/x11_connection.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace gui_platform {
namespace x11 {

namespace {
// Several editors (of several plug-in instances, perhaps on several hosts' threads) share the
// one handler slot of the process, so the registry is locked.
std::mutex registryLock;
std::vector<X11Connection*> openConnections;
XErrorHandler previousHandler = nullptr;
}  // namespace

std::unique_ptr<X11Connection> X11Connection::open() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    return std::unique_ptr<X11Connection>(new X11Connection(display));
}

X11Connection::X11Connection(Display* display) : connection(display) {
#ifdef ZELVIK_HAVE_IO_ERROR_EXIT
    // When a connection breaks, Xlib first calls the process's handler (the host's: it may
    // end the process, as the default does, or carry on) and then, if that returns, ends
    // the process unless the connection has an exit handler of its own. With this one a host
    // that survives the loss of its server is not ended by the editor's connection.
    XSetIOErrorExitHandler(display, &X11Connection::connectionLost, this);
#endif
    std::lock_guard<std::mutex> hold(registryLock);
    if (openConnections.empty()) previousHandler = XSetErrorHandler(&X11Connection::trapError);
    openConnections.push_back(this);
}

// The display is closed while the trap is still in place: closing flushes and waits for the
// requests still queued, which may fail on a window the host has destroyed.
X11Connection::~X11Connection() {
    XSync(connection, False);
    XCloseDisplay(connection);
    std::lock_guard<std::mutex> hold(registryLock);
    openConnections.erase(std::remove(openConnections.begin(), openConnections.end(), this),
                          openConnections.end());
    if (!openConnections.empty()) return;
    // Put the earlier handler back only if nobody replaced ours meanwhile; otherwise that
    // later handler stays and ours keeps forwarding for it.
    const XErrorHandler current = XSetErrorHandler(previousHandler);
    if (current != &X11Connection::trapError) XSetErrorHandler(current);
}

bool X11Connection::syncWithoutError() {
    XSync(connection, False);
    return takeError() == 0;
}

int X11Connection::takeError() {
    std::lock_guard<std::mutex> hold(registryLock);
    const int error = lastError;
    lastError = 0;
    return error;
}

void X11Connection::connectionLost(Display*, void* connection) {
    static_cast<X11Connection*>(connection)->broken = true;
}

int X11Connection::trapError(Display* display, XErrorEvent* error) {
    XErrorHandler forward = nullptr;
    {
        std::lock_guard<std::mutex> hold(registryLock);
        for (X11Connection* connection : openConnections) {
            if (connection->connection == display) {
                connection->lastError = error->error_code;
                return 0;
            }
        }
        forward = previousHandler;
    }
    return forward ? forward(display, error) : 0;
}

}  // namespace x11
}  // namespace gui_platform
