// zelvik-arch-check PLUGIN OUTDIR: plays a fixed set of scenarios through a VST 2 plug-in with
// the host's loader and writes, for each, the raw output samples (OUTDIR/NAME.f32, left and
// right blocks of 32-bit floats) and the plug-in's answers (OUTDIR/answers.txt). Two builds
// of the same source for different processors must write the same files; the tests compare
// the 32-bit build (run under qemu-i386) with the 64-bit one.
#include "host/host_context.h"
#include "host/host_error.h"
#include "host/offline_renderer.h"
#include "host/plugin_instance.h"

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 512;

struct Note {
    int64_t on, off;
    int key, velocity;
};

struct Setting {
    const char* name;
    float value;
};

struct Scenario {
    std::string name;
    int64_t frames;
    std::vector<Setting> settings;  // by name
    std::vector<float> patch;       // all parameters by index (used when not empty)
    std::vector<Note> notes;
    double bpm = 120.0;
};

constexpr float choice(int index, int count) { return (index + 0.5f) / float(count); }

// The phrases of the golden renders.
std::vector<Scenario> goldenScenarios() {
    return {
        {"golden-chord", 110250, {}, {}, {{441, 66150, 60, 100}, {441, 66150, 64, 90}, {441, 66150, 67, 90}, {441, 66150, 71, 80}}},
        {"golden-glide", 110250,
         {{"Porta", 1.0f}, {"Po Wet", 0.3f}, {"F-Att", 0.1f}, {"F-Dec", 0.4f}, {"F-Sus", 0.3f}, {"F-Env", 0.9f},
          {"Cutoff", 0.3f}, {"Res", 0.6f}},
         {},
         {{441, 22050, 57, 100}, {22050, 44100, 64, 100}, {44100, 66150, 60, 100}, {66150, 99225, 69, 100}}},
        {"golden-arpeggio", 110250,
         {{"Arp-Type", choice(3, 7)}, {"Arp-Chord", choice(11, 38)}, {"Arp-Range", choice(1, 4)},
          {"Arp-Time", choice(2, 10)}, {"LFO1", 1.0f}, {"L1-Aim", choice(45, 55)}, {"L1-Per", 0.25f},
          {"L1-Min", 0.2f}, {"L1-Max", 0.8f}, {"Cutoff", 0.2f}, {"F-Env", 0.5f}},
         {},
         {{441, 99225, 57, 90}}},
    };
}

// Every wave shape alone, then whole random patches (every parameter, LFOs, event modulators
// and arpeggios included) with a few overlapping notes: the engine's paths in bulk.
std::vector<Scenario> engineScenarios() {
    std::vector<Scenario> scenarios;
    for (int shape = 0; shape < 14; ++shape) {
        scenarios.push_back({"shape-" + std::to_string(shape), 22050,
                             {{"O1-Shape", choice(shape, 14)}, {"O2-Shape", choice((shape + 5) % 14, 14)},
                              {"O3-Vol", 0.5f}, {"O3-Shape", choice((shape + 9) % 14, 14)}},
                             {},
                             {{100, 20000, 48 + shape, 100}}});
    }
    uint32_t state = 20261208u;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return float(state >> 8) / 16777216.0f;
    };
    for (int i = 0; i < 20; ++i) {
        Scenario s{"patch-" + std::to_string(i), 44100, {}, {}, {}, 90.0 + 10.0 * i};
        for (int p = 0; p < 63; ++p) s.patch.push_back(next());
        // Whatever else is drawn, the first oscillator sounds at once through an open filter.
        s.patch[0] = 0.9f;   // Volume
        s.patch[4] = 1.0f;   // O1-Vol
        s.patch[18] = 0.05f; // Attack
        s.patch[20] = 0.8f;  // Sustain
        s.patch[52] = 0.0f;  // LPFilter
        s.patch[2] = 0.5f;   // Pitch
        s.patch[62] = 0.5f;  // Comp
        for (int osc : {3, 8, 13}) s.patch[size_t(osc)] = 0.0f;  // Osc1 .. Osc3: add, not multiply
        for (int n = 0; n < 4; ++n) {
            const int64_t on = int64_t(next() * 30000.0f);
            s.notes.push_back({on, on + 2000 + int64_t(next() * 20000.0f), 36 + int(next() * 48.0f), 40 + int(next() * 87.0f)});
        }
        scenarios.push_back(s);
    }
    return scenarios;
}

