// `zelvik-render editor PLUGIN`: embeds a plug-in's editor in a window the way hosts do, for
// people to use and for scripts to test (input, pictures, host calls, parameter values).
#include "host/commands.h"
#include "host/host_error.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "host/editor_host_window.h"
#include "host/editor_script.h"
#include "host/file_util.h"
#include "host/host_context.h"
#include "host/plugin_instance.h"
#include "host/text_format.h"

#include "gui/platform/image.h"
#include "gui/platform/memory/png_writer.h"

namespace {

constexpr int64_t kSampleRate = 44100;
constexpr int kBlockSize = 512;
// Without a script, a picture is taken once the editor has had this long to paint.
constexpr int kSettleMs = 500;
// How long a button or key is held in a click or a key stroke, and the pause between the
// points of a drag: long enough for a host idling every 20 ms to see the state.
constexpr int kHoldMs = 100;
constexpr int kKeyMs = 30;
constexpr int kDragStepMs = 30;
constexpr size_t kMaxScriptBytes = 1 << 20;
// An open and close in --cycles: time for the editor to paint and take its idle calls.
constexpr int kCycleOpenMs = 40;
constexpr int kCycleClosedMs = 10;

struct EditorOptions {
    std::string pluginPath;
    std::vector<std::string> settings;
    std::string pngPath;
    std::string scriptPath;
    int cycles = 0;
    std::string dialogPngPath;
};

void pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void savePicture(const std::vector<uint32_t>& pixels, int width, int height, const std::string& path) {
    gui_platform::Image image(width, height);
    for (size_t i = 0; i < pixels.size() && i * 3 < image.rgb.size(); ++i) {
        image.rgb[i * 3] = uint8_t(pixels[i] >> 16);
        image.rgb[i * 3 + 1] = uint8_t(pixels[i] >> 8);
        image.rgb[i * 3 + 2] = uint8_t(pixels[i]);
    }
    if (!gui_platform::writePng(image, path)) throw HostError("cannot write '" + path + "'");
}

const char* yesNo(int answer) { return answer > 0 ? "yes" : answer == 0 ? "no" : "unknown"; }

// Work the script needs done on the host's thread (the plug-in's requests), handed over and
// waited for; the host's loop runs it between idle calls.
class HostThreadQueue {
public:
    void runOnHost(const std::function<void()>& task) {
        std::unique_lock<std::mutex> hold(lock);
        if (stopped) throw HostError("the host window was closed");
        const uint64_t ticket = ++posted;
        tasks.push_back(task);
        changed.wait(hold, [&] { return done >= ticket || stopped; });
        if (done < ticket) throw HostError("the host window was closed");
        if (failure) std::rethrow_exception(failure);
    }
    // On the host's thread.
    void serve() {
        std::unique_lock<std::mutex> hold(lock);
        while (!tasks.empty()) {
            std::function<void()> task = tasks.front();
            tasks.pop_front();
            hold.unlock();
            std::exception_ptr error;
            try {
                task();
            } catch (...) {
                error = std::current_exception();
            }
            hold.lock();
            failure = error;
            ++done;
            changed.notify_all();
        }
    }
    void stop() {
        std::lock_guard<std::mutex> hold(lock);
        stopped = true;
        changed.notify_all();
    }

private:
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::function<void()>> tasks;
    uint64_t posted = 0;
    uint64_t done = 0;
    std::exception_ptr failure;
    bool stopped = false;
};

class EditorSession {
public:
    EditorSession(PluginInstance& plugin, EditorHostWindow& window, const EditorOptions& options)
        : plugin(plugin), window(window), options(options) {}

    // On the host's thread, from the window's timer.
    void idle() {
        if (editorOpen) plugin.dispatch(effEditIdle);
        if (!options.dialogPngPath.empty() && dialogPixels.empty()) keepDialogPicture();
        queue.serve();
    }

