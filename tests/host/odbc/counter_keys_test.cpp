extern "C" {
#include "tools/odbc/counter_keys.h"
}

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// The rewritten text, or "(unchanged)" when the stand-in passes it on as is.
std::string Rewrite(const std::string& sql) {
    char* out = RewriteCounterKeys(sql.data(), sql.size());
    if (!out) return "(unchanged)";
    std::string text = out;
    std::free(out);
    return text;
}

TEST(CounterKeys, OnlyCounterPrimaryKeysOfCreateStatementsChange) {
    const struct {
        const char* sql;
        const char* expected;
    } cases[] = {
        {"CREATE TABLE Main ([ID] COUNTER CONSTRAINT PK_Main PRIMARY KEY, [VID] VARCHAR(4))",
         "CREATE TABLE Main ([ID] INTEGER CONSTRAINT PK_Main PRIMARY KEY AUTOINCREMENT, [VID] "
         "VARCHAR(4))"},
        {"  create table t (id counter primary key)",
         "  create table t (id INTEGER primary key AUTOINCREMENT)"},
        {"CREATE TABLE t (a COUNTER PRIMARY\n KEY, b COUNTER PRIMARY KEY)",
         "CREATE TABLE t (a INTEGER PRIMARY\n KEY AUTOINCREMENT, b INTEGER PRIMARY KEY "
         "AUTOINCREMENT)"},
        // A counter that is not the key, and the key of another column.
        {"CREATE TABLE t (a COUNTER, b VARCHAR(4) PRIMARY KEY)", "(unchanged)"},
        {"CREATE TABLE t (a COUNTER)", "(unchanged)"},
        // Names in brackets, texts and other statements stay as they are.
        {"CREATE TABLE t ([COUNTER] VARCHAR(9) PRIMARY KEY)", "(unchanged)"},
        {"CREATE TABLE t (a VARCHAR(9) DEFAULT 'COUNTER PRIMARY KEY')", "(unchanged)"},
        {"INSERT INTO t (a) VALUES ('COUNTER PRIMARY KEY')", "(unchanged)"},
        {"SELECT COUNTER FROM t", "(unchanged)"},
        {"", "(unchanged)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rewrite(c.sql), c.expected) << c.sql;
}

TEST(CounterKeys, TextIsReadOnlyUpToItsLength) {
    const std::string sql = "CREATE TABLE t (id COUNTER PRIMARY KEY)";
    char* out = RewriteCounterKeys(sql.data(), sql.size() - 1); // without ")"
    ASSERT_NE(out, nullptr);
    EXPECT_STREQ(out, "CREATE TABLE t (id INTEGER PRIMARY KEY AUTOINCREMENT");
    std::free(out);
}

} // namespace
