#include "dialogs/text_filter.h"

#include <cstring>

bool IsAcceptedCharacter(unsigned char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    return c != 0 && std::strchr(" !&()-.?\r\b", c) != nullptr;
}

size_t FilterPastedText(const char* text, char* out, size_t capacity, bool multiline) {
    size_t used = 0, dropped = 0;
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (multiline && c == '\r' && p[1] == '\n') {
            if (used + 2 < capacity) {
                out[used++] = '\r';
                out[used++] = '\n';
            }
            ++p;
        } else if (IsAcceptedCharacter(c) && c != '\r' && c != '\b') {
            if (used + 1 < capacity) out[used++] = static_cast<char>(c);
        } else {
            ++dropped;
        }
    }
    if (capacity > 0) out[used] = 0;
    return dropped;
}
