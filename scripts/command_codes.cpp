#include "scripts/command_codes.h"

#include "common/text_helpers.h"

#include <cstring>

namespace {

constexpr uint32_t kSecond = 1000, kMinute = 60 * kSecond, kHour = 60 * kMinute;

} // namespace

// For relay n the even code names its NO-label position and sends type
// 2(n-1)+1; the odd code names its NC-label position and sends 2(n-1).
const ScriptCommand kScriptCommands[kCommandCount] = {
    {"00", 1, true, 1, 0, nullptr},
    {"01", 1, false, 0, 0, nullptr},
    {"02", 2, true, 3, 0, nullptr},
    {"03", 2, false, 2, 0, nullptr},
    {"04", 3, true, 5, 0, nullptr},
    {"05", 3, false, 4, 0, nullptr},
    {"06", 4, true, 7, 0, nullptr},
    {"07", 4, false, 6, 0, nullptr},
    {"08", 5, true, 9, 0, nullptr},
    {"09", 5, false, 8, 0, nullptr},
    {"0A", 0, false, 0, 1 * kSecond, "Delay 1 Second"},
    {"0B", 0, false, 0, 2 * kSecond, "Delay 2 Seconds"},
    {"0C", 0, false, 0, 3 * kSecond, "Delay 3 Seconds"},
    {"0D", 0, false, 0, 4 * kSecond, "Delay 4 Seconds"},
    {"0E", 0, false, 0, 5 * kSecond, "Delay 5 Seconds"},
    {"0F", 0, false, 0, 6 * kSecond, "Delay 6 Seconds"},
    {"0G", 0, false, 0, 7 * kSecond, "Delay 7 Seconds"},
    {"0H", 0, false, 0, 8 * kSecond, "Delay 8 Seconds"},
    {"0I", 0, false, 0, 9 * kSecond, "Delay 9 Seconds"},
    {"0J", 0, false, 0, 10 * kSecond, "Delay 10 Seconds"},
    {"0K", 0, false, 0, 20 * kSecond, "Delay 20 Seconds"},
    {"0L", 0, false, 0, 30 * kSecond, "Delay 30 Seconds"},
    {"0M", 0, false, 0, 1 * kMinute, "Delay 1 Minute"},
    {"0N", 0, false, 0, 2 * kMinute, "Delay 2 Minutes"},
    {"0O", 0, false, 0, 3 * kMinute, "Delay 3 Minutes"},
    {"0P", 0, false, 0, 4 * kMinute, "Delay 4 Minutes"},
    {"0Q", 0, false, 0, 5 * kMinute, "Delay 5 Minutes"},
    {"0R", 0, false, 0, 10 * kMinute, "Delay 10 Minutes"},
    {"0S", 0, false, 0, 20 * kMinute, "Delay 20 Minutes"},
    {"0T", 0, false, 0, 30 * kMinute, "Delay 30 Minutes"},
    {"0U", 0, false, 0, 1 * kHour, "Delay 1 Hour"},
    {"0V", 0, false, 0, 2 * kHour, "Delay 2 Hours"},
    {"0W", 0, false, 0, 3 * kHour, "Delay 3 Hours"},
    {"0X", 0, false, 0, 4 * kHour, "Delay 4 Hours"},
    {"0Y", 0, false, 0, 5 * kHour, "Delay 5 Hours"},
    {"0Z", 0, false, 0, 10 * kHour, "Delay 10 Hours"},
};

int FindCommand(char first, char second) {
    // Codes compare as one 16-bit value, first character high.
    const uint16_t wanted = static_cast<uint16_t>((static_cast<unsigned char>(first) << 8) |
                                                  static_cast<unsigned char>(second));
    for (int i = 0; i < kCommandCount; ++i) {
        const char* c = kScriptCommands[i].code;
        if (((static_cast<unsigned char>(c[0]) << 8) | static_cast<unsigned char>(c[1])) == wanted)
            return i;
    }
    return -1;
}

void CommandText(int index, const RelaySettings relays[5], char out[kCommandTextSize]) {
    const ScriptCommand& command = kScriptCommands[index];
    if (command.relay == 0) {
        CopyTextBounded(command.delay_text, out, kCommandTextSize);
        return;
    }
    const RelaySettings& relay = relays[command.relay - 1];
    char prefix[12] = "Relay n - ";
    prefix[6] = static_cast<char>('0' + command.relay);
    CopyTextBounded(prefix, out, kCommandTextSize);
    AppendTextBounded(out, kCommandTextSize, relay.name);
    AppendTextBounded(out, kCommandTextSize, " - ");
    AppendTextBounded(out, kCommandTextSize, command.to_no ? relay.no_label : relay.nc_label);
}

bool AppendCommandCode(int index, char* commands, size_t capacity) {
    if (index < 0 || index >= kCommandCount) return true;
    if (TextLength(commands) + 2 >= capacity) return false; // never half a code
    AppendText(commands, kScriptCommands[index].code);
    return true;
}

bool EncodeScriptCommand(const char* text, const RelaySettings relays[5], char* commands,
                         size_t capacity) {
    char candidate[kCommandTextSize];
    for (int i = 0; i < kCommandCount; ++i) {
        CommandText(i, relays, candidate);
        if (std::strcmp(candidate, text) == 0) return AppendCommandCode(i, commands, capacity);
    }
    return true;
}
