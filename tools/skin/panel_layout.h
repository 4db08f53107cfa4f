// Where the panel's plates, engraved lines and printed texts go, worked out from the
// control table: each plate grows from what it holds to the gutters between neighbours.
#pragma once

#include <string>
#include <vector>

#include "tools/skin/skin_canvas.h"

// A raised plate framing one section, and the rows of the control table it holds.
struct PanelSection {
    std::string name;
    SkinBox plate;
    std::vector<int> rows;
};

// A text printed on the panel: section titles and legends for controls without a label.
struct PanelText {
    const char* text;
    SkinBox box;
    bool isTitle;
};

// An engraved line across a plate from x0 to x1 (excluded), on rows y and y + 1.
struct PanelGroove {
    int x0, x1, y;
};

struct PanelLayout {
    std::vector<PanelSection> sections;
    std::vector<PanelGroove> grooves;
    std::vector<PanelText> texts;
};

const PanelLayout& panelLayout();

// The plate that holds `box`, or an empty box when none does.
SkinBox plateHolding(SkinBox box);

// Everything a row shows: the painted face, and its label and read-out window when it has
// them (the window with the light line that sets it into the plate).
std::vector<SkinBox> rowContentBoxes(int row);

// The maker's plate: name, line and vendor mark beside the key under the help button.
constexpr SkinBox kLogoBox{404, 205, 488, 233};
constexpr SkinBox kLogoLineBox{404, 231, 488, 244};
constexpr SkinBox kVendorBox{541, 216, 597, 234};
constexpr int kPanelMargin = 2;  // chassis left around the plates
