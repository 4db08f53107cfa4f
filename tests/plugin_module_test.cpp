// The built plug-in module driven through its binary interface, as a host sees it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/recording_host.h"

namespace {

constexpr int kParams = 63;

// Loads the module once for the whole binary.
VstPluginMainProc loadEntry(const char* name) {
    static void* library = dlopen(ZELVIK_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    return reinterpret_cast<VstPluginMainProc>(dlsym(library, name));
}

class PluginModule : public ::testing::Test {
protected:
    void SetUp() override {
        host().versionAnswer = 2400;
        host().tempoAnswer = 120 * 10000;
        host().reset();
        entry = loadEntry("main");
        ASSERT_NE(entry, nullptr) << dlerror();
        effect = entry(TestHost::callback);
        ASSERT_NE(effect, nullptr);
    }
    void TearDown() override {
        if (effect) dispatch(effClose);
    }

    static TestHost& host() { return TestHost::instance(); }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    std::string text(VstInt32 opcode, VstInt32 index = 0) {
        char buffer[256];
        std::memset(buffer, 0, sizeof(buffer));
        dispatch(opcode, index, 0, buffer);
        return buffer;
    }
    std::string display(VstInt32 index, float value) {
        effect->setParameter(effect, index, value);
        return text(effGetParamDisplay, index);
    }

    VstPluginMainProc entry = nullptr;
    AEffect* effect = nullptr;
};

TEST_F(PluginModule, BothEntryNamesAreExported) {
    EXPECT_NE(loadEntry("main"), nullptr);
    EXPECT_NE(loadEntry("VSTPluginMain"), nullptr);
    // Nothing but the two entry points leaves the module.
    EXPECT_EQ(loadEntry("_ZN11SynthPlugin12setParameterEif"), nullptr);
}

TEST_F(PluginModule, HostTooOldGetsNoEffect) {
    host().versionAnswer = 0;
    host().reset();
    EXPECT_EQ(entry(TestHost::callback), nullptr);
    ASSERT_EQ(host().requests.size(), 1u);
    EXPECT_EQ(host().requests[0].opcode, audioMasterVersion);
    EXPECT_EQ(host().requests[0].effect, nullptr);
}

TEST_F(PluginModule, NullHostCallbackGetsNoEffect) {
    EXPECT_EQ(entry(nullptr), nullptr);
}

TEST_F(PluginModule, RecordDescribesTheInstrument) {
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_EQ(effect->numPrograms, 1);
    EXPECT_EQ(effect->numParams, kParams);
    EXPECT_EQ(effect->numInputs, 1);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->flags, 273);
    EXPECT_EQ(effect->uniqueID, 0x5A6C766B);
    EXPECT_EQ(effect->version, 1);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->resvd1, 0);
    EXPECT_EQ(effect->resvd2, 0);
    EXPECT_NE(effect->object, nullptr);
    EXPECT_EQ(effect->user, nullptr);
    EXPECT_NE(effect->processReplacing, nullptr);
    EXPECT_EQ(effect->processDoubleReplacing, nullptr);
    for (char c : effect->future) EXPECT_EQ(c, 0);
}

TEST_F(PluginModule, LoadingAsksVersionOnceThenTempoPerParameter) {
    host().reset();
    AEffect* second = entry(TestHost::callback);
    ASSERT_NE(second, nullptr);
    ASSERT_FALSE(host().requests.empty());
    EXPECT_EQ(host().requests[0].opcode, audioMasterVersion);
    EXPECT_EQ(host().count(audioMasterVersion), 1);
    EXPECT_EQ(host().count(audioMasterTempoAt), kParams);
    for (const HostRequest& r : host().requests) {
        if (r.opcode == audioMasterTempoAt) {
            EXPECT_EQ(r.effect, second);
        }
    }
    second->dispatcher(second, effClose, 0, 0, nullptr, 0.0f);
}

struct OpcodeAnswer {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    VstIntPtr answer;
};

