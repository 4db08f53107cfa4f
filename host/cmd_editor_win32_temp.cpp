// TEMPORARY (win32 branch): a minimal `zelvik-render editor` for the Windows build, written
// only to drive and test the Win32 editor window before the shared cmd_editor.cpp and
// editor_script.cpp are merged. The integrator replaces this file with those; the two
// Windows-only options below (--cycles, --dialog-png) and the output formats of `calls`,
// `params` and the cycle report are what tests/gui_win32_editor_test.cpp relies on.
#include "host/commands.h"
#include "host/editor_host_window.h"
#include "host/host_error.h"
#include "host/plugin_instance.h"

#include <CLI/CLI.hpp>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Step {
    std::string command;
    std::vector<int> numbers;
    std::string text;
};

std::vector<Step> readScript(const std::string& path) {
    std::ifstream file(path);
    if (!file) throw HostError("cannot read script " + path);
    std::vector<Step> steps;
    std::string line;
    int lineNumber = 0;
    while (std::getline(file, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        Step step;
        if (!(words >> step.command) || step.command[0] == '#') continue;
        if (step.command == "type") {
            std::getline(words, step.text);
            if (!step.text.empty() && step.text[0] == ' ') step.text.erase(0, 1);
        } else if (step.command == "key" || step.command == "png") {
            words >> step.text;
        } else {
            int n;
            while (words >> n) step.numbers.push_back(n);
        }
        steps.push_back(step);
    }
    return steps;
}

// A PNG of 8-bit RGB rows with stored (uncompressed) deflate blocks: no library needed.
uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void writePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[size_t(y) * size_t(width) + size_t(x)];
            raw.push_back(uint8_t(p >> 16));
            raw.push_back(uint8_t(p >> 8));
            raw.push_back(uint8_t(p));
        }
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        z.push_back(at + n >= raw.size() ? 1 : 0);
        z.push_back(uint8_t(n));
        z.push_back(uint8_t(n >> 8));
        z.push_back(uint8_t(~n));
        z.push_back(uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + long(at), raw.begin() + long(at + n));
        if (raw.empty()) break;
    }
    const uint32_t adler = (b << 16) | a;
    for (int s = 24; s >= 0; s -= 8) z.push_back(uint8_t(adler >> s));
    std::ofstream out(path, std::ios::binary);
    if (!out) throw HostError("cannot write " + path);
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    out.write(reinterpret_cast<const char*>(signature), 8);
    auto chunk = [&](const char* type, const std::vector<uint8_t>& data) {
        std::vector<uint8_t> body(type, type + 4);
        body.insert(body.end(), data.begin(), data.end());
        const uint32_t length = uint32_t(data.size());
        const uint32_t crc = crc32(body.data(), body.size());
        const uint8_t head[4] = {uint8_t(length >> 24), uint8_t(length >> 16), uint8_t(length >> 8), uint8_t(length)};
        const uint8_t tail[4] = {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)};
        out.write(reinterpret_cast<const char*>(head), 4);
        out.write(reinterpret_cast<const char*>(body.data()), std::streamsize(body.size()));
        out.write(reinterpret_cast<const char*>(tail), 4);
    };
    std::vector<uint8_t> header = {uint8_t(width >> 24), uint8_t(width >> 16), uint8_t(width >> 8), uint8_t(width),
                                   uint8_t(height >> 24), uint8_t(height >> 16), uint8_t(height >> 8), uint8_t(height),
                                   8, 2, 0, 0, 0};
    chunk("IHDR", header);
    chunk("IDAT", z);
    chunk("IEND", {});
}

// GDI objects of this process. GetGuiResources answers 0 under Wine, where a handle's low
// 16 bits alone name its table entry, so the table is walked instead.
long gdiObjectCount() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported) return long(reported);
    long count = 0;
    for (uintptr_t index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++count;
    return count;
}

BOOL CALLBACK countChild(HWND, LPARAM counter) {
    ++*reinterpret_cast<long*>(counter);
    return TRUE;
}

BOOL CALLBACK countTopLevel(HWND window, LPARAM counter) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<long*>(counter);
    EnumChildWindows(window, countChild, counter);
    return TRUE;
}

long windowCount() {
    long count = 0;
    EnumWindows(countTopLevel, reinterpret_cast<LPARAM>(&count));
    return count;
}

struct DialogWatch {
    HWND host = nullptr;
    std::string pngPath;
    bool seen = false;
};

BOOL CALLBACK findDialog(HWND window, LPARAM found) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (IsWindowVisible(window) && std::string(name) == "#32770") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Runs from the idle timer, which a plug-in's modal dialog keeps serving: notes the first
// dialog that shows up and keeps a picture of its client area.
void watchDialogs(DialogWatch& watch) {
    if (watch.seen) return;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    watch.seen = true;
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT client = {};
    GetClientRect(dialog, &client);
    std::printf("dialog %dx%d\n", int(client.right), int(client.bottom));
    if (watch.pngPath.empty()) return;
    const int width = client.right, height = client.bottom;
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    HDC dc = GetDC(dialog);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            pixels[size_t(y) * size_t(width) + size_t(x)] =
                (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
        }
    ReleaseDC(dialog, dc);
    writePng(watch.pngPath, pixels, width, height);
}

struct EditorOptions {
    std::string plugin;
    std::string script;
    int cycles = 0;
    std::string dialogPng;
};

