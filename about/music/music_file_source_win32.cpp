#include "about/music/music_file_source_win32.h"

#include "common/win32_owners.h"

#include <windows.h>

#include <cstring>
#include <new>
#include <utility>

namespace xm {

constexpr int kFileCacheBytes = 8192;

// File reader: an 8192-byte cache aligned to 8192-byte offsets; whole
// aligned runs go straight to the destination.
struct FileReader {
    KernelHandle file;
    int64_t length = 0, pos = 0;
    int64_t cache_start = -1;
    DWORD cache_bytes = 0;
    uint8_t cache[kFileCacheBytes];
};

namespace {

bool ReadAt(FileReader& f, int64_t offset, void* dest, DWORD count, DWORD& got) {
    LARGE_INTEGER li;
    li.QuadPart = offset;
    return SetFilePointerEx(f.file.get(), li, nullptr, FILE_BEGIN) &&
           ReadFile(f.file.get(), dest, count, &got, nullptr);
}

size_t ReadFileSource(void* context, void* dest, size_t count) {
    auto& f = *static_cast<FileReader*>(context);
    auto* out = static_cast<uint8_t*>(dest);
    size_t done = 0;
    while (done < count && f.pos < f.length) {
        int64_t block = f.pos / kFileCacheBytes * kFileCacheBytes;
        size_t want = count - done;
        DWORD got = 0;
        if (f.pos == block && want >= static_cast<size_t>(kFileCacheBytes)) {
            DWORD run = static_cast<DWORD>(want / kFileCacheBytes * kFileCacheBytes);
            if (!ReadAt(f, f.pos, out + done, run, got) || got == 0) break;
            done += got;
            f.pos += got;
            continue;
        }
        if (f.cache_start != block) {
            if (!ReadAt(f, block, f.cache, kFileCacheBytes, got) || got == 0) break;
            f.cache_start = block;
            f.cache_bytes = got;
        }
        size_t at = static_cast<size_t>(f.pos - block);
        if (at >= f.cache_bytes) break;
        size_t n = f.cache_bytes - at;
        if (n > want) n = want;
        std::memcpy(out + done, f.cache + at, n);
        done += n;
        f.pos += static_cast<int64_t>(n);
    }
    return done;
}

void SeekFileSource(void* context, int64_t offset, bool relative) {
    auto& f = *static_cast<FileReader*>(context);
    int64_t target = relative ? f.pos + offset : offset;
    if (target >= 0 && target <= f.length) f.pos = target;
}

int64_t TellFileSource(void* context) {
    return static_cast<FileReader*>(context)->pos;
}

} // namespace

bool OpenFileSource(const char* path, FileSource& file) {
    file = FileSource();
    HANDLE opened = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return false;
    KernelHandle handle(opened);
    LARGE_INTEGER size{};
    FileReader* reader =
        GetFileSizeEx(handle.get(), &size) ? new (std::nothrow) FileReader() : nullptr;
    if (!reader) return false;
    reader->file = std::move(handle);
    reader->length = size.QuadPart;
    file.reader = reader;
    file.source.context = reader;
    file.source.read = ReadFileSource;
    file.source.seek = SeekFileSource;
    file.source.tell = TellFileSource;
    file.source.length = reader->length;
    return true;
}

void CloseFileSource(FileSource& file) {
    delete file.reader; // closes the file
    file = FileSource();
}

} // namespace xm
