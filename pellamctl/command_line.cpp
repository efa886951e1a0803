#include "pellamctl/command_line.h"

#include "common/text_helpers.h"

#include <cstring>
#include <vector>

const char kUsageText[] =
    "usage: pellamctl [--json] [--db PATH] COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  list                          the attached boards: id, product, manufacturer, version\n"
    "  status ID                     relays (NC/NO), ready flag, LED mask, firmware\n"
    "  set ID RELAY nc|no|toggle     switches a relay\n"
    "  leds ID MASK                  sets the LED mask: 0-63 or 0x00-0x3F, bit 5 the heartbeat\n"
    "  pulse ID RELAY MILLISECONDS   switches a relay, waits, switches it back\n"
    "  scripts ID                    the board's stored relay scripts\n"
    "  run ID NAME|SCRIPT-ID         runs a stored script; Ctrl+C stops it between commands\n"
    "\n"
    "ID is the board's id, four hexadecimal digits (8001). RELAY is 1-5 or a relay's name.\n"
    "\n"
    "Options:\n"
    "  --json      data as JSON (list, status, scripts; run writes one object a line)\n"
    "  --db PATH   the database file (default: Pellam.MDB of the installation)\n"
    "  --help      this text\n"
    "  --version   the version\n"
    "\n"
    "Exit status: 0 done, 2 usage error, 3 board not found or not answering,\n"
    "4 database error, 130 run or pulse stopped by Ctrl+C.\n";

namespace {

struct CommandShape {
    const char* name;
    CtlCommand command;
    int arguments;
    const char* usage; // the arguments, for the error line
};

const CommandShape kCommands[] = {
    {"list", CtlCommand::kList, 0, "list"},
    {"status", CtlCommand::kStatus, 1, "status ID"},
    {"set", CtlCommand::kSet, 3, "set ID RELAY nc|no|toggle"},
    {"leds", CtlCommand::kLeds, 2, "leds ID MASK"},
    {"scripts", CtlCommand::kScripts, 1, "scripts ID"},
    {"run", CtlCommand::kRun, 2, "run ID NAME|SCRIPT-ID"},
    {"pulse", CtlCommand::kPulse, 3, "pulse ID RELAY MILLISECONDS"},
};

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool AllDigits(const char* text) {
    if (*text == 0) return false;
    for (; *text; ++text)
        if (*text < '0' || *text > '9') return false;
    return true;
}

// A decimal number, or a hexadecimal one after "0x"; false when the text is
// neither or the value exceeds `limit`.
bool ParseNumber(const char* text, uint32_t limit, uint32_t* value) {
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = hex ? text + 2 : text;
    if (*digits == 0) return false;
    uint64_t v = 0;
    for (const char* p = digits; *p; ++p) {
        if (hex ? !IsHexDigit(*p) : (*p < '0' || *p > '9')) return false;
        v = v * (hex ? 16 : 10) + (*p <= '9' ? *p - '0' : (*p | 0x20) - 'a' + 10);
        if (v > limit) return false;
    }
    *value = static_cast<uint32_t>(v);
    return true;
}

// A board id: up to four hexadecimal digits (an "0x" before them is
// allowed), 8000 to FFFF.
bool ParseBoardId(const char* text, CtlRequest* request) {
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text += 2;
    const size_t n = std::strlen(text);
    if (n == 0 || n > 4) return false;
    for (size_t i = 0; i < n; ++i)
        if (!IsHexDigit(text[i])) return false;
    const uint32_t id = HexToNumber(text);
    if (id < 0x8000) return false;
    request->board_id = id;
    BoardIdText(id, request->board_id_text);
    return true;
}

bool ParseAction(const char* text, RelayAction* action) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c | 0x20);
    if (lower == "nc")
        *action = RelayAction::kToNc;
    else if (lower == "no")
        *action = RelayAction::kToNo;
    else if (lower == "toggle")
        *action = RelayAction::kToggle;
    else
        return false;
    return true;
}

