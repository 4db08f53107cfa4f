// SynthPlugin linked statically: what the binary interface cannot show.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "plugin/synth_plugin.h"
#include "plugin/trace_line.h"
#include "tests/recording_host.h"

namespace {

// Records the order in which setParameter is reached through the virtual table.
class RecordingPlugin : public SynthPlugin {
public:
    explicit RecordingPlugin(audioMasterCallback host) : SynthPlugin(host) {}
    void setParameter(VstInt32 index, float value) override {
        order.push_back(index);
        SynthPlugin::setParameter(index, value);
    }
    std::vector<int> order;
};

class PluginClass : public ::testing::Test {
protected:
    void SetUp() override {
        host().versionAnswer = 2400;
        host().tempoAnswer = 120 * 10000;
        host().reset();
    }
    static TestHost& host() { return TestHost::instance(); }
};

TEST_F(PluginClass, SetProgramWalksParametersInAscendingOrder) {
    RecordingPlugin plugin(TestHost::callback);
    plugin.order.clear();
    plugin.setProgram(0);
    ASSERT_EQ(plugin.order.size(), 63u);
    for (int i = 0; i < 63; ++i) EXPECT_EQ(plugin.order[i], i);
}

TEST_F(PluginClass, ProgramFollowsEveryChange) {
    SynthPlugin plugin(TestHost::callback);
    plugin.setParameter(53, 0.125f);
    plugin.setParameterFromEditor(54, 0.625f);
    EXPECT_EQ(plugin.storedProgram().values[53], 0.125f);
    EXPECT_EQ(plugin.storedProgram().values[54], 0.625f);
}

TEST_F(PluginClass, OnlyEditorChangesAreReportedToTheHost) {
    SynthPlugin plugin(TestHost::callback);
    host().reset();
    plugin.setParameter(10, 0.3f);
    EXPECT_EQ(host().count(audioMasterAutomate), 0);
    plugin.setParameterFromEditor(11, 0.7f);
    ASSERT_EQ(host().count(audioMasterAutomate), 1);
    for (const HostRequest& r : host().requests) {
        if (r.opcode != audioMasterAutomate) continue;
        EXPECT_EQ(r.index, 11);
        EXPECT_EQ(r.opt, 0.7f);
    }
}

TEST_F(PluginClass, SampleRateMustBePositiveAndFinite) {
    SynthPlugin plugin(TestHost::callback);
    EXPECT_EQ(plugin.getSampleRate(), 44100.0f);
    plugin.dispatcher(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(plugin.getSampleRate(), 48000.0f);
    for (float bad : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity()}) {
        plugin.dispatcher(effSetSampleRate, 0, 0, nullptr, bad);
        EXPECT_EQ(plugin.getSampleRate(), 48000.0f) << bad;
        plugin.dispatcher(effSetBlockSizeAndSampleRate, 0, 64, nullptr, bad);
        EXPECT_EQ(plugin.getSampleRate(), 48000.0f) << bad;
    }
    EXPECT_EQ(plugin.dispatcher(effSetBlockSizeAndSampleRate, 0, 256, nullptr, 96000.0f), 1);
    EXPECT_EQ(plugin.getSampleRate(), 96000.0f);
    EXPECT_EQ(plugin.getBlockSize(), 256);
}

TEST_F(PluginClass, HostTempoIsReadAtEverySetParameter) {
    SynthPlugin plugin(TestHost::callback);
    EXPECT_FLOAT_EQ(plugin.getHostTempo(), 120.0f);
    host().tempoAnswer = 90 * 10000;
    plugin.setParameter(0, 0.5f);
    EXPECT_FLOAT_EQ(plugin.getHostTempo(), 90.0f);
}

TEST_F(PluginClass, UnusableHostTempoFallsBackTo140) {
    for (VstIntPtr answer : {(VstIntPtr)0, (VstIntPtr)-1200000, (VstIntPtr)-1}) {
        host().tempoAnswer = answer;
        SynthPlugin plugin(TestHost::callback);
        EXPECT_EQ(plugin.getHostTempo(), 140.0f) << answer;
        plugin.setParameter(27, 0.5f);
        EXPECT_EQ(plugin.getHostTempo(), 140.0f) << answer;
    }
}

TEST_F(PluginClass, WorksWithoutAHostCallback) {
    SynthPlugin plugin(nullptr);
    EXPECT_EQ(plugin.getHostTempo(), 140.0f);
    plugin.setParameterFromEditor(0, 0.2f);
    EXPECT_EQ(plugin.getParameter(0), 0.2f);
    EXPECT_EQ(plugin.getAeffect()->uniqueID, 0) << "identity is only given to a host";
}

TEST_F(PluginClass, KeyModifiersBeyondTheIntRangeCountAsNone) {
    SynthPlugin plugin(TestHost::callback);
    const VstIntPtr plain = plugin.dispatcher(effEditKeyDown, 'a', 0, nullptr, 0.0f);
    for (float opt : {1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN()}) {
        EXPECT_EQ(plugin.dispatcher(effEditKeyDown, 'a', 0, nullptr, opt), plain) << opt;
        EXPECT_EQ(plugin.dispatcher(effEditKeyUp, 'a', 0, nullptr, opt), plain) << opt;
    }
}

TEST_F(PluginClass, ModulationTargetFollowsTheAims) {
    SynthPlugin plugin(TestHost::callback);
    plugin.setParameter(28, 0.0f);
    EXPECT_EQ(plugin.modulationTarget(29), 0);
    plugin.setParameter(33, 1.0f);
    EXPECT_EQ(plugin.modulationTarget(35), 62);
    plugin.setParameter(44, 0.3f);
    EXPECT_EQ(plugin.modulationTarget(46), 19);
    EXPECT_EQ(plugin.modulationTarget(45), -1) << "note rows have no target";
    EXPECT_EQ(plugin.modulationTarget(50), 63) << "default event aim moves nothing";
    EXPECT_EQ(plugin.modulationTarget(0), -1);
}

TEST(PluginParameters, ModulatorParameters) {
    const int modulators[] = {28, 29, 30, 33, 34, 35, 36, 38, 39, 40, 42, 43, 44, 46, 47, 48, 50, 51};
    int expected = 0;
    for (int i = 0; i < 70; ++i) {
        bool listed = std::find(std::begin(modulators), std::end(modulators), i) != std::end(modulators);
        EXPECT_EQ(isModulatorParameter(i), listed || i >= 63) << i;
        expected += listed;
    }
    EXPECT_EQ(expected, 18);
}

TEST(PluginParameters, LfoTargetsSkipTheLfoControls) {
    // Every reachable target, in aim order, as the instrument documents it.
    std::vector<int> expected;
    for (int p = 0; p <= 7; ++p) expected.push_back(p);
    expected.push_back(3);
    for (int p = 9; p <= 12; ++p) expected.push_back(p);
    expected.push_back(3);
    for (int p = 14; p <= 26; ++p) expected.push_back(p);
    expected.push_back(31);
    for (int p = 36; p <= 62; ++p) expected.push_back(p);
    ASSERT_EQ(expected.size(), 55u);
    for (int aim = 0; aim < 55; ++aim) EXPECT_EQ(lfoAimTarget((aim + 0.5f) / 55.0f), expected[aim]) << aim;
    EXPECT_EQ(lfoAimTarget(1.0f), 62);
}

TEST(PluginParameters, TruncationSaturates) {
    EXPECT_EQ(truncToInt(2.9f), 2);
    EXPECT_EQ(truncToInt(-2.9f), -2);
    EXPECT_EQ(truncToInt(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(truncToInt(1e20f), std::numeric_limits<int>::max());
    EXPECT_EQ(truncToInt(-1e20f), std::numeric_limits<int>::min());
}

TEST(PluginTrace, LinesAreBoundedTo1024) {
    std::string longText(5000, 'x');
    char line[kTraceLineSize + 16];
    std::memset(line, 0x7F, sizeof(line));
    formatTraceLine(line, "can do : %s\n", longText.c_str());
    EXPECT_EQ(std::strlen(line), kTraceLineSize - 1);
    for (size_t i = kTraceLineSize; i < sizeof(line); ++i) EXPECT_EQ(line[i], 0x7F);
}

TEST(PluginTrace, DispatchLineShowsWholePointerAndValue) {
    char line[kTraceLineSize];
    const void* ptr = reinterpret_cast<const void*>(static_cast<uintptr_t>(0x12345678u) * 16u + 0xA);
    formatDispatchTrace(line, 51, 2, static_cast<intptr_t>(-7), ptr, 0.5f);
    char expectedPointer[64];
    std::snprintf(expectedPointer, sizeof(expectedPointer), "%p", ptr);
    std::string text(line);
    EXPECT_NE(text.find("opCode 51, index 2, value -7"), std::string::npos) << text;
    EXPECT_NE(text.find(std::string("ptr ") + expectedPointer), std::string::npos) << text;
    EXPECT_NE(text.find("opt 0.500000\n"), std::string::npos) << text;
    if (sizeof(void*) == 8) {
        EXPECT_NE(text.find("12345678a"), std::string::npos) << "upper bits kept: " << text;
    }
}

}  // namespace
