// MIDI intake: notes to the engine, event modulators, controller 126, damaged lists.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "plugin/synth_plugin.h"
#include "tests/plugin_test_events.h"
#include "tests/recording_host.h"

namespace {

// Remembers every parameter change that reaches the virtual setParameter.
class MidiPlugin : public SynthPlugin {
public:
    MidiPlugin() : SynthPlugin(TestHost::callback) {}
    void setParameter(VstInt32 index, float value) override {
        changes.emplace_back(index, value);
        SynthPlugin::setParameter(index, value);
    }
    // The voice playing key, or null.
    const SynthVoice* voiceFor(int key) const {
        const SynthEngine& engine = getEngine();
        for (const SynthVoice& voice : engine.voices)
            if (voice.key == key && voice.ampEnvelope.end > voice.ampEnvelope.start) return &voice;
        return nullptr;
    }
    int voicesWithKey(int key) const {
        int n = 0;
        for (const SynthVoice& voice : getEngine().voices)
            n += voice.key == key && voice.ampEnvelope.end > voice.ampEnvelope.start;
        return n;
    }
    void render(int frames) {
        std::vector<float> left(frames), right(frames);
        float* outputs[2] = {left.data(), right.data()};
        processReplacing(nullptr, outputs, frames);
    }
    std::vector<std::pair<int, float>> changes;
};

class PluginMidi : public ::testing::Test {
protected:
    void SetUp() override {
        TestHost::instance().versionAnswer = 2400;
        TestHost::instance().tempoAnswer = 120 * 10000;
        plugin.changes.clear();
    }
    // E1..E4 are rows 36 + 4k: aim, note, value on press, value on release.
    void aimEventModulator(int k, float aim, float note, float press, float release) {
        const int base = 36 + 4 * k;
        plugin.setParameter(base, aim);
        plugin.setParameter(base + 1, note);
        plugin.setParameter(base + 2, press);
        plugin.setParameter(base + 3, release);
        plugin.changes.clear();
    }
    MidiPlugin plugin;
    TestEventList list;
};

constexpr float kDecayAim = 0.3f;          // event aim 19, "Decay"
constexpr float kNote64 = 0.5f;            // trunc(128 * 0.5) = 64
constexpr float kNoTarget = 1.0f;          // event aim 63

TEST_F(PluginMidi, NoteOnReachesTheEngineWithPitchAndVelocity) {
    EXPECT_EQ(plugin.processEvents(list.noteOn(60, 127, 0, -50).noteOn(62, 64).events()), 1);
    const SynthVoice* voice = plugin.voiceFor(60);
    ASSERT_NE(voice, nullptr);
    EXPECT_FLOAT_EQ(voice->pitch, 59.5f);
    EXPECT_EQ(voice->velocity, 0.9921875f);
    ASSERT_NE(plugin.voiceFor(62), nullptr);
    EXPECT_EQ(plugin.voiceFor(62)->velocity, 0.5f);
    EXPECT_TRUE(plugin.changes.empty());
}

TEST_F(PluginMidi, AllChannelsPlay) {
    plugin.processEvents(list.midi(0x9F, 70, 100).midi(0x93, 71, 100).events());
    EXPECT_NE(plugin.voiceFor(70), nullptr);
    EXPECT_NE(plugin.voiceFor(71), nullptr);
}

TEST_F(PluginMidi, NoteOnWithVelocityZeroReleases) {
    plugin.processEvents(list.noteOn(60, 100).noteOn(61, 100).events());
    plugin.render(64);
    TestEventList off;
    plugin.processEvents(off.noteOn(60, 0).noteOff(61).events());
    const SynthVoice* a = plugin.voiceFor(60);
    const SynthVoice* b = plugin.voiceFor(61);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_LT(a->ampEnvelope.releaseTime, SynthEnvelope::kHeldReleaseTime);
    EXPECT_EQ(a->ampEnvelope.releaseTime, b->ampEnvelope.releaseTime) << "both released alike";
}

TEST_F(PluginMidi, EventModulatorTakesItsNote) {
    // Key 64 already sounds from before the modulator watched it.
    TestEventList before;
    plugin.processEvents(before.noteOn(64, 100).events());
    ASSERT_EQ(plugin.voicesWithKey(64), 1);

    aimEventModulator(0, kDecayAim, kNote64, 0.2f, 0.7f);
    plugin.processEvents(list.noteOn(64, 100).events());
    EXPECT_EQ(plugin.getParameter(19), 0.2f);
    EXPECT_EQ(plugin.voicesWithKey(64), 1) << "a watched note is not played";

    TestEventList off;
    plugin.processEvents(off.noteOff(64, 5).events());
    EXPECT_EQ(plugin.getParameter(19), 0.7f);
    // The note-off still reaches the engine and releases the older voice.
    ASSERT_NE(plugin.voiceFor(64), nullptr);
    EXPECT_EQ(plugin.voiceFor(64)->ampEnvelope.releaseTime, 5);
    EXPECT_EQ(plugin.storedProgram().values[19], 0.7f) << "modulated values are kept in the program";
}

TEST_F(PluginMidi, EventModulatorChangesAreNotReportedToTheHost) {
    aimEventModulator(0, kDecayAim, kNote64, 0.2f, 0.7f);
    TestHost::instance().reset();
    plugin.processEvents(list.noteOn(64, 100).noteOff(64).events());
    EXPECT_EQ(TestHost::instance().count(audioMasterAutomate), 0);
}

TEST_F(PluginMidi, ModulatorWithoutTargetLetsTheNotePlay) {
    aimEventModulator(0, kNoTarget, kNote64, 0.2f, 0.7f);
    plugin.processEvents(list.noteOn(64, 100).events());
    EXPECT_NE(plugin.voiceFor(64), nullptr);
    EXPECT_TRUE(plugin.changes.empty());
}

TEST_F(PluginMidi, TopNoteValueMatchesNoKey) {
    aimEventModulator(0, kDecayAim, 1.0f, 0.2f, 0.7f);  // key 128
    plugin.processEvents(list.noteOn(127, 100).noteOn(0, 100).events());
    EXPECT_TRUE(plugin.changes.empty());
    EXPECT_NE(plugin.voiceFor(127), nullptr);
}

TEST_F(PluginMidi, TwoModulatorsOnOneNoteActInOrder) {
    aimEventModulator(0, kDecayAim, kNote64, 0.2f, 0.7f);
    aimEventModulator(1, 53.5f / 64.0f, kNote64, 0.9f, 0.1f);  // E2 aims at Cutoff
    plugin.processEvents(list.noteOn(64, 100).events());
    ASSERT_EQ(plugin.changes.size(), 2u);
    EXPECT_EQ(plugin.changes[0], std::make_pair(19, 0.2f));
    EXPECT_EQ(plugin.changes[1], std::make_pair(53, 0.9f));
    EXPECT_EQ(plugin.voicesWithKey(64), 0);
}

TEST_F(PluginMidi, ModulatorsActBeforeAnyNoteOfTheList) {
    // E1 sets Attack to 0 when key 64 is pressed; a note earlier in the list already
    // starts with that attack, because the modulators run in a first walk.
    aimEventModulator(0, 18.5f / 64.0f, kNote64, 0.0f, 0.5f);
    plugin.processEvents(list.noteOn(60, 100).noteOn(64, 100).events());
    const SynthVoice* voice = plugin.voiceFor(60);
    ASSERT_NE(voice, nullptr);
    EXPECT_EQ(voice->ampEnvelope.attackLength, 0);
}

TEST_F(PluginMidi, Controller126ResetsTheEngineOnAnyChannel) {
    plugin.render(300);
    ASSERT_EQ(plugin.getEngine().clock, 300);
    plugin.processEvents(list.midi(0xB0, 123, 0).midi(0xB7, 7, 100).events());
    EXPECT_EQ(plugin.getEngine().clock, 300) << "other controllers do nothing";
    TestEventList reset;
    plugin.processEvents(reset.midi(0xB9, 126, 0).events());
    EXPECT_EQ(plugin.getEngine().clock, 0);
    EXPECT_EQ(plugin.getEngine().ampAttack, 600) << "reset values, whatever the parameters say";
}

TEST_F(PluginMidi, ResetLeavesNotesTunedFor44100) {
    plugin.dispatcher(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    ASSERT_EQ(plugin.getEngine().sampleRate, 48000);
    plugin.processEvents(list.midi(0xB0, 126, 0).events());
    EXPECT_EQ(plugin.getEngine().sampleRate, 44100);
    EXPECT_EQ(plugin.getSampleRate(), 48000.0f);
}

TEST_F(PluginMidi, NoteOnAndOffInOneListBothArriveInOrder) {
    plugin.processEvents(list.noteOn(60, 100, 10).noteOff(60, 20).events());
    const SynthVoice* voice = plugin.voiceFor(60);
    ASSERT_NE(voice, nullptr);
    EXPECT_EQ(voice->ampEnvelope.start, 10);
    EXPECT_EQ(voice->ampEnvelope.releaseTime, 20);
}

TEST_F(PluginMidi, NonMidiEventsChangeNothing) {
    EXPECT_EQ(plugin.processEvents(list.other(kVstSysExType).other(99).events()), 1);
    for (int key = 0; key < 128; ++key) EXPECT_EQ(plugin.voiceFor(key), nullptr) << key;
    EXPECT_TRUE(plugin.changes.empty());
}

TEST_F(PluginMidi, DamagedListsAreSkippedSafely) {
    list.noteOn(60, 100).null().noteOn(61, 100);
    VstEvents* damaged = list.events();
    damaged->numEvents = -5;
    EXPECT_EQ(plugin.processEvents(damaged), 1);
    EXPECT_EQ(plugin.voiceFor(60), nullptr) << "a negative count holds no events";
    EXPECT_EQ(plugin.processEvents(list.events()), 1);
    EXPECT_NE(plugin.voiceFor(60), nullptr);
    EXPECT_NE(plugin.voiceFor(61), nullptr) << "a null entry is stepped over";
    EXPECT_EQ(plugin.processEvents(nullptr), 1);
    EXPECT_EQ(plugin.dispatcher(effProcessEvents, 0, 0, nullptr, 0.0f), 0);
}

TEST_F(PluginMidi, ShortMidiRecordsAreSkipped) {
    list.noteOn(60, 100);
    list.last().byteSize = 8;
    list.noteOn(61, 100);
    list.last().byteSize = 24;  // counted without the type and size fields
    plugin.processEvents(list.events());
    EXPECT_EQ(plugin.voiceFor(60), nullptr);
    EXPECT_NE(plugin.voiceFor(61), nullptr);
}

}  // namespace
