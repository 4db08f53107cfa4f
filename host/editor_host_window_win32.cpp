// The Windows window `zelvik-render editor` embeds a plug-in's editor in: a captioned
// top-level window whose client area is the editor's parent, a 20 ms idle timer, input
// through SendInput and a capture of the client area.
//
// A plug-in's editor follows a drag by polling the live mouse state inside the press it
// receives, and shows modal pictures inside a click, so the window's thread is busy until the
// gesture ends. Input therefore comes from the script's own thread, paced, while the window's
// thread serves messages in run() (or in the plug-in's own loop, which the idle timer reaches).
#include "host/editor_host_window.h"
#include "host/host_error.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

namespace {

const char kHostClassName[] = "ZelvikEditorHost";
const char kDialogClassName[] = "#32770";  // the system's class of every dialog box
constexpr UINT_PTR kIdleTimer = 1;
constexpr UINT kIdlePeriodMs = 20;
// Gaps around injected events: a press must be taken before the pointer moves on, and a
// tracking loop (polling every few ms, redrawing every 50 ms) must see each position. Under
// Wine a press right after a pointer move can be lost while the X server catches up with the
// move, so a press waits a little first.
constexpr DWORD kBeforePressMs = 120;
constexpr DWORD kAfterPressMs = 120;
constexpr DWORD kAfterMoveMs = 30;
constexpr DWORD kAfterReleaseMs = 120;
constexpr DWORD kAfterKeyMs = 30;

WORD virtualKey(const std::string& name) {
    static const struct {
        const char* name;
        WORD key;
    } kNamed[] = {{"Return", VK_RETURN}, {"Escape", VK_ESCAPE}, {"BackSpace", VK_BACK},
                  {"Delete", VK_DELETE}, {"Tab", VK_TAB},       {"Left", VK_LEFT},
                  {"Right", VK_RIGHT},   {"Up", VK_UP},         {"Down", VK_DOWN},
                  {"Home", VK_HOME},     {"End", VK_END},       {"Shift_L", VK_LSHIFT},
                  {"space", VK_SPACE}};
    for (const auto& entry : kNamed)
        if (name == entry.name) return entry.key;
    if (name.size() == 1) {
        const SHORT scan = VkKeyScanA(name[0]);
        if (scan != -1) return WORD(scan & 0xFF);
    }
    throw HostError("unknown key name '" + name + "'");
}

// A window's client area as drawn, children included (they draw into their top-level window's
// surface), 0x00RRGGBB per pixel. What is pending is painted first; for another thread's
// window that thread does it, as it serves messages.
std::vector<uint32_t> clientPixels(HWND hwnd, int& width, int& height) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT client = {};
    GetClientRect(hwnd, &client);
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
    HDC screen = GetDC(hwnd);
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
    ReleaseDC(hwnd, screen);
    return pixels;
}

struct WindowTally {
    DWORD process;
    HWND skipped;  // not counted, nor its children
    bool shownOnly;
    bool withChildren;
    long count;
};

BOOL CALLBACK tallyChild(HWND, LPARAM tally) {
    ++reinterpret_cast<WindowTally*>(tally)->count;
    return TRUE;
}

BOOL CALLBACK tallyTopLevel(HWND window, LPARAM data) {
    WindowTally& tally = *reinterpret_cast<WindowTally*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != tally.process || window == tally.skipped || (tally.shownOnly && !IsWindowVisible(window)))
        return TRUE;
    ++tally.count;
    if (tally.withChildren) EnumChildWindows(window, tallyChild, data);
    return TRUE;
}

long tallyWindows(HWND skipped, bool shownOnly, bool withChildren) {
    WindowTally tally = {GetCurrentProcessId(), skipped, shownOnly, withChildren, 0};
    EnumWindows(tallyTopLevel, reinterpret_cast<LPARAM>(&tally));
    return tally.count;
}

