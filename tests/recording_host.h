// The recording VST 2 host of the tests: answers version and tempo requests and keeps
// every request it receives.
#pragma once

#include <functional>
#include <vector>

#include "vst2/vst2_abi.h"

struct HostRequest {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
};

struct TestHost {
    VstIntPtr versionAnswer = 2400;
    VstIntPtr tempoAnswer = 120 * 10000;  // beats per minute times 10000
    std::vector<HostRequest> requests;
    std::function<void()> onIdle;  // runs inside audioMasterIdle, like a host that idles the editor

    int count(VstInt32 opcode) const {
        int n = 0;
        for (const HostRequest& r : requests) n += r.opcode == opcode;
        return n;
    }
    void reset() {
        requests.clear();
        onIdle = nullptr;
    }

    // The host callback has no user pointer, so one host serves the whole test binary.
    static TestHost& instance() {
        static TestHost host;
        return host;
    }

    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void* /*ptr*/, float opt) {
        TestHost& host = instance();
        // Reserve up front so that recording never allocates on the audio path.
        if (host.requests.capacity() == 0) host.requests.reserve(1 << 16);
        if (host.requests.size() < host.requests.capacity())
            host.requests.push_back(HostRequest{effect, opcode, index, value, opt});
        if (opcode == audioMasterIdle && host.onIdle) host.onIdle();
        switch (opcode) {
            case audioMasterVersion: return host.versionAnswer;
            case audioMasterTempoAt: return host.tempoAnswer;
            default: return 0;
        }
    }
};
