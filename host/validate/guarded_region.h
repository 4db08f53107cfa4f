// Memory handed to a plug-in with guard zones around it: inaccessible pages on both
// sides, and a canary pattern in every byte of the region the plug-in was not given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class GuardedRegion {
public:
    // Room for capacityBytes; the pages either side fault on any access.
    explicit GuardedRegion(size_t capacityBytes);
    ~GuardedRegion();
    GuardedRegion(const GuardedRegion&) = delete;
    GuardedRegion& operator=(const GuardedRegion&) = delete;

    // A window of `bytes` (at most the capacity), 16-byte aligned and ending as close
    // to the trailing guard page as that alignment allows, so that writing past its end
    // faults or hits a canary. Everything else in the region gets the canary. The
    // window's own bytes are left as they are.
    void* window(size_t bytes);
    // Where the canary around the current window was overwritten, or "" when intact.
    std::string damage() const;

    size_t capacity() const { return capacity_; }

    static constexpr uint8_t kCanary = 0xA5;

private:
    uint8_t* mapping_ = nullptr;
    size_t mappingBytes_ = 0;
    uint8_t* usable_ = nullptr; // first byte a window may start at
    uint8_t* end_ = nullptr;    // the trailing guard page
    size_t capacity_ = 0;
    uint8_t* windowStart_ = nullptr;
    size_t windowBytes_ = 0;
};
