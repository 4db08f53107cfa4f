// SynthEngine: the per-sample render, notes and voice choice, portamento and settings.
#include "engine/synth_engine.h"

#include <cmath>
#include <cstring>

#include <algorithm>

#include "engine/synth_lanes.h"
#include "engine/synth_math.h"

SynthEngine::SynthEngine() = default;

SynthEngine::~SynthEngine() = default;

float SynthEngine::renderSample(float inputSample) {
    // Stage by stage over the sounding voices, each stage in voice order, so every value is
    // computed from the same operands in the same order as voice by voice; what a stage
    // does for one oscillator or setting it does once for the whole run of voices.
    const int64_t now = clock;
    clock += 1;
    int sounding[kSynthVoiceCount];
    float amplitudes[kSynthVoiceCount];
    const int count = collectSoundingVoices(now, sounding, amplitudes);
    if (count == 0) {
        return 0.0f;
    }
    float waves[kSynthOscillatorCount][kSynthVoiceCount];
    renderWaves(now, sounding, count, waves);

    // The chains: the host input enters only the first voice that sounds in this sample.
    float voiceOut[kSynthVoiceCount];
    voiceOut[0] = inputSample;
    for (int i = 1; i < count; ++i) {
        voiceOut[i] = 0.0f;
    }
    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        const float level = oscillators[o].level;
        if (oscillators[o].multiply) {
            for (int i = 0; i < count; ++i) voiceOut[i] = voiceOut[i] * (waves[o][i] * level);
        } else {
            for (int i = 0; i < count; ++i) voiceOut[i] = voiceOut[i] + waves[o][i] * level;
        }
    }
    for (int i = 0; i < count; ++i) {
        voiceOut[i] = voiceOut[i] * voices[sounding[i]].velocity * amplitudes[i];
    }
    if (filterOn) {
        filterVoices(now, sounding, count, voiceOut);
    }
    float sum = 0.0f;
    for (int i = 0; i < count; ++i) {
        sum += voiceOut[i];
    }
    return sum;
}

int SynthEngine::collectSoundingVoices(int64_t now, int* sounding, float* amplitudes) {
    int count = 0;
    // Visit only voices that have not ended, lowest index first.
    for (uint32_t pending = liveVoices; pending != 0; pending &= pending - 1) {
        const int v = __builtin_ctz(pending);
        SynthEnvelope& ampEnvelope = voices[v].ampEnvelope;
        const float amplitude = ampEnvelope.evaluate(now);
        if (now >= ampEnvelope.end) {
            liveVoices &= ~(1u << v);
        }
        if (amplitude <= 0.0f) {
            continue;  // phases stay and the filter envelope is not evaluated
        }
        sounding[count] = v;
        amplitudes[count] = amplitude;
        ++count;
    }
    return count;
}

void SynthEngine::renderWaves(int64_t now, const int* sounding, int count,
                              float (*waves)[kSynthVoiceCount]) {
    // The arpeggiator's shared step state is read and written voice by voice.
    float arpFactors[kSynthVoiceCount];
    for (int i = 0; i < count; ++i) {
        arpFactors[i] = arpeggiator.arpPitchFactor(now - voices[sounding[i]].ampEnvelope.start);
    }
    float phases[kSynthOscillatorCount][kSynthVoiceCount] = {};
    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        // The phases the wave values are read at, then the advance.
        SynthOscillator& oscillator = oscillators[o];
        for (int i = 0; i < count; ++i) {
            OscVoiceSlot& slot = oscillator.slots[sounding[i]];
            phases[o][i] = slot.phase;
            slot.phase += arpFactors[i] * slot.increment;
            if (slot.phase >= 1.0f) {
                // Subtracting whole cycles one at a time is exact below 2^24, so removing
                // them all at once gives the same phase and cannot spin on a huge increment.
                slot.phase -= 1.0f;
                if (slot.phase >= 1.0f) {
                    slot.phase -= std::floor(slot.phase);
                }
            }
        }
        if (portaOn) {
            for (int i = 0; i < count; ++i) {
                OscVoiceSlot& slot = oscillator.slots[sounding[i]];
                slot.increment += (slot.targetIncrement - slot.increment) * portaCoef;
            }
        }
        // Two oscillators of one shape at one phase in every voice (as in the default
        // program) have the same values: copy them. Noise shapes read each oscillator's
        // own tables and are never shared.
        const int32_t shape = oscillator.shape;
        const size_t bytes = sizeof(float) * static_cast<size_t>(count);
        int sharedWith = -1;
        if (!SynthOscillator::readsNoiseTables(shape)) {
            for (int j = 0; j < o && sharedWith < 0; ++j) {
                if (oscillators[j].shape == shape && std::memcmp(phases[j], phases[o], bytes) == 0) {
                    sharedWith = j;
                }
            }
        }
        if (sharedWith >= 0) {
            std::memcpy(waves[o], waves[sharedWith], bytes);
        } else {
            laneKernels().waves(shape, oscillator, phases[o], waves[o]);
        }
    }
}

