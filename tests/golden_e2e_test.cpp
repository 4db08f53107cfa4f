// End-to-end sound checks through the built instrument: repeatable renders from the command
// line, the demo's levels, note timing through the binary interface, pitch and arpeggio steps.
#include "tests/golden_support.h"
#include "tests/host_test_support.h"
#include "plugin/output_stage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

using golden::choice;
using golden::Phrase;
using golden::render;
using golden::risingCrossingFrequency;
using hosttest::CommandResult;
using hosttest::readBytes;
using hosttest::readWav;
using hosttest::scratch;
using hosttest::zelvikRender;

constexpr double kPitchToleranceHz = 0.5;
constexpr double kStepPitchTolerance = 0.005; // relative, over a 3000-sample step

// Type 0, 96 ticks a quarter: a C major chord and a passing note, some overlapping.
std::vector<uint8_t> chordSong() {
    using hosttest::chunk;
    return hosttest::joined({hosttest::midiHeader(0, 1, 96),
                             chunk("MTrk", {0x00, 0x90, 60, 100, 0x00, 0x90, 64, 90, 0x30, 0x90, 67, 90, 0x60, 0x80, 60,
                                            0, 0x00, 0x90, 72, 110, 0x60, 0x80, 64, 0, 0x00, 0x80, 67, 0, 0x30, 0x80,
                                            72, 0, 0x00, 0xFF, 0x2F, 0x00})});
}

