// The skin bitmaps have the sizes and formats the editor relies on, and show what they should:
// keyed knob strips whose pointer sweeps as specified, a two-state switch, a voice count.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/resources_support.h"

namespace {

using namespace resources_test;

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint32_t le16(const std::vector<uint8_t>& b, size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8; }

struct ExpectedSize {
    int id, width, height;
};

// The sizes the editor's bitmap table gives, written out independently of the generator.
const ExpectedSize kExpectedSizes[] = {
    {101, 600, 250}, {104, 32, 1792}, {105, 32, 1792}, {106, 32, 1792},
    {107, 32, 1792}, {109, 36, 48},   {110, 40, 680},  {114, 600, 250},
};

TEST(SkinBitmapFiles, HeadersAreUncompressed24BitBottomUpWithPaddedRows) {
    for (const ExpectedSize& expected : kExpectedSizes) {
        SCOPED_TRACE(expected.id);
        const std::vector<uint8_t> b = readBytes(skinFolder() + "/" + fileFor(expected.id).fileName);
        ASSERT_GE(b.size(), 54u);
        const size_t stride = (size_t(expected.width) * 3 + 3) / 4 * 4;
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(le32(b, 2), b.size());
        EXPECT_EQ(le32(b, 10), 54u);  // pixels right after the headers
        EXPECT_EQ(le32(b, 14), 40u);  // BITMAPINFOHEADER
        EXPECT_EQ(int32_t(le32(b, 18)), expected.width);
        EXPECT_EQ(int32_t(le32(b, 22)), expected.height);  // positive: bottom-up
        EXPECT_EQ(le16(b, 26), 1u);
        EXPECT_EQ(le16(b, 28), 24u);
        EXPECT_EQ(le32(b, 30), 0u);  // BI_RGB
        EXPECT_EQ(b.size(), 54 + stride * expected.height);
    }
}

TEST(SkinBitmapFiles, RowPaddingBytesAreZero) {
    // The switch is 36 pixels wide: 108 bytes a row, already a multiple of four; the panel's
    // 1800 too. None needs padding today, so check the encoder on an odd width instead.
    RgbImage odd;
    odd.width = 3;
    odd.height = 2;
    odd.rgb.assign(18, 200);
    const std::vector<uint8_t> bytes = encodeBmp24(odd);
    ASSERT_EQ(bytes.size(), 54u + 12u * 2);
    for (size_t row = 0; row < 2; ++row)
        for (size_t pad = 9; pad < 12; ++pad) EXPECT_EQ(bytes[54 + row * 12 + pad], 0) << row;
    RgbImage back;
    ASSERT_TRUE(decodeBmp24(bytes.data(), bytes.size(), &back));
    EXPECT_EQ(back.rgb, odd.rgb);
    EXPECT_FALSE(decodeBmp24(bytes.data(), bytes.size() - 1, &back));  // truncated
}

// ---- knob strips ------------------------------------------------------------------------

constexpr int kFrame = 32;
constexpr double kCentre = 16.0;
constexpr double kKeyedBeyond = 12.5;           // everything farther from the centre is key
constexpr double kSolidWithin = 8.5;            // everything nearer is knob, never key
constexpr double kAngleToleranceDegrees = 3.0;  // measured error is about 1 degree

double distanceFromCentre(int x, int y) { return std::hypot(x + 0.5 - kCentre, y + 0.5 - kCentre); }

class KnobStrip : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        strip = loadCommitted(GetParam());
        ASSERT_EQ(strip.width, kFrame);
        ASSERT_EQ(strip.height, kFrame * 56);
    }
    const uint8_t* at(int frame, int x, int y) const { return strip.at(x, frame * kFrame + y); }
    RgbImage strip;
};

TEST_P(KnobStrip, KeyOutsideTheKnobAndNeverInsideIt) {
    for (int frame = 0; frame < 56; ++frame) {
        for (int y = 0; y < kFrame; ++y) {
            for (int x = 0; x < kFrame; ++x) {
                const double d = distanceFromCentre(x, y);
                if (d > kKeyedBeyond) {
                    ASSERT_TRUE(isKey(at(frame, x, y))) << frame << " " << x << "," << y;
                }
                if (d < kSolidWithin) {
                    ASSERT_FALSE(isKey(at(frame, x, y))) << frame << " " << x << "," << y;
                }
            }
        }
    }
}

