// Engine render against a plain transcription of the same rules: every sample bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "engine/synth_engine.h"
#include "engine/synth_math.h"
#include "engine/synth_math_block.h"

namespace {

// ---- The plain render ----------------------------------------------------------------
// One voice after the other, every voice evaluated every sample, the library's sine and
// power called wherever the rules take one, the filter coefficients derived every sample.
// Only the note, setting and arpeggiator code is shared with the engine.

float librarySin(float angle) { return static_cast<float>(std::sin(static_cast<double>(angle))); }

int plainNoiseIndex(float x) {
    const float position = 1024.0f * x;
    if (!(position > 0.0f)) return 0;
    if (position >= 1023.0f) return 1023;
    return static_cast<int>(position);
}

float plainTriangle(float x) {
    if (x < 0.25f) return 2.0f * x;
    if (x <= 0.75f) return 1.0f - 2.0f * x;
    return 2.0f * x - 2.0f;
}

float plainWave(const SynthOscillator& oscillator, int32_t shape, float x) {
    const float twoPi = 6.2831855f, fourPi = 12.566371f, sixPi = 18.849556f, eightPi = 25.132742f;
    switch (shape) {
    case 1: return plainTriangle(x) + 0.5f * librarySin(twoPi * x);
    case 2: return x < 0.25f ? 4.0f * x : (x <= 0.75f ? 2.0f - 4.0f * x : 4.0f * x - 4.0f);
    case 3: return x <= 0.5f ? 2.0f * x : 2.0f * x - 2.0f;
    case 4: return x < 0.5f ? plainTriangle(x) + 0.5f : plainTriangle(x) - 0.5f;
    case 5: return x < 0.5f ? 1.0f : -1.0f;
    case 6: return x < 0.5f ? 0.5f * librarySin(twoPi * x) + 0.5f : 0.5f * librarySin(twoPi * x) - 0.5f;
    case 7: return (librarySin(twoPi * x) + librarySin(fourPi * x)) * 0.5f;
    case 8: return (librarySin(twoPi * x) + librarySin(fourPi * x) + librarySin(sixPi * x)) * 0.33333334f;
    case 9: return (librarySin(twoPi * x) + librarySin(fourPi * x) + librarySin(eightPi * x)) * 0.33333334f;
    case 10: return 2.0f * std::fabs(librarySin(twoPi * x)) - 1.0f;
    case 11: return oscillator.noise0[plainNoiseIndex(x)];
    case 12: return oscillator.noise1[plainNoiseIndex(x)];
    case 13: return oscillator.noise2[plainNoiseIndex(x)];
    default: return librarySin(twoPi * x);
    }
}

// One step per elapsed sample, no shortcut in any stage.
float plainEvaluate(SynthEnvelope& e, int64_t now) {
    const int64_t previous = e.lastTime > e.start ? e.lastTime : e.start;
    e.lastTime = now;
    if (now < e.start || now >= e.end) return 0.0f;
    for (int64_t remaining = now - previous; remaining > 0; --remaining) {
        if (e.stage == SynthEnvelope::kAttack) {
            e.value += e.step;
            if (e.value >= 1.0f) {
                if (e.decayLength > 0) {
                    e.step = e.decayStep;
                    e.value = 1.0f;
                    e.stage = SynthEnvelope::kDecay;
                } else {
                    e.value = e.sustain;
                    e.stage = SynthEnvelope::kSustain;
                }
            }
        } else if (e.stage == SynthEnvelope::kDecay) {
            e.value += e.step;
            if (e.value <= e.sustain) {
                e.value = e.sustain;
                e.stage = SynthEnvelope::kSustain;
            }
        } else if (e.stage == SynthEnvelope::kSustain) {
            if (e.releaseTime < now) {
                e.stage = SynthEnvelope::kRelease;
                e.end = now + e.releaseLength;
                if (e.releaseLength > 0) {
                    e.step = e.releaseStep;
                } else {
                    e.value = 0.0f;
                }
            }
        } else {
            e.value += e.step;
        }
    }
    return e.value;
}

void plainSetCutoff(LadderFilter& filter, float cutoff) {
    filter.cutoff = cutoff;
    const float fc = 0.005f * static_cast<float>(std::pow(200.0, static_cast<double>(cutoff)));
    filter.f = 1.16f * fc;
    const float fSquared = filter.f * filter.f;
    filter.feedback = filter.resonance * 4.0f * (1.0f - 0.15f * fSquared);
    filter.inputGain = 0.35013f * fSquared * fSquared;
    filter.outputGain = 2.0f * filter.resonance + 1.0f;
}

float plainProcess(LadderFilter& s, float input) {
    const float x = (input - s.feedback * s.y4) * s.inputGain;
    const float y1 = x + 0.3f * s.x1 + (1.0f - s.f) * s.y1;
    const float y2 = y1 + 0.3f * s.x2 + (1.0f - s.f) * s.y2;
    const float y3 = y2 + 0.3f * s.x3 + (1.0f - s.f) * s.y3;
    const float y4 = y3 + 0.3f * s.x4 + (1.0f - s.f) * s.y4;
    s.x1 = x;
    s.x2 = y1;
    s.x3 = y2;
    s.x4 = y3;
    s.y1 = y1;
    s.y2 = y2;
    s.y3 = y3;
    s.y4 = y4;
    return s.outputGain * y4;
}

struct PlainEngine : SynthEngine {
    float renderPlain(float inputSample) {
        float sum = 0.0f;
        bool seedTaken = false;
        for (SynthVoice& voice : voices) {
            const int v = static_cast<int>(&voice - voices);
            const float amplitude = plainEvaluate(voice.ampEnvelope, clock);
            if (amplitude <= 0.0f) continue;
            float acc = seedTaken ? 0.0f : inputSample;
            seedTaken = true;
            const float arpFactor = arpeggiator.arpPitchFactor(clock - voice.ampEnvelope.start);
            for (SynthOscillator& oscillator : oscillators) {
                OscVoiceSlot& slot = oscillator.slots[v];
                const float wave = plainWave(oscillator, oscillator.shape, slot.phase);
                slot.phase += arpFactor * slot.increment;
                while (slot.phase >= 1.0f) slot.phase -= 1.0f;
                if (portaOn) slot.increment += (slot.targetIncrement - slot.increment) * portaCoef;
                const float term = wave * oscillator.level;
                acc = oscillator.multiply ? acc * term : acc + term;
            }
            float out = acc * voice.velocity * amplitude;
            if (filterOn) {
                const float envelopeLevel = plainEvaluate(voice.filterEnvelope, clock);
                plainSetCutoff(voice.filter, cutoff + (envelopeLevel - cutoff) * filterEnvAmount);
                out = plainProcess(voice.filter, out);
            }
            sum += out;
        }
        clock += 1;
        return sum;
    }
};

// A small generator of its own, so the scenario never disturbs the noise tables' sequence.
struct Dice {
    uint32_t state;
    uint32_t next() { return state = state * 1664525u + 1013904223u; }
    float unit() { return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f); }
    int below(int n) { return static_cast<int>((next() >> 8) % static_cast<uint32_t>(n)); }  // high bits: an LCG's low bits repeat
};

