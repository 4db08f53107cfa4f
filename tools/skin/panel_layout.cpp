// The panel is a tree of splits. A split places its gutters midway in the free space
// between the contents of its children; a grooved split keeps one plate and draws engraved
// lines there instead, broken wherever a control leaves no room.
#include "tools/skin/panel_layout.h"

#include <algorithm>

#include "tools/skin/skin_layout.h"

namespace {

enum class Split { kNone, kSideBySide, kStacked };

struct LayoutNode {
    std::string name;
    Split split = Split::kNone;
    bool grooved = false;          // children share one plate, parted by engraved lines
    std::vector<int> rows;         // leaves: control-table rows
    std::vector<SkinBox> extras;   // leaves: other things shown there
    std::vector<PanelText> texts;  // leaves: printed titles and legends
    std::vector<LayoutNode> children;
};

SkinBox unite(SkinBox a, SkinBox b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

void collectBoxes(const LayoutNode& node, std::vector<SkinBox>& boxes) {
    for (int row : node.rows)
        for (const SkinBox& box : rowContentBoxes(row)) boxes.push_back(box);
    boxes.insert(boxes.end(), node.extras.begin(), node.extras.end());
    for (const PanelText& text : node.texts) boxes.push_back(text.box);
    for (const LayoutNode& child : node.children) collectBoxes(child, boxes);
}

void collectRows(const LayoutNode& node, std::vector<int>& rows) {
    rows.insert(rows.end(), node.rows.begin(), node.rows.end());
    for (const LayoutNode& child : node.children) collectRows(child, rows);
}

SkinBox contentOf(const LayoutNode& node) {
    std::vector<SkinBox> boxes;
    collectBoxes(node, boxes);
    SkinBox content = boxes.front();
    for (const SkinBox& box : boxes) content = unite(content, box);
    return content;
}

// Splits the free span between `end` (first free pixel after one child's content) and
// `start` (first pixel of the next child's) into a bevel for each side and a gutter of up
// to two pixels between them; returns where the first plate ends and the second begins.
std::pair<int, int> gutter(int end, int start) {
    const int free = start - end;
    const int width = std::max(0, std::min(2, free - 2));
    const int spare = std::max(0, free - 2 - width);
    const int firstEnd = end + 1 + spare / 2;
    return {firstEnd, firstEnd + width};
}

// One engraved line between two stacked groups of a plate: on the row that most columns
// leave free (ties go to the row with the most room around it), drawn only where free.
void addGroove(SkinBox plate, const LayoutNode& upper, const LayoutNode& lower, std::vector<PanelGroove>& grooves) {
    std::vector<SkinBox> above, below;
    collectBoxes(upper, above);
    collectBoxes(lower, below);
    const int left = plate.left + 4, right = plate.right - 4;
    std::vector<int> upperEnd(right - left, plate.top + 1), lowerStart(right - left, plate.bottom - 1);
    for (int x = left; x < right; ++x) {
        for (const SkinBox& b : above)
            if (b.left <= x && x < b.right) upperEnd[x - left] = std::max(upperEnd[x - left], b.bottom);
        for (const SkinBox& b : below)
            if (b.left <= x && x < b.right) lowerStart[x - left] = std::min(lowerStart[x - left], b.top);
    }
    auto fits = [&](int x, int y) { return upperEnd[x - left] + 1 <= y && y + 3 <= lowerStart[x - left]; };
    int bestY = -1;
    long bestCount = -1, bestRoom = -1;
    for (int y = plate.top + 2; y + 4 <= plate.bottom; ++y) {
        long count = 0, room = 0;
        for (int x = left; x < right; ++x) {
            if (!fits(x, y)) continue;
            ++count;
            room += std::min(y - upperEnd[x - left], lowerStart[x - left] - (y + 2));
        }
        if (count > bestCount || (count == bestCount && room > bestRoom)) {
            bestY = y;
            bestCount = count;
            bestRoom = room;
        }
    }
    constexpr int kShortest = 8;  // shorter pieces read as specks, not lines
    for (int x = left; x < right;) {
        if (!fits(x, bestY)) {
            ++x;
            continue;
        }
        int end = x;
        while (end < right && fits(end, bestY)) ++end;
        if (end - x >= kShortest) grooves.push_back({x, end, bestY});
        x = end;
    }
}

void place(const LayoutNode& node, SkinBox box, bool onSharedPlate, PanelLayout& layout) {
    for (const PanelText& text : node.texts) layout.texts.push_back(text);
    if (!onSharedPlate && (node.split == Split::kNone || node.grooved)) {
        PanelSection section{node.name, box, {}};
        collectRows(node, section.rows);
        layout.sections.push_back(section);
    }
    if (node.split == Split::kNone) return;

    const bool shared = onSharedPlate || node.grooved;
    SkinBox rest = box;
    for (size_t i = 0; i < node.children.size(); ++i) {
        SkinBox childBox = rest;
        if (i + 1 < node.children.size()) {
            const SkinBox here = contentOf(node.children[i]), next = contentOf(node.children[i + 1]);
            if (node.split == Split::kSideBySide) {
                const auto cut = shared ? std::pair<int, int>{here.right, here.right} : gutter(here.right, next.left);
                childBox.right = cut.first;
                rest.left = cut.second;
            } else {
                const auto cut = shared ? std::pair<int, int>{here.bottom, here.bottom} : gutter(here.bottom, next.top);
                childBox.bottom = cut.first;
                rest.top = cut.second;
            }
            if (node.grooved) addGroove(box, node.children[i], node.children[i + 1], layout.grooves);
        }
        place(node.children[i], childBox, shared, layout);
    }
}

LayoutNode leaf(const char* name, std::vector<int> rows, std::vector<PanelText> texts = {},
                std::vector<SkinBox> extras = {}) {
    LayoutNode node;
    node.name = name;
    node.rows = std::move(rows);
    node.texts = std::move(texts);
    node.extras = std::move(extras);
    return node;
}

LayoutNode split(const char* name, Split how, std::vector<LayoutNode> children, bool grooved = false) {
    LayoutNode node;
    node.name = name;
    node.split = how;
    node.grooved = grooved;
    node.children = std::move(children);
    return node;
}

// A title or legend in the label place of a row, or a band spanning rows `from` to `to`
// at `offset` pixels below their centres.
PanelText onLabel(const char* text, int row, bool isTitle = false) {
    return {text, labelBox(kSynthLayout[row]), isTitle};
}

PanelText band(const char* text, int from, int to, int offset) {
    const SynthLayoutRow &a = kSynthLayout[from], &b = kSynthLayout[to];
    return {text, {a.x - 21, a.y + offset, b.x + 21, a.y + offset + 10}, true};
}

LayoutNode buildPanel() {
    std::vector<LayoutNode> events;
    const char* eventNames[] = {"event modulator 1", "event modulator 2", "event modulator 3", "event modulator 4"};
    for (int e = 0; e < 4; ++e) {
        const int aim = 36 + 4 * e;
        events.push_back(leaf(eventNames[e], {aim, aim + 1, aim + 2, aim + 3},
                              {onLabel("note", aim + 1), onLabel("start", aim + 2), onLabel("release", aim + 3)}));
    }
    std::vector<PanelText> lfoTexts = {band("LFO", 26, 26, -34)};
    const char* lfoLegends[] = {"period", "aim", "min", "max"};
    for (int lfo = 0; lfo < 2; ++lfo)
        for (int i = 0; i < 4; ++i) lfoTexts.push_back(onLabel(lfoLegends[i], 27 + 5 * lfo + i));

    const LayoutNode oscillators = split("oscillators", Split::kStacked,
                                         {leaf("oscillator 1", {3, 4, 5, 6, 7}, {onLabel("OSC 1", 5, true)}),
                                          leaf("oscillator 2", {8, 9, 10, 11, 12}, {onLabel("OSC 2", 10, true)}),
                                          leaf("oscillator 3", {13, 14, 15, 16, 17}, {onLabel("OSC 3", 15, true)})},
                                         true);
    // The output title is wider than the knob's column, so it centres on the plate instead.
    const LayoutNode envelopeAndOutput =
        split("envelope and output", Split::kSideBySide,
              {leaf("amplitude envelope", {18, 19, 20, 21}, {band("AMP ENVELOPE", 18, 21, 12)}),
               leaf("output", {62}, {{"OUTPUT", {142, 237, 198, 247}, true}})});
    const LayoutNode left = split(
        "left column", Split::kStacked,
        {leaf("master", {0, 1, 2}, {band("MASTER", 0, 1, 12)}, {kVoiceIndicatorBox}), oscillators, envelopeAndOutput});

    const LayoutNode filterAndGlide =
        split("filter and glide", Split::kSideBySide,
              {leaf("filter", {52, 53, 54, 55, 56, 57, 58, 59}, {band("FILTER", 52, 55, -30)}),
               leaf("portamento", {60, 61}, {band("GLIDE", 60, 60, -37)})});
    const LayoutNode lfosAndArpeggiator =
        split("lfo and arpeggiator", Split::kStacked,
              {leaf("lfos", {26, 27, 28, 29, 30, 31, 32, 33, 34, 35}, lfoTexts),
               leaf("arpeggiator", {22, 23, 24, 25}, {onLabel("time", 23), onLabel("chord", 24)})},
              true);
    const LayoutNode middle = split("middle column", Split::kStacked, {filterAndGlide, lfosAndArpeggiator});

    const LayoutNode right =
        split("right column", Split::kStacked,
              {split("event modulators", Split::kStacked, events, true),
               leaf("maker and help", {}, {}, {kHelpButtonBox, kLogoBox, kLogoLineBox, kVendorBox})});

    return split("panel", Split::kSideBySide, {left, middle, right});
}

}  // namespace

std::vector<SkinBox> rowContentBoxes(int row) {
    const SynthLayoutRow& c = kSynthLayout[row];
    std::vector<SkinBox> boxes{controlFaceBox(c)};
    if (c.hasLabel) boxes.push_back(labelBox(c));
    if (c.hasValueDisplay) {
        const SkinBox value = valueBox(c);
        boxes.push_back({value.left, value.top, value.right + 1, value.bottom + 1});
    }
    return boxes;
}

const PanelLayout& panelLayout() {
    static const PanelLayout layout = [] {
        PanelLayout result;
        place(buildPanel(), {kPanelMargin, kPanelMargin, kPanelWidth - kPanelMargin, kPanelHeight - kPanelMargin},
              false, result);
        return result;
    }();
    return layout;
}

SkinBox plateHolding(SkinBox box) {
    for (const PanelSection& section : panelLayout().sections) {
        const SkinBox p = section.plate;
        if (p.left <= box.left && box.right <= p.right && p.top <= box.top && box.bottom <= p.bottom) return p;
    }
    return {0, 0, 0, 0};
}
