// `zelvik-render demo [--plugin PATH] [--out demo.wav]`: a built-in phrase played through the
// instrument's own binary, written as a WAV file, with its levels and the render speed.
#include "host/commands.h"
#include "host/host_context.h"
#include "host/host_error.h"
#include "host/offline_renderer.h"
#include "host/plugin_instance.h"
#include "host/tempo_map.h"
#ifdef ZELVIK_HAVE_SNDFILE
#include "host/wav_writer.h"
#endif

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int kSampleRate = 44100;
constexpr double kTempoBpm = 120.0;
// 441 samples divide a half beat at 120 BPM (11025 samples), so every parameter move,
// placed on a half beat, lands exactly on a block boundary.
constexpr int kBlockSize = 441;
constexpr int kTicksPerBeat = 960;
constexpr int kChannels = 2;
constexpr float kOutputLimit = 0.99f; // the instrument clamps its outputs here

struct DemoNote {
    double beat;
    double length;
    int key;
    int velocity;
};

struct DemoMove {
    double beat;
    const char* parameter;
    float value;
};

struct DemoSection {
    const char* name;
    double beat;
};

// The middle of entry `index` of a choice of `count`, safely clear of both edges.
constexpr float choice(int index, int count) { return (index + 0.5f) / (float)count; }

// Chord names are rows of the instrument's chord table, arpeggio types its type list.
constexpr int kArpNone = 0, kArpUp = 1, kArpUpDown = 3;
constexpr int kChordMajor = 2, kChordM7 = 11, kChord7M = 12, kChord7Sus4 = 16, kChordAdd9 = 21;
constexpr int kShapeRamp = 3;
constexpr int kAimCutoff = 45, kAimPan = 1; // LFO aim entries that reach "Cutoff" and "Pan"

const DemoSection kSections[] = {
    {"chords", 0}, {"arpeggio", 8}, {"portamento", 16}, {"lfo sweep", 24}, {"tail", 36},
};
constexpr double kEndBeat = 39.5;

const DemoNote kNotes[] = {
    // Chords on the default program: the slow filter envelope opens each one.
    {0, 1.9, 48, 76}, {0, 1.9, 55, 70}, {0, 1.9, 60, 70}, {0, 1.9, 64, 72},
    {2, 1.9, 45, 76}, {2, 1.9, 57, 70}, {2, 1.9, 60, 70}, {2, 1.9, 64, 72},
    {4, 1.9, 41, 76}, {4, 1.9, 53, 70}, {4, 1.9, 57, 70}, {4, 1.9, 60, 72},
    {6, 1.9, 43, 76}, {6, 1.9, 55, 70}, {6, 1.9, 59, 70}, {6, 1.9, 62, 72},
    // One held key per bar half; the arpeggiator climbs its chord in sixteenths.
    {8, 1.9, 57, 96}, {10, 1.9, 53, 96}, {12, 1.9, 48, 96}, {14, 1.9, 55, 96},
    // A legato line: each key is released as the next is pressed, so it glides from it.
    {16, 1, 64, 100}, {17, 0.5, 67, 96}, {17.5, 0.5, 69, 96}, {18, 1, 72, 100}, {19, 0.5, 71, 96},
    {19.5, 0.5, 69, 96}, {20, 1, 67, 100}, {21, 0.5, 64, 96}, {21.5, 0.5, 62, 96}, {22, 1.5, 64, 100},
    // Pads with a sawtooth third oscillator under a sweeping filter and a slow pan.
    {24, 3.9, 41, 60}, {24, 3.9, 53, 56}, {24, 3.9, 57, 56}, {24, 3.9, 64, 56},
    {28, 3.9, 40, 60}, {28, 3.9, 52, 56}, {28, 3.9, 55, 56}, {28, 3.9, 62, 56},
    {32, 4, 36, 60}, {32, 4, 52, 56}, {32, 4, 55, 56}, {32, 4, 62, 56}, {32, 4, 67, 52},
};

