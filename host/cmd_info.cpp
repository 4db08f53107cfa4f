// `zelvik-render info PLUGIN`: identity, layout and parameters of any VST 2 plug-in.
#include "host/commands.h"
#include "host/host_context.h"
#include "host/plugin_instance.h"
#include "host/tempo_map.h"
#include "host/text_format.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr int64_t kInfoSampleRate = 44100;
constexpr int kInfoBlockSize = 512;

struct InfoOptions {
    std::string pluginPath;
    std::string tempo = "120";
};

const char* const kFlagNames[] = {"HasEditor", "HasClip", "HasVu", "CanMono", "CanReplacing", "ProgramChunks",
                                  nullptr, nullptr, "IsSynth", "NoSoundInStop", nullptr, nullptr, "CanDoubleReplacing"};

const char* const kCategoryNames[] = {"unknown",  "effect",  "synth",    "analysis", "mastering", "spatializer",
                                      "room fx",  "surround fx", "restoration", "offline process", "shell",
                                      "generator"};

std::string flagNames(int32_t flags) {
    std::string names;
    for (int bit = 0; bit < 32; ++bit) {
        if (!(flags & (1 << bit)))
            continue;
        const char* name = bit < (int)(sizeof kFlagNames / sizeof kFlagNames[0]) ? kFlagNames[bit] : nullptr;
        names += names.empty() ? "" : " ";
        names += name ? std::string(name) : "bit" + std::to_string(bit);
    }
    return names;
}

std::string categoryName(VstIntPtr category) {
    if (category >= 0 && category < (VstIntPtr)(sizeof kCategoryNames / sizeof kCategoryNames[0]))
        return kCategoryNames[category];
    return "other";
}

void line(const char* label, const std::string& value) { std::printf("%-16s %s\n", label, value.c_str()); }

void quoted(const char* label, const std::string& value) { line(label, "\"" + printable(value) + "\""); }

void runInfo(const InfoOptions& options) {
    HostContext host(TempoMap::parseBpm(options.tempo), kInfoSampleRate, kInfoBlockSize);
    PluginInstance plugin(options.pluginPath, host, kInfoSampleRate, kInfoBlockSize);
    const AEffect& effect = plugin.effect();

    quoted("effect name:", plugin.text(effGetEffectName));
    quoted("vendor:", plugin.text(effGetVendorString));
    quoted("product:", plugin.text(effGetProductString));
    line("vendor version:", std::to_string(plugin.dispatch(effGetVendorVersion)));
    line("unique id:", std::to_string(effect.uniqueID) + " '" + fourCharacters(effect.uniqueID) + "'");
    line("version:", std::to_string(effect.version));
    line("vst version:", std::to_string(plugin.dispatch(effGetVstVersion)));
    VstIntPtr category = plugin.dispatch(effGetPlugCategory);
    line("category:", std::to_string(category) + " (" + categoryName(category) + ")");
    line("flags:", std::to_string(effect.flags) + " (" + flagNames(effect.flags) + ")");
    line("inputs:", std::to_string(effect.numInputs));
    line("outputs:", std::to_string(effect.numOutputs));
    line("initial delay:", std::to_string(effect.initialDelay));
    line("programs:", std::to_string(effect.numPrograms));
    line("program:", std::to_string(plugin.dispatch(effGetProgram)) + " \"" + printable(plugin.programName()) + "\"");
    line("parameters:", std::to_string(effect.numParams));
    for (int i = 0; i < effect.numParams; ++i) {
        std::printf("  %3d  %-24s display \"%s\"  label \"%s\"  value %s\n", i,
                    ("\"" + printable(plugin.parameterName(i)) + "\"").c_str(),
                    printable(plugin.parameterDisplay(i)).c_str(), printable(plugin.parameterLabel(i)).c_str(),
                    formatFloat(plugin.parameter(i)).c_str());
    }
    std::fflush(stdout);
}

} // namespace

void registerInfoCommand(CLI::App& app) {
    auto options = std::make_shared<InfoOptions>();
    CLI::App* command = app.add_subcommand("info", "print a plug-in's identity, layout and parameters");
    command->add_option("plugin", options->pluginPath, "the plug-in library (.so or .dll)")->required();
    command->add_option("--tempo", options->tempo, "host tempo in beats per minute (default 120)");
    command->callback([options] { runInfo(*options); });
}
