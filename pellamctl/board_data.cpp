#include "pellamctl/board_data.h"

#include "common/text_helpers.h"
#include "devlib/protocol.h"

std::vector<uint32_t> ParseBoardList(const char* list) {
    std::vector<uint32_t> ids;
    const char* entry = list;
    for (const char* p = list;; ++p) {
        if (*p != '|' && *p != 0) continue;
        bool hex = p - entry == 4;
        for (const char* c = entry; hex && c < p; ++c)
            hex = (*c >= '0' && *c <= '9') || (*c >= 'A' && *c <= 'F') || (*c >= 'a' && *c <= 'f');
        if (hex) {
            char digits[5] = {entry[0], entry[1], entry[2], entry[3], 0};
            ids.push_back(HexToNumber(digits));
        }
        if (*p == 0) break;
        entry = p + 1;
    }
    return ids;
}

BoardStatus ReadBoardStatus(const uint8_t block[12]) {
    BoardStatus s;
    for (int n = 0; n < 5; ++n)
        s.relay_at_no[n] = block[n] != 0;
    s.ready = block[kBlockReady] != 0;
    s.led_mask = block[kBlockLedMask];
    for (uint32_t i = 0; i < kFirmwareChars; ++i)
        s.firmware[i] = static_cast<char>(block[kBlockFirmware + i]);
    s.firmware[kFirmwareChars] = 0;
    return s;
}
