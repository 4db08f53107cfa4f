// Checks of the audio path: odd rates and block sizes, garbage events, wild parameter
// values, the output's range, allocations, and notes that must end.
#include "host/validate/allocation_counter.h"
#include "host/validate/audio_bench.h"
#include "host/validate/check_context.h"
#include "host/validate/guarded_region.h"
#include "host/validate/plugin_under_test.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr float kRate = 44100.0f;
constexpr int kBlock = 512;
constexpr double kSilence = 1e-4;          // -80 dB: what is left of a released note
constexpr double kSilenceWindowSeconds = 0.25;
constexpr double kLongestTailSeconds = 30.0;

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

struct Instance {
    Instance(const PluginModule& module, float rate, int maxBlock) : plugin(module) {
        plugin.open(rate, maxBlock);
        plugin.resume();
        bench = std::make_unique<AudioBench>(plugin, maxBlock);
    }
    PluginUnderTest plugin;
    std::unique_ptr<AudioBench> bench;
};

void sampleRates(CheckContext& context) {
    const float rates[] = {1.0f, 8.0f, 1000.0f, 8000.0f, 22050.0f, 44100.0f, 48000.0f, 96000.0f,
                           192000.0f, 384000.0f, 705600.0f, 1411200.0f};
    PluginModule module(context.options.pluginPath);
    EventList events(16);
    for (float rate : rates) {
        context.step("sample rate " + number(rate));
        Instance instance(module, rate, kBlock);
        events.clear();
        addChord(events, 48, 4, 7, 110);
        instance.bench->renderFor(16 * kBlock, kBlock, &events);
        events.clear();
        releaseChord(events, 48, 4, 7);
        instance.bench->renderFor(16 * kBlock, kBlock, &events);
    }
}

void blockSizes(CheckContext& context) {
    const int sizes[] = {0, 1, 2, 3, 7, 16, 63, 64, 100, 511, 512, 513, 1024, 4096, 16384, 65536};
    constexpr int kLargest = 65536;
    PluginModule module(context.options.pluginPath);
    EventList events(16);
    for (int size : sizes) {
        context.step("block size " + std::to_string(size));
        Instance instance(module, kRate, size);
        for (int block = 0; block < 4; ++block) {
            events.clear();
            if (block == 0)
                addChord(events, 60, 3, 4, 100);
            if (block == 2)
                releaseChord(events, 60, 3, 4);
            instance.bench->render(size, &events);
        }
    }
    // A host may hand any size up to the one it announced, block after block.
    context.step("blocks of changing size up to 65536");
    Instance instance(module, kRate, kLargest);
    std::mt19937 random(context.options.seed);
    for (int block = 0; block < 48; ++block) {
        int size = (int)(random() % (kLargest + 1));
        if (block % 3 == 0)
            size = (int)(random() % 8);
        events.clear();
        if (block % 8 == 0)
            addChord(events, 40 + block % 24, 3, 5, 90);
        if (block % 8 == 5)
            releaseChord(events, 40 + (block - 5) % 24, 3, 5);
        context.step("block " + std::to_string(block) + " of size " + std::to_string(size));
        instance.bench->render(size, &events);
    }
}

// Sysex events carry a pointer; it always leads to a real dump here, so a plug-in that
// reads one stays inside memory we gave it.
struct SysexEvent {
    VstInt32 type, byteSize, deltaFrames, flags, dumpBytes;
    VstIntPtr resvd1;
    char* sysexDump;
    VstIntPtr resvd2;
};
static_assert(sizeof(SysexEvent) <= EventList::kSlotBytes, "a sysex event fits a slot");

void fillGarbage(EventList& events, std::mt19937& random, int blockSize) {
    events.clear();
    const VstInt32 sizes[] = {0, 8, 24, 32, 48, -1, INT32_MIN, INT32_MAX};
    const VstInt32 deltas[] = {0, 1, blockSize - 1, blockSize, blockSize * 4, -1, INT32_MIN, INT32_MAX};
    int count = (int)(random() % 64);
    for (int n = 0; n < count && !events.full(); ++n) {
        VstEvent* event = events.add();
        uint8_t* bytes = reinterpret_cast<uint8_t*>(event);
        for (int b = 0; b < EventList::kSlotBytes; ++b)
            bytes[b] = (uint8_t)random();
        unsigned pick = random() % 8;
        event->type = pick < 4 ? kVstMidiType : pick < 6 ? (VstInt32)random() : kVstSysExType;
        event->byteSize = random() % 2 ? (VstInt32)sizeof(VstMidiEvent) : sizes[random() % 8];
        event->deltaFrames = random() % 2 ? (VstInt32)(random() % (blockSize + 1)) : deltas[random() % 8];
        if (event->type == kVstMidiType && random() % 2) {
            // Mostly notes, so voices really start and stop.
            event->data[8] = (char)(0x80 | (random() % 2) << 4 | (random() % 16));
        }
        if (event->type == kVstSysExType) {
            SysexEvent* sysex = reinterpret_cast<SysexEvent*>(event);
            int dump = (int)(random() % 64);
            sysex->dumpBytes = dump;
            sysex->sysexDump = static_cast<char*>(events.sysexBuffer((size_t)dump));
            for (int b = 0; b < dump; ++b)
                sysex->sysexDump[b] = (char)random();
        }
    }
}

