extern "C" {
#include "tools/odbc/create_db_request.h"
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(CreateDbRequest, PathOfEachFormOfTheRequest) {
    const struct {
        std::vector<std::string> pairs;
        int result;
        const char* path;
    } cases[] = {
        {{"CREATE_DB=\"C:\\Program Files\\Pellam\\Pellam.MDB\" General"},
         1,
         "C:\\Program Files\\Pellam\\Pellam.MDB"},
        {{"DSN=x", "create_dbv4=C:\\P.MDB General"}, 1, "C:\\P.MDB"},
        {{"CREATE_DBV3=  C:\\P.MDB"}, 1, "C:\\P.MDB"},
        {{"DSN=x", "DBQ=C:\\P.MDB"}, 0, ""},
        {{}, 0, ""},
        {{"CREATE_DB=\"C:\\P.MDB General"}, -1, ""}, // the quote is never closed
        {{"CREATE_DB="}, -1, ""},
        {{"CREATE_DB=\"\""}, -1, ""},
        {{"CREATE_DB=C:\\" + std::string(300, 'a') + ".MDB"}, -1, ""}, // longer than MAX_PATH
    };
    for (const auto& c : cases) {
        // Each pair ends with a zero byte, the list with an empty pair.
        std::string list;
        for (const std::string& pair : c.pairs)
            list += pair + '\0';
        list += '\0';
        char path[260] = "";
        EXPECT_EQ(FindCreateDbPath(list.c_str(), path, sizeof path), c.result) << list;
        EXPECT_STREQ(path, c.path) << list;
    }
    char path[8];
    EXPECT_EQ(FindCreateDbPath(nullptr, path, sizeof path), 0);
}

} // namespace
