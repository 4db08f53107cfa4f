// `zelvik-render render PLUGIN --midi IN.mid --out OUT.wav`: a MIDI file played through a plug-in.
#include "host/commands.h"
#include "host/fxp_program.h"
#include "host/host_context.h"
#include "host/host_error.h"
#include "host/midi_file.h"
#include "host/offline_renderer.h"
#include "host/plugin_instance.h"
#include "host/progress_bar.h"
#include "host/tempo_map.h"
#include "host/text_format.h"
#ifdef ZELVIK_HAVE_SNDFILE
#include "host/wav_reader.h"
#include "host/wav_writer.h"
#endif

#include <CLI/CLI.hpp>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kToneAmplitude = 0.5;
constexpr double kTwoPi = 6.283185307179586476925;
constexpr double kMaxTailSeconds = 3600.0;
constexpr int64_t kMaxRenderSamples = (int64_t)1 << 31; // about 13 hours at 44.1 kHz
constexpr int kMaxChannels = 256;

struct RenderOptions {
    std::string pluginPath;
    std::string midiPath;
    std::string outPath;
    int sampleRate = 44100;
    int blockSize = 512;
    std::string tempo = "120";
    std::vector<std::string> settings;
    std::string loadFxp;
    std::string saveFxp;
    std::string inputPath;
    double toneHz = 0.0;
    double tailSeconds = 2.0;
};

#ifdef ZELVIK_HAVE_SNDFILE
void checkOptions(const RenderOptions& options) {
    if (options.sampleRate < 8000 || options.sampleRate > 384000)
        throw HostError("--rate " + std::to_string(options.sampleRate) + ": expected 8000 to 384000");
    if (options.blockSize < 1 || options.blockSize > 16384)
        throw HostError("--block " + std::to_string(options.blockSize) + ": expected 1 to 16384");
    if (!(options.tailSeconds >= 0.0 && options.tailSeconds <= kMaxTailSeconds))
        throw HostError("--tail: expected 0 to 3600 seconds");
    if (!options.inputPath.empty() && options.toneHz != 0.0)
        throw HostError("--input and --tone cannot be combined");
    if (options.toneHz != 0.0 && !(options.toneHz > 0.0 && options.toneHz < options.sampleRate / 2.0))
        throw HostError("--tone: expected a frequency between 0 and half the sample rate");
}

void applyProgramFile(PluginInstance& plugin, const std::string& path) {
    FxpProgram program = FxpProgram::load(path);
    const AEffect& effect = plugin.effect();
    if (program.pluginId != effect.uniqueID)
        throw HostError(path + ": preset for plug-in '" + fourCharacters(program.pluginId) + "', not for '" +
                        fourCharacters(effect.uniqueID) + "'");
    if ((int)program.values.size() != effect.numParams)
        throw HostError(path + ": preset has " + std::to_string(program.values.size()) +
                        " parameters, the plug-in has " + std::to_string(effect.numParams));
    plugin.setProgramName(program.name);
    for (int i = 0; i < (int)program.values.size(); ++i)
        plugin.setParameter(i, program.values[i]);
}

FxpProgram currentProgram(PluginInstance& plugin) {
    FxpProgram program;
    program.pluginId = plugin.effect().uniqueID;
    program.pluginVersion = plugin.effect().version;
    program.name = plugin.programName();
    for (int i = 0; i < plugin.numParams(); ++i)
        program.values.push_back(plugin.parameter(i));
    return program;
}

std::vector<TimedMidiEvent> placeEvents(const MidiFile& midi, const TempoMap& tempo) {
    std::vector<TimedMidiEvent> events;
    events.reserve(midi.events.size());
    for (const MidiFileEvent& event : midi.events)
        events.push_back({tempo.sampleAtTick(event.tick), {event.bytes[0], event.bytes[1], event.bytes[2]}});
    return events;
}

