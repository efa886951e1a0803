// Loads an XM module into a Module record, with every field range-checked
// and every read bounded by the source.
#pragma once

#include "about/music/xm_source.h"
#include "about/music/xm_types.h"

namespace xm {

// Returns false (leaving `module` in an unspecified but destructible state)
// when the module fails a check, is truncated or cannot be allocated.
bool LoadModule(Source& source, Module& module);

// Decoders of the sample data, exposed for tests. `out` receives `count`
// values.
void DecodeDelta8(const uint8_t* in, int count, int16_t* out);
void DecodeDelta16(const uint8_t* in, int count, int16_t* out);
// 4-bit ADPCM: a 16-byte table, then (count + 1) / 2 bytes, low nibble first.
void DecodeAdpcm(const uint8_t* table, const uint8_t* in, int count, int16_t* out);

} // namespace xm