void SynthEngine::filterVoices(int64_t now, const int* sounding, int count, float* voiceOut) {
    // The immediate cutoff setter for every voice, the powers of those that need new
    // coefficients taken in one run.
    float newCutoffs[kSynthVoiceCount] = {};
    float powers[kSynthVoiceCount];
    int changed[kSynthVoiceCount];
    int changedCount = 0;
    for (int i = 0; i < count; ++i) {
        SynthVoice& voice = voices[sounding[i]];
        const float envelopeLevel = voice.filterEnvelope.evaluate(now);
        const float newCutoff = cutoff + (envelopeLevel - cutoff) * filterEnvAmount;
        voice.filter.cutoffHold = 0;
        if (voice.filter.cutoffNeedsCoefficients(newCutoff)) {
            changed[changedCount] = sounding[i];
            newCutoffs[changedCount] = newCutoff;
            ++changedCount;
        }
    }
    if (changedCount > 0) {
        laneKernels().powersOf200(newCutoffs, powers);
        for (int c = 0; c < changedCount; ++c) {
            voices[changed[c]].filter.setCutoffWithPower(newCutoffs[c], powers[c]);
        }
    }
    for (int i = 0; i < count; ++i) {
        voiceOut[i] = voices[sounding[i]].filter.process(voiceOut[i]);
    }
}

void SynthEngine::resetEngine() {
    // Voices keep their stamps; ended voices skipped by the render get the evaluation
    // time they would have had, and every voice is visited again from clock 0.
    for (int v = 0; v < kSynthVoiceCount; ++v) {
        if (!(liveVoices & (1u << v)) && clock > 0) {
            voices[v].ampEnvelope.lastTime = clock - 1;
        }
    }
    ampAttack = 600;
    ampDecay = 300;
    ampRelease = 10000;
    ampSustain = 0.5f;
    clock = 0;
    glideCount = 0;
    glideTime = -1;
    sampleRate = kDefaultSampleRate;
    portaOn = false;
    portaCoef = 0.1f;
    masterPitch = 0.0f;
    for (SynthOscillator& oscillator : oscillators) {
        oscillator.level = 0.7f;
        oscillator.shape = 0;
    }
    liveVoices = 0;
    for (int v = 0; v < kSynthVoiceCount; ++v) {
        if (voices[v].ampEnvelope.end > clock) {
            liveVoices |= 1u << v;
        }
    }
}

int SynthEngine::activeVoiceCount() const {
    int count = 0;
    for (const SynthVoice& voice : voices) {
        if (voice.ampEnvelope.isSoundingAt(clock)) {
            ++count;
        }
    }
    return count;
}

void SynthEngine::setMasterPitch(float semitones) {
    masterPitch = semitones;
}

