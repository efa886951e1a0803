// Every statement Pellam and pellam-db send, checked against the SQL that
// both the Access (Jet) driver and the SQLite stand-in accept. There is no
// Jet here, so these rules are what keeps SQLite-only text from reaching a
// Windows PC.
#include "db/statements.h"
#include "db/script_statements.h"
#include "pellamdb/schema_statements.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// What breaks the shared dialect in sql, or "" when nothing does.
std::string DialectProblem(const std::string& sql) {
    const bool create = Upper(sql.substr(0, 7)) == "CREATE ";
    int depth = 0;
    bool expect_name = false; // a column definition of CREATE starts here
    std::string previous;     // the word before, upper case
    for (size_t i = 0; i < sql.size();) {
        const char c = sql[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (expect_name && c != '[') return "column name not in brackets";
        expect_name = false;
        if (c == '[') { // a bracketed name
            i = std::min(sql.find(']', i), sql.size()) + 1;
            continue;
        }
        if (c == '\'') { // a text, where '' stands for one quote
            for (++i; i < sql.size(); ++i) {
                if (sql[i] != '\'') continue;
                if (i + 1 < sql.size() && sql[i + 1] == '\'') {
                    ++i;
                    continue;
                }
                break;
            }
            ++i;
            continue;
        }
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
            size_t end = i;
            while (end < sql.size() &&
                   (std::isalnum(static_cast<unsigned char>(sql[end])) || sql[end] == '_'))
                ++end;
            const std::string word = Upper(sql.substr(i, end - i));
            for (const char* banned : {"DEFAULT", "CURRENT_TIMESTAMP", "MEMO", "LIMIT", "TOP",
                                       "AUTOINCREMENT", "LAST_INSERT_ROWID"})
                if (word == banned) return word + " outside brackets";
            if ((previous == "VARCHAR" || previous == "CHAR" || previous == "TEXT") &&
                std::atoi(word.c_str()) > 255)
                return previous + "(" + word + "): longer than 255, use LONGTEXT";
            previous = word;
            i = end;
            continue;
        }
        const std::string two = sql.substr(i, 2);
        if (c == '"') return "double quotes";
        if (two == "--" || two == "/*") return "comment";
        if (two == "||" || c == '&' || c == '@') return std::string("operator ") + c;
        if (Upper(sql.substr(i, 3)) == "{FN") return "ODBC function escape";
        if (c == ';' && sql.find_first_not_of(" \t\r\n", i + 1) != std::string::npos)
            return "more than one statement";
        if (c == '(' && ++depth == 1 && create) expect_name = true;
        if (c == ')') --depth;
        if (c == ',' && depth == 1 && create) expect_name = true;
        ++i;
    }
    return "";
}

TEST(JetDialect, TheCheckCatchesWhatJetRefuses) {
    const char* refused[] = {
        "UPDATE Main SET DEFAULT ='NO';",
        "UPDATE Main SET \"DEFAULT\" ='NO';",
        "CREATE TABLE t ([A] DATETIME DEFAULT CURRENT_TIMESTAMP)",
        "CREATE TABLE t ([A] VARCHAR(512))",
        "CREATE TABLE t ([A] MEMO)",
        "CREATE TABLE t (NAME VARCHAR(19))",
        "SELECT * FROM Main; SELECT * FROM RelayScripts",
        "SELECT * FROM Main -- all boards",
        "SELECT * FROM Main LIMIT 1",
        "UPDATE Main SET RELAY1NAME = RELAY1NAME || 'x'",
        "INSERT INTO Main (ADDED) VALUES ({fn NOW()})",
    };
    for (const char* sql : refused)
        EXPECT_NE(DialectProblem(sql), "") << sql;
    EXPECT_EQ(DialectProblem("UPDATE Main SET [DEFAULT] ='it''s -- \"DEFAULT\"; LIMIT';"), "");
}

TEST(JetDialect, SchemaIsOneStatementPerCallInTheSharedDialect) {
    const std::vector<std::string> statements = SplitStatements(kSchemaSql);
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_EQ(statements[0].rfind("CREATE TABLE Main ( [ID] COUNTER CONSTRAINT", 0), 0u);
    EXPECT_EQ(statements[1].rfind("CREATE TABLE RelayScripts (", 0), 0u);
    for (const std::string& s : statements)
        EXPECT_EQ(DialectProblem(s), "") << s;
    EXPECT_EQ(SplitStatements(" a ;\n\n b 'x;y' [c;d]\n;;"),
              (std::vector<std::string>{"a", "b 'x;y' [c;d]"}));
}

TEST(JetDialect, EveryStatementOfTheProgram) {
    std::vector<std::string> statements = {kSelectAllBoards, kClearDefaultMarks};
    char out[kLargeStatementBufferSize];
    const char* pid = "80A5";
    for (auto compose : {ComposeSelectBoard, ComposeSetDefaultMark, ComposeDeleteBoardRow}) {
        ASSERT_TRUE(compose(out, sizeof out, pid));
        statements.push_back(out);
    }
    ASSERT_TRUE(ComposeInsertBoard(out, sizeof out, pid, {2024, 12, 31, 23, 59, 58}));
    statements.push_back(out);
    for (int relay = 1; relay <= 5; ++relay) {
        ASSERT_TRUE(ComposeUpdateRelaySettings(out, sizeof out, relay,
                                               {"it's -- a note", "Pump", "Off", "On", true}, pid));
        statements.push_back(out);
    }
    ASSERT_TRUE(ComposeSelectScripts(out, sizeof out, pid));
    statements.push_back(out);
    ASSERT_TRUE(ComposeInsertScript(out, sizeof out, pid, "Morning", "Pump \"on\"; then", "000A"));
    statements.push_back(out);
    ASSERT_TRUE(ComposeUpdateScript(out, sizeof out, pid, "Morning", "note", "000A01", "12"));
    statements.push_back(out);
    ASSERT_TRUE(ComposeDeleteScript(out, sizeof out, "12"));
    statements.push_back(out);
    for (const std::string& s : statements)
        EXPECT_EQ(DialectProblem(s), "") << s;
}

} // namespace
