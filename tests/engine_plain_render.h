// The plain render: the engine's rules transcribed one voice after the other, every voice
// evaluated every sample, the library's sine and power called wherever the rules take one,
// the filter coefficients derived every sample. The reference the engine tests and the
// benchmark measure the engine against; only the note, setting and arpeggiator code is
// shared with the engine.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/synth_engine.h"

namespace plain_render {


inline float librarySin(float angle) { return static_cast<float>(std::sin(static_cast<double>(angle))); }

inline int plainNoiseIndex(float x) {
    const float position = 1024.0f * x;
    if (!(position > 0.0f)) return 0;
    if (position >= 1023.0f) return 1023;
    return static_cast<int>(position);
}

inline float plainTriangle(float x) {
    if (x < 0.25f) return 2.0f * x;
    if (x <= 0.75f) return 1.0f - 2.0f * x;
    return 2.0f * x - 2.0f;
}

inline float plainWave(const SynthOscillator& oscillator, int32_t shape, float x) {
    const float twoPi = 6.2831855f, fourPi = 12.566371f, sixPi = 18.849556f, eightPi = 25.132742f;
    switch (shape) {
    case 1: return plainTriangle(x) + 0.5f * librarySin(twoPi * x);
    case 2: return x < 0.25f ? 4.0f * x : (x <= 0.75f ? 2.0f - 4.0f * x : 4.0f * x - 4.0f);
    case 3: return x <= 0.5f ? 2.0f * x : 2.0f * x - 2.0f;
    case 4: return x < 0.5f ? plainTriangle(x) + 0.5f : plainTriangle(x) - 0.5f;
    case 5: return x < 0.5f ? 1.0f : -1.0f;
    case 6: return x < 0.5f ? 0.5f * librarySin(twoPi * x) + 0.5f : 0.5f * librarySin(twoPi * x) - 0.5f;
    case 7: return (librarySin(twoPi * x) + librarySin(fourPi * x)) * 0.5f;
    case 8: return (librarySin(twoPi * x) + librarySin(fourPi * x) + librarySin(sixPi * x)) * 0.33333334f;
    case 9: return (librarySin(twoPi * x) + librarySin(fourPi * x) + librarySin(eightPi * x)) * 0.33333334f;
    case 10: return 2.0f * std::fabs(librarySin(twoPi * x)) - 1.0f;
    case 11: return oscillator.noise0[plainNoiseIndex(x)];
    case 12: return oscillator.noise1[plainNoiseIndex(x)];
    case 13: return oscillator.noise2[plainNoiseIndex(x)];
    default: return librarySin(twoPi * x);
    }
}

// One step per elapsed sample, no shortcut in any stage.
inline float plainEvaluate(SynthEnvelope& e, int64_t now) {
    const int64_t previous = e.lastTime > e.start ? e.lastTime : e.start;
    e.lastTime = now;
    if (now < e.start || now >= e.end) return 0.0f;
    for (int64_t remaining = now - previous; remaining > 0; --remaining) {
        if (e.stage == SynthEnvelope::kAttack) {
            e.value += e.step;
            if (e.value >= 1.0f) {
                if (e.decayLength > 0) {
                    e.step = e.decayStep;
                    e.value = 1.0f;
                    e.stage = SynthEnvelope::kDecay;
                } else {
                    e.value = e.sustain;
                    e.stage = SynthEnvelope::kSustain;
                }
            }
        } else if (e.stage == SynthEnvelope::kDecay) {
            e.value += e.step;
            if (e.value <= e.sustain) {
                e.value = e.sustain;
                e.stage = SynthEnvelope::kSustain;
            }
        } else if (e.stage == SynthEnvelope::kSustain) {
            if (e.releaseTime < now) {
                e.stage = SynthEnvelope::kRelease;
                e.end = now + e.releaseLength;
                if (e.releaseLength > 0) {
                    e.step = e.releaseStep;
                } else {
                    e.value = 0.0f;
                }
            }
        } else {
            e.value += e.step;
        }
    }
    return e.value;
}

inline void plainSetCutoff(LadderFilter& filter, float cutoff) {
    filter.cutoff = cutoff;
    const float fc = 0.005f * static_cast<float>(std::pow(200.0, static_cast<double>(cutoff)));
    filter.f = 1.16f * fc;
    const float fSquared = filter.f * filter.f;
    filter.feedback = filter.resonance * 4.0f * (1.0f - 0.15f * fSquared);
    filter.inputGain = 0.35013f * fSquared * fSquared;
    filter.outputGain = 2.0f * filter.resonance + 1.0f;
}

inline float plainProcess(LadderFilter& s, float input) {
    const float x = (input - s.feedback * s.y4) * s.inputGain;
    const float y1 = x + 0.3f * s.x1 + (1.0f - s.f) * s.y1;
    const float y2 = y1 + 0.3f * s.x2 + (1.0f - s.f) * s.y2;
    const float y3 = y2 + 0.3f * s.x3 + (1.0f - s.f) * s.y3;
    const float y4 = y3 + 0.3f * s.x4 + (1.0f - s.f) * s.y4;
    s.x1 = x;
    s.x2 = y1;
    s.x3 = y2;
    s.x4 = y3;
    s.y1 = y1;
    s.y2 = y2;
    s.y3 = y3;
    s.y4 = y4;
    return s.outputGain * y4;
}

struct PlainEngine : SynthEngine {
    float renderPlain(float inputSample) {
        float sum = 0.0f;
        bool seedTaken = false;
        for (SynthVoice& voice : voices) {
            const int v = static_cast<int>(&voice - voices);
            const float amplitude = plainEvaluate(voice.ampEnvelope, clock);
            if (amplitude <= 0.0f) continue;
            float acc = seedTaken ? 0.0f : inputSample;
            seedTaken = true;
            const float arpFactor = arpeggiator.arpPitchFactor(clock - voice.ampEnvelope.start);
            for (SynthOscillator& oscillator : oscillators) {
                OscVoiceSlot& slot = oscillator.slots[v];
                const float wave = plainWave(oscillator, oscillator.shape, slot.phase);
                slot.phase += arpFactor * slot.increment;
                while (slot.phase >= 1.0f) slot.phase -= 1.0f;
                if (portaOn) slot.increment += (slot.targetIncrement - slot.increment) * portaCoef;
                const float term = wave * oscillator.level;
                acc = oscillator.multiply ? acc * term : acc + term;
            }
            float out = acc * voice.velocity * amplitude;
            if (filterOn) {
                const float envelopeLevel = plainEvaluate(voice.filterEnvelope, clock);
                plainSetCutoff(voice.filter, cutoff + (envelopeLevel - cutoff) * filterEnvAmount);
                out = plainProcess(voice.filter, out);
            }
            sum += out;
        }
        clock += 1;
        return sum;
    }
};

}  // namespace plain_render
