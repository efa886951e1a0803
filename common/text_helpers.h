// Small routines on zero-terminated 8-bit texts, shared by Pellam.exe and
// Pellam_DLL.dll. The unbounded forms trust the caller to have room; every
// caller that copies text it does not control uses the bounded forms.
#pragma once

#include <cstddef>
#include <cstdint>

// Number of characters before the terminator.
uint32_t TextLength(const char* text);

// Copies source and its terminator to destination.
void CopyText(const char* source, char* destination);

// Copies source over destination's terminator; returns destination.
char* AppendText(char* destination, const char* source);

// Appends `count` texts (count >= 1) in argument order; returns destination.
char* AppendTexts(int count, char* destination, ...);

// Length of a when a and b are equal byte for byte (terminator included),
// else 0. Two empty texts give 0 as well: callers compare with a non-empty
// constant and read any non-zero result as "equal".
uint32_t CompareText(const char* a, const char* b);

// Hexadecimal value of text: every character counts as a digit (low four bits
// of its offset from '0', 'A'-10 or 'a'-10), shift counts wrap at 32 bits.
uint32_t HexToNumber(const char* text);

// 1 when at least one file or folder matches name (wildcards allowed), else 0.
int FileExists(const char* name);

// Bounded forms: never write more than `capacity` bytes (terminator
// included); a source that does not fit is cut. Return true when it fitted.
bool CopyTextBounded(const char* source, char* destination, size_t capacity);
bool AppendTextBounded(char* destination, size_t capacity, const char* source);

// Copies `count` characters of source starting at `start` and terminates
// destination (the library's CopyTextPart; source must hold them).
void CopyTextPart(const char* source, char* destination, uint32_t start, uint32_t count);

// Eight upper-case hexadecimal digits of value and a terminator (9 bytes).
void HexText8(uint32_t value, char* out);

// Board id text: the four upper-case hexadecimal digits of the low 16 bits.
void BoardIdText(uint32_t id, char out[5]);
