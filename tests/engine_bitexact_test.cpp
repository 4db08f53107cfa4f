// Engine render against a plain transcription of the same rules: phases, envelopes and every
// other exact part bit for bit, the output within 2e-5 (the sines and powers of 200 are
// approximated), and the side-by-side render bit for bit equal to the one-sample path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "engine/synth_engine.h"
#include "engine/synth_math.h"
#include "plugin/engine_parameters.h"
#include "plugin/synth_parameters.h"
#include "plugin/synth_parameters.h"
#include "tests/engine_plain_render.h"
#include "engine/synth_lanes.h"

namespace {

using namespace plain_render;

// A small generator of its own, so the scenario never disturbs the noise tables' sequence.
struct Dice {
    uint32_t state;
    uint32_t next() { return state = state * 1664525u + 1013904223u; }
    float unit() { return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f); }
    int below(int n) { return static_cast<int>((next() >> 8) % static_cast<uint32_t>(n)); }  // high bits: an LCG's low bits repeat
};

// ---- Lane kernels against the plain shapes -----------------------------------------

uint32_t bitsOf(float x) {
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

constexpr double kWaveTolerance = 1e-6;
constexpr double kOutputTolerance = 2e-5;

// Every width this processor runs: each is held to the plain rules, and all to each other.
std::vector<int> kernelsRunHere() {
    std::vector<int> indices;
    for (int k = 0; k < laneKernelCount(); ++k) {
        if (laneKernelsRunHere(k)) indices.push_back(k);
    }
    return indices;
}

TEST(EngineLaneKernels, WavesStayWithinAMillionthOfThePlainShapesAndOfEachOtherAcrossWidths) {
    SynthOscillator oscillator;
    const std::vector<int> kernels = kernelsRunHere();
    ASSERT_FALSE(kernels.empty());
    for (int32_t shape = -1; shape <= kWaveShapeCount; ++shape) {  // out of range plays Sin
        double worst = 0.0;
        double widestSpread = 0.0;  // between widths: the wider ones fuse the polynomials
        int64_t disagreements = 0;  // between widths that fuse alike (the 32-bit build's)
        // Every 61st float step of the phase, 0 up to just below 1.
        for (uint32_t step = 0; step < (1u << 24); step += 61 * kSynthVoiceCount) {
            float phases[kSynthVoiceCount];
            for (int j = 0; j < kSynthVoiceCount; ++j) {
                phases[j] = static_cast<float>(std::min(step + 61u * j, (1u << 24) - 1)) / 16777216.0f;
            }
            float first[kSynthVoiceCount];
            laneKernelsAt(kernels[0]).waves(shape, oscillator, phases, first);
            for (int j = 0; j < kSynthVoiceCount; ++j) {
                worst = std::max(worst, std::fabs(static_cast<double>(first[j]) - plainWave(oscillator, shape, phases[j])));
            }
            for (int k : kernels) {
                float values[kSynthVoiceCount];
                laneKernelsAt(k).waves(shape, oscillator, phases, values);
                const bool fusedAlike = laneKernelsAt(k).fusedPolynomials == laneKernelsAt(kernels[0]).fusedPolynomials;
                for (int j = 0; j < kSynthVoiceCount; ++j) {
                    widestSpread = std::max(widestSpread, std::fabs(static_cast<double>(values[j]) - first[j]));
                    disagreements += fusedAlike && bitsOf(values[j]) != bitsOf(first[j]);
                }
            }
        }
        EXPECT_LE(worst, kWaveTolerance) << "shape " << shape;
        EXPECT_LE(widestSpread, kWaveTolerance) << "shape " << shape;
        EXPECT_EQ(disagreements, 0) << "shape " << shape;
    }
}

TEST(EngineLaneKernels, PowersOf200StayWithinOneFloatStepOfTheWidePower) {
    for (int k : kernelsRunHere()) {
        int64_t farOff = 0;
        int64_t rounded = 0;
        for (int step = 0; step < 600000; step += kSynthVoiceCount) {
            float exponents[kSynthVoiceCount];
            float powers[kSynthVoiceCount];
            for (int j = 0; j < kSynthVoiceCount; ++j) exponents[j] = -4.0f + 1e-5f * static_cast<float>(step + j);
            laneKernelsAt(k).powersOf200(exponents, powers);
            for (int j = 0; j < kSynthVoiceCount; ++j) {
                const float wide = extendedPow(200.0f, exponents[j]);
                rounded += powers[j] == wide;
                farOff += powers[j] != wide && std::nextafter(powers[j], wide) != wide;
            }
        }
        EXPECT_EQ(farOff, 0) << laneKernelsAt(k).name;
        EXPECT_GT(rounded, 600000 * 99 / 100) << laneKernelsAt(k).name;  // nearly always the same float
        const float limits[kSynthVoiceCount] = {100.0f, -100.0f, std::numeric_limits<float>::infinity(), 0.0f};
        float powers[kSynthVoiceCount];
        laneKernelsAt(k).powersOf200(limits, powers);
        EXPECT_EQ(powers[0], std::numeric_limits<float>::infinity());
        EXPECT_EQ(powers[1], 0.0f);
        EXPECT_EQ(powers[2], std::numeric_limits<float>::infinity());
        EXPECT_EQ(powers[3], 1.0f);
    }
}

// ---- Scenarios -----------------------------------------------------------------------

constexpr int64_t kScenarioSamples = 128000;
constexpr float kSamplesPerBeat = 22050.0f;

int32_t shortTime(float v) { return shortTimeSamples(v); }
int32_t longTime(float v) { return longTimeSamples(v) + 10; }

void defaultProgram(SynthEngine& e) {
    applyEngineProgram(e, kParameterDefaults, kSamplesPerBeat);
}

void heavyPatch(SynthEngine& e) {
    defaultProgram(e);
    const int32_t shapes[3] = {8, 9, 7};
    const float pitches[3] = {0.0f, -12.0f, 7.03f};
    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        e.oscillators[o].shape = shapes[o];
        e.oscillators[o].multiply = false;
        e.oscillators[o].level = 0.3f;
        e.setOscPitch(o, pitches[o]);
    }
    e.filterAttack = shortTime(0.2f);
    e.filterDecay = shortTime(0.3f) + 1;
    e.portaOn = true;
    e.portaCoef = 0.001f;
    e.setArpType(3.5f / 7.0f);
    e.setArpChord(10.5f / 38.0f);
    e.setArpRange(0.6f);
    e.setArpTime(0.0f, kSamplesPerBeat);
}