TEST(GoldenEndToEnd, SameMidiRendersTheSameBytes) {
    std::string midi = scratch("song.mid");
    hosttest::writeBytes(midi, chordSong());
    std::vector<std::vector<uint8_t>> renders;
    for (const char* block : {"512", "512", "100"}) {
        std::string out = scratch(std::string("out-") + std::to_string(renders.size()) + ".wav");
        CommandResult result = zelvikRender({"render", ZELVIK_PLUGIN_PATH, "--midi", midi, "--out", out, "--block",
                                             block, "--tail", "0.5"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        renders.push_back(readBytes(out));
    }
    ASSERT_GT(renders[0].size(), 44100u * 2 * 4) << "more than a second of stereo floats";
    EXPECT_TRUE(renders[0] == renders[1]) << "rendered twice";
    EXPECT_TRUE(renders[0] == renders[2]) << "with other block sizes";
}

TEST(GoldenEndToEnd, DemoIsRepeatableAndReportsItsLevels) {
    std::string first = scratch("demo1.wav"), second = scratch("demo2.wav");
    CommandResult result = zelvikRender({"demo", "--plugin", ZELVIK_PLUGIN_PATH, "--out", first});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const char* needle : {"19.75 s", "peak ", "RMS ", "x realtime", "at the 0.99 limit", "fingerprint "})
        EXPECT_NE(result.out.find(needle), std::string::npos) << needle << " in:\n" << result.out;
    // Without --plugin it finds the instrument beside the executable, built in the same folder.
    CommandResult again = zelvikRender({"demo", "--out", second});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_TRUE(readBytes(first) == readBytes(second));
}

// Ear-proxy for the demo: 39.5 beats at 120 BPM, nothing pinned at the output limit for
// long, sound wherever notes are held (the last ones end at 18 s), the tail let out fully.
TEST(GoldenEndToEnd, DemoHasSoundWhereNotesPlayAndNeverPinsTheLimit) {
    constexpr int64_t kWindow = 4410;              // 0.1 s
    constexpr int64_t kLastNotesEnd = 18 * 44100;  // beat 36
    constexpr int64_t kLongestAtLimit = 441;       // 10 ms of clamped samples in a row
    constexpr double kLeastWindowRms = 0.02;       // about -34 dBFS
    constexpr double kSilentTailRms = 1e-4;
    std::string out = scratch("demo.wav");
    ASSERT_EQ(zelvikRender({"demo", "--plugin", ZELVIK_PLUGIN_PATH, "--out", out}).exitCode, 0);
    hosttest::Wav wav = readWav(out);
    ASSERT_EQ(wav.channels, 2);
    ASSERT_EQ(wav.sampleRate, 44100);
    ASSERT_EQ(wav.frames, (int64_t)(39.5 * 22050));

    int64_t run = 0, longestRun = 0;
    for (float sample : wav.samples) {
        run = std::fabs(sample) >= kOutputLimit ? run + 1 : 0;
        longestRun = std::max(longestRun, run);
    }
    EXPECT_LT(longestRun, kLongestAtLimit);

    auto windowRms = [&wav](int64_t start) {
        double sum = 0.0;
        for (int64_t i = start; i < start + kWindow; ++i)
            for (int c = 0; c < 2; ++c)
                sum += (double)wav.at(i, c) * wav.at(i, c);
        return std::sqrt(sum / (2.0 * kWindow));
    };
    for (int64_t start = kWindow; start + kWindow <= kLastNotesEnd; start += kWindow)
        EXPECT_GT(windowRms(start), kLeastWindowRms) << "at " << start / 44100.0 << " s";
    EXPECT_LT(windowRms(wav.frames - kWindow), kSilentTailRms) << "the release tail is rendered to its end";
}

// One key pressed at deltaFrames d of the second block, through the plug-in's own entry
// points: every sample before d is silent, d and every sample after it sound. A square
// wave with no attack is non-zero from its first sample.
TEST(GoldenEndToEnd, NoteSoundsFromItsDeltaFrame) {
    constexpr int kBlock = 512;
    for (int delta : {0, 1, 255, 511}) {
        SCOPED_TRACE("deltaFrames " + std::to_string(delta));
        HostContext host(120.0, 44100, kBlock);
        PluginInstance plugin(ZELVIK_PLUGIN_PATH, host, 44100, kBlock);
        for (const golden::Setting& setting : golden::plainWave(choice(5, 14))) // "Square"
            plugin.setParameter(plugin.findParameter(setting.name), setting.value);
        plugin.dispatch(effMainsChanged, 0, 1);

        std::vector<float> left(kBlock), right(kBlock), input(kBlock, 0.0f);
        float* outputs[2] = {left.data(), right.data()};
        float* inputs[1] = {input.data()};
        AEffect& effect = plugin.effect();
        effect.processReplacing(&effect, inputs, outputs, kBlock);
        for (int i = 0; i < kBlock; ++i)
            ASSERT_EQ(left[i], 0.0f) << "first block, sample " << i;

        VstMidiEvent note = {};
        note.type = kVstMidiType;
        note.byteSize = sizeof note;
        note.deltaFrames = delta;
        note.midiData[0] = (char)0x90;
        note.midiData[1] = 60;
        note.midiData[2] = 100;
        VstEvents events = {};
        events.numEvents = 1;
        events.events[0] = reinterpret_cast<VstEvent*>(&note);
        plugin.dispatch(effProcessEvents, 0, 0, &events);
        effect.processReplacing(&effect, inputs, outputs, kBlock);
        for (int i = 0; i < kBlock; ++i) {
            if (i < delta)
                ASSERT_EQ(left[i], 0.0f) << "before the note, sample " << i;
            else
                ASSERT_NE(left[i], 0.0f) << "from the note on, sample " << i;
            ASSERT_EQ(left[i], right[i]) << "centred";
        }
        plugin.dispatch(effMainsChanged, 0, 0);
    }
}

struct PitchCase {
    int key;
    float oscillatorPitch; // "O1-Pitch"
    double expectedHz;     // equal temperament from A4 = 440 Hz
};

// A plain sine: the key's equal-tempered frequency, and oscillator 1's pitch offset in
// whole semitones on top of it.
TEST(GoldenEndToEnd, SineSoundsAtTheKeysFrequency) {
    const PitchCase cases[] = {
        {69, 0.5f, 440.0},
        {57, 0.5f, 220.0},
        {60, 0.5f, 440.0 * std::pow(2.0, -9 / 12.0)},
        {69, 0.5f + 12.5f / 48.0f, 880.0}, // +12 semitones
        {69, 0.5f - 7.5f / 48.0f, 440.0 * std::pow(2.0, -7 / 12.0)},
    };
    for (const PitchCase& c : cases) {
        SCOPED_TRACE("key " + std::to_string(c.key) + ", O1-Pitch " + std::to_string(c.oscillatorPitch));
        Phrase phrase{"sine", 44100, golden::plainWave(0.0f), {{0, 44100, c.key, 100}}};
        phrase.settings.push_back({"O1-Pitch", c.oscillatorPitch});
        std::vector<float> left = render(phrase).left;
        EXPECT_NEAR(risingCrossingFrequency(left, 4410, 44100, 44100.0), c.expectedHz, kPitchToleranceHz);
    }
}

// "Up" over the chord "none" (octaves), range 4, an eighth of a beat a step: at 120 BPM and
// 48 kHz a step is exactly 3000 samples, and a held key climbs four octaves and starts over.
// Over sixty steps a step even one sample short would slide the last ones out of their
// windows.
TEST(GoldenEndToEnd, ArpeggioUpClimbsAnOctaveEvery3000Samples) {
    constexpr int kStep = 3000;
    constexpr int kSteps = 60;
    constexpr int kMargin = 20;
    constexpr double kKeyHz = 110.0; // A2, key 45
    Phrase phrase{"arp", kStep * kSteps, golden::plainWave(0.0f), {{0, kStep * kSteps, 45, 100}}, 48000, 120.0};
    phrase.settings.insert(phrase.settings.end(), {{"Arp-Type", choice(1, 7)},
                                                   {"Arp-Chord", choice(0, 38)},
                                                   {"Arp-Range", 1.0f},
                                                   {"Arp-Time", 0.0f}});
    std::vector<float> left = render(phrase).left;
    for (int step = 0; step < kSteps; ++step) {
        double expected = kKeyHz * std::pow(2.0, step % 5);
        double measured =
            risingCrossingFrequency(left, (int64_t)step * kStep + kMargin, (int64_t)(step + 1) * kStep - kMargin, 48000.0);
        EXPECT_NEAR(measured, expected, expected * kStepPitchTolerance) << "step " << step;
    }
}

// The levels the demo reports: its section table, its peak and RMS line and the
// fingerprint of its samples.
std::string reportedLevels(const std::string& output) {
    std::string levels;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        std::string line = output.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (line.rfind("  ", 0) == 0 || line.rfind("peak ", 0) == 0 || line.rfind("samples ", 0) == 0)
            levels += line + "\n";
        start = end == std::string::npos ? output.size() : end + 1;
    }
    return levels;
}

