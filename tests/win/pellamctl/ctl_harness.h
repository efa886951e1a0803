// Running pellamctl.exe as an operator's script does: a process of its
// own with its exit status, its stdout and its stderr apart. The fixture
// gives each test the board at its default and a fresh database behind the
// installation record.
#pragma once

#include "tests/win/app/test_board.h"
#include "tests/win/app/test_install.h"
#include "tests/win/pellamctl/json_value.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

struct CtlResult {
    unsigned long code = 999; // 999: it did not start, or did not end in time and was ended
    std::string out, err;     // line ends as "\n"
    double seconds = 0;       // from start to exit
    std::string trouble;      // why it did not start or end, for the test's message
};

// pellamctl with its stdout and stderr on pipes; `flags` go to CreateProcess.
class CtlProcess {
  public:
    CtlProcess() = default;
    ~CtlProcess();
    CtlProcess(const CtlProcess&) = delete;
    CtlProcess& operator=(const CtlProcess&) = delete;

    bool Start(const std::string& arguments, DWORD flags = 0);
    DWORD id() const { return process_.dwProcessId; }
    // Waits for the end (ending the process after `timeout_ms`) and collects
    // what it printed.
    CtlResult Finish(DWORD timeout_ms = 60000);

  private:
    std::string trouble_;
    PROCESS_INFORMATION process_{};
    HANDLE out_ = nullptr, err_ = nullptr;
    LARGE_INTEGER start_{};
};

CtlResult RunCtl(const std::string& arguments);

class CtlTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Runs "ARGUMENTS --json", expects success and nothing on stderr, and
    // parses what it printed.
    JsonValue Json(const std::string& arguments);
    bool Sql(const std::string& sql);
    // Board 8001 registered, relay 1 "Pump" (Off/On), relay 3 "Fan".
    void RegisterBoard();

    InstallRecordGuard install_record; // put back after the test copy
    TestBoard board;
    std::string folder;
};

// The lines of a text ("a\nb\n" -> {"a", "b"}).
std::vector<std::string> Lines(const std::string& text);
