// Callouts sit over the sections they do not explain (filter, arpeggiator, envelope and
// the maker's plate) so that every part they name stays visible.
#include "tools/skin/help_painter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/skin/panel_layout.h"
#include "tools/skin/skin_fonts.h"
#include "tools/skin/skin_layout.h"
#include "tools/skin/skin_palette.h"

namespace {

const SkinColor kAccent = rgb(255, 196, 64);
const SkinColor kNoteFill = rgb(255, 240, 196);
const SkinColor kNoteText = rgb(28, 22, 10);
const SkinColor kOutline = rgb(20, 16, 8);
constexpr double kNotePixels = 10.0;
constexpr double kLineHeight = 11.0;

struct Point {
    double x, y;
};

struct Callout {
    std::vector<const char*> lines;
    SkinBox box;
    bool hasArrow;
    Point from, to;  // the arrow runs from the callout to the part it names
};

void strokeBox(SkinCanvas& canvas, SkinBox b, SkinColor color, double width) {
    canvas.fillShape(
        [&](double x, double y) {
            return std::fabs(roundedRectDistance(x, y, b.left, b.top, b.right, b.bottom, 4.0)) - width * 0.5;
        },
        color, 1.0, 1.0, {b.left - 4, b.top - 4, b.right + 4, b.bottom + 4});
}

void outlinePart(SkinCanvas& canvas, SkinBox b) {
    strokeBox(canvas, b, kOutline, 3.6);
    strokeBox(canvas, b, kAccent, 2.0);
}

void paintArrow(SkinCanvas& canvas, Point from, Point to) {
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double length = std::hypot(dx, dy);
    const double ux = dx / length, uy = dy / length;
    const double headLength = 5.0, headHalf = 3.5;
    const Point base{to.x - ux * headLength, to.y - uy * headLength};
    const Point left{base.x - uy * headHalf, base.y + ux * headHalf};
    const Point right{base.x + uy * headHalf, base.y - ux * headHalf};
    // Distance to the convex head: the largest of its three edge half-plane distances,
    // each signed so that inside is negative whichever way the corners wind.
    const double winding = ((left.x - to.x) * (right.y - to.y) - (left.y - to.y) * (right.x - to.x)) > 0 ? 1.0 : -1.0;
    auto headDistance = [=](double x, double y) {
        auto edge = [&](Point a, Point b) {
            const double ex = b.x - a.x, ey = b.y - a.y;
            return winding * ((x - a.x) * ey - (y - a.y) * ex) / std::hypot(ex, ey);
        };
        return std::max({edge(to, left), edge(left, right), edge(right, to)});
    };
    auto shaft = [=](double x, double y) {
        return segmentDistance(x, y, from.x, from.y, base.x + ux, base.y + uy, 0.8);
    };
    const SkinBox area{int(std::min(from.x, to.x)) - 8, int(std::min(from.y, to.y)) - 8,
                       int(std::max(from.x, to.x)) + 9, int(std::max(from.y, to.y)) + 9};
    canvas.fillShape([&](double x, double y) { return std::min(shaft(x, y), headDistance(x, y)) - 1.0; }, kOutline,
                     0.85, 1.0, area);
    canvas.fillShape([&](double x, double y) { return std::min(shaft(x, y), headDistance(x, y)); }, kAccent, 1.0, 1.0,
                     area);
}

void paintCallout(SkinCanvas& canvas, const Callout& callout, const SkinFonts& fonts) {
    const SkinBox b = callout.box;
    canvas.fillShape(
        [&](double x, double y) {
            return roundedRectDistance(x, y, b.left + 1.5, b.top + 2, b.right + 1.5, b.bottom + 2, 3.5);
        },
        rgb(0, 0, 0), 0.5, 2.0);
    canvas.fillShape(
        [&](double x, double y) { return roundedRectDistance(x, y, b.left, b.top, b.right, b.bottom, 3.5); }, kOutline);
    canvas.fillShape(
        [&](double x, double y) {
            return roundedRectDistance(x, y, b.left + 1, b.top + 1, b.right - 1, b.bottom - 1, 2.5);
        },
        kNoteFill);
    const double textHeight = kLineHeight * callout.lines.size();
    double top = std::floor(b.top + (b.bottom - b.top - textHeight) * 0.5 + 0.5);
    for (const char* line : callout.lines) {
        fonts.bold.drawCentred(canvas, line, {b.left, int(top), b.right, int(top + kLineHeight)}, kNotePixels,
                               kNoteText);
        top += kLineHeight;
    }
}

SkinBox rowsContent(std::initializer_list<int> rows) {
    SkinBox content{kPanelWidth, kPanelHeight, 0, 0};
    for (int row : rows)
        for (const SkinBox& b : rowContentBoxes(row))
            content = {std::min(content.left, b.left), std::min(content.top, b.top), std::max(content.right, b.right),
                       std::max(content.bottom, b.bottom)};
    return content;
}

SkinBox around(SkinBox b, int margin) { return {b.left - margin, b.top - margin, b.right + margin, b.bottom + margin}; }

// A column of controls with their labels and read-outs, from `topRow` down to `bottomRow`.
SkinBox column(int topRow, int bottomRow) {
    const SkinControl& top = kSynthLayout[topRow];
    const SkinControl& bottom = kSynthLayout[bottomRow];
    return {top.x - 22, top.y - 21, top.x + 22, bottom.y + 21};
}

}  // namespace

