// SynthEngine: the per-sample render, notes and voice choice, portamento and settings.
#include "engine/synth_engine.h"

#include <cmath>
#include <cstring>

#include "engine/synth_math.h"
#include "engine/synth_math_block.h"

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
    float phases[kSynthOscillatorCount][kSynthVoiceCount];
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
            oscillator.waveBlock(shape, phases[o], waves[o], count);
        }
    }
}

void SynthEngine::filterVoices(int64_t now, const int* sounding, int count, float* voiceOut) {
    // The immediate cutoff setter for every voice, the powers of those that need new
    // coefficients taken in one run.
    float newCutoffs[kSynthVoiceCount];
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
        powerOf200Block(newCutoffs, powers, changedCount);
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
    for (SynthVoice& voice : voices) {
        if (voice.ampEnvelope.isSoundingAt(clock)) {
            voice.filter.setup(cutoff, resonance);
        }
    }
}

void SynthEngine::setResonance(float value) {
    resonance = value;
    for (SynthVoice& voice : voices) {
        if (voice.ampEnvelope.isSoundingAt(clock)) {
            voice.filter.setup(cutoff, resonance);
        }
    }
}
