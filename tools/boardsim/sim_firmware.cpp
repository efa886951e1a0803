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
    BoardPowerOn(board, firmware);
    board->in_use = 1;
    board->vendor_id = vendor_id;
    board->product_id = product_id;
    board->version_number = version_number;
    SimWidenText(product, board->product, kSimStringChars);
    SimWidenText(manufacturer, board->manufacturer, kSimStringChars);
    board->plugged = 1;
}