void SynthEngine::setOscPitch(int oscillator, float semitones) {
    if (oscillator < 0 || oscillator >= kSynthOscillatorCount) {
        return;
    }
    SynthOscillator& target = oscillators[oscillator];
    const float ratio = extendedPow(2.0f, (semitones - target.pitchOffset) / 12.0f);
    for (int v = 0; v < kSynthVoiceCount; ++v) {
        if (voices[v].ampEnvelope.isSoundingAt(clock)) {
            target.slots[v].increment *= ratio;
            target.slots[v].targetIncrement *= ratio;
        }
    }
    target.pitchOffset = semitones;
}

void SynthEngine::setAmpSustain(float level) {
    ampSustain = level;
    for (SynthVoice& voice : voices) {
        voice.ampEnvelope.setSustain(ampSustain);
    }
}

void SynthEngine::setFilterSustain(float level) {
    filterSustain = level;
    for (SynthVoice& voice : voices) {
        voice.filterEnvelope.setSustain(filterSustain);
    }
}

void SynthEngine::setSampleRate(float rate) {
    if (rate >= 1.0f && rate < 2147483520.0f) {
        sampleRate = static_cast<int32_t>(rate);
    }
}

int SynthEngine::chooseVoice() const {
    int chosen = 0;
    for (int v = 1; v < kSynthVoiceCount; ++v) {
        if (voices[v].ampEnvelope.end < voices[chosen].ampEnvelope.end) {
            chosen = v;
        }
    }
    return chosen;
}

float SynthEngine::noteIncrement(int oscillator, float notePitch) const {
    // A rate of 0 never comes from the host path; keep the division safe regardless.
    const int32_t rate = sampleRate > 0 ? sampleRate : kDefaultSampleRate;
    const float transpose = extendedPow(2.0f, (oscillators[oscillator].pitchOffset + masterPitch) / 12.0f);
    const float frequency = extendedPow(kSemitoneRatio, notePitch) * kNoteZeroHz;
    return transpose * frequency / static_cast<float>(rate);
}

void SynthEngine::noteOn(int32_t key, float pitch, float velocity, int32_t delay) {
    const int v = chooseVoice();
    SynthVoice& voice = voices[v];
    voice.key = key;
    voice.ampEnvelope.configure(ampAttack, ampDecay, ampSustain, ampRelease);
    voice.ampEnvelope.trigger(clock, delay);
    voice.filterEnvelope.configure(filterAttack, filterDecay, filterSustain, filterRelease);
    voice.filterEnvelope.trigger(clock, delay);
    voice.filter.reset();
    voice.filter.setup(cutoff, resonance);
    voice.pitch = pitch;
    voice.velocity = velocity;
    liveVoices |= 1u << v;

    const bool glides = glideCount > 0 && portaOn;
    float source = 0.0f;
    if (glides) {
        // The nearest recently released pitch; an earlier entry wins a tie.
        source = glideSources[0];
        for (int i = 1; i < glideCount; ++i) {
            if (std::fabs(glideSources[i] - pitch) < std::fabs(source - pitch)) {
                source = glideSources[i];
            }
        }
    }
    for (int o = 0; o < kSynthOscillatorCount; ++o) {
        OscVoiceSlot& slot = oscillators[o].slots[v];
        slot.phase = 0.0f;
        const float increment = noteIncrement(o, pitch);
        slot.increment = increment;
        slot.targetIncrement = increment;
        if (glides) {
            slot.increment = noteIncrement(o, source);
        }
    }
}

void SynthEngine::noteOff(int32_t key, int32_t delay) {
    bool released = false;
    float releasedPitch = 0.0f;
    for (SynthVoice& voice : voices) {
        // Sounding, or started in this block at a later offset (start > clock): a
        // note-on and its note-off in one block must not leave the note hanging.
        if (voice.key == key && clock < voice.ampEnvelope.end) {
            voice.ampEnvelope.release(delay);
            voice.filterEnvelope.release(delay);
            releasedPitch = voice.pitch;
            released = true;
        }
    }
    if (!released) {
        return;  // nothing was released, so there is no pitch to glide from
    }
    const int64_t releaseInstant = clock + delay;
    if (glideTime < releaseInstant) {
        glideSources[0] = releasedPitch;
        glideCount = 1;
        glideTime = releaseInstant;
    } else {
        glideSources[glideCount] = releasedPitch;
        if (glideCount != kSynthVoiceCount - 1) {
            ++glideCount;
        }
    }
}