void printCalls(HostContext& host) {
    for (const HostEditRecord& record : host.editLog()) {
        if (record.kind == HostEditRecord::BeginEdit) std::printf("begin-edit %d\n", record.index);
        else if (record.kind == HostEditRecord::EndEdit) std::printf("end-edit %d\n", record.index);
        else std::printf("automate %d %.6f\n", record.index, double(record.value));
    }
    host.clearEditLog();
}

void printParams(PluginInstance& plugin) {
    for (int i = 0; i < plugin.numParams(); ++i)
        std::printf("%d %s %.6f %s\n", i, plugin.parameterName(i).c_str(), double(plugin.parameter(i)),
                    plugin.parameterDisplay(i).c_str());
}

void runEditor(const EditorOptions& options) {
    HostContext host;
    PluginInstance plugin(options.plugin, host, 44100, 512);
    ERect* rect = nullptr;
    plugin.dispatch(effEditGetRect, 0, 0, &rect);
    if (!rect) throw HostError("the plug-in reports no editor rectangle");
    const int width = rect->right - rect->left, height = rect->bottom - rect->top;
    std::unique_ptr<EditorHostWindow> window = EditorHostWindow::open(width, height, "zelvik-render editor");
    DialogWatch watch;
    watch.pngPath = options.dialogPng;
    const std::function<void()> idle = [&] {
        plugin.dispatch(effEditIdle);
        watchDialogs(watch);
    };

    if (options.cycles > 0) {
        char className[32];
        std::snprintf(className, sizeof className, "Plugin%08x",
                      unsigned(reinterpret_cast<uintptr_t>(GetModuleHandleA(options.plugin.c_str()))));
        auto classRegistered = [&] {
            WNDCLASSA info;
            return GetClassInfoA(GetModuleHandleA(options.plugin.c_str()), className, &info) != 0;
        };
        // One cycle first, so that what is made once per process (fonts cached by the system,
        // the EDIT class) does not count.
        plugin.dispatch(effEditOpen, 0, 0, window->parentHandle());
        window->run(60, idle);
        plugin.dispatch(effEditClose);
        window->run(20, idle);
        const long gdiBefore = gdiObjectCount(), windowsBefore = windowCount();
        bool registeredWhileOpen = true;
        for (int i = 0; i < options.cycles; ++i) {
            plugin.dispatch(effEditOpen, 0, 0, window->parentHandle());
            window->run(40, idle);
            registeredWhileOpen = registeredWhileOpen && classRegistered();
            plugin.dispatch(effEditClose);
            window->run(10, idle);
        }
        std::printf("cycles %d gdi %ld %ld windows %ld %ld class-open %s class-after %s\n", options.cycles,
                    gdiBefore, gdiObjectCount(), windowsBefore, windowCount(),
                    registeredWhileOpen ? "yes" : "no", classRegistered() ? "yes" : "no");
    }

    plugin.dispatch(effEditOpen, 0, 0, window->parentHandle());
    window->run(300, idle);
    const std::vector<Step> steps = options.script.empty() ? std::vector<Step>() : readScript(options.script);
    for (const Step& step : steps) {
        const auto& n = step.numbers;
        auto number = [&](size_t i, int fallback) { return i < n.size() ? n[i] : fallback; };
        if (step.command == "idle") {
            window->run(number(0, 100), idle);
        } else if (step.command == "move") {
            window->movePointer(number(0, 0), number(1, 0));
        } else if (step.command == "press") {
            window->movePointer(number(0, 0), number(1, 0));
            window->pressButton(number(2, 1));
        } else if (step.command == "release") {
            window->releaseButton(number(0, 1));
        } else if (step.command == "click") {
            window->movePointer(number(0, 0), number(1, 0));
            window->pressButton(number(2, 1));
            window->releaseButton(number(2, 1));
        } else if (step.command == "drag") {
            const int steps = std::max(1, number(4, 10));
            window->movePointer(number(0, 0), number(1, 0));
            window->pressButton(1);
            for (int i = 1; i <= steps; ++i)
                window->movePointer(number(0, 0) + (number(2, 0) - number(0, 0)) * i / steps,
                                    number(1, 0) + (number(3, 0) - number(1, 0)) * i / steps);
            window->releaseButton(1);
        } else if (step.command == "key") {
            window->pressKey(step.text);
            window->releaseKey(step.text);
        } else if (step.command == "type") {
            for (char c : step.text) {
                window->pressKey(std::string(1, c));
                window->releaseKey(std::string(1, c));
            }
        } else if (step.command == "png") {
            int w = 0, h = 0;
            const std::vector<uint32_t> pixels = window->capture(w, h);
            writePng(step.text, pixels, w, h);
        } else if (step.command == "params") {
            window->run(0, idle);
            printParams(plugin);
        } else if (step.command == "calls") {
            window->run(0, idle);
            printCalls(host);
        } else if (step.command == "close-host") {
            window->destroy();
        } else {
            throw HostError("unknown script command '" + step.command + "'");
        }
        std::fflush(stdout);
    }
    plugin.dispatch(effEditClose);
    std::printf("closed\n");
}

}  // namespace

void registerEditorCommand(CLI::App& app) {
    auto options = std::make_shared<EditorOptions>();
    CLI::App* command = app.add_subcommand("editor", "embed a plug-in's editor in a window (Windows, temporary)");
    command->add_option("plugin", options->plugin, "the plug-in DLL")->required();
    command->add_option("--script", options->script, "script of input and captures");
    command->add_option("--cycles", options->cycles, "open and close the editor N times and report resources");
    command->add_option("--dialog-png", options->dialogPng, "keep a picture of the first dialog shown");
    command->callback([options] { runEditor(*options); });
}
