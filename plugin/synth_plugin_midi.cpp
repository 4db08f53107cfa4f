// SynthPlugin: MIDI intake. Notes go to the engine; notes watched by an event
// modulator set a parameter instead.
#include "plugin/synth_plugin.h"
#include "plugin/trace_line.h"

namespace {
// byteSize counts the bytes after the type and byteSize fields; hosts disagree on
// whether to include them, so the smaller count is the least we accept.
constexpr VstInt32 kMidiEventMinimumSize = (VstInt32)(sizeof(VstMidiEvent) - 2 * sizeof(VstInt32));
constexpr int kEventModulatorCount = 4;
constexpr int kResetController = 126;
}  // namespace

bool SynthPlugin::eventModulatorActive(int k, int note) const {
    const int base = kParamEvent1Aim + kParamEventStride * k;
    return truncToInt(128.0f * values[base + 1]) == note && eventAimTarget(values[base]) < kNoEventTarget;
}

// Two walks over the list: the first lets the event modulators set their targets,
// so that every note of the block is played with the values they leave; the second
// hands the notes to the engine at their sample offsets.
VstInt32 SynthPlugin::processEvents(VstEvents* events) {
    beginAudioCall();
    if (!events || events->numEvents <= 0) return 1;
    const VstInt32 count = events->numEvents;
    // The host allocates numEvents entries where the record declares two: they are
    // walked through a pointer, since indexing the declared array past 2 is undefined.
    VstEvent* const* entries = events->events;
    for (int pass = 0; pass < 2; ++pass) {
        for (VstInt32 j = 0; j < count; ++j) {
            const VstEvent* event = entries[j];
            if (!event) continue;
            trace("Event : type %d (stay : %d)\n", (int)event->type, (int)(count - 1 - j));
            if (event->type != kVstMidiType || event->byteSize < kMidiEventMinimumSize) continue;
            handleMidiEvent(*reinterpret_cast<const VstMidiEvent*>(event), pass);
        }
    }
    return 1;
}

void SynthPlugin::handleMidiEvent(const VstMidiEvent& event, int pass) {
    const int status = (unsigned char)event.midiData[0] & 0xF0;  // every channel alike
    const int data1 = (unsigned char)event.midiData[1];
    const int note = data1 & 127;
    const int velocity = (unsigned char)event.midiData[2] & 127;

    if (status == 0xB0 && data1 == kResetController) engine.resetEngine();

    if (status == 0x90 && velocity > 0) {
        trace("Note In\n");
        bool taken = false;
        for (int k = 0; k < kEventModulatorCount; ++k) {
            if (!eventModulatorActive(k, note)) continue;
            taken = true;
            const int base = kParamEvent1Aim + kParamEventStride * k;
            if (pass == 0) setParameter(eventAimTarget(values[base]), values[base + 2]);
        }
        if (pass == 1 && !taken) {
            const float pitch = (float)note + 0.01f * (float)(signed char)event.detune;
            engine.noteOn(note, pitch, (float)velocity * 0.0078125f, event.deltaFrames);
        }
    } else if (status == 0x80 || status == 0x90) {
        trace("Note Out\n");
        if (pass == 0) {
            for (int k = 0; k < kEventModulatorCount; ++k) {
                if (!eventModulatorActive(k, note)) continue;
                const int base = kParamEvent1Aim + kParamEventStride * k;
                setParameter(eventAimTarget(values[base]), values[base + 3]);
            }
        } else {
            engine.noteOff(note, event.deltaFrames);
        }
    }
}