void SynthEngine::setArpType(float value) {
    arpeggiator.setArpType(value);
}

void SynthEngine::setArpTime(float value, float samplesPerBeat) {
    arpeggiator.setArpTime(value, samplesPerBeat);
}

void SynthEngine::setArpChord(float value) {
    arpeggiator.setArpChord(value);
}

void SynthEngine::setArpRange(float value) {
    arpeggiator.setArpRange(value);
}

void SynthEngine::setCutoff(float value) {
    cutoff = value;
    setupSoundingFilters();
}

void SynthEngine::setResonance(float value) {
    resonance = value;
    setupSoundingFilters();
}

void SynthEngine::setupSoundingFilters() {
    // setup() on every sounding voice; they share the one cutoff, so one power serves all.
    const float power = powerOf200(cutoff);
    for (SynthVoice& voice : voices) {
        if (voice.ampEnvelope.isSoundingAt(clock)) {
            voice.filter.resonance = resonance;
            voice.filter.setCutoffWithPower(cutoff, power);
        }
    }
}

// When the run in hand must stop: the earliest sample that needs the exact path, the next
// arpeggio step boundary of any lane, and each lane's own next boundary.
struct LaneSchedule {
    int64_t stopAt = INT64_MAX;
    int64_t nextArp = INT64_MAX;
    int64_t arpBoundary[kSynthVoiceCount];
    int64_t arpStepLength = 1;
};

namespace {

constexpr int64_t kNever = INT64_MAX;

// The first sample at which an envelope in its sustain stage begins its release.
int64_t releaseBegins(const SynthEnvelope& envelope, int64_t now) {
    return std::max(envelope.releaseTime + 1, now);
}

}  // namespace

