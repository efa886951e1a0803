#include "db/script_statements.h"

#include "db/statements.h"

namespace {

bool IsNumber(const char* text) {
    if (!text[0]) return false;
    for (const char* p = text; *p; ++p)
        if (*p < '0' || *p > '9') return false;
    return true;
}

} // namespace

bool ComposeSelectScripts(char* out, size_t capacity, const char* board_id_text) {
    const char* values[] = {board_id_text};
    return FormatStatement(out, capacity, "SELECT * FROM RelayScripts WHERE PID = '%s'", values, 1);
}

bool ComposeInsertScript(char* out, size_t capacity, const char* board_id_text, const char* name,
                         const char* description, const char* commands) {
    const char* values[] = {board_id_text, name, description, commands};
    return FormatStatement(
        out, capacity,
        "INSERT INTO RelayScripts (PID,NAME,DESCRIPTION,COMMANDS) VALUES ('%s', '%s', '%s', '%s');",
        values, 4);
}

bool ComposeUpdateScript(char* out, size_t capacity, const char* board_id_text, const char* name,
                         const char* description, const char* commands, const char* id) {
    if (!IsNumber(id)) return false;
    const char* values[] = {board_id_text, name, description, commands, id};
    return FormatStatement(out, capacity,
                           "UPDATE RelayScripts SET PID ='%s', NAME ='%s', DESCRIPTION ='%s', "
                           "COMMANDS ='%s' WHERE ID=%s;",
                           values, 5);
}

bool ComposeDeleteScript(char* out, size_t capacity, const char* id) {
    if (!IsNumber(id)) return false;
    const char* values[] = {id};
    return FormatStatement(out, capacity, "DELETE FROM RelayScripts WHERE ID = %s", values, 1);
}