const DemoMove kMoves[] = {
    // Aimed from the start: an LFO rests for a second after its aim changes. Both are
    // switched on at beat 24 where their triangles pass the values their targets hold
    // then, so neither jumps: LFO 1 starts a 4-beat cycle at its minimum, the cutoff
    // the lead leaves; LFO 2's cycle of about 10.67 beats is a quarter through, at the
    // centre.
    {0, "L1-Aim", choice(kAimCutoff, 55)}, {0, "L1-Per", 5.0f / 12.0f},
    {0, "L1-Min", 0.4f}, {0, "L1-Max", 0.8f},
    {0, "L2-Aim", choice(kAimPan, 55)}, {0, "L2-Per", 0.53459f},
    {0, "L2-Min", 0.3f}, {0, "L2-Max", 0.7f},

    {8, "Arp-Type", choice(kArpUp, 7)}, {8, "Arp-Time", choice(2, 10)}, // a quarter beat
    {8, "Arp-Range", choice(1, 4)}, {8, "Arp-Chord", choice(kChordM7, 38)},
    {8, "F-Att", 0.2f}, {8, "F-Dec", 0.5f}, {8, "Cutoff", 0.35f},
    {10, "Arp-Chord", choice(kChord7M, 38)}, {12, "Arp-Chord", choice(kChordAdd9, 38)},
    {12, "Arp-Type", choice(kArpUpDown, 7)}, {14, "Arp-Chord", choice(kChord7Sus4, 38)},
    {15, "Arp-Chord", choice(kChordMajor, 38)},

    {16, "Arp-Type", choice(kArpNone, 7)}, {16, "Porta", 1.0f}, {16, "Po Wet", 0.35f},
    {16, "F-Att", 0.15f}, {16, "F-Dec", 0.45f}, {16, "F-Sus", 0.45f}, {16, "F-Env", 0.9f},
    {16, "Cutoff", 0.4f}, {16, "Res", 0.5f},

    {24, "Porta", 0.0f}, {24, "Attack", 0.4f}, {24, "Release", 0.6f}, {24, "F-Env", 0.1f},
    {24, "Res", 0.55f}, {24, "O3-Shape", choice(kShapeRamp, 14)}, {24, "LFO1", 1.0f}, {24, "LFO2", 1.0f},
};

struct Level {
    float peak = 0.0f;
    double sumSquares = 0.0;
    int64_t samples = 0;
    int64_t atLimit = 0;

    void add(float sample) {
        float magnitude = std::fabs(sample);
        peak = std::max(peak, magnitude);
        sumSquares += (double)sample * sample;
        ++samples;
        atLimit += magnitude >= kOutputLimit;
    }
    double rms() const { return samples > 0 ? std::sqrt(sumSquares / (double)samples) : 0.0; }
};

// FNV-1a over the bits of every output sample: two builds that print the same value
// computed the same samples.
class SampleFingerprint {
public:
    void add(float sample) {
        uint32_t bits;
        std::memcpy(&bits, &sample, sizeof bits);
        for (int shift = 0; shift < 32; shift += 8) {
            hash_ ^= (bits >> shift) & 0xFFu;
            hash_ *= 0x100000001B3ull;
        }
    }
    uint64_t value() const { return hash_; }

private:
    uint64_t hash_ = 0xCBF29CE484222325ull;
};

double decibels(double level) { return level > 0.0 ? 20.0 * std::log10(level) : -INFINITY; }

// The instrument built beside this executable.
std::string defaultPluginPath() {
#ifdef _WIN32
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string executable(path, length < MAX_PATH ? length : 0);
    const char* name = sizeof(void*) == 8 ? "zelvik-x64.dll" : "zelvik-x86.dll";
    size_t slash = executable.find_last_of("\\/");
#else
    char path[4096] = {};
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string executable(path, length > 0 ? (size_t)length : 0);
    const char* name = "zelvik.so";
    size_t slash = executable.rfind('/');
#endif
    return slash == std::string::npos ? name : executable.substr(0, slash + 1) + name;
}

std::vector<TimedMidiEvent> demoEvents(const TempoMap& tempo) {
    auto sampleAt = [&tempo](double beat) { return tempo.sampleAtTick(std::llround(beat * kTicksPerBeat)); };
    std::vector<TimedMidiEvent> events;
    for (const DemoNote& note : kNotes) {
        events.push_back({sampleAt(note.beat), {0x90, (uint8_t)note.key, (uint8_t)note.velocity}});
        events.push_back({sampleAt(note.beat + note.length), {0x80, (uint8_t)note.key, 0}});
    }
    // Releases first where a key ends as the next begins: the new note glides from it.
    std::stable_sort(events.begin(), events.end(), [](const TimedMidiEvent& a, const TimedMidiEvent& b) {
        return a.sample != b.sample ? a.sample < b.sample : (a.bytes[0] == 0x80 && b.bytes[0] != 0x80);
    });
    return events;
}

struct ResolvedMove {
    int64_t sample;
    int index;
    float value;
};

std::vector<ResolvedMove> resolveMoves(PluginInstance& plugin, const TempoMap& tempo, const std::string& path) {
    std::vector<ResolvedMove> moves;
    for (const DemoMove& move : kMoves) {
        int index = plugin.findParameter(move.parameter);
        if (index < 0)
            throw HostError(path + ": not the Zelvik instrument (it has no parameter named \"" + move.parameter +
                            "\")");
        moves.push_back({tempo.sampleAtTick(std::llround(move.beat * kTicksPerBeat)), index, move.value});
    }
    return moves;
}

