// Realtime factors of the engine: seconds of 44.1 kHz audio rendered per CPU second.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "engine/synth_engine.h"
#include "engine/synth_lfo.h"
#include "engine/synth_math.h"
#include "engine/synth_math_block.h"

namespace {

constexpr int kBlockFrames = 512;
constexpr float kSampleRate = 44100.0f;
constexpr float kSamplesPerBeat = 60.0f / 120.0f * kSampleRate;
constexpr int kModulationInterval = 50;
// Notes are struck again every two seconds, so attacks and decays (where the filter
// coefficients change every sample) are part of the measure, not only held sustains.
constexpr int64_t kRestrikeInterval = 2 * 44100;

int32_t shortTime(float v) { return static_cast<int32_t>(v * v * 50000.0f); }
int32_t longTime(float v) { return static_cast<int32_t>(v * v * 160000.0f) + 10; }
float semitones(float v) { return static_cast<float>(static_cast<int32_t>((v - 0.5f) * 48.0f)); }

// The engine settings the default program produces, the way the parameter table maps them.
void applyDefaultProgram(SynthEngine& engine) {
    const float levels[3] = {1.0f, 1.0f, 0.4f};
    const bool multiply[3] = {false, true, false};
    const float shapes[3] = {0.0f, 0.1f, 0.0f};
    const float pitches[3] = {0.5f, 0.25f, 0.5f};
    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        engine.oscillators[o].level = levels[o];
        engine.oscillators[o].multiply = multiply[o];
        engine.oscillators[o].shape = waveShapeIndex(shapes[o]);
        engine.setOscPitch(o, semitones(pitches[o]));
    }
    engine.setMasterPitch(semitones(0.5f));
    engine.ampAttack = shortTime(0.1f);
    engine.ampDecay = shortTime(0.1f) + 1;
    engine.setAmpSustain(0.5f);
    engine.ampRelease = longTime(0.3f);
    engine.setArpType(0.0f);
    engine.setArpTime(0.5f, kSamplesPerBeat);
    engine.setArpChord(0.0f);
    engine.setArpRange(0.3f);
    engine.filterOn = true;
    engine.setCutoff(0.5f);
    engine.setResonance(0.3f);
    engine.filterEnvAmount = 0.8f;
    engine.filterAttack = shortTime(0.8f);
    engine.filterDecay = shortTime(0.8f) + 1;
    engine.setFilterSustain(0.4f);
    engine.filterRelease = longTime(0.4f);
    engine.portaOn = false;
    engine.portaCoef = extendedPow((1.0f - 0.5f) * 0.32f, 5.0f);
}

// Everything at once: additive shapes on all three oscillators, filter envelope,
// portamento and a running arpeggio.
void applyHeavyPatch(SynthEngine& engine) {
    applyDefaultProgram(engine);
    const int32_t shapes[3] = {8, 9, 8};  // Sin123, Sin124, Sin123
    // Three different pitches: no oscillator can reuse another's wave value.
    const float pitches[3] = {0.0f, -12.0f, 7.03f};
    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        engine.oscillators[o].shape = shapes[o];
        engine.oscillators[o].multiply = false;
        engine.oscillators[o].level = 0.3f;
        engine.setOscPitch(o, pitches[o]);
    }
    engine.filterAttack = shortTime(0.2f);
    engine.filterDecay = shortTime(0.3f) + 1;
    engine.portaOn = true;
    engine.setArpType(3.5f / 7.0f);  // UpDown
    engine.setArpChord(10.5f / 38.0f);
    engine.setArpRange(0.6f);
    engine.setArpTime(0.0f, kSamplesPerBeat);
}

int32_t benchKey(int v) { return 36 + 3 * v; }

void releaseSixteenNotes(SynthEngine& engine) {
    for (int v = 0; v < kSynthVoiceCount; ++v) engine.noteOff(benchKey(v), 0);
}

void playSixteenNotes(SynthEngine& engine) {
    // A release first, so the portamento has somewhere to glide from.
    engine.noteOn(40, 40.0f, 0.8f, 0);
    engine.noteOff(40, 0);
    for (int v = 0; v < kSynthVoiceCount; ++v) {
        engine.noteOn(benchKey(v), static_cast<float>(benchKey(v)), 0.8f, v);
    }
}

