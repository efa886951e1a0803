#include "db/script_store.h"

#include "db/script_statements.h"

namespace {

// The read widths of the columns: ID, PID and NAME 32 bytes; DESCRIPTION
// and COMMANDS whole, as far as the editor writes them.
constexpr SQLLEN kNameReadSize = 32;

// The ID stands unquoted in a statement: anything but digits is refused.
const char kNotANumber[] = "The script's ID is not a number.";

} // namespace

DbResult ListScripts(const char* board_id_text, std::vector<ScriptRow>* scripts) {
    Statement statement;
    if (!statement.Run(
            ComposeSelectScripts(statement.text(), Statement::kTextCapacity, board_id_text)))
        return statement.Result();
    ScriptRow row;
    statement.BindText(1, row.id, sizeof row.id);
    statement.BindText(2, row.pid, sizeof row.pid);
    statement.BindText(3, row.name, kNameReadSize);
    statement.BindText(4, row.description, sizeof row.description);
    statement.BindText(5, row.commands, sizeof row.commands);
    while (statement.Fetch())
        scripts->push_back(row);
    return statement.Result();
}

DbResult InsertScript(const char* board_id_text, const char* name, const char* description,
                      const char* commands) {
    return RunStatement([&](char* out, size_t capacity) {
        return ComposeInsertScript(out, capacity, board_id_text, name, description, commands);
    });
}

DbResult UpdateScript(const char* board_id_text, const char* name, const char* description,
                      const char* commands, const char* id) {
    return RunStatement(
        [&](char* out, size_t capacity) {
            return ComposeUpdateScript(out, capacity, board_id_text, name, description, commands,
                                       id);
        },
        kNotANumber);
}

DbResult DeleteScript(const char* id) {
    return RunStatement(
        [id](char* out, size_t capacity) { return ComposeDeleteScript(out, capacity, id); },
        kNotANumber);
}
