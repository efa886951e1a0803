#include "tools/boardsim/sim_firmware.h"

#include <cstring>

void SimWidenText(const char* text, uint16_t* out, int capacity) {
    int i = 0;
    for (; i + 1 < capacity && text[i] != 0; ++i)
        out[i] = static_cast<unsigned char>(text[i]);
    out[i] = 0;
}

void SimFirmwareInit(SimBoard* board, uint16_t vendor_id, uint16_t product_id, const char* product,
                     const char* manufacturer, uint16_t version_number, const char* firmware) {
    std::memset(board, 0, sizeof *board);
    board->in_use = 1;
    board->vendor_id = vendor_id;
    board->product_id = product_id;
    board->version_number = version_number;
    SimWidenText(product, board->product, kSimStringChars);
    SimWidenText(manufacturer, board->manufacturer, kSimStringChars);
    std::strncpy(board->firmware, firmware, 4);
    board->led_mask = 0x3F;
    board->plugged = 1;
    board->ready = 1;
}

void SimFirmwareReceive(SimBoard* board, const uint8_t* report, size_t length) {
    uint8_t* slot = board->report_log[board->reports_received % kSimReportLog];
    std::memset(slot, 0, kSimReportSize);
    std::memcpy(slot, report, length < kSimReportSize ? length : kSimReportSize);
    ++board->reports_received;
    if (length < 7 || std::memcmp(report + 1, "Qvox", 4) != 0) return;
    const uint8_t command = report[5];
    if (command != 0x0A) board->command_log[board->commands_received++ % kSimReportLog] = command;
    if (command <= 9) {
        board->relays[command / 2] = command & 1; // even: to NC, odd: to NO
    } else if (command == 0x0A) {
        board->answer_pending = 1;
    } else if (command == 0x0B) {
        board->led_mask = report[6];
    }
}

int SimFirmwareAnswer(SimBoard* board, uint8_t* out, size_t capacity) {
    if (!board->answer_pending || board->silent || capacity < kSimReportSize) return -1;
    board->answer_pending = 0;
    std::memset(out, 0, kSimReportSize);
    for (int i = 0; i < 5; ++i)
        out[2 + i] = board->relays[i];
    out[7] = board->ready ? 1 : 0;
    out[8] = board->led_mask;
    std::memcpy(out + 9, board->firmware, 4);
    return kSimReportSize;
}

const uint8_t* SimLastReport(const SimBoard* board) {
    if (board->reports_received == 0) return nullptr;
    return board->report_log[(board->reports_received - 1) % kSimReportLog];
}

int SimCommandsSince(const SimBoard* board, uint32_t since, uint8_t* out, int capacity) {
    uint32_t first = since;
    if (board->commands_received - first > static_cast<uint32_t>(kSimReportLog))
        first = board->commands_received - kSimReportLog;
    int n = 0;
    for (uint32_t i = first; i < board->commands_received && n < capacity; ++i)
        out[n++] = board->command_log[i % kSimReportLog];
    return n;
}
