#include "db/statements.h"

#include <cstdio>
#include <cstring>

const char kSelectAllBoards[] = "select * from Main;";
// DEFAULT is a keyword in SQL: the column is written in brackets.
const char kClearDefaultMarks[] = "UPDATE Main SET [DEFAULT] ='NO';";

namespace {

constexpr char kVendorIdText[] = "0000";

} // namespace

bool FormatStatement(char* out, size_t capacity, const char* format, const char* const* values,
                     int count) {
    if (capacity == 0) return false;
    size_t used = 0;
    int next = 0;
    auto put = [&](char c) {
        if (used + 1 >= capacity) return false;
        out[used++] = c;
        return true;
    };
    for (const char* f = format; *f; ++f) {
        if (f[0] == '%' && f[1] == 's' && next < count) {
            for (const char* v = values[next++]; *v; ++v) {
                if (!put(*v) || (*v == '\'' && !put('\''))) {
                    out[0] = 0;
                    return false;
                }
            }
            ++f;
        } else if (!put(*f)) {
            out[0] = 0;
            return false;
        }
    }
    out[used] = 0;
    return true;
}

bool ComposeSelectBoard(char* out, size_t capacity, const char* board_id_text) {
    const char* values[] = {kVendorIdText, board_id_text};
    return FormatStatement(out, capacity, "SELECT * FROM Main WHERE VID = '%s' AND PID = '%s';",
                           values, 2);
}

bool ComposeInsertBoard(char* out, size_t capacity, const char* board_id_text,
                        const Timestamp& added) {
    char moment[32];
    std::snprintf(moment, sizeof moment, "%04d-%02d-%02d %02d:%02d:%02d", added.year, added.month,
                  added.day, added.hour, added.minute, added.second);
    const char* values[] = {kVendorIdText, board_id_text, moment};
    return FormatStatement(
        out, capacity, "INSERT INTO Main (VID,PID,ADDED) VALUES ('%s','%s',{ts '%s'});", values, 3);
}

bool ComposeSetDefaultMark(char* out, size_t capacity, const char* board_id_text) {
    const char* values[] = {kVendorIdText, board_id_text};
    return FormatStatement(out, capacity,
                           "UPDATE Main SET [DEFAULT] ='YES' WHERE VID = '%s' AND PID = '%s';",
                           values, 2);
}

bool ComposeDeleteBoardRow(char* out, size_t capacity, const char* board_id_text) {
    const char* values[] = {kVendorIdText, board_id_text};
    return FormatStatement(out, capacity, "DELETE FROM Main WHERE VID = '%s' AND PID = '%s';",
                           values, 2);
}

bool ComposeUpdateRelaySettings(char* out, size_t capacity, int relay, const RelaySettingsText& v,
                                const char* board_id_text) {
    if (relay < 1 || relay > 5) return false;
    char format[256];
    std::snprintf(format, sizeof format,
                  "UPDATE Main SET RELAY%dNOTES ='%%s', RELAY%dNAME ='%%s', RELAY%dNC = '%%s', "
                  "RELAY%dNO='%%s', RELAY%dCONF='%%s' WHERE VID='%%s' AND PID='%%s';",
                  relay, relay, relay, relay, relay);
    const char* values[] = {
        v.notes,       v.name,       v.nc_label, v.no_label, v.confirm ? "YES" : "NO",
        kVendorIdText, board_id_text};
    return FormatStatement(out, capacity, format, values, 7);
}
