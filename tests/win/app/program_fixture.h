// A test's own Pellam installation: a fresh database copied from the rig's
// empty one, the installation record pointing beside it, the test board at
// its default, and the real main window created on demand.
#pragma once

#include "tests/win/app/gui_harness.h"
#include "tests/win/app/test_board.h"
#include "tests/win/app/test_install.h"
#include "tools/boardsim/sim_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The database file of one test, reached through its own ODBC connection.
class TestDatabase {
  public:
    void Create(); // copies the empty database, writes the installation record
    void Remove();
    bool Exec(const std::string& sql);
    Rows Query(const std::string& sql);
    const std::string& folder() const { return folder_; }

  private:
    std::string folder_;
};

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Creates the main window as Pellam's start-up does; null when set-up
    // ended the program.
    HWND Start();
    HWND Item(int id) const;
    std::string Text(int id) const { return WindowText(Item(id)); }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    HBITMAP PictureShown(int id) const;
    void AddBoardRow(const std::string& pid, const std::string& is_default = "");
    void Click(int id);
    // Connects and waits for the first ready poll.
    bool ConnectAndPoll();
    // What the test board has received: every report, and the commands
    // among them (status requests aside).
    uint32_t ReportsReceived() { return board.ReportsReceived(); }
    uint32_t CommandsReceived() { return board.CommandsReceived(); }
    std::vector<uint8_t> CommandsSince(uint32_t before) { return board.CommandsSince(before); }

    InstallRecordGuard install_record; // put back after the test copy
    TestBoard board;
    TestDatabase db;
    BoxAnswerer boxes;
    HWND window = nullptr;
};
