#include "app/panel_logic.h"

#include "common/text_helpers.h"

#include <cstring>

void BoardEntryText(const char* board_id_text, char* out, size_t capacity) {
    CopyTextBounded(board_id_text, out, capacity);
    AppendTextBounded(out, capacity, " - USB  SWITCHDECK");
}

bool ParseBoardSelection(const char* box_text, char id_text[5], uint32_t* id) {
    if (box_text[0] == 0) return false;
    CopyTextBounded(box_text, id_text, 5);
    *id = HexToNumber(id_text);
    return true;
}

uint32_t RelayClickCommand(int relay, bool at_nc) {
    return static_cast<uint32_t>(2 * (relay - 1) + (at_nc ? 1 : 0));
}

void ProgressText(int progress, char* out, size_t capacity) {
    CopyTextBounded(" MSG: Data Polling ", out, capacity);
    for (int i = 0; i <= progress && i < 20; ++i)
        AppendTextBounded(out, capacity, "*");
}

StatusView ReadStatusBlock(const uint8_t block[12]) {
    StatusView v{};
    v.ready = block[5] != 0;
    for (int i = 0; i < kRelayCount; ++i)
        v.relay_at_nc[i] = block[i] == 0x00;
    v.led_mask = block[6];
    std::memcpy(v.firmware, block + 7, 4);
    v.firmware[4] = 0;
    return v;
}

namespace {

// The maker's line keeps its closing year at a fixed place.
char g_maker_line[] = "   (c) 2004 - 2026 Qvoxline Circuits";
constexpr size_t kMakerYearOffset = 14;

const char* const kCreditLines[5] = {
    "   Pellam Board Windows Client",
    g_maker_line,
    "   Visit us on the web at:  www.qvoxline-circuits.example",
    "   Email us at:  sales@qvoxline-circuits.example",
    "   Remote control made easy!",
};

} // namespace

const char kAuthorCredit[] = "   Pellam Board client by the Qvoxline software team";

const char* CreditLine(int counter) {
    return (counter >= 1 && counter <= 5) ? kCreditLines[counter - 1] : "";
}

int NextCreditCounter(int counter) {
    return counter >= 5 ? 1 : counter + 1;
}

void WriteStatusCreditYear(const char year[4]) {
    std::memcpy(g_maker_line + kMakerYearOffset, year, 4);
}
