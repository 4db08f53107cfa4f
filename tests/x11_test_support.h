// Shared pieces of the X11 tests: the test X server, a host window of the test's own with
// input through XTest, and runs of `zelvik-render editor`.
#pragma once

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

namespace x11_test {

// The tests play the user from a second thread on a connection of its own, so Xlib locks its
// connections; this must come before any other Xlib call.
inline const bool xlibThreadsReady = XInitThreads() != 0;

// CTest names a file holding the display of the server it started for these tests.
inline bool useTestDisplay() {
    const char* file = std::getenv("ZELVIK_X11_DISPLAY_FILE");
    if (file) {
        std::ifstream in(file);
        std::string display;
        if (in >> display) setenv("DISPLAY", display.c_str(), 1);
    }
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

#define REQUIRE_TEST_DISPLAY() \
    if (!::x11_test::useTestDisplay()) GTEST_SKIP() << "no X server (run through ctest)"

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Calls work every 10 ms until done says so, for at most two seconds; true when it did.
inline bool pumpUntil(const std::function<void()>& work, const std::function<bool()>& done) {
    for (int i = 0; i < 200; ++i) {
        work();
        if (done()) return true;
        pause(10);
    }
    return false;
}

// A top-level window standing for a host's editor window, on the test's own connection, and
// the mouse and keyboard as the user would work them.
class TestHostWindow {
public:
    TestHostWindow(int width, int height) {
        display = XOpenDisplay(nullptr);
        if (!display) return;
        const int screen = DefaultScreen(display);
        window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, unsigned(width),
                                     unsigned(height), 0, 0, WhitePixel(display, screen));
        XSelectInput(display, window, StructureNotifyMask);
        XMapWindow(display, window);
        XEvent event;
        XWindowEvent(display, window, StructureNotifyMask, &event);  // mapped: editors can take focus
        while (event.type != MapNotify) XWindowEvent(display, window, StructureNotifyMask, &event);
    }
    ~TestHostWindow() {
        if (!display) return;
        if (window) XDestroyWindow(display, window);
        XCloseDisplay(display);
    }
    bool valid() const { return display && window; }
    void* handle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }
    Display* connection() const { return display; }

    void destroy() {
        XDestroyWindow(display, window);
        XSync(display, False);
        window = 0;
    }
    int childCount() {
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count)) return -1;
        if (children) XFree(children);
        return int(count);
    }

    void moveTo(int x, int y) {
        int rootX = 0, rootY = 0;
        ::Window child = 0;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
        XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, CurrentTime);
        XSync(display, False);
    }
    void button(bool down) {
        XTestFakeButtonEvent(display, 1, down, CurrentTime);
        XSync(display, False);
    }
    // A key stroke by key symbol name ("a", "Left", "Return"); Shift around it when asked.
    void key(const std::string& name, bool shift = false) {
        const KeyCode shiftKey = XKeysymToKeycode(display, XStringToKeysym("Shift_L"));
        const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(name.c_str()));
        if (shift) XTestFakeKeyEvent(display, shiftKey, True, CurrentTime);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        if (shift) XTestFakeKeyEvent(display, shiftKey, False, CurrentTime);
        XSync(display, False);
    }

private:
    Display* display = nullptr;
    ::Window window = 0;
};

struct RenderRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// zelvik-render with arguments (already quoted for the shell) and, when given, a script.
inline RenderRun runRender(const std::string& arguments, const std::string& script = "") {
    static int runs = 0;
    const std::string base = ::testing::TempDir() + "/x11_run" + std::to_string(getpid()) + "_" + std::to_string(++runs);
    std::string command = std::string("'") + ZELVIK_RENDER_EXE + "' " + arguments;
    if (!script.empty()) {
        std::ofstream(base + ".script") << script;
        command += " --script '" + base + ".script'";
    }
    command += " >'" + base + ".out' 2>'" + base + ".err'";
    const int status = std::system(command.c_str());
    RenderRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readFile(base + ".out");
    run.err = readFile(base + ".err");
    return run;
}

}  // namespace x11_test