// Shapes, combine modes, pitches and filter change as the scenario runs.
void changingPatch(SynthEngine& e) {
    heavyPatch(e);
    e.ampAttack = 0;
    e.ampDecay = 1;
    e.ampRelease = 300;
    e.filterAttack = 0;
    e.filterDecay = 1;
    e.filterRelease = 10;
}

struct Scenario {
    const char* name;
    void (*setup)(SynthEngine&);
    bool changeSettings;  // shapes, modes, pitches, envelopes and switches change on the way
    bool hostInput;       // a signal arrives on the host input
};

const Scenario kScenarios[] = {
    {"default program", defaultProgram, false, false},
    {"heavy patch", heavyPatch, false, false},
    {"changing settings", changingPatch, true, true},
    {"default program with host input", defaultProgram, true, true},
};

// The same events for both engines: notes with offsets inside 512-sample blocks, cutoff and
// resonance sweeps every 50 samples as the LFOs make them, settings changes and one reset.
void applyBlockEvents(SynthEngine& e, Dice& dice, int64_t blockStart, const Scenario& scenario) {
    const int notes = dice.below(4);
    for (int n = 0; n < notes; ++n) {
        const int32_t key = 30 + dice.below(60);
        e.noteOn(key, static_cast<float>(key) + 0.01f * static_cast<float>(dice.below(50)),
                 static_cast<float>(1 + dice.below(127)) * 0.0078125f, dice.below(512));
    }
    const int offs = dice.below(4);
    for (int n = 0; n < offs; ++n) e.noteOff(30 + dice.below(60), dice.below(512));
    if (blockStart == 64000) e.resetEngine();
    if (!scenario.changeSettings || dice.below(3) != 0) return;
    SynthOscillator& oscillator = e.oscillators[dice.below(kSynthOscillatorCount)];
    switch (dice.below(12)) {
    case 0: oscillator.shape = dice.below(kWaveShapeCount); break;
    case 1: oscillator.multiply = !oscillator.multiply; break;
    case 2: oscillator.level = dice.unit(); break;
    case 3: e.setOscPitch(dice.below(kSynthOscillatorCount), static_cast<float>(dice.below(25) - 12)); break;
    case 4: e.portaOn = !e.portaOn; break;
    case 5: e.filterOn = !e.filterOn; break;
    case 6: e.setArpType(dice.unit()); break;
    case 7: e.setArpChord(dice.unit()); break;
    case 8: e.setAmpSustain(dice.unit()); break;
    case 9: e.filterEnvAmount = dice.unit(); break;
    case 10:
        e.filterAttack = shortTime(dice.unit());
        e.filterDecay = shortTime(dice.unit()) + 1;
        break;
    default: e.setMasterPitch(static_cast<float>(dice.below(5) - 2)); break;
    }
    // Two oscillators of one shape and pitch, as in the default program, now and then.
    if (dice.below(4) == 0) {
        e.oscillators[2].shape = e.oscillators[0].shape;
        e.setOscPitch(2, e.oscillators[0].pitchOffset);
    }
}

