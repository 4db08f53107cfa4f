// Guarded memory: mmap with PROT_NONE pages around the usable part.
#include "host/validate/guarded_region.h"

#include "host/host_error.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

namespace {
size_t pageSize() {
    static const size_t size = (size_t)sysconf(_SC_PAGESIZE);
    return size;
}

size_t roundUp(size_t value, size_t step) { return (value + step - 1) / step * step; }

// The first canary byte that changed in [from, to), as an offset from `reference`.
const uint8_t* firstChanged(const uint8_t* from, const uint8_t* to) {
    for (const uint8_t* p = from; p < to; ++p)
        if (*p != GuardedRegion::kCanary)
            return p;
    return nullptr;
}
} // namespace

GuardedRegion::GuardedRegion(size_t capacityBytes) : capacity_(capacityBytes) {
    size_t page = pageSize();
    size_t usableBytes = roundUp(capacityBytes + 16, page);
    mappingBytes_ = usableBytes + 2 * page;
    void* mapping = mmap(nullptr, mappingBytes_, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        throw HostError("cannot map guarded memory");
    mapping_ = static_cast<uint8_t*>(mapping);
    if (mprotect(mapping_ + page, usableBytes, PROT_READ | PROT_WRITE) != 0)
        throw HostError("cannot unprotect guarded memory");
    end_ = mapping_ + page + usableBytes;
    usable_ = end_ - roundUp(capacityBytes, 16);
    std::memset(mapping_ + page, kCanary, usableBytes);
    window(0);
}

GuardedRegion::~GuardedRegion() {
    if (mapping_)
        munmap(mapping_, mappingBytes_);
}

void* GuardedRegion::window(size_t bytes) {
    if (bytes > capacity_)
        throw HostError("guarded window larger than its region");
    uint8_t* start = (uint8_t*)((uintptr_t)(end_ - bytes) & ~(uintptr_t)15);
    // Only the bytes that were inside the old window but are outside the new one have
    // lost their canary.
    uint8_t* oldStart = windowStart_ ? windowStart_ : end_;
    uint8_t* oldEnd = windowStart_ ? windowStart_ + windowBytes_ : end_;
    for (uint8_t* p = oldStart; p < oldEnd; ++p)
        if (p < start || p >= start + bytes)
            *p = kCanary;
    windowStart_ = start;
    windowBytes_ = bytes;
    return start;
}

std::string GuardedRegion::damage() const {
    size_t page = pageSize();
    const uint8_t* before = firstChanged(mapping_ + page, windowStart_);
    if (before)
        return std::to_string(windowStart_ - before) + " bytes before the start";
    const uint8_t* after = firstChanged(windowStart_ + windowBytes_, end_);
    if (after)
        return std::to_string(after - (windowStart_ + windowBytes_)) + " bytes after the end";
    return std::string();
}
