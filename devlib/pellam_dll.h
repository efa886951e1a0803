// The exports of Pellam_DLL.dll. Every function returns 1 for success and 0
// for failure; texts are 8-bit and zero-terminated in caller-owned buffers.
// Not re-entrant: callers serialise all calls (Pellam calls from its UI
// thread only).
#pragma once

#include <cstdint>

#if defined(_WIN32) && defined(PELLAM_DLL_BUILD)
#define PELLAM_API extern "C" __declspec(dllexport)
#elif defined(_WIN32)
#define PELLAM_API extern "C" __declspec(dllimport)
#else
#define PELLAM_API extern "C"
#endif

// Exports use the standard Windows calling convention, as callers written in
// other languages expect; on x86_64 there is only one convention anyway.
#ifdef _WIN32
#define PELLAM_CALL __stdcall
#else
#define PELLAM_CALL
#endif

// Board list text "8001|80A5|" (five bytes per board plus the terminator,
// at most 1024 bytes); 1 when at least one board was found.
PELLAM_API int32_t PELLAM_CALL FindPellamBoards(char* out);
// 12-byte status block: relays 1-5, ready, LED mask, 4 firmware characters, 0.
PELLAM_API int32_t PELLAM_CALL ReadPellams(uint32_t id, char* out);
// type 0-9 switches a relay, 11 sets the LED mask to the low byte of value.
PELLAM_API int32_t PELLAM_CALL WritePellam(uint32_t id, uint32_t type, uint32_t value);
PELLAM_API int32_t PELLAM_CALL GetProductString(uint32_t id, char* out);      // 128 bytes
PELLAM_API int32_t PELLAM_CALL GetManufacturerString(uint32_t id, char* out); // 128 bytes
PELLAM_API int32_t PELLAM_CALL GetVersionString(uint32_t id, char* out);      // 5 bytes
PELLAM_API int32_t PELLAM_CALL TestDLL(char* out);                            // 3 bytes
