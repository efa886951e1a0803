#include "pellamctl/json_text.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstring>

std::u16string DecodeAnsiText(const char* text) {
    const int length = static_cast<int>(std::strlen(text));
    if (length == 0) return std::u16string();
#ifdef _WIN32
    std::u16string wide(static_cast<size_t>(length), u'\0');
    const int n =
        MultiByteToWideChar(CP_ACP, 0, text, length, reinterpret_cast<wchar_t*>(&wide[0]), length);
    if (n > 0) {
        wide.resize(static_cast<size_t>(n));
        return wide;
    }
#endif
    // Without a code page to ask: each byte is its Latin-1 character.
    std::u16string latin;
    for (int i = 0; i < length; ++i)
        latin.push_back(static_cast<char16_t>(static_cast<unsigned char>(text[i])));
    return latin;
}

std::string JsonString(const std::u16string& text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (char16_t c : text) {
        switch (c) {
        case u'"':
            out += "\\\"";
            break;
        case u'\\':
            out += "\\\\";
            break;
        case u'\n':
            out += "\\n";
            break;
        case u'\r':
            out += "\\r";
            break;
        case u'\t':
            out += "\\t";
            break;
        default:
            if (c >= 0x20 && c < 0x7F) {
                out += static_cast<char>(c);
            } else {
                out += "\\u";
                for (int shift = 12; shift >= 0; shift -= 4)
                    out += kHex[(c >> shift) & 0xF];
            }
        }
    }
    return out + "\"";
}

void JsonWriter::Separate() {
    if (need_comma_) text_ += ',';
    need_comma_ = true;
}

JsonWriter& JsonWriter::Open(char bracket) {
    Separate();
    text_ += bracket;
    need_comma_ = false;
    return *this;
}

JsonWriter& JsonWriter::Close(char bracket) {
    text_ += bracket;
    need_comma_ = true;
    return *this;
}

JsonWriter& JsonWriter::Key(const char* name) {
    Separate();
    text_ += JsonString(name) + ':';
    need_comma_ = false;
    return *this;
}

JsonWriter& JsonWriter::String(const char* text) {
    Separate();
    text_ += JsonString(text);
    return *this;
}

JsonWriter& JsonWriter::Number(uint64_t value) {
    Separate();
    text_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    Separate();
    text_ += value ? "true" : "false";
    return *this;
}