TEST_F(PluginModule, DispatcherAnswersWithoutPointers) {
    const OpcodeAnswer table[] = {
        {effOpen, 0, 0, 0},
        {effGetProgram, 0, 0, 0},
        {effGetVu, 0, 0, 0},
        {effSetBlockSize, 0, 512, 0},
        {effMainsChanged, 0, 0, 0},
        {effEditClose, 0, 0, 0},
        {effEditDraw, 0, 0, 0},
        {effEditMouse, 0, 0, 0},
        {effEditKey, 0, 0, 0},
        {effEditIdle, 0, 0, 0},
        {effEditTop, 0, 0, 0},
        {effEditSleep, 0, 0, 0},
        {effIdentify, 0, 0, 0x4E764566},
        {effCanBeAutomated, 0, 0, 1},
        {effCanBeAutomated, 62, 0, 1},
        {effCanBeAutomated, 500, 0, 1},
        {effString2Parameter, 0, 0, 0},
        {effGetNumProgramCategories, 0, 0, 1},
        {effCopyProgram, 0, 0, 1},
        {effCopyProgram, 1, 0, 0},
        {effConnectInput, 0, 1, 1},
        {effConnectOutput, 1, 1, 1},
        {effGetInputProperties, 0, 0, 0},
        {effGetOutputProperties, 0, 0, 0},
        {effGetPlugCategory, 0, 0, 2},
        {effGetCurrentPosition, 0, 0, 0},
        {effGetDestinationBuffer, 0, 0, 0},
        {effOfflineNotify, 0, 0, 0},
        {effOfflinePrepare, 0, 0, 0},
        {effOfflineRun, 0, 0, 0},
        {effProcessVarIo, 0, 0, 0},
        {effSetSpeakerArrangement, 0, 0, 0},
        {effSetBlockSizeAndSampleRate, 0, 256, 1},
        {effSetBypass, 0, 1, 0},
        {effGetVendorVersion, 0, 0, 1},
        {effVendorSpecific, 0, 0, 0},
        {effGetTailSize, 0, 0, 0},
        {effIdle, 0, 0, 0},
        {effGetIcon, 0, 0, 0},
        {effSetViewPosition, 0, 0, 0},
        {effGetParameterProperties, 0, 0, 0},
        {effKeysRequired, 0, 0, 1},
        {effGetVstVersion, 0, 0, 2200},
        {effGetMidiProgramName, 0, 0, 0},
        {effGetCurrentMidiProgram, 0, 0, -1},
        {effGetMidiProgramCategory, 0, 0, 0},
        {effHasMidiProgramsChanged, 0, 0, 0},
        {effGetMidiKeyName, 0, 0, 0},
        {effBeginSetProgram, 0, 0, 0},
        {effEndSetProgram, 0, 0, 0},
        {69, 0, 0, 0},
        {1000, 3, 3, 0},
        {-1, 0, 0, 0},
    };
    for (const OpcodeAnswer& row : table)
        EXPECT_EQ(dispatch(row.opcode, row.index, row.value, nullptr, row.opcode == 43 ? 44100.0f : 0.0f), row.answer)
            << "opcode " << row.opcode;
}

TEST_F(PluginModule, ChunksAreNotSupported) {
    void* chunk = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(dispatch(effGetChunk, 0, 0, &chunk), 0);
    EXPECT_EQ(dispatch(effGetChunk, 1, 0, &chunk), 0);
    char data[8] = {};
    EXPECT_EQ(dispatch(effSetChunk, 0, sizeof(data), data), 0);
    EXPECT_EQ(effect->flags & effFlagsProgramChunks, 0);
}

TEST_F(PluginModule, IdentityTexts) {
    EXPECT_EQ(text(effGetEffectName), "Zelvik");
    EXPECT_EQ(text(effGetVendorString), "Quillfern");
    EXPECT_EQ(text(effGetProductString), "Zel vik");
    char buffer[80];
    EXPECT_EQ(dispatch(effGetEffectName, 0, 0, buffer), 1);
    EXPECT_EQ(dispatch(effGetVendorString, 0, 0, buffer), 1);
    EXPECT_EQ(dispatch(effGetProductString, 0, 0, buffer), 1);
}