// The parts the rules keep exact, bit for bit: phases and increments, envelopes, voices,
// arpeggio steps and glide sources. Answers the first difference found, or "".
std::string exactStateDifference(const SynthEngine& a, const SynthEngine& b) {
    auto same = [](float x, float y) { return bitsOf(x) == bitsOf(y); };
    if (a.clock != b.clock) return "clock";
    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        for (int v = 0; v < kSynthVoiceCount; ++v) {
            const OscVoiceSlot& x = a.oscillators[o].slots[v];
            const OscVoiceSlot& y = b.oscillators[o].slots[v];
            if (!same(x.phase, y.phase) || !same(x.increment, y.increment) || !same(x.targetIncrement, y.targetIncrement))
                return "oscillator " + std::to_string(o) + " voice " + std::to_string(v);
        }
    }
    for (int v = 0; v < kSynthVoiceCount; ++v) {
        const SynthEnvelope* envelopes[2][2] = {{&a.voices[v].ampEnvelope, &b.voices[v].ampEnvelope},
                                                {&a.voices[v].filterEnvelope, &b.voices[v].filterEnvelope}};
        for (auto& pair : envelopes) {
            const SynthEnvelope& x = *pair[0];
            const SynthEnvelope& y = *pair[1];
            // The engine stops evaluating a voice once it has ended; its last time then stays.
            const bool ended = x.end <= a.clock && y.end <= b.clock;
            if (!same(x.value, y.value) || !same(x.step, y.step) || x.stage != y.stage ||
                (!ended && x.lastTime != y.lastTime) || x.end != y.end || x.releaseTime != y.releaseTime)
                return "envelope of voice " + std::to_string(v) + (ended ? " (ended)" : "");
        }
        if (a.voices[v].key != b.voices[v].key || !same(a.voices[v].filter.cutoff, b.voices[v].filter.cutoff))
            return "voice " + std::to_string(v);
    }
    if (!same(a.arpeggiator.factor, b.arpeggiator.factor) || a.arpeggiator.stepTime != b.arpeggiator.stepTime ||
        a.arpeggiator.armed != b.arpeggiator.armed)
        return "arpeggiator";
    if (a.glideCount != b.glideCount || a.glideTime != b.glideTime) return "glide sources";
    return "";
}

void copyNoise(const SynthEngine& from, SynthEngine& to) {
    // Each engine drew its own noise; the comparison needs the same tables in both.
    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        std::memcpy(to.oscillators[o].noise0, from.oscillators[o].noise0, sizeof from.oscillators[o].noise0);
        std::memcpy(to.oscillators[o].noise1, from.oscillators[o].noise1, sizeof from.oscillators[o].noise1);
        std::memcpy(to.oscillators[o].noise2, from.oscillators[o].noise2, sizeof from.oscillators[o].noise2);
    }
}

// The engine rendered in runs, the same engine one sample at a time, and the plain render,
// side by side: the runs must give the one-sample bits, and both stay near the plain one.
struct ThreeRenders {
    SynthEngine runs;
    SynthEngine single;
    PlainEngine plain;
    double worst = 0.0;
    double peak = 0.0;
    int64_t sounding = 0;

