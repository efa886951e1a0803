// pellamctl's command line as plain data: which command, its arguments
// checked and converted, and the options --json and --db.
#pragma once

#include "common/board_entry.h"

#include <cstdint>
#include <string>

enum class CtlCommand { kHelp, kVersion, kList, kStatus, kSet, kLeds, kScripts, kRun, kPulse };
enum class RelayAction { kToNc, kToNo, kToggle };

constexpr uint32_t kLongestPulseMs = 36000000; // ten hours, the longest script delay

struct CtlRequest {
    CtlCommand command = CtlCommand::kHelp;
    bool json = false;
    std::string db_path;                       // empty: the installation's database
    uint32_t board_id = 0;                     // 0x8000..0xFFFF
    char board_id_text[kBoardIdTextSize] = ""; // four upper-case digits
    std::string relay;                         // "1".."5" or a relay name, as given
    RelayAction action = RelayAction::kToggle;
    uint8_t led_mask = 0;
    std::string script; // a script's name or ID, as given
    uint32_t pulse_ms = 0;
};

struct ParsedCommandLine {
    bool ok = false;
    CtlRequest request;
    std::string error; // one line, when not ok
};

// Options may stand anywhere; "--" ends them. --help and --version win over
// everything else.
ParsedCommandLine ParseCommandLine(int argc, const char* const* argv);

extern const char kUsageText[];
