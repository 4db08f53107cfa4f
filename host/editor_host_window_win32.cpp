// The Windows window `zelvik-render editor` embeds a plug-in's editor in: a captioned
// top-level window whose client area is the editor's parent, a 20 ms idle timer, input
// through SendInput and a capture of the client area.
//
// A plug-in's editor follows a drag by polling the live mouse state inside the press it
// receives, and shows modal pictures inside a click, so the thread that runs the editor is
// busy until the gesture ends. Input is therefore injected by a worker thread, paced, while
// the window's thread serves messages (run, capture); the input methods only queue, and a
// button press is held back until its release has been queued, so serving messages between
// the steps of a gesture never waits for input that is not there yet.
#include "host/editor_host_window.h"
#include "host/host_error.h"

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

const char kHostClassName[] = "ZelvikEditorHost";
constexpr UINT_PTR kIdleTimer = 1;
constexpr UINT kIdlePeriodMs = 20;
// Gaps between injected events: a press must be taken before the pointer moves on, and a
// tracking loop (polling every few ms, redrawing every 50 ms) must see each position. Under
// Wine a press right after a pointer move can be lost while the X server catches up with the
// move, so a press waits a little first.
constexpr DWORD kBeforePressMs = 120;
constexpr DWORD kAfterPressMs = 120;
constexpr DWORD kAfterMoveMs = 30;
constexpr DWORD kAfterReleaseMs = 120;
constexpr DWORD kAfterKeyMs = 30;

struct InputStep {
    INPUT input;
    bool absoluteMove = false;  // input carries a screen point to check afterwards
    POINT screen{0, 0};
    DWORD pauseBeforeMs = 0;
    DWORD pauseMs = 0;
    DWORD releasedBy = 0;  // for a button press: the flag of the event that ends it
};

WORD virtualKey(const std::string& name) {
    static const struct {
        const char* name;
        WORD key;
    } kNamed[] = {{"Return", VK_RETURN}, {"Escape", VK_ESCAPE}, {"BackSpace", VK_BACK},
                  {"Delete", VK_DELETE}, {"Tab", VK_TAB},       {"Left", VK_LEFT},
                  {"Right", VK_RIGHT},   {"Up", VK_UP},         {"Down", VK_DOWN},
                  {"Home", VK_HOME},     {"End", VK_END},       {"Shift_L", VK_LSHIFT}};
    for (const auto& entry : kNamed)
        if (name == entry.name) return entry.key;
    if (name.size() == 1) {
        const SHORT scan = VkKeyScanA(name[0]);
        if (scan != -1) return WORD(scan & 0xFF);
    }
    throw HostError("unknown key name '" + name + "'");
}

class Win32EditorHostWindow : public EditorHostWindow {
public:
    Win32EditorHostWindow(int width, int height, const std::string& title);
    ~Win32EditorHostWindow() override;

    void* parentHandle() override { return window; }
    void run(int milliseconds, const std::function<void()>& idle) override;
    bool isOpen() const override { return window && IsWindow(window); }
    void movePointer(int x, int y) override;
    void pressButton(int button) override;
    void releaseButton(int button) override;
    void pressKey(const std::string& name) override;
    void releaseKey(const std::string& name) override;
    std::vector<uint32_t> capture(int& width, int& height) override;
    void destroy() override;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void queue(const InputStep& step);
    void injectLoop();
    void mouseButton(int button, bool down);
    void key(const std::string& name, bool down);
    // Serves messages until the queued input has all been injected (and a little after).
    void drain();
    void serve(DWORD waitMs);
    // Whether the first queued event may go now (the lock held): a button press waits until
    // its release is queued too, so that the tracking loop the press starts on the window's
    // thread can always be ended by input already queued.
    bool frontReady() const;
    bool inputSettled() const { return !injecting && (pending.empty() || !frontReady()); }

    HWND window = nullptr;
    const std::function<void()>* idle = nullptr;

    std::mutex lock;
    std::condition_variable changed;
    std::deque<InputStep> pending;
    bool injecting = false;
    bool serving = false;  // the window's thread is serving messages: input may flow
    bool stopping = false;
    std::thread injector;
};

Win32EditorHostWindow::Win32EditorHostWindow(int width, int height, const std::string& title) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &Win32EditorHostWindow::windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpszClassName = kHostClassName;
    RegisterClassA(&windowClass);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, style, FALSE);
    window = CreateWindowExA(0, kHostClassName, title.c_str(), style, 40, 40, frame.right - frame.left,
                             frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (!window) throw HostError("cannot open a window (error " + std::to_string(GetLastError()) + ")");
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    UpdateWindow(window);
    injector = std::thread([this] { injectLoop(); });
}

Win32EditorHostWindow::~Win32EditorHostWindow() {
    {
        std::lock_guard<std::mutex> hold(lock);
        stopping = true;
    }
    changed.notify_all();
    injector.join();
    if (isOpen()) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
}

