// Standard MIDI File reader: chunk walk, running status, meta events, track merge.
#include "host/midi_file.h"

#include "host/file_util.h"
#include "host/host_error.h"

#include <algorithm>

namespace {

constexpr size_t kMaxFileBytes = 64u << 20; // larger files are not songs
constexpr int64_t kMaxTick = 0xFFFFFFFFll;   // keeps tick-to-sample arithmetic within 64 bits

uint32_t readBigEndian(const uint8_t* p, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | p[i];
    return value;
}

// Data bytes that follow a channel status byte.
int channelDataLength(uint8_t status) {
    uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

} // namespace

// Reads one MTrk chunk; every read is checked against the chunk's end.
class MidiFile::TrackParser {
public:
    TrackParser(const uint8_t* begin, const uint8_t* end, int trackNumber)
        : position_(begin), end_(end), trackNumber_(trackNumber) {}

    void parseInto(MidiFile& file) {
        int64_t tick = 0;
        uint8_t runningStatus = 0;
        while (position_ < end_) {
            tick += readVariableLength();
            if (tick > kMaxTick)
                fail("song longer than 2^32 ticks");
            uint8_t status = readByte();
            if (status < 0x80) {
                if (runningStatus == 0)
                    fail("data byte without a status byte");
                --position_; // the byte was data: running status repeats the last status
                status = runningStatus;
            }
            if (status < 0xF0) {
                runningStatus = status;
                addChannelEvent(file, tick, status);
            } else if (status == 0xFF) {
                runningStatus = 0; // meta and system exclusive events cancel running status
                uint8_t type = readByte();
                uint32_t length = readVariableLength();
                const uint8_t* data = take(length);
                if (type == 0x2F) {
                    file.endTick = std::max(file.endTick, tick);
                    return; // anything after the end of track is ignored
                }
                addMetaEvent(file, tick, type, data, length);
            } else if (status == 0xF0 || status == 0xF7) {
                runningStatus = 0;
                take(readVariableLength()); // system exclusive: not passed on
            } else {
                fail("unexpected status byte");
            }
            file.endTick = std::max(file.endTick, tick);
        }
        file.endTick = std::max(file.endTick, tick); // tolerated: no end-of-track event
    }

private:
    [[noreturn]] void fail(const char* reason) const {
        throw HostError("corrupt MIDI file: track " + std::to_string(trackNumber_) + ": " + reason);
    }

    uint8_t readByte() {
        if (position_ >= end_)
            throw HostError("truncated MIDI file: track " + std::to_string(trackNumber_) + " ends inside an event");
        return *position_++;
    }

    const uint8_t* take(uint32_t length) {
        if (length > (uint32_t)(end_ - position_))
            throw HostError("truncated MIDI file: track " + std::to_string(trackNumber_) + " ends inside an event");
        const uint8_t* data = position_;
        position_ += length;
        return data;
    }

    uint32_t readVariableLength() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t byte = readByte();
            value = (value << 7) | (byte & 0x7F);
            if (!(byte & 0x80))
                return value;
        }
        fail("variable-length number longer than 4 bytes");
    }

    void addChannelEvent(MidiFile& file, int64_t tick, uint8_t status) {
        MidiFileEvent event;
        event.tick = tick;
        event.bytes[0] = status;
        event.size = (uint8_t)(1 + channelDataLength(status));
        for (int i = 1; i < event.size; ++i) {
            event.bytes[i] = readByte();
            if (event.bytes[i] & 0x80)
                fail("status byte where a data byte belongs");
        }
        if ((status & 0xF0) == 0x90 && event.bytes[2] == 0)
            event.bytes[0] = (uint8_t)(0x80 | (status & 0x0F));
        file.events.push_back(event);
    }

    void addMetaEvent(MidiFile& file, int64_t tick, uint8_t type, const uint8_t* data, uint32_t length) {
        if (type == 0x51) {
            if (length != 3)
                fail("tempo event without 3 data bytes");
            int64_t micros = readBigEndian(data, 3);
            if (micros == 0)
                fail("tempo of 0 microseconds per quarter note");
            file.tempoChanges.push_back({tick, micros});
        } else if (type == 0x58) {
            if (length < 2 || data[1] > 6) // denominator is a power of two up to 64
                fail("malformed time signature");
            if (data[0] > 0)
                file.timeSignatures.push_back({tick, data[0], 1 << data[1]});
        }
    }

    const uint8_t* position_;
    const uint8_t* end_;
    int trackNumber_;
};

MidiFile MidiFile::parse(const std::vector<uint8_t>& bytes) {
    const uint8_t* data = bytes.data();
    size_t size = bytes.size();
    if (size < 14 || readBigEndian(data, 4) != 0x4D546864) // "MThd"
        throw HostError(size < 4 ? "truncated MIDI file: no header" : "not a Standard MIDI File (no MThd header)");
    uint32_t headerLength = readBigEndian(data + 4, 4);
    if (headerLength < 6 || headerLength > size - 8)
        throw HostError("corrupt MIDI file: bad header length");

    MidiFile file;
    file.format = (int)readBigEndian(data + 8, 2);
    int declaredTracks = (int)readBigEndian(data + 10, 2);
    uint16_t division = (uint16_t)readBigEndian(data + 12, 2);
    if (file.format > 1)
        throw HostError("MIDI file type " + std::to_string(file.format) + " is not supported (only 0 and 1)");
    if (declaredTracks == 0)
        throw HostError("corrupt MIDI file: no tracks");
    if (division & 0x8000) {
        int frames = -(int)(int8_t)(division >> 8);
        file.smpteFramesPerSecond = frames;
        file.smpteTicksPerFrame = division & 0xFF;
        if ((frames != 24 && frames != 25 && frames != 29 && frames != 30) || file.smpteTicksPerFrame == 0)
            throw HostError("corrupt MIDI file: bad SMPTE time division");
    } else {
        file.ticksPerQuarter = division;
        if (division == 0)
            throw HostError("corrupt MIDI file: time division of 0 ticks");
    }

    size_t offset = 8 + headerLength;
    while (file.trackCount < declaredTracks) {
        if (size - offset < 8)
            throw HostError("truncated MIDI file: " + std::to_string(file.trackCount) + " of " +
                            std::to_string(declaredTracks) + " tracks present");
        uint32_t chunkType = readBigEndian(data + offset, 4);
        uint32_t chunkLength = readBigEndian(data + offset + 4, 4);
        offset += 8;
        if (chunkLength > size - offset)
            throw HostError("truncated MIDI file: chunk longer than the file");
        if (chunkType == 0x4D54726B) { // "MTrk"; other chunk types are skipped
            ++file.trackCount;
            TrackParser(data + offset, data + offset + chunkLength, file.trackCount).parseInto(file);
        }
        offset += chunkLength;
    }

    // Merge the tracks: stable, so events at one tick keep track order, then file order.
    auto byTick = [](const auto& a, const auto& b) { return a.tick < b.tick; };
    std::stable_sort(file.events.begin(), file.events.end(), byTick);
    std::stable_sort(file.tempoChanges.begin(), file.tempoChanges.end(), byTick);
    std::stable_sort(file.timeSignatures.begin(), file.timeSignatures.end(), byTick);
    return file;
}

MidiFile MidiFile::load(const std::string& path) {
    std::vector<uint8_t> bytes = readWholeFile(path, kMaxFileBytes);
    try {
        return parse(bytes);
    } catch (const HostError& error) {
        throw HostError(path + ": " + error.what());
    }
}