// Renders one block of sixteen sounding voices, striking them again when it is time.
float renderPlayedBlock(SynthEngine& engine, int64_t& counter, SynthLfo* cutoffLfo, SynthLfo* resonanceLfo) {
    float sum = 0.0f;
    for (int i = 0; i < kBlockFrames; ++i) {
        // Release, then strike a sample later: by then the releases have begun, so the
        // new notes take the sixteen releasing voices one by one.
        if (counter % kRestrikeInterval == kRestrikeInterval - 2) {
            releaseSixteenNotes(engine);
        }
        if (counter % kRestrikeInterval == kRestrikeInterval - 1) {
            for (int v = 0; v < kSynthVoiceCount; ++v) {
                engine.noteOn(benchKey(v), static_cast<float>(benchKey(v)), 0.8f, 0);
            }
        }
        sum += engine.renderSample(0.0f);
        if (cutoffLfo != nullptr && counter % kModulationInterval == 0) {
            // What the plug-in's two LFOs do through the parameter path.
            engine.setCutoff(cutoffLfo->valueAt(counter));
            engine.setResonance(resonanceLfo->valueAt(counter));
        }
        ++counter;
    }
    return sum;
}

void reportRealtimeFactor(benchmark::State& state, int64_t frames) {
    state.counters["realtime"] =
        benchmark::Counter(static_cast<double>(frames) / kSampleRate, benchmark::Counter::kIsRate);
    state.SetLabel(synth_math_block_detail::fourLanesInUse() ? "four-lane blocks" : "two-lane blocks");
}

void BM_DefaultProgramSixteenVoices(benchmark::State& state) {
    SynthEngine engine;
    applyDefaultProgram(engine);
    playSixteenNotes(engine);
    int64_t counter = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(renderPlayedBlock(engine, counter, nullptr, nullptr));
    }
    reportRealtimeFactor(state, counter);
}

void BM_HeavyPatchSixteenVoices(benchmark::State& state) {
    SynthEngine engine;
    applyHeavyPatch(engine);
    playSixteenNotes(engine);
    // The plug-in's two LFOs: one sweeps the cutoff, one the resonance.
    SynthLfo cutoffLfo;
    SynthLfo resonanceLfo;
    cutoffLfo.setPeriod(kSamplesPerBeat * 2.0f);
    resonanceLfo.setPeriod(kSamplesPerBeat * 3.0f);
    resonanceLfo.maxValue = 0.6f;
    int64_t counter = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(renderPlayedBlock(engine, counter, &cutoffLfo, &resonanceLfo));
    }
    reportRealtimeFactor(state, counter);
}

void BM_NoVoiceSounding(benchmark::State& state) {
    SynthEngine engine;
    applyDefaultProgram(engine);
    // Notes that have come and gone: their voices must cost nothing any more.
    playSixteenNotes(engine);
    releaseSixteenNotes(engine);
    for (int i = 0; i < 200000; ++i) engine.renderSample(0.0f);
    int64_t frames = 0;
    for (auto _ : state) {
        float sum = 0.0f;
        for (int i = 0; i < kBlockFrames; ++i) sum += engine.renderSample(0.0f);
        benchmark::DoNotOptimize(sum);
        frames += kBlockFrames;
    }
    reportRealtimeFactor(state, frames);
}

// The same loads with the two-lane (SSE2) blocks that every processor runs, as a 32-bit
// host on an older machine would.
template <void (*Load)(benchmark::State&)>
void BM_TwoLaneBlocks(benchmark::State& state) {
    synth_math_block_detail::useFourLanes(false);
    Load(state);
    synth_math_block_detail::useFourLanes(true);
}

}  // namespace

BENCHMARK(BM_DefaultProgramSixteenVoices);
BENCHMARK(BM_HeavyPatchSixteenVoices);
BENCHMARK(BM_NoVoiceSounding);
BENCHMARK_TEMPLATE(BM_TwoLaneBlocks, BM_DefaultProgramSixteenVoices);
BENCHMARK_TEMPLATE(BM_TwoLaneBlocks, BM_HeavyPatchSixteenVoices);

BENCHMARK_MAIN();