TEST_P(KnobStrip, FaceStaysClearOfTheLabelAndReadOutRows) {
    // A label covers rows 0-5 of the image and a read-out rows 27-31; the knob must fit between.
    for (int frame = 0; frame < 55; ++frame)
        for (int y = 0; y < kFrame; ++y)
            for (int x = 0; x < kFrame; ++x)
                if (y < 6 || y > 26) {
                    ASSERT_TRUE(isKey(at(frame, x, y))) << frame << " row " << y;
                }
}

TEST_P(KnobStrip, PointerAngleFollowsTheValue) {
    // The pointer is what moves: per pixel, compare each frame with the median over all shown
    // frames (the still body) and take the centroid of the pixels that differ most.
    std::vector<double> error;
    for (int frame = 0; frame < 55; ++frame) {
        double sumX = 0, sumY = 0, sumWeight = 0;
        for (int y = 0; y < kFrame; ++y) {
            for (int x = 0; x < kFrame; ++x) {
                const double r = distanceFromCentre(x, y);
                if (r < 3.0 || r > 10.0) continue;  // the hub is covered at every angle
                // Per channel medians make the still body; the distance from it is the change.
                double deviationSquared = 0;
                for (int channel = 0; channel < 3; ++channel) {
                    std::vector<int> values;
                    for (int other = 0; other < 55; ++other) values.push_back(at(other, x, y)[channel]);
                    std::nth_element(values.begin(), values.begin() + 27, values.end());
                    const double change = at(frame, x, y)[channel] - values[27];
                    deviationSquared += change * change;
                }
                const double deviation = std::sqrt(deviationSquared);
                if (deviation < 80) continue;  // anti-aliasing fringes and the pointer's dark outline
                sumX += deviation * (x + 0.5 - kCentre);
                sumY += deviation * (y + 0.5 - kCentre);
                sumWeight += deviation;
            }
        }
        ASSERT_GT(sumWeight, 0.0) << "no pointer found in frame " << frame;
        const double measured = std::atan2(-sumY, sumX) * 180.0 / M_PI;
        const double expected = 225.0 - 270.0 * frame / 54.0;
        double difference = std::fmod(measured - expected + 540.0, 360.0) - 180.0;
        error.push_back(std::fabs(difference));
        EXPECT_LE(std::fabs(difference), kAngleToleranceDegrees)
            << "frame " << frame << ": measured " << measured << ", expected " << expected;
    }
    RecordProperty("max_angle_error_deg", std::to_string(*std::max_element(error.begin(), error.end())));
}

TEST_P(KnobStrip, EveryShownFrameDiffersFromTheNextAndTheSpareRepeatsTheLast) {
    auto frameBytes = [&](int frame) {
        return std::vector<uint8_t>(strip.rgb.begin() + frame * kFrame * kFrame * 3,
                                    strip.rgb.begin() + (frame + 1) * kFrame * kFrame * 3);
    };
    for (int frame = 0; frame < 54; ++frame) EXPECT_NE(frameBytes(frame), frameBytes(frame + 1)) << frame;
    EXPECT_EQ(frameBytes(55), frameBytes(54));
}

// A keyed redraw leaves key pixels as they were on screen, so every frame must cover the
// same pixels: otherwise bits of the previous frame would stay behind when the value moves.
TEST_P(KnobStrip, AllFramesCoverTheSamePixels) {
    for (int frame = 1; frame < 56; ++frame)
        for (int y = 0; y < kFrame; ++y)
            for (int x = 0; x < kFrame; ++x)
                ASSERT_EQ(isKey(at(frame, x, y)), isKey(at(0, x, y))) << frame << " " << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(AllKinds, KnobStrip, ::testing::Values(104, 105, 106, 107));

// ---- switch -------------------------------------------------------------------------------

TEST(SkinSwitch, TwoDifferentStatesEachKeyedAroundTheButton) {
    const RgbImage image = loadCommitted(109);
    ASSERT_EQ(image.width, 36);
    ASSERT_EQ(image.height, 48);
    int differing = 0;
    for (int state = 0; state < 2; ++state) {
        const int top = state * 24;
        for (int y = 0; y < 24; ++y) {
            for (int x = 0; x < 36; ++x) {
                const bool border = x < 2 || x > 33 || y < 2 || y > 21;  // a label may overlap rows 0-1
                const bool body = x >= 6 && x <= 29 && y >= 6 && y <= 17;
                if (border) {
                    EXPECT_TRUE(isKey(image.at(x, top + y))) << state << " " << x << "," << y;
                }
                if (body) {
                    EXPECT_FALSE(isKey(image.at(x, top + y))) << state << " " << x << "," << y;
                }
                if (state == 0 && !std::equal(image.at(x, y), image.at(x, y) + 3, image.at(x, y + 24))) ++differing;
            }
        }
    }
    EXPECT_GT(differing, 40) << "off and on must be told apart at a glance";
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 36; ++x)
            EXPECT_EQ(isKey(image.at(x, y)), isKey(image.at(x, y + 24))) << "same footprint at " << x << "," << y;
}

