#include "tests/win/pellamctl/ctl_harness.h"

#include "tests/win/app/test_install.h"

#include <cstdio>

namespace {

std::string ReadAll(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    std::string lf;
    for (char c : text)
        if (c != '\r') lf += c;
    return lf;
}

double SecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
}

} // namespace

CtlProcess::~CtlProcess() {
    for (HANDLE h : {out_, err_, process_.hProcess, process_.hThread})
        if (h) CloseHandle(h);
}

bool CtlProcess::Start(const std::string& arguments, DWORD flags) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out_write = nullptr, err_write = nullptr;
    if (!CreatePipe(&out_, &out_write, &inherit, 0) || !CreatePipe(&err_, &err_write, &inherit, 0))
        return false;
    SetHandleInformation(out_, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(err_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out_write;
    startup.hStdError = err_write;
    std::string command = "\"" + WindowsPath(PELLAMCTL_EXE) + "\" " + arguments;
    QueryPerformanceCounter(&start_);
    const BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, flags,
                                        nullptr, nullptr, &startup, &process_);
    if (!started) trouble_ = "CreateProcess failed: " + std::to_string(GetLastError());
    CloseHandle(out_write);
    CloseHandle(err_write);
    return started != FALSE;
}

CtlResult CtlProcess::Finish(DWORD timeout_ms) {
    CtlResult result;
    result.trouble = trouble_;
    if (!process_.hProcess) return result;
    const DWORD waited = WaitForSingleObject(process_.hProcess, timeout_ms);
    if (waited != WAIT_OBJECT_0) {
        result.trouble = "ended after waiting: " + std::to_string(waited);
        TerminateProcess(process_.hProcess, 999);
        WaitForSingleObject(process_.hProcess, 5000);
    } else {
        GetExitCodeProcess(process_.hProcess, &result.code);
    }
    result.seconds = SecondsSince(start_);
    result.out = ReadAll(out_);
    result.err = ReadAll(err_);
    if (!result.trouble.empty()) std::fprintf(stderr, "pellamctl: %s\n", result.trouble.c_str());
    return result;
}

CtlResult RunCtl(const std::string& arguments) {
    CtlProcess process;
    process.Start(arguments);
    return process.Finish();
}

void CtlTest::SetUp() {
    board.Reset();
    folder = InstallTestCopy();
    ASSERT_FALSE(folder.empty());
}

void CtlTest::TearDown() {
    board.Reset();
    RemoveTestCopy(folder);
}

JsonValue CtlTest::Json(const std::string& arguments) {
    const CtlResult r = RunCtl(arguments + " --json");
    EXPECT_EQ(r.code, 0u) << arguments << ": " << r.err;
    EXPECT_EQ(r.err, "") << arguments;
    JsonValue value;
    EXPECT_TRUE(ParseJson(r.out, &value)) << arguments << ": " << r.out;
    return value;
}

bool CtlTest::Sql(const std::string& sql) {
    return ExecOnTestCopy(folder, sql);
}

void CtlTest::RegisterBoard() {
    ASSERT_TRUE(Sql("INSERT INTO Main (VID,PID,RELAY1NAME,RELAY1NC,RELAY1NO,RELAY3NAME) VALUES "
                    "('0000','8001','Pump','Off','On','Fan')"));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}
