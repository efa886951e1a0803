#include "vboard/board_firmware.h"

namespace {

// Plain loops: the driver build has no C library to call.
void Fill(uint8_t* out, uint8_t value, size_t n) {
    for (size_t i = 0; i < n; ++i)
        out[i] = value;
}

void Copy(uint8_t* out, const uint8_t* in, size_t n) {
    for (size_t i = 0; i < n; ++i)
        out[i] = in[i];
}

bool Tagged(const uint8_t* report, size_t length) {
    const uint8_t* tag = report + kReportTagOffset;
    return length > kReportParameterOffset && tag[0] == 'Q' && tag[1] == 'v' && tag[2] == 'o' &&
           tag[3] == 'x';
}

} // namespace

void BoardPowerOn(BoardFirmware* board, const char* firmware) {
    Fill(reinterpret_cast<uint8_t*>(board), 0, sizeof *board);
    board->led_mask = 0x3F;
    board->ready = 1;
    BoardSetFirmwareText(board, firmware);
}

void BoardSetFirmwareText(BoardFirmware* board, const char* text) {
    int i = 0;
    for (; i < 4 && text[i] != 0; ++i)
        board->firmware[i] = text[i];
    for (; i < 5; ++i)
        board->firmware[i] = 0;
}

bool BoardReceive(BoardFirmware* board, const uint8_t* report, size_t length) {
    if (board->refuses_writes) return false;
    uint8_t* slot = board->report_log[board->reports_received % kBoardLogSize];
    Fill(slot, 0, kBoardReportSize);
    Copy(slot, report, length < kBoardReportSize ? length : kBoardReportSize);
    ++board->reports_received;
    if (!Tagged(report, length)) return true;
    const uint8_t command = report[kReportCommandOffset];
    if (command != kCommandStatusRequest)
        board->command_log[board->commands_received++ % kBoardLogSize] = command;
    if (command < kWriteRelayTypes) {
        board->relays[command / 2] = command & 1; // even: to NC, odd: to NO
    } else if (command == kCommandStatusRequest) {
        board->answer_pending = board->silent ? 0 : 1;
    } else if (command == kCommandSetLedMask) {
        board->led_mask = report[kReportParameterOffset];
    }
    return true;
}

int BoardAnswer(BoardFirmware* board, uint8_t* out, size_t capacity) {
    const int length = board->short_answers ? kBoardShortAnswerSize : kBoardReportSize;
    if (!board->answer_pending || capacity < static_cast<size_t>(length)) return -1;
    board->answer_pending = 0;
    uint8_t wire[kBoardReportSize];
    Fill(wire, 0, sizeof wire);
    uint8_t* block = wire + kStatusOffset;
    Copy(block, board->relays, 5);
    block[kBlockReady] = board->ready ? 1 : 0;
    block[kBlockLedMask] = board->led_mask;
    Copy(block + kBlockFirmware, reinterpret_cast<const uint8_t*>(board->firmware), kFirmwareChars);
    Copy(out, wire, length);
    return length;
}

const uint8_t* BoardLastReport(const BoardFirmware* board) {
    if (board->reports_received == 0) return nullptr;
    return board->report_log[(board->reports_received - 1) % kBoardLogSize];
}

int BoardCommandsSince(const BoardFirmware* board, uint32_t since, uint8_t* out, int capacity) {
    uint32_t first = since;
    if (board->commands_received - first > static_cast<uint32_t>(kBoardLogSize))
        first = board->commands_received - kBoardLogSize;
    int n = 0;
    for (uint32_t i = first; i < board->commands_received && n < capacity; ++i)
        out[n++] = board->command_log[i % kBoardLogSize];
    return n;
}
