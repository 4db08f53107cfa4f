// The one mapping from parameter values to engine settings, shared by the plug-in, the
// benchmark and the tests. Depends only on the engine and the parameter table.
#pragma once

class SynthEngine;

// Writes the engine settings parameter `index` controls, from the current parameter
// values (values[index] among them). samplesPerBeat times the arpeggio steps. Parameters
// that set no engine setting (output stage, LFOs, event modulators) change nothing; the
// caller's thread is the one that owns the engine.
void applyEngineParameter(SynthEngine& engine, int index, const float* values, float samplesPerBeat);

// Every parameter in index order, as loading a program applies them.
void applyEngineProgram(SynthEngine& engine, const float* values, float samplesPerBeat);
