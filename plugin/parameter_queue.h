// ParameterQueue: parameter changes handed from the host's other threads to the audio
// thread. Any number of threads push, one thread pops; nobody waits and nothing allocates.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

struct ParameterChange {
    int32_t index;
    float value;
    bool fromEditor;  // the user moved it: an LFO aimed at it re-anchors there
};

class ParameterQueue {
public:
    static constexpr size_t kCapacity = 1024;  // a power of two

    ParameterQueue() {
        for (size_t i = 0; i < kCapacity; ++i) cells[i].sequence.store(i, std::memory_order_relaxed);
    }

    // Any thread. False when the queue is full; the change is then not queued.
    bool push(const ParameterChange& change) {
        size_t position = pushPosition.load(std::memory_order_relaxed);
        for (;;) {
            Cell& cell = cells[position & (kCapacity - 1)];
            const size_t sequence = cell.sequence.load(std::memory_order_acquire);
            const intptr_t difference = intptr_t(sequence) - intptr_t(position);
            if (difference == 0) {
                // The cell is free for this position: claim the position, or learn the new one.
                if (pushPosition.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
                    cell.change = change;
                    cell.sequence.store(position + 1, std::memory_order_release);
                    return true;
                }
            } else if (difference < 0) {
                return false;  // the consumer has not taken this cell's last change yet
            } else {
                position = pushPosition.load(std::memory_order_relaxed);
            }
        }
    }

    // The one consuming thread. False when nothing (completely written) is waiting.
    bool pop(ParameterChange& change) {
        Cell& cell = cells[popPosition & (kCapacity - 1)];
        if (cell.sequence.load(std::memory_order_acquire) != popPosition + 1) return false;
        change = cell.change;
        cell.sequence.store(popPosition + kCapacity, std::memory_order_release);
        ++popPosition;
        return true;
    }

private:
    struct Cell {
        std::atomic<size_t> sequence;
        ParameterChange change;
    };
    Cell cells[kCapacity];
    std::atomic<size_t> pushPosition{0};
    size_t popPosition = 0;
};
