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
    // Time inside the map is an integer count of units chosen so that every tick lasts a
    // whole number of them: for a file's tempo map a unit is 1/(ticksPerQuarter * 1e6) s and
    // a tick lasts the tempo's microseconds per quarter; for a constant tempo B (BPM times
    // 10000) a unit is 1/(ticksPerQuarter * B) s and a tick lasts 600000. Tempo changes
    // then add up exactly.
    struct Segment {
        int64_t startTick;
        int64_t startTime;
        int64_t startSample;
        int64_t timePerTick;
        double bpm;
    };

    void useConstantTempo(double bpm);
    int64_t sampleAtTime(int64_t time) const;
    const Segment& segmentAtSample(int64_t sample) const;

    int64_t ticksPerQuarter_ = 960;
    int64_t timeUnitsPerSecond_ = 960000000;
    int64_t sampleRate_ = 44100;
    bool smpte_ = false;
    std::vector<Segment> segments_;
};
