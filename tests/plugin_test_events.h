// Builds VstEvents lists the way hosts lay them out, for the MIDI intake tests.
#pragma once

#include <cstddef>
#include <cstring>
#include <deque>
#include <vector>

#include "vst2/vst2_abi.h"

class TestEventList {
public:
    // Appends a MIDI event; detune in cents.
    TestEventList& midi(unsigned char status, unsigned char data1, unsigned char data2, VstInt32 deltaFrames = 0,
                        signed char detune = 0) {
        VstMidiEvent event;
        std::memset(&event, 0, sizeof(event));
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.deltaFrames = deltaFrames;
        event.midiData[0] = (char)status;
        event.midiData[1] = (char)data1;
        event.midiData[2] = (char)data2;
        event.detune = (char)detune;
        records.push_back(event);
        pointers.push_back(reinterpret_cast<VstEvent*>(&records.back()));
        return *this;
    }
    TestEventList& noteOn(int note, int velocity, VstInt32 delta = 0, signed char detune = 0) {
        return midi(0x90, (unsigned char)note, (unsigned char)velocity, delta, detune);
    }
    TestEventList& noteOff(int note, VstInt32 delta = 0) { return midi(0x80, (unsigned char)note, 64, delta); }
    // An entry of another type (system exclusive), or a null entry.
    TestEventList& other(VstInt32 type) {
        VstMidiEvent event;
        std::memset(&event, 0, sizeof(event));
        event.type = type;
        event.byteSize = sizeof(VstMidiEvent);
        event.midiData[0] = (char)0x90;  // would be a note-on if it were read as MIDI
        event.midiData[1] = 60;
        event.midiData[2] = 100;
        records.push_back(event);
        pointers.push_back(reinterpret_cast<VstEvent*>(&records.back()));
        return *this;
    }
    TestEventList& null() {
        pointers.push_back(nullptr);
        return *this;
    }
    VstMidiEvent& last() { return records.back(); }

    // The list as the host hands it over.
    VstEvents* events() {
        buffer.assign(sizeof(VstEvents) + pointers.size() * sizeof(VstEvent*), 0);
        VstEvents* list = reinterpret_cast<VstEvents*>(buffer.data());
        list->numEvents = (VstInt32)pointers.size();
        VstEvent** entries = reinterpret_cast<VstEvent**>(buffer.data() + offsetof(VstEvents, events));
        for (size_t i = 0; i < pointers.size(); ++i) entries[i] = pointers[i];
        return list;
    }

private:
    std::deque<VstMidiEvent> records;  // stable addresses
    std::vector<VstEvent*> pointers;
    std::vector<unsigned char> buffer;
};
