#include "db/board_store.h"

#include "common/board_entry.h"
#include "common/text_helpers.h"

#include <cstring>

DbResult ListBoards(std::vector<BoardListEntry>* boards) {
    Statement statement;
    CopyText(kSelectAllBoards, statement.text());
    if (!statement.Execute()) return statement.Result();
    char vid[32];
    BoardListEntry entry;
    statement.BindText(2, vid, sizeof vid);
    statement.BindText(3, entry.pid, sizeof entry.pid);
    statement.BindText(5, entry.is_default, sizeof entry.is_default);
    while (statement.Fetch())
        boards->push_back(entry);
    return statement.Result();
}

namespace {

// Binds the 30 columns of a Main row, in order, to the fields of `row`.
void BindBoardRow(Statement& statement, BoardRecord& row) {
    SQLUSMALLINT column = 1;
    for (auto& header : row.header)
        statement.BindText(column++, header, sizeof header);
    for (RelaySettings& relay : row.relays) {
        statement.BindText(column++, relay.notes, sizeof relay.notes);
        statement.BindText(column++, relay.name, sizeof relay.name);
        statement.BindText(column++, relay.nc_label, sizeof relay.nc_label);
        statement.BindText(column++, relay.no_label, sizeof relay.no_label);
        statement.BindText(column++, relay.confirm, sizeof relay.confirm);
    }
}

} // namespace

struct BoardRowReader::Prepared {
    Statement statement;
    char board_id_text[kBoardIdTextSize] = "";
    BoardRecord row;
};

BoardRowReader::BoardRowReader() = default;

BoardRowReader::~BoardRowReader() {
    Reset();
}

void BoardRowReader::Reset() {
    prepared_.reset();
}

DbResult BoardRowReader::Load(const char* board_id_text, BoardRecord* record) {
    if (prepared_ && std::strcmp(prepared_->board_id_text, board_id_text) != 0) Reset();
    if (!prepared_) {
        prepared_ = std::make_unique<Prepared>();
        Statement& statement = prepared_->statement;
        CopyTextBounded(board_id_text, prepared_->board_id_text, sizeof prepared_->board_id_text);
        if (!ComposeSelectBoard(statement.text(), Statement::kTextCapacity, board_id_text))
            statement.ComposeFailed();
        else if (statement.Prepare())
            BindBoardRow(statement, prepared_->row);
    }
    Statement& statement = prepared_->statement;
    if (!statement.ExecutePrepared()) {
        // A statement that failed is made anew by the next read.
        const DbResult failed = statement.Result();
        Reset();
        return failed;
    }
    // No matching row leaves every field empty.
    statement.Fetch();
    *record = prepared_->row;
    statement.CloseCursor();
    return statement.Result();
}

DbResult LoadBoardRow(const char* board_id_text, BoardRecord* record) {
    Statement statement;
    if (!statement.Run(
            ComposeSelectBoard(statement.text(), Statement::kTextCapacity, board_id_text)))
        return statement.Result();
    BoardRecord row;
    BindBoardRow(statement, row);
    // No matching row leaves every field empty.
    statement.Fetch();
    *record = row;
    return statement.Result();
}

DbResult FindBoardRow(const char* board_id_text, bool* found) {
    Statement statement;
    if (!statement.Run(
            ComposeSelectBoard(statement.text(), Statement::kTextCapacity, board_id_text)))
        return statement.Result();
    char vid[32], pid[32];
    statement.BindText(2, vid, sizeof vid);
    statement.BindText(3, pid, sizeof pid);
    *found = statement.Fetch();
    return statement.Result();
}

DbResult InsertBoardRow(const char* board_id_text, const Timestamp& added, bool mark_default) {
    Statement statement;
    if (!statement.RunChange(
            ComposeInsertBoard(statement.text(), Statement::kTextCapacity, board_id_text, added)))
        return statement.Result();
    const DbResult inserted = statement.Result();
    // The mark goes through the same statement handle; its outcome is not
    // examined, as the board is registered either way.
    if (mark_default &&
        ComposeSetDefaultMark(statement.text(), Statement::kTextCapacity, board_id_text))
        statement.ExecuteChange();
    return inserted;
}

DbResult MakeDefaultBoard(const char* board_id_text) {
    Transaction transaction;
    // Both marks are changed in one transaction: without one
    // nothing is run.
    if (!transaction.began()) {
        DbResult refused;
        refused.ok = false;
        refused.failed_at = DbStage::kAllocate;
        CopyTextBounded(transaction.failure(), refused.failure, sizeof refused.failure);
        return refused;
    }
    DbResult result = RunStatement([](char* out, size_t capacity) {
        return CopyTextBounded(kClearDefaultMarks, out, capacity);
    });
    if (result.ok)
        result = RunStatement([board_id_text](char* out, size_t capacity) {
            return ComposeSetDefaultMark(out, capacity, board_id_text);
        });
    if (result.ok && !transaction.Commit()) {
        result.ok = false;
        CopyTextBounded("The change could not be committed.", result.failure,
                        sizeof result.failure);
    }
    return result;
}

DbResult DeleteBoardRow(const char* board_id_text) {
    return RunStatement([board_id_text](char* out, size_t capacity) {
        return ComposeDeleteBoardRow(out, capacity, board_id_text);
    });
}

DbResult UpdateRelaySettings(const char* board_id_text, int relay,
                             const RelaySettingsText& values) {
    return RunStatement([&](char* out, size_t capacity) {
        return ComposeUpdateRelaySettings(out, capacity, relay, values, board_id_text);
    });
}