TEST_F(PluginModule, CanDoMatchesWholeTextsOnly) {
    const struct {
        const char* text;
        VstIntPtr answer;
    } table[] = {
        {"receiveVstEvents", 1},      {"receiveVstMidiEvent", 1}, {"receiveVstTimeInfo", -1},
        {"sendVstMidiEvent", -1},     {"receiveVst", -1},         {"receiveVstEventsX", -1},
        {"", -1},                     {"ReceiveVstEvents", -1},
    };
    for (const auto& row : table)
        EXPECT_EQ(dispatch(effCanDo, 0, 0, const_cast<char*>(row.text)), row.answer) << row.text;
}

TEST_F(PluginModule, NullPointersAnswerZero) {
    const VstInt32 opcodes[] = {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay,
                                effGetParamName,   effEditGetRect,    effProcessEvents, effGetProgramNameIndexed,
                                effGetEffectName,  effGetVendorString, effGetProductString, effCanDo,
                                effGetChunk,       effSetChunk};
    for (VstInt32 opcode : opcodes) EXPECT_EQ(dispatch(opcode, 0, 0, nullptr), 0) << "opcode " << opcode;
    EXPECT_EQ(text(effGetProgramName), "Start");
}

TEST_F(PluginModule, ParametersOutsideTheTableAreIgnored) {
    std::vector<float> before;
    for (int i = 0; i < kParams; ++i) before.push_back(effect->getParameter(effect, i));
    effect->setParameter(effect, -1, 0.3f);
    effect->setParameter(effect, 63, 0.3f);
    effect->setParameter(effect, 1 << 30, 0.3f);
    EXPECT_EQ(effect->getParameter(effect, -1), 0.0f);
    EXPECT_EQ(effect->getParameter(effect, 63), 0.0f);
    EXPECT_EQ(effect->getParameter(effect, 1 << 30), 0.0f);
    for (int i = 0; i < kParams; ++i) EXPECT_EQ(effect->getParameter(effect, i), before[i]) << i;
}

TEST_F(PluginModule, EditorIs600By250) {
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 250);
    EXPECT_EQ(rect->right, 600);
}

TEST_F(PluginModule, ResumeAsksForMidiSuspendAsksNothing) {
    host().reset();
    dispatch(effMainsChanged, 0, 0);
    EXPECT_TRUE(host().requests.empty());
    dispatch(effMainsChanged, 0, 1);
    ASSERT_EQ(host().count(audioMasterWantMidi), 1);
    for (const HostRequest& r : host().requests) {
        if (r.opcode == audioMasterWantMidi) {
            EXPECT_EQ(r.value, 1);
        }
    }
}

// Program requests.

TEST_F(PluginModule, FreshProgramIsStartWithDefaults) {
    // The defaults as the instrument's parameter table lists them.
    const float defaults[kParams] = {
        0.9f, 0.5f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f, 0.5f, 1.0f, 1.0f, 0.1f, 0.25f, 0.5f, 0.0f, 0.4f, 0.0f,
        0.5f, 0.5f, 0.1f, 0.1f, 0.5f, 0.3f, 0.0f, 0.5f, 0.0f, 0.3f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f,
        0.5f, 0.0f, 0.0f, 1.0f, 0.99f, 0.5f, 0.0f, 1.0f, 0.99f, 0.5f, 0.0f, 1.0f, 0.99f, 0.5f, 0.0f, 1.0f,
        0.99f, 0.5f, 0.0f, 1.0f, 1.0f, 0.5f, 0.3f, 0.8f, 0.8f, 0.8f, 0.4f, 0.4f, 0.0f, 0.5f, 0.45f,
    };
    EXPECT_EQ(text(effGetProgramName), "Start");
    EXPECT_EQ(dispatch(effGetProgram), 0);
    for (int i = 0; i < kParams; ++i) EXPECT_EQ(effect->getParameter(effect, i), defaults[i]) << "parameter " << i;
}

