// runModalWindow: a transient top-level window served in a loop of its own.
#include "gui/platform/x11/x11_modal_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <memory>

#include "gui/platform/x11/x11_connection.h"
#include "gui/platform/x11/x11_surface.h"
#include "gui/platform/x11/x11_window.h"

namespace gui_platform {
namespace x11 {

namespace {
constexpr int kPollMs = 20;

bool inside(const GuiRect& area, int x, int y) {
    return x >= area.left && x < area.right && y >= area.top && y < area.bottom;
}

bool closingKey(XKeyEvent& event, bool anyKey) {
    if (anyKey) return true;
    const KeySym symbol = XLookupKeysym(&event, 0);
    return symbol == XK_Return || symbol == XK_KP_Enter || symbol == XK_Escape || symbol == XK_space;
}
}  // namespace

uint32_t runModalWindow(X11Window* owner, const ModalWindowSetup& setup) {
    if (!setup.picture || setup.picture->empty()) return 1;
    std::unique_ptr<X11Connection> ownConnection;
    if (!owner) {
        ownConnection = X11Connection::open();
        if (!ownConnection) return 1;
    }
    X11Connection& connection = owner ? owner->connection() : *ownConnection;
    Display* display = connection.display();
    connection.takeError();

    const Image& picture = *setup.picture;
    Visual* visual = DefaultVisual(display, connection.screen());
    const int depth = DefaultDepth(display, connection.screen());
    XSetWindowAttributes attributes = {};
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.event_mask = ExposureMask | ButtonPressMask | KeyPressMask | StructureNotifyMask;
    const ::Window window = XCreateWindow(display, connection.root(), setup.origin.h, setup.origin.v,
                                          unsigned(picture.width), unsigned(picture.height), 0, depth,
                                          InputOutput, visual, CWBackPixmap | CWBorderPixel | CWEventMask,
                                          &attributes);
    // A fixed size at the asked place, over the host's window, closable by the window manager.
    XSizeHints hints = {};
    hints.flags = USPosition | PPosition | PMinSize | PMaxSize;
    hints.x = setup.origin.h;
    hints.y = setup.origin.v;
    hints.min_width = hints.max_width = picture.width;
    hints.min_height = hints.max_height = picture.height;
    XSetWMNormalHints(display, window, &hints);
    if (owner) XSetTransientForHint(display, window, reinterpret_cast<uintptr_t>(owner->outerWindow()));
    XStoreName(display, window, setup.title ? setup.title : "");
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    const Atom windowType = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    Atom dialogType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(display, window, windowType, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&dialogType), 1);

    ::Window focusBefore = 0;
    int revert = 0;
    XGetInputFocus(display, &focusBefore, &revert);
    XMapRaised(display, window);
    XSync(display, False);
    const int error = connection.takeError();
    if (error) {
        XDestroyWindow(display, window);
        connection.syncWithoutError();
        return uint32_t(error);
    }

    X11Surface surface(display, visual, depth, picture.width, picture.height);
    bool done = false;
    while (!done) {
        while (!done && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.xany.window != window) {
                if (owner) owner->handleModalEvent(event);
                continue;
            }
            switch (event.type) {
                case Expose:
                    surface.put(window, picture, GuiRect{0, 0, picture.width, picture.height});
                    break;
                case MapNotify:
                    // Keys reach the window once it has the focus, which needs it viewable.
                    XSetInputFocus(display, window, RevertToParent, CurrentTime);
                    break;
                case ButtonPress:
                    done = setup.closeArea.right <= setup.closeArea.left ||
                           inside(setup.closeArea, event.xbutton.x, event.xbutton.y);
                    break;
                case KeyPress:
                    done = closingKey(event.xkey, setup.anyKeyCloses);
                    break;
                case ClientMessage:
                    done = static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow;
                    break;
                case DestroyNotify:
                    done = true;
                    break;
                default:
                    break;
            }
        }
        // A host that tears its window down meanwhile takes the picture with it.
        if ((owner && !owner->isAlive()) || connection.isBroken()) done = true;
        if (done) break;
        XFlush(display);
        pollfd wait = {ConnectionNumber(display), POLLIN, 0};
        poll(&wait, 1, kPollMs);
    }

    XDestroyWindow(display, window);
    if (focusBefore > PointerRoot) XSetInputFocus(display, focusBefore, RevertToParent, CurrentTime);
    connection.syncWithoutError();  // the earlier focus window may be gone: no error of the host's
    return 0;
}

}  // namespace x11
}  // namespace gui_platform
