#include "about/music/xm_source.h"

#include <cstring>

namespace xm {

static size_t ReadMemory(void* context, void* dest, size_t count) {
    auto* c = static_cast<MemoryCursor*>(context);
    size_t left = c->size - c->pos;
    if (count > left) count = left;
    if (count) std::memcpy(dest, c->data + c->pos, count);
    c->pos += count;
    return count;
}

static void SeekMemory(void* context, int64_t offset, bool relative) {
    auto* c = static_cast<MemoryCursor*>(context);
    int64_t target = relative ? static_cast<int64_t>(c->pos) + offset : offset;
    if (target < 0 || target > static_cast<int64_t>(c->size)) return;
    c->pos = static_cast<size_t>(target);
}

static int64_t TellMemory(void* context) {
    return static_cast<int64_t>(static_cast<MemoryCursor*>(context)->pos);
}

Source MemorySource(MemoryCursor& cursor) {
    Source s;
    s.context = &cursor;
    s.read = ReadMemory;
    s.seek = SeekMemory;
    s.tell = TellMemory;
    s.length = static_cast<int64_t>(cursor.size);
    return s;
}

} // namespace xm
