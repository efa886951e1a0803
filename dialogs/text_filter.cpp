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

FilteredEdit FilterEdit(const std::string& before, const std::string& after, bool multiline) {
    size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    // A line break (CR LF) is never split between the kept ends and the
    // insertion, where a lone half would be refused.
    if (multiline && prefix > 0 && prefix < after.size() && after[prefix - 1] == '\r' &&
        after[prefix] == '\n')
        --prefix;
    const size_t tail = after.size() - suffix;
    if (multiline && suffix > 0 && tail > prefix && after[tail] == '\n' && after[tail - 1] == '\r')
        --suffix;
    const std::string inserted = after.substr(prefix, after.size() - prefix - suffix);
    std::string filtered(inserted.size() + 1, '\0');
    const size_t dropped =
        FilterPastedText(inserted.c_str(), &filtered[0], filtered.size(), multiline);
    filtered.resize(std::char_traits<char>::length(filtered.c_str()));
    FilteredEdit result;
    result.text = after.substr(0, prefix) + filtered + after.substr(after.size() - suffix);
    result.caret = prefix + filtered.size();
    result.dropped = dropped;
    return result;
}
