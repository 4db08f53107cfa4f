// `zelvik-render snapshot`: draws the instrument's own editor offscreen and saves it as PNG.
#include "host/commands.h"
#include "host/host_error.h"
#include "host/parameter_setting.h"

#include <CLI/CLI.hpp>

#ifdef ZELVIK_HAVE_SNAPSHOT
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "editor/synth_editor.h"
#include "gui/platform/memory/memory_platform.h"
#include "gui/platform/memory/png_writer.h"
#include "plugin/synth_plugin.h"

namespace {

struct SnapshotOptions {
    std::string pngPath;
    std::vector<std::string> settings;
    int voices = 0;
};

// The instrument runs in this process with nobody to talk to: it gets a version and, for
// everything else, the answer "don't know" (a tempo of 0 means the default tempo).
VstIntPtr VSTCALLBACK snapshotHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

ParameterSetting parseSetting(SynthPlugin& plugin, const std::string& setting) {
    return parseParameterSetting(setting, plugin.getAeffect()->numParams, [&](int i) {
        char text[kVstMaxParamStrLen * 4] = {};
        plugin.getParameterName(i, text);
        return std::string(text);
    });
}

void runSnapshot(const SnapshotOptions& options) {
    std::unique_ptr<SynthPlugin> plugin(new SynthPlugin(snapshotHost, createSynthEditor));
    auto* editor = dynamic_cast<SynthEditor*>(plugin->getEditor());
    if (!editor) throw HostError("the instrument has no editor");

    // Every setting is checked before any is applied, so a typo changes nothing.
    std::vector<ParameterSetting> settings;
    for (const std::string& setting : options.settings) settings.push_back(parseSetting(*plugin, setting));
    for (const ParameterSetting& setting : settings) plugin->setParameter(setting.index, setting.value);

    // The memory back end makes the window; any non-null host window will do for it.
    static char offscreenHost;
    if (!plugin->dispatcher(effEditOpen, 0, 0, &offscreenHost, 0.0f))
        throw HostError("the editor did not open");
    gui_platform::memory::MemoryWindow* window = gui_platform::memory::lastWindow();
    if (!window) {
        plugin->dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
        throw HostError("the editor made no window");
    }
    editor->showActiveVoices(options.voices);
    window->paintAll();
    // The refresh asked for at opening lands here: controls take their values, read-outs
    // their texts, the indicator the voice count, and the dirty views are redrawn.
    plugin->dispatcher(effEditIdle, 0, 0, nullptr, 0.0f);

    const gui_platform::Image picture = window->image();
    plugin->dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
    if (!gui_platform::writePng(picture, options.pngPath))
        throw HostError("cannot write '" + options.pngPath + "'");
    std::printf("%s: %d x %d pixels, %d voice%s shown\n", options.pngPath.c_str(), picture.width, picture.height,
                options.voices, options.voices == 1 ? "" : "s");
}

}  // namespace

void registerSnapshotCommand(CLI::App& app) {
    auto options = std::make_shared<SnapshotOptions>();
    CLI::App* command = app.add_subcommand("snapshot", "draw Zelvik's editor into a PNG picture");
    command->add_option("--png", options->pngPath, "picture to write")->required();
    command->add_option("--set", options->settings, "parameter NAME=VALUE (0 to 1) before opening; repeatable")
        ->take_all();
    command->add_option("--voices", options->voices, "sounding voices shown on the indicator")
        ->check(CLI::Range(0, 16));
    command->callback([options] { runSnapshot(*options); });
}

#else

// Builds without the offscreen editor (the Windows host) say so instead of drawing.
void registerSnapshotCommand(CLI::App& app) {
    CLI::App* command = app.add_subcommand("snapshot", "draw Zelvik's editor into a PNG picture");
    command->allow_extras();
    command->callback([] { throw HostError("snapshot is not available in this build"); });
}

#endif
