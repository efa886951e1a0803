#include "common/text_helpers.h"

#include <cstdarg>

#ifdef _WIN32
#include <windows.h>
#else
#include <glob.h>
#endif

uint32_t TextLength(const char* text) {
    uint32_t n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

void CopyText(const char* source, char* destination) {
    size_t i = 0;
    do {
        destination[i] = source[i];
    } while (source[i++] != 0);
}

char* AppendText(char* destination, const char* source) {
    CopyText(source, destination + TextLength(destination));
    return destination;
}

char* AppendTexts(int count, char* destination, ...) {
    va_list args;
    va_start(args, destination);
    for (int i = 0; i < count; ++i)
        AppendText(destination, va_arg(args, const char*));
    va_end(args);
    return destination;
}

uint32_t CompareText(const char* a, const char* b) {
    uint32_t i = 0;
    for (;; ++i) {
        if (a[i] != b[i]) return 0;
        if (a[i] == 0) return i;
    }
}

uint32_t HexToNumber(const char* text) {
    const uint32_t n = TextLength(text);
    uint32_t value = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t b = static_cast<unsigned char>(text[i]);
        uint32_t d;
        if (b < 'A')
            d = b - 48;
        else if (b < 'W')
            d = b - 55;
        else
            d = b - 87;
        const uint32_t place = n - 1 - i;
        value += (d & 15u) << ((place * 4u) & 31u);
    }
    return value;
}

int FileExists(const char* name) {
#ifdef _WIN32
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(name, &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    FindClose(search);
    return 1;
#else
    glob_t matches;
    const int rc = glob(name, GLOB_NOSORT, nullptr, &matches);
    const int exists = (rc == 0 && matches.gl_pathc > 0) ? 1 : 0;
    globfree(&matches);
    return exists;
#endif
}

bool CopyTextBounded(const char* source, char* destination, size_t capacity) {
    if (capacity == 0) return source[0] == 0;
    size_t i = 0;
    for (; i + 1 < capacity && source[i] != 0; ++i)
        destination[i] = source[i];
    destination[i] = 0;
    return source[i] == 0;
}

bool AppendTextBounded(char* destination, size_t capacity, const char* source) {
    size_t used = 0;
    while (used < capacity && destination[used] != 0)
        ++used;
    if (used == capacity) return source[0] == 0;
    return CopyTextBounded(source, destination + used, capacity - used);
}

void CopyTextPart(const char* source, char* destination, uint32_t start, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i)
        destination[i] = source[start + i];
    destination[count] = 0;
}

void HexText8(uint32_t value, char* out) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (int i = 0; i < 8; ++i)
        out[i] = kDigits[(value >> (28 - 4 * i)) & 15u];
    out[8] = 0;
}

void BoardIdText(uint32_t id, char out[5]) {
    char digits[9];
    HexText8(id, digits);
    CopyTextPart(digits, out, 4, 4);
}
