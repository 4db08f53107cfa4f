// Tempo map: segments of constant tempo, exact tick-to-sample conversion.
#include "host/tempo_map.h"

#include "host/host_error.h"
#include "host/midi_file.h"
#include "host/text_format.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int64_t kMicrosPerSecond = 1000000;
constexpr int64_t kBpmScale = 10000; // tempos are exact to 1/10000 BPM, as hosts report them
constexpr int64_t kConstantTimePerTick = 60 * kBpmScale;
constexpr double kDefaultBpm = 120.0;
} // namespace

double TempoMap::parseBpm(const std::string& text) {
    double bpm = 0;
    if (!parseNumber(text, bpm) || bpm < 1.0 || bpm > 1000.0)
        throw HostError("--tempo " + text + ": expected beats per minute from 1 to 1000");
    return bpm;
}

TempoMap TempoMap::constant(double bpm, int64_t sampleRate) {
    TempoMap map;
    map.sampleRate_ = sampleRate;
    map.useConstantTempo(bpm);
    return map;
}

void TempoMap::useConstantTempo(double bpm) {
    int64_t scaledBpm = std::max<int64_t>(1, std::llround(bpm * kBpmScale));
    timeUnitsPerSecond_ = ticksPerQuarter_ * scaledBpm;
    segments_.assign(1, {0, 0, 0, kConstantTimePerTick, bpm});
}

TempoMap TempoMap::forFile(const MidiFile& file, int64_t sampleRate, double constantBpm) {
    TempoMap map;
    map.sampleRate_ = sampleRate;
    double steadyBpm = constantBpm > 0 ? constantBpm : kDefaultBpm;
    if (file.ticksPerQuarter == 0) {
        // SMPTE timing: a "quarter" here is one second's ticks (29 frames means 30000/1001).
        bool dropFrame = file.smpteFramesPerSecond == 29;
        map.smpte_ = true;
        map.ticksPerQuarter_ = (int64_t)(dropFrame ? 30 : file.smpteFramesPerSecond) * file.smpteTicksPerFrame;
        map.timeUnitsPerSecond_ = map.ticksPerQuarter_ * kMicrosPerSecond;
        map.segments_.push_back({0, 0, 0, dropFrame ? 1001000 : kMicrosPerSecond, steadyBpm});
        return map;
    }
    map.ticksPerQuarter_ = file.ticksPerQuarter;
    if (constantBpm > 0) {
        map.useConstantTempo(constantBpm);
        return map;
    }
    map.timeUnitsPerSecond_ = map.ticksPerQuarter_ * kMicrosPerSecond;
    map.segments_.push_back({0, 0, 0, 500000, kDefaultBpm}); // the file format's default tempo
    for (const MidiTempoChange& change : file.tempoChanges) {
        Segment& last = map.segments_.back();
        Segment next;
        next.startTick = change.tick;
        next.startTime = last.startTime + (change.tick - last.startTick) * last.timePerTick;
        next.startSample = map.sampleAtTime(next.startTime);
        next.timePerTick = change.microsPerQuarter;
        next.bpm = 60.0e6 / (double)change.microsPerQuarter;
        if (next.startTick == last.startTick)
            last = next; // a later change at the same tick wins
        else
            map.segments_.push_back(next);
    }
    return map;
}

int64_t TempoMap::sampleAtTime(int64_t time) const {
    // floor(time * rate / unitsPerSecond), split so the product cannot overflow.
    int64_t whole = time / timeUnitsPerSecond_;
    int64_t rest = time % timeUnitsPerSecond_;
    return whole * sampleRate_ + rest * sampleRate_ / timeUnitsPerSecond_;
}

int64_t TempoMap::sampleAtTick(int64_t tick) const {
    auto after = std::upper_bound(segments_.begin(), segments_.end(), tick,
                                  [](int64_t t, const Segment& s) { return t < s.startTick; });
    const Segment& segment = *(after - 1);
    return sampleAtTime(segment.startTime + (tick - segment.startTick) * segment.timePerTick);
}

const TempoMap::Segment& TempoMap::segmentAtSample(int64_t sample) const {
    auto after = std::upper_bound(segments_.begin(), segments_.end(), sample,
                                  [](int64_t s, const Segment& seg) { return s < seg.startSample; });
    return after == segments_.begin() ? segments_.front() : *(after - 1);
}

double TempoMap::bpmAtSample(int64_t sample) const { return segmentAtSample(sample).bpm; }

double TempoMap::quarterNotesAtSample(int64_t sample) const {
    double seconds;
    if (smpte_) {
        seconds = (double)sample / (double)sampleRate_;
        return seconds * segments_.front().bpm / 60.0;
    }
    const Segment& segment = segmentAtSample(sample);
    double time = (double)sample * (double)timeUnitsPerSecond_ / (double)sampleRate_;
    double ticks = (double)segment.startTick + (time - (double)segment.startTime) / (double)segment.timePerTick;
    return ticks / (double)ticksPerQuarter_;
}
