// The control table of the editor panel (600 x 250), in parameter order.
#include "editor/synth_layout.h"

// Columns: index, x, y, label?, read-out?, label, dependent, kind.
const SynthLayoutRow kSynthLayout[kSynthLayoutRowCount] = {
    // Output and master pitch.
    {0, 25, 28, true, false, "vol", 0, 1},
    {1, 75, 28, true, false, "pan", 0, 1},
    {2, 125, 28, true, true, "pitch", 0, 1},
    // Oscillator 1.
    {3, 25, 64, false, false, "", 0, 4},
    {4, 25, 84, false, false, "", 0, 0},
    {5, 75, 74, false, true, "", 0, 0},
    {6, 125, 74, true, true, "pitch", 0, 3},
    {7, 175, 74, true, true, "subpitch", 0, 3},
    // Oscillator 2.
    {8, 25, 114, false, false, "", 0, 4},
    {9, 25, 134, false, false, "", 0, 0},
    {10, 75, 124, false, true, "", 0, 0},
    {11, 125, 124, true, true, "pitch", 0, 3},
    {12, 175, 124, true, true, "subpitch", 0, 3},
    // Oscillator 3.
    {13, 25, 164, false, false, "", 0, 4},
    {14, 25, 184, false, false, "", 0, 0},
    {15, 75, 174, false, true, "", 0, 0},
    {16, 125, 174, true, true, "pitch", 0, 3},
    {17, 175, 174, true, true, "subpitch", 0, 3},
    // Amplitude envelope.
    {18, 27, 225, true, false, "att", 0, 2},
    {19, 57, 225, true, false, "dec", 0, 2},
    {20, 87, 225, true, false, "sus", 0, 2},
    {21, 117, 225, true, false, "rel", 0, 2},
    // Arpeggiator.
    {22, 230, 221, true, true, "arpeg.", 0, 1},
    {23, 275, 221, false, true, "", 0, 1},
    {24, 320, 221, false, true, "", 0, 1},
    {25, 365, 221, true, true, "range", 0, 1},
    // LFO 1.
    {26, 225, 121, true, false, "lfo 1", 0, 4},
    {27, 265, 121, false, true, "", 0, 0},
    {28, 303, 111, false, true, "", 0, 0},
    {29, 341, 131, false, true, "", 1, 3},
    {30, 379, 111, false, true, "", 1, 3},
    // LFO 2.
    {31, 225, 171, true, false, "lfo 2", 0, 4},
    {32, 265, 171, false, true, "", 0, 0},
    {33, 303, 161, false, true, "", 0, 0},
    {34, 341, 181, false, true, "", 1, 3},
    {35, 379, 161, false, true, "", 1, 3},
    // Event modulators 1 to 4: aim, note, value on press, value on release.
    {36, 425, 31, true, true, "event 1", 0, 3},
    {37, 473, 31, false, true, "", 0, 3},
    {38, 521, 31, false, true, "", 1, 2},
    {39, 569, 31, false, true, "", 1, 2},
    {40, 425, 79, true, true, "event 2", 0, 3},
    {41, 473, 79, false, true, "", 0, 3},
    {42, 521, 79, false, true, "", 1, 2},
    {43, 569, 79, false, true, "", 1, 2},
    {44, 425, 127, true, true, "event 3", 0, 3},
    {45, 473, 127, false, true, "", 0, 3},
    {46, 521, 127, false, true, "", 1, 2},
    {47, 569, 127, false, true, "", 1, 2},
    {48, 425, 175, true, true, "event 4", 0, 3},
    {49, 473, 175, false, true, "", 0, 3},
    {50, 521, 175, false, true, "", 1, 2},
    {51, 569, 175, false, true, "", 1, 2},
    // Filter and its envelope.
    {52, 225, 33, true, false, "filter", 0, 4},
    {53, 260, 33, true, false, "cutoff", 0, 0},
    {54, 295, 33, true, false, "res", 0, 0},
    {55, 330, 33, true, false, "env", 0, 1},
    {56, 225, 67, true, false, "att", 0, 2},
    {57, 260, 67, true, false, "dec", 0, 2},
    {58, 295, 67, true, false, "sus", 0, 2},
    {59, 330, 67, true, false, "rel", 0, 2},
    // Portamento and the output compressor.
    {60, 375, 40, true, false, "porta", 0, 4},
    {61, 375, 65, false, false, "", 0, 1},
    {62, 163, 225, true, false, "comp", 0, 3},
};
