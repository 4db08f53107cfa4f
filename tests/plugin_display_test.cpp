// Parameter names and display texts through the module's dispatcher.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/recording_host.h"

namespace {

class PluginDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        static void* library = dlopen(ZELVIK_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"));
        ASSERT_NE(entry, nullptr);
        TestHost::instance().versionAnswer = 2400;
        TestHost::instance().tempoAnswer = 120 * 10000;
        effect = entry(TestHost::callback);
        ASSERT_NE(effect, nullptr);
    }
    void TearDown() override {
        if (effect) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }

    std::string read(VstInt32 opcode, VstInt32 index, const char* initial = "") {
        char buffer[128];
        std::memset(buffer, 0, sizeof(buffer));
        std::strcpy(buffer, initial);
        effect->dispatcher(effect, opcode, index, 0, buffer, 0.0f);
        return buffer;
    }
    void set(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    std::string display(VstInt32 index, float value, const char* initial = "") {
        set(index, value);
        return read(effGetParamDisplay, index, initial);
    }

    AEffect* effect = nullptr;
};

TEST_F(PluginDisplay, NamesOfAllParameters) {
    const char* const names[] = {
        "Volume", "Pan", "Pitch", "Osc1", "O1-Vol", "O1-Shape", "O1-Pitch", "O1-SubP", "Osc2", "O2-Vol",
        "O2-Shape", "O2-Pitch", "O2-SubP", "Osc3", "O3-Vol", "O3-Shape", "O3-Pitch", "O3-SubP", "Attack",
        "Decay", "Sustain", "Release", "Arp-Type", "Arp-Time", "Arp-Chord", "Arp-Range", "LFO1", "L1-Per",
        "L1-Aim", "L1-Min", "L1-Max", "LFO2", "L2-Per", "L2-Aim", "L2-Min", "L2-Max", "E1-Aim", "E1-Note",
        "E1-Val", "E1-Rel", "E2-Aim", "E2-Note", "E2-Val", "E2-Rel", "E3-Aim", "E3-Note", "E3-Val", "E3-Rel",
        "E4-Aim", "E4-Note", "E4-Val", "E4-Rel", "LPFilter", "Cutoff", "Res", "F-Env", "F-Att", "F-Dec",
        "F-Sus", "F-Rel", "Porta", "Po Wet", "Comp",
    };
    for (int i = 0; i < 63; ++i) EXPECT_EQ(read(effGetParamName, i), names[i]) << i;
    EXPECT_EQ(read(effGetParamName, 63), "Nothin'");
    EXPECT_EQ(read(effGetParamName, -1), "Nothin'");
}

TEST_F(PluginDisplay, LabelsAreEmpty) {
    for (int i = -1; i <= 63; ++i) EXPECT_EQ(read(effGetParamLabel, i, "junk"), "") << i;
}

struct DisplayCase {
    int index;
    float value;
    const char* text;
};

// Each row: one parameter at one value, the text a musician reads.
TEST_F(PluginDisplay, DirectRules) {
    const DisplayCase table[] = {
        {0, 0.9f, "0.90"},       {1, 0.5f, "Center"},      {1, 0.25f, "50% Left"},  {1, 1.0f, "100% right"},
        {1, 0.0f, "100% Left"},  {1, 0.75f, "50% right"},  {2, 0.0f, "-24"},        {2, 1.0f, "+24"},
        {2, 0.5f, "+0"},         {5, 1.0f, "Noise3"},      {5, 0.0f, "Sin"},        {10, 0.1f, "Sinsaw"},
        {15, 0.5f, "Sin12"},     {7, 0.0f, "-1.00"},       {7, 1.0f, "+1.00"},      {12, 0.75f, "+0.50"},
        {18, 1.0f, "50000"},     {19, 0.0f, "0"},          {19, 0.5f, "12500"},     {21, 0.0f, "0"},
        {21, 1.0f, "160000"},    {22, 0.0f, "None"},       {22, 1.0f, "DU-Pa"},     {22, 0.45f, "UpDown"},
        {23, 0.0f, "0.12"},      {23, 0.45f, "0.50"},      {23, 0.15f, "0.17"},     {23, 0.5f, "0.67"},
        {23, 1.0f, "2.67"},
        {24, 0.0f, "none"},      {24, 1.0f, "m13M"},       {24, 0.06f, "major"},    {25, 1.0f, "4"},
        {25, 0.0f, "1"},         {25, 0.3f, "2"},          {26, 0.5f, "On"},        {26, 0.49f, "Off"},
        {52, 0.5f, "On"},        {60, 0.0f, "Off"},        {27, 0.5f, "8.00"},      {27, 0.0f, "0.12"},
        {27, 1.0f, "512.00"},    {28, 1.0f, "Comp"},       {28, 0.0f, "Volume"},    {28, 0.15f, "Osc1"},
        {33, 0.5f, "LFO2"},    {36, 1.0f, "Nothin'"},    {36, 0.3f, "Decay"},     {37, 0.5f, "E5"},
        {37, 1.0f, "G#10"},      {37, 60.0f / 128.0f, "C5"}, {37, 0.0f, "C0"},      {62, 0.45f, "-0.10"},
        {62, 1.0f, "1.00"},      {53, 0.5f, "0.50"},
    };
    for (const DisplayCase& row : table)
        EXPECT_EQ(display(row.index, row.value), row.text) << "parameter " << row.index << " at " << row.value;
}

TEST_F(PluginDisplay, AimsNameTheirTargetsAcrossTheirRange) {
    // Entries 28 to 54 of the LFO aims are parameters 36 to 62.
    EXPECT_EQ(display(28, 28.5f / 55.0f), "E1-Aim");
    EXPECT_EQ(display(28, 27.5f / 55.0f), "LFO2");
    EXPECT_EQ(display(28, 13.5f / 55.0f), "Osc1") << "entry 13 is Osc1, not Osc3";
    EXPECT_EQ(display(40, 62.5f / 64.0f), "Comp");
    EXPECT_EQ(display(40, 0.0f), "Volume");
}

TEST_F(PluginDisplay, BoundsShowTheTargetsScale) {
    set(28, 1.5f / 55.0f);  // LFO 1 aims at Pan
    EXPECT_EQ(display(29, 0.25f), "50% Left");
    EXPECT_EQ(display(30, 1.0f), "100% right");
    set(33, 5.5f / 55.0f);  // LFO 2 aims at O1-Shape
    EXPECT_EQ(display(34, 1.0f), "Noise3");
    set(40, 19.5f / 64.0f);  // E2 aims at Decay
    EXPECT_EQ(display(42, 0.5f), "12500");
    EXPECT_EQ(display(43, 0.0f), "0");
}

TEST_F(PluginDisplay, BoundsOfAModulatorTargetAreEmpty) {
    EXPECT_EQ(display(38, 0.5f, "junk"), "") << "E1 aims at nothing by default";
    EXPECT_EQ(display(39, 1.0f, "junk"), "");
    set(44, 28.5f / 64.0f);  // E3 aims at L1-Aim, itself a modulator parameter
    EXPECT_EQ(display(46, 0.5f, "junk"), "");
}

TEST_F(PluginDisplay, OscillatorSwitchesWriteNothing) {
    EXPECT_EQ(display(3, 1.0f, "held"), "held");
    EXPECT_EQ(display(8, 0.0f, "held"), "held");
    EXPECT_EQ(display(13, 0.5f, "held"), "held");
    set(28, 3.5f / 55.0f);  // LFO 1 aims at Osc1
    EXPECT_EQ(display(29, 0.3f, "held"), "held");
    EXPECT_EQ(read(effGetParamDisplay, 63, "held"), "held");
    EXPECT_EQ(read(effGetParamDisplay, -4, "held"), "held");
}

TEST_F(PluginDisplay, ValuesOutsideTheRangeStillGiveTexts) {
    // Hosts may send anything; every text must stay inside its table.
    EXPECT_EQ(display(37, -0.5f), "C0");
    EXPECT_EQ(display(22, -3.0f), "None");
    EXPECT_EQ(display(24, 7.0f), "m13M");
    EXPECT_EQ(display(28, -1.0f), "Volume");
    EXPECT_EQ(display(36, 2.0f), "Nothin'");
    EXPECT_EQ(display(5, -1.0f), "Sin");
    EXPECT_FALSE(display(2, 1e30f).empty());
}

}  // namespace
