// The panel frames every control without touching it, and the editor's texts stay legible
// where they are drawn: black labels on the plates, cyan read-outs in their windows.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/resources_support.h"
#include "tools/skin/panel_layout.h"
#include "tools/skin/skin_fonts.h"
#include "tools/skin/skin_layout.h"

namespace {

using namespace resources_test;

constexpr double kMinimumTextContrast = 4.5;  // the usual floor for small text

bool overlaps(SkinBox a, SkinBox b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool contains(SkinBox outer, SkinBox inner) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

// Everything of a row the editor shows: the painted face, its label and its read-out.
std::vector<SkinBox> rowBoxes(int row) {
    const SkinControl& c = kSynthLayout[row];
    std::vector<SkinBox> boxes{controlFaceBox(c)};
    if (c.hasLabel) boxes.push_back(labelBox(c));
    if (c.hasValueDisplay) boxes.push_back(valueBox(c));
    return boxes;
}

TEST(SkinPanelLayout, EveryControlBelongsToExactlyOneSection) {
    std::vector<int> owners(kSynthLayoutRowCount, 0);
    for (const PanelSection& section : panelLayout().sections)
        for (int row : section.rows) ++owners.at(row);
    for (int row = 0; row < kSynthLayoutRowCount; ++row) EXPECT_EQ(owners[row], 1) << "row " << row;
}

TEST(SkinPanelLayout, PlatesHoldTheirControlsInsideTheirBevelsAndDoNotOverlap) {
    const auto& sections = panelLayout().sections;
    for (const PanelSection& section : sections) {
        SCOPED_TRACE(section.name);
        const SkinBox inner{section.plate.left + 1, section.plate.top + 1, section.plate.right - 1,
                            section.plate.bottom - 1};
        for (int row : section.rows)
            for (const SkinBox& box : rowBoxes(row)) EXPECT_TRUE(contains(inner, box)) << "row " << row;
        EXPECT_TRUE(contains({0, 0, kPanelWidth, kPanelHeight}, section.plate));
    }
    for (size_t a = 0; a < sections.size(); ++a)
        for (size_t b = a + 1; b < sections.size(); ++b)
            EXPECT_FALSE(overlaps(sections[a].plate, sections[b].plate))
                << sections[a].name << " / " << sections[b].name;
}

TEST(SkinPanelLayout, BevelsCrossNoControlOfAnotherSection) {
    for (const PanelSection& section : panelLayout().sections) {
        const SkinBox p = section.plate;
        const SkinBox edges[] = {{p.left, p.top, p.right, p.top + 1},
                                 {p.left, p.bottom - 1, p.right, p.bottom},
                                 {p.left, p.top, p.left + 1, p.bottom},
                                 {p.right - 1, p.top, p.right, p.bottom}};
        for (int row = 0; row < kSynthLayoutRowCount; ++row)
            for (const SkinBox& box : rowBoxes(row))
                for (const SkinBox& edge : edges)
                    EXPECT_FALSE(overlaps(edge, box)) << section.name << " edge crosses row " << row;
    }
}

TEST(SkinPanelLayout, EngravedLinesPassBetweenControls) {
    const auto& grooves = panelLayout().grooves;
    EXPECT_GE(grooves.size(),
              6u);  // two between the oscillators, three between the events, one below the LFOs
    for (const PanelGroove& groove : grooves) {
        const SkinBox line{groove.x0, groove.y, groove.x1, groove.y + 2};
        EXPECT_GE(groove.x1 - groove.x0, 8);
        int holders = 0;
        for (const PanelSection& section : panelLayout().sections)
            if (contains(
                    {section.plate.left + 1, section.plate.top + 1, section.plate.right - 1, section.plate.bottom - 1},
                    line))
                ++holders;
        EXPECT_EQ(holders, 1) << "groove at row " << groove.y;
        for (int row = 0; row < kSynthLayoutRowCount; ++row)
            for (const SkinBox& box : rowBoxes(row))
                EXPECT_FALSE(overlaps(line, box)) << "groove at row " << groove.y << " crosses row " << row;
    }
}

TEST(SkinPanelLayout, GuttersSeparateNeighbouringPlates) {
    // Plates never touch: at least one chassis pixel lies between two plates side by side.
    const auto& sections = panelLayout().sections;
    for (size_t a = 0; a < sections.size(); ++a)
        for (size_t b = 0; b < sections.size(); ++b) {
            if (a == b) continue;
            const SkinBox grown{sections[a].plate.left, sections[a].plate.top, sections[a].plate.right + 1,
                                sections[a].plate.bottom + 1};
            EXPECT_FALSE(overlaps(grown, sections[b].plate)) << sections[a].name << " / " << sections[b].name;
        }
}

TEST(SkinPanelLayout, IndicatorAndHelpSitOnPlates) {
    int holders = 0;
    for (const PanelSection& section : panelLayout().sections) {
        if (contains(section.plate, kVoiceIndicatorBox)) ++holders;
        if (contains(section.plate, kHelpButtonBox)) ++holders;
    }
    EXPECT_EQ(holders, 2);
}

TEST(SkinPanelLayout, PrintedTextsTouchNoControlLabelOrReadOut) {
    const SkinFonts fonts(ZELVIK_SKIN_FONT_DIR);
    ASSERT_TRUE(fonts.loaded());
    for (const PanelText& text : panelLayout().texts) {
        const SkinFont& face = text.isTitle ? fonts.bold : fonts.regular;
        const double width = face.textWidth(text.text, text.isTitle ? 9.0 : 10.0, text.isTitle ? 0.9 : 0.0);
        const int middle = (text.box.left + text.box.right) / 2;
        const SkinBox ink{middle - int(width / 2) - 1, text.box.top, middle + int(width / 2) + 1, text.box.bottom};
        for (int row = 0; row < kSynthLayoutRowCount; ++row)
            for (const SkinBox& box : rowBoxes(row))
                EXPECT_FALSE(overlaps(ink, box)) << "\"" << text.text << "\" touches row " << row;
        EXPECT_FALSE(overlaps(ink, kVoiceIndicatorBox)) << text.text;
        int holders = 0;
        for (const PanelSection& section : panelLayout().sections)
            if (contains(
                    {section.plate.left + 2, section.plate.top + 1, section.plate.right - 2, section.plate.bottom - 1},
                    ink))
                ++holders;
        EXPECT_EQ(holders, 1) << "\"" << text.text << "\" runs off its plate";
        EXPECT_FALSE(overlaps(ink, kHelpButtonBox)) << text.text;
    }
}

// ---- pixels under the editor's texts ------------------------------------------------------

TEST(SkinPanelPixels, LabelsInBlackReadOnEveryPixelOfTheirRectangles) {
    const RgbImage panel = loadCommitted(101);
    const uint8_t black[3] = {0, 0, 0};
    double worst = 1e9;
    for (const SkinControl& c : kSynthLayout) {
        if (!c.hasLabel) continue;
        const SkinBox box = labelBox(c);
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) worst = std::min(worst, contrastRatio(panel.at(x, y), black));
    }
    RecordProperty("label_min_contrast", std::to_string(worst));
    EXPECT_GE(worst, kMinimumTextContrast);
}

TEST(SkinPanelPixels, CyanReadOutsReadOnEveryPixelOfTheirWindows) {
    const RgbImage panel = loadCommitted(101);
    const uint8_t cyan[3] = {0, 255, 255};
    double worst = 1e9;
    for (const SkinControl& c : kSynthLayout) {
        if (!c.hasValueDisplay) continue;
        const SkinBox box = valueBox(c);
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) worst = std::min(worst, contrastRatio(panel.at(x, y), cyan));
    }
    RecordProperty("readout_min_contrast", std::to_string(worst));
    EXPECT_GE(worst, kMinimumTextContrast);
}

TEST(SkinPanelPixels, SurfacesUnderTextsAreCalm) {
    // A label or read-out is redrawn from the panel on every change; a busy pattern there
    // would flicker between texts. Allow only the edge lines of a read-out window.
    const RgbImage panel = loadCommitted(101);
    for (const SkinControl& c : kSynthLayout) {
        std::vector<SkinBox> boxes;
        if (c.hasLabel) boxes.push_back(labelBox(c));
        if (c.hasValueDisplay) boxes.push_back(valueBox(c));
        for (const SkinBox& box : boxes) {
            int minimum = 765, maximum = 0;
            for (int y = box.top + 1; y < box.bottom - 1; ++y) {
                for (int x = box.left + 1; x < box.right - 1; ++x) {
                    const uint8_t* p = panel.at(x, y);
                    minimum = std::min(minimum, p[0] + p[1] + p[2]);
                    maximum = std::max(maximum, p[0] + p[1] + p[2]);
                }
            }
            EXPECT_LE(maximum - minimum, 12) << "row at " << c.x << "," << c.y;
        }
    }
}

}  // namespace
