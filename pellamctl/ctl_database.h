// The database for the commands that read it: the file the installation
// record names (as Pellam.exe finds it), or the one given with --db; one
// connection for the life of the command.
#pragma once

#include "db/database.h"

#include <string>

class CtlDatabase {
  public:
    CtlDatabase() = default;
    ~CtlDatabase();
    CtlDatabase(const CtlDatabase&) = delete;
    CtlDatabase& operator=(const CtlDatabase&) = delete;

    // `path` empty: the installation's database. False with the reason in
    // *error (one line).
    bool Open(const std::string& path, std::string* error);

  private:
    bool open_ = false;
};

// A failed statement as one line: what failed and the driver's reason.
std::string DatabaseFailure(const DbResult& result);
