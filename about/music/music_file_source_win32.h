// Module sources backed by Win32: a file read through an 8192-byte cache.
#pragma once

#include "about/music/xm_source.h"

namespace xm {

struct FileReader;

struct FileSource {
    FileReader* reader = nullptr;
    Source source;
};

// Opens `path` for reading (read sharing allowed). On success `file.source`
// reads the file; release it with CloseFileSource.
bool OpenFileSource(const char* path, FileSource& file);
void CloseFileSource(FileSource& file);

} // namespace xm
