// The MIDI file reader and tempo map on hand-assembled files, including broken ones.
#include "host/host_error.h"
#include "host/midi_file.h"
#include "host/tempo_map.h"
#include "tests/host_test_support.h"

#include <gtest/gtest.h>

using hosttest::chunk;
using hosttest::joined;
using hosttest::midiHeader;

namespace {

constexpr int64_t kRate = 44100;

std::vector<uint8_t> bytesOf(const MidiFileEvent& event) {
    return std::vector<uint8_t>(event.bytes, event.bytes + event.size);
}

// Type 0, 96 ticks per quarter: a note with running status and a velocity-0 note-off,
// a program change (one data byte), a text meta event and a sysex in between.
std::vector<uint8_t> typeZeroFile() {
    return joined({midiHeader(0, 1, 96),
                   chunk("MTrk", {
                                     0x00, 0xC2, 0x05,                   // program change, channel 3
                                     0x00, 0xFF, 0x01, 0x02, 'h', 'i',   // text meta event
                                     0x10, 0x92, 0x3C, 0x64,             // tick 16: note on 60
                                     0x81, 0x00, 0x3C, 0x00,             // tick 144: running status, velocity 0
                                     0x00, 0x40, 0x50,                   // tick 144: running status, note on 64
                                     0x00, 0xF0, 0x02, 0x7E, 0xF7,       // sysex: not passed on
                                     0x60, 0x82, 0x40, 0x20,             // tick 240: note off 64, velocity 32
                                     0x00, 0xFF, 0x2F, 0x00,             // end of track
                                 })});
}

TEST(HostMidiFile, TypeZeroRunningStatusAndVelocityZeroNoteOff) {
    MidiFile file = MidiFile::parse(typeZeroFile());
    EXPECT_EQ(file.format, 0);
    EXPECT_EQ(file.trackCount, 1);
    EXPECT_EQ(file.ticksPerQuarter, 96);
    ASSERT_EQ(file.events.size(), 5u);
    struct Expected {
        int64_t tick;
        std::vector<uint8_t> bytes;
    } expected[] = {
        {0, {0xC2, 0x05}},
        {16, {0x92, 0x3C, 0x64}},
        {144, {0x82, 0x3C, 0x00}}, // velocity 0 note-on arrives as a note-off
        {144, {0x92, 0x40, 0x50}},
        {240, {0x82, 0x40, 0x20}},
    };
    for (size_t i = 0; i < file.events.size(); ++i) {
        EXPECT_EQ(file.events[i].tick, expected[i].tick) << "event " << i;
        EXPECT_EQ(bytesOf(file.events[i]), expected[i].bytes) << "event " << i;
    }
    EXPECT_EQ(file.endTick, 240);
}

// Type 1: a tempo track and two note tracks whose events interleave in time.
std::vector<uint8_t> typeOneFile() {
    return joined({midiHeader(1, 3, 96),
                   chunk("MTrk", {0x00, 0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08, // 3/4
                                  0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,       // 500000 us: 120 BPM
                                  0x81, 0x40, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90, // tick 192: 250000 us
                                  0x00, 0xFF, 0x2F, 0x00}),
                   chunk("XTRA", {1, 2, 3}), // unknown chunk types are skipped
                   chunk("MTrk", {0x00, 0x90, 0x30, 0x40,        // tick 0: note on 48
                                  0x81, 0x40, 0x30, 0x00,        // tick 192: note off by running status
                                  0x60, 0xFF, 0x2F, 0x00}),      // end at tick 288
                   chunk("MTrk", {0x60, 0x91, 0x34, 0x40,        // tick 96: note on 52, channel 2
                                  0x60, 0x81, 0x34, 0x40,        // tick 192: note off 52
                                  0x00, 0xFF, 0x2F, 0x00})});
}

TEST(HostMidiFile, TypeOneTracksMergeByAbsoluteTick) {
    MidiFile file = MidiFile::parse(typeOneFile());
    EXPECT_EQ(file.format, 1);
    EXPECT_EQ(file.trackCount, 3);
    ASSERT_EQ(file.events.size(), 4u);
    EXPECT_EQ(file.events[0].tick, 0);
    EXPECT_EQ(bytesOf(file.events[0]), (std::vector<uint8_t>{0x90, 0x30, 0x40}));
    EXPECT_EQ(file.events[1].tick, 96);
    EXPECT_EQ(bytesOf(file.events[1]), (std::vector<uint8_t>{0x91, 0x34, 0x40}));
    // Both tracks end a note at tick 192: the earlier track comes first.
    EXPECT_EQ(file.events[2].tick, 192);
    EXPECT_EQ(bytesOf(file.events[2]), (std::vector<uint8_t>{0x80, 0x30, 0x00}));
    EXPECT_EQ(file.events[3].tick, 192);
    EXPECT_EQ(bytesOf(file.events[3]), (std::vector<uint8_t>{0x81, 0x34, 0x40}));
    ASSERT_EQ(file.tempoChanges.size(), 2u);
    EXPECT_EQ(file.tempoChanges[1].tick, 192);
    EXPECT_EQ(file.tempoChanges[1].microsPerQuarter, 250000);
    ASSERT_EQ(file.timeSignatures.size(), 1u);
    EXPECT_EQ(file.timeSignatures[0].numerator, 3);
    EXPECT_EQ(file.timeSignatures[0].denominator, 4);
    EXPECT_EQ(file.endTick, 288);
}

TEST(HostTempoMap, FollowsTempoChangesOfTheFile) {
    TempoMap map = TempoMap::forFile(MidiFile::parse(typeOneFile()), kRate, 0.0);
    // 120 BPM for two quarters (1 s), then 240 BPM: a quarter lasts 0.25 s.
    struct Point {
        int64_t tick;
        double seconds;
    } points[] = {{0, 0.0}, {96, 0.5}, {192, 1.0}, {240, 1.125}, {288, 1.25}, {1, 0.5 / 96}};
    for (const Point& point : points)
        EXPECT_EQ(map.sampleAtTick(point.tick), (int64_t)(point.seconds * kRate)) << "tick " << point.tick;
    EXPECT_DOUBLE_EQ(map.bpmAtSample(0), 120.0);
    EXPECT_DOUBLE_EQ(map.bpmAtSample(44099), 120.0);
    EXPECT_DOUBLE_EQ(map.bpmAtSample(44100), 240.0);
    constexpr double kQuarterTolerance = 1e-9;
    EXPECT_NEAR(map.quarterNotesAtSample(22050), 1.0, kQuarterTolerance);
    EXPECT_NEAR(map.quarterNotesAtSample(55125), 3.0, kQuarterTolerance);
}

TEST(HostTempoMap, ConstantTempoOverridesTheFile) {
    TempoMap map = TempoMap::forFile(MidiFile::parse(typeOneFile()), kRate, 60.0);
    EXPECT_EQ(map.sampleAtTick(192), 2 * kRate); // two quarters at 60 BPM
    EXPECT_DOUBLE_EQ(map.bpmAtSample(100000), 60.0);
    TempoMap plain = TempoMap::constant(90.0, 48000);
    EXPECT_DOUBLE_EQ(plain.bpmAtSample(123), 90.0);
    EXPECT_NEAR(plain.quarterNotesAtSample(48000), 1.5, 1e-9);
}

TEST(HostTempoMap, SmpteDivisionCountsFramesNotQuarters) {
    // 25 frames per second, 40 ticks per frame: 1000 ticks per second.
    auto bytes = joined({midiHeader(0, 1, 0xE728), chunk("MTrk", {0x83, 0x74, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00})});
    MidiFile file = MidiFile::parse(bytes);
    EXPECT_EQ(file.ticksPerQuarter, 0);
    EXPECT_EQ(file.smpteFramesPerSecond, 25);
    EXPECT_EQ(file.smpteTicksPerFrame, 40);
    ASSERT_EQ(file.events.size(), 1u);
    EXPECT_EQ(file.events[0].tick, 500);
    TempoMap map = TempoMap::forFile(file, kRate, 0.0);
    EXPECT_EQ(map.sampleAtTick(500), kRate / 2);
}

TEST(HostMidiFile, EveryTruncationIsReported) {
    for (const auto& whole : {typeZeroFile(), typeOneFile()}) {
        for (size_t length = 0; length < whole.size(); ++length) {
            std::vector<uint8_t> cut(whole.begin(), whole.begin() + length);
            EXPECT_THROW(MidiFile::parse(cut), HostError) << "cut at " << length << " of " << whole.size();
        }
    }
}

TEST(HostMidiFile, CorruptFilesAreRejectedWithAReason) {
    const std::vector<uint8_t> endOfTrack = {0x00, 0xFF, 0x2F, 0x00};
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reason;
    } cases[] = {
        {"not MIDI", std::vector<uint8_t>(20, 'x'), "not a Standard MIDI File"},
        {"type 2", joined({midiHeader(2, 1, 96), chunk("MTrk", endOfTrack)}), "type 2"},
        {"division 0", joined({midiHeader(0, 1, 0), chunk("MTrk", endOfTrack)}), "division"},
        {"no tracks", midiHeader(0, 0, 96), "no tracks"},
        {"data without status", joined({midiHeader(0, 1, 96), chunk("MTrk", {0x00, 0x3C, 0x40})}), "without a status"},
        {"status inside data", joined({midiHeader(0, 1, 96), chunk("MTrk", {0x00, 0x90, 0x3C, 0x90})}), "data byte"},
        {"sysex cancels running status",
         joined({midiHeader(0, 1, 96), chunk("MTrk", {0x00, 0x90, 0x3C, 0x40, 0x00, 0xF0, 0x01, 0xF7, 0x00, 0x3C, 0x00})}),
         "without a status"},
        {"system common in a file", joined({midiHeader(0, 1, 96), chunk("MTrk", {0x00, 0xF4})}), "status byte"},
        {"five-byte delta", joined({midiHeader(0, 1, 96), chunk("MTrk", {0x81, 0x81, 0x81, 0x81, 0x01, 0xFF, 0x2F, 0x00})}),
         "variable-length"},
        {"tempo of two bytes", joined({midiHeader(0, 1, 96), chunk("MTrk", {0x00, 0xFF, 0x51, 0x02, 0x01, 0x02})}), "tempo"},
        {"tempo of zero", joined({midiHeader(0, 1, 96), chunk("MTrk", {0x00, 0xFF, 0x51, 0x03, 0, 0, 0})}), "tempo"},
        {"missing track", joined({midiHeader(1, 2, 96), chunk("MTrk", endOfTrack)}), "1 of 2 tracks"},
    };
    for (const Case& c : cases) {
        try {
            MidiFile::parse(c.bytes);
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const HostError& error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << c.what << ": " << error.what();
        }
    }
}

TEST(HostMidiFile, MissingEndOfTrackIsTolerated) {
    auto bytes = joined({midiHeader(0, 1, 96), chunk("MTrk", {0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x40})});
    MidiFile file = MidiFile::parse(bytes);
    EXPECT_EQ(file.events.size(), 2u);
    EXPECT_EQ(file.endTick, 96);
}

TEST(HostMidiFile, LoadNamesTheFileInItsMessage) {
    std::string path = hosttest::scratch("cut.mid");
    auto bytes = typeZeroFile();
    bytes.resize(bytes.size() - 3);
    hosttest::writeBytes(path, bytes);
    try {
        MidiFile::load(path);
        ADD_FAILURE() << "accepted a truncated file";
    } catch (const HostError& error) {
        EXPECT_EQ(std::string(error.what()).rfind(path + ": truncated MIDI file", 0), 0u) << error.what();
    }
    EXPECT_THROW(MidiFile::load(path + ".missing"), HostError);
}

} // namespace