struct DemoOptions {
    std::string pluginPath;
    std::string outPath = "demo.wav";
};

void runDemo(const DemoOptions& options) {
    std::string pluginPath = options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath;
    TempoMap tempo = TempoMap::constant(kTempoBpm, kSampleRate);
    int64_t totalSamples = tempo.sampleAtTick(std::llround(kEndBeat * kTicksPerBeat));

    HostContext host(kTempoBpm, kSampleRate, kBlockSize);
    host.setTempoMap(&tempo);
    PluginInstance plugin(pluginPath, host, kSampleRate, kBlockSize);
    if (plugin.effect().numOutputs != kChannels)
        throw HostError(pluginPath + ": expected a plug-in with two outputs");
    std::vector<ResolvedMove> moves = resolveMoves(plugin, tempo, pluginPath);

    OfflineRenderer renderer(plugin, kBlockSize);
    renderer.setEvents(demoEvents(tempo), totalSamples);
    size_t nextMove = 0;
    renderer.setBlockStart([&](int64_t position, int frames) {
        while (nextMove < moves.size() && moves[nextMove].sample < position + frames) {
            plugin.setParameter(moves[nextMove].index, moves[nextMove].value);
            ++nextMove;
        }
    });

    constexpr int kSectionCount = sizeof kSections / sizeof kSections[0];
    Level total;
    SampleFingerprint fingerprint;
    Level sections[kSectionCount];
    int64_t sectionStarts[kSectionCount + 1];
    for (int s = 0; s < kSectionCount; ++s)
        sectionStarts[s] = tempo.sampleAtTick(std::llround(kSections[s].beat * kTicksPerBeat));
    sectionStarts[kSectionCount] = totalSamples;
    int64_t frame = 0;
    int section = 0;

#ifdef ZELVIK_HAVE_SNDFILE
    WavWriter output(options.outPath, kChannels, kSampleRate);
#endif
    auto sink = [&](const float* const* channels, int frames) {
#ifdef ZELVIK_HAVE_SNDFILE
        output.write(channels, frames);
#endif
        for (int i = 0; i < frames; ++i, ++frame) {
            while (frame >= sectionStarts[section + 1])
                ++section;
            for (int c = 0; c < kChannels; ++c) {
                total.add(channels[c][i]);
                fingerprint.add(channels[c][i]);
                sections[section].add(channels[c][i]);
            }
        }
    };
    auto started = std::chrono::steady_clock::now();
    renderer.run(sink, nullptr);
    double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
#ifdef ZELVIK_HAVE_SNDFILE
    output.finish();
    const std::string heading = options.outPath;
#else
    const std::string heading = "demo (no WAV file: this build has no libsndfile)";
#endif
    double seconds = (double)totalSamples / kSampleRate;
    std::printf("%s: %.2f s (%lld frames), %d channels, %d Hz, 32-bit float\n", heading.c_str(), seconds,
                (long long)totalSamples, kChannels, kSampleRate);
    std::printf("  %-12s %7s %7s %7s %7s\n", "section", "from s", "to s", "peak", "RMS");
    for (int s = 0; s < kSectionCount; ++s)
        std::printf("  %-12s %7.2f %7.2f %7.3f %7.3f\n", kSections[s].name, (double)sectionStarts[s] / kSampleRate,
                    (double)sectionStarts[s + 1] / kSampleRate, sections[s].peak, sections[s].rms());
    std::printf("peak %.3f (%.1f dBFS), RMS %.3f (%.1f dBFS), %lld samples at the %.2f limit\n", total.peak,
                decibels(total.peak), total.rms(), decibels(total.rms()), (long long)total.atLimit, kOutputLimit);
    std::printf("samples fingerprint %016llx\n", (unsigned long long)fingerprint.value());
    std::printf("rendered in %.3f s: %.1fx realtime\n", wallSeconds,
                wallSeconds > 0.0 ? seconds / wallSeconds : INFINITY);
}

} // namespace

void registerDemoCommand(CLI::App& app) {
    auto options = std::make_shared<DemoOptions>();
    CLI::App* command = app.add_subcommand("demo", "render the built-in demonstration phrase into a WAV file");
    command->add_option("--plugin", options->pluginPath,
                        "the instrument's library (default: the one beside zelvik-render)");
    command->add_option("--out", options->outPath, "output WAV file, 32-bit float stereo (default demo.wav)");
    command->callback([options] { runDemo(*options); });
}
