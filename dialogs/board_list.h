// Splits the device library's board list ("8001|80A5|") into entries.
#pragma once

#include <cstddef>

// Calls visit(entry) for every text before a "|", in order; characters
// after the last "|" are ignored. Entries longer than entry_capacity - 1
// characters are cut.
template <typename Visit>
void ForEachBoardEntry(const char* list, size_t entry_capacity, Visit visit) {
    char entry[128];
    const size_t capacity = entry_capacity < sizeof entry ? entry_capacity : sizeof entry;
    size_t used = 0;
    for (const char* p = list; *p; ++p) {
        if (*p == '|') {
            entry[used] = 0;
            visit(static_cast<const char*>(entry));
            used = 0;
        } else if (used + 1 < capacity) {
            entry[used++] = *p;
        }
    }
}