ParsedCommandLine Fail(const std::string& error) {
    ParsedCommandLine result;
    result.error = error;
    return result;
}

// The command's own arguments, checked and converted.
ParsedCommandLine ParseArguments(const CommandShape& shape, const std::vector<const char*>& args,
                                 CtlRequest request) {
    const std::string shown = std::string(" (usage: pellamctl ") + shape.usage + ")";
    if (static_cast<int>(args.size()) != shape.arguments)
        return Fail(std::string(shape.name) + " takes " + std::to_string(shape.arguments) +
                    (shape.arguments == 1 ? " argument" : " arguments") + shown);
    if (shape.arguments > 0 && !ParseBoardId(args[0], &request))
        return Fail(std::string("\"") + args[0] +
                    "\" is not a board id: four hexadecimal digits from 8000 to FFFF");
    switch (shape.command) {
    case CtlCommand::kSet:
    case CtlCommand::kPulse:
        request.relay = args[1];
        if (request.relay.empty()) return Fail("the relay is empty: give 1-5 or a name" + shown);
        if (shape.command == CtlCommand::kSet && !ParseAction(args[2], &request.action))
            return Fail(std::string("\"") + args[2] + "\" is not nc, no or toggle" + shown);
        if (shape.command == CtlCommand::kPulse &&
            (!AllDigits(args[2]) || !ParseNumber(args[2], kLongestPulseMs, &request.pulse_ms) ||
             request.pulse_ms == 0))
            return Fail(std::string("\"") + args[2] +
                        "\" is not a number of milliseconds from 1 to 36000000");
        break;
    case CtlCommand::kLeds: {
        uint32_t mask = 0;
        if (!ParseNumber(args[1], 0x3F, &mask))
            return Fail(std::string("\"") + args[1] +
                        "\" is not an LED mask: 0 to 63, or 0x00 to 0x3F");
        request.led_mask = static_cast<uint8_t>(mask);
        break;
    }
    case CtlCommand::kRun:
        request.script = args[1];
        if (request.script.empty()) return Fail("the script is empty: give its name or ID" + shown);
        break;
    default:
        break;
    }
    ParsedCommandLine result;
    result.ok = true;
    result.request = request;
    return result;
}

} // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv) {
    CtlRequest request;
    bool help = false, version = false, options_end = false;
    std::vector<const char*> words;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (options_end || a[0] != '-' || a[1] == 0) {
            if (!options_end && std::strcmp(a, "/?") == 0)
                help = true;
            else
                words.push_back(a);
        } else if (std::strcmp(a, "--") == 0) {
            options_end = true;
        } else if (std::strcmp(a, "--json") == 0) {
            request.json = true;
        } else if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            help = true;
        } else if (std::strcmp(a, "--version") == 0) {
            version = true;
        } else if (std::strcmp(a, "--db") == 0) {
            if (i + 1 >= argc || argv[i + 1][0] == 0) return Fail("--db needs a PATH");
            request.db_path = argv[++i];
        } else if (std::strncmp(a, "--db=", 5) == 0) {
            if (a[5] == 0) return Fail("--db needs a PATH");
            request.db_path = a + 5;
        } else {
            return Fail(std::string("unknown option \"") + a + "\" (pellamctl --help lists them)");
        }
    }
    ParsedCommandLine result;
    if (help || version) {
        result.ok = true;
        result.request.command = help ? CtlCommand::kHelp : CtlCommand::kVersion;
        return result;
    }
    if (words.empty()) return Fail("no command given (pellamctl --help lists them)");
    for (const CommandShape& shape : kCommands)
        if (std::strcmp(words[0], shape.name) == 0) {
            request.command = shape.command;
            return ParseArguments(shape, std::vector<const char*>(words.begin() + 1, words.end()),
                                  request);
        }
    return Fail(std::string("unknown command \"") + words[0] + "\" (pellamctl --help lists them)");
}