void runRender(const RenderOptions& options) {
    checkOptions(options);
    bool followFile = options.tempo == "file";
    double constantBpm = followFile ? 0.0 : TempoMap::parseBpm(options.tempo);
    MidiFile midi = MidiFile::load(options.midiPath);
    TempoMap tempo = TempoMap::forFile(midi, options.sampleRate, constantBpm);
    int64_t totalSamples = tempo.sampleAtTick(midi.endTick) + std::llround(options.tailSeconds * options.sampleRate);
    if (totalSamples > kMaxRenderSamples)
        throw HostError(options.midiPath + ": the render would be longer than 2^31 samples");

    std::unique_ptr<WavReader> input;
    if (!options.inputPath.empty()) {
        input = std::make_unique<WavReader>(options.inputPath);
        if (input->sampleRate() != options.sampleRate)
            throw HostError(options.inputPath + ": sample rate " + std::to_string(input->sampleRate()) +
                            " differs from the render rate " + std::to_string(options.sampleRate) + " (see --rate)");
    }

    HostContext host(followFile ? 120.0 : constantBpm, options.sampleRate, options.blockSize);
    host.setTempoMap(&tempo);
    if (!midi.timeSignatures.empty())
        host.setTimeSignature(midi.timeSignatures.front().numerator, midi.timeSignatures.front().denominator);
    PluginInstance plugin(options.pluginPath, host, options.sampleRate, options.blockSize);
    const AEffect& effect = plugin.effect();
    if (effect.numOutputs < 1)
        throw HostError(options.pluginPath + ": the plug-in has no audio outputs");
    if (effect.numOutputs > kMaxChannels || effect.numInputs > kMaxChannels)
        throw HostError(options.pluginPath + ": the plug-in declares more than 256 channels");
    if ((input || options.toneHz > 0.0) && effect.numInputs < 1)
        throw HostError(options.pluginPath + ": the plug-in has no audio input for --input or --tone");

    if (!options.loadFxp.empty())
        applyProgramFile(plugin, options.loadFxp);
    for (const std::string& setting : options.settings)
        plugin.applySetting(setting);
    // Saved as chosen, before the notes move anything, and early, so a bad path stops the
    // command before the render rather than after it.
    if (!options.saveFxp.empty())
        currentProgram(plugin).save(options.saveFxp);

    OfflineRenderer renderer(plugin, options.blockSize);
    renderer.setEvents(placeEvents(midi, tempo), totalSamples);
    if (input) {
        WavReader* reader = input.get();
        renderer.setInput([reader](int64_t, float* samples, int frames) { reader->readFirstChannel(samples, frames); });
    } else if (options.toneHz > 0.0) {
        double step = kTwoPi * options.toneHz / options.sampleRate;
        renderer.setInput([step](int64_t position, float* samples, int frames) {
            for (int i = 0; i < frames; ++i)
                samples[i] = (float)(kToneAmplitude * std::sin(step * (double)(position + i)));
        });
    }

    WavWriter output(options.outPath, effect.numOutputs, options.sampleRate);
    {
        ProgressBar progress;
        renderer.run([&output](const float* const* channels, int frames) { output.write(channels, frames); },
                     [&progress](double fraction) { progress.update(fraction); });
    }
    output.finish();
}
#else
void runRender(const RenderOptions&) {
    throw HostError("render is not available in this build (it needs libsndfile for the WAV files)");
}
#endif

} // namespace

void registerRenderCommand(CLI::App& app) {
    auto options = std::make_shared<RenderOptions>();
    CLI::App* command = app.add_subcommand("render", "play a MIDI file through a plug-in into a WAV file");
    command->add_option("plugin", options->pluginPath, "the plug-in library (.so or .dll)")->required();
    command->add_option("--midi", options->midiPath, "Standard MIDI File (type 0 or 1)")->required();
    command->add_option("--out", options->outPath, "output WAV file (32-bit float)")->required();
    command->add_option("--rate", options->sampleRate, "sample rate (default 44100)");
    command->add_option("--block", options->blockSize, "block size in samples (default 512)");
    command->add_option("--tempo", options->tempo, "beats per minute, or 'file' for the MIDI file's tempo map");
    command->add_option("--set", options->settings, "NAME=V or INDEX=V with V from 0 to 1 (repeatable)")
        ->allow_extra_args(false);
    command->add_option("--load-fxp", options->loadFxp, "apply a program preset (.fxp) before the --set values");
    command->add_option("--save-fxp", options->saveFxp, "save the program as set up, before rendering");
    command->add_option("--input", options->inputPath, "audio file for the plug-in's first input");
    command->add_option("--tone", options->toneHz, "sine of this frequency (Hz) as the first input");
    command->add_option("--tail", options->tailSeconds, "seconds rendered after the end of the MIDI file (default 2)");
    command->callback([options] { runRender(*options); });
}