// ---- Block forms against the single forms -------------------------------------------

uint32_t bitsOf(float x) {
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

float floatOf(uint32_t bits) {
    float x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

// Every 4099th float bit pattern: both signs, zeros, subnormals, the fast ranges and far
// outside them, infinities and NaNs, packed into runs of every length from 1 to 17.
std::vector<float> strideOfAllFloats() {
    std::vector<float> values;
    for (uint64_t bits = 0; bits <= UINT32_MAX; bits += 4099) values.push_back(floatOf(static_cast<uint32_t>(bits)));
    for (float special : {0.0f, -0.0f, 1.0f, 26.0f, 2.0f, -4.0f, 6.2831855f, 0.5f, 1e-30f}) values.push_back(special);
    return values;
}

struct BlockForm {
    const char* name;
    void (*block)(const float*, float*, int);
    float (*single)(float);
};

const BlockForm kBlockForms[] = {
    {"extendedSin", extendedSinBlock, extendedSin},
    {"powerOf200", powerOf200Block, powerOf200},
    {"extendedSin two lanes", synth_math_block_detail::extendedSinTwoLanes, extendedSin},
    {"powerOf200 two lanes", synth_math_block_detail::powerOf200TwoLanes, powerOf200},
    {"extendedSin four lanes", synth_math_block_detail::extendedSinFourLanes, extendedSin},
    {"powerOf200 four lanes", synth_math_block_detail::powerOf200FourLanes, powerOf200},
};

// Every width the engine may run with on some processor; the four-lane one only where this
// processor can run it (elsewhere its entry is the two-lane form again).
TEST(EngineBlockMath, BlockFormsGiveTheSingleFormsBitsAndTouchOnlyTheirCount) {
    const std::vector<float> values = strideOfAllFloats();
    const float kUntouched = 12345.0f;
    for (const BlockForm& form : kBlockForms) {
        int64_t differences = 0;
        size_t at = 0;
        for (int run = 0; at < values.size(); run = (run + 1) % 17) {
            const int count = static_cast<int>(std::min<size_t>(static_cast<size_t>(run + 1), values.size() - at));
            float in[18];
            float out[18];
            std::fill(std::begin(in), std::end(in), std::nanf(""));  // past count: must not matter
            std::fill(std::begin(out), std::end(out), kUntouched);
            std::copy(values.begin() + static_cast<std::ptrdiff_t>(at), values.begin() + static_cast<std::ptrdiff_t>(at) + count, in);
            form.block(in, out, count);
            for (int i = 0; i < count; ++i) {
                if (bitsOf(out[i]) != bitsOf(form.single(in[i]))) ++differences;
            }
            EXPECT_EQ(out[count], kUntouched) << form.name << " wrote past " << count;
            at += static_cast<size_t>(count);
        }
        EXPECT_EQ(differences, 0) << form.name;
    }
}

// Every float of the fast ranges, both widths (about a minute and a half): run by hand after a
// change to the lane kernels.
TEST(EngineBlockMath, DISABLED_BlockFormsMatchTheSingleFormsForEveryFloatOfTheFastRanges) {
    struct Range {
        float from;
        float to;
    };
    for (const BlockForm& form : kBlockForms) {
        const bool sine = form.single == extendedSin;
        const Range ranges[2] = {{0.0f, sine ? 26.0f : 2.0f}, {-0.0f, sine ? -0.0f : -4.0f}};
        int64_t differences = 0;
        for (const Range& range : ranges) {
            float in[256];
            float out[256];
            const uint64_t last = bitsOf(range.to);
            for (uint64_t bits = bitsOf(range.from); bits <= last; bits += 256) {
                const int count = static_cast<int>(std::min<uint64_t>(256, last - bits + 1));
                for (int j = 0; j < count; ++j) in[j] = floatOf(static_cast<uint32_t>(bits) + static_cast<uint32_t>(j));
                form.block(in, out, count);
                for (int j = 0; j < count; ++j) {
                    if (bitsOf(out[j]) != bitsOf(form.single(in[j]))) ++differences;
                }
            }
        }
        EXPECT_EQ(differences, 0) << form.name;
    }
}

TEST(EngineBlockMath, WaveBlockGivesWaveValueBitsForEveryShape) {
    SynthOscillator oscillator;
    Dice dice{99u};
    for (int32_t shape = -1; shape <= kWaveShapeCount; ++shape) {  // out of range falls back to Sin
        for (int count = 1; count <= kSynthVoiceCount; ++count) {
            float phases[kSynthVoiceCount];
            float out[kSynthVoiceCount];
            for (int i = 0; i < count; ++i) phases[i] = dice.unit();
            phases[0] = count == 3 ? 0.25f : phases[0];  // exact quarter: sines at 0 and +-1
            oscillator.waveBlock(shape, phases, out, count);
            for (int i = 0; i < count; ++i) {
                EXPECT_EQ(bitsOf(out[i]), bitsOf(oscillator.waveValue(shape, phases[i])))
                    << "shape " << shape << " phase " << phases[i];
            }
        }
    }
}

// ---- Scenarios -----------------------------------------------------------------------

constexpr int64_t kScenarioSamples = 128000;
constexpr float kSamplesPerBeat = 22050.0f;

int32_t shortTime(float v) { return static_cast<int32_t>(v * v * 50000.0f); }
int32_t longTime(float v) { return static_cast<int32_t>(v * v * 160000.0f) + 10; }

void defaultProgram(SynthEngine& e) {
    const float levels[3] = {1.0f, 1.0f, 0.4f};
    const bool multiply[3] = {false, true, false};
    const int32_t shapes[3] = {0, 1, 0};
    const float pitches[3] = {0.0f, -12.0f, 0.0f};
    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        e.oscillators[o].level = levels[o];
        e.oscillators[o].multiply = multiply[o];
        e.oscillators[o].shape = shapes[o];
        e.setOscPitch(o, pitches[o]);
    }
    e.ampAttack = shortTime(0.1f);
    e.ampDecay = shortTime(0.1f) + 1;
    e.setAmpSustain(0.5f);
    e.ampRelease = longTime(0.3f);
    e.setArpTime(0.5f, kSamplesPerBeat);
    e.filterOn = true;
    e.setCutoff(0.5f);
    e.setResonance(0.3f);
    e.filterEnvAmount = 0.8f;
    e.filterAttack = shortTime(0.8f);
    e.filterDecay = shortTime(0.8f) + 1;
    e.setFilterSustain(0.4f);
    e.filterRelease = longTime(0.4f);
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

class EngineBitExact : public ::testing::TestWithParam<Scenario> {};

void compareWithThePlainRender(const Scenario& scenario);

// Four lanes where this processor has them, and the two-lane form every machine may use.
TEST_P(EngineBitExact, RenderEqualsThePlainRenderBitForBit) {
    for (bool fourLanes : {true, false}) {
        synth_math_block_detail::useFourLanes(fourLanes);
        SCOPED_TRACE(synth_math_block_detail::fourLanesInUse() ? "four lanes" : "two lanes");
        compareWithThePlainRender(GetParam());
    }
    synth_math_block_detail::useFourLanes(true);
}

void compareWithThePlainRender(const Scenario& scenario) {
    SynthEngine engine;
    PlainEngine plain;
    // Each engine drew its own noise; the comparison needs the same tables in both.
    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        std::memcpy(plain.oscillators[o].noise0, engine.oscillators[o].noise0, sizeof engine.oscillators[o].noise0);
        std::memcpy(plain.oscillators[o].noise1, engine.oscillators[o].noise1, sizeof engine.oscillators[o].noise1);
        std::memcpy(plain.oscillators[o].noise2, engine.oscillators[o].noise2, sizeof engine.oscillators[o].noise2);
    }
    scenario.setup(engine);
    scenario.setup(plain);
    Dice engineDice{12345u};
    Dice plainDice{12345u};
    Dice sweep{777u};
    int64_t soundingSamples = 0;
    for (int64_t i = 0; i < kScenarioSamples; ++i) {
        if (i % 512 == 0) {
            applyBlockEvents(engine, engineDice, i, scenario);
            applyBlockEvents(plain, plainDice, i, scenario);
        }
        if (i % 50 == 0) {
            const float cutoff = sweep.unit();
            const float resonance = sweep.unit();
            engine.setCutoff(cutoff);
            plain.setCutoff(cutoff);
            engine.setResonance(resonance);
            plain.setResonance(resonance);
        }
        const float input = scenario.hostInput ? 0.5f * librarySin(0.01f * static_cast<float>(i % 100000)) : 0.0f;
        const float fast = engine.renderSample(input);
        const float reference = plain.renderPlain(input);
        uint32_t fastBits, referenceBits;
        std::memcpy(&fastBits, &fast, sizeof fast);
        std::memcpy(&referenceBits, &reference, sizeof reference);
        ASSERT_EQ(fastBits, referenceBits) << "sample " << i << ": " << fast << " vs " << reference;
        if (fast != 0.0f) ++soundingSamples;
    }
    // The comparison means something only when most of the scenario makes sound.
    EXPECT_GT(soundingSamples, kScenarioSamples / 2);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, EngineBitExact, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 if (c == ' ') c = '_';
                             }
                             return name;
                         });

}  // namespace