SkinCanvas paintHelpPicture(const SkinCanvas& editorView, const SkinFonts& fonts) {
    SkinCanvas picture(kPanelWidth, kPanelHeight, rgb(0, 0, 0));
    // Dim the editor so the notes stand out while every control stays recognisable.
    for (int y = 0; y < kPanelHeight; ++y)
        for (int x = 0; x < kPanelWidth; ++x)
            picture.setPixel(x, y, mixColor(editorView.pixel(x, y), rgb(8, 12, 18), 0.38));
    // The notes about the event modulators cover the maker's plate; clear it so no half
    // hidden lettering shows between them.
    const SkinBox maker = plateHolding(kHelpButtonBox);
    const SkinBox clear{maker.left + 2, maker.top + 2, maker.right - 2, maker.bottom - 2};
    picture.fillRect(clear.left, clear.top, clear.right, clear.bottom,
                     mixColor(skin_palette::kSurface, rgb(8, 12, 18), 0.38));

    // The parts named, each framed by what the editor shows of it.
    const SkinBox inputSection = around(rowsContent({0, 1, 2}), 1);
    const SkinBox oscillators = around(rowsContent({3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}), 1);
    const SkinBox indicator = around(kVoiceIndicatorBox, 2);
    const SkinBox periods = column(27, 32);
    const SkinBox compressor = around(controlFaceBox(kSynthLayout[62]), 1);
    const SkinBox aims = column(36, 48), starts = column(38, 50), releases = column(39, 51);
    for (const SkinBox& part : {inputSection, oscillators, indicator, periods, compressor, aims, starts, releases})
        outlinePart(picture, part);

    // Arrows leave a note's edge and stop just short of the frame they point at.
    auto below = [](SkinBox part, int x) { return Point{double(x), part.bottom + 1.0}; };
    const std::vector<Callout> callouts = {
        {{"input section"}, {8, inputSection.bottom - 12, 98, inputSection.bottom}, false, {}, {}},
        {{"notes running", "(max 16)"}, {224, 8, 312, 34}, true, {224, 21}, {indicator.right + 1.0, 28}},
        {{"oscillators 1-3:", "switch, level, shape, tuning"},
         {6, 206, 138, 231},
         true,
         {72, 206},
         below(oscillators, 72)},
        {{"output compressor"},
         {10, 234, 128, 247},
         true,
         {128, 240},
         {compressor.left - 1.0, compressor.bottom - 4.0}},
        {{"LFO period"}, {222, 206, 308, 220}, true, {265, 206}, below(periods, 265)},
        {{"parameter", "modified"}, {404, 207, 466, 232}, true, {425, 207}, below(aims, 425)},
        {{"value at", "start"}, {490, 207, 544, 232}, true, {521, 207}, below(starts, 521)},
        {{"value at", "release"}, {547, 207, 597, 232}, true, {569, 207}, below(releases, 569)},
        {{"each event modulator, rows 1-4"}, {404, 235, 597, 248}, false, {}, {}},
        {{"click to close"}, {314, 230, 398, 245}, false, {}, {}},
    };
    for (const Callout& callout : callouts)
        if (callout.hasArrow) paintArrow(picture, callout.from, callout.to);
    for (const Callout& callout : callouts) paintCallout(picture, callout, fonts);
    return picture;
}