// The same phrase through the Windows builds of the host and the instrument, under wine:
// no noise shapes play in it, so every sample must come out as on Linux.
TEST(GoldenEndToEnd, WindowsBuildReportsTheSameDemoLevels) {
    std::string win64 = ZELVIK_WIN64_DIR;
    std::string exe = win64 + "/zelvik-render.exe", dll = win64 + "/zelvik-x64.dll";
    const char* wine = "/usr/lib/wine/wine64";
    if (win64.empty() || !hosttest::exists(exe) || !hosttest::exists(dll) || !hosttest::exists(wine))
        GTEST_SKIP() << "needs " << exe << ", " << dll << " and " << wine;
    CommandResult linux = zelvikRender({"demo", "--plugin", ZELVIK_PLUGIN_PATH, "--out", scratch("demo.wav")});
    ASSERT_EQ(linux.exitCode, 0) << linux.err;
    std::string environment = "env WINEPREFIX=" + hosttest::shellQuoted(GOLDEN_WINE_PREFIX) +
                              " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='";
    CommandResult windows = hosttest::run({wine, exe, "demo", "--plugin", dll}, environment);
    ASSERT_EQ(windows.exitCode, 0) << windows.err;
    ASSERT_NE(reportedLevels(linux.out).find("samples fingerprint "), std::string::npos) << linux.out;
    EXPECT_EQ(reportedLevels(windows.out), reportedLevels(linux.out));
}

} // namespace
