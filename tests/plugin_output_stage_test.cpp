// The output stage: compressor curve, pan and volume gains, clamp, add or overwrite.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "plugin/output_stage.h"

namespace {

constexpr float kCurveTolerance = 2e-6f;  // float rounding of the piecewise line

TEST(PluginOutputStage, CompressorQuarterIsIdentity) {
    SynthOutputStage stage(1.0f, 0.5f, 0.25f);
    for (float u = -1.0f; u <= 1.0f; u += 0.03125f) EXPECT_NEAR(stage.compress(u), u, kCurveTolerance) << u;
}

TEST(PluginOutputStage, CompressorFullIsSteepInsideAndFlatOutside) {
    SynthOutputStage stage(1.0f, 0.5f, 1.0f);
    EXPECT_FLOAT_EQ(stage.compress(0.1f), 0.4f);
    EXPECT_FLOAT_EQ(stage.compress(-0.2f), -0.8f);
    EXPECT_FLOAT_EQ(stage.compress(0.5f), 1.0f);
    EXPECT_FLOAT_EQ(stage.compress(-0.9f), -1.0f);
}

TEST(PluginOutputStage, CompressorZeroSilencesTheMiddle) {
    SynthOutputStage stage(1.0f, 0.5f, 0.0f);
    EXPECT_EQ(stage.compress(0.25f), 0.0f);
    EXPECT_EQ(stage.compress(-0.1f), 0.0f);
    EXPECT_GT(stage.compress(0.5f), 0.0f);
}

TEST(PluginOutputStage, CompressorIsContinuousThroughItsKnees) {
    for (float comp : {0.0f, 0.1f, 0.45f, 0.7f, 1.0f}) {
        SynthOutputStage stage(1.0f, 0.5f, comp);
        const float knee = 0.25f, step = 1e-4f;
        EXPECT_NEAR(stage.compress(knee), comp, kCurveTolerance);
        EXPECT_NEAR(stage.compress(-knee), -comp, kCurveTolerance);
        EXPECT_NEAR(stage.compress(knee + step), comp, 1e-3f);
        EXPECT_NEAR(stage.compress(-knee - step), -comp, 1e-3f);
        EXPECT_NEAR(stage.compress(1.0f), 1.0f, kCurveTolerance);
        EXPECT_NEAR(stage.compress(-1.0f), -1.0f, kCurveTolerance);
    }
}

TEST(PluginOutputStage, PanSplitsTheVolume) {
    const struct {
        float pan, left, right;
    } table[] = {{0.0f, 0.8f, 0.0f}, {1.0f, 0.0f, 0.8f}, {0.5f, 0.4f, 0.4f}};
    for (const auto& row : table) {
        SynthOutputStage stage(0.8f, row.pan, 0.25f);
        float left[1], right[1];
        stage.write(0.5f, left, right, 0, true);
        EXPECT_FLOAT_EQ(left[0], 0.5f * row.left) << row.pan;
        EXPECT_FLOAT_EQ(right[0], 0.5f * row.right) << row.pan;
    }
}

TEST(PluginOutputStage, ClampsToTheFloatNearest099) {
    SynthOutputStage stage(1.0f, 0.0f, 0.25f);  // left gain 1
    float left[2] = {0.0f, 0.8f}, right[2] = {0.0f, 0.0f};
    stage.write(2.0f, left, right, 0, true);
    EXPECT_EQ(left[0], 0.99f);
    stage.write(0.5f, left, right, 1, false);
    EXPECT_EQ(left[1], 0.99f) << "0.8 + 0.5 accumulated";
    stage.write(-3.0f, left, right, 0, true);
    EXPECT_EQ(left[0], -0.99f);
}

TEST(PluginOutputStage, AddingKeepsWhatTheBufferHeld) {
    SynthOutputStage stage(1.0f, 0.5f, 0.25f);
    float left[1] = {0.1f}, right[1] = {-0.1f};
    stage.write(0.2f, left, right, 0, false);
    EXPECT_FLOAT_EQ(left[0], 0.2f);
    EXPECT_FLOAT_EQ(right[0], 0.0f);
}

// The run forms against write(), sample by sample: the same bits, overwriting or adding,
// at the knees, past full scale, for signed zeros and NaN, with odd run lengths.
TEST(PluginOutputStage, RunsGiveTheBitsOfSingleWrites) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float samples[] = {0.0f, -0.0f, 0.25f, -0.25f, 0.2500001f, -0.7f, 1.0f, 2.0f, -3.0f, nan, 0.01f, -0.5f, 0.3f};
    const int count = static_cast<int>(sizeof samples / sizeof samples[0]);
    struct Settings {
        float volume, pan, comp;
    };
    const Settings settings[] = {{1.0f, 0.5f, 0.25f}, {0.8f, 0.1f, 1.0f}, {0.5f, 0.9f, 0.0f}, {1.0f, 0.0f, -0.5f}};
    auto bits = [](float x) {
        uint32_t b;
        std::memcpy(&b, &x, sizeof b);
        return b;
    };
    for (const Settings& s : settings) {
        const SynthOutputStage stage(s.volume, s.pan, s.comp);
        for (bool replacing : {true, false}) {
            for (int length = 0; length <= count; ++length) {
                float runLeft[16], runRight[16], oneLeft[16], oneRight[16];
                for (int i = 0; i < 16; ++i) runLeft[i] = oneLeft[i] = 0.1f * static_cast<float>(i) - 0.8f;
                for (int i = 0; i < 16; ++i) runRight[i] = oneRight[i] = 0.5f - 0.07f * static_cast<float>(i);
                stage.writeRun(samples, runLeft, runRight, length, replacing);
                for (int i = 0; i < length; ++i) stage.write(samples[i], oneLeft, oneRight, i, replacing);
                for (int i = 0; i < 16; ++i) {
                    ASSERT_EQ(bits(runLeft[i]), bits(oneLeft[i])) << "length " << length << " sample " << i;
                    ASSERT_EQ(bits(runRight[i]), bits(oneRight[i])) << "length " << length << " sample " << i;
                }
                // Silence: what write() makes of an engine sample of 0.
                stage.writeSilence(runLeft, runRight, length, replacing);
                for (int i = 0; i < length; ++i) stage.write(0.0f, oneLeft, oneRight, i, replacing);
                for (int i = 0; i < 16; ++i) ASSERT_EQ(bits(runLeft[i]), bits(oneLeft[i])) << "silence, sample " << i;
            }
        }
    }
}

}  // namespace
