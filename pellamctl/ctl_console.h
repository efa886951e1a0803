// pellamctl's two outputs: data on stdout, written through at once so that
// a reader sees each line as it happens, and failures on stderr, one line
// each.
#pragma once

#include <string>

void PrintData(const std::string& text);
// Writes "pellamctl: <line>" to stderr (line breaks inside become blanks)
// and returns `exit_code`.
int Fail(int exit_code, const std::string& line);
