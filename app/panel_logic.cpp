#include "app/panel_logic.h"

#include "common/text_helpers.h"
#include "devlib/protocol.h"

#include <cstring>

uint32_t RelayClickCommand(int relay, bool at_nc) {
    return at_nc ? RelayToNoType(relay) : RelayToNcType(relay);
}

void ProgressText(int progress, char* out, size_t capacity) {
    CopyTextBounded(" MSG: Data Polling ", out, capacity);
    for (int i = 0; i <= progress && i < 20; ++i)
        AppendTextBounded(out, capacity, "*");
}

StatusView ReadStatusBlock(const uint8_t block[kStatusBlockSize]) {
    StatusView v{};
    v.ready = block[kBlockReady] != 0;
    for (int i = 0; i < kRelayCount; ++i)
        v.relay_at_nc[i] = block[i] == 0x00;
    v.led_mask = block[kBlockLedMask];
    std::memcpy(v.firmware, block + kBlockFirmware, kFirmwareChars);
    v.firmware[kFirmwareChars] = 0;
    return v;
}

namespace {

// The maker's line keeps its closing year at a fixed place.
const char kMakerLineTemplate[] = "   (c) 2004 - 2026 Qvoxline Circuits";
constexpr size_t kMakerYearOffset = 14;
static_assert(sizeof kMakerLineTemplate <= kMakerLineSize, "the maker's line fits its buffer");

const char* const kCreditLines[5] = {
    "   Pellam Board Windows Client",
    nullptr, // the maker's line, with the current year
    "   Visit us on the web at:  www.qvoxline-circuits.example",
    "   Email us at:  sales@qvoxline-circuits.example",
    "   Remote control made easy!",
};

} // namespace

const char kAuthorCredit[] = "   Pellam Board client by the Qvoxline software team";

const char* CreditLine(int counter, const char* maker_line) {
    if (counter == 2) return maker_line;
    return (counter >= 1 && counter <= 5) ? kCreditLines[counter - 1] : "";
}

int NextCreditCounter(int counter) {
    return counter >= 5 ? 1 : counter + 1;
}

void MakerLine(const char year[4], char out[kMakerLineSize]) {
    std::memcpy(out, kMakerLineTemplate, sizeof kMakerLineTemplate);
    std::memcpy(out + kMakerYearOffset, year, 4);
}
