#include "pellamctl/ctl_output.h"

#include "pellamctl/json_text.h"
#include "scripts/command_codes.h"

#include <cstdlib>

namespace {

const char* Position(bool at_no) {
    return at_no ? "NO" : "NC";
}

std::string Hex2(uint8_t value) {
    static const char kHex[] = "0123456789ABCDEF";
    return std::string("0x") + kHex[value >> 4] + kHex[value & 0xF];
}

// "h:mm:ss"
std::string Duration(uint64_t ms) {
    const uint64_t seconds = (ms + 999) / 1000;
    const uint64_t m = seconds / 60 % 60, s = seconds % 60;
    return std::to_string(seconds / 3600) + (m < 10 ? ":0" : ":") + std::to_string(m) +
           (s < 10 ? ":0" : ":") + std::to_string(s);
}

struct ScriptSteps {
    std::vector<std::string> texts;
    uint64_t delay_ms = 0;
};

ScriptSteps StepsOf(const ScriptRow& script, const RelaySettings relays[5]) {
    ScriptSteps steps;
    WalkScriptCommands(script.commands, [&](int index) {
        char text[kCommandTextSize];
        CommandText(index, relays, text);
        steps.texts.push_back(text);
        steps.delay_ms += kScriptCommands[index].delay_ms;
    });
    return steps;
}

} // namespace

std::string FormatBoards(const std::vector<BoardListing>& boards, bool json) {
    if (!json) {
        std::string out;
        for (const BoardListing& b : boards)
            out += std::string(b.id) + "  " + b.product + "  " + b.manufacturer + "  " + b.version +
                   "\n";
        return out;
    }
    JsonWriter w;
    w.BeginObject().Key("boards").BeginArray();
    for (const BoardListing& b : boards)
        w.BeginObject()
            .Key("id")
            .String(b.id)
            .Key("product")
            .String(b.product.c_str())
            .Key("manufacturer")
            .String(b.manufacturer.c_str())
            .Key("version")
            .String(b.version.c_str())
            .EndObject();
    w.EndArray().EndObject();
    return w.text() + "\n";
}

std::string FormatStatus(const char* board_id_text, const BoardStatus& status, bool json) {
    if (!json) {
        std::string out = std::string("board ") + board_id_text + ": " +
                          (status.ready ? "ready" : "not ready") + ", firmware " + status.firmware +
                          ", LED mask " + Hex2(status.led_mask) + "\n";
        for (int n = 0; n < 5; ++n)
            out += "relay " + std::to_string(n + 1) + ": " + Position(status.relay_at_no[n]) + "\n";
        return out;
    }
    JsonWriter w;
    w.BeginObject().Key("board").String(board_id_text).Key("ready").Bool(status.ready);
    w.Key("relays").BeginArray();
    for (bool at_no : status.relay_at_no)
        w.String(Position(at_no));
    w.EndArray();
    w.Key("led_mask").Number(status.led_mask).Key("firmware").String(status.firmware).EndObject();
    return w.text() + "\n";
}

std::string FormatScripts(const char* board_id_text, const std::vector<ScriptRow>& scripts,
                          const RelaySettings relays[5], bool json) {
    if (!json) {
        std::string out;
        for (const ScriptRow& s : scripts) {
            const ScriptSteps steps = StepsOf(s, relays);
            out += std::string(s.id) + "  " + s.name + "  " + std::to_string(steps.texts.size()) +
                   (steps.texts.size() == 1 ? " command, " : " commands, ") +
                   Duration(steps.delay_ms) + "  " + s.description + "\n";
        }
        return out;
    }
    JsonWriter w;
    w.BeginObject().Key("board").String(board_id_text).Key("scripts").BeginArray();
    for (const ScriptRow& s : scripts) {
        const ScriptSteps steps = StepsOf(s, relays);
        w.BeginObject().Key("id").Number(std::strtoull(s.id, nullptr, 10));
        w.Key("name").String(s.name).Key("description").String(s.description);
        w.Key("commands").String(s.commands).Key("steps").BeginArray();
        for (const std::string& text : steps.texts)
            w.String(text.c_str());
        w.EndArray().Key("delay_ms").Number(steps.delay_ms).EndObject();
    }
    w.EndArray().EndObject();
    return w.text() + "\n";
}

std::string FormatRunLine(const char* line, uint64_t ms, bool json) {
    if (!json) return std::string(line) + "\n";
    JsonWriter w;
    w.BeginObject().Key("ms").Number(ms).Key("line").String(line).EndObject();
    return w.text() + "\n";
}

std::string FormatRunResult(const char* result, uint64_t ms) {
    JsonWriter w;
    w.BeginObject().Key("ms").Number(ms).Key("result").String(result).EndObject();
    return w.text() + "\n";
}