void SynthEngine::gatherLanes(VoiceLanes& lanes, LaneSchedule& schedule) const {
    // Every field of a live lane is written below; padding lanes must hold zeros (a quiet,
    // waiting voice), so the whole is cleared only when there is padding.
    if (liveVoices != (1u << kSynthVoiceCount) - 1u) std::memset(static_cast<void*>(&lanes), 0, sizeof lanes);
    lanes.rendering = 0;
    lanes.renderingKnown = false;
    const int64_t now = clock;
    schedule.stopAt = kNever;
    schedule.nextArp = kNever;
    schedule.arpStepLength = static_cast<int64_t>(arpeggiator.stepLength);
    const bool arpOn = arpeggiator.type != kArpNone;
    int count = 0;
    for (uint32_t pending = liveVoices; pending != 0; pending &= pending - 1) {
        const int v = __builtin_ctz(pending);
        const int i = count++;
        const SynthVoice& voice = voices[v];
        lanes.voice[i] = v;
        for (int o = 0; o < kSynthOscillatorCount; ++o) {
            const OscVoiceSlot& slot = oscillators[o].slots[v];
            lanes.phase[o][i] = slot.phase;
            lanes.increment[o][i] = slot.increment;
            lanes.target[o][i] = slot.targetIncrement;
        }
        // The amplitude envelope: before its start it only waits; otherwise it must be one
        // step behind, and its release and end are known in advance.
        const SynthEnvelope& amp = voice.ampEnvelope;
        lanes.ampValue[i] = amp.value;
        lanes.ampStep[i] = amp.step;
        lanes.ampSustain[i] = amp.sustain;
        lanes.ampStage[i] = amp.stage;
        lanes.ampStepping[i] = 0;
        if (now < amp.start) {
            schedule.stopAt = std::min(schedule.stopAt, amp.start);
        } else if (amp.start < now && std::max(amp.lastTime, amp.start) == now - 1 && now < amp.end) {
            lanes.ampStepping[i] = -1;
            schedule.stopAt = std::min(schedule.stopAt, amp.end);
            if (amp.stage == SynthEnvelope::kSustain) schedule.stopAt = std::min(schedule.stopAt, releaseBegins(amp, now));
        } else {
            schedule.stopAt = now;
        }
        // The filter envelope, evaluated only while the voice renders with the filter on.
        const SynthEnvelope& env = voice.filterEnvelope;
        lanes.envValue[i] = env.value;
        lanes.envStep[i] = env.step;
        lanes.envSustain[i] = env.sustain;
        lanes.envStage[i] = env.stage;
        if (now < env.start || now >= env.end) {
            lanes.envMode[i] = kLaneEnvelopeSilent;
            if (filterOn && now < env.start) schedule.stopAt = std::min(schedule.stopAt, env.start);
        } else if (env.start < now && std::max(env.lastTime, env.start) == now - 1) {
            lanes.envMode[i] = kLaneEnvelopeStepping;
            if (filterOn) {
                schedule.stopAt = std::min(schedule.stopAt, env.end);
                if (env.stage == SynthEnvelope::kSustain) schedule.stopAt = std::min(schedule.stopAt, releaseBegins(env, now));
            }
        } else {
            lanes.envMode[i] = kLaneEnvelopeStale;
        }
        lanes.velocity[i] = voice.velocity;
        const LadderFilter& filter = voice.filter;
        // A filter that never derived coefficients compares unequal to every cutoff.
        lanes.cutoff[i] = filter.hasCoefficients() ? filter.cutoff : std::nanf("");
        lanes.resonance[i] = filter.resonance;
        lanes.f[i] = filter.f;
        lanes.feedback[i] = filter.feedback;
        lanes.inputGain[i] = filter.inputGain;
        lanes.outputGain[i] = filter.outputGain;
        const float ys[4] = {filter.y1, filter.y2, filter.y3, filter.y4};
        const float xs[4] = {filter.x1, filter.x2, filter.x3, filter.x4};
        for (int s = 0; s < 4; ++s) {
            lanes.y[s][i] = ys[s];
            lanes.x[s][i] = xs[s];
        }
        // The next sample at which this voice's arpeggio time is a whole number of steps.
        schedule.arpBoundary[i] = kNever;
        if (arpOn && amp.start <= now) {
            const int64_t intoStep = (now - amp.start) % schedule.arpStepLength;
            schedule.arpBoundary[i] = intoStep == 0 ? now : now + (schedule.arpStepLength - intoStep);
            schedule.nextArp = std::min(schedule.nextArp, schedule.arpBoundary[i]);
        }
    }
    lanes.count = count;
}

void SynthEngine::scatterLanes(const VoiceLanes& lanes, int64_t lastSample) {
    for (int i = 0; i < lanes.count; ++i) {
        SynthVoice& voice = voices[lanes.voice[i]];
        for (int o = 0; o < kSynthOscillatorCount; ++o) {
            OscVoiceSlot& slot = oscillators[o].slots[lanes.voice[i]];
            slot.phase = lanes.phase[o][i];
            slot.increment = lanes.increment[o][i];
        }
        voice.ampEnvelope.value = lanes.ampValue[i];
        voice.ampEnvelope.lastTime = lastSample;
        if (!filterOn || !(lanes.rendering & (1u << i))) continue;
        voice.filterEnvelope.value = lanes.envValue[i];
        voice.filterEnvelope.lastTime = lastSample;
        LadderFilter& filter = voice.filter;
        filter.cutoffHold = 0;
        filter.restoreCoefficients(lanes.cutoff[i], lanes.f[i], lanes.feedback[i], lanes.inputGain[i],
                                   lanes.outputGain[i]);
        filter.y1 = lanes.y[0][i];
        filter.y2 = lanes.y[1][i];
        filter.y3 = lanes.y[2][i];
        filter.y4 = lanes.y[3][i];
        filter.x1 = lanes.x[0][i];
        filter.x2 = lanes.x[1][i];
        filter.x3 = lanes.x[2][i];
        filter.x4 = lanes.x[3][i];
    }
}

