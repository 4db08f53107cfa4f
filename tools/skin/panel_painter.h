// The 600 x 250 panel (bitmap 101): section plates around the controls, titles, read-out
// windows and the word Help.
#pragma once

#include <vector>

#include "tools/skin/skin_canvas.h"

struct SkinFonts;

// A raised plate framing one section, and the rows of the control table it holds.
struct PanelSection {
  const char* name;
  SkinBox plate;
  std::vector<int> rows;
};

// A text printed on the panel: section titles and legends for controls without a label.
struct PanelText {
  const char* text;
  SkinBox box;
  bool isTitle;
};

// The plate with the maker's name and the help key, bottom right.
constexpr SkinBox kMakerPlate{403, 200, 598, 248};

const std::vector<PanelSection>& panelSections();
const std::vector<PanelText>& panelTexts();

SkinCanvas paintPanel(const SkinFonts& fonts);
