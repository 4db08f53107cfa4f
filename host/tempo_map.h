// Musical time to sample positions: the tempo map of a MIDI file, or one constant tempo.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class MidiFile;

class TempoMap {
public:
    // One tempo for the whole piece (ticks counted in quarters of 960).
    static TempoMap constant(double bpm, int64_t sampleRate);
    // The file's timing. With constantBpm > 0 its tempo events are ignored and that tempo
    // rules instead; SMPTE-timed files keep their absolute timing either way.
    static TempoMap forFile(const MidiFile& file, int64_t sampleRate, double constantBpm);
    // A --tempo value in beats per minute; throws HostError outside 1..1000.
    static double parseBpm(const std::string& text);

    // The sample during which the tick's exact time falls; integer arithmetic, so every
    // build places every event on the same sample.
    int64_t sampleAtTick(int64_t tick) const;
    double bpmAtSample(int64_t sample) const;
    double quarterNotesAtSample(int64_t sample) const;
    int64_t sampleRate() const { return sampleRate_; }

private:
    // Time inside the map is counted in "tick-microseconds": ticks times microseconds per
    // quarter, so a second is ticksPerQuarter * 1e6 of them and tempo changes add up exactly.
    struct Segment {
        int64_t startTick;
        int64_t startTime;
        int64_t startSample;
        int64_t microsPerQuarter;
        double bpm;
    };

    int64_t sampleAtTime(int64_t time) const;
    const Segment& segmentAtSample(int64_t sample) const;

    int64_t ticksPerQuarter_ = 960;
    int64_t timeUnitsPerSecond_ = 960000000;
    int64_t sampleRate_ = 44100;
    bool smpte_ = false;
    std::vector<Segment> segments_;
};
