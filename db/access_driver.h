// The names Windows gives the Access ODBC driver, in the order they are
// tried. The Jet driver that comes with Windows serves 32-bit programs only;
// a 64-bit program finds an Access driver only where the Access Database
// Engine is installed, and then under the second name.
#pragma once

constexpr const char* kAccessDriverNames[] = {"Microsoft Access Driver (*.mdb)",
                                              "Microsoft Access Driver (*.mdb, *.accdb)"};