LRESULT CALLBACK Win32EditorHostWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32EditorHostWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    // Timers reach here from any message loop of the thread, also a plug-in's modal dialog,
    // as they do in hosts.
    if (self && message == WM_TIMER && wParam == kIdleTimer) {
        if (self->idle && *self->idle) (*self->idle)();
        return 0;
    }
    if (self && message == WM_DESTROY) {
        self->window = nullptr;
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void Win32EditorHostWindow::serve(DWORD waitMs) {
    {
        std::lock_guard<std::mutex> hold(lock);
        serving = true;
    }
    changed.notify_all();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMs, QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    std::lock_guard<std::mutex> hold(lock);
    serving = false;
}

void Win32EditorHostWindow::run(int milliseconds, const std::function<void()>& idleCall) {
    idle = &idleCall;
    if (window) SetTimer(window, kIdleTimer, kIdlePeriodMs, nullptr);
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (!isOpen()) break;
        if (milliseconds >= 0 && elapsed >= DWORD(milliseconds)) {
            std::lock_guard<std::mutex> hold(lock);
            if (inputSettled()) break;
        }
        serve(10);
    }
    if (window) KillTimer(window, kIdleTimer);
    idle = nullptr;
}

void Win32EditorHostWindow::drain() {
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(lock);
            if (inputSettled()) break;
        }
        serve(10);
    }
    // Messages the last input caused.
    for (int i = 0; i < 3; ++i) serve(10);
}

bool Win32EditorHostWindow::frontReady() const {
    const InputStep& front = pending.front();
    if (!front.releasedBy) return true;
    for (const InputStep& later : pending)
        if (later.input.type == INPUT_MOUSE && (later.input.mi.dwFlags & front.releasedBy)) return true;
    return false;
}

void Win32EditorHostWindow::queue(const InputStep& step) {
    {
        std::lock_guard<std::mutex> hold(lock);
        pending.push_back(step);
    }
    changed.notify_all();
}

// Injects one queued event at a time, only while the window's thread serves messages, so
// that the editor meets the events in their order and with time to react to each.
void Win32EditorHostWindow::injectLoop() {
    for (;;) {
        InputStep step;
        {
            std::unique_lock<std::mutex> hold(lock);
            changed.wait(hold, [this] { return stopping || (!pending.empty() && serving && frontReady()); });
            if (stopping) return;
            step = pending.front();
            pending.pop_front();
            injecting = true;
        }
        Sleep(step.pauseBeforeMs);
        SendInput(1, &step.input, sizeof(INPUT));
        if (step.absoluteMove) {
            // Absolute coordinates are scaled to 0..65535; land exactly on the pixel asked for.
            POINT now = {};
            GetCursorPos(&now);
            if (now.x != step.screen.x || now.y != step.screen.y) SetCursorPos(step.screen.x, step.screen.y);
        }
        Sleep(step.pauseMs);
        std::lock_guard<std::mutex> hold(lock);
        injecting = false;
    }
}

void Win32EditorHostWindow::movePointer(int x, int y) {
    POINT screen = {x, y};
    if (window) ClientToScreen(window, &screen);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    InputStep step = {};
    step.input.type = INPUT_MOUSE;
    step.input.mi.dx = LONG((int64_t(screen.x) * 65536 + width - 1) / std::max(width, 1));
    step.input.mi.dy = LONG((int64_t(screen.y) * 65536 + height - 1) / std::max(height, 1));
    step.input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    step.absoluteMove = true;
    step.screen = screen;
    step.pauseMs = kAfterMoveMs;
    queue(step);
}

void Win32EditorHostWindow::mouseButton(int button, bool down) {
    InputStep step = {};
    step.input.type = INPUT_MOUSE;
    if (button == 2) step.input.mi.dwFlags = down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP;
    else if (button == 3) step.input.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
    else step.input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    if (down) {
        step.releasedBy = button == 2 ? MOUSEEVENTF_MIDDLEUP : button == 3 ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    }
    step.pauseBeforeMs = down ? kBeforePressMs : 0;
    step.pauseMs = down ? kAfterPressMs : kAfterReleaseMs;
    queue(step);
}

void Win32EditorHostWindow::pressButton(int button) { mouseButton(button, true); }
void Win32EditorHostWindow::releaseButton(int button) { mouseButton(button, false); }

void Win32EditorHostWindow::key(const std::string& name, bool down) {
    InputStep step = {};
    step.input.type = INPUT_KEYBOARD;
    step.input.ki.wVk = virtualKey(name);
    step.input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    step.pauseMs = kAfterKeyMs;
    queue(step);
}

void Win32EditorHostWindow::pressKey(const std::string& name) { key(name, true); }
void Win32EditorHostWindow::releaseKey(const std::string& name) { key(name, false); }

// The client area's pixels as drawn, children included (they draw into their top-level
// window's surface).
std::vector<uint32_t> Win32EditorHostWindow::capture(int& width, int& height) {
    drain();
    width = height = 0;
    if (!isOpen()) return {};
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT client = {};
    GetClientRect(window, &client);
    width = client.right;
    height = client.bottom;
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), 0);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section && bits) {
        HGDIOBJ old = SelectObject(memory, section);
        BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        GdiFlush();
        const uint32_t* from = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = from[i] & 0x00FFFFFF;
        SelectObject(memory, old);
    }
    if (section) DeleteObject(section);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return pixels;
}

void Win32EditorHostWindow::destroy() {
    drain();
    if (isOpen()) DestroyWindow(window);
    window = nullptr;
}

}  // namespace

std::unique_ptr<EditorHostWindow> EditorHostWindow::open(int width, int height, const std::string& title) {
    return std::unique_ptr<EditorHostWindow>(new Win32EditorHostWindow(width, height, title));
}
