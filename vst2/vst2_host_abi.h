// The parts of the VST 2 interface only a host needs: the transport record, extra opcodes.
#pragma once

#include "vst2/vst2_abi.h"

// Field order and widths are the published binary layout; the plug-in side never needs
// this record, so it lives with the host rather than in vst2/vst2_abi.h.
struct VstTimeInfo {
    double samplePos;
    double sampleRate;
    double nanoSeconds;
    double ppqPos;
    double tempo;
    double barStartPos;
    double cycleStartPos;
    double cycleEndPos;
    VstInt32 timeSigNumerator;
    VstInt32 timeSigDenominator;
    VstInt32 smpteOffset;
    VstInt32 smpteFrameRate;
    VstInt32 samplesToNextClock;
    VstInt32 flags;
};
static_assert(sizeof(VstTimeInfo) == 88, "VstTimeInfo is 8 doubles and 6 ints");

enum VstTimeInfoFlags {
    kVstTransportChanged = 1,
    kVstTransportPlaying = 1 << 1,
    kVstPpqPosValid = 1 << 9,
    kVstTempoValid = 1 << 10,
    kVstBarsValid = 1 << 11,
    kVstTimeSigValid = 1 << 13,
};

// Host opcodes beyond the ones the plug-in itself sends.
enum HostOnlyOpcodes {
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetVendorString = 32,
    audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34,
    audioMasterCanDo = 37,
};

// Plug-in opcodes of later interface versions that hosts send around processing.
enum HostProcessOpcodes {
    effStartProcess = 71,
    effStopProcess = 72,
};
