#include "pellamctl/ctl_console.h"

#include <cstdio>

void PrintData(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

int Fail(int exit_code, const std::string& line) {
    std::string one_line = line;
    for (char& c : one_line)
        if (c == '\r' || c == '\n') c = ' ';
    std::fprintf(stderr, "pellamctl: %s\n", one_line.c_str());
    std::fflush(stderr);
    return exit_code;
}
