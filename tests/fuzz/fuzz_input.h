// Reading a fuzzer's bytes as the values a harness needs; past the end everything is 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    template <typename T>
    T take() {
        T value{};
        size_t count = sizeof(T) < left() ? sizeof(T) : left();
        std::memcpy(&value, data_ + used_, count);
        used_ += count;
        return value;
    }
    // Up to `count` bytes, copied into dest; answers how many were there.
    size_t takeBytes(void* dest, size_t count) {
        size_t taken = count < left() ? count : left();
        std::memcpy(dest, data_ + used_, taken);
        used_ += taken;
        return taken;
    }
    size_t left() const { return size_ - used_; }
    bool empty() const { return left() == 0; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t used_ = 0;
};
