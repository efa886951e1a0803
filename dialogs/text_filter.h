// The characters the relay and script text fields accept: digits, letters,
// the blank, ! & ( ) - . ? and, for editing, carriage return and backspace.
// Everything else (quotes, the percent sign, commas, tabs, characters above
// 127, the control characters of cut, copy and paste) is refused, which
// keeps the quote that delimits SQL values out of typed text.
#pragma once

#include <cstddef>

bool IsAcceptedCharacter(unsigned char c);

// Copies the accepted characters of pasted text into out (capacity bytes,
// terminated). In a multi-line field a line break (CR LF) is kept as one.
// Returns the number of characters dropped.
size_t FilterPastedText(const char* text, char* out, size_t capacity, bool multiline);