// ---- voice indicator ------------------------------------------------------------------------

TEST(SkinVoiceIndicator, SeventeenDistinctFramesWithMoreLightForMoreVoices) {
    const RgbImage image = loadCommitted(110);
    ASSERT_EQ(image.width, 40);
    ASSERT_EQ(image.height, 17 * 40);
    std::vector<std::vector<uint8_t>> frames;
    std::vector<int> litPixels;
    for (int frame = 0; frame < 17; ++frame) {
        frames.emplace_back(image.rgb.begin() + frame * 40 * 40 * 3, image.rgb.begin() + (frame + 1) * 40 * 40 * 3);
        int lit = 0;
        for (size_t i = 0; i < frames.back().size(); i += 3) {
            const uint8_t* p = &frames.back()[i];
            if (p[0] > 200 && p[1] > 100 && p[1] < 220 && p[2] < 120) ++lit;  // amber lamp light
        }
        litPixels.push_back(lit);
    }
    for (int a = 0; a < 17; ++a)
        for (int b = a + 1; b < 17; ++b) EXPECT_NE(frames[a], frames[b]) << a << " vs " << b;
    EXPECT_EQ(litPixels[0], 0);
    for (int frame = 1; frame < 17; ++frame) EXPECT_GT(litPixels[frame], litPixels[frame - 1]) << frame;
}

// ---- help picture ---------------------------------------------------------------------------

// True when an outline in the help picture's accent colour passes within `reach` pixels.
bool accentNear(const RgbImage& image, int x, int y, int reach) {
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const uint8_t* p = image.at(x + dx, y + dy);
            if (p[0] > 150 && p[1] > p[0] * 0.6 && p[1] < p[0] * 0.85 && p[2] < p[0] * 0.4) return true;
        }
    return false;
}

TEST(SkinHelpPicture, FramesEveryPartItNames) {
    const RgbImage help = loadCommitted(114);
    ASSERT_EQ(help.width, 600);
    ASSERT_EQ(help.height, 250);
    struct Edge {
        const char* part;
        int x, y;
    };
    // Points on both sides of each framed part, from the editor's geometry.
    const Edge edges[] = {
        {"input section, left", 3, 28},      {"input section, right", 148, 28},  {"oscillators, left", 8, 120},
        {"oscillators, right", 198, 120},    {"voice indicator, left", 153, 29}, {"voice indicator, right", 198, 29},
        {"LFO periods, left", 243, 150},     {"LFO periods, right", 287, 150},   {"compressor, left", 151, 225},
        {"compressor, right", 176, 225},     {"event aims, left", 403, 100},     {"event aims, right", 447, 100},
        {"event starts, left", 499, 100},    {"event starts, right", 543, 100},  {"event releases, left", 547, 100},
        {"event releases, right", 591, 100},
    };
    for (const Edge& edge : edges) EXPECT_TRUE(accentNear(help, edge.x, edge.y, 3)) << edge.part;
}

TEST(SkinHelpPicture, ShowsTheEditorDimmedBehindTheNotes) {
    // Away from the notes the picture is the panel, darker: every pixel of the filter's
    // plate is darker than the panel's and follows it (brighter panel, brighter picture).
    const RgbImage panel = loadCommitted(101), help = loadCommitted(114);
    int brighter = 0, checked = 0;
    for (int y = 50; y < 78; ++y)
        for (int x = 205; x < 350; ++x) {
            const int p = panel.at(x, y)[0] + panel.at(x, y)[1] + panel.at(x, y)[2];
            const int h = help.at(x, y)[0] + help.at(x, y)[1] + help.at(x, y)[2];
            if (h > p) ++brighter;
            ++checked;
        }
    EXPECT_EQ(brighter, 0) << "of " << checked;
}

}  // namespace
