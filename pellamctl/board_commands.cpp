#include "pellamctl/board_commands.h"

#include "common/text_helpers.h"
#include "db/board_store.h"
#include "devlib/pellam_dll.h"
#include "devlib/protocol.h"
#include "pellamctl/board_checks.h"
#include "pellamctl/ctl_clock.h"
#include "pellamctl/ctl_console.h"
#include "pellamctl/ctl_database.h"
#include "pellamctl/ctl_output.h"
#include "pellamctl/exit_codes.h"
#include "pellamctl/name_match.h"

namespace {

// The string getters write at most 127 bytes and a terminator.
constexpr size_t kIdentitySize = 256;

const char* PositionName(bool at_no) {
    return at_no ? "NO" : "NC";
}

std::string RelayCommandText(int relay, bool to_no) {
    return "relay " + std::to_string(relay) + " to " + PositionName(to_no);
}

bool SwitchRelay(const CtlRequest& request, int relay, bool to_no, std::string* error) {
    if (WritePellam(request.board_id, to_no ? RelayToNoType(relay) : RelayToNcType(relay), 0))
        return true;
    *error = BoardFailure(request, "did not take the command " + RelayCommandText(relay, to_no));
    return false;
}

// Relay 1..5 from a number or a relay name of the board's row in table
// Main; 0 after reporting why not (*exit_code says how to end).
int ResolveRelay(const CtlRequest& request, int* exit_code) {
    std::string error;
    BoardRecord record{};
    if (RelayNumber(request.relay) == 0) {
        CtlDatabase database;
        if (!database.Open(request.db_path, &error)) {
            *exit_code = Fail(kExitDatabase, error);
            return 0;
        }
        const DbResult loaded = LoadBoardRow(request.board_id_text, &record);
        if (!loaded.ok) {
            *exit_code = Fail(kExitDatabase, DatabaseFailure(loaded));
            return 0;
        }
        if (record.header[2][0] == 0) {
            *exit_code = Fail(kExitUsage, std::string("board ") + request.board_id_text +
                                              " is not registered, so its relays have no names: "
                                              "give the relay's number");
            return 0;
        }
    }
    const int relay = FindRelay(record.relays, request.relay, request.board_id_text, &error);
    if (relay == 0) *exit_code = Fail(kExitUsage, error);
    return relay;
}

// The position a relay is in now, from a ready board.
bool ReadRelayPosition(const CtlRequest& request, int relay, bool* at_no, std::string* error) {
    BoardStatus status;
    if (!ReadStatus(request, &status, error)) return false;
    if (!status.ready) {
        *error = std::string("board ") + request.board_id_text +
                 " is not ready, so its relays' positions are not known";
        return false;
    }
    *at_no = status.relay_at_no[relay - 1];
    return true;
}

} // namespace

int ListCommand(const CtlRequest& request) {
    char list[kBoardListSize] = "";
    FindPellamBoards(list); // 0 with an empty list when there is no board
    std::vector<BoardListing> boards;
    for (uint32_t id : ParseBoardList(list)) {
        BoardListing b;
        BoardIdText(id, b.id);
        char text[kIdentitySize] = "";
        GetProductString(id, text);
        b.product = text;
        text[0] = 0;
        GetManufacturerString(id, text);
        b.manufacturer = text;
        text[0] = 0;
        GetVersionString(id, text);
        b.version = text;
        boards.push_back(b);
    }
    PrintData(FormatBoards(boards, request.json));
    return kExitSuccess;
}

int StatusCommand(const CtlRequest& request) {
    BoardStatus status;
    std::string error;
    if (!ReadStatus(request, &status, &error)) return Fail(kExitBoard, error);
    PrintData(FormatStatus(request.board_id_text, status, request.json));
    return kExitSuccess;
}

int SetCommand(const CtlRequest& request) {
    int exit_code = kExitSuccess;
    const int relay = ResolveRelay(request, &exit_code);
    if (relay == 0) return exit_code;
    std::string error;
    bool to_no = request.action == RelayAction::kToNo;
    if (request.action == RelayAction::kToggle) {
        bool at_no = false;
        if (!ReadRelayPosition(request, relay, &at_no, &error)) return Fail(kExitBoard, error);
        to_no = !at_no;
    }
    if (!SwitchRelay(request, relay, to_no, &error)) return Fail(kExitBoard, error);
    return kExitSuccess;
}

int LedsCommand(const CtlRequest& request) {
    if (WritePellam(request.board_id, kWriteLedMask, request.led_mask)) return kExitSuccess;
    return Fail(kExitBoard, BoardFailure(request, "did not take the LED mask"));
}

// The relay to its other position and, a full `pulse_ms` after that
// command went out, back. Ctrl+C ends the wait early: the relay still goes
// back, so a pulse never leaves it switched.
int PulseCommand(const CtlRequest& request) {
    int exit_code = kExitSuccess;
    const int relay = ResolveRelay(request, &exit_code);
    if (relay == 0) return exit_code;
    std::string error;
    bool at_no = false;
    if (!ReadRelayPosition(request, relay, &at_no, &error)) return Fail(kExitBoard, error);
    CatchStopRequests();
    if (!SwitchRelay(request, relay, !at_no, &error)) return Fail(kExitBoard, error);
    const bool stopped = WaitUntilOrStop(ClockUs() + uint64_t{request.pulse_ms} * 1000);
    if (!SwitchRelay(request, relay, at_no, &error))
        return Fail(kExitBoard, error + ", so it stays " + PositionName(!at_no));
    if (stopped)
        return Fail(kExitStopped, "pulse stopped by Ctrl+C; relay " + std::to_string(relay) +
                                      " is back at " + PositionName(at_no));
    return kExitSuccess;
}
