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

// Keeps the installation record as it was when made and puts it back when
// it goes, so that the prefix's own programs find the rig's database after
// a test has pointed the record elsewhere (or removed it).
class InstallRecordGuard {
  public:
    InstallRecordGuard();
    ~InstallRecordGuard();
    InstallRecordGuard(const InstallRecordGuard&) = delete;
    InstallRecordGuard& operator=(const InstallRecordGuard&) = delete;

  private:
    bool existed_ = false;
    std::string value_;
};
// Windows path of a host path (Wine's Z: drive).
std::string WindowsPath(const std::string& unix_path);

// For its lifetime, the Access driver stand-in is registered with unixODBC
// under `name` only, or under no name at all (nullptr); every other Access
// driver name answers as a missing driver does on Windows. The rig's own
// registration comes back when it ends. unixODBC keeps what it has read of
// the registration, so a test makes this before its first connection.
class DriverRegistration {
  public:
    explicit DriverRegistration(const char* name);
    ~DriverRegistration();
    DriverRegistration(const DriverRegistration&) = delete;
    DriverRegistration& operator=(const DriverRegistration&) = delete;
    bool ok() const { return ok_; }

  private:
    std::string ini_;
    bool ok_ = false;
};

// For its lifetime the stand-in's setup library, which creates database
// files, is registered on the Windows side under `name` only (nullptr: under
// none), as a driver's installation registers it; the rig's registration
// comes back when it ends.
class SetupRegistration {
  public:
    explicit SetupRegistration(const char* name);
    ~SetupRegistration();
    SetupRegistration(const SetupRegistration&) = delete;
    SetupRegistration& operator=(const SetupRegistration&) = delete;

  private:
    void Register(const std::string& key_path) const;
    std::string rig_, moved_;
    char library_[260] = "";
};

// Runs a command line to its end and returns its exit status (999 when it
// could not start); what it printed goes to *output, the seconds it took to
// *seconds, when asked for.
unsigned long RunProcess(std::string command, std::string* output = nullptr,
                         double* seconds = nullptr);

// Runs SQL on the copy's database through an ODBC connection of its own.
bool ExecOnTestCopy(const std::string& folder, const std::string& sql);
Rows QueryTestCopy(const std::string& folder, const std::string& sql);

// Holds a write lock on the copy's database, as another program in the
// middle of a change would: reads go on, every write fails until Release.
// kReadsToo locks reads out as well (a program holding the file for itself).
class DatabaseWriteLock {
  public:
    enum Kind { kWrites, kReadsToo };
    explicit DatabaseWriteLock(const std::string& folder, Kind kind = kWrites);
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