    void openEditor() {
        if (!plugin.dispatch(effEditOpen, 0, 0, window.parentHandle()))
            throw HostError(options.pluginPath + ": the editor did not open");
        editorOpen = true;
    }

    void closeEditor() {
        editorOpen = false;
        plugin.dispatch(effEditClose);
    }

    // Opens and closes the editor `cycles` times and prints what the process held of the
    // system's before and after, and whether the editor's window class was registered while
    // it was open and after: an editor must give back everything it took.
    void cycle(int cycles) {
        const std::function<void()> idleCall = [this] { idle(); };
        // A first round is not counted: the system makes some things once per process (fonts
        // it caches, the classes of its controls).
        openEditor();
        window.run(kCycleOpenMs, idleCall);
        closeEditor();
        window.run(kCycleClosedMs, idleCall);
        const long drawingBefore = window.drawingObjectCount(), windowsBefore = window.windowCount();
        int registeredWhileOpen = 1;
        for (int i = 0; i < cycles; ++i) {
            openEditor();
            window.run(kCycleOpenMs, idleCall);
            registeredWhileOpen = std::min(registeredWhileOpen, window.editorClassRegistered());
            closeEditor();
            window.run(kCycleClosedMs, idleCall);
        }
        std::printf("cycles %d gdi %ld %ld windows %ld %ld class-open %s class-after %s\n", cycles, drawingBefore,
                    window.drawingObjectCount(), windowsBefore, window.windowCount(), yesNo(registeredWhileOpen),
                    yesNo(window.editorClassRegistered()));
        std::fflush(stdout);
    }

    // The script plays on a thread of its own, as a user's hands would, while this thread
    // stays the host's: idle every 20 ms, and the plug-in's requests in between.
    void play(const std::vector<EditorScriptStep>& steps) {
        bool finished = false;
        std::exception_ptr failure;
        std::thread player([&] {
            try {
                for (const EditorScriptStep& step : steps) perform(step);
            } catch (...) {
                failure = std::current_exception();
            }
            queue.runOnHost([&] { finished = true; });
        });
        while (!finished) {
            if (window.isOpen()) {
                window.run(20, [this] { idle(); });
            } else {
                // A host whose window is gone may still idle the editor until it closes it.
                idle();
                pause(20);
            }
        }
        player.join();
        if (failure) std::rethrow_exception(failure);
    }

    void takePicture(const std::string& path) {
        int width = 0, height = 0;
        const std::vector<uint32_t> pixels = window.capture(width, height);
        savePicture(pixels, width, height, path);
        std::printf("png %s %d x %d\n", path.c_str(), width, height);
        std::fflush(stdout);
    }

    void saveDialogPicture() {
        if (dialogPixels.empty()) throw HostError("no dialog of the plug-in was seen to keep a picture of");
        savePicture(dialogPixels, dialogWidth, dialogHeight, options.dialogPngPath);
    }

    bool editorOpen = false;

private:
    // The first dialog the plug-in shows, as it looked. Only kept here: idle runs inside the
    // plug-in's own dialog loop, where a failure could not be reported; the file is written
    // once the session ends.
    void keepDialogPicture() {
        std::vector<uint32_t> pixels;
        int width = 0, height = 0;
        if (!window.captureDialog(pixels, width, height) || pixels.empty()) return;
        dialogPixels = std::move(pixels);
        dialogWidth = width;
        dialogHeight = height;
        std::printf("dialog %dx%d\n", width, height);
        std::fflush(stdout);
    }

    void click(int x, int y, int button) {
        window.movePointer(x, y);
        pause(kKeyMs);
        window.pressButton(button);
        pause(kHoldMs);
        window.releaseButton(button);
        pause(kKeyMs);
    }

    void stroke(const std::string& key) {
        window.pressKey(key);
        pause(kKeyMs);
        window.releaseKey(key);
        pause(kKeyMs);
    }

