// What pellamctl prints, as text for people or as JSON for programs. Each
// function returns whole lines, each ended by "\n".
#pragma once

#include "db/board_record.h"
#include "db/script_row.h"
#include "pellamctl/board_data.h"

#include <cstdint>
#include <string>
#include <vector>

struct BoardListing {
    char id[5];
    std::string product;
    std::string manufacturer;
    std::string version; // four hexadecimal digits
};

// Text: "8001  SWITCHDECK 5s  Qvoxline Circuits  0100", one board a line.
// JSON: {"boards":[{"id":"8001","product":...,"manufacturer":...,"version":"0100"}]}
std::string FormatBoards(const std::vector<BoardListing>& boards, bool json);

// Text: "board 8001: ready, firmware 0123, LED mask 0x3F", then
// "relay 1: NC" to "relay 5: NO".
// JSON: {"board":"8001","ready":true,"relays":["NC","NO","NC","NC","NC"],
// "led_mask":63,"firmware":"0123"}
std::string FormatStatus(const char* board_id_text, const BoardStatus& status, bool json);

// Text: "7  Morning  3 commands, 0:00:01  note", one script a line (the
// duration is the sum of its delays).
// JSON: {"board":"8001","scripts":[{"id":7,"name":...,"description":...,
// "commands":"000A01","steps":["Relay 1 - Pump - On",...],"delay_ms":1000}]}
// Command texts are built from the relays' current names and labels.
std::string FormatScripts(const char* board_id_text, const std::vector<ScriptRow>& scripts,
                          const RelaySettings relays[5], bool json);

// One log line of a run, `ms` milliseconds after it started.
// Text: the line itself. JSON: {"ms":1000,"line":"Delay 1 Second"}
std::string FormatRunLine(const char* line, uint64_t ms, bool json);
// How a run ended, for JSON: {"ms":1003,"result":"executed"} ("stopped",
// "failed").
std::string FormatRunResult(const char* result, uint64_t ms);
