// libFuzzer target for the board list text that Add Device parses: any text
// is split into entries as the dialog does (each entry cut to its buffer),
// every entry turned into a board id and into its list text. The results
// are checked against a plain split of the same text.
#include "common/board_entry.h"
#include "common/text_helpers.h"
#include "dialogs/board_list.h"
#include "tests/fuzz/fuzz_input.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr size_t kEntryText = 160; // Add Device's list entry buffer

void CheckEntry(const char* entry, const std::string& expected) {
    Expect(expected == entry);
    uint32_t id = HexToNumber(entry);
    // Four hexadecimal digits, as the library writes them, read back exactly.
    if (expected.size() == 4 && std::strspn(entry, "0123456789ABCDEF") == 4)
        Expect(id == std::strtoul(entry, nullptr, 16));
    std::unique_ptr<char[]> text(new char[kEntryText]);
    BoardEntryText(entry, text.get(), kEntryText);
    std::string full = expected + " - USB  SWITCHDECK";
    Expect(full.substr(0, kEntryText - 1) == text.get());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    uint8_t how = in.Byte();
    size_t capacity = (how & 1) ? 128 : in.Byte(); // Add Device passes 128
    std::vector<uint8_t> bytes = in.Rest();
    // The text, terminated, in a block of exactly its size.
    std::unique_ptr<char[]> list(new char[bytes.size() + 1]);
    if (!bytes.empty()) std::memcpy(list.get(), bytes.data(), bytes.size());
    list[bytes.size()] = 0;

    // The entries a plain split gives: the text before each "|", cut.
    size_t keep = capacity < 128 ? capacity : 128;
    keep = keep ? keep - 1 : 0;
    std::vector<std::string> expected;
    std::string entry;
    for (const char* p = list.get(); *p; ++p) {
        if (*p == '|') {
            expected.push_back(entry);
            entry.clear();
        } else if (entry.size() < keep) {
            entry.push_back(*p);
        }
    }
    size_t seen = 0;
    ForEachBoardEntry(list.get(), capacity, [&](const char* e) {
        Expect(seen < expected.size());
        CheckEntry(e, expected[seen++]);
    });
    Expect(seen == expected.size());
    return 0;
}