BOOL CALLBACK findShownDialog(HWND window, LPARAM found) {
    char name[sizeof kDialogClassName + 1] = "";
    GetClassNameA(window, name, sizeof name);
    if (IsWindowVisible(window) && std::string(name) == kDialogClassName) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

class Win32EditorHostWindow : public EditorHostWindow {
public:
    Win32EditorHostWindow(int width, int height, const std::string& title);
    ~Win32EditorHostWindow() override;

    void* parentHandle() override { return window.load(); }
    void run(int milliseconds, const std::function<void()>& idle) override;
    bool isOpen() const override {
        const HWND hwnd = window;
        return hwnd && IsWindow(hwnd);
    }
    void movePointer(int x, int y) override;
    void pressButton(int button) override { mouseButton(button, true); }
    void releaseButton(int button) override { mouseButton(button, false); }
    void pressKey(const std::string& name) override { key(name, true); }
    void releaseKey(const std::string& name) override { key(name, false); }
    std::vector<uint32_t> capture(int& width, int& height) override;
    void destroy() override;
    int otherWindowCount() override { return int(tallyWindows(window, true, false)); }
    long drawingObjectCount() override;
    long windowCount() override { return tallyWindows(nullptr, false, true); }
    int editorClassRegistered() override;
    bool captureDialog(std::vector<uint32_t>& pixels, int& width, int& height) override;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void mouseButton(int button, bool down);
    void key(const std::string& name, bool down);

    // Atomic: the script's thread reads it while the user may close the window.
    std::atomic<HWND> window{nullptr};
    DWORD threadId = 0;
    const std::function<void()>* idle = nullptr;  // while run() serves
    std::string editorClass;
    HINSTANCE editorModule = nullptr;
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
    HWND hwnd = CreateWindowExA(0, kHostClassName, title.c_str(), style, 40, 40, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (!hwnd) throw HostError("cannot open a window (error " + std::to_string(GetLastError()) + ")");
    window = hwnd;
    threadId = GetCurrentThreadId();
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd);
    UpdateWindow(hwnd);
    // One timer for the window's life: run() is called in short slices, and a timer set anew
    // for each could expire never.
    SetTimer(hwnd, kIdleTimer, kIdlePeriodMs, nullptr);
}

Win32EditorHostWindow::~Win32EditorHostWindow() {
    const HWND hwnd = window.exchange(nullptr);
    if (hwnd && IsWindow(hwnd)) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
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

void Win32EditorHostWindow::run(int milliseconds, const std::function<void()>& idleCall) {
    idle = &idleCall;
    const DWORD start = GetTickCount();
    while (isOpen()) {
        DWORD wait = INFINITE;  // the timer wakes the loop
        if (milliseconds >= 0) {
            const DWORD elapsed = GetTickCount() - start;
            if (elapsed >= DWORD(milliseconds)) break;
            wait = DWORD(milliseconds) - elapsed;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    idle = nullptr;
}

// The input calls come from the script's thread; the pauses give the window's thread time to
// take each event before the next.
void sendPaced(INPUT input, DWORD pauseBeforeMs, DWORD pauseAfterMs) {
    Sleep(pauseBeforeMs);
    SendInput(1, &input, sizeof(INPUT));
    Sleep(pauseAfterMs);
}

void Win32EditorHostWindow::movePointer(int x, int y) {
    POINT screen = {x, y};
    const HWND hwnd = window;
    if (hwnd) ClientToScreen(hwnd, &screen);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = LONG((int64_t(screen.x) * 65536 + width - 1) / std::max(width, 1));
    input.mi.dy = LONG((int64_t(screen.y) * 65536 + height - 1) / std::max(height, 1));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(INPUT));
    // Absolute coordinates are scaled to 0..65535; land exactly on the pixel asked for.
    POINT now = {};
    GetCursorPos(&now);
    if (now.x != screen.x || now.y != screen.y) SetCursorPos(screen.x, screen.y);
    Sleep(kAfterMoveMs);
}

void Win32EditorHostWindow::mouseButton(int button, bool down) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    if (button == 2) input.mi.dwFlags = down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP;
    else if (button == 3) input.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
    else input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    sendPaced(input, down ? kBeforePressMs : 0, down ? kAfterPressMs : kAfterReleaseMs);
}

void Win32EditorHostWindow::key(const std::string& name, bool down) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey(name);
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    sendPaced(input, 0, kAfterKeyMs);
}

std::vector<uint32_t> Win32EditorHostWindow::capture(int& width, int& height) {
    width = height = 0;
    const HWND hwnd = window;
    if (!hwnd || !IsWindow(hwnd)) throw HostError("the window is gone");
    return clientPixels(hwnd, width, height);
}

void Win32EditorHostWindow::destroy() {
    const HWND hwnd = window.exchange(nullptr);
    if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
}

// GetGuiResources answers 0 under Wine, where a handle's low 16 bits alone name its table
// entry, so the table is walked instead.
long Win32EditorHostWindow::drawingObjectCount() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported) return long(reported);
    long count = 0;
    for (uintptr_t index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++count;
    return count;
}

int Win32EditorHostWindow::editorClassRegistered() {
    const HWND hwnd = window;
    const HWND editor = hwnd ? GetWindow(hwnd, GW_CHILD) : nullptr;
    char name[256] = "";
    if (editor && GetClassNameA(editor, name, sizeof name)) {
        editorClass = name;
        editorModule = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(editor, GWLP_HINSTANCE));
    }
    if (editorClass.empty()) return -1;
    WNDCLASSA info;
    return GetClassInfoA(editorModule, editorClass.c_str(), &info) ? 1 : 0;
}

bool Win32EditorHostWindow::captureDialog(std::vector<uint32_t>& pixels, int& width, int& height) {
    HWND dialog = nullptr;
    EnumThreadWindows(threadId, findShownDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return false;
    pixels = clientPixels(dialog, width, height);
    return true;
}

}  // namespace

std::unique_ptr<EditorHostWindow> EditorHostWindow::open(int width, int height, const std::string& title) {
    return std::unique_ptr<EditorHostWindow>(new Win32EditorHostWindow(width, height, title));
}
