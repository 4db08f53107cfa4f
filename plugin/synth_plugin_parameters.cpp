// SynthPlugin: the one path every parameter change takes, and the parameter texts.
#include <cmath>

#include "editor/synth_editor.h"
#include "plugin/host_text.h"
#include "plugin/synth_plugin.h"

namespace {
constexpr float kFallbackTempo = 140.0f;  // beats per minute when the host gives none
bool isParameter(VstInt32 index) { return index >= 0 && index < kParameterCount; }
}  // namespace

float SynthPlugin::readHostTempo() {
    float tempo = (float)tempoAt(0) * 0.0001f;
    // A zero, negative or unrepresentable tempo would make beat-based lengths
    // zero, negative or infinite.
    if (!(tempo > 0.0f) || !std::isfinite(tempo)) return kFallbackTempo;
    return tempo;
}

void SynthPlugin::setParameter(VstInt32 index, float value) {
    if (!isParameter(index)) return;
    programs[curProgram].values[index] = value;
    values[index] = value;
    hostTempo = readHostTempo();
    if (synthEditor) synthEditor->requestRefresh();
}

float SynthPlugin::getParameter(VstInt32 index) {
    return isParameter(index) ? values[index] : 0.0f;
}

void SynthPlugin::setParameterFromEditor(VstInt32 index, float value) {
    setParameter(index, value);
    if (hostCallback) callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void SynthPlugin::getParameterName(VstInt32 index, char* text) {
    copyHostText(text, kParameterTextSize, parameterName(index));
}

void SynthPlugin::getParameterLabel(VstInt32 /*index*/, char* label) {
    // No parameter has a unit; the dependent rows' targets have none either.
    copyHostText(label, kParameterTextSize, "");
}

void SynthPlugin::getParameterDisplay(VstInt32 index, char* text) {
    if (!isParameter(index)) return;
    formatParameterDisplay(index, values[index], values, text, kParameterTextSize);
}
