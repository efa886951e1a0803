// Every test starts from the simulator's default: one ready board 0x8001.
#pragma once

#include "tools/boardsim/sim_store.h"

#include <gtest/gtest.h>

#include <string>

class SimulatedBoards : public ::testing::Test {
  protected:
    void SetUp() override { SimResetToDefault(); }
    void TearDown() override { SimResetToDefault(); }
};

// Windows path of a file under dist/ (built by the Windows build).
std::string DistPath(const char* relative);
// Runs a command line to its end; its exit code, or -1 when it did not start.
int RunToEnd(std::string command_line);