    ThreeRenders() {
        copyNoise(runs, single);
        copyNoise(runs, plain);
    }
    template <typename Change>
    void apply(Change change) {
        change(runs);
        change(single);
        change(plain);
    }
    // Renders `frames` samples; returns false at the first sample where the runs and the
    // one-sample path differ.
    bool render(int frames, const float* input) {
        float out[1024];
        runs.renderBlock(input, out, frames);
        for (int i = 0; i < frames; ++i) {
            const float in = input ? input[i] : 0.0f;
            const float one = single.renderSample(in);
            const float reference = plain.renderPlain(in);
            if (bitsOf(out[i]) != bitsOf(one)) {
                ADD_FAILURE() << "sample " << single.clock - 1 << ": runs give " << out[i] << ", one-sample path " << one;
                return false;
            }
            worst = std::max(worst, static_cast<double>(std::fabs(one - reference)));
            peak = std::max(peak, static_cast<double>(std::fabs(reference)));
            if (one != 0.0f) ++sounding;
        }
        return true;
    }
    void expectExactStates() {
        EXPECT_EQ(exactStateDifference(runs, plain), "");
        EXPECT_EQ(exactStateDifference(runs, single), "");
    }
};

class EngineReference : public ::testing::TestWithParam<Scenario> {};

void compareWithThePlainRender(const Scenario& scenario);

TEST_P(EngineReference, ExactPartsBitForBitAndTheOutputWithinTolerance) {
    for (int k : kernelsRunHere()) {
        chooseLaneKernels(k);
        SCOPED_TRACE(laneKernelsAt(k).name);
        compareWithThePlainRender(GetParam());
    }
    chooseLaneKernels(kernelsRunHere()[0]);
}

void compareWithThePlainRender(const Scenario& scenario) {
    ThreeRenders renders;
    renders.apply(scenario.setup);
    Dice runsDice{12345u};
    Dice singleDice{12345u};
    Dice plainDice{12345u};
    Dice sweep{777u};
    float input[512];
    for (int64_t block = 0; block * 512 < kScenarioSamples; ++block) {
        const int64_t start = block * 512;
        applyBlockEvents(renders.runs, runsDice, start, scenario);
        applyBlockEvents(renders.single, singleDice, start, scenario);
        applyBlockEvents(renders.plain, plainDice, start, scenario);
        for (int i = 0; i < 512; ++i) {
            input[i] = scenario.hostInput ? 0.5f * librarySin(0.01f * static_cast<float>((start + i) % 100000)) : 0.0f;
        }
        // Every other block as the LFOs make it (cutoff and resonance every 50 samples),
        // the others in one run.
        int done = 0;
        while (done < 512) {
            int frames = 512 - done;
            if (block % 2 == 0) {
                if ((start + done) % 50 == 0) {
                    const float cutoff = sweep.unit();
                    const float resonance = sweep.unit();
                    renders.apply([&](SynthEngine& e) {
                        e.setCutoff(cutoff);
                        e.setResonance(resonance);
                    });
                }
                frames = std::min<int>(frames, static_cast<int>(50 - (start + done) % 50));
            }
            ASSERT_TRUE(renders.render(frames, scenario.hostInput ? input + done : nullptr));
            done += frames;
        }
    }
    EXPECT_LE(renders.worst, kOutputTolerance);
    renders.expectExactStates();
    // The comparison means something only when most of the scenario makes sound.
    EXPECT_GT(renders.sounding, kScenarioSamples / 2);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, EngineReference, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 if (c == ' ') c = '_';
                             }
                             return name;
                         });

