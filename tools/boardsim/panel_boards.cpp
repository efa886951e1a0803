#include "tools/boardsim/panel_boards.h"

#include "tools/boardsim/sim_store.h"
#include "tools/vboard/vboard_control.h"

#include <cstring>

namespace {

bool g_virtual = false;
std::string g_inf;

PanelBoard FromSimulated(int slot, const SimBoard& b) {
    PanelBoard p;
    p.slot = slot;
    p.vendor_id = b.vendor_id;
    p.product_id = b.product_id;
    p.version_number = b.version_number;
    for (int i = 0; i < kSimStringChars && b.product[i]; ++i)
        p.product += static_cast<char>(b.product[i]);
    std::memcpy(p.firmware, b.firmware, 4);
    std::memcpy(p.relays, b.relays, 5);
    p.led_mask = b.led_mask;
    p.plugged = b.plugged;
    p.ready = b.ready;
    p.silent = b.silent;
    p.held = b.held;
    p.refuses_writes = b.refuses_writes;
    p.short_answers = b.short_answers;
    p.answer_delay_ms = b.answer_delay_ms;
    p.in_use = b.owner_pid != 0;
    return p;
}

PanelBoard FromVirtual(const VBoardInfo& b) {
    PanelBoard p;
    p.vendor_id = b.id.vendor_id;
    p.product_id = b.id.product_id;
    p.version_number = b.version_number;
    p.product = b.product;
    std::memcpy(p.firmware, b.control.firmware, 4);
    if (b.has_state) {
        std::memcpy(p.relays, b.state.firmware.relays, 5);
        p.led_mask = b.state.firmware.led_mask;
    }
    p.plugged = b.plugged;
    p.ready = b.control.ready;
    p.silent = b.control.silent;
    p.refuses_writes = b.control.refuses_writes;
    p.short_answers = b.control.short_answers;
    p.answer_delay_ms = b.control.answer_delay_ms;
    return p;
}

VBoardId IdOf(const PanelBoard& board) {
    return {board.vendor_id, board.product_id};
}

void ChangeVirtual(const PanelBoard& board, BoardAction action) {
    switch (action) {
    case BoardAction::Plug:
        board.plugged ? UnplugVirtualBoard(IdOf(board)) : PlugVirtualBoard(IdOf(board));
        return;
    case BoardAction::Remove:
        RemoveVirtualBoard(IdOf(board));
        return;
    default:
        break;
    }
    ChangeVirtualBoard(IdOf(board), [&board, action](VBoardControl& c) {
        switch (action) {
        case BoardAction::Ready:
            c.ready = !board.ready;
            break;
        case BoardAction::Silent:
            c.silent = !board.silent;
            break;
        case BoardAction::RefusesWrites:
            c.refuses_writes = !board.refuses_writes;
            break;
        case BoardAction::ShortAnswers:
            c.short_answers = !board.short_answers;
            break;
        case BoardAction::SlowAnswers:
            c.answer_delay_ms = board.answer_delay_ms ? 0 : kSlowAnswerMs;
            break;
        default:
            break;
        }
    });
}

void ChangeSimulated(const PanelBoard& board, BoardAction action) {
    const int slot = board.slot;
    switch (action) {
    case BoardAction::Plug:
        SimSetFlag(slot, SimFlag::Plugged, !board.plugged);
        break;
    case BoardAction::Ready:
        SimSetFlag(slot, SimFlag::Ready, !board.ready);
        break;
    case BoardAction::Silent:
        SimSetFlag(slot, SimFlag::Silent, !board.silent);
        break;
    case BoardAction::Held:
        SimSetFlag(slot, SimFlag::Held, !board.held);
        break;
    case BoardAction::RefusesWrites:
        SimSetFlag(slot, SimFlag::RefusesWrites, !board.refuses_writes);
        break;
    case BoardAction::ShortAnswers:
        SimSetFlag(slot, SimFlag::ShortAnswers, !board.short_answers);
        break;
    case BoardAction::SlowAnswers:
        SimSetAnswerDelay(slot, board.answer_delay_ms ? 0 : kSlowAnswerMs);
        break;
    case BoardAction::Remove:
        SimRemoveBoard(slot);
        break;
    case BoardAction::Count:
        break;
    }
}

} // namespace

bool PanelBoard::operator==(const PanelBoard& o) const {
    return slot == o.slot && vendor_id == o.vendor_id && product_id == o.product_id &&
           version_number == o.version_number && product == o.product &&
           !std::memcmp(firmware, o.firmware, sizeof firmware) &&
           !std::memcmp(relays, o.relays, sizeof relays) && led_mask == o.led_mask &&
           plugged == o.plugged && ready == o.ready && silent == o.silent && held == o.held &&
           refuses_writes == o.refuses_writes && short_answers == o.short_answers &&
           answer_delay_ms == o.answer_delay_ms && in_use == o.in_use;
}

void UseVirtualBoards(const std::string& inf) {
    g_virtual = true;
    g_inf = inf;
}

bool ShowsVirtualBoards() {
    return g_virtual;
}

bool OpenBoards() {
    return g_virtual || SimTableView() != nullptr;
}

std::vector<PanelBoard> SnapshotBoards() {
    std::vector<PanelBoard> boards;
    if (g_virtual) {
        for (const VBoardInfo& b : ListVirtualBoards())
            boards.push_back(FromVirtual(b));
        return boards;
    }
    SimBoard b;
    for (int i = 0; i < kSimMaxBoards; ++i)
        if (SimGetBoard(i, &b)) boards.push_back(FromSimulated(i, b));
    return boards;
}

bool CanAct(BoardAction action) {
    // Wine does not keep a device open exclusively, so a virtual board
    // cannot be held by another program.
    return !(g_virtual && action == BoardAction::Held);
}

void ActOnBoard(const PanelBoard& board, BoardAction action) {
    if (!CanAct(action)) return;
    g_virtual ? ChangeVirtual(board, action) : ChangeSimulated(board, action);
}

void SwitchBoardRelay(const PanelBoard& board, int relay) {
    const bool to_no = board.relays[relay] == 0;
    if (!g_virtual) {
        SimSetRelay(board.slot, relay + 1, to_no);
        return;
    }
    ChangeVirtualBoard(IdOf(board), [relay, to_no](VBoardControl& c) {
        c.set_relays_mask = static_cast<uint8_t>(1 << relay);
        c.set_relays_to_no = to_no ? c.set_relays_mask : 0;
    });
}

bool AddPanelBoard(uint16_t vendor_id, uint16_t product_id, const std::string& product,
                   uint16_t version_number, const std::string& firmware) {
    if (!g_virtual)
        return SimAddBoard(vendor_id, product_id, product.c_str(), "Qvoxline Circuits",
                           version_number, firmware.c_str()) >= 0;
    VBoardInfo board;
    board.id = {vendor_id, product_id};
    board.product = product;
    board.version_number = version_number;
    return AddVirtualBoard(board, firmware, g_inf);
}

void ResetPanelBoards() {
    g_virtual ? static_cast<void>(ResetVirtualBoards(g_inf)) : SimResetToDefault();
}
