// Engine sound path: wave shapes, noise tables, envelopes, ladder filter, voices, render.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "engine/synth_engine.h"
#include "engine/synth_math.h"

namespace {

constexpr float kShapeTolerance = 1e-6f;
constexpr float kLevelTolerance = 1e-6f;

// An engine with plain, predictable settings: one sine oscillator at full level,
// no filter, no portamento, no arpeggio.
struct PlainEngine : SynthEngine {
    PlainEngine() {
        oscillators[0].level = 1.0f;
        oscillators[1].level = 0.0f;
        oscillators[2].level = 0.0f;
        ampAttack = 0;
        ampDecay = 1;
        ampRelease = 100;
        setAmpSustain(0.5f);
        filterOn = false;
    }
};

int32_t shapeNamed(const char* name) {
    for (int32_t i = 0; i < kWaveShapeCount; ++i) {
        if (std::string(kWaveShapeNames[i]) == name) return i;
    }
    return -1;
}

// ---- Wave shapes ---------------------------------------------------------------------

struct ShapePoint {
    const char* shape;
    float phase;
    float expected;
};

const ShapePoint kShapePoints[] = {
    {"Sin", 0.0f, 0.0f},          {"Sin", 0.25f, 1.0f},         {"Sin", 0.75f, -1.0f},
    {"Saw", 0.25f, 1.0f},         {"Saw", 0.75f, -1.0f},        {"Saw", 0.5f, 0.0f},
    {"Ramp", 0.5f, 1.0f},         {"Ramp", 0.25f, 0.5f},        {"Ramp", 0.0f, 0.0f},
    {"Square", 0.25f, 1.0f},      {"Square", 0.5f, -1.0f},      {"SinSqu", 0.0f, 0.5f},
    {"SinSqu", 0.5f, -0.5f},      {"Sinsaw", 0.25f, 1.0f},      {"Sinsaw", 0.75f, -1.0f},
    {"SawSqu", 0.25f, 1.0f},      {"SawSqu", 0.5f, -0.5f},      {"SawSqu", 0.75f, -1.0f},
    {"AbsSin", 0.0f, -1.0f},      {"AbsSin", 0.5f, -1.0f},      {"AbsSin", 0.25f, 1.0f},
    {"Sin12", 0.125f, 0.8535534f}, {"Sin123", 0.25f, 0.0f},     {"Sin124", 0.125f, 0.5690356f},
};

TEST(EngineWaveShapes, ValuesAtStatedPhases) {
    const SynthOscillator oscillator;
    for (const ShapePoint& point : kShapePoints) {
        const int32_t shape = shapeNamed(point.shape);
        ASSERT_GE(shape, 0) << point.shape;
        EXPECT_NEAR(oscillator.waveValue(shape, point.phase), point.expected, kShapeTolerance)
            << point.shape << " at " << point.phase;
    }
}

TEST(EngineWaveShapes, RampFallsJustAfterHalf) {
    const SynthOscillator oscillator;
    const float justAfter = std::nextafter(0.5f, 1.0f);
    EXPECT_NEAR(oscillator.waveValue(shapeNamed("Ramp"), justAfter), -1.0f, 1e-6f);
}

TEST(EngineWaveShapes, EveryShapeStaysWithinUnitRange) {
    const SynthOscillator oscillator;
    for (int32_t shape = 0; shape < kWaveShapeCount; ++shape) {
        for (int i = 0; i < 4096; ++i) {
            const float value = oscillator.waveValue(shape, static_cast<float>(i) / 4096.0f);
            EXPECT_LE(std::fabs(value), 1.0f + 1e-6f) << kWaveShapeNames[shape] << " step " << i;
        }
    }
}

TEST(EngineWaveShapes, ShapeIndexClampsBothEnds) {
    EXPECT_EQ(waveShapeIndex(0.0f), 0);
    EXPECT_EQ(waveShapeIndex(-3.0f), 0);
    EXPECT_EQ(waveShapeIndex(1.0f), 13);
    EXPECT_EQ(waveShapeIndex(0.5f), 7);
    EXPECT_EQ(waveShapeIndex(std::nanf("")), 0);
    EXPECT_STREQ(kWaveShapeNames[13], "Noise3");
}

TEST(EngineWaveShapes, WidePrecisionHelpersRoundLikeExtendedPrecision) {
    // The sine and power helpers must give the x87-style wide result rounded once.
    for (int i = 0; i < 200000; ++i) {
        const float angle = static_cast<float>(i) * 0.00012566371f + 1e-7f * static_cast<float>(i % 7);
        ASSERT_EQ(extendedSin(angle), static_cast<float>(std::sin(static_cast<long double>(angle)))) << angle;
        const float exponent = static_cast<float>(i - 100000) * 0.00131f;
        ASSERT_EQ(extendedPow(kSemitoneRatio, exponent),
                  static_cast<float>(std::pow(static_cast<long double>(kSemitoneRatio),
                                              static_cast<long double>(exponent))))
            << exponent;
        const float cutoff = static_cast<float>(i - 50000) / 100000.0f;
        ASSERT_EQ(powerOf200(cutoff), static_cast<float>(std::pow(200.0L, static_cast<long double>(cutoff))))
            << cutoff;
    }
    for (float outside : {-30.0f, -1e-3f, 27.0f, 1000.0f}) {
        EXPECT_EQ(extendedSin(outside), static_cast<float>(std::sin(static_cast<double>(outside))));
        EXPECT_EQ(powerOf200(outside * 0.3f), extendedPow(200.0f, outside * 0.3f));
    }
}

// Every float of the fast ranges against the library (about a minute; run with
// --gtest_also_run_disabled_tests after touching the fast paths).
template <typename Fast, typename Reference>
int64_t countDifferences(float from, float to, Fast fast, Reference reference) {
    int64_t differences = 0;
    for (float x = from; x <= to; x = std::nextafter(x, to + 1.0f)) {
        if (fast(x) != reference(x)) ++differences;
    }
    return differences;
}

TEST(EngineWaveShapes, DISABLED_FastPathsMatchTheLibraryForEveryFloat) {
    const auto librarySin = [](float a) { return static_cast<float>(std::sin(static_cast<double>(a))); };
    const auto libraryPow = [](float c) { return extendedPow(200.0f, c); };
    EXPECT_EQ(countDifferences(0.0f, 26.0f, extendedSin, librarySin), 0);
    EXPECT_EQ(countDifferences(-4.0f, 2.0f, powerOf200, libraryPow), 0);
}

// ---- Noise tables --------------------------------------------------------------------

TEST(EngineNoise, TablesFollowTheRandomSequence) {
    std::srand(4711);
    int draws[kNoiseTableSize];
    for (int& draw : draws) draw = std::rand() % 32768;  // 15 bits per draw
    std::srand(4711);
    const SynthOscillator oscillator;
    for (int i = 0; i < kNoiseTableSize; ++i) {
        EXPECT_EQ(oscillator.noise0[i], static_cast<float>(draws[i] - 16383) / 16384.0f) << i;
    }
    // The telegraph table flips after every sample whose noise exceeds 0.7.
    float sign = -1.0f;
    for (int i = 0; i < kNoiseTableSize; ++i) {
        EXPECT_EQ(oscillator.noise1[i], sign) << i;
        if (draws[i] - 16383 > 0.7 * 16384) sign = -sign;
    }
    // The first segment of the line table runs from noise0[0] to noise0[5].
    for (int k = 0; k <= 5; ++k) {
        const double expected = oscillator.noise0[0] + (oscillator.noise0[5] - oscillator.noise0[0]) * k / 5.0;
        EXPECT_NEAR(oscillator.noise2[k], expected, 1e-6) << k;
    }
}

TEST(EngineNoise, LineTableIsSegmentsOfOneToTwentyFiveSamples) {
    const SynthOscillator oscillator;
    // Corners are where the slope changes; between corners the table is straight.
    int lastCorner = 0;
    for (int k = 1; k + 1 < kNoiseTableSize; ++k) {
        const double before = oscillator.noise2[k] - oscillator.noise2[k - 1];
        const double after = oscillator.noise2[k + 1] - oscillator.noise2[k];
        if (std::fabs(after - before) > 1e-4) {
            EXPECT_LE(k - lastCorner, 25) << k;
            EXPECT_EQ(oscillator.noise2[k], oscillator.noise0[k]) << "corners sit on noise0, " << k;
            lastCorner = k;
        }
    }
}

// ---- Envelopes -----------------------------------------------------------------------

struct EnvelopeCase {
    const char* name;
    int32_t attack, decay, release;
    float sustain;
    int64_t releaseDelay;  // note-off delay from the trigger; -1 for none
    struct { int64_t time; float level; } checks[6];
};

// Levels derived by hand from the stage rules: attack steps 1/attack, decay steps
// (sustain - 1)/(decay + 1) after the first, release steps sustain/(release + 1).
const EnvelopeCase kEnvelopeCases[] = {
    {"attack 0 decay 1", 0, 1, 10, 0.5f, -1, {{0, 1.0f}, {1, 0.5f}, {2, 0.5f}, {500, 0.5f}, {501, 0.5f}, {502, 0.5f}}},
    // After an attack the decay steps by (sustain - 1)/(decay + 1): two steps for decay 1.
    {"attack 4 decay 1", 4, 1, 10, 0.25f, -1, {{0, 0.0f}, {1, 0.25f}, {3, 0.75f}, {4, 1.0f}, {5, 0.625f}, {6, 0.25f}}},
    // Straight from the trigger the decay steps by (sustain - 1)/decay.
    {"decay 3", 0, 3, 10, 0.2f, -1, {{0, 1.0f}, {1, 1.0f - 0.8f / 3.0f}, {2, 1.0f - 1.6f / 3.0f}, {4, 0.2f}, {5, 0.2f}, {6, 0.2f}}},
    // Released during the attack: attack and decay complete, then the release runs
    // from the sustain level and stops exactly `release` samples after it began.
    {"note-off in attack", 4, 1, 3, 0.4f, 1, {{5, 0.7f}, {6, 0.4f}, {7, 0.4f}, {8, 0.3f}, {9, 0.2f}, {10, 0.0f}}},
};

TEST(EngineEnvelope, StageTimingToTheSample) {
    for (const EnvelopeCase& c : kEnvelopeCases) {
        SynthEnvelope envelope;
        envelope.configure(c.attack, c.decay, c.sustain, c.release);
        envelope.trigger(0, 0);
        if (c.releaseDelay >= 0) envelope.release(c.releaseDelay);
        int next = 0;
        for (int64_t now = 0; now <= c.checks[5].time; ++now) {
            const float level = envelope.evaluate(now);
            if (now == c.checks[next].time) {
                EXPECT_NEAR(level, c.checks[next].level, kLevelTolerance) << c.name << " at " << now;
                ++next;
            }
        }
    }
}

TEST(EngineEnvelope, AttackOfHundredReachesTheTopAfterHundredSteps) {
    SynthEnvelope envelope;
    envelope.configure(100, 50, 0.5f, 10);
    envelope.trigger(0, 0);
    EXPECT_EQ(envelope.evaluate(0), 0.0f);
    // Count the float steps of 1/100 needed to reach 1.0: 100, or 101 if the sum falls short.
    float sum = 0.0f;
    int steps = 0;
    while (sum < 1.0f) {
        sum += 1.0f / 100.0f;
        ++steps;
    }
    ASSERT_TRUE(steps == 100 || steps == 101);
    for (int64_t now = 1; now < steps; ++now) {
        EXPECT_NEAR(envelope.evaluate(now), 0.01f * now, 1e-5f);
        EXPECT_EQ(envelope.stage, SynthEnvelope::kAttack);
    }
    EXPECT_EQ(envelope.evaluate(steps), 1.0f);
    EXPECT_EQ(envelope.stage, SynthEnvelope::kDecay);
}

TEST(EngineEnvelope, DelayedStartIsSilentUntilItsTime) {
    SynthEnvelope envelope;
    envelope.configure(0, 1, 0.5f, 10);
    envelope.trigger(100, 7);
    for (int64_t now = 100; now < 107; ++now) EXPECT_EQ(envelope.evaluate(now), 0.0f);
    // Steps count from the start, so a delayed start matches an undelayed one: full level
    // at the start time, the sustain level a sample later.
    EXPECT_EQ(envelope.evaluate(107), 1.0f);
    EXPECT_EQ(envelope.evaluate(108), 0.5f);
}

TEST(EngineEnvelope, CatchUpTakesOneStepPerMissedSample) {
    SynthEnvelope everySample;
    SynthEnvelope now_and_then;
    for (SynthEnvelope* envelope : {&everySample, &now_and_then}) {
        envelope->configure(300, 200, 0.3f, 400);
        envelope->trigger(0, 0);
        envelope->release(700);
    }
    // Sparse through attack, decay and sustain, every sample around the release
    // instant (the release test looks at the latest time only), sparse in the release.
    for (int64_t now = 0; now < 1500; ++now) {
        const float expected = everySample.evaluate(now);
        const bool aroundRelease = now >= 680 && now <= 800;
        if (aroundRelease || now % 97 == 0) {
            EXPECT_EQ(now_and_then.evaluate(now), expected) << now;
        }
    }
}

TEST(EngineEnvelope, SustainChangeReachesAHeldVoiceAtOnce) {
    SynthEnvelope envelope;
    envelope.configure(0, 1, 0.5f, 10);
    envelope.trigger(0, 0);
    envelope.evaluate(0);
    envelope.evaluate(1);
    envelope.setSustain(0.8f);
    EXPECT_EQ(envelope.evaluate(2), 0.8f);
}

TEST(EngineEnvelope, LongCatchUpInReleaseKeepsTheSteppedLevel) {
    // A release of two billion samples steps by 2.5e-10, less than half a unit of 0.5:
    // stepping every sample leaves the level at 0.5, and so must a catch-up of 1.9e9.
    SynthEnvelope envelope;
    envelope.configure(0, 1, 0.5f, 2000000000);
    envelope.trigger(0, 0);
    envelope.release(0);
    envelope.evaluate(1);
    envelope.evaluate(2);
    ASSERT_EQ(envelope.stage, SynthEnvelope::kRelease);
    EXPECT_EQ(envelope.evaluate(1900000000), 0.5f);
}

// ---- Ladder filter -------------------------------------------------------------------

TEST(EngineFilter, CoefficientsAtTheEnds) {
    LadderFilter filter;
    filter.setup(1.0f, 0.0f);
    EXPECT_NEAR(filter.f, 1.16f, 1e-6f);
    EXPECT_EQ(filter.feedback, 0.0f);
    EXPECT_NEAR(filter.inputGain, 0.35013 * std::pow(1.16, 4), 1e-5);
    EXPECT_EQ(filter.outputGain, 1.0f);
    filter.setup(0.0f, 1.0f);
    EXPECT_NEAR(filter.f, 1.16f * 0.005f, 1e-8f);
    EXPECT_EQ(filter.outputGain, 3.0f);
    EXPECT_NEAR(filter.feedback, 4.0 * (1.0 - 0.15 * 0.0058 * 0.0058), 1e-6);
}

TEST(EngineFilter, DirectCurrentGainIsOneAtAnyCutoff) {
    // Each stage has gain 1.3/f at zero frequency, so the whole chain 1.3^4 * 0.35013.
    const double expectedGain = std::pow(1.3, 4) * 0.35013;
    for (float cutoff : {0.3f, 0.5f, 0.8f, 1.0f}) {
        LadderFilter filter;
        filter.setup(cutoff, 0.0f);
        float out = 0.0f;
        for (int i = 0; i < 40000; ++i) out = filter.process(0.5f);
        EXPECT_NEAR(out / 0.5f, expectedGain, 1e-4) << "cutoff " << cutoff;
    }
    EXPECT_NEAR(expectedGain, 1.00001, 1e-5);
}

TEST(EngineFilter, ResetClearsStateButKeepsSettings) {
    LadderFilter filter;
    filter.setup(0.4f, 0.7f);
    for (int i = 0; i < 100; ++i) filter.process(1.0f);
    const float f = filter.f;
    filter.reset();
    EXPECT_EQ(filter.y4, 0.0f);
    EXPECT_EQ(filter.x1, 0.0f);
    EXPECT_EQ(filter.f, f);
    EXPECT_EQ(filter.process(0.0f), 0.0f);
}

TEST(EngineFilter, HeldSettersIgnoreSmallChangesForAWhile) {
    LadderFilter filter;
    filter.setup(0.5f, 0.2f);
    filter.setCutoffHeld(0.55f);
    EXPECT_EQ(filter.cutoff, 0.5f);
    filter.setCutoffHeld(0.7f);  // beyond 0.105: applied
    EXPECT_EQ(filter.cutoff, 0.7f);
    for (int i = 0; i < 5001; ++i) filter.setResonanceHeld(0.25f);
    EXPECT_EQ(filter.resonance, 0.2f);
    filter.setResonanceHeld(0.25f);  // hold count exhausted
    EXPECT_EQ(filter.resonance, 0.25f);
}

TEST(EngineFilter, CutoffSetterDerivesCoefficientsOnAFreshFilter) {
    // The per-sample cutoff setter skips unchanged settings; a never-set-up filter
    // must still get its coefficients on the first call, even for the stored value.
    LadderFilter fresh;
    fresh.setCutoff(0.0f);
    EXPECT_NEAR(fresh.f, 1.16f * 0.005f, 1e-8f);
    EXPECT_NEAR(fresh.inputGain, 0.35013 * std::pow(1.16 * 0.005, 4), 1e-15);
    LadderFilter prepared;
    prepared.setup(0.25f, 0.5f);
    prepared.setCutoffHeld(0.26f);
    prepared.setCutoff(0.25f);
    EXPECT_EQ(prepared.cutoffHold, 0);
    LadderFilter reference;
    reference.setup(0.25f, 0.5f);
    for (int i = 0; i < 64; ++i) {
        prepared.setCutoff(0.25f);
        EXPECT_EQ(prepared.process(0.5f), reference.process(0.5f)) << i;
    }
}

// ---- Voices and portamento -----------------------------------------------------------

TEST(EngineVoices, SeventeenthNoteTakesVoiceZero) {
    PlainEngine engine;
    for (int key = 40; key < 56; ++key) engine.noteOn(key, static_cast<float>(key), 0.5f, 0);
    engine.renderSample(0.0f);
    EXPECT_EQ(engine.activeVoiceCount(), 16);
    engine.noteOn(80, 80.0f, 0.5f, 0);
    EXPECT_EQ(engine.voices[0].key, 80);
    EXPECT_EQ(engine.voices[1].key, 41);
    EXPECT_EQ(engine.oscillators[0].slots[0].phase, 0.0f);
}

TEST(EngineVoices, OneNoteOffReleasesEveryVoiceOfTheKey) {
    PlainEngine engine;
    engine.noteOn(60, 60.0f, 0.5f, 0);
    engine.noteOn(60, 60.0f, 0.5f, 0);
    engine.noteOn(62, 62.0f, 0.5f, 0);
    for (int i = 0; i < 10; ++i) engine.renderSample(0.0f);
    EXPECT_EQ(engine.activeVoiceCount(), 3);
    engine.noteOff(60, 0);
    for (int i = 0; i < 200; ++i) engine.renderSample(0.0f);
    EXPECT_EQ(engine.activeVoiceCount(), 1);
}

TEST(EngineVoices, NoteOffInTheSameBlockAfterADelayedNoteOn) {
    // Both events arrive before the block renders: the voice's start still lies ahead.
    PlainEngine engine;
    engine.noteOn(60, 60.0f, 0.5f, 10);
    engine.noteOff(60, 20);
    EXPECT_EQ(engine.glideCount, 1);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(engine.renderSample(0.0f), 0.0f);
    int sounding = 0;
    for (int i = 0; i < 1000; ++i) {
        engine.renderSample(0.0f);
        sounding += engine.activeVoiceCount();
    }
    EXPECT_EQ(engine.activeVoiceCount(), 0);
    // Sounds at clocks 10..120 (release begins at 21, lasts 100), counted from 11.
    EXPECT_EQ(sounding, 110);
}

TEST(EngineVoices, UnmatchedNoteOffLeavesTheGlideList) {
    PlainEngine engine;
    engine.noteOn(60, 60.0f, 0.5f, 0);
    engine.renderSample(0.0f);
    engine.noteOff(60, 0);
    ASSERT_EQ(engine.glideCount, 1);
    const int64_t glideTime = engine.glideTime;
    engine.renderSample(0.0f);
    engine.noteOff(72, 5);
    EXPECT_EQ(engine.glideCount, 1);
    EXPECT_EQ(engine.glideSources[0], 60.0f);
    EXPECT_EQ(engine.glideTime, glideTime);
}

// Increment of a note at 44.1 kHz with no offsets, from the single-precision base.
float incrementOf(float pitch) {
    return static_cast<float>(std::pow(static_cast<double>(kSemitoneRatio), pitch) * kNoteZeroHz / 44100.0);
}

TEST(EnginePortamento, NoGlideWithoutAReleasedNote) {
    PlainEngine engine;
    engine.portaOn = true;
    engine.noteOn(64, 64.0f, 0.5f, 0);
    const OscVoiceSlot& slot = engine.oscillators[0].slots[0];
    EXPECT_EQ(slot.increment, slot.targetIncrement);
}

TEST(EnginePortamento, GlidesFromTheNearestNoteOfTheLastReleasedChord) {
    PlainEngine engine;
    engine.portaOn = true;
    engine.portaCoef = 0.01f;
    engine.noteOn(60, 60.0f, 0.5f, 0);
    engine.renderSample(0.0f);
    engine.noteOff(60, 0);
    engine.noteOn(64, 64.0f, 0.5f, 0);  // voice 0 is still releasing: voice 1
    ASSERT_EQ(engine.voices[1].key, 64);
    const OscVoiceSlot& fromC = engine.oscillators[0].slots[1];
    EXPECT_NEAR(fromC.increment, incrementOf(60.0f), 1e-6f * incrementOf(60.0f));
    EXPECT_NEAR(fromC.targetIncrement, incrementOf(64.0f), 1e-6f * incrementOf(64.0f));

    // Release a C-E-G chord at one instant, then play F: the glide starts at E.
    for (int key : {60, 64, 67}) engine.noteOn(key, static_cast<float>(key), 0.5f, 0);
    engine.renderSample(0.0f);
    for (int key : {60, 64, 67}) engine.noteOff(key, 3);
    EXPECT_EQ(engine.glideCount, 3);
    for (int i = 0; i < 2000; ++i) engine.renderSample(0.0f);
    engine.noteOn(65, 65.0f, 0.5f, 0);
    int fVoice = -1;
    for (int v = 0; v < kSynthVoiceCount; ++v) {
        if (engine.voices[v].key == 65) fVoice = v;
    }
    ASSERT_GE(fVoice, 0);
    OscVoiceSlot& slot = engine.oscillators[0].slots[fVoice];
    EXPECT_NEAR(slot.increment, incrementOf(64.0f), 1e-6f * incrementOf(64.0f));
    // Each sample closes the same fraction of the remaining difference.
    const float gap = slot.targetIncrement - slot.increment;
    engine.renderSample(0.0f);
    EXPECT_NEAR(slot.targetIncrement - slot.increment, gap * 0.99f, std::fabs(gap) * 1e-4f);
    for (int i = 0; i < 3000; ++i) engine.renderSample(0.0f);
    EXPECT_NEAR(slot.increment, slot.targetIncrement, std::fabs(gap) * 1e-3f);
}

TEST(EnginePortamento, GlideListCollectsOneInstantOnly) {
    PlainEngine engine;
    for (int key : {62, 66, 70}) engine.noteOn(key, static_cast<float>(key), 0.5f, 0);
    engine.renderSample(0.0f);
    engine.noteOff(62, 4);
    engine.noteOff(66, 4);
    EXPECT_EQ(engine.glideCount, 2);
    EXPECT_EQ(engine.glideSources[1], 66.0f);
    engine.noteOff(70, 9);  // a later instant starts the list again
    EXPECT_EQ(engine.glideCount, 1);
    EXPECT_EQ(engine.glideSources[0], 70.0f);
    EXPECT_EQ(engine.glideTime, engine.clock + 9);
}

TEST(EnginePortamento, EqualDistanceKeepsTheEarlierSource) {
    PlainEngine engine;
    engine.portaOn = true;
    for (int key : {62, 66}) engine.noteOn(key, static_cast<float>(key), 0.5f, 0);
    engine.renderSample(0.0f);
    engine.noteOff(62, 0);
    engine.noteOff(66, 0);
    for (int i = 0; i < 200; ++i) engine.renderSample(0.0f);
    engine.noteOn(64, 64.0f, 0.5f, 0);
    ASSERT_EQ(engine.voices[2].key, 64);  // the first never-used voice
    EXPECT_NEAR(engine.oscillators[0].slots[2].increment, incrementOf(62.0f), 1e-6f * incrementOf(62.0f));
}

// ---- Pitch ---------------------------------------------------------------------------

TEST(EnginePitch, NoteSixtyNineIsFourHundredForty) {
    PlainEngine engine;
    engine.noteOn(69, 69.0f, 0.5f, 0);
    const float hz = engine.oscillators[0].slots[0].increment * 44100.0f;
    EXPECT_NEAR(hz, 440.0f, 0.01f);
}

TEST(EnginePitch, OscPitchRetunesSoundingVoicesMasterPitchDoesNot) {
    PlainEngine engine;
    engine.noteOn(57, 57.0f, 0.5f, 0);
    engine.renderSample(0.0f);
    const float before = engine.oscillators[1].slots[0].increment;
    engine.setMasterPitch(12.0f);
    EXPECT_EQ(engine.oscillators[1].slots[0].increment, before);
    engine.setOscPitch(1, 12.0f);
    EXPECT_NEAR(engine.oscillators[1].slots[0].increment, 2.0f * before, 1e-6f * before);
    EXPECT_NEAR(engine.oscillators[1].slots[0].targetIncrement, 2.0f * before, 1e-6f * before);
    EXPECT_EQ(engine.oscillators[0].slots[0].increment, before);
    // A new note takes both the oscillator offset and the master pitch.
    engine.noteOn(57, 57.0f, 0.5f, 0);
    EXPECT_NEAR(engine.oscillators[1].slots[1].increment, 4.0f * before, 1e-5f * before);
}

TEST(EnginePitch, SampleRateOfZeroNeverReachesADivision) {
    PlainEngine engine;
    engine.setSampleRate(48000.0f);
    engine.setSampleRate(0.0f);
    engine.setSampleRate(-5.0f);
    engine.setSampleRate(std::nanf(""));
    EXPECT_EQ(engine.sampleRate, 48000);
    engine.sampleRate = 0;  // even when written directly
    engine.noteOn(69, 69.0f, 0.5f, 0);
    EXPECT_TRUE(std::isfinite(engine.oscillators[0].slots[0].increment));
    EXPECT_TRUE(std::isfinite(engine.renderSample(0.0f)));
}

// ---- Render --------------------------------------------------------------------------

TEST(EngineRender, SilentEngineIgnoresTheInput) {
    PlainEngine engine;
    for (float input : {0.0f, 1.0f, -0.7f, 1e6f}) EXPECT_EQ(engine.renderSample(input), 0.0f);
    EXPECT_EQ(engine.clock, 4);
}

TEST(EngineRender, MultiplyModeRingModulatesTheInput) {
    PlainEngine engine;
    engine.oscillators[0].multiply = true;
    engine.oscillators[0].shape = shapeNamed("Square");
    engine.noteOn(60, 60.0f, 0.5f, 0);
    engine.renderSample(0.25f);  // amplitude 1.0 at the start, then sustain 0.5
    for (int i = 0; i < 400; ++i) {
        const float phase = engine.oscillators[0].slots[0].phase;
        const float square = phase < 0.5f ? 1.0f : -1.0f;
        const float input = 0.1f + 0.001f * static_cast<float>(i);
        EXPECT_EQ(engine.renderSample(input), input * square * 0.5f * 0.5f) << i;
    }
}

TEST(EngineRender, OscillatorsAtOnePitchEachReadTheirOwnNoise) {
    // Oscillators 1 and 3 at one pitch meet the same phases; pure shapes may share a
    // value, but each noise shape must still read its own oscillator's table.
    for (const char* shape : {"Noise", "Noise3", "Sin124"}) {
        PlainEngine engine;
        engine.oscillators[0].shape = shapeNamed(shape);
        engine.oscillators[2].shape = shapeNamed(shape);
        engine.oscillators[2].level = 1.0f;
        engine.noteOn(60, 60.0f, 0.5f, 0);
        engine.renderSample(0.0f);
        for (int i = 0; i < 300; ++i) {
            const float phase = engine.oscillators[0].slots[0].phase;
            ASSERT_EQ(phase, engine.oscillators[2].slots[0].phase);
            const float expected = (engine.oscillators[0].waveValue(engine.oscillators[0].shape, phase) +
                                    engine.oscillators[1].waveValue(0, engine.oscillators[1].slots[0].phase) * 0.0f +
                                    engine.oscillators[2].waveValue(engine.oscillators[2].shape, phase)) *
                                   0.5f * 0.5f;
            ASSERT_EQ(engine.renderSample(0.0f), expected) << shape << " sample " << i;
        }
    }
}

TEST(EngineRender, WithoutInputAMultiplyingFirstOscillatorIsSilent) {
    PlainEngine engine;
    engine.oscillators[0].multiply = true;
    engine.oscillators[1].level = 0.0f;
    engine.noteOn(60, 60.0f, 0.5f, 0);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(engine.renderSample(0.0f), 0.0f);
    EXPECT_EQ(engine.activeVoiceCount(), 1);
}

TEST(EngineRender, SustainZeroIsSilentButStillSounding) {
    PlainEngine engine;
    engine.setAmpSustain(0.0f);
    engine.noteOn(60, 60.0f, 0.5f, 0);
    engine.renderSample(0.0f);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(engine.renderSample(0.0f), 0.0f);
    EXPECT_EQ(engine.activeVoiceCount(), 1);
    engine.noteOff(60, 0);
    for (int i = 0; i < 101; ++i) engine.renderSample(0.0f);
    EXPECT_EQ(engine.activeVoiceCount(), 0);
}

TEST(EngineRender, ResetRestoresSettingsAndKeepsVoices) {
    PlainEngine engine;
    engine.sampleRate = 48000;
    engine.masterPitch = 5.0f;
    engine.portaOn = true;
    engine.oscillators[2].shape = 4;
    engine.oscillators[2].pitchOffset = 3.0f;
    engine.noteOn(60, 60.0f, 0.5f, 0);
    for (int i = 0; i < 50; ++i) engine.renderSample(0.0f);
    engine.noteOff(60, 0);
    engine.resetEngine();
    EXPECT_EQ(engine.clock, 0);
    EXPECT_EQ(engine.sampleRate, 44100);
    EXPECT_EQ(engine.masterPitch, 0.0f);
    EXPECT_FALSE(engine.portaOn);
    EXPECT_EQ(engine.ampAttack, 600);
    EXPECT_EQ(engine.ampSustain, 0.5f);
    EXPECT_EQ(engine.glideCount, 0);
    EXPECT_EQ(engine.glideTime, -1);
    EXPECT_EQ(engine.oscillators[2].shape, 0);
    EXPECT_EQ(engine.oscillators[2].level, 0.7f);
    EXPECT_EQ(engine.oscillators[2].pitchOffset, 3.0f);
    EXPECT_EQ(engine.voices[0].key, 60);
}

}  // namespace
