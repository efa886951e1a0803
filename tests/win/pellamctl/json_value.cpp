#include "tests/win/pellamctl/json_value.h"

#include <cstdlib>
#include <cstring>

namespace {

class Reader {
  public:
    explicit Reader(const std::string& text) : p_(text.c_str()), end_(p_ + text.size()) {}

    bool Value(JsonValue* v) {
        Blanks();
        if (p_ == end_) return false;
        switch (*p_) {
        case '{':
            return Object(v);
        case '[':
            return Array(v);
        case '"':
            v->type = JsonValue::kString;
            return String(&v->text);
        case 't':
            v->type = JsonValue::kBool;
            v->boolean = true;
            return Word("true");
        case 'f':
            v->type = JsonValue::kBool;
            return Word("false");
        case 'n':
            return Word("null");
        default:
            return Number(v);
        }
    }
    bool AtEnd() {
        Blanks();
        return p_ == end_;
    }

  private:
    void Blanks() {
        while (p_ < end_ && std::strchr(" \t\r\n", *p_))
            ++p_;
    }
    bool Take(char c) {
        Blanks();
        if (p_ == end_ || *p_ != c) return false;
        ++p_;
        return true;
    }
    bool Word(const char* word) {
        const size_t n = std::strlen(word);
        if (static_cast<size_t>(end_ - p_) < n || std::strncmp(p_, word, n) != 0) return false;
        p_ += n;
        return true;
    }
    bool Number(JsonValue* v) {
        char* after = nullptr;
        v->type = JsonValue::kNumber;
        v->number = std::strtod(p_, &after);
        if (after == p_) return false;
        p_ = after;
        return true;
    }
    void Utf8(unsigned code, std::string* out) {
        if (code < 0x80) {
            *out += static_cast<char>(code);
        } else if (code < 0x800) {
            *out += static_cast<char>(0xC0 | code >> 6);
            *out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            *out += static_cast<char>(0xE0 | code >> 12);
            *out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            *out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    bool String(std::string* out) {
        if (!Take('"')) return false;
        while (p_ < end_ && *p_ != '"') {
            if (static_cast<unsigned char>(*p_) < 0x20) return false;
            if (*p_ != '\\') {
                *out += *p_++;
                continue;
            }
            if (++p_ == end_) return false;
            const char* simple = std::strchr("\"\\/bfnrt", *p_);
            if (simple && *p_) {
                *out += "\"\\/\b\f\n\r\t"[simple - "\"\\/bfnrt"];
                ++p_;
            } else if (*p_ == 'u' && end_ - p_ >= 5) {
                Utf8(static_cast<unsigned>(
                         std::strtoul(std::string(p_ + 1, 4).c_str(), nullptr, 16)),
                     out);
                p_ += 5;
            } else {
                return false;
            }
        }
        return Take('"');
    }
    bool Array(JsonValue* v) {
        v->type = JsonValue::kArray;
        Take('[');
        if (Take(']')) return true;
        do {
            v->items.emplace_back();
            if (!Value(&v->items.back())) return false;
        } while (Take(','));
        return Take(']');
    }
    bool Object(JsonValue* v) {
        v->type = JsonValue::kObject;
        Take('{');
        if (Take('}')) return true;
        do {
            std::string key;
            Blanks();
            if (!String(&key) || !Take(':')) return false;
            v->members.emplace_back(key, JsonValue{});
            if (!Value(&v->members.back().second)) return false;
        } while (Take(','));
        return Take('}');
    }

    const char* p_;
    const char* end_;
};

} // namespace

const JsonValue& JsonValue::operator[](const char* key) const {
    static const JsonValue kMissing;
    for (const auto& m : members)
        if (m.first == key) return m.second;
    return kMissing;
}

std::vector<std::string> JsonValue::Keys() const {
    std::vector<std::string> keys;
    for (const auto& m : members)
        keys.push_back(m.first);
    return keys;
}

bool ParseJson(const std::string& text, JsonValue* value) {
    Reader reader(text);
    *value = JsonValue{};
    return reader.Value(value) && reader.AtEnd();
}