void eventsGarbage(CheckContext& context) {
    PluginModule module(context.options.pluginPath);
    Instance instance(module, kRate, kBlock);
    EventList events(64);
    std::mt19937 random(context.options.seed);
    for (int list = 0; list < 400; ++list) {
        context.step("garbage event list " + std::to_string(list));
        fillGarbage(events, random, kBlock);
        instance.bench->render(kBlock, &events);
    }
}

void eventsNullEntries(CheckContext& context) {
    PluginModule module(context.options.pluginPath);
    Instance instance(module, kRate, kBlock);
    EventList events(8);
    const int claimed[] = {0, -1, INT32_MIN};
    for (int round = 0; round < 8; ++round) {
        context.step("a list with null entries, round " + std::to_string(round));
        events.clear();
        events.addNull();
        events.midi(0, 0x90, 60 + round, 100);
        events.addNull();
        events.midi(kBlock / 2, 0x80, 60 + round, 0);
        instance.bench->render(kBlock, &events);
    }
    for (int count : claimed) {
        context.step("a list claiming " + std::to_string(count) + " events");
        events.clear();
        events.midi(0, 0x90, 64, 100);
        instance.plugin.dispatch(effProcessEvents, 0, 0, events.events(count));
        instance.bench->render(kBlock);
    }
}

void parametersNanInf(CheckContext& context) {
    const float quietNan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const float values[] = {quietNan, -quietNan, infinity, -infinity, -1.0f, 2.0f, 1e30f, -1e30f,
                            FLT_TRUE_MIN};
    PluginModule module(context.options.pluginPath);
    Instance instance(module, kRate, kBlock);
    GuardedRegion text(1024);
    EventList events(16);
    for (int index = 0; index < instance.plugin.numParams(); ++index) {
        for (float value : values) {
            context.step("parameter " + std::to_string(index) + " set to " + number(value));
            instance.plugin.setParameter(index, value);
            (void)instance.plugin.parameter(index);
            char* buffer = static_cast<char*>(text.window(1024));
            std::memset(buffer, 0, 1024);
            instance.plugin.dispatch(effGetParamDisplay, index, 0, buffer);
            std::string where = text.damage();
            if (!where.empty())
                throw CheckFailure("the display of parameter " + std::to_string(index) + " set to " + number(value) +
                                   " wrote outside its buffer (" + where + ")");
            events.clear();
            addChord(events, 50 + index % 20, 2, 7, 100);
            releaseChord(events, 50 + index % 20, 2, 7, 0, kBlock - 1);
            instance.bench->render(kBlock, &events);
        }
    }
    // Everything at once, sounding for a second.
    context.step("every parameter NaN");
    for (int index = 0; index < instance.plugin.numParams(); ++index)
        instance.plugin.setParameter(index, quietNan);
    events.clear();
    addChord(events, 48, 4, 4, 120);
    instance.bench->renderFor((long)kRate, kBlock, &events);
}

