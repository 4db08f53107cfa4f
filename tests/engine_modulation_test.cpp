// Engine modulation: arpeggiator sequences and steps, LFO triangle, long-running clocks.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/synth_engine.h"
#include "engine/synth_lfo.h"

namespace {

constexpr float kFactorTolerance = 1e-5f;  // relative, against exact powers of two
constexpr float kLfoTolerance = 1e-5f;

// Parameter value that selects entry `index` of a choice of `count`.
float choiceValue(int index, int count) {
    return (static_cast<float>(index) + 0.5f) / static_cast<float>(count);
}

int semitonesOf(float factor) {
    return static_cast<int>(std::lround(12.0 * std::log2(static_cast<double>(factor))));
}

int chordNamed(const char* name) {
    for (int i = 0; i < kChordCount; ++i) {
        if (std::string(kChordTable[i].name) == name) return i;
    }
    return -1;
}

// ---- Arpeggiator ---------------------------------------------------------------------

struct ArpSequence {
    ArpType type;
    std::vector<int> offsets;
};

// "major", range 1: Up 0 4 7 | UpDown 0 4 7 4 | UD-Pa 0 4 7 11 4 0 | Down mirrored.
const ArpSequence kMajorSequences[] = {
    {kArpUp, {0, 4, 7, 0, 4, 7, 0}},
    {kArpUpDown, {0, 4, 7, 4, 0, 4, 7, 4}},
    {kArpUpDownPause, {0, 4, 7, 11, 4, 0, 0, 4, 7}},
    {kArpDown, {0, -4, -7, 0, -4, -7}},
    {kArpDownUp, {0, -4, -7, -4, 0, -4}},
    {kArpDownUpPause, {0, -4, -7, -11, -4, 0, 0, -4}},
};

TEST(EngineArpeggiator, SequencesOnMajor) {
    for (const ArpSequence& sequence : kMajorSequences) {
        SynthArpeggiator arp;
        arp.setArpChord(choiceValue(chordNamed("major"), kChordCount));
        arp.setArpRange(0.0f);
        arp.setArpTime(choiceValue(4, kArpTimeCount), 2000.0f);  // half a beat: 1000 samples
        arp.setArpType(choiceValue(sequence.type, kArpTypeCount));
        ASSERT_EQ(arp.stepLength, 1000.0f);
        for (size_t step = 0; step < sequence.offsets.size(); ++step) {
            const float factor = arp.arpPitchFactor(static_cast<int64_t>(step) * 1000);
            EXPECT_EQ(semitonesOf(factor), sequence.offsets[step])
                << kArpTypeNames[sequence.type] << " step " << step;
        }
    }
}

TEST(EngineArpeggiator, RangeFourOctavesAtExactSteps) {
    // 120 BPM at 48 kHz, an eighth of a beat: 3000 samples per step.
    SynthEngine engine;
    engine.sampleRate = 48000;
    engine.ampAttack = 0;
    engine.ampDecay = 1;
    engine.setAmpSustain(0.5f);
    engine.setArpChord(choiceValue(chordNamed("none"), kChordCount));
    engine.setArpRange(1.0f);
    engine.setArpTime(0.0f, 60.0f / 120.0f * 48000.0f);
    engine.setArpType(choiceValue(kArpUp, kArpTypeCount));
    ASSERT_EQ(engine.arpeggiator.stepLength, 3000.0f);
    ASSERT_EQ(engine.arpeggiator.range, 4);
    engine.noteOn(48, 48.0f, 0.5f, 0);
    for (int t = 0; t < 2 * 5 * 3000; ++t) {
        engine.renderSample(0.0f);
        const double octaves = (t / 3000) % 5;
        ASSERT_NEAR(engine.arpeggiator.factor, std::exp2(octaves), kFactorTolerance * std::exp2(octaves))
            << "t " << t;
    }
}

TEST(EngineArpeggiator, FractionalStepIsHeardOneBoundaryLate) {
    // Arp-Time 1.0 at 120 BPM and 44.1 kHz: 2.666 beats of 22050 samples = 58785.3.
    SynthArpeggiator arp;
    arp.setArpChord(choiceValue(chordNamed("none"), kChordCount));
    arp.setArpRange(1.0f);
    arp.setArpTime(1.0f, 60.0f / 120.0f * 44100.0f);
    arp.setArpType(choiceValue(kArpUp, kArpTypeCount));
    EXPECT_NEAR(arp.stepLength, 58785.3f, 0.01f);
    EXPECT_EQ(semitonesOf(arp.arpPitchFactor(0)), 0);
    EXPECT_EQ(semitonesOf(arp.arpPitchFactor(58785)), 0);    // still step 0
    EXPECT_EQ(semitonesOf(arp.arpPitchFactor(58786)), 0);    // not a boundary
    EXPECT_EQ(semitonesOf(arp.arpPitchFactor(117569)), 0);   // not a boundary
    EXPECT_EQ(semitonesOf(arp.arpPitchFactor(117570)), 12);  // step 1
    EXPECT_EQ(semitonesOf(arp.arpPitchFactor(176355)), 24);  // step 2 (176355 / 58785.3 = 2.99998)
}

TEST(EngineArpeggiator, StepLengthStaysAtLeastOneSample) {
    SynthArpeggiator arp;
    arp.setArpType(choiceValue(kArpUp, kArpTypeCount));
    arp.setArpTime(0.0f, 1e-12f);
    EXPECT_EQ(arp.stepLength, 1.0f);
    arp.setArpTime(0.0f, 0.0f);
    EXPECT_EQ(arp.stepLength, 1.0f);
    arp.setArpTime(0.0f, -400.0f);
    EXPECT_EQ(arp.stepLength, 1.0f);
    arp.setArpTime(0.0f, 8000.0f);
    EXPECT_EQ(arp.stepLength, 1000.0f);
    arp.setArpTime(0.0f, std::nanf(""));
    EXPECT_EQ(arp.stepLength, 1000.0f);
    arp.setArpTime(0.0f, INFINITY);
    EXPECT_TRUE(std::isfinite(arp.stepLength));
    EXPECT_GE(arp.stepLength, 1.0f);
    for (int64_t t = 0; t < 100; ++t) EXPECT_TRUE(std::isfinite(arp.arpPitchFactor(t)));
}

TEST(EngineArpeggiator, ChordChangeIsHeardAtOnce) {
    SynthArpeggiator arp;
    arp.setArpChord(choiceValue(chordNamed("major"), kChordCount));
    arp.setArpTime(choiceValue(4, kArpTimeCount), 2000.0f);
    arp.setArpType(choiceValue(kArpUp, kArpTypeCount));
    EXPECT_EQ(semitonesOf(arp.arpPitchFactor(1000)), 4);
    arp.setArpChord(choiceValue(chordNamed("minor"), kChordCount));
    EXPECT_EQ(semitonesOf(arp.factor), 3);
}

TEST(EngineArpeggiator, OffLeavesPitchAlone) {
    SynthArpeggiator arp;
    arp.setArpType(0.0f);
    EXPECT_EQ(arp.arpPitchFactor(0), 1.0f);
    EXPECT_FALSE(arp.armed);
}

TEST(EngineArpeggiator, ChoiceMappingsAndTables) {
    SynthArpeggiator arp;
    arp.setArpRange(1.0f);
    EXPECT_EQ(arp.range, 4);
    arp.setArpRange(0.0f);
    EXPECT_EQ(arp.range, 1);
    arp.setArpType(1.0f);
    EXPECT_EQ(arp.type, kArpDownUpPause);
    arp.setArpChord(1.0f);
    EXPECT_EQ(arp.chord, 37);
    EXPECT_STREQ(kChordTable[37].name, "m13M");
    EXPECT_STREQ(kArpTypeNames[kArpDownUpPause], "DU-Pa");
    EXPECT_EQ(kArpTimeFactors[9], 2.666f);
    for (const ChordDef& chordDef : kChordTable) {
        EXPECT_GE(chordDef.count, 2) << chordDef.name;
        EXPECT_EQ(chordDef.intervals[0], 0) << chordDef.name;
        for (int i = 1; i < chordDef.count; ++i) EXPECT_GT(chordDef.intervals[i], chordDef.intervals[i - 1]);
    }
}

// ---- LFO -----------------------------------------------------------------------------

TEST(EngineLfo, TriangleHitsBothEndsEveryFiftySamples) {
    SynthLfo lfo;
    lfo.minValue = 0.2f;
    lfo.maxValue = 0.8f;
    lfo.setPeriod(100.0f);
    EXPECT_NEAR(lfo.valueAt(0), 0.2f, kLfoTolerance);
    EXPECT_NEAR(lfo.valueAt(25), 0.5f, kLfoTolerance);
    EXPECT_NEAR(lfo.valueAt(50), 0.8f, kLfoTolerance);
    EXPECT_NEAR(lfo.valueAt(75), 0.5f, kLfoTolerance);
    EXPECT_NEAR(lfo.valueAt(100), 0.2f, kLfoTolerance);
}

TEST(EngineLfo, PeriodChangeKeepsThePhase) {
    SynthLfo lfo;
    lfo.setPeriod(1000.0f);
    const float before = lfo.valueAt(12345);
    lfo.setPeriod(3000.0f);
    EXPECT_NEAR(lfo.valueAt(12345), before, 1e-4f);
    // and now runs three times slower
    EXPECT_NEAR(lfo.valueAt(12345 + 30) - before, (lfo.phase < 0.5f ? 1.0f : -1.0f) * 0.02f, 1e-4f);
}

TEST(EngineLfo, ReanchorContinuesFromTheNewValueInTheSameDirection) {
    for (int64_t counter : {int64_t{130}, int64_t{700}}) {  // rising, then falling half
        SynthLfo lfo;
        lfo.setPeriod(1000.0f);
        const float before = lfo.valueAt(counter);
        const bool rising = lfo.valueAt(counter + 1) > before;
        lfo.valueAt(counter);
        lfo.reanchor(0.3f);
        EXPECT_NEAR(lfo.valueAt(counter), 0.3f, 1e-4f) << counter;
        EXPECT_EQ(lfo.valueAt(counter + 1) > lfo.valueAt(counter), rising) << counter;
    }
    SynthLfo flat;
    flat.maxValue = flat.minValue;
    flat.valueAt(10);
    const float offset = flat.offset;
    flat.reanchor(0.5f);
    EXPECT_EQ(flat.offset, offset);
}

TEST(EngineLfo, SeveralReanchorsBetweenTicksEndAtTheLastValue) {
    // A drag in the editor can re-anchor many times before the next modulation tick.
    for (int64_t counter : {int64_t{130}, int64_t{700}}) {
        SynthLfo lfo;
        lfo.setPeriod(1000.0f);
        lfo.valueAt(counter);
        for (float value : {0.3f, 0.4f, 0.45f, 0.366f}) lfo.reanchor(value);
        EXPECT_NEAR(lfo.valueAt(counter), 0.366f, 1e-4f) << counter;
        // a period change after a re-anchor keeps the re-anchored position too
        lfo.reanchor(0.6f);
        lfo.setPeriod(2500.0f);
        EXPECT_NEAR(lfo.valueAt(counter), 0.6f, 1e-4f) << counter;
    }
}

TEST(EngineLfo, TriangleAfterDaysEqualsTheFirstSecond) {
    // A power-of-two period makes the rate exact: the triangle must repeat bit for bit.
    SynthLfo lfo;
    lfo.setPeriod(1024.0f);
    std::vector<float> firstCycles;
    for (int64_t k = 0; k < 2048; ++k) firstCycles.push_back(lfo.valueAt(k));
    const int64_t threeDays = INT64_C(44100) * 86400 * 3 / 1024 * 1024;
    for (int64_t base : {INT64_C(1) << 31, INT64_C(1) << 32, threeDays, INT64_C(1) << 45}) {
        for (int64_t k = 0; k < 2048; ++k) {
            ASSERT_EQ(lfo.valueAt(base + k), firstCycles[static_cast<size_t>(k)]) << base << " + " << k;
        }
    }
}

TEST(EngineLfo, TriangleStaysCleanAtLargeCounters) {
    // 8 beats at 120 BPM, 44.1 kHz: read every 50 samples as the plug-in does, the
    // value must change by the same amount each tick except where it turns.
    SynthLfo lfo;
    lfo.setPeriod(176400.0f);
    const float tickStep = 2.0f * 50.0f / 176400.0f;
    for (int64_t base : {INT64_C(0), (INT64_C(1) << 31) - 5000, INT64_C(44100) * 86400 * 2}) {
        float previous = lfo.valueAt(base);
        for (int64_t tick = 1; tick < 2000; ++tick) {
            const float value = lfo.valueAt(base + tick * 50);
            const float change = std::fabs(value - previous);
            const bool nearTurn = value < 2.0f * tickStep || value > 1.0f - 2.0f * tickStep;
            if (!nearTurn) {
                ASSERT_NEAR(change, tickStep, 2e-6f) << base << " tick " << tick;
            }
            previous = value;
        }
    }
}

TEST(EngineLfo, TargetTable) {
    EXPECT_EQ(kLfoTargets[8], 3);
    EXPECT_EQ(kLfoTargets[13], 3);
    EXPECT_EQ(kLfoTargets[27], 31);
    EXPECT_EQ(kLfoTargets[28], 36);
    EXPECT_EQ(kLfoTargets[54], 62);
    for (int aim = 0; aim < kLfoTargetCount; ++aim) {
        const int target = kLfoTargets[aim];
        const bool ownParameter = (target >= 27 && target <= 30) || (target >= 32 && target <= 35);
        EXPECT_FALSE(ownParameter) << aim;
        EXPECT_FALSE(target == 8 || target == 13) << aim;
    }
}

// ---- Long-running engine clock -------------------------------------------------------

TEST(EngineClock, HeldNoteStaysHeldPastEveryThirtyTwoBitLimit) {
    const int64_t starts[] = {999999000, 1999999000, (INT64_C(1) << 31) - 1000, (INT64_C(1) << 32) - 1000,
                              INT64_C(44100) * 86400 * 30};
    for (int64_t start : starts) {
        SynthEngine engine;
        engine.clock = start;
        engine.ampAttack = 10;
        engine.ampDecay = 10;
        engine.ampRelease = 50;
        engine.setAmpSustain(0.5f);
        engine.noteOn(60, 60.0f, 1.0f, 0);
        float peak = 0.0f;
        for (int i = 0; i < 3000; ++i) peak = std::fmax(peak, std::fabs(engine.renderSample(0.0f)));
        EXPECT_EQ(engine.activeVoiceCount(), 1) << start;
        EXPECT_EQ(engine.voices[0].ampEnvelope.stage, SynthEnvelope::kSustain) << start;
        EXPECT_GT(peak, 0.1f) << start;
        engine.noteOff(60, 0);
        for (int i = 0; i < 52; ++i) engine.renderSample(0.0f);
        EXPECT_EQ(engine.activeVoiceCount(), 0) << start;
    }
}

TEST(EngineClock, ResetRewindsTheClockAndEndedVoicesStayQuiet) {
    SynthEngine engine;
    engine.ampAttack = 0;
    engine.ampDecay = 1;
    engine.ampRelease = 20;
    engine.noteOn(60, 60.0f, 1.0f, 0);
    for (int i = 0; i < 10; ++i) engine.renderSample(0.0f);
    engine.noteOff(60, 0);
    for (int i = 0; i < 100; ++i) engine.renderSample(0.0f);
    ASSERT_EQ(engine.activeVoiceCount(), 0);
    engine.resetEngine();
    EXPECT_EQ(engine.clock, 0);
    // The voice's stamps now lie ahead of the rewound clock; it never steps backwards.
    for (int i = 0; i < 200; ++i) EXPECT_TRUE(std::isfinite(engine.renderSample(0.0f)));
    EXPECT_EQ(engine.activeVoiceCount(), 0);
}

}  // namespace