TEST_F(PluginModule, SetProgramReappliesEveryValue) {
    host().reset();
    dispatch(effSetProgram, 0, 1);
    EXPECT_EQ(host().count(audioMasterTempoAt), 0) << "program 1 does not exist";
    dispatch(effSetProgram, 0, -1);
    EXPECT_EQ(host().count(audioMasterTempoAt), 0);
    dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(host().count(audioMasterTempoAt), kParams);
    EXPECT_EQ(dispatch(effGetProgram), 0);
}

TEST_F(PluginModule, ProgramNameIsCutTo23Characters) {
    char longName[] = "A program name that is far too long for the record";
    EXPECT_EQ(dispatch(effSetProgramName, 0, 0, longName), 0);
    EXPECT_EQ(text(effGetProgramName), std::string(longName, 23));
    char buffer[64];
    std::memset(buffer, 0x55, sizeof(buffer));
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 0, 0, buffer), 1);
    EXPECT_EQ(std::string(buffer), std::string(longName, 23));
    EXPECT_EQ(buffer[24], 0x55) << "nothing written past the 24-byte name";
}

TEST_F(PluginModule, ProgramNameIndexedOnlyForProgramZero) {
    char buffer[64] = "untouched";
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 1, 0, buffer), 0);
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 0, 7, buffer), 1) << "the category is ignored";
    EXPECT_STREQ(buffer, "Start");
}

TEST_F(PluginModule, CopyProgramOntoItselfChangesNothing) {
    effect->setParameter(effect, 5, 0.75f);
    EXPECT_EQ(dispatch(effCopyProgram, 0), 1);
    EXPECT_EQ(effect->getParameter(effect, 5), 0.75f);
    EXPECT_EQ(text(effGetProgramName), "Start");
    // The program holds the moved value: re-applying it keeps it.
    dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(effect->getParameter(effect, 5), 0.75f);
}

// Texts written into host buffers stay within their documented sizes.
TEST_F(PluginModule, HostBuffersAreNotOverrun) {
    const struct {
        VstInt32 opcode;
        VstInt32 index;
        size_t bound;
    } table[] = {
        {effGetParamName, 0, 24},     {effGetParamName, 24, 24},  {effGetParamLabel, 29, 24},
        {effGetParamDisplay, 24, 24}, {effGetProgramName, 0, 24}, {effGetEffectName, 0, 32},
        {effGetVendorString, 0, 64},  {effGetProductString, 0, 64},
    };
    for (const auto& row : table) {
        char buffer[128];
        std::memset(buffer, 0x7F, sizeof(buffer));
        dispatch(row.opcode, row.index, 0, buffer);
        size_t length = strnlen(buffer, sizeof(buffer));
        EXPECT_LT(length, row.bound) << "opcode " << row.opcode;
        for (size_t i = row.bound; i < sizeof(buffer); ++i) ASSERT_EQ(buffer[i], 0x7F) << "opcode " << row.opcode;
    }
}

// Audio: the engine is silent without notes, so what remains is the output stage.
TEST_F(PluginModule, ProcessAddsProcessReplacingOverwrites) {
    constexpr int frames = 64;
    std::vector<float> left(frames, 0.25f), right(frames, -2.0f), input(frames, 0.5f);
    float* outputs[2] = {left.data(), right.data()};
    float* inputs[1] = {input.data()};
    effect->process(effect, inputs, outputs, frames);
    for (int i = 0; i < frames; ++i) {
        EXPECT_EQ(left[i], 0.25f);
        EXPECT_EQ(right[i], -0.99f) << "accumulated output is clamped";
    }
    effect->processReplacing(effect, nullptr, outputs, frames);
    for (int i = 0; i < frames; ++i) {
        EXPECT_EQ(left[i], 0.0f);
        EXPECT_EQ(right[i], 0.0f);
    }
}

TEST_F(PluginModule, EachBlockAsksTheTempoOnce) {
    float left[16] = {}, right[16] = {};
    float* outputs[2] = {left, right};
    host().reset();
    effect->processReplacing(effect, nullptr, outputs, 16);
    effect->processReplacing(effect, nullptr, outputs, 0);
    EXPECT_EQ(host().count(audioMasterTempoAt), 2);
}

}  // namespace
