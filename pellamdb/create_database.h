// Creates a database file the way an installation does: the Access driver's
// setup library makes the empty file in the Jet 4 format (SQLConfigDataSource
// with CREATE_DBV4),
// then the tables of the database format are created through an ODBC
// connection, one statement per call.
#pragma once

#include <string>

// True when path (a full path) now holds a new database with every table;
// *driver names the driver that made it. Otherwise *error says why, in the
// installer's or the driver's own words, and nothing is left behind: a
// half-made file is deleted, and a file that was there before is never
// touched.
bool CreateDatabase(const std::string& path, std::string* driver, std::string* error);
