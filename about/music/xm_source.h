// A byte source for the module loader: memory, a program resource or a
// file. Reads are bounded by the source's length; a seek outside
// 0..length is ignored.
#pragma once

#include <cstddef>
#include <cstdint>

namespace xm {

struct Source {
    void* context = nullptr;
    // Copies up to `count` bytes to `dest`; returns how many were copied.
    size_t (*read)(void* context, void* dest, size_t count) = nullptr;
    // Moves the cursor to `offset` (absolute) or by `offset` (relative).
    void (*seek)(void* context, int64_t offset, bool relative) = nullptr;
    int64_t (*tell)(void* context) = nullptr;
    int64_t length = 0;
};

struct MemoryCursor {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
};

// A source over `cursor` (which must outlive it).
Source MemorySource(MemoryCursor& cursor);

} // namespace xm
