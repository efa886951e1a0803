#include "common/board_entry.h"

#include "common/text_helpers.h"

void BoardEntryText(const char* board_id_text, char* out, size_t capacity) {
    CopyTextBounded(board_id_text, out, capacity);
    AppendTextBounded(out, capacity, " - USB  SWITCHDECK");
}

bool ParseBoardSelection(const char* box_text, char id_text[kBoardIdTextSize], uint32_t* id) {
    if (box_text[0] == 0) return false;
    CopyTextBounded(box_text, id_text, kBoardIdTextSize);
    *id = HexToNumber(id_text);
    return true;
}
