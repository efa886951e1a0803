// When the driver writes the board's State into its registry key. The key
// lives in the SYSTEM hive, which Windows writes to disk: the driver writes
// only when something changed, and while a program polls the board (ten
// status requests a second) at most every kStatePublishSpacingMs.
//
// What counts as a change is what the board does: relays, LED mask, fault
// modes, firmware text and the commands it received. Status requests alone
// (the report counter and log, a pending answer) change nothing worth a
// write; they reach the key with the next write. A Control just taken up
// is written at once: the control side waits for it (and a read of the
// board's State asks for one, so it always sees the latest reports).
// Freestanding, like the driver.
#pragma once

#include "vboard/control_format.h"

#include <stdint.h>

constexpr uint32_t kStatePublishSpacingMs = 250;

enum class PublishWhen { kNever, kNow, kLater };

struct PublishPlan {
    PublishWhen when;
    uint32_t wait_ms; // kLater: how long until the write is due
};

// `published`: the State written last, or null before the first write;
// `current`: the State the board would write now; `since_ms`: the time since
// the last write.
PublishPlan PlanStatePublication(const VBoardState* published, const VBoardState& current,
                                 uint64_t since_ms);