void render(const std::string& pluginPath, const Scenario& scenario, const std::string& outDir) {
    HostContext host(scenario.bpm, kRate, kBlock);
    PluginInstance plugin(pluginPath, host, kRate, kBlock);
    for (size_t i = 0; i < scenario.patch.size() && int(i) < plugin.numParams(); ++i)
        plugin.setParameter(int(i), scenario.patch[i]);
    for (const Setting& setting : scenario.settings) {
        const int index = plugin.findParameter(setting.name);
        if (index < 0) throw HostError(std::string("no parameter named ") + setting.name);
        plugin.setParameter(index, setting.value);
    }
    std::vector<TimedMidiEvent> events;
    for (const Note& note : scenario.notes) {
        events.push_back({note.on, {0x90, uint8_t(note.key), uint8_t(note.velocity)}});
        events.push_back({note.off, {0x80, uint8_t(note.key), 0}});
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const TimedMidiEvent& a, const TimedMidiEvent& b) { return a.sample < b.sample; });
    std::vector<float> left, right;
    OfflineRenderer renderer(plugin, kBlock);
    renderer.setEvents(events, scenario.frames);
    renderer.run(
        [&](const float* const* channels, int frames) {
            left.insert(left.end(), channels[0], channels[0] + frames);
            right.insert(right.end(), channels[1], channels[1] + frames);
        },
        nullptr);
    FILE* file = std::fopen((outDir + "/" + scenario.name + ".f32").c_str(), "wb");
    if (!file) throw HostError("cannot write into " + outDir);
    std::fwrite(left.data(), sizeof(float), left.size(), file);
    std::fwrite(right.data(), sizeof(float), right.size(), file);
    std::fclose(file);
}

// Names, display texts and labels of every parameter at several values, and the identity.
void writeAnswers(const std::string& pluginPath, const std::string& outDir) {
    HostContext host(120.0, kRate, kBlock);
    PluginInstance plugin(pluginPath, host, kRate, kBlock);
    FILE* file = std::fopen((outDir + "/answers.txt").c_str(), "wb");
    if (!file) throw HostError("cannot write into " + outDir);
    std::fprintf(file, "effect %s\nvendor %s\nproduct %s\n", plugin.text(effGetEffectName).c_str(),
                 plugin.text(effGetVendorString).c_str(), plugin.text(effGetProductString).c_str());
    const float values[] = {0.0f, 0.1f, 0.25f, 1.0f / 3.0f, 0.5f, 0.77f, 0.999f, 1.0f};
    for (int i = 0; i < plugin.numParams(); ++i) {
        for (float value : values) {
            plugin.setParameter(i, value);
            const float back = plugin.parameter(i);
            uint32_t bits;
            std::memcpy(&bits, &back, sizeof bits);
            std::fprintf(file, "%d %s %08x [%s] [%s]\n", i, plugin.parameterName(i).c_str(), unsigned(bits),
                         plugin.parameterDisplay(i).c_str(), plugin.parameterLabel(i).c_str());
        }
    }
    std::fclose(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zelvik-arch-check PLUGIN OUTDIR\n");
        return 2;
    }
    try {
        writeAnswers(argv[1], argv[2]);
        std::vector<Scenario> scenarios = goldenScenarios();
        for (const Scenario& s : engineScenarios()) scenarios.push_back(s);
        for (const Scenario& scenario : scenarios) render(argv[1], scenario, argv[2]);
        std::printf("%zu scenarios\n", scenarios.size());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zelvik-arch-check: %s\n", error.what());
        return 2;
    }
    return 0;
}