// Random patches at full range: the corners of the sound where limits are found.
OutputStats stressRender(CheckContext& context) {
    PluginModule module(context.options.pluginPath);
    std::mt19937 random(context.options.seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    EventList events(32);
    OutputStats total;
    for (int patch = 0; patch < 8; ++patch) {
        context.step("random patch " + std::to_string(patch));
        Instance instance(module, kRate, kBlock);
        for (int index = 0; index < instance.plugin.numParams(); ++index)
            instance.plugin.setParameter(index, unit(random));
        events.clear();
        addChord(events, 36 + patch * 3, 6, 5, 127);
        instance.bench->renderFor((long)kRate, kBlock, &events);
        events.clear();
        releaseChord(events, 36 + patch * 3, 6, 5);
        instance.bench->renderFor((long)kRate, kBlock, &events);
        total.merge(instance.bench->stats());
    }
    context.step(""); // the verdict is about all patches together
    return total;
}

void outputDenormals(CheckContext& context) {
    OutputStats stats = stressRender(context);
    if (stats.denormals > 0)
        throw CheckFailure(std::to_string(stats.denormals) + " denormal samples in " + std::to_string(stats.samples));
}

void outputPeak(CheckContext& context) {
    // Samples are floats: the limit is the float nearest the number asked for.
    double limit = (double)(float)context.options.peakLimit;
    OutputStats stats = stressRender(context);
    context.note("peak " + number(stats.peak));
    if (limit > 0.0 && stats.peak > limit)
        throw CheckFailure("peak " + number(stats.peak) + " beyond the limit " + number(limit));
}

void noAllocationOnAudioPath(CheckContext& context) {
    if (!allocation_counter::available()) {
        context.note("not measured in this build");
        return;
    }
    PluginModule module(context.options.pluginPath);
    Instance instance(module, kRate, kBlock);
    EventList events(32);
    instance.bench->setCountAllocations(true);
    std::mt19937 random(context.options.seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int block = 0; block < 400; ++block) {
        events.clear();
        if (block % 10 == 0)
            addChord(events, 40 + block % 30, 5, 3, 100, 0, (int)(random() % kBlock));
        if (block % 10 == 6)
            releaseChord(events, 40 + (block - 6) % 30, 5, 3, 0, (int)(random() % kBlock));
        context.step("block " + std::to_string(block));
        instance.bench->setAccumulating(block % 2 == 1);
        instance.bench->render(kBlock, &events);
        if (instance.bench->allocations() > 0)
            throw CheckFailure(std::to_string(instance.bench->allocations()) +
                               " heap allocations on the audio path by block " + std::to_string(block));
    }
}

// Renders until the output has stayed below kSilence for a while; false if it never does.
bool fadesToSilence(AudioBench& bench, float rate, double& lastPeak) {
    long window = std::max(1L, (long)(kSilenceWindowSeconds * rate));
    long quiet = 0;
    long budget = (long)(kLongestTailSeconds * rate);
    lastPeak = 0.0;
    for (long done = 0; done < budget; done += kBlock) {
        bench.render(kBlock);
        lastPeak = bench.lastBlock().peak;
        quiet = lastPeak < kSilence ? quiet + kBlock : 0;
        if (quiet >= window)
            return true;
    }
    return false;
}

void notesRelease(CheckContext& context) {
    PluginModule module(context.options.pluginPath);
    Instance instance(module, kRate, kBlock);
    instance.bench->setInput(AudioBench::Input::Silence);
    EventList events(64);
    for (int round = 0; round < 3; ++round) {
        context.step("notes on, round " + std::to_string(round));
        events.clear();
        for (int channel = 0; channel < 4; ++channel)
            addChord(events, 36 + 12 * channel + round, 4, 3, 100, channel, channel * 7);
        instance.bench->renderFor((long)(kRate / 2), kBlock, &events);
        // Half the notes end with a note-off, half with a note-on of velocity 0.
        events.clear();
        // In time order, as every host sends them.
        for (int channel = 0; channel < 4; ++channel)
            for (int k = 0; k < 4; ++k)
                events.midi(4 * channel + k, (k % 2 ? 0x90 : 0x80) | channel, 36 + 12 * channel + round + 3 * k, 0);
        instance.bench->render(kBlock, &events);
        context.step("waiting for silence, round " + std::to_string(round));
        double peak = 0.0;
        if (!fadesToSilence(*instance.bench, kRate, peak))
            throw CheckFailure("still sounding " + number(kLongestTailSeconds) + " s after the note-offs (peak " +
                               number(peak) + ")");
    }
}

void notesPanic(CheckContext& context) {
    PluginModule module(context.options.pluginPath);
    Instance instance(module, kRate, kBlock);
    instance.bench->setInput(AudioBench::Input::Silence);
    EventList events(16 * 128 + 64);
    context.step("holding notes");
    events.clear();
    for (int channel = 0; channel < 16; channel += 5)
        addChord(events, 40 + channel, 5, 4, 110, channel);
    instance.bench->renderFor((long)kRate, kBlock, &events);
    // What hosts send when the transport stops: all sound off, all notes off, and a
    // note-off for every key on every channel.
    context.step("the panic messages");
    events.clear();
    for (int channel = 0; channel < 16; ++channel) {
        events.midi(0, 0xB0 | channel, 120, 0);
        events.midi(0, 0xB0 | channel, 123, 0);
        for (int key = 0; key < 128; ++key)
            events.midi(0, 0x80 | channel, key, 0);
    }
    instance.bench->render(kBlock, &events);
    context.step("waiting for silence");
    double peak = 0.0;
    if (!fadesToSilence(*instance.bench, kRate, peak))
        throw CheckFailure("still sounding " + number(kLongestTailSeconds) + " s after all notes off (peak " +
                           number(peak) + ")");
}

} // namespace

void addAudioChecks(std::vector<CheckDefinition>& checks) {
    checks.push_back({"sample-rates", 300, sampleRates});
    checks.push_back({"block-sizes", 300, blockSizes});
    checks.push_back({"events-garbage", 120, eventsGarbage});
    checks.push_back({"events-null-entries", 60, eventsNullEntries});
    checks.push_back({"parameters-nan-inf", 300, parametersNanInf});
    checks.push_back({"output-denormals", 300, outputDenormals});
    checks.push_back({"output-peak-limit", 300, outputPeak});
    checks.push_back({"audio-path-allocation-free", 120, noAllocationOnAudioPath});
    checks.push_back({"notes-end-after-note-offs", 300, notesRelease});
    checks.push_back({"notes-end-after-all-notes-off", 120, notesPanic});
}
