// The plain editor base: the defaults an editor answers while it is built or torn down.
#pragma once

#include <atomic>

#include "vst2/vst2_abi.h"

class AudioEffect;

// All operations run on the host's user-interface thread unless a comment says otherwise.
class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect) : effect(effect) {}
    virtual ~AEffEditor() {}

    // effEditGetRect: the editor's size; the base has none.
    virtual VstInt32 getRect(ERect** rect) {
        if (rect) *rect = nullptr;
        return 0;
    }
    // effEditOpen: window is the host's native window (HWND, or an X11 Window id).
    virtual VstInt32 open(void* window) {
        systemWindow = window;
        return 0;
    }
    virtual void close() {}
    // effEditIdle.
    virtual void idle() {
        if (updateFlag.exchange(0)) update();
    }
    virtual void update() {}
    // Any thread, the audio thread included: it only sets a flag, which idle takes.
    virtual void postUpdate() { updateFlag = 1; }
    virtual VstInt32 onKeyDown(VstKeyCode& /*key*/) { return -1; }
    virtual VstInt32 onKeyUp(VstKeyCode& /*key*/) { return -1; }
    virtual VstInt32 setKnobMode(VstInt32 /*mode*/) { return 0; }
    virtual bool onWheel(float /*distance*/) { return false; }

    AudioEffect* getEffect() const { return effect; }

protected:
    AudioEffect* effect;
    void* systemWindow = nullptr;
    std::atomic<VstInt32> updateFlag{0};
};
