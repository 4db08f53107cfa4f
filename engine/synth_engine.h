// SynthEngine: sixteen voices of three oscillators, envelopes, filter, portamento and
// arpeggiator, rendered one mono sample at a time.
#pragma once

#include <cstdint>

#include "engine/synth_arpeggiator.h"
#include "engine/synth_oscillator.h"
#include "engine/synth_voice.h"

struct VoiceLanes;
struct LaneSchedule;
struct LaneRun;

class SynthEngine {
public:
    static constexpr int32_t kDefaultSampleRate = 44100;

    SynthEngine();
    virtual ~SynthEngine();

    // One mono sample of all sounding voices; `inputSample` seeds the oscillator chain
    // of the first voice that sounds. Advances the clock by one.
    float renderSample(float inputSample);
    // `frames` samples into out, the same bits as that many renderSample calls; input may
    // be null (zeros). The voices go side by side between the samples that need the exact
    // per-voice path (a note starting or ending, an envelope changing stage).
    void renderBlock(const float* input, float* out, int frames);
    // True while no voice can sound before the next note-on: then rendering gives zeros.
    bool isSilent() const { return liveVoices == 0; }
    // Advances the clock over `frames` samples of silence (only while isSilent()).
    void skipSilence(int frames) { clock += frames; }
    // Rewinds the clock and restores the reset values (voices keep playing their stamps).
    void resetEngine();
    // Voices whose amplitude envelope has start <= clock < end.
    int activeVoiceCount() const;

    // Semitones; only notes started afterwards use it.
    void setMasterPitch(float semitones);
    // Semitones of oscillator 0..2; retunes sounding voices at once.
    void setOscPitch(int oscillator, float semitones);
    void setAmpSustain(float level);
    void setFilterSustain(float level);
    // Integer copy of the host's rate; rates below 1 Hz and NaN are ignored.
    void setSampleRate(float rate);

    // delay: sample offset within the coming block.
    void noteOn(int32_t key, float pitch, float velocity, int32_t delay);
    void noteOff(int32_t key, int32_t delay);

    void setArpType(float value);
    void setArpTime(float value, float samplesPerBeat);
    void setArpChord(float value);
    void setArpRange(float value);

    void setCutoff(float value);
    void setResonance(float value);

    SynthArpeggiator arpeggiator;
    SynthOscillator oscillators[kSynthOscillatorCount];
    int32_t ampAttack = 600;
    int32_t ampDecay = 300;
    int32_t ampRelease = 10000;
    float ampSustain = 0.5f;
    int64_t clock = 0;
    SynthVoice voices[kSynthVoiceCount];
    float glideSources[kSynthVoiceCount] = {};
    int32_t glideCount = 0;
    int64_t glideTime = -1;
    int32_t sampleRate = kDefaultSampleRate;
    bool portaOn = false;
    float portaCoef = 0.1f;
    float masterPitch = 0.0f;
    int32_t filterAttack = 0;
    int32_t filterDecay = 1;
    int32_t filterRelease = 10;
    float filterSustain = 0.0f;
    float filterEnvAmount = 0.0f;
    bool filterOn = false;
    float cutoff = 0.5f;
    float resonance = 0.0f;

private:
    // The render's stages (sounding: voice indices in ascending order, count of them).
    // Evaluates the amplitude envelopes of live voices; returns how many sound.
    int collectSoundingVoices(int64_t now, int* sounding, float* amplitudes);
    // Each oscillator's wave values at the voices' phases, advancing the phases.
    void renderWaves(int64_t now, const int* sounding, int count, float (*waves)[kSynthVoiceCount]);
    // Filter envelope, cutoff and filter of each sounding voice, in place.
    void filterVoices(int64_t now, const int* sounding, int count, float* voiceOut);
    float noteIncrement(int oscillator, float notePitch) const;
    // Copies the live voices into lanes and works out when the next event falls due;
    // the copy back after a run.
    void gatherLanes(VoiceLanes& lanes, LaneSchedule& schedule) const;
    void scatterLanes(const VoiceLanes& lanes, int64_t lastSample);
    // One sample at which a voice reaches an arpeggio step boundary, side by side if no
    // envelope event falls on it; false leaves the sample to the exact path.
    // The engine settings a side-by-side run reads, for samples from now on.
    LaneRun laneRun(int64_t now, const float* input, float* out) const;
    bool renderArpBoundary(VoiceLanes& lanes, LaneSchedule& schedule, const float* input, float* out);
    int chooseVoice() const;
    void setupSoundingFilters();

    // Voices whose amplitude envelope has not ended (end > clock): only these are
    // evaluated, so a silent engine costs almost nothing per sample.
    uint32_t liveVoices = 0;
};
