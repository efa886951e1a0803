// JSON output as plain text: quoted strings and a writer for one object or
// array at a time. Every string is written in ASCII: control characters and
// everything beyond ASCII as \u escapes, so the output reads the same
// whatever code page the console or the reading program assumes.
#pragma once

#include <cstdint>
#include <string>

// The program's 8-bit texts (the ANSI code page, as Windows gives them to
// the program and the database stores them) as UTF-16.
std::u16string DecodeAnsiText(const char* text);

// `text` as a JSON string, quotes included.
std::string JsonString(const std::u16string& text);
inline std::string JsonString(const char* text) {
    return JsonString(DecodeAnsiText(text));
}

// Builds one JSON value: members and elements are separated by commas as
// they are added.
class JsonWriter {
  public:
    JsonWriter& BeginObject() { return Open('{'); }
    JsonWriter& EndObject() { return Close('}'); }
    JsonWriter& BeginArray() { return Open('['); }
    JsonWriter& EndArray() { return Close(']'); }
    // The name of the next member of an object.
    JsonWriter& Key(const char* name);
    JsonWriter& String(const char* text);
    JsonWriter& Number(uint64_t value);
    JsonWriter& Bool(bool value);
    const std::string& text() const { return text_; }

  private:
    JsonWriter& Open(char bracket);
    JsonWriter& Close(char bracket);
    void Separate();

    std::string text_;
    bool need_comma_ = false;
};
