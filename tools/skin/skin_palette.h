// The colours of the skin, in one place so that every image agrees with the panel.
#pragma once

#include "tools/skin/skin_canvas.h"

namespace skin_palette {

// Light comes from the top left: raised edges are light there and dark bottom right.
const SkinColor kChassis = rgb(36, 39, 44);     // frame around the section plates
const SkinColor kSurface = rgb(178, 184, 190);  // plates; black labels sit on it
const SkinColor kPlateHighlight = rgb(232, 236, 240);
const SkinColor kPlateShadow = rgb(98, 104, 112);
const SkinColor kGrooveDark = rgb(128, 134, 141);
const SkinColor kGrooveLight = rgb(222, 226, 230);
const SkinColor kWindow = rgb(22, 33, 39);  // read-out windows; cyan text sits on it
const SkinColor kWindowShade = rgb(9, 13, 17);
const SkinColor kTitle = rgb(44, 52, 62);
const SkinColor kLegend = rgb(0, 0, 0);  // same as the editor's labels
const SkinColor kTick = rgb(58, 64, 72);
const SkinColor kShadow = rgb(0, 0, 0);
const SkinColor kKey = rgb(255, 255, 0);      // transparent key of knobs and switch
const SkinColor kReadout = rgb(0, 255, 255);  // the editor's read-out text
const SkinColor kLedOn = rgb(255, 176, 48);
const SkinColor kLedOff = rgb(70, 46, 26);

}  // namespace skin_palette
