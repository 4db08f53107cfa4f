// The memory back end's process-wide scripted state, shared by its source files.
#pragma once

#include <atomic>

#include <deque>
#include <map>
#include <vector>

#include "gui/platform/memory/memory_platform.h"

namespace gui_platform {
namespace memory {

struct MemoryWorld {
    std::vector<MemoryWindow*> windows;
    std::vector<MemoryEditField*> editFields;
    GuiPoint nextWindowOrigin{200, 100};

    InputStep live;
    int32_t modifiers = 0;
    std::deque<InputStep> queue;

    // The clock is shared by every editor of the process and asked from any thread (a refresh
    // request comes from the audio thread).
    std::atomic<uint32_t> clock{1000};
    std::atomic<uint32_t> tickPerQuery{0};
    uint64_t slept = 0;
    int32_t sleepCalls = 0;

    std::map<int32_t, Image> bitmaps;
    std::vector<PictureRecord> pictures;
    int32_t serveCalls = 0;
    int32_t served = 0;
};

MemoryWorld& world();

}  // namespace memory
}  // namespace gui_platform
