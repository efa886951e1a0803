#include "pellamctl/ctl_console.h"

#include "pellamctl/json_text.h"

#include <windows.h>

#include <cstdio>

namespace {

// A console shows 8-bit text in its own (OEM) code page, not in the ANSI
// code page the names and labels are stored in: there the text goes as
// UTF-16. Redirected to a file or a pipe, it goes as the bytes it is.
void Write(FILE* stream, DWORD handle_id, const std::string& text) {
    std::fflush(stream);
    HANDLE handle = GetStdHandle(handle_id);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode)) {
        const std::u16string wide = DecodeAnsiText(text.c_str());
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
}

} // namespace

void PrintData(const std::string& text) {
    Write(stdout, STD_OUTPUT_HANDLE, text);
}

int Fail(int exit_code, const std::string& line) {
    std::string one_line = line;
    for (char& c : one_line)
        if (c == '\r' || c == '\n') c = ' ';
    Write(stderr, STD_ERROR_HANDLE, "pellamctl: " + one_line + "\n");
    return exit_code;
}
