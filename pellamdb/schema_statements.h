// The database format, db/schema.sql, as the statements that create it: one
// statement per call and no comments, which is what the Access driver takes.
#pragma once

#include <string>
#include <vector>

extern const char kSchemaSql[]; // db/schema.sql, embedded at build time

// Splits SQL text at the semicolons that end its statements (a semicolon in
// a quoted text or a bracketed name does not). Runs of blanks and line
// breaks become one blank, so each statement is one line without its
// semicolon; empty statements are dropped.
std::vector<std::string> SplitStatements(const char* sql);