    void drag(const std::vector<int>& n) {
        window.movePointer(n[0], n[1]);
        pause(kKeyMs);
        window.pressButton(1);
        pause(kHoldMs);
        for (int step = 1; step <= n[4]; ++step) {
            window.movePointer(n[0] + (n[2] - n[0]) * step / n[4], n[1] + (n[3] - n[1]) * step / n[4]);
            pause(kDragStepMs);
        }
        pause(kHoldMs);
        window.releaseButton(1);
        pause(kHoldMs);
    }

    void perform(const EditorScriptStep& step) {
        const std::vector<int>& n = step.numbers;
        switch (step.kind) {
            case EditorScriptStep::Idle: pause(n[0]); break;
            case EditorScriptStep::Move: window.movePointer(n[0], n[1]); break;
            case EditorScriptStep::Press:
                window.movePointer(n[0], n[1]);
                pause(kKeyMs);
                window.pressButton(n[2]);
                break;
            case EditorScriptStep::Release: window.releaseButton(n[0]); break;
            case EditorScriptStep::Click: click(n[0], n[1], n[2]); break;
            case EditorScriptStep::Drag: drag(n); break;
            case EditorScriptStep::Key: stroke(step.text); break;
            case EditorScriptStep::Type:
                for (char c : step.text) stroke(c == ' ' ? std::string("space") : std::string(1, c));
                break;
            case EditorScriptStep::Png: takePicture(step.text); break;
            case EditorScriptStep::Params: queue.runOnHost([this] { printParameters(); }); break;
            case EditorScriptStep::Calls: queue.runOnHost([this] { printCalls(); }); break;
            case EditorScriptStep::CloseHost: queue.runOnHost([this] { window.destroy(); }); break;
            case EditorScriptStep::Notes: queue.runOnHost([this, &n] { playNotes(n[0]); }); break;
            case EditorScriptStep::Windows:
                std::printf("windows %d\n", window.otherWindowCount());
                std::fflush(stdout);
                break;
        }
    }

    void printParameters() {
        for (int i = 0; i < plugin.numParams(); ++i)
            std::printf("param %d \"%s\" %s \"%s\"\n", i, printable(plugin.parameterName(i)).c_str(),
                        formatFloat(plugin.parameter(i)).c_str(), printable(plugin.parameterDisplay(i)).c_str());
        std::fflush(stdout);
    }

    void printCalls() {
        for (const HostEditRecord& record : plugin.host().editLog()) {
            if (record.kind == HostEditRecord::Automate)
                std::printf("automate %d %s\n", record.index, formatFloat(record.value).c_str());
            else
                std::printf("%s %d\n", record.kind == HostEditRecord::BeginEdit ? "begin-edit" : "end-edit",
                            record.index);
        }
        std::fflush(stdout);
        plugin.host().clearEditLog();
    }

    // Note-ons 60, 61, ... and one block of audio, so an instrument counts them as sounding.
    void playNotes(int count) {
        AEffect& effect = plugin.effect();
        std::vector<VstMidiEvent> notes(size_t(count), VstMidiEvent{});
        std::vector<VstIntPtr> list(2 + size_t(count), 0);
        auto* events = reinterpret_cast<VstEvents*>(list.data());
        events->numEvents = count;
        for (int i = 0; i < count; ++i) {
            VstMidiEvent& note = notes[size_t(i)];
            note.type = kVstMidiType;
            note.byteSize = sizeof(VstMidiEvent);
            note.midiData[0] = char(0x90);
            note.midiData[1] = char((60 + i) & 0x7f);
            note.midiData[2] = 100;
            events->events[i] = reinterpret_cast<VstEvent*>(&note);
        }
        plugin.dispatch(effProcessEvents, 0, 0, events);
        const int channels = std::max(effect.numInputs, effect.numOutputs);
        std::vector<std::vector<float>> buffers(size_t(std::max(channels, 1)), std::vector<float>(kBlockSize, 0.0f));
        std::vector<float*> pointers;
        for (auto& buffer : buffers) pointers.push_back(buffer.data());
        std::vector<std::vector<float>> outputs(size_t(std::max(effect.numOutputs, 1)),
                                                std::vector<float>(kBlockSize, 0.0f));
        std::vector<float*> outputPointers;
        for (auto& buffer : outputs) outputPointers.push_back(buffer.data());
        if ((effect.flags & effFlagsCanReplacing) && effect.processReplacing)
            effect.processReplacing(&effect, pointers.data(), outputPointers.data(), kBlockSize);
        else if (effect.process)
            effect.process(&effect, pointers.data(), outputPointers.data(), kBlockSize);
    }

