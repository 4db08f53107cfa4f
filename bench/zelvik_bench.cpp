// Realtime factors of the engine and the plug-in: seconds of 44.1 kHz audio rendered per
// CPU second, for every vector width this processor runs and for the plain render of the
// rules (the reference the tests hold the engine to), with the ratio between them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/synth_engine.h"
#include "engine/synth_lanes.h"
#include "engine/synth_lfo.h"
#include "plugin/engine_parameters.h"
#include "plugin/synth_parameters.h"
#include "plugin/synth_plugin.h"
#include "plugin/synth_parameters.h"
#include "tests/engine_plain_render.h"

namespace {

constexpr int kBlockFrames = 512;
constexpr int kModulationInterval = 50;
constexpr float kSampleRate = 44100.0f;
constexpr float kSamplesPerBeat = 60.0f / 120.0f * kSampleRate;
// Notes are struck again every two seconds, so attacks and decays (where the filter
// coefficients change every sample) are part of the measure, not only held sustains.
constexpr int64_t kRestrikeInterval = 2 * 44100;

// The default program, and the heavy patch: additive shapes on all three oscillators at
// three pitches (no oscillator can reuse another's waves), a quick filter envelope,
// portamento and a running arpeggio, with the LFOs sweeping cutoff and resonance.
std::vector<float> defaultValues() {
    return std::vector<float>(kParameterDefaults, kParameterDefaults + kParameterCount);
}

std::vector<float> heavyValues() {
    std::vector<float> values = defaultValues();
    const float shapes[3] = {8.5f / 14.0f, 9.5f / 14.0f, 8.5f / 14.0f};  // Sin123, Sin124, Sin123
    const float coarse[3] = {0.5f, 0.25f, 0.5f + 7.5f / 48.0f};          // 0, -12, +7 semitones
    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        values[kParamOsc1 + kParamOscStride * o] = 0.0f;
        values[kParamOsc1Volume + kParamOscStride * o] = 0.3f;
        values[kParamOsc1Shape + kParamOscStride * o] = shapes[o];
        values[kParamOsc1Pitch + kParamOscStride * o] = coarse[o];
    }
    values[kParamOsc1Fine + 2 * kParamOscStride] = 0.515f;  // and 0.03 more
    values[kParamFilter] = 1.0f;
    values[kParamFilterAttack] = 0.2f;
    values[kParamFilterDecay] = 0.3f;
    values[kParamPorta] = 1.0f;
    values[kParamArpType] = 3.5f / 7.0f;  // UpDown
    values[kParamArpChord] = 10.5f / 38.0f;
    values[kParamArpRange] = 0.6f;
    values[kParamArpTime] = 0.0f;
    return values;
}

struct Load {
    const char* name;
    std::vector<float> (*values)();
    int voices;
    bool sweeps;  // the LFOs move cutoff and resonance every 50 samples
};

const Load kHeavy{"heavy patch, 16 voices", heavyValues, 16, true};
const Load kDefault{"default program, 16 voices", defaultValues, 16, false};
const Load kDefaultOne{"default program, 1 voice", defaultValues, 1, false};

int32_t benchKey(int v) { return 36 + 3 * v; }

// One engine under one load: notes struck every two seconds, a block at a time.
template <typename Engine>
struct Player {
    Engine engine;
    std::vector<float> values;
    const Load& load;
    int64_t counter = 0;
    SynthLfo cutoffLfo;
    SynthLfo resonanceLfo;

    explicit Player(const Load& l) : values(l.values()), load(l) {
        applyEngineProgram(engine, values.data(), kSamplesPerBeat);
        cutoffLfo.setPeriod(kSamplesPerBeat * 2.0f);
        resonanceLfo.setPeriod(kSamplesPerBeat * 3.0f);
        resonanceLfo.maxValue = 0.6f;
        // A release first, so the portamento has somewhere to glide from.
        engine.noteOn(40, 40.0f, 0.8f, 0);
        engine.noteOff(40, 0);
        strike(1);
    }
    void strike(int spread) {
        for (int v = 0; v < load.voices; ++v) engine.noteOn(benchKey(v), static_cast<float>(benchKey(v)), 0.8f, v * spread);
    }
    void set(int index, float value) {
        values[index] = value;
        applyEngineParameter(engine, index, values.data(), kSamplesPerBeat);
    }
    template <typename Render>
    float block(Render render) {
        float out[kBlockFrames];
        int done = 0;
        while (done < kBlockFrames) {
            // Release, then strike a sample later: by then the releases have begun, so the
            // new notes take the releasing voices one by one.
            const int64_t intoCycle = counter % kRestrikeInterval;
            if (intoCycle == kRestrikeInterval - 2) {
                for (int v = 0; v < load.voices; ++v) engine.noteOff(benchKey(v), 0);
            } else if (intoCycle == kRestrikeInterval - 1) {
                strike(0);
            }
            if (load.sweeps && counter % kModulationInterval == 0) {
                set(kParamCutoff, cutoffLfo.valueAt(counter));
                set(kParamResonance, resonanceLfo.valueAt(counter));
            }
            // Up to the next event of the loop: a sweep or a strike.
            int64_t run = kBlockFrames - done;
            if (load.sweeps) run = std::min<int64_t>(run, kModulationInterval - counter % kModulationInterval);
            run = std::min<int64_t>(run, std::max<int64_t>(1, kRestrikeInterval - 2 - intoCycle));
            if (intoCycle >= kRestrikeInterval - 2) run = 1;
            render(engine, out + done, static_cast<int>(run));
            done += static_cast<int>(run);
            counter += run;
        }
        return out[kBlockFrames - 1];
    }
};

double cpuSeconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Realtime factors of every case, for the table printed at the end.
std::map<std::string, double>& factors() {
    static std::map<std::string, double> table;
    return table;
}

template <typename Body>
void measure(benchmark::State& state, const std::string& name, Body body) {
    int64_t frames = 0;
    const double start = cpuSeconds();
    for (auto _ : state) frames += body();
    const double seconds = cpuSeconds() - start;
    state.counters["realtime"] =
        benchmark::Counter(static_cast<double>(frames) / kSampleRate, benchmark::Counter::kIsRate);
    if (seconds > 0.0) factors()[name] = static_cast<double>(frames) / kSampleRate / seconds;
}

void engineCase(benchmark::State& state, const Load* load, int kernels) {
    chooseLaneKernels(kernels);
    Player<SynthEngine> player(*load);
    measure(state, std::string(load->name) + " | " + laneKernelsAt(kernels).name, [&] {
        benchmark::DoNotOptimize(player.block([](SynthEngine& e, float* out, int n) { e.renderBlock(nullptr, out, n); }));
        return kBlockFrames;
    });
    chooseLaneKernels(0);
}

void referenceCase(benchmark::State& state, const Load* load) {
    Player<plain_render::PlainEngine> player(*load);
    measure(state, std::string(load->name) + " | reference", [&] {
        benchmark::DoNotOptimize(player.block([](plain_render::PlainEngine& e, float* out, int n) {
            for (int i = 0; i < n; ++i) out[i] = e.renderPlain(0.0f);
        }));
        return kBlockFrames;
    });
}

void noVoiceSounding(benchmark::State& state) {
    // Notes that have come and gone: their voices must cost nothing any more.
    Player<SynthEngine> player(kDefault);
    for (int v = 0; v < kSynthVoiceCount; ++v) player.engine.noteOff(benchKey(v), 0);
    float out[kBlockFrames];
    for (int i = 0; i < 400; ++i) player.engine.renderBlock(nullptr, out, kBlockFrames);
    measure(state, "no voice sounding (engine)", [&] {
        player.engine.renderBlock(nullptr, out, kBlockFrames);
        benchmark::DoNotOptimize(out[0]);
        return kBlockFrames;
    });
}

// The smallest host: a version, a tempo of 120 BPM, nothing else.
VstIntPtr VSTCALLBACK benchHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterTempoAt) return 1200000;
    return 0;
}

void silentPlugin(benchmark::State& state) {
    std::unique_ptr<SynthPlugin> plugin(new SynthPlugin(benchHost));
    plugin->setSampleRate(kSampleRate);
    std::vector<float> left(kBlockFrames), right(kBlockFrames), input(kBlockFrames);
    float* inputs[1] = {input.data()};
    float* outputs[2] = {left.data(), right.data()};
    measure(state, "no voice sounding (plug-in processReplacing)", [&] {
        plugin->processReplacing(inputs, outputs, kBlockFrames);
        benchmark::DoNotOptimize(left[0]);
        return kBlockFrames;
    });
}

void registerCases() {
    for (const Load* load : {&kHeavy, &kDefault, &kDefaultOne}) {
        for (int k = 0; k < laneKernelCount(); ++k) {
            if (!laneKernelsRunHere(k)) continue;
            benchmark::RegisterBenchmark((std::string(load->name) + " | " + laneKernelsAt(k).name).c_str(), engineCase,
                                         load, k);
        }
        benchmark::RegisterBenchmark((std::string(load->name) + " | reference").c_str(), referenceCase, load);
    }
    benchmark::RegisterBenchmark("no voice sounding (engine)", noVoiceSounding);
    benchmark::RegisterBenchmark("no voice sounding (plug-in processReplacing)", silentPlugin);
}

void printRatios() {
    std::printf("\n%-30s %-8s %12s %12s %8s\n", "case", "path", "realtime", "reference", "ratio");
    for (const Load* load : {&kHeavy, &kDefault, &kDefaultOne}) {
        const std::string prefix = std::string(load->name) + " | ";
        const double reference = factors()[prefix + "reference"];
        for (int k = 0; k < laneKernelCount(); ++k) {
            const auto found = factors().find(prefix + laneKernelsAt(k).name);
            if (found == factors().end()) continue;
            std::printf("%-30s %-8s %11.0fx %11.1fx %7.1fx\n", load->name, laneKernelsAt(k).name, found->second,
                        reference, reference > 0.0 ? found->second / reference : 0.0);
        }
    }
    for (const char* name : {"no voice sounding (engine)", "no voice sounding (plug-in processReplacing)"}) {
        std::printf("%-46s %11.0fx\n", name, factors()[name]);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    registerCases();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printRatios();
    return 0;
}
