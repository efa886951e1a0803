// A small JSON reader for the tests: what pellamctl prints, parsed back.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct JsonValue {
    enum Type { kNull, kBool, kNumber, kString, kArray, kObject } type = kNull;
    bool boolean = false;
    double number = 0;
    std::string text; // strings, \u escapes as UTF-8
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;

    // A member (a null value when missing) and an element.
    const JsonValue& operator[](const char* key) const;
    const JsonValue& operator[](int index) const { return items.at(static_cast<size_t>(index)); }
    std::vector<std::string> Keys() const;
};

// One value, with nothing but blanks around it; false when the text is not JSON.
bool ParseJson(const std::string& text, JsonValue* value);
