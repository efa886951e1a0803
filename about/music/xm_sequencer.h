// The sequencer: row and tick processing of the pattern data, envelopes,
// fadeout, effects, and the voice update that turns a channel's state into
// its voice slot's volumes and pitch step.
#pragma once

#include "about/music/xm_types.h"

namespace xm {

// Puts the player into its post-load state for `player.module`.
void ResetPlayer(Player& player);

// Samples per tick for `bpm`: 120000 / bpm, 120000 when bpm is 0.
int SamplesPerTick(int bpm);

// Called on the first tick of a row, after the pending position is applied.
void ProcessRow(Player& player);
// Called on every later tick of the row.
void ProcessTick(Player& player);

// The effect column's commands (0-9, then A = 10 to Z = 35).
enum Effect : uint8_t {
    kArpeggio = 0,
    kPortaUp,
    kPortaDown,
    kTonePorta,
    kVibrato,
    kTonePortaVolSlide,
    kVibratoVolSlide,
    kTremolo,
    kSetPanning,
    kSampleOffset,
    kVolumeSlide,
    kPositionJump,
    kSetVolume,
    kPatternBreak,
    kExtended,
    kSpeed,
    kGlobalVolume,
    kGlobalSlide,
    kKeyOff = 20,
    kEnvelopePosition = 21,
    kPanningSlide = 25,
    kMultiRetrig = 27,
    kTremor = 29,
    kExtraFinePorta = 33
};

// Internal steps shared by the sequencer's files.
void EnvelopeStep(const Envelope& env, EnvelopeState& state, bool key_off, int& output);
void EnvelopeJump(const Envelope& env, EnvelopeState& state, int tick, int& output);
void RunEnvelopes(Player& player, Channel& ch);
int32_t NotePeriod(const Player& player, int note, int finetune);
void ApplyVibrato(Channel& ch, int depth);
void ApplyTremolo(Channel& ch);
void ResetOnNewInstrument(Channel& ch);
void RowEffect(Player& player, Channel& ch, int index);
void TickEffect(Player& player, Channel& ch);
void VolumeColumnRow(Player& player, Channel& ch);
void VolumeColumnTick(Channel& ch);
void UpdateVoice(Player& player, int index);
void TonePortamento(Channel& ch);

} // namespace xm
