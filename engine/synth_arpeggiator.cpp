// SynthArpeggiator: chord table, step positions and the shared pitch factor.
#include "engine/synth_arpeggiator.h"

#include <cmath>

#include "engine/synth_math.h"

const char* const kArpTypeNames[kArpTypeCount] = {
    "None", "Up", "Down", "UpDown", "DownUp", "UD-Pa", "DU-Pa",
};

const float kArpTimeFactors[kArpTimeCount] = {
    0.125f, 0.166f, 0.25f, 0.333f, 0.5f, 0.666f, 1.0f, 1.333f, 2.0f, 2.666f,
};

const ChordDef kChordTable[kChordCount] = {
    {"none", {0, 12}, 2},
    {"5", {0, 7}, 2},
    {"major", {0, 4, 7}, 3},
    {"minor", {0, 3, 7}, 3},
    {"sus2", {0, 2, 7}, 3},
    {"sus4", {0, 5, 7}, 3},
    {"dim", {0, 3, 6}, 3},
    {"aug", {0, 4, 8}, 3},
    {"6", {0, 4, 7, 9}, 4},
    {"m6", {0, 3, 7, 9}, 4},
    {"7", {0, 4, 7, 10}, 4},
    {"m7", {0, 3, 7, 10}, 4},
    {"7M", {0, 4, 7, 11}, 4},
    {"m7M", {0, 3, 7, 11}, 4},
    {"dim7", {0, 3, 6, 9}, 4},
    {"7sus2", {0, 2, 7, 10}, 4},
    {"7sus4", {0, 5, 7, 10}, 4},
    {"7+5", {0, 4, 8, 10}, 4},
    {"m7+5", {0, 3, 8, 10}, 4},
    {"7-5", {0, 4, 6, 10}, 4},
    {"m7-5", {0, 3, 6, 10}, 4},
    {"add9", {0, 2, 4, 7}, 4},
    {"madd9", {0, 2, 3, 7}, 4},
    {"9", {0, 4, 7, 10, 14}, 5},
    {"m9", {0, 3, 7, 10, 14}, 5},
    {"9M", {0, 4, 7, 11, 14}, 5},
    {"m9M", {0, 3, 7, 11, 14}, 5},
    {"9+5", {0, 4, 8, 10, 14}, 5},
    {"m9+5", {0, 3, 8, 10, 14}, 5},
    {"9-5", {0, 4, 6, 10, 14}, 5},
    {"m9-5", {0, 3, 6, 10, 14}, 5},
    {"6/9", {0, 4, 7, 9, 14}, 5},
    {"11", {0, 7, 10, 14, 17}, 5},
    {"11M", {0, 7, 11, 14, 17}, 5},
    {"13", {0, 4, 7, 10, 14, 21}, 6},
    {"m13", {0, 3, 7, 10, 14, 21}, 6},
    {"13M", {0, 4, 7, 11, 14, 21}, 6},
    {"m13M", {0, 3, 7, 11, 14, 21}, 6},
};

namespace {

// Longest step kept: about six hours at 44.1 kHz, far inside the 64-bit step clock.
constexpr float kMaxStepLength = 1.0e9f;

}  // namespace

void SynthArpeggiator::setArpType(float value) {
    type = choiceIndex(value, kArpTypeCount);
    recompute();
}

void SynthArpeggiator::setArpTime(float value, float samplesPerBeat) {
    timeFactor = kArpTimeFactors[choiceIndex(value, kArpTimeCount)];
    const float length = timeFactor * samplesPerBeat;
    // The step test divides by trunc(stepLength): never let it reach 0, inf or NaN.
    if (length == length) {
        stepLength = length < 1.0f ? 1.0f : (length > kMaxStepLength ? kMaxStepLength : length);
    }
    recompute();
}

void SynthArpeggiator::setArpChord(float value) {
    chord = choiceIndex(value, kChordCount);
    recompute();
}

void SynthArpeggiator::setArpRange(float value) {
    range = choiceIndex(value, 4) + 1;
    recompute();
}

int32_t SynthArpeggiator::arpStepOffset() const {
    const ChordDef& chordDef = kChordTable[chord];
    const int32_t notesPerLayer = chordDef.count - 1;
    int64_t cycle;
    switch (type) {
    case kArpUp:
    case kArpDown:
        cycle = range * notesPerLayer + 1;
        break;
    case kArpUpDown:
    case kArpDownUp:
        cycle = 2 * range * notesPerLayer;
        break;
    default:
        cycle = 2 * range * notesPerLayer + 2;
        break;
    }
    // Float division as the step clock was always read; past 2^24 samples of one held
    // voice the quotient is rounded, which only moves the position by a step at most.
    const float quotient = static_cast<float>(stepTime) / stepLength;
    const int64_t step =
        (quotient > -9.0e18f && quotient < 9.0e18f) ? static_cast<int64_t>(quotient) : 0;
    int64_t position = step % cycle;
    if (position < 0) {
        position += cycle;
    }
    if (type == kArpUpDown || type == kArpDownUp) {
        if (position > cycle / 2) {
            position = cycle - position;
        }
    } else if (type != kArpUp && type != kArpDown) {
        if (position > cycle / 2) {
            position = cycle - position - 1;
        }
    }
    return static_cast<int32_t>((position / notesPerLayer) * chordDef.intervals[notesPerLayer] +
                                chordDef.intervals[position % notesPerLayer]);
}

void SynthArpeggiator::recompute() {
    if (!armed) {
        return;
    }
    const int32_t offset = arpStepOffset();
    const bool upwards = type == kArpUp || type == kArpUpDown || type == kArpUpDownPause;
    factor = extendedPow(kSemitoneRatio, static_cast<float>(upwards ? offset : -offset));
}
