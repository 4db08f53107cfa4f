// Golden renders: short phrases played through the built instrument and compared with the
// renders stored in tests/data/golden; ZELVIK_REGENERATE_GOLDEN=1 rewrites the stored ones.
#include "host/wav_writer.h"
#include "tests/golden_support.h"
#include "tests/host_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <sstream>

namespace {

using golden::choice;
using golden::Phrase;
using golden::render;

// How closely every stored sample must be met. Rounding differences between builds of a
// few summed voices stay far below it (the builds compute the same floats); a note or an
// envelope stage moved by one sample changes some sample of these phrases by more than
// 1e-4. GoldenSensitivity below shows that such shifts fail the comparison.
constexpr float kGoldenTolerance = 2e-5f;
// A stored render must have sound in it, and not sit at the output limit.
constexpr float kLeastPeak = 0.05f;
constexpr float kOutputLimit = 0.99f;
constexpr int kRate = 44100;

// Default program: a four-note chord; the slow filter envelope opens it.
Phrase chordPhrase() {
    return {"chord", 110250, {}, {{441, 66150, 60, 100}, {441, 66150, 64, 90}, {441, 66150, 67, 90}, {441, 66150, 71, 80}}};
}

// A legato line: each note glides from the one released as it starts; a short filter
// envelope with resonance plucks each one.
Phrase glidePhrase() {
    return {"glide",
            110250,
            {{"Porta", 1.0f}, {"Po Wet", 0.3f}, {"F-Att", 0.1f}, {"F-Dec", 0.4f}, {"F-Sus", 0.3f}, {"F-Env", 0.9f},
             {"Cutoff", 0.3f}, {"Res", 0.6f}},
            {{441, 22050, 57, 100}, {22050, 44100, 64, 100}, {44100, 66150, 60, 100}, {66150, 99225, 69, 100}}};
}

// One held key arpeggiated up and down a minor seventh chord over two layers, a quarter
// beat a step, while LFO 1 sweeps the cutoff once a beat after its one-second rest; it
// wakes at its minimum, where the cutoff already is.
Phrase arpeggioPhrase() {
    return {"arpeggio",
            110250,
            {{"Arp-Type", choice(3, 7)}, {"Arp-Chord", choice(11, 38)}, {"Arp-Range", choice(1, 4)},
             {"Arp-Time", choice(2, 10)}, {"LFO1", 1.0f}, {"L1-Aim", choice(45, 55)}, {"L1-Per", 0.25f},
             {"L1-Min", 0.2f}, {"L1-Max", 0.8f}, {"Cutoff", 0.2f}, {"F-Env", 0.5f}},
            {{441, 99225, 57, 90}}};
}

std::string referencePath(const Phrase& phrase) { return std::string(ZELVIK_GOLDEN_DIR) + "/" + phrase.name + ".wav"; }

bool regenerating() {
    const char* value = std::getenv("ZELVIK_REGENERATE_GOLDEN");
    return value && std::string(value) == "1";
}

// The stored render: mono, 32-bit float; empty when missing or of another form.
std::vector<float> loadReference(const Phrase& phrase) {
    hosttest::Wav wav = hosttest::readWav(referencePath(phrase));
    if (wav.channels != 1 || wav.sampleRate != phrase.sampleRate)
        return {};
    return wav.samples;
}

void storeReference(const Phrase& phrase, const std::vector<float>& samples) {
    WavWriter writer(referencePath(phrase), 1, phrase.sampleRate);
    const float* channels[1] = {samples.data()};
    writer.write(channels, (int)samples.size());
    writer.finish();
}

::testing::AssertionResult matchesReference(const std::vector<float>& rendered, const std::vector<float>& reference) {
    if (rendered.size() != reference.size())
        return ::testing::AssertionFailure()
               << "rendered " << rendered.size() << " samples, stored " << reference.size();
    int64_t firstMismatch = -1;
    float largest = 0.0f;
    for (size_t i = 0; i < rendered.size(); ++i) {
        float difference = std::fabs(rendered[i] - reference[i]);
        if (difference > kGoldenTolerance && firstMismatch < 0)
            firstMismatch = (int64_t)i;
        largest = std::max(largest, difference);
    }
    if (firstMismatch < 0)
        return ::testing::AssertionSuccess() << "largest difference " << largest;
    return ::testing::AssertionFailure() << "first difference above " << kGoldenTolerance << " at sample "
                                         << firstMismatch << " (" << rendered[(size_t)firstMismatch] << " against "
                                         << reference[(size_t)firstMismatch] << "), largest " << largest;
}

float peakOf(const std::vector<float>& samples) {
    float peak = 0.0f;
    for (float sample : samples)
        peak = std::max(peak, std::fabs(sample));
    return peak;
}

class GoldenRender : public ::testing::TestWithParam<Phrase> {};

TEST_P(GoldenRender, MatchesTheStoredRender) {
    const Phrase& phrase = GetParam();
    std::vector<float> rendered = render(phrase).monoSum();
    if (regenerating())
        storeReference(phrase, rendered);
    std::vector<float> reference = loadReference(phrase);
    ASSERT_FALSE(reference.empty()) << referencePath(phrase)
                                    << " is missing or not mono 32-bit float; run with ZELVIK_REGENERATE_GOLDEN=1";
    EXPECT_TRUE(matchesReference(rendered, reference));
    // The mono sum of two channels each clamped at the limit.
    EXPECT_GT(peakOf(reference), kLeastPeak);
    EXPECT_LT(peakOf(reference), 2 * kOutputLimit);
}

// The instrument places every event on its sample, so the host's block size must not
// change a single sample: odd-sized blocks meet the same stored render.
TEST_P(GoldenRender, BlockSizeDoesNotChangeTheSound) {
    const Phrase& phrase = GetParam();
    std::vector<float> reference = loadReference(phrase);
    ASSERT_FALSE(reference.empty()) << referencePath(phrase);
    for (int blockSize : {37, 1000, 4096})
        EXPECT_TRUE(matchesReference(render(phrase, blockSize).monoSum(), reference)) << "block size " << blockSize;
}

INSTANTIATE_TEST_SUITE_P(Phrases, GoldenRender, ::testing::Values(chordPhrase(), glidePhrase(), arpeggioPhrase()),
                         [](const ::testing::TestParamInfo<Phrase>& info) { return std::string(info.param.name); });

// The smallest a value can be while its display reads `samples` ("%d" of trunc(v² × scale)).
float valueForSamples(int samples, double scale) { return (float)std::sqrt((samples + 0.5) / scale); }

std::string displayAfterSetting(const char* name, float value) {
    HostContext host;
    PluginInstance plugin(ZELVIK_PLUGIN_PATH, host, kRate, 512);
    int index = plugin.findParameter(name);
    plugin.setParameter(index, value);
    return plugin.parameterDisplay(index);
}

struct Disturbance {
    const char* what;
    std::function<void(Phrase&)> apply;
    const char* parameter; // whose display proves the change is one sample; null for notes
    const char* display;
};

// The tolerance is tight enough to notice the smallest timing faults: one sample more in
// an envelope stage, or a note one sample late, fails the comparison with the chord.
TEST(GoldenSensitivity, OneSampleShiftsFailTheComparison) {
    constexpr double kShortScale = 50000.0; // attack and decay lengths: trunc(v² × 50000)
    const Disturbance disturbances[] = {
        {"note one sample late", [](Phrase& p) { for (auto& n : p.notes) ++n.on; }, nullptr, nullptr},
        {"attack one sample longer",
         [](Phrase& p) { p.settings.push_back({"Attack", valueForSamples(501, kShortScale)}); }, "Attack", "501"},
        {"decay one sample longer",
         [](Phrase& p) { p.settings.push_back({"Decay", valueForSamples(501, kShortScale)}); }, "Decay", "501"},
        {"filter attack one sample longer",
         [](Phrase& p) { p.settings.push_back({"F-Att", valueForSamples(32001, kShortScale)}); }, "F-Att", "32001"},
    };
    // The undisturbed chord's defaults: attack 500, decay 500 (+1), filter attack 32000.
    EXPECT_EQ(displayAfterSetting("Attack", 0.1f), "500");
    EXPECT_EQ(displayAfterSetting("F-Att", 0.8f), "32000");

    std::vector<float> reference = render(chordPhrase()).monoSum();
    ASSERT_TRUE(matchesReference(render(chordPhrase()).monoSum(), reference)) << "the same phrase twice";
    for (const Disturbance& disturbance : disturbances) {
        SCOPED_TRACE(disturbance.what);
        if (disturbance.parameter) {
            Phrase probe = chordPhrase();
            disturbance.apply(probe);
            EXPECT_EQ(displayAfterSetting(disturbance.parameter, probe.settings.back().value), disturbance.display);
        }
        Phrase disturbed = chordPhrase();
        disturbance.apply(disturbed);
        EXPECT_FALSE(matchesReference(render(disturbed).monoSum(), reference));
    }
}

TEST(GoldenSensitivity, ReferenceShiftedByOneSampleFails) {
    std::vector<float> rendered = render(chordPhrase()).monoSum();
    std::vector<float> shifted(rendered.size(), 0.0f);
    std::copy(rendered.begin(), rendered.end() - 1, shifted.begin() + 1);
    EXPECT_FALSE(matchesReference(rendered, shifted));
    EXPECT_TRUE(matchesReference(rendered, rendered));
}

} // namespace
