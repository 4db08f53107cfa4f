// Standard MIDI File (type 0 and 1) reader: channel events of all tracks merged by time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A channel message at an absolute tick. Note-on with velocity 0 arrives as note-off.
struct MidiFileEvent {
    int64_t tick = 0;
    uint8_t bytes[3] = {0, 0, 0};
    uint8_t size = 0;
};

struct MidiTempoChange {
    int64_t tick = 0;
    int64_t microsPerQuarter = 500000;
};

struct MidiTimeSignature {
    int64_t tick = 0;
    int numerator = 4;
    int denominator = 4;
};

class MidiFile {
public:
    // Both throw HostError with a one-line reason for truncated or corrupt data.
    static MidiFile parse(const std::vector<uint8_t>& bytes);
    static MidiFile load(const std::string& path);

    int format = 0;
    int trackCount = 0;
    // Pulses per quarter note; 0 when the file counts SMPTE frames instead.
    int ticksPerQuarter = 0;
    // For SMPTE files: frames per second (24, 25, 29 for 29.97 drop frame, 30) and ticks per frame.
    int smpteFramesPerSecond = 0;
    int smpteTicksPerFrame = 0;

    std::vector<MidiFileEvent> events;         // sorted by tick, file order kept within a tick
    std::vector<MidiTempoChange> tempoChanges; // sorted by tick
    std::vector<MidiTimeSignature> timeSignatures;
    int64_t endTick = 0; // the latest end of track (or last event)

private:
    class TrackParser;
};
