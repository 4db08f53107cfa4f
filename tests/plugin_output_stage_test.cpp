// The output stage: compressor curve, pan and volume gains, clamp, add or overwrite.
#include <gtest/gtest.h>

#include <cmath>

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

}  // namespace
