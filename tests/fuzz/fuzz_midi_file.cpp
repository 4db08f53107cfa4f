// The Standard MIDI File reader: any bytes either parse or throw HostError.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "host/host_error.h"
#include "host/midi_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        MidiFile file = MidiFile::parse(std::vector<uint8_t>(data, data + size));
        // What the reader promises of what it gives back.
        for (size_t i = 1; i < file.events.size(); ++i)
            if (file.events[i].tick < file.events[i - 1].tick) std::abort();
        for (const MidiFileEvent& event : file.events)
            if (event.size > 3 || event.tick < 0) std::abort();
    } catch (const HostError&) {
    }
    return 0;
}
