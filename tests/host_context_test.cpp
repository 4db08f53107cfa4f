// The host callback's answers and the loader, through the probe plug-in and bad libraries.
#include "host/host_context.h"
#include "host/host_error.h"
#include "host/plugin_instance.h"
#include "tests/host_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(HostContext, AnswersLikeAVersion24Host) {
    HostContext host(97.5, 48000, 256);
    EXPECT_EQ(HostContext::callback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 2400);
    EXPECT_EQ(host.answer(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 2400);
    EXPECT_EQ(host.answer(nullptr, audioMasterTempoAt, 0, 0, nullptr, 0.0f), 975000);
    EXPECT_EQ(host.answer(nullptr, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f), 48000);
    EXPECT_EQ(host.answer(nullptr, audioMasterGetBlockSize, 0, 0, nullptr, 0.0f), 256);
    for (VstInt32 unknown : {4, 5, 99, 12345, -1})
        EXPECT_EQ(host.answer(nullptr, unknown, 0, 0, nullptr, 0.0f), 0) << "opcode " << unknown;
}

TEST(HostContext, TimeInfoFollowsThePosition) {
    HostContext host(120.0, 48000, 512);
    host.setTimeSignature(3, 4);
    host.setPosition(48000 * 2); // two seconds: four quarters at 120 BPM
    auto* info = (VstTimeInfo*)host.answer(nullptr, audioMasterGetTime, 0, 0, nullptr, 0.0f);
    ASSERT_NE(info, nullptr);
    EXPECT_DOUBLE_EQ(info->samplePos, 96000.0);
    EXPECT_DOUBLE_EQ(info->sampleRate, 48000.0);
    EXPECT_DOUBLE_EQ(info->tempo, 120.0);
    EXPECT_NEAR(info->ppqPos, 4.0, 1e-9);
    EXPECT_NEAR(info->barStartPos, 3.0, 1e-9); // bars of three quarters
    EXPECT_EQ(info->timeSigNumerator, 3);
    constexpr int kNeeded = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstTimeSigValid;
    EXPECT_EQ(info->flags & kNeeded, kNeeded);
}

TEST(HostLoader, ProbeLoadsAndEditsAreRecorded) {
    HostContext host;
    PluginInstance plugin(HOST_PROBE_PLUGIN, host, 44100, 512);
    EXPECT_EQ(plugin.text(effGetEffectName), "Host Probe");
    EXPECT_EQ(plugin.numParams(), 3);
    EXPECT_EQ(plugin.findParameter("Level"), 2);
    EXPECT_EQ(plugin.findParameter(" mode "), 1);
    EXPECT_EQ(plugin.findParameter("Cutoff"), -1);
    plugin.dispatch(effEditIdle);
    ASSERT_EQ(host.editLog().size(), 3u);
    EXPECT_EQ(host.editLog()[0].kind, HostEditRecord::BeginEdit);
    EXPECT_EQ(host.editLog()[1].kind, HostEditRecord::Automate);
    EXPECT_EQ(host.editLog()[1].index, 1);
    EXPECT_FLOAT_EQ(host.editLog()[1].value, 0.75f);
    EXPECT_EQ(host.editLog()[2].kind, HostEditRecord::EndEdit);
    EXPECT_FLOAT_EQ(plugin.parameter(1), 0.75f);
}

TEST(HostLoader, BadLibrariesGiveAReasonNotACrash) {
    std::string textFile = hosttest::scratch("not-a-library.so");
    hosttest::writeBytes(textFile, {'h', 'e', 'l', 'l', 'o'});
    struct Case {
        std::string path;
        const char* reason;
    } cases[] = {
        {textFile + ".missing", "no such file"},
        {textFile, "not a loadable library"},
        {HOST_NO_ENTRY_PLUGIN, "no VST 2 entry point"},
        {HOST_NULL_PLUGIN, "returned no effect"},
        {HOST_BAD_MAGIC_PLUGIN, "magic 0x4E6F7065"},
    };
    for (const Case& c : cases) {
        HostContext host;
        try {
            PluginInstance plugin(c.path, host, 44100, 512);
            ADD_FAILURE() << c.path << ": loaded";
        } catch (const HostError& error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
        }
    }
}

} // namespace
