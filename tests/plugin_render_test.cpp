// Block render: note timing, output modes, the LFO modulation tick, tempo changes and
// the floating-point mode around processing.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "plugin/denormal_guard.h"
#include "plugin/synth_plugin.h"
#include "tests/plugin_test_events.h"
#include "tests/recording_host.h"

namespace {

constexpr int kLfo1Switch = 26, kLfo1Period = 27, kLfo1Aim = 28, kLfo1Min = 29, kLfo1Max = 30;
constexpr int kCutoff = 53;
constexpr float kAimCutoff = 45.5f / 55.0f;  // LFO aim entry 45 is parameter 53

// Records when (on the plug-in sample clock) each parameter change arrives.
class RenderPlugin : public SynthPlugin {
public:
    RenderPlugin() : SynthPlugin(TestHost::callback) {}
    struct Change {
        int index;
        float value;
        int64_t clock;
    };
    void setParameter(VstInt32 index, float value) override {
        changes.push_back(Change{index, value, getSampleClock()});
        SynthPlugin::setParameter(index, value);
    }
    // Renders frames in blocks of blockSize; returns the left channel.
    std::vector<float> render(int frames, int blockSize = 256, bool replacing = true) {
        std::vector<float> left(frames, 0.0f), right(frames, 0.0f);
        for (int done = 0; done < frames; done += blockSize) {
            float* outputs[2] = {left.data() + done, right.data() + done};
            const int n = std::min(blockSize, frames - done);
            if (replacing)
                processReplacing(nullptr, outputs, n);
            else
                process(nullptr, outputs, n);
        }
        return left;
    }
    std::vector<Change> changes;
};

class PluginRender : public ::testing::Test {
protected:
    void SetUp() override {
        TestHost::instance().versionAnswer = 2400;
        TestHost::instance().tempoAnswer = 120 * 10000;
    }
    // One steady voice: a square on oscillator 1 alone, no filter, instant attack.
    static void makeSquareVoice(SynthPlugin& plugin) {
        plugin.setParameter(5, 5.5f / 14.0f);  // O1-Shape "Square"
        plugin.setParameter(8, 0.0f);           // Osc2 adds instead of multiplying
        plugin.setParameter(9, 0.0f);           // O2-Vol
        plugin.setParameter(14, 0.0f);          // O3-Vol
        plugin.setParameter(52, 0.0f);          // LPFilter off
        plugin.setParameter(18, 0.0f);          // Attack
    }
};

TEST_F(PluginRender, NoteStartsAtItsDeltaFrame) {
    // The envelope is zero at its first stamp and rises from the next sample.
    constexpr int kEnvelopeOnset = 1;
    for (int delta : {0, 1, 17, 100, 255}) {
        RenderPlugin plugin;
        makeSquareVoice(plugin);
        TestEventList list;
        plugin.processEvents(list.noteOn(69, 100, delta).events());
        std::vector<float> out = plugin.render(256, 256);
        int first = -1;
        for (int i = 0; i < 256 && first < 0; ++i)
            if (out[i] != 0.0f) first = i;
        EXPECT_GE(first, delta) << "silence before the note's frame";
        EXPECT_LE(first, delta + kEnvelopeOnset) << "sound from the note's frame";
    }
}

TEST_F(PluginRender, AddingEqualsReplacingPlusWhatWasThere) {
    RenderPlugin replacing, adding;
    for (RenderPlugin* p : {&replacing, &adding}) {
        makeSquareVoice(*p);
        p->setParameter(0, 0.3f);  // quiet enough that nothing clips
        TestEventList list;
        p->processEvents(list.noteOn(57, 60).events());
    }
    std::vector<float> a = replacing.render(512, 128, true);
    constexpr float kOffset = 0.125f;
    std::vector<float> left(512, kOffset), right(512, kOffset);
    for (int done = 0; done < 512; done += 128) {
        float* outputs[2] = {left.data() + done, right.data() + done};
        adding.process(nullptr, outputs, 128);
    }
    bool sounded = false;
    for (int i = 0; i < 512; ++i) {
        EXPECT_FLOAT_EQ(left[i], a[i] + kOffset) << i;
        sounded |= a[i] != 0.0f;
    }
    EXPECT_TRUE(sounded);
}

TEST_F(PluginRender, HostInputNeedsASoundingVoice) {
    RenderPlugin plugin;
    std::vector<float> input(64, 0.5f), left(64, 1.0f), right(64, 1.0f);
    float* inputs[1] = {input.data()};
    float* outputs[2] = {left.data(), right.data()};
    plugin.processReplacing(inputs, outputs, 64);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(left[i], 0.0f);
}

// LFO 1 on Cutoff. After construction both LFOs rest for one second (the program
// load sets their aims), so ticks that write start after 44100 samples.
void runLfoOnCutoff(RenderPlugin& plugin) {
    plugin.setParameter(kLfo1Aim, kAimCutoff);
    plugin.setParameter(kLfo1Switch, 1.0f);
    plugin.changes.clear();
}

std::vector<int64_t> tickClocks(const RenderPlugin& plugin) {
    std::vector<int64_t> clocks;
    for (const RenderPlugin::Change& c : plugin.changes)
        if (c.index == kCutoff) clocks.push_back(c.clock);
    return clocks;
}

TEST_F(PluginRender, LfoTicksEvery50SamplesWhateverTheBlockSize) {
    constexpr int kFrames = 44100 + 1000;
    std::vector<int64_t> reference;
    for (int blockSize : {1, 37, 50, 64, 1000, 4096}) {
        RenderPlugin plugin;
        runLfoOnCutoff(plugin);
        plugin.render(kFrames, blockSize);
        std::vector<int64_t> clocks = tickClocks(plugin);
        ASSERT_FALSE(clocks.empty()) << blockSize;
        for (int64_t c : clocks) {
            EXPECT_EQ(c % 50, 0) << "block size " << blockSize;
            EXPECT_GT(c, 44100) << "resting after the aim was set";
        }
        EXPECT_EQ(clocks.front(), 44150);
        if (reference.empty()) reference = clocks;
        EXPECT_EQ(clocks, reference) << "block size " << blockSize;
    }
}

TEST_F(PluginRender, LfoWritesATriangleBetweenItsBounds) {
    RenderPlugin plugin;
    plugin.setParameter(kLfo1Min, 0.2f);
    plugin.setParameter(kLfo1Max, 0.8f);
    plugin.setParameter(kLfo1Period, 0.0f);  // an eighth of a beat: 2756.25 samples at 120 BPM
    runLfoOnCutoff(plugin);
    plugin.render(44100 + 3000, 512);
    float low = 1.0f, high = 0.0f;
    for (const RenderPlugin::Change& c : plugin.changes) {
        low = std::min(low, c.value);
        high = std::max(high, c.value);
    }
    const float kStepTolerance = 0.6f * 50.0f * 2.0f / 2756.25f;  // one tick of travel
    EXPECT_NEAR(low, 0.2f, kStepTolerance);
    EXPECT_NEAR(high, 0.8f, kStepTolerance);
    EXPECT_GE(low, 0.2f - 1e-6f);
    EXPECT_LE(high, 0.8f + 1e-6f);
}

TEST_F(PluginRender, AimChangeRestsTheLfoForOneSecond) {
    RenderPlugin plugin;
    runLfoOnCutoff(plugin);
    plugin.render(50000, 1000);
    ASSERT_FALSE(tickClocks(plugin).empty());
    plugin.setParameter(kLfo1Aim, kAimCutoff);
    const int64_t aimedAt = plugin.getSampleClock();
    plugin.changes.clear();
    plugin.render(50000, 1000);
    std::vector<int64_t> clocks = tickClocks(plugin);
    ASSERT_FALSE(clocks.empty());
    EXPECT_GT(clocks.front(), aimedAt + 44100);
    EXPECT_LE(clocks.front(), aimedAt + 44100 + 50);
}

TEST_F(PluginRender, EditorMoveReanchorsTheLfo) {
    RenderPlugin plugin;
    plugin.setParameter(kLfo1Period, 0.3f);
    runLfoOnCutoff(plugin);
    plugin.render(46000, 500);
    plugin.setParameterFromEditor(kCutoff, 0.3f);
    plugin.changes.clear();
    plugin.render(100, 100);
    std::vector<float> written;
    for (const RenderPlugin::Change& c : plugin.changes)
        if (c.index == kCutoff) written.push_back(c.value);
    ASSERT_FALSE(written.empty());
    const float period = plugin.getLfo(0).period;
    const float kOneTick = 2.0f * 50.0f / period + 1e-4f;  // travel of a full-range LFO per tick
    EXPECT_NEAR(written.front(), 0.3f, 2.0f * kOneTick) << "carries on from the user's value";
}

TEST_F(PluginRender, ResumeReanchorsOnTheTargetsValue) {
    RenderPlugin plugin;
    plugin.setParameter(kLfo1Period, 0.3f);
    runLfoOnCutoff(plugin);
    plugin.render(46000, 500);
    plugin.suspend();
    plugin.SynthPlugin::setParameter(kCutoff, 0.9f);  // a host change while suspended
    plugin.dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
    plugin.changes.clear();
    plugin.render(100, 100);
    ASSERT_FALSE(tickClocks(plugin).empty());
    const float kOneTick = 2.0f * 50.0f / plugin.getLfo(0).period + 1e-4f;
    EXPECT_NEAR(plugin.changes.front().value, 0.9f, 2.0f * kOneTick);
}

TEST_F(PluginRender, TempoChangeRetimesLfosAndArpeggiator) {
    RenderPlugin plugin;
    plugin.setParameter(kLfo1Period, 0.5f);
    EXPECT_FLOAT_EQ(plugin.getLfo(0).period, 176400.0f) << "8 beats of 22050 samples";
    EXPECT_FLOAT_EQ(plugin.getEngine().arpeggiator.stepLength, 0.666f * 22050.0f);
    TestHost::instance().tempoAnswer = 60 * 10000;
    plugin.render(16, 16);
    EXPECT_FLOAT_EQ(plugin.getHostTempo(), 60.0f);
    EXPECT_FLOAT_EQ(plugin.getLfo(0).period, 352800.0f);
    EXPECT_FLOAT_EQ(plugin.getEngine().arpeggiator.stepLength, 0.666f * 44100.0f);
}

TEST_F(PluginRender, SampleRateChangeKeepsLfosAndArpeggiatorOnTheBeat) {
    RenderPlugin plugin;
    plugin.setParameter(kLfo1Period, 0.5f);
    plugin.dispatcher(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_FLOAT_EQ(plugin.getLfo(0).period, 8.0f * 24000.0f) << "8 beats at 120 BPM, 48 kHz";
    EXPECT_FLOAT_EQ(plugin.getEngine().arpeggiator.stepLength, 0.666f * 24000.0f);
    plugin.render(16, 16);  // the tempo is unchanged: nothing moves again
    EXPECT_FLOAT_EQ(plugin.getLfo(0).period, 192000.0f);
}

TEST_F(PluginRender, HostTempoIsTheNearestFloatToTheAnswerTimesOneTenThousandth) {
    for (VstIntPtr answer : {(VstIntPtr)400003, (VstIntPtr)1234567, (VstIntPtr)1200000}) {
        TestHost::instance().tempoAnswer = answer;
        RenderPlugin plugin;
        plugin.render(16, 16);
        EXPECT_EQ(plugin.getHostTempo(), static_cast<float>(static_cast<long double>(answer) / 10000.0L)) << answer;
    }
}

TEST_F(PluginRender, OutOfRangeHostValuesNeverSendNaNToTheHost) {
    RenderPlugin plugin;
    plugin.setParameter(53, 1.3f);  // Cutoff above its range makes the ladder unstable
    plugin.setParameter(54, 1.0f);
    plugin.setParameter(55, 0.0f);
    TestEventList list;
    plugin.processEvents(list.noteOn(60, 127).noteOn(64, 127).events());
    for (bool replacing : {true, false}) {
        const std::vector<float> left = plugin.render(44100, 512, replacing);
        for (float sample : left) ASSERT_TRUE(std::isfinite(sample));
    }
}

TEST_F(PluginRender, UnusableTempoKeepsLengthsFinite) {
    for (VstIntPtr answer : {(VstIntPtr)0, (VstIntPtr)-5000000}) {
        TestHost::instance().tempoAnswer = answer;
        RenderPlugin plugin;
        plugin.render(64, 64);
        const float beat = 60.0f / 140.0f * 44100.0f;
        EXPECT_FLOAT_EQ(plugin.getLfo(0).period, 8.0f * beat) << answer;
        EXPECT_FLOAT_EQ(plugin.getEngine().arpeggiator.stepLength, 0.666f * beat) << answer;
    }
}

TEST_F(PluginRender, SampleRateReachesTheEngineOnlyThroughItsOwnRequest) {
    RenderPlugin plugin;
    plugin.dispatcher(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(plugin.getSampleRate(), 48000.0f);
    EXPECT_EQ(plugin.getEngine().sampleRate, 48000);
    plugin.dispatcher(effSetBlockSizeAndSampleRate, 0, 512, nullptr, 96000.0f);
    EXPECT_EQ(plugin.getSampleRate(), 96000.0f);
    EXPECT_EQ(plugin.getEngine().sampleRate, 48000);
    plugin.dispatcher(effSetSampleRate, 0, 0, nullptr, -1.0f);
    EXPECT_EQ(plugin.getEngine().sampleRate, 48000);
}

TEST_F(PluginRender, ParameterEffectsReachTheEngine) {
    RenderPlugin plugin;
    plugin.setParameter(2, 0.0f);
    EXPECT_EQ(plugin.getEngine().masterPitch, -24.0f);
    plugin.setParameter(19, 0.0f);
    EXPECT_EQ(plugin.getEngine().ampDecay, 1);
    plugin.setParameter(21, 0.0f);
    EXPECT_EQ(plugin.getEngine().ampRelease, 10);
    plugin.setParameter(21, 1.0f);
    EXPECT_EQ(plugin.getEngine().ampRelease, 160010);
    plugin.setParameter(8, 0.5f);
    EXPECT_FALSE(plugin.getEngine().oscillators[1].multiply) << "exactly 0.5 stays off";
    plugin.setParameter(8, 0.51f);
    EXPECT_TRUE(plugin.getEngine().oscillators[1].multiply);
    plugin.setParameter(52, 0.5f);
    EXPECT_TRUE(plugin.getEngine().filterOn) << "exactly 0.5 is on";
    plugin.setParameter(15, 1.0f);
    EXPECT_EQ(plugin.getEngine().oscillators[2].shape, 13);
    plugin.setParameter(61, 1.0f);
    EXPECT_EQ(plugin.getEngine().portaCoef, 0.00001f);
    plugin.setParameter(61, 0.0f);
    EXPECT_NEAR(plugin.getEngine().portaCoef, std::pow(0.32, 5.0), 1e-9);
    plugin.setParameter(4, 0.25f);
    EXPECT_EQ(plugin.getEngine().oscillators[0].level, 0.25f);
    plugin.setParameter(11, 0.75f);
    plugin.setParameter(12, 1.0f);
    EXPECT_FLOAT_EQ(plugin.getEngine().oscillators[1].pitchOffset, 13.0f);
}

#ifdef ZELVIK_HAS_MXCSR
// Reads the floating-point mode the render runs in.
class ModePlugin : public SynthPlugin {
public:
    ModePlugin() : SynthPlugin(TestHost::callback) {}
    void renderBlock(const float* input, float** outputs, VstInt32 frames, bool replacing) override {
        modeInside = _mm_getcsr();
        SynthPlugin::renderBlock(input, outputs, frames, replacing);
    }
    unsigned modeInside = 0;
};

TEST_F(PluginRender, DenormalsAreFlushedWhileProcessingOnly) {
    ModePlugin plugin;
    const unsigned callerMode = _mm_getcsr() & ~(DenormalGuard::kFlushToZero | DenormalGuard::kDenormalsAreZero);
    _mm_setcsr(callerMode);
    float left[8], right[8];
    float* outputs[2] = {left, right};
    plugin.processReplacing(nullptr, outputs, 8);
    EXPECT_EQ(_mm_getcsr(), callerMode) << "the host's mode is restored";
    EXPECT_EQ(plugin.modeInside & DenormalGuard::kFlushToZero, DenormalGuard::kFlushToZero);
    EXPECT_EQ(plugin.modeInside & DenormalGuard::kDenormalsAreZero, DenormalGuard::kDenormalsAreZero);
    plugin.process(nullptr, outputs, 8);
    EXPECT_EQ(_mm_getcsr(), callerMode);
    EXPECT_EQ(plugin.modeInside & DenormalGuard::kFlushToZero, DenormalGuard::kFlushToZero);
}
#endif

}  // namespace
