// The threads check: one thread renders, one sets parameters and reads their display
// texts as a host's generic editor or automation lane does, one opens, idles and closes
// the editor. Meant to run under ThreadSanitizer as well as on its own.
#include "host/validate/audio_bench.h"
#include "host/validate/check_context.h"
#include "host/validate/plugin_under_test.h"

#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr float kRate = 44100.0f;
constexpr int kBlock = 256;
constexpr int kEditorIdles = 15;
constexpr auto kIdleInterval = std::chrono::milliseconds(20);

using Clock = std::chrono::steady_clock;

#if defined(__SANITIZE_THREAD__)
// ThreadSanitizer calls this for every report it prints: the check counts them.
std::atomic<long> threadSanitizerReports{0};
#endif
} // namespace

#if defined(__SANITIZE_THREAD__)
extern "C" __attribute__((visibility("default"))) void __tsan_on_report(void*) { ++threadSanitizerReports; }
#endif

namespace {

// The X display the editor's parent window lives on, if there is one.
class ParentWindow {
public:
    ParentWindow() {
        const char* name = std::getenv("DISPLAY");
        if (!name || !*name)
            return;
        display_ = XOpenDisplay(nullptr);
        if (!display_)
            return;
        int screen = DefaultScreen(display_);
        window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, 800, 600, 0,
                                      BlackPixel(display_, screen), BlackPixel(display_, screen));
        XMapWindow(display_, window_);
        XSync(display_, False);
    }
    ~ParentWindow() {
        if (!display_)
            return;
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }
    bool available() const { return display_ != nullptr; }
    void* handle() const { return reinterpret_cast<void*>((uintptr_t)window_); }
    void serve() {
        while (display_ && XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
        }
    }

private:
    Display* display_ = nullptr;
    Window window_ = 0;
};

struct Shared {
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    std::atomic<long> parameterChanges{0};
    std::atomic<long> editorOpens{0};
    std::atomic<long> editorRefusals{0};
    std::string failure; // written by the render thread only, read after join
};

void renderLoop(PluginUnderTest& plugin, Shared& shared) {
    try {
        AudioBench bench(plugin, kBlock);
        EventList events(160);
        std::mt19937 random(7);
        for (long block = 0; !shared.stop; ++block) {
            events.clear();
            if (block % 40 == 0)
                addChord(events, 40 + (int)(random() % 40), 3, 4, 100, 0, (int)(random() % kBlock));
            if (block % 40 == 30)
                events.midi(0, 0xB0, 123, 0);
            for (int key = 0; key < 128 && block % 40 == 31; ++key)
                events.midi(0, 0x80, key, 0);
            bench.render(kBlock, &events);
            ++shared.blocks;
        }
    } catch (const std::exception& error) {
        shared.failure = error.what();
        shared.stop = true;
    }
}

void parameterLoop(PluginUnderTest& plugin, Shared& shared, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    int count = plugin.numParams();
    char text[1024];
    while (!shared.stop && count > 0) {
        int index = (int)(random() % (unsigned)count);
        plugin.setParameter(index, unit(random));
        (void)plugin.parameter(index);
        std::memset(text, 0, sizeof text);
        plugin.dispatch(effGetParamDisplay, index, 0, text);
        ++shared.parameterChanges;
    }
}

void editorLoop(PluginUnderTest& plugin, Shared& shared, ParentWindow& parent) {
    while (!shared.stop) {
        ERect* rect = nullptr;
        plugin.dispatch(effEditGetRect, 0, 0, &rect);
        if (plugin.dispatch(effEditOpen, 0, 0, parent.handle()) == 0)
            ++shared.editorRefusals;
        ++shared.editorOpens;
        for (int idle = 0; idle < kEditorIdles && !shared.stop; ++idle) {
            plugin.dispatch(effEditIdle);
            parent.serve();
            std::this_thread::sleep_for(kIdleInterval);
        }
        plugin.dispatch(effEditClose);
        parent.serve();
    }
}

void threads(CheckContext& context) {
    PluginModule module(context.options.pluginPath);
    PluginUnderTest plugin(module);
    plugin.open(kRate, kBlock);
    plugin.resume();

    bool withEditor = plugin.hasEditor();
    std::unique_ptr<ParentWindow> parent;
    if (withEditor) {
        XInitThreads();
        parent = std::make_unique<ParentWindow>();
        if (!parent->available()) {
            withEditor = false;
            context.note("editor part skipped: no X display");
        }
    } else {
        context.note("the plug-in has no editor");
    }

    Shared shared;
    context.step("render, parameter and editor threads running");
    std::thread render(renderLoop, std::ref(plugin), std::ref(shared));
    std::thread parameters(parameterLoop, std::ref(plugin), std::ref(shared), context.options.seed);
    std::thread editor;
    if (withEditor)
        editor = std::thread(editorLoop, std::ref(plugin), std::ref(shared), std::ref(*parent));
    auto end = Clock::now() + std::chrono::duration<double>(context.options.threadSeconds);
    while (!shared.stop && Clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    shared.stop = true;
    render.join();
    parameters.join();
    if (editor.joinable())
        editor.join();
    context.step("closing after the threads check");
    plugin.close();
    context.step("");
    if (!shared.failure.empty())
        throw CheckFailure("render thread: " + shared.failure);
    std::string summary = std::to_string(shared.blocks.load()) + " blocks, " +
                          std::to_string(shared.parameterChanges.load()) + " parameter changes";
    if (withEditor) {
        summary += ", " + std::to_string(shared.editorOpens.load()) + " editor openings";
        if (shared.editorRefusals > 0)
            summary += " (" + std::to_string(shared.editorRefusals.load()) + " answered 0)";
    }
#if defined(__SANITIZE_THREAD__)
    if (threadSanitizerReports > 0)
        throw CheckFailure(std::to_string(threadSanitizerReports.load()) + " ThreadSanitizer reports (" + summary + ")");
    summary += ", no ThreadSanitizer reports";
#endif
    context.note(summary);
}

void editorOpenClose(CheckContext& context) {
    PluginModule module(context.options.pluginPath);
    PluginUnderTest plugin(module);
    plugin.open(kRate, kBlock);
    if (!plugin.hasEditor()) {
        context.note("the plug-in has no editor");
        return;
    }
    ParentWindow parent;
    if (!parent.available()) {
        context.note("skipped: no X display");
        return;
    }
    for (int round = 0; round < 3; ++round) {
        context.step("editor opening " + std::to_string(round + 1));
        ERect* rect = nullptr;
        plugin.dispatch(effEditGetRect, 0, 0, &rect);
        VstIntPtr opened = plugin.dispatch(effEditOpen, 0, 0, parent.handle());
        if (round == 0 && opened == 0)
            context.note("effEditOpen answered 0");
        rect = nullptr;
        plugin.dispatch(effEditGetRect, 0, 0, &rect);
        if (opened != 0 && rect && (rect->right <= rect->left || rect->bottom <= rect->top))
            throw CheckFailure("the open editor reports an empty rectangle");
        for (int idle = 0; idle < kEditorIdles; ++idle) {
            plugin.dispatch(effEditIdle);
            parent.serve();
            std::this_thread::sleep_for(kIdleInterval);
        }
        context.step("editor closing " + std::to_string(round + 1));
        plugin.dispatch(effEditClose);
        parent.serve();
    }
}

} // namespace

void addThreadChecks(std::vector<CheckDefinition>& checks) {
    checks.push_back({"editor-open-close", 60, editorOpenClose});
    checks.push_back({"threads", 120, threads});
}
