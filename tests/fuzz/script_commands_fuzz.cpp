// libFuzzer target for the walk over a stored COMMANDS text: any relay
// names and labels and any text go through the editor's walk, the command
// texts, their encoding back to codes, and a whole run of the script (on a
// board that may stop taking commands). The results are checked against a
// plain reading of the two-character codes.
#include "common/text_helpers.h"
#include "scripts/command_codes.h"
#include "scripts/script_run.h"
#include "tests/fuzz/fuzz_input.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

// The command a pair names: "00".."09" relays, "0A".."0Z" delays, or -1.
int PlainIndex(char first, char second) {
    if (first != '0') return -1;
    if (second >= '0' && second <= '9') return second - '0';
    if (second >= 'A' && second <= 'Z') return 10 + second - 'A';
    return -1;
}

void SetText(FuzzInput& in, char* field, size_t size) {
    std::vector<uint8_t> b = in.Sized(size - 1);
    if (!b.empty()) std::memcpy(field, b.data(), b.size());
    field[b.size()] = 0;
}

std::string ExpectedText(int index, const RelaySettings relays[5]) {
    const ScriptCommand& c = kScriptCommands[index];
    std::string text;
    if (c.relay == 0) {
        text = c.delay_text;
    } else {
        const RelaySettings& r = relays[c.relay - 1];
        text = "Relay " + std::to_string(c.relay) + " - " + r.name + " - " +
               (c.to_no ? r.no_label : r.nc_label);
    }
    return text.substr(0, kCommandTextSize - 1);
}

// What a run did, on a microsecond clock that moves on by `step` each time
// it is read (the time sending and logging take) and jumps when waited on.
struct RunLog {
    std::vector<std::string> lines;
    std::vector<uint32_t> sent;
    uint64_t now = 1000;
    uint64_t step = 0;
    size_t refused = SIZE_MAX; // the relay command the board does not take
};

void Log(void* context, const char* line) {
    static_cast<RunLog*>(context)->lines.push_back(line);
}
bool Send(void* context, uint32_t type) {
    RunLog* log = static_cast<RunLog*>(context);
    log->sent.push_back(type);
    return log->sent.size() - 1 != log->refused;
}
uint64_t Clock(void* context) {
    RunLog* log = static_cast<RunLog*>(context);
    return log->now += log->step;
}
void WaitUntil(void* context, uint64_t deadline) {
    RunLog* log = static_cast<RunLog*>(context);
    if (log->now < deadline) log->now = deadline;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    RelaySettings relays[5]{};
    for (RelaySettings& r : relays) {
        SetText(in, r.name, sizeof r.name);
        SetText(in, r.nc_label, sizeof r.nc_label);
        SetText(in, r.no_label, sizeof r.no_label);
    }
    // Encoding looks at every command text for each command: the first
    // kEncoded commands are checked, into a buffer they can overfill.
    constexpr size_t kEncoded = 48;
    size_t capacity = in.Byte() % (2 * kEncoded + 8);
    uint8_t timing = in.Byte();
    uint8_t refused = in.Byte();
    std::vector<uint8_t> bytes = in.Rest();
    std::unique_ptr<char[]> text(new char[bytes.size() + 1]);
    if (!bytes.empty()) std::memcpy(text.get(), bytes.data(), bytes.size());
    text[bytes.size()] = 0;

    // The codes a plain reading finds, pair by pair up to the terminator.
    std::vector<int> expected;
    for (size_t i = 0; text[i] != 0 && text[i + 1] != 0; i += 2) {
        int index = PlainIndex(text[i], text[i + 1]);
        if (index >= 0) expected.push_back(index);
    }
    std::vector<int> walked;
    WalkScriptCommands(text.get(), [&](int index) { walked.push_back(index); });
    Expect(walked == expected);

    // Each command's text, and its code again: the first command with the
    // same text (equal labels give equal texts), never half a code.
    std::unique_ptr<char[]> commands(new char[capacity ? capacity : 1]);
    if (capacity) commands[0] = 0;
    size_t codes = 0;
    std::unique_ptr<char[]> line(new char[kCommandTextSize]);
    for (size_t i = 0; i < walked.size(); ++i) {
        int index = walked[i];
        CommandText(index, relays, line.get());
        std::string shown = ExpectedText(index, relays);
        Expect(shown == line.get());
        if (!capacity || i >= kEncoded) continue;
        bool fitted = EncodeScriptCommand(line.get(), relays, commands.get(), capacity);
        size_t length = std::strlen(commands.get());
        Expect(length < capacity && length % 2 == 0);
        if (!fitted) {
            Expect(length == 2 * codes && length + 2 >= capacity);
            continue;
        }
        Expect(length == 2 * ++codes);
        int stored = PlainIndex(commands[length - 2], commands[length - 1]);
        Expect(stored >= 0 && stored <= index && ExpectedText(stored, relays) == shown);
    }

    // A whole run: one log line and, for relays, one command per code.
    RunLog log;
    log.step = timing & 3;
    if (refused < 64) log.refused = refused;
    ScriptRunOutput out{Log, Send, Clock, &log};
    if (timing & 4) {
        out.wait_until = WaitUntil;
        out.finish_ahead_ms = timing >> 3;
    }
    ScriptRun run;
    StartScriptRun(run, "7", "fuzz", text.get(), out);
    size_t steps = 0;
    while (!run.finished && steps++ <= expected.size() + 1)
        log.now += 1000 * AdvanceScriptRun(run, relays, out); // ms to the clock's microseconds
    Expect(run.finished);
    // One line per command, and for relays one command sent, up to the end
    // or to the command the board did not take, which stops the run.
    std::vector<std::string> lines;
    std::vector<uint32_t> types;
    bool stopped = false;
    for (size_t i = 0; i < expected.size() && !stopped; ++i) {
        lines.push_back(ExpectedText(expected[i], relays));
        const ScriptCommand& c = kScriptCommands[expected[i]];
        if (c.relay == 0) continue;
        types.push_back(c.write_type);
        stopped = types.size() - 1 == log.refused;
    }
    lines.push_back(kScriptSeparator);
    lines.push_back(stopped ? kScriptStoppedLine : "Relay Script Executed.");
    Expect(log.lines.size() == 4 + lines.size());
    Expect(std::equal(lines.begin(), lines.end(), log.lines.begin() + 4));
    Expect(log.sent == types);
    return 0;
}
