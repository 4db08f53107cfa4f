// zelvik-render render: event timing, tempo, inputs, presets and failures, measured in the WAV.
#include "host/fxp_program.h"
#include "tests/host_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using hosttest::chunk;
using hosttest::CommandResult;
using hosttest::joined;
using hosttest::midiHeader;
using hosttest::readWav;
using hosttest::scratch;
using hosttest::Wav;
using hosttest::zelvikRender;

namespace {

constexpr double kRate = 44100.0;
constexpr float kSampleTolerance = 1e-6f;

// Type 1, 96 ticks per quarter; 120 BPM, from tick 192 on 240 BPM. Notes: 60 on at 0 and
// off at 95, 62 on at 1 and off at 200, 64 on at 192 and off at 250.
std::vector<uint8_t> tempoChangeSong() {
    return joined({midiHeader(1, 2, 96),
                   chunk("MTrk", {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x81, 0x40, 0xFF, 0x51, 0x03, 0x03, 0xD0,
                                  0x90, 0x00, 0xFF, 0x2F, 0x00}),
                   chunk("MTrk", {0x00, 0x90, 60, 100, 0x01, 62, 100, 0x5E, 0x80, 60, 64, 0x61, 0x90, 64, 100, 0x08,
                                  0x80, 62, 64, 0x32, 64, 0, 0x00, 0xFF, 0x2F, 0x00})});
}

// Seconds of a tick in that song with its tempo map, worked out by hand.
double songSeconds(int tick) { return tick <= 192 ? tick * 0.5 / 96 : 1.0 + (tick - 192) * 0.25 / 96; }

std::map<int64_t, float> markers(const Wav& wav) {
    std::map<int64_t, float> found;
    for (int64_t i = 0; i < wav.frames; ++i)
        if (wav.at(i, 1) != 0.0f)
            found[i] = wav.at(i, 1);
    return found;
}

std::string writeSong(const std::vector<uint8_t>& bytes, const char* name = "song.mid") {
    std::string path = scratch(name);
    hosttest::writeBytes(path, bytes);
    return path;
}

TEST(HostRender, EventsArriveOnTheirSamplesWithTheFileTempo) {
    std::string midi = writeSong(tempoChangeSong());
    std::string out = scratch("out.wav");
    CommandResult result = zelvikRender({"render", HOST_PROBE_PLUGIN, "--midi", midi, "--out", out, "--block", "64",
                                         "--tempo", "file", "--tail", "0.1"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(result.err.empty()) << "no progress bar when stderr is a file: " << result.err;
    Wav wav = readWav(out);
    ASSERT_EQ(wav.channels, 4);
    EXPECT_EQ(wav.sampleRate, 44100);
    EXPECT_EQ(wav.frames, (int64_t)(songSeconds(250) * kRate) + 4410);

    std::map<int64_t, float> expected;
    struct Note {
        int tick;
        float marker;
    } notes[] = {{0, 60}, {1, 62}, {95, -60}, {192, 64}, {200, -62}, {250, -64}};
    for (const Note& note : notes)
        expected[(int64_t)(songSeconds(note.tick) * kRate)] += note.marker;
    EXPECT_EQ(markers(wav), expected);

    // The tempo and position the plug-in was told at block starts (64-sample blocks), after
    // it was set up and resumed in the right order.
    for (int64_t i = 0; i < wav.frames; ++i)
        ASSERT_GE(wav.at(i, 2), 120.0f) << "frame " << i;
    EXPECT_FLOAT_EQ(wav.at(0, 2), 120.0f);
    EXPECT_FLOAT_EQ(wav.at(44096, 2), 120.0f);
    EXPECT_FLOAT_EQ(wav.at(44160, 2), 240.0f);
    constexpr float kPpqTolerance = 1e-4f;
    EXPECT_NEAR(wav.at(22080, 3), 22080 / kRate * 2.0, kPpqTolerance);
    EXPECT_NEAR(wav.at(44160, 3), 2.0 + 60 / kRate * 4.0, kPpqTolerance);
}

TEST(HostRender, ConstantTempoTimesTheNotesToo) {
    std::string midi = writeSong(tempoChangeSong());
    std::string out = scratch("out.wav");
    CommandResult result = zelvikRender({"render", HOST_PROBE_PLUGIN, "--midi", midi, "--out", out, "--tempo", "60",
                                         "--tail", "0"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    Wav wav = readWav(out);
    EXPECT_EQ(wav.frames, (int64_t)(250 / 96.0 * kRate));
    std::map<int64_t, float> found = markers(wav);
    EXPECT_EQ(found.size(), 5u); // the last note-off falls on the end and is not rendered
    EXPECT_FLOAT_EQ(found[(int64_t)(1 / 96.0 * kRate)], 62.0f);
    EXPECT_FLOAT_EQ(found[(int64_t)(2 * kRate)], 64.0f);
    for (int64_t i = 0; i < wav.frames; i += 1000)
        ASSERT_FLOAT_EQ(wav.at(i, 2), 60.0f) << "frame " << i;
}

TEST(HostRender, ToneAndSettingsReachTheFirstInput) {
    std::string midi = writeSong(tempoChangeSong());
    std::string out = scratch("out.wav");
    CommandResult result = zelvikRender({"render", HOST_PROBE_PLUGIN, "--midi", midi, "--out", out, "--tone", "1000",
                                         "--set", "Gain=0.5", "--block", "100"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    Wav wav = readWav(out);
    ASSERT_GT(wav.frames, 1000);
    for (int64_t i = 0; i < wav.frames; i += 7)
        ASSERT_NEAR(wav.at(i, 0), 0.25 * std::sin(2 * M_PI * 1000 * i / kRate), kSampleTolerance) << "frame " << i;
}

TEST(HostRender, InputFileReachesTheFirstInput) {
    std::string input = scratch("in.wav");
    SF_INFO info = {};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(input.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    std::vector<float> frames;
    for (int i = 0; i < 3000; ++i) {
        frames.push_back((float)(i % 100) / 100.0f); // first channel: a ramp
        frames.push_back(-1.0f);                     // second channel: ignored
    }
    sf_writef_float(file, frames.data(), 3000);
    sf_close(file);

    std::string midi = writeSong(tempoChangeSong());
    std::string out = scratch("out.wav");
    CommandResult result =
        zelvikRender({"render", HOST_PROBE_PLUGIN, "--midi", midi, "--out", out, "--input", input, "--set", "0=0.25"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    Wav wav = readWav(out);
    ASSERT_GT(wav.frames, 3000);
    for (int64_t i = 0; i < wav.frames; ++i) {
        float expected = i < 3000 ? 0.25f * (float)(i % 100) / 100.0f : 0.0f;
        ASSERT_NEAR(wav.at(i, 0), expected, kSampleTolerance) << "frame " << i;
    }
}

TEST(HostRender, ProgramFileRoundTrip) {
    std::string midi = writeSong(tempoChangeSong());
    std::string first = scratch("first.fxp");
    std::string second = scratch("second.fxp");
    std::string outA = scratch("a.wav");
    std::string outB = scratch("b.wav");
    CommandResult saved = zelvikRender({"render", HOST_PROBE_PLUGIN, "--midi", midi, "--out", outA, "--tone", "440",
                                        "--set", "Gain=0.25", "--set", "Level=0.125", "--save-fxp", first});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    FxpProgram program = FxpProgram::load(first);
    EXPECT_EQ(program.pluginId, 0x48507262); // 'HPrb'
    EXPECT_EQ(program.pluginVersion, 3);
    EXPECT_EQ(program.name, "Probe Init");
    EXPECT_EQ(program.values, (std::vector<float>{0.25f, 0.25f, 0.125f}));

    CommandResult loaded = zelvikRender({"render", HOST_PROBE_PLUGIN, "--midi", midi, "--out", outB, "--tone", "440",
                                         "--load-fxp", first, "--save-fxp", second});
    ASSERT_EQ(loaded.exitCode, 0) << loaded.err;
    EXPECT_EQ(hosttest::readBytes(second), hosttest::readBytes(first));
    EXPECT_EQ(hosttest::readBytes(outB), hosttest::readBytes(outA)) << "same preset, same render";

    // --set after --load-fxp wins.
    CommandResult overridden = zelvikRender({"render", HOST_PROBE_PLUGIN, "--midi", midi, "--out", outB,
                                             "--load-fxp", first, "--set", "Gain=1", "--save-fxp", second});
    ASSERT_EQ(overridden.exitCode, 0) << overridden.err;
    EXPECT_EQ(FxpProgram::load(second).values, (std::vector<float>{1.0f, 0.25f, 0.125f}));
}

// Kars, a real synthesizer: silence before the first note, sound from its sample on.
TEST(HostRender, KarsSoundsAtTheNotesAndNotBefore) {
    // 120 BPM, 96 ticks per quarter: A4 at 0.5 s for 0.25 s, again at 1.5 s for 0.25 s.
    auto song = joined({midiHeader(0, 1, 96), chunk("MTrk", {0x60, 0x90, 69, 100, 0x30, 69, 0, 0x81, 0x10, 69, 100,
                                                             0x30, 69, 0, 0x00, 0xFF, 0x2F, 0x00})});
    std::string midi = writeSong(song);
    std::string out = scratch("kars.wav");
    CommandResult result = zelvikRender({"render", HOST_KARS_PLUGIN, "--midi", midi, "--out", out, "--tail", "0.5"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    Wav wav = readWav(out);
    ASSERT_GE(wav.channels, 1);
    ASSERT_EQ(wav.frames, (int64_t)(2.25 * kRate));
    auto rms = [&](double from, double to) {
        double sum = 0;
        int64_t a = (int64_t)(from * kRate), b = (int64_t)(to * kRate);
        for (int64_t i = a; i < b; ++i)
            sum += (double)wav.at(i, 0) * wav.at(i, 0);
        return std::sqrt(sum / (double)(b - a));
    };
    int64_t firstSound = -1;
    for (int64_t i = 0; i < wav.frames && firstSound < 0; ++i)
        if (wav.at(i, 0) != 0.0f)
            firstSound = i;
    EXPECT_GE(firstSound, 22050) << "sound before the first note";
    constexpr int64_t kOnsetSamples = 64;
    EXPECT_LT(firstSound, 22050 + kOnsetSamples) << "the note started late";
    constexpr double kAudible = 0.01, kQuiet = 1e-4;
    EXPECT_GT(rms(0.5, 0.75), kAudible);
    EXPECT_LT(rms(1.0, 1.5), kQuiet) << "released between the notes";
    EXPECT_GT(rms(1.5, 1.75), kAudible);
    EXPECT_LT(rms(2.0, 2.25), kQuiet);

    std::string again = scratch("kars-again.wav");
    ASSERT_EQ(zelvikRender({"render", HOST_KARS_PLUGIN, "--midi", midi, "--out", again, "--tail", "0.5"}).exitCode, 0);
    EXPECT_EQ(hosttest::readBytes(again), hosttest::readBytes(out)) << "same inputs, same bytes";
}

TEST(HostRender, BadInputLeavesNoOutputFile) {
    std::string good = writeSong(tempoChangeSong(), "good.mid");
    auto cutBytes = tempoChangeSong();
    cutBytes.resize(cutBytes.size() - 5);
    std::string cut = writeSong(cutBytes, "cut.mid");
    auto corruptBytes = tempoChangeSong();
    corruptBytes[0] = 'X';
    std::string corrupt = writeSong(corruptBytes, "corrupt.mid");
    FxpProgram foreign;
    foreign.pluginId = 0x58787878; // 'Xxxx'
    foreign.values = {0.5f, 0.5f, 0.5f};
    std::string foreignFxp = scratch("foreign.fxp");
    foreign.save(foreignFxp);
    std::string out = scratch("out.wav");
    const std::string probe = HOST_PROBE_PLUGIN;

    struct Case {
        std::vector<std::string> args;
        const char* reason;
    } cases[] = {
        {{probe, "--midi", cut, "--out", out}, "truncated MIDI file"},
        {{probe, "--midi", corrupt, "--out", out}, "not a Standard MIDI File"},
        {{probe, "--midi", good + ".missing", "--out", out}, "cannot open"},
        {{probe, "--midi", good, "--out", out, "--set", "Cutoff=0.5"}, "no parameter named \"Cutoff\""},
        {{probe, "--midi", good, "--out", out, "--set", "Gain=1.5"}, "from 0 to 1"},
        {{probe, "--midi", good, "--out", out, "--set", "Gain=-0.1"}, "from 0 to 1"},
        {{probe, "--midi", good, "--out", out, "--set", "Gain=loud"}, "from 0 to 1"},
        {{probe, "--midi", good, "--out", out, "--set", "7=0.5"}, "no parameter 7"},
        {{probe, "--midi", good, "--out", out, "--set", "Gain"}, "NAME=VALUE"},
        {{probe, "--midi", good, "--out", "/nonexistent-folder/out.wav"}, "cannot write"},
        {{probe, "--midi", good, "--out", out, "--save-fxp", "/nonexistent-folder/p.fxp"}, "cannot write"},
        {{probe, "--midi", good, "--out", out, "--load-fxp", foreignFxp}, "'Xxxx'"},
        {{HOST_KARS_PLUGIN, "--midi", good, "--out", out, "--load-fxp", foreignFxp}, "not for"},
        {{HOST_KARS_PLUGIN, "--midi", good, "--out", out, "--tone", "440"}, "no audio input"},
        {{probe, "--midi", good, "--out", out, "--rate", "0"}, "--rate"},
        {{probe, "--midi", good, "--out", out, "--block", "0"}, "--block"},
        {{probe, "--midi", good, "--out", out, "--tempo", "0"}, "--tempo"},
        {{probe, "--midi", good, "--out", out, "--tail", "-1"}, "--tail"},
        {{probe, "--midi", good, "--out", out, "--input", good + ".missing"}, "cannot read audio file"},
        {{probe, "--midi", good}, "--out"},
        {{HOST_NULL_PLUGIN, "--midi", good, "--out", out}, "returned no effect"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "render");
        CommandResult result = zelvikRender(args);
        std::string shown = args.back();
        EXPECT_EQ(result.exitCode, 2) << shown << ": " << result.err;
        EXPECT_EQ(result.errLines(), 1) << shown << ": " << result.err;
        EXPECT_NE(result.err.find(c.reason), std::string::npos) << shown << ": " << result.err;
        EXPECT_FALSE(hosttest::exists(out)) << shown;
        EXPECT_FALSE(hosttest::exists(out + ".partial")) << shown;
    }
}

} // namespace