// A patch drawn at random, applied alike to every engine.
void randomPatch(Dice& dice, SynthEngine& e) {
    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        e.oscillators[o].shape = dice.below(kWaveShapeCount);
        e.oscillators[o].level = dice.unit();
        e.oscillators[o].multiply = dice.below(4) == 0;
        e.setOscPitch(o, static_cast<float>(dice.below(49) - 24) + dice.unit() - 0.5f);
    }
    e.ampAttack = shortTime(dice.unit() * 0.2f);
    e.ampDecay = shortTime(dice.unit() * 0.2f) + 1;
    e.setAmpSustain(dice.below(8) == 0 ? 0.0f : dice.unit());
    e.ampRelease = longTime(dice.unit() * 0.1f);
    e.filterOn = dice.below(4) != 0;
    e.setCutoff(dice.unit());
    e.setResonance(dice.unit());
    e.filterEnvAmount = dice.unit();
    e.filterAttack = shortTime(dice.unit() * 0.3f);
    e.filterDecay = shortTime(dice.unit() * 0.3f) + 1;
    e.setFilterSustain(dice.unit());
    e.filterRelease = longTime(dice.unit() * 0.1f);
    e.portaOn = dice.below(2) == 0;
    e.portaCoef = 0.0001f + 0.01f * dice.unit();
    e.setArpType(dice.unit());
    e.setArpChord(dice.unit());
    e.setArpRange(dice.unit());
    e.setArpTime(dice.unit(), 500.0f + 5000.0f * dice.unit());
}

// Within 2e-5 of full scale, or of the peak where a runaway filter goes beyond it.
TEST(EngineReference, RandomPatchesAndPhrasesStayWithinTolerance) {
    Dice dice{2024u};
    double worst = 0.0;
    for (int patch = 0; patch < 1000; ++patch) {
        ThreeRenders renders;
        const uint32_t patchSeed = dice.next();
        renders.apply([&](SynthEngine& e) {
            Dice same{patchSeed};
            randomPatch(same, e);
        });
        for (int block = 0; block < 6; ++block) {
            const uint32_t eventSeed = dice.next();
            renders.apply([&](SynthEngine& e) {
                Dice same{eventSeed};
                for (int n = same.below(5); n > 0; --n) {
                    const int32_t key = 30 + same.below(60);
                    e.noteOn(key, static_cast<float>(key), static_cast<float>(1 + same.below(127)) * 0.0078125f,
                             same.below(512));
                }
                for (int n = same.below(3); n > 0; --n) e.noteOff(30 + same.below(60), same.below(512));
            });
            for (int done = 0; done < 512;) {
                const int frames = std::min(512 - done, 1 + dice.below(200));
                ASSERT_TRUE(renders.render(frames, nullptr)) << "patch " << patch;
                done += frames;
            }
        }
        ASSERT_EQ(exactStateDifference(renders.runs, renders.plain), "") << "patch " << patch;
        ASSERT_EQ(exactStateDifference(renders.runs, renders.single), "") << "patch " << patch;
        // A few patches drive their filters far past full scale (the output stage clamps at
        // 0.99): there the same error is a smaller part of the signal than a float step.
        worst = std::max(worst, renders.worst / std::max(1.0, renders.peak));
    }
    EXPECT_LE(worst, kOutputTolerance);
}

// Pitches far above the sample rate: a phase steps a cycle or more a sample, gliding up
// from lower notes, and must wrap to the same fraction on every path.
TEST(EngineReference, PhasesSteppingWholeCyclesWrapAlike) {
    for (int k : kernelsRunHere()) {
        chooseLaneKernels(k);
        SCOPED_TRACE(laneKernelsAt(k).name);
        ThreeRenders renders;
        renders.apply([](SynthEngine& e) {
            defaultProgram(e);
            for (int o = 0; o < kSynthOscillatorCount; ++o) e.setOscPitch(o, 36.0f + 12.0f * static_cast<float>(o));
            e.portaOn = true;
            e.portaCoef = 0.01f;
            for (int v = 0; v < kSynthVoiceCount; ++v) {
                e.noteOn(40 + v, static_cast<float>(40 + v), 0.5f, 0);
                e.noteOff(40 + v, 1);
                e.noteOn(100 + v, static_cast<float>(100 + v), 0.5f, 2 + 3 * v);
            }
        });
        for (int block = 0; block < 8; ++block) ASSERT_TRUE(renders.render(512, nullptr));
        renders.expectExactStates();
        float widest = 0.0f;
        for (const SynthOscillator& oscillator : renders.runs.oscillators) {
            for (const OscVoiceSlot& slot : oscillator.slots) widest = std::max(widest, slot.increment);
        }
        EXPECT_GT(widest, 2.0f);
    }
    chooseLaneKernels(kernelsRunHere()[0]);
}

}  // namespace