LaneRun SynthEngine::laneRun(int64_t now, const float* input, float* out) const {
    LaneRun run;
    run.now = now;
    run.input = input;
    run.out = out;
    run.oscillators = oscillators;
    run.portaOn = portaOn;
    run.portaCoef = portaCoef;
    run.filterOn = filterOn;
    run.cutoff = cutoff;
    run.filterEnvAmount = filterEnvAmount;
    return run;
}

bool SynthEngine::renderArpBoundary(VoiceLanes& lanes, LaneSchedule& schedule, const float* input, float* out) {
    const int64_t now = clock;
    // The shared step state is read and written voice by voice, as the exact path does;
    // if the sample turns out to hold an event, it is put back untouched.
    const SynthArpeggiator before = arpeggiator;
    float factors[kSynthVoiceCount] = {};
    for (uint32_t pending = lanes.rendering; pending != 0; pending &= pending - 1) {
        const int i = __builtin_ctz(pending);
        factors[i] = arpeggiator.arpPitchFactor(now - voices[lanes.voice[i]].ampEnvelope.start);
    }
    LaneRun run = laneRun(now, input, out);
    run.laneArpFactors = factors;
    if (laneKernels().renderRun(lanes, run, 1) != 1) {
        arpeggiator = before;
        return false;
    }
    schedule.nextArp = kNever;
    for (int i = 0; i < lanes.count; ++i) {
        if (schedule.arpBoundary[i] == now) schedule.arpBoundary[i] += schedule.arpStepLength;
        schedule.nextArp = std::min(schedule.nextArp, schedule.arpBoundary[i]);
    }
    return true;
}

void SynthEngine::renderBlock(const float* input, float* out, int frames) {
    VoiceLanes lanes;
    LaneSchedule schedule;
    bool gathered = false;
    int64_t lastLaneSample = -1;  // the latest sample rendered side by side since the copy
    int done = 0;
    while (done < frames) {
        if (liveVoices == 0) {
            // Nothing sounds and nothing can start inside this call: the rest is silence.
            std::fill(out + done, out + frames, 0.0f);
            clock += frames - done;
            break;
        }
        if (!gathered) {
            gatherLanes(lanes, schedule);
            gathered = true;
            lastLaneSample = -1;
        }
        const int64_t now = clock;
        const int64_t limit = std::min({static_cast<int64_t>(frames - done), schedule.stopAt - now, schedule.nextArp - now});
        const float* runInput = input ? input + done : nullptr;
        if (limit > 0) {
            LaneRun run = laneRun(now, runInput, out + done);
            run.arpFactor = arpeggiator.type != kArpNone ? arpeggiator.factor : 1.0f;
            const int rendered = laneKernels().renderRun(lanes, run, static_cast<int>(limit));
            if (rendered > 0) {
                clock += rendered;
                done += rendered;
                lastLaneSample = clock - 1;
                if (arpeggiator.type != kArpNone && lanes.rendering != 0) {
                    // Every rendering voice asked for its factor; the last one's time stays.
                    const int last = 31 - __builtin_clz(lanes.rendering);
                    arpeggiator.stepTime = lastLaneSample - voices[lanes.voice[last]].ampEnvelope.start;
                    arpeggiator.armed = true;
                }
            }
            if (rendered == limit) continue;
        } else if (now == schedule.nextArp && now < schedule.stopAt && lanes.renderingKnown) {
            if (renderArpBoundary(lanes, schedule, runInput, out + done)) {
                clock += 1;
                done += 1;
                lastLaneSample = now;
                continue;
            }
        }
        // The exact per-voice path for this one sample.
        if (lastLaneSample >= 0) scatterLanes(lanes, lastLaneSample);
        gathered = false;
        out[done] = renderSample(input ? input[done] : 0.0f);
        ++done;
    }
    if (gathered && lastLaneSample >= 0) scatterLanes(lanes, lastLaneSample);
}
