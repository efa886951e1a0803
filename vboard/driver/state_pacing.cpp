#include "vboard/driver/state_pacing.h"

namespace {

bool SameBytes(const void* a, const void* b, size_t n) {
    const auto* x = static_cast<const uint8_t*>(a);
    const auto* y = static_cast<const uint8_t*>(b);
    for (size_t i = 0; i < n; ++i)
        if (x[i] != y[i]) return false;
    return true;
}

// Whether the board did something that its last written State does not
// show. The report counter and log, and whether a status answer is pending,
// move with every status request and are left out.
bool BoardChanged(const BoardFirmware& was, const BoardFirmware& is) {
    return !SameBytes(was.relays, is.relays, sizeof is.relays) || was.led_mask != is.led_mask ||
           was.ready != is.ready || was.silent != is.silent ||
           was.refuses_writes != is.refuses_writes || was.short_answers != is.short_answers ||
           !SameBytes(was.firmware, is.firmware, sizeof is.firmware) ||
           was.answer_delay_ms != is.answer_delay_ms ||
           was.commands_received != is.commands_received ||
           !SameBytes(was.command_log, is.command_log, sizeof is.command_log);
}

} // namespace

PublishPlan PlanStatePublication(const VBoardState* published, const VBoardState& current,
                                 uint64_t since_ms) {
    if (!published || published->applied_serial != current.applied_serial)
        return {PublishWhen::kNow, 0};
    if (!BoardChanged(published->firmware, current.firmware)) return {PublishWhen::kNever, 0};
    if (since_ms >= kStatePublishSpacingMs) return {PublishWhen::kNow, 0};
    return {PublishWhen::kLater, static_cast<uint32_t>(kStatePublishSpacingMs - since_ms)};
}
