// Shared helpers of the golden and end-to-end sound tests: short phrases played through the
// built instrument with the host's loader, and measurements of what comes out.
#pragma once

#include "host/host_context.h"
#include "host/offline_renderer.h"
#include "host/plugin_instance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace golden {

struct Note {
    int64_t on;  // sample of the note-on
    int64_t off; // sample of the note-off
    int key;
    int velocity;
};

// A parameter by its name, as a host shows it, and the value it is set to before playing.
struct Setting {
    const char* name;
    float value;
};

struct Phrase {
    const char* name;
    int64_t frames;
    std::vector<Setting> settings;
    std::vector<Note> notes;
    int sampleRate = 44100;
    double bpm = 120.0;
};

struct Stereo {
    std::vector<float> left;
    std::vector<float> right;
    std::vector<float> monoSum() const {
        std::vector<float> sum(left.size());
        for (size_t i = 0; i < sum.size(); ++i)
            sum[i] = left[i] + right[i];
        return sum;
    }
};

// The middle of entry `index` of a choice of `count` (arpeggio types, chords, LFO aims).
constexpr float choice(int index, int count) { return (index + 0.5f) / (float)count; }

// Loads the instrument, applies the settings (after the sample rate is known, so that
// tempo-derived lengths use it) and plays the notes, blockSize samples at a time.
inline Stereo render(const Phrase& phrase, int blockSize = 512) {
    HostContext host(phrase.bpm, phrase.sampleRate, blockSize);
    PluginInstance plugin(ZELVIK_PLUGIN_PATH, host, phrase.sampleRate, blockSize);
    for (const Setting& setting : phrase.settings) {
        int index = plugin.findParameter(setting.name);
        EXPECT_GE(index, 0) << "no parameter named " << setting.name;
        if (index >= 0)
            plugin.setParameter(index, setting.value);
    }
    std::vector<TimedMidiEvent> events;
    for (const Note& note : phrase.notes) {
        events.push_back({note.on, {0x90, (uint8_t)note.key, (uint8_t)note.velocity}});
        events.push_back({note.off, {0x80, (uint8_t)note.key, 0}});
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const TimedMidiEvent& a, const TimedMidiEvent& b) { return a.sample < b.sample; });

    Stereo out;
    OfflineRenderer renderer(plugin, blockSize);
    renderer.setEvents(events, phrase.frames);
    renderer.run(
        [&out](const float* const* channels, int frames) {
            out.left.insert(out.left.end(), channels[0], channels[0] + frames);
            out.right.insert(out.right.end(), channels[1], channels[1] + frames);
        },
        nullptr);
    return out;
}

// Settings that leave oscillator 1 alone at full level: the other two silent and adding, no
// filter, glide or arpeggio, no attack (a note's first sample sounds), full sustain, and
// the compressor at its straight-line setting.
inline std::vector<Setting> plainWave(float shape) {
    return {{"O1-Shape", shape}, {"O1-Vol", 1.0f},    {"Osc2", 0.0f},   {"O2-Vol", 0.0f},  {"O3-Vol", 0.0f},
            {"LPFilter", 0.0f},  {"Porta", 0.0f},     {"Arp-Type", 0.0f}, {"Attack", 0.0f}, {"Sustain", 1.0f},
            {"Comp", 0.25f}};
}

// Frequency from the rising zero crossings in [begin, end), each placed between its two
// samples by linear interpolation. 0 when fewer than two crossings are found.
inline double risingCrossingFrequency(const std::vector<float>& samples, int64_t begin, int64_t end,
                                      double sampleRate) {
    double first = -1.0, last = -1.0;
    int crossings = 0;
    for (int64_t i = std::max<int64_t>(begin, 1); i < end && i < (int64_t)samples.size(); ++i) {
        float before = samples[(size_t)i - 1], after = samples[(size_t)i];
        if (before < 0.0f && after >= 0.0f) {
            double at = (double)(i - 1) + before / (double)(before - after);
            if (crossings == 0)
                first = at;
            last = at;
            ++crossings;
        }
    }
    return crossings < 2 ? 0.0 : (crossings - 1) * sampleRate / (last - first);
}

} // namespace golden
