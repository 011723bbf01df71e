// Per-call working arrays of the line formulas. They are allocated without
// throwing: a failed allocation is an empty buffer that the formula reports
// and answers with -1, never an exception through the host.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

template <typename T>
struct WorkBuffer {
    std::unique_ptr<T[]> data;
    size_t size = 0;

    // Zero-filled room for `n` values; false when it cannot be had.
    bool allocate(size_t n) {
        data.reset(new (std::nothrow) T[n > 0 ? n : 1]());
        size = data ? n : 0;
        return data != nullptr;
    }
    T& operator[](size_t i) { return data[i]; }
    const T& operator[](size_t i) const { return data[i]; }
};
