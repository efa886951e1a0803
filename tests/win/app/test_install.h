// A private Pellam installation for tests and benchmarks: a fresh copy of the
// rig's empty database in its own folder, and the installation record
// naming Pellam.exe in that folder.
#pragma once

#include <string>
#include <vector>

using Rows = std::vector<std::vector<std::string>>;

// Returns the folder, or "" when the copy or the record could not be made.
std::string InstallTestCopy();
void RemoveTestCopy(const std::string& folder);
// Windows path of a host path (Wine's Z: drive).
std::string WindowsPath(const std::string& unix_path);

// Runs SQL on the copy's database through an ODBC connection of its own.
bool ExecOnTestCopy(const std::string& folder, const std::string& sql);
Rows QueryTestCopy(const std::string& folder, const std::string& sql);

// Holds a write lock on the copy's database, as another program in the
// middle of a change would: reads go on, every write fails until Release.
class DatabaseWriteLock {
  public:
    explicit DatabaseWriteLock(const std::string& folder);
    ~DatabaseWriteLock() { Release(); }
    DatabaseWriteLock(const DatabaseWriteLock&) = delete;
    DatabaseWriteLock& operator=(const DatabaseWriteLock&) = delete;
    bool held() const { return held_; }
    void Release();

  private:
    void* environment_ = nullptr;
    void* connection_ = nullptr;
    bool held_ = false;
};
