// SynthArpeggiator: bends every sounding voice through the notes of a chord, step by step.
#pragma once

#include <cstdint>

constexpr int kArpTypeCount = 7;
constexpr int kArpTimeCount = 10;
constexpr int kChordCount = 38;
constexpr int kChordMaxIntervals = 6;

enum ArpType : int32_t {
    kArpNone = 0,
    kArpUp = 1,
    kArpDown = 2,
    kArpUpDown = 3,
    kArpDownUp = 4,
    kArpUpDownPause = 5,
    kArpDownUpPause = 6,
};

// Display names of the arpeggio types, by type.
extern const char* const kArpTypeNames[kArpTypeCount];

// Step lengths in beats ("%.2f" on display). 0.166 and 0.666 are meant as written.
extern const float kArpTimeFactors[kArpTimeCount];

// A chord: the first count - 1 intervals are the notes of one layer, the last one is
// the distance from one layer to the next. Unused intervals are 0.
struct ChordDef {
    const char* name;
    int32_t intervals[kChordMaxIntervals];
    int32_t count;
};

extern const ChordDef kChordTable[kChordCount];

class SynthArpeggiator {
public:
    void setArpType(float value);
    // samplesPerBeat comes from the host tempo; the step never gets shorter than one
    // sample, and a non-finite tempo keeps the previous step length.
    void setArpTime(float value, float samplesPerBeat);
    void setArpChord(float value);
    void setArpRange(float value);

    // Pitch factor for a voice whose amplitude envelope started `t` samples ago.
    float arpPitchFactor(int64_t t);
    // Semitone offset of the step at stepTime.
    int32_t arpStepOffset() const;

    int32_t type = kArpNone;
    float stepLength = 9450.0f;  // samples per step (half a beat at 140 BPM, 44.1 kHz)
    float timeFactor = 0.5f;     // beats per step
    int32_t chord = 0;
    int32_t range = 1;
    int64_t stepTime = 0;
    float factor = 1.0f;  // shared by every voice
    bool armed = false;

private:
    void recompute();
};

// Called once per sounding voice and sample: defined here so the renderer can inline it.
inline float SynthArpeggiator::arpPitchFactor(int64_t t) {
    if (type == kArpNone) {
        return 1.0f;
    }
    stepTime = t;
    armed = true;
    const int64_t length = static_cast<int64_t>(stepLength);
    // The 32-bit remainder is the same number and several times cheaper.
    const bool narrow = t >= 0 && t <= INT32_MAX && length <= INT32_MAX;
    const int64_t intoStep = narrow ? static_cast<int64_t>(static_cast<uint32_t>(t) % static_cast<uint32_t>(length))
                                    : t % length;
    if (intoStep == 0) {
        recompute();
    }
    return factor;
}