    PluginInstance& plugin;
    EditorHostWindow& window;
    HostThreadQueue queue;
    const EditorOptions& options;
    std::vector<uint32_t> dialogPixels;
    int dialogWidth = 0;
    int dialogHeight = 0;
};

void runEditor(const EditorOptions& options) {
    // A bad script is reported before anything opens.
    std::vector<EditorScriptStep> steps;
    if (!options.scriptPath.empty()) {
        const std::vector<uint8_t> bytes = readWholeFile(options.scriptPath, kMaxScriptBytes);
        steps = parseEditorScript(std::string(bytes.begin(), bytes.end()));
    }

    HostContext host(120.0, kSampleRate, kBlockSize);
    PluginInstance plugin(options.pluginPath, host, kSampleRate, kBlockSize);
    if (!(plugin.effect().flags & effFlagsHasEditor)) throw HostError(options.pluginPath + ": the plug-in has no editor");
    for (const std::string& setting : options.settings) plugin.applySetting(setting);

    ERect* rect = nullptr;
    plugin.dispatch(effEditGetRect, 0, 0, &rect);
    if (!rect || rect->right - rect->left <= 0 || rect->bottom - rect->top <= 0)
        throw HostError(options.pluginPath + ": the editor reports no size");
    std::unique_ptr<EditorHostWindow> window = EditorHostWindow::open(
        rect->right - rect->left, rect->bottom - rect->top, "zelvik-render: " + plugin.text(effGetEffectName));

    plugin.dispatch(effMainsChanged, 0, 1);
    EditorSession session(plugin, *window, options);
    std::exception_ptr failure;
    try {
        if (options.cycles > 0) session.cycle(options.cycles);
        session.openEditor();
        // A script without steps (only comments, or a run that is all --cycles) ends the run
        // as any script does, rather than leaving the window to the user.
        if (!options.scriptPath.empty()) {
            session.play(steps);
        } else if (!options.pngPath.empty()) {
            window->run(kSettleMs, [&] { session.idle(); });
        } else {
            window->run(-1, [&] { session.idle(); });
        }
        if (!options.pngPath.empty()) session.takePicture(options.pngPath);
        if (!options.dialogPngPath.empty()) session.saveDialogPicture();
    } catch (...) {
        failure = std::current_exception();
    }
    if (session.editorOpen) {
        session.closeEditor();
        // The host outlived the editor, whatever the script did to its window.
        std::printf("closed\n");
        std::fflush(stdout);
    }
    plugin.dispatch(effMainsChanged, 0, 0);
    window.reset();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace

void registerEditorCommand(CLI::App& app) {
    auto options = std::make_shared<EditorOptions>();
    CLI::App* command = app.add_subcommand("editor", "open a plug-in's editor in a window, as hosts do");
    command->add_option("plugin", options->pluginPath, "VST 2 plug-in (.so, .dll)")->required();
    command->add_option("--set", options->settings, "NAME=V or INDEX=V with V from 0 to 1 (repeatable)")->take_all();
    command->add_option("--png", options->pngPath, "save the window as PNG (after the script, or once painted)");
    command->add_option("--script", options->scriptPath, "play a script of input and checks (see README)");
    command->add_option("--cycles", options->cycles, "first open and close the editor N times and report what it held")
        ->check(CLI::NonNegativeNumber);
    command->add_option("--dialog-png", options->dialogPngPath, "keep a picture of the first dialog the plug-in shows");
    command->callback([options] { runEditor(*options); });
}
