#include "pellamctl/name_match.h"

#include <cstdlib>
#include <cstring>

namespace {

bool SameIgnoringCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        const char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a | 0x20) : *a;
        const char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b | 0x20) : *b;
        if (x != y) return false;
    }
    return *a == *b;
}

NameMatch MatchOf(std::vector<int> indices) {
    NameMatch m;
    if (indices.size() == 1) {
        m.kind = NameMatch::kOne;
        m.index = indices[0];
    } else if (!indices.empty()) {
        m.kind = NameMatch::kSeveral;
    }
    m.indices = std::move(indices);
    return m;
}

bool AllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (size_t i = 0; i < items.size(); ++i)
        out += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    return out;
}

} // namespace

NameMatch MatchName(const std::vector<const char*>& names, const std::string& wanted) {
    if (wanted.empty()) return NameMatch{};
    std::vector<int> exact, loose;
    for (size_t i = 0; i < names.size(); ++i) {
        if (std::strcmp(names[i], wanted.c_str()) == 0) exact.push_back(static_cast<int>(i));
        if (SameIgnoringCase(names[i], wanted.c_str())) loose.push_back(static_cast<int>(i));
    }
    return MatchOf(exact.empty() ? loose : exact);
}

int RelayNumber(const std::string& relay) {
    const bool signed_number = !relay.empty() && (relay[0] == '-' || relay[0] == '+');
    const std::string digits = signed_number ? relay.substr(1) : relay;
    if (!AllDigits(digits)) return 0;
    const size_t first = digits.find_first_not_of('0');
    if (relay[0] == '-' || first == std::string::npos || digits.size() - first > 1) return -1;
    const int number = digits[first] - '0';
    return number <= 5 ? number : -1;
}

int FindRelay(const RelaySettings relays[5], const std::string& relay, const char* board_id_text,
              std::string* error) {
    const int number = RelayNumber(relay);
    if (number > 0) return number;
    if (number < 0) {
        *error = "relay " + relay + " is out of range: relays are numbered 1 to 5";
        return 0;
    }
    std::vector<const char*> names;
    std::vector<std::string> named;
    for (int n = 0; n < 5; ++n) {
        names.push_back(relays[n].name);
        if (relays[n].name[0])
            named.push_back(std::to_string(n + 1) + " \"" + relays[n].name + "\"");
    }
    const NameMatch m = MatchName(names, relay);
    if (m.kind == NameMatch::kOne) return m.index + 1;
    if (m.kind == NameMatch::kSeveral) {
        std::vector<std::string> numbers;
        for (int i : m.indices)
            numbers.push_back(std::to_string(i + 1));
        *error = "relay name \"" + relay + "\" is ambiguous on board " + board_id_text +
                 ": relays " + Joined(numbers) + "; give the relay's number";
    } else {
        *error = "no relay of board " + std::string(board_id_text) + " is named \"" + relay +
                 "\" (" + (named.empty() ? "its relays have no names" : "relays " + Joined(named)) +
                 ")";
    }
    return 0;
}

int FindScript(const std::vector<ScriptRow>& scripts, const std::string& wanted,
               const char* board_id_text, std::string* error) {
    if (AllDigits(wanted)) {
        const unsigned long id = std::strtoul(wanted.c_str(), nullptr, 10);
        for (size_t i = 0; i < scripts.size(); ++i)
            if (AllDigits(scripts[i].id) && std::strtoul(scripts[i].id, nullptr, 10) == id)
                return static_cast<int>(i);
    }
    std::vector<const char*> names;
    for (const ScriptRow& s : scripts)
        names.push_back(s.name);
    const NameMatch m = MatchName(names, wanted);
    if (m.kind == NameMatch::kOne) return m.index;
    if (m.kind == NameMatch::kSeveral) {
        std::vector<std::string> ids;
        for (int i : m.indices)
            ids.push_back(scripts[i].id);
        *error = "script name \"" + wanted + "\" is ambiguous on board " + board_id_text +
                 ": IDs " + Joined(ids) + "; run it by its ID";
    } else {
        *error = "board " + std::string(board_id_text) + " has no script with the name or ID \"" +
                 wanted + "\" (pellamctl scripts " + board_id_text + " lists them)";
    }
    return -1;
}
