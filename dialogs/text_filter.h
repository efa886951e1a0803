// The characters the relay and script text fields accept: digits, letters,
// the blank, ! & ( ) - . ? and, for editing, carriage return and backspace.
// Everything else (quotes, the percent sign, commas, tabs, characters above
// 127, the control characters of cut, copy and paste) is refused, which
// keeps the quote that delimits SQL values out of typed text.
#pragma once

#include <cstddef>
#include <string>

bool IsAcceptedCharacter(unsigned char c);

// Copies the accepted characters of pasted text into out (capacity bytes,
// terminated). In a multi-line field a line break (CR LF) is kept as one.
// Returns the number of characters dropped.
size_t FilterPastedText(const char* text, char* out, size_t capacity, bool multiline);

// A field's text changed from `before` to `after` by some edit (a paste, a
// drop, an undo ...). Only what the edit put in is filtered: the unchanged
// start and end of the text stay as they are, so text the field held
// already is never touched.
struct FilteredEdit {
    std::string text; // the text the field should hold
    size_t caret;     // just after the filtered insertion
    size_t dropped;   // refused characters removed
};
FilteredEdit FilterEdit(const std::string& before, const std::string& after, bool multiline);
